#include "shell/cp1252.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include <array>

namespace qb {

namespace {

// Code points of bytes 0x80-0x9F. The five bytes the code page leaves undefined map to the C1
// control of the same value, so every byte survives the round trip.
constexpr std::array<char16_t, 32> high = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char encodeChar(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (std::size_t i = 0; i < high.size(); ++i)
        if (high[i] == u)
            return static_cast<char>(0x80 + i);
    return '?';
}

}  // namespace

QString fromCp1252(std::string_view bytes)
{
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (unsigned char b : bytes)
        *out++ = QChar((b >= 0x80 && b < 0xA0) ? high[b - 0x80] : char16_t(b));
    return text;
}

std::string toCp1252(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;  // one character outside the code page: one '?'
        bytes.push_back(c.isSurrogate() ? '?' : encodeChar(c.unicode()));
    }
    return bytes;
}

std::string boxBytes(const QPlainTextEdit* box)
{
    QString text = box->toPlainText();
    text.replace(QChar(0x2029), QChar('\n'));
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return toCp1252(text);
}

void setBoxBytes(QPlainTextEdit* box, std::string_view bytes)
{
    QString text = fromCp1252(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    box->setPlainText(text);
}

std::string lineBytes(const QLineEdit* box)
{
    return toCp1252(box->text());
}

void setLineBytes(QLineEdit* box, std::string_view bytes)
{
    box->setText(fromCp1252(bytes));
}

// File names are UTF-8 here, but a name may hold any bytes. A byte that is not part of valid
// UTF-8 travels as the lone surrogate U+DC80-U+DCFF (which valid UTF-8 never yields), so every
// name comes back to the same bytes.
std::filesystem::path toPath(const QString& path)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(path.size()));
    const auto put = [&bytes](unsigned value) { bytes.push_back(static_cast<char>(value)); };
    for (qsizetype i = 0; i < path.size(); ++i) {
        char32_t c = path.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < path.size() && path.at(i + 1).isLowSurrogate())
            c = QChar::surrogateToUcs4(static_cast<char16_t>(c), path.at(++i).unicode());
        else if (c >= 0xDC80 && c <= 0xDCFF) {
            put(c - 0xDC00);  // a byte that was not UTF-8
            continue;
        } else if (QChar::isSurrogate(c)) {
            put('?');
            continue;
        }
        if (c < 0x80) {
            put(c);
        } else if (c < 0x800) {
            put(0xC0 | (c >> 6));
            put(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            put(0xE0 | (c >> 12));
            put(0x80 | ((c >> 6) & 0x3F));
            put(0x80 | (c & 0x3F));
        } else {
            put(0xF0 | (c >> 18));
            put(0x80 | ((c >> 12) & 0x3F));
            put(0x80 | ((c >> 6) & 0x3F));
            put(0x80 | (c & 0x3F));
        }
    }
    return std::filesystem::path(std::move(bytes));
}

QString fromPath(const std::filesystem::path& path)
{
    const std::string& bytes = path.native();
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
        const unsigned lead = byte(i);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                             : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k >= bytes.size() || (byte(i + k) & 0xC0) != 0x80) {
                length = 0;
                break;
            }
            c = (c << 6) | (byte(i + k) & 0x3F);
        }
        // Overlong forms, encoded surrogates and values past U+10FFFF are not valid UTF-8.
        const bool valid = length == 1 || (length == 2) || (length == 3 && c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) ||
                           (length == 4 && c >= 0x10000 && c <= 0x10FFFF);
        if (length == 0 || !valid) {
            text.push_back(QChar(static_cast<char16_t>(0xDC00 + lead)));
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            text.push_back(QChar(QChar::highSurrogate(c)));
            text.push_back(QChar(QChar::lowSurrogate(c)));
        } else {
            text.push_back(QChar(static_cast<char16_t>(c)));
        }
        i += length;
    }
    return text;
}

QString messageText(std::string_view bytes)
{
    return fromPath(std::filesystem::path(std::string(bytes)));
}

}  // namespace qb
