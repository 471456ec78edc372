// Program-wide services that windows call instead of reaching the platform directly, so tests can
// swap each one for a recorder: message boxes, the file-open dialog, the process launcher. The
// program's data folder is core's (core/dataFolder.h).
#pragma once

#include "core/dataFolder.h"
#include "core/error.h"

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

// Before the application object exists: when XDG_RUNTIME_DIR is not set, points it at a folder
// that only this user may enter (as Qt expects; Qt would otherwise warn on the console).
void prepareRuntimeFolder();

}  // namespace qb
