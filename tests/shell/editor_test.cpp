// The editor command: its template split into words before the placeholders are filled in, and
// the "Editor" dialog of the Options menu that sets it.
#include "shell/editor.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "support/recorder.h"

namespace qb {
namespace {

TEST(EditorCommand, PlaceholdersFillWordsAfterSplitting)
{
    struct Row {
        QString command;
        QString file;
        QString program;
        QStringList arguments;
    };
    const Row rows[] = {
        {"code -g {file}:{line}", "/a b/c.bas", "code", {"-g", "/a b/c.bas:12"}},
        {"\"/opt/my editor/ed\" \"+{line}\" {file}", "/x", "/opt/my editor/ed", {"+12", "/x"}},
        // A name that holds a placeholder or a quote is still the name, in one argument.
        {"ed {file} {line}", "/x/{line}\"q\".bas", "ed", {"/x/{line}\"q\".bas", "12"}},
        {"ed {file}{file}", "/x", "ed", {"/x/x"}},
    };
    for (const Row& row : rows) {
        const auto made = editorCommand(row.command, row.file, 12);
        ASSERT_TRUE(made) << row.command.toStdString();
        EXPECT_EQ(made->program, row.program);
        EXPECT_EQ(made->arguments, row.arguments) << row.command.toStdString();
    }
    EXPECT_FALSE(editorCommand("   ", "/x", 1));
}

// The dialog shows the command set, refuses one without {file}, and keeps what OK accepts; an
// empty command means the default again.
TEST(EditorCommand, DialogSetsTheRememberedCommand)
{
    test::FreshSettings settings;
    test::MessageRecorder recorder;
    frmMain frame;
    setEditorTemplate("ed {file}");
    const auto openDialog = [&] {
        frame.findChild<QAction*>("mnuEditor")->trigger();
        auto* dialog = frame.findChild<EditorDialog*>();
        return std::pair(dialog, dialog ? dialog->findChild<QLineEdit*>("txtEditorCommand") : nullptr);
    };
    auto [dialog, box] = openDialog();
    ASSERT_TRUE(dialog && box);
    EXPECT_EQ(box->text(), "ed {file}");
    EXPECT_EQ(box->placeholderText(), defaultEditorTemplate());
    box->setText("ed --line {line}");
    dialog->accept();
    EXPECT_EQ(recorder.messages, QStringList{"The command needs {file} where the file's name goes."});
    EXPECT_TRUE(dialog->isVisible());
    box->setText("  kate --line {line} {file} ");
    dialog->accept();
    EXPECT_EQ(editorTemplate(), "kate --line {line} {file}");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    std::tie(dialog, box) = openDialog();
    ASSERT_TRUE(dialog && box);
    box->clear();
    dialog->accept();
    EXPECT_EQ(editorTemplate(), "");
    EXPECT_EQ(editorTemplateInUse(), defaultEditorTemplate());
}

}  // namespace
}  // namespace qb
