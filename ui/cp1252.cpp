#include "ui/cp1252.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include "core/fileText.h"

#include <algorithm>

namespace qb {

QString fromCp1252(std::string_view bytes)
{
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (unsigned char b : bytes)
        *out++ = QChar(static_cast<char16_t>(cp1252CodePoint(b)));
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
        bytes.push_back(c.isSurrogate() ? '?' : cp1252Byte(c.unicode()));
    }
    return bytes;
}

namespace {

// The box's text with its lines joined by CR LF.
QString boxLines(const QPlainTextEdit* box)
{
    QString text = box->toPlainText();
    text.replace(QChar(0x2029), QChar('\n'));
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text;
}

}  // namespace

std::string boxBytes(const QPlainTextEdit* box)
{
    return toCp1252(boxLines(box));
}

std::string boxUtf8(const QPlainTextEdit* box)
{
    return boxLines(box).toStdString();
}

void setBoxBytes(QPlainTextEdit* box, std::string_view bytes)
{
    setBoxText(box, fromCp1252(bytes));
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
    for (qsizetype i = 0; i < path.size(); ++i) {
        char32_t c = path.at(i).unicode();
        if (c >= 0xDC80 && c <= 0xDCFF) {
            bytes.push_back(static_cast<char>(c - 0xDC00));  // a byte that was not UTF-8
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < path.size() && path.at(i + 1).isLowSurrogate())
            c = QChar::surrogateToUcs4(static_cast<char16_t>(c), path.at(++i).unicode());
        else if (QChar::isSurrogate(c))
            c = '?';
        appendUtf8(bytes, c);
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
        char32_t c;
        const std::size_t length = utf8SequenceAt(bytes, i, c);
        if (length == 0) {
            text.push_back(QChar(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[i]))));
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

QString fileText(std::string_view bytes, bool utf8)
{
    if (utf8)
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return fromCp1252(bytes);
}

QString fileText(std::string_view bytes)
{
    return fileText(bytes, isValidUtf8(bytes));
}

QString pathText(std::string_view bytes)
{
    QString text;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size() - 1) + 1;
        text += fileText(bytes.substr(start, end - start));
        start = end;
    }
    return text;
}

void setBoxText(QPlainTextEdit* box, QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    // A text document also breaks paragraphs at these.
    for (const char16_t breaker : {u'\u2029', u'\uFDD0', u'\uFDD1'})
        text.replace(QChar(breaker), QChar(QChar::ReplacementCharacter));
    box->setPlainText(text);
}

}  // namespace qb
