#include "tools/files/bulkRunView.h"

#include "shell/cp1252.h"

#include <QPlainTextEdit>
#include <QTextCursor>

#include "shell/services.h"

namespace qb {

namespace {

QString boxText(std::string_view bytes)
{
    QString text = pathText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

}  // namespace

QString pathText(std::string_view bytes)
{
    return messageText(bytes);
}

void setPathBox(QPlainTextEdit* box, std::string_view bytes)
{
    box->setPlainText(boxText(bytes));
}

void appendPathBox(QPlainTextEdit* box, std::string_view bytes)
{
    if (bytes.empty())
        return;
    QTextCursor end(box->document());
    end.movePosition(QTextCursor::End);
    end.insertText(boxText(bytes));
}

void showRunMessages(const RunReport& run)
{
    if (const std::string text = endOfRunText(run); !text.empty())
        showMessage(pathText(text));
    if (run.cancelled)
        showMessage(QStringLiteral("Cancelled."));
}

}  // namespace qb
