#include "tools/files/bulkRunView.h"

#include "ui/cp1252.h"

#include <QCheckBox>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "ui/kit.h"
#include "ui/services.h"
#include "ui/windows.h"

namespace qb {

void setPathBox(QPlainTextEdit* box, std::string_view bytes)
{
    setBoxText(box, pathText(bytes));
}

void appendPathBox(QPlainTextEdit* box, std::string_view bytes)
{
    if (bytes.empty())
        return;
    QTextCursor end(box->document());
    end.movePosition(QTextCursor::End);
    QString text = pathText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    end.insertText(text);
}

void showRunMessages(const RunReport& run)
{
    if (const std::string text = endOfRunText(run); !text.empty())
        showMessage(pathText(text));
    if (run.cancelled)
        showMessage(QStringLiteral("Cancelled."));
}

QString summaryEnd(const RunReport& run)
{
    QString end;
    if (!run.failures.empty())
        end += QStringLiteral(", ") + counted(run.failures.size(), QStringLiteral("failed"), QStringLiteral("failed"));
    if (run.counts.binary > 0)
        end += QStringLiteral(", ") + QLocale().toString(static_cast<qulonglong>(run.counts.binary))
               + QStringLiteral(" binary, copied as is");
    if (run.cancelled)
        end += QStringLiteral(", cancelled");
    return end;
}

QCheckBox* keepLineEndsBox(QWidget* parent)
{
    auto* box = make<QCheckBox>(parent, "chkKeepLineEnds", QStringLiteral("&Keep line ends"));
    explain(box, QStringLiteral("Each line of a copy keeps its own line end (LF, CR LF or CR) and a file keeps "
                                "its final-newline state; unchecked, every line of a copy ends in CR LF"));
    return box;
}

}  // namespace qb
