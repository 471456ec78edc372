#include "support/process.h"

#include "ui/cp1252.h"

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
    if (!options.display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), options.display);
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
    if (!options.standardOutput.empty())
        process.setStandardOutputFile(fromPath(options.standardOutput));
    process.start();
    Ran ran;
    if (!process.waitForStarted(30000))
        return ran;
    process.write(options.input.data(), static_cast<qint64>(options.input.size()));
    process.closeWriteChannel();
    // waitForFinished is false once the process has finished, so the end is noted where it is seen.
    bool finished = false;
    while (options.signal != 0 && !ran.signalled && !(finished = process.waitForFinished(3)))
        if (options.signalWhen(process.processId())) {
            ::kill(static_cast<pid_t>(process.processId()), options.signal);
            ran.signalled = true;
        }
    if (ran.signalled && !finished && !(finished = process.waitForFinished(options.secondsAfterSignal * 1000))) {
        process.kill();
        ran.killed = true;
    }
    while (options.onLine && (process.waitForReadyRead(-1) || process.canReadLine()))
        while (process.canReadLine()) {
            const std::string line = process.readLine().toStdString();
            ran.out += line;
            if (!ran.killed && !options.onLine(line.substr(0, line.size() - 1))) {
                process.kill();
                ran.killed = true;
            }
        }
    finished = finished || process.waitForFinished(120000);
    ran.out += process.readAllStandardOutput().toStdString();
    ran.err = process.readAllStandardError().toStdString();
    if (finished && process.exitStatus() == QProcess::NormalExit)
        ran.status = process.exitCode();
    return ran;
}

bool holdsFileBelow(qint64 pid, const std::filesystem::path& folder)
{
    std::error_code ec;
    const std::string below = folder.native() + "/";
    for (const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
        const std::filesystem::path target = std::filesystem::read_symlink(entry.path(), ec);
        if (!ec && target.native().starts_with(below))
            return true;
    }
    return false;
}

}  // namespace qb::test
