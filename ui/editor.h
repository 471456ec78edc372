// Opening a file at a line in the user's editor, from any result box whose lines know where they
// came from.
//
// The editor is a command template in which {file} stands for the file and {line} for the
// 1-based line number, set in the "Editor" dialog of the frame's Options menu and remembered.
// Until the user sets one, the first of defaultEditorTemplates() whose program is on the PATH is
// used. The template is split into words once, as a command line would be, and only then are the
// placeholders filled in, so a file name with spaces or quotes is still one argument; the program
// starts through the process launcher, never through a shell.
#pragma once

#include <QDialog>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace qb {

// The editors tried when none is set, in order; the last is the desktop's opener.
const QStringList& defaultEditorTemplates();
// The template the user set, or empty.
QString editorTemplate();
void setEditorTemplate(const QString& command);
// The first default whose program is on the PATH; the desktop's opener when none is.
QString defaultEditorTemplate();
// The template that opens files now: the user's, or the default.
QString editorTemplateInUse();

// The program and its arguments for `file` at `line`; nothing when the template names no program.
struct EditorCommand {
    QString program;
    QStringList arguments;
};
std::optional<EditorCommand> editorCommand(const QString& command, const QString& file, std::uint64_t line);

// Opens `file` at `line` with the editor in use. A program that is not found or cannot be started
// gets one message naming it; one that is not found points to Options > Editor.
void openInEditor(const std::filesystem::path& file, std::uint64_t line);

// A file and a 1-based line in it.
struct FilePlace {
    std::filesystem::path file;
    std::uint64_t line = 1;
};
// Where line `index` (0-based) of a box came from; nothing for a line that stands for no file.
using PlaceOfLine = std::function<std::optional<FilePlace>(int index)>;

// Makes the lines of `box` lead to their files: a double-click on a line, or Enter on the line
// that holds the cursor, opens its place in the editor; Enter edits nothing while the box shows a
// report. Once the user edits the box anyway, its lines no longer match their places and the box
// behaves as a plain text box again, until the next markReportShown().
class LineLinks : public QObject {
public:
    LineLinks(QPlainTextEdit* box, PlaceOfLine placeOf);
    // Call after setting the box's text: its lines are the ones `placeOf` knows.
    void markReportShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool showsReport() const;
    bool openLine(int index) const;

    QPlainTextEdit* box_;
    QObject* viewport_;
    PlaceOfLine placeOf_;
    bool shown_ = false;
};

// "Editor": the command template, with the default in use shown while the box is empty.
class EditorDialog : public QDialog {
    Q_OBJECT
public:
    explicit EditorDialog(QWidget* parent = nullptr);
    void accept() override;

private:
    QLineEdit* txtEditorCommand;
};

}  // namespace qb
