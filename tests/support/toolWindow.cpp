#include "support/toolWindow.h"

#include "ui/cp1252.h"
#include "ui/pickers.h"
#include "ui/printing.h"
#include "ui/windows.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBlock>
#include <QTest>

namespace qb::test {

ToolWindowTest::ToolWindowTest(std::string_view programFolderName)
    : program(programFolderName.empty() ? temp.path() : temp.mkdir(programFolderName))
{
}

void ToolWindowTest::SetUp()
{
    frame.show();
    QApplication::setActiveWindow(&frame);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    setPrintToPdf(fromPath(temp / "print.pdf"));
}

void ToolWindowTest::TearDown()
{
    setPrintToPdf({});
}

QWidget* ToolWindowTest::open(const char* opener, const char* className)
{
    window = nullptr;
    if (auto* action = frame.findChild<QAction*>(opener))
        action->trigger();
    else if (auto* button = frame.findChild<QPushButton*>(opener))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        ADD_FAILURE() << "the frame has no " << opener;
    QMdiSubWindow* sub = frame.workspace()->activeSubWindow();
    if (!sub || !sub->widget() || sub->widget()->objectName() != QLatin1String(className)) {
        ADD_FAILURE() << opener << " did not bring up " << className;
        return nullptr;
    }
    EXPECT_TRUE(sub->isMaximized()) << className;
    return window = sub->widget();
}

QPlainTextEdit* ToolWindowTest::box(const char* name) const { return child<QPlainTextEdit>(name); }

QLineEdit* ToolWindowTest::line(const char* name) const { return child<QLineEdit>(name); }

void ToolWindowTest::click(const char* name) const
{
    QTest::mouseClick(child<QWidget>(name), Qt::LeftButton);
    waitForRuns();
}

void ToolWindowTest::doubleClickLine(const char* name, int line) const
{
    QPlainTextEdit* text = box(name);
    const QRect place = text->cursorRect(QTextCursor(text->document()->findBlockByNumber(line)));
    QTest::mouseDClick(text->viewport(), Qt::LeftButton, {}, place.center());
}

QString ToolWindowTest::status() const
{
    const auto* summary = frame.statusBar()->findChild<QLabel*>(statusSummaryName);
    return summary ? summary->text() : QStringLiteral("<no summary label>");
}

void ToolWindowTest::runIn(const std::filesystem::path& folder, const char* button) const
{
    ASSERT_TRUE(child<FolderPicker>("Dir1")->setPath(fromPath(folder)));
    click(button);
}

std::string pdfText(const std::filesystem::path& pdf, const QStringList& options)
{
    QProcess pdftotext;
    pdftotext.start("pdftotext", QStringList(options) << fromPath(pdf) << "-");
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        return "<pdftotext failed>";
    return pdftotext.readAllStandardOutput().toStdString();
}

}  // namespace qb::test
