#include "support/process.h"

#include "shell/cp1252.h"

#include <QProcess>

#include <csignal>

namespace qb::test {

Ran runProgram(const QString& program, const QStringList& arguments, const RunOptions& options)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!options.folder.empty())
        process.setWorkingDirectory(fromPath(options.folder));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (options.noDisplay)
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    if (options.interruptedAtStart) {
        // Blocked and raised before exec, the signal stays pending into the new program and is
        // delivered there as soon as it accepts Ctrl+C: a deterministic Ctrl+C.
        process.setChildProcessModifier([] {
            sigset_t interrupt;
            sigemptyset(&interrupt);
            sigaddset(&interrupt, SIGINT);
            sigprocmask(SIG_BLOCK, &interrupt, nullptr);
            raise(SIGINT);
        });
    }
    process.start();
    Ran ran;
    if (!process.waitForStarted(30000))
        return ran;
    process.write(options.input.data(), static_cast<qint64>(options.input.size()));
    process.closeWriteChannel();
    while (options.onLine && (process.waitForReadyRead(-1) || process.canReadLine()))
        while (process.canReadLine()) {
            const std::string line = process.readLine().toStdString();
            ran.out += line;
            if (!ran.killed && !options.onLine(line.substr(0, line.size() - 1))) {
                process.kill();
                ran.killed = true;
            }
        }
    const bool finished = process.waitForFinished(120000);
    ran.out += process.readAllStandardOutput().toStdString();
    ran.err = process.readAllStandardError().toStdString();
    if (finished && process.exitStatus() == QProcess::NormalExit)
        ran.status = process.exitCode();
    return ran;
}

}  // namespace qb::test
