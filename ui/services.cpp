#include "ui/services.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "ui/cp1252.h"

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qb {

namespace {

MessageSink& messageSink()
{
    static MessageSink sink;
    return sink;
}

FileDialogSink& fileDialogSink()
{
    static FileDialogSink sink;
    return sink;
}

SaveDialogSink& saveDialogSink()
{
    static SaveDialogSink sink;
    return sink;
}

// The suffix of a file type's first pattern: "csv" for "CSV (*.csv)".
QString suffixOf(const QString& filter)
{
    const qsizetype dot = filter.indexOf(QStringLiteral("*."));
    if (dot < 0)
        return {};
    const qsizetype end = filter.indexOf(QRegularExpression(QStringLiteral("[ )]")), dot);
    return filter.mid(dot + 2, end < 0 ? -1 : end - dot - 2);
}

ProcessLauncher& processLauncher()
{
    static ProcessLauncher launcher;
    return launcher;
}

}  // namespace

void showMessage(const QString& text)
{
    if (messageSink()) {
        messageSink()(text);
        return;
    }
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quillbox"), shown, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    // Wide enough that the window manager never cuts the title short beside its buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(box.fontMetrics().averageCharWidth() * 36, 0, QSizePolicy::Minimum,
                                      QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    box.exec();
}

void showError(const Error& error, const QString& lead)
{
    showMessage(lead + pathText(formatError(error)));
}

MessageSink setMessageSink(MessageSink sink)
{
    return std::exchange(messageSink(), std::move(sink));
}

QStringList askForFiles(QWidget* parent, const FileDialogRequest& request)
{
    if (fileDialogSink())
        return fileDialogSink()(request);
    QFileDialog dialog(parent, request.caption, request.folder, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (request.multiple)
        dialog.setFileMode(QFileDialog::ExistingFiles);
    else
        dialog.setFileMode(request.existingOnly ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

FileDialogSink setFileDialogSink(FileDialogSink sink)
{
    return std::exchange(fileDialogSink(), std::move(sink));
}

std::optional<SaveDialogAnswer> askForSaveFile(QWidget* parent, const SaveDialogRequest& request)
{
    if (saveDialogSink())
        return saveDialogSink()(request);
    QFileDialog dialog(parent, request.caption, request.folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.filters);
    const QString first = request.filters.value(request.filter);
    dialog.selectNameFilter(first);
    dialog.setDefaultSuffix(suffixOf(first));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return SaveDialogAnswer{dialog.selectedFiles().front(),
                            static_cast<int>(std::max<qsizetype>(0, request.filters.indexOf(dialog.selectedNameFilter())))};
}

SaveDialogSink setSaveDialogSink(SaveDialogSink sink)
{
    return std::exchange(saveDialogSink(), std::move(sink));
}

bool launchDetached(const QString& program, const QStringList& arguments)
{
    if (processLauncher())
        return processLauncher()(program, arguments);
    return QProcess::startDetached(program, arguments);
}

ProcessLauncher setProcessLauncher(ProcessLauncher launcher)
{
    return std::exchange(processLauncher(), std::move(launcher));
}

QString findProgram(const QString& program)
{
    return QStandardPaths::findExecutable(program);
}

bool startProgram(const QString& program, const QStringList& arguments)
{
    const QString found = findProgram(program);
    if (found.isEmpty()) {
        showMessage(QStringLiteral("%1 could not be started: it was not found on the PATH.").arg(program));
        return false;
    }
    if (!launchDetached(found, arguments)) {
        showMessage(QStringLiteral("%1 could not be started.").arg(found));
        return false;
    }
    return true;
}

void prepareRuntimeFolder()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    // The folder must be this user's own, not a link, and closed to everyone else (0700);
    // a name someone else holds is passed over for a fresh folder.
    const uid_t me = ::geteuid();
    const std::string folder = toPath(QDir::tempPath()).native() + "/runtime-" + std::to_string(me);
    std::string chosen;
    if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) {
        struct stat info {};
        if (::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == me &&
            ((info.st_mode & 07777) == 0700 || ::chmod(folder.c_str(), 0700) == 0))
            chosen = folder;
    }
    if (chosen.empty()) {
        std::string pattern = folder + "-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            return;  // Qt falls back to its own folder, with its warning
        chosen = pattern;
    }
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(chosen));
#endif
}

}  // namespace qb
