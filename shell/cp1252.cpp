#include "shell/cp1252.h"

#include <QFile>
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

std::filesystem::path toPath(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    return std::filesystem::path(std::string(encoded.constData(), static_cast<std::size_t>(encoded.size())));
}

QString fromPath(const std::filesystem::path& path)
{
    const std::string& native = path.native();
    return QFile::decodeName(QByteArray(native.data(), static_cast<qsizetype>(native.size())));
}

}  // namespace qb
