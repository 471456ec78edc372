// Program-wide services that windows call instead of reaching the platform directly, so tests can
// swap each one for a recorder: message boxes, the file-open dialog, the process launcher; and the
// program's folder, where the tools keep their data files.
#pragma once

#include "shell/error.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace qb {

// A message box titled "Quillbox" with an OK button only.
void showMessage(const QString& text);
using MessageSink = std::function<void(const QString& text)>;
// Replaces where messages go; returns the previous sink. An empty sink restores the box.
MessageSink setMessageSink(MessageSink sink);
// An error as its one message: "number :: description", after `lead` when there is one, with the
// names of files in it spelt as pathText (cp1252.h) spells them.
void showError(const Error& error, const QString& lead = {});

// The file-open dialog. `filter` uses Qt's "Text (*.txt);;All (*)" form. Each returns full paths,
// or nothing when the user cancelled.
struct FileDialogRequest {
    QString caption;
    QString folder;                 // initial folder
    QString filter;
    bool existingOnly = true;       // only existing files may be chosen
    bool multiple = false;          // several files may be chosen
};
using FileDialogSink = std::function<QStringList(const FileDialogRequest& request)>;
QStringList askForFiles(QWidget* parent, const FileDialogRequest& request);
FileDialogSink setFileDialogSink(FileDialogSink sink);

// The file-save dialog: `filters` are its file types ("CSV (*.csv)"), `filter` the one chosen at
// first. It asks before replacing a file, and gives a name typed without a suffix the suffix of
// the chosen type. Nothing when the user cancelled.
struct SaveDialogRequest {
    QString caption;
    QString folder;  // initial folder
    QStringList filters;
    int filter = 0;
};
struct SaveDialogAnswer {
    QString path;
    int filter = 0;  // the file type chosen, an index into the request's filters
};
using SaveDialogSink = std::function<std::optional<SaveDialogAnswer>(const SaveDialogRequest& request)>;
std::optional<SaveDialogAnswer> askForSaveFile(QWidget* parent, const SaveDialogRequest& request);
SaveDialogSink setSaveDialogSink(SaveDialogSink sink);

// Starts a program without a shell and without waiting. False when it could not be started.
using ProcessLauncher = std::function<bool(const QString& program, const QStringList& arguments)>;
bool launchDetached(const QString& program, const QStringList& arguments);
ProcessLauncher setProcessLauncher(ProcessLauncher launcher);
// The full path of `program` on the PATH, or empty.
QString findProgram(const QString& program);
// Starts `program`, looked up on the PATH, the way launchDetached does. One message naming it
// when it is not found or cannot be started; false then.
bool startProgram(const QString& program, const QStringList& arguments);

// The folder where the tools keep their files (replaceLines.txt, debug.out, in.txt, out.txt,
// last.txt) and where printouts go when there is no printer. Every caller goes through it.
// - QUILLBOX_DATA_DIR, when set, names it (tests and users who want their files elsewhere);
// - otherwise the executable's folder when the user may write there (a build, a portable copy);
// - otherwise the per-user data folder (e.g. ~/.local/share/Quillbox), made on first use.
// Works with a QCoreApplication, a QApplication or none.
std::filesystem::path programFolder();
// The same rule for an executable in `executableFolder`.
std::filesystem::path programFolderFor(const std::filesystem::path& executableFolder);
inline constexpr const char* dataFolderVariable = "QUILLBOX_DATA_DIR";

// Before the application object exists: when XDG_RUNTIME_DIR is not set, points it at a folder
// that only this user may enter (as Qt expects; Qt would otherwise warn on the console).
void prepareRuntimeFolder();

}  // namespace qb

class QDateTime;

namespace qb {
// A time stamp that a file name can hold: the locale's short date (the system's locale unless
// given), a space and the time with seconds, every '/' and ':' replaced by '_' (and any other
// character a file name cannot hold dropped).
QString fileNameTimeStamp(const QDateTime& when, const QLocale& locale = QLocale::system());
// The time stamp of this moment, as the bytes of a file name (backups of updated files).
std::string fileNameTimeStampNow();
// The same, from a source that may be asked from any thread: it keeps its own copy of the locale.
std::function<std::string()> fileNameTimeStamps();
}  // namespace qb
