#include "shell/services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>

#include "shell/cp1252.h"

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

ProcessLauncher& processLauncher()
{
    static ProcessLauncher launcher;
    return launcher;
}

std::filesystem::path& programFolderOverride()
{
    static std::filesystem::path folder;
    return folder;
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

std::filesystem::path programFolder()
{
    if (!programFolderOverride().empty())
        return programFolderOverride();
    return toPath(QCoreApplication::applicationDirPath());
}

void setProgramFolder(const std::filesystem::path& folder)
{
    programFolderOverride() = folder;
}

QString fileNameTimeStamp(const QDateTime& when)
{
    const QLocale locale = QLocale::system();
    // The locale's short time, with seconds added where it has none.
    QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    if (!timeFormat.contains(QChar('s')))
        timeFormat.replace(QStringLiteral("mm"), QStringLiteral("mm:ss"));
    QString stamp = locale.toString(when.date(), QLocale::ShortFormat) + QChar(' ') +
                    locale.toString(when.time(), timeFormat);
    stamp.replace(QChar('/'), QChar('_'));
    stamp.replace(QChar(':'), QChar('_'));
    static const QString forbidden = QStringLiteral("\\*?\"<>|");
    QString clean;
    for (const QChar c : stamp)
        if (!forbidden.contains(c) && c.unicode() >= 0x20)
            clean.push_back(c);
    return clean.trimmed();
}

}  // namespace qb
