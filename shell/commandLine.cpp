#include "shell/commandLine.h"

#include "shell/fs.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <expected>
#include <stop_token>
#include <thread>

#include <fcntl.h>

#include <sys/ioctl.h>
#include <unistd.h>

#ifndef QUILLBOX_VERSION
#define QUILLBOX_VERSION "unknown"
#endif

namespace qb {

namespace {

constexpr std::size_t helpWidth = 79;
constexpr auto progressInterval = std::chrono::milliseconds(100);

std::vector<Command>& commands()
{
    static std::vector<Command> list;
    return list;
}

const Command* findCommand(std::string_view name)
{
    for (const Command& command : commands())
        if (command.name == name)
            return &command;
    return nullptr;
}

// The signals that stop a run as Ctrl+C does; the exit status is 128 plus the signal's number
// (130 for Ctrl+C, 143 for SIGTERM, 129 for SIGHUP).
constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The first stop signal that came, 0 while none did; a second one ends the program at once.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "read and written by a signal handler");
// The write end of the pipe that wakes the StopWatcher; -1 while there is none.
std::atomic<int> stopWakeFd{-1};

extern "C" void onStopSignal(int signal)
{
    int none = 0;
    if (!stopSignal.compare_exchange_strong(none, signal))
        _exit(128 + signal);
    const int saved = errno;
    if (const int fd = stopWakeFd.load(); fd >= 0) {
        [[maybe_unused]] const ssize_t woken = ::write(fd, "", 1);
    }
    errno = saved;
}

// Turns a stop signal into a request on a std::stop_source, for logic that checks a stop token on
// threads of its own (a scan's workers): a signal handler may do little more than write to a
// pipe, so a thread of its own waits on the pipe and makes the request.
class StopWatcher {
public:
    StopWatcher()
    {
        if (::pipe2(fds_, O_CLOEXEC) != 0)
            return;
        stopWakeFd = fds_[1];
        thread_ = std::jthread([this] {
            char byte;
            ssize_t n;
            while ((n = ::read(fds_[0], &byte, 1)) < 0 && errno == EINTR) {
            }
            if (n == 1)
                source_.request_stop();
        });
    }
    ~StopWatcher()
    {
        if (fds_[1] < 0)
            return;
        stopWakeFd = -1;
        ::close(fds_[1]);  // ends the watcher's read, when no signal did
        if (thread_.joinable())
            thread_.join();
        ::close(fds_[0]);
    }
    StopWatcher(const StopWatcher&) = delete;
    StopWatcher& operator=(const StopWatcher&) = delete;

    std::stop_token token() const { return source_.get_token(); }

private:
    int fds_[2] = {-1, -1};
    std::stop_source source_;
    std::jthread thread_;
};

StopWatcher* stopWatcher = nullptr;  // while a command runs

// Ctrl+C, SIGTERM and SIGHUP ask the run to stop; a signal that the starting shell ignored (nohup,
// a background job without job control) stays ignored. System calls are not restarted, so a read
// that waits for the terminal ends.
void catchStopSignals()
{
    sigset_t caught;
    sigemptyset(&caught);
    for (const int signal : stopSignals) {
        struct sigaction previous{};
        sigaction(signal, nullptr, &previous);
        if (previous.sa_handler == SIG_IGN)
            continue;
        struct sigaction action{};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
        sigaddset(&caught, signal);
    }
    sigprocmask(SIG_UNBLOCK, &caught, nullptr);
}

void writeErr(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
}

void writeOut(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// `text` wrapped at spaces to the help width, for a line that already holds `column`
// characters; continuation lines start with `indent` spaces. Paragraphs split at "\n\n" keep an
// empty line between them.
std::string wrap(std::string_view text, std::size_t indent, std::size_t column)
{
    std::string out;
    std::size_t lineLength = column;
    bool lineEmpty = true;
    const auto newLine = [&] {
        out += '\n';
        out.append(indent, ' ');
        lineLength = indent;
        lineEmpty = true;
    };
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text.substr(pos, 2) == "\n\n") {
            out += '\n';
            newLine();
            pos += 2;
            continue;
        }
        if (text[pos] == ' ' || text[pos] == '\n') {
            ++pos;
            continue;
        }
        const std::size_t end = std::min(text.find_first_of(" \n", pos), text.size());
        const std::string_view word = text.substr(pos, end - pos);
        if (!lineEmpty && lineLength + 1 + word.size() > helpWidth)
            newLine();
        else if (!lineEmpty)
            out += ' ', ++lineLength;
        out += word;
        lineLength += word.size();
        lineEmpty = false;
        pos = end;
    }
    out += '\n';
    return out;
}

// Two columns: the term, then its description from `column` on (on the next line when the term
// leaves no room).
std::string twoColumns(std::string_view term, std::string_view description, std::size_t column)
{
    std::string out = "  ";
    out += term;
    if (out.size() + 2 > column) {
        out += '\n';
        out.append(column, ' ');
    } else {
        out.append(column - out.size(), ' ');
    }
    return out + wrap(description, column, column);
}

std::string usageLine(const Command& command)
{
    return "Usage: quillbox " + command.name + (command.synopsis.empty() ? "" : " " + command.synopsis) + "\n";
}

std::string commandHelp(const Command& command)
{
    std::string out = usageLine(command);
    out += wrap(command.summary, 0, 0);
    if (!command.description.empty()) {
        out += '\n';
        out += wrap(command.description, 0, 0);
    }
    out += "\nOptions:\n";
    for (const CommandOption& option : command.options)
        out += twoColumns(option.valueName.empty() ? option.name : option.name + " " + option.valueName, option.help, 22);
    out += twoColumns("--help", "show this help and exit", 22);
    return out;
}

std::string generalUsage()
{
    return "Usage: quillbox [COMMAND [ARGUMENTS...]]\n";
}

bool looksLikeNumber(std::string_view argument)
{
    return argument.size() > 1 && argument[0] == '-' &&
           ((argument[1] >= '0' && argument[1] <= '9') || argument[1] == '.');
}

}  // namespace

void registerCommand(Command command)
{
    for (Command& known : commands())
        if (known.name == command.name) {
            known = std::move(command);
            return;
        }
    commands().push_back(std::move(command));
}

std::string commandLineHelp(bool allCommands)
{
    std::string out = generalUsage();
    out += "  or:  quillbox COMMAND --help\n";
    out += wrap("A toolbox for developers who work with source code, text files and databases. Without "
                "arguments Quillbox opens its window. With a command it runs one tool on the same engine "
                "as the tool's window, prints what the window would show (or writes the same files), and "
                "needs no display.", 0, 0);
    out += "\nCommands:\n";
    for (const Command& command : commands())
        out += twoColumns(command.name, command.summary, 14);
    out += "\nOptions:\n";
    out += twoColumns("--help", "show this help and exit", 14);
    out += twoColumns("--help-all", "show this help and the help of every command, and exit", 14);
    out += twoColumns("--version", "show the version and exit", 14);
    out += "\nExit status:\n";
    out += twoColumns("0", "everything succeeded", 8);
    out += twoColumns("1", "the run finished, but some files or folders failed; each has a line "
                           "\"quillbox: PATH: number :: description\" on standard error", 8);
    out += twoColumns("2", "the run could not start: bad usage, or a missing folder or input file", 8);
    out += twoColumns("130", "Ctrl+C stopped the run after the file at hand; nothing is left half-written", 8);
    out += twoColumns("143", "SIGTERM stopped the run, as Ctrl+C does", 8);
    out += twoColumns("129", "SIGHUP (the terminal went away) stopped the run, as Ctrl+C does", 8);
    out += '\n';
    out += wrap("Progress shows on standard error when it is a terminal. Run 'quillbox COMMAND --help' "
                "for a command's arguments and options.", 0, 0);
    if (allCommands)
        for (const Command& command : commands()) {
            out += "\nCommand " + command.name + ":\n";
            out += "  quillbox " + command.name + (command.synopsis.empty() ? "" : " " + command.synopsis) + "\n\n";
            std::string about = command.summary + (command.description.empty() ? "." : ". " + command.description);
            if (!about.empty() && about[0] >= 'a' && about[0] <= 'z')
                about[0] = static_cast<char>(about[0] - 'a' + 'A');
            out += wrap(about, 0, 0);
            if (!command.options.empty())
                out += '\n';
            for (const CommandOption& option : command.options)
                out += twoColumns(option.valueName.empty() ? option.name : option.name + " " + option.valueName,
                                  option.help, 22);
        }
    return out;
}

bool displayAvailable()
{
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* value = std::getenv(name); value && *value)
            return true;
    return false;
}

int noDisplay()
{
    writeErr("quillbox: no display to open the window on; give a command to run a tool without one, or start "
             "Quillbox under xvfb-run\n");
    writeErr(commandLineHelp(false));
    return exitStatus::cannotStart;
}

struct CommandRun::Progress {
    bool terminal = false;
    bool shown = false;  // a progress line stands on the terminal
    std::chrono::steady_clock::time_point last{};
};

CommandRun::CommandRun(const Command& command, std::vector<std::string> arguments,
                       std::map<std::string, std::string, std::less<>> options)
    : command_(command), arguments_(std::move(arguments)), options_(std::move(options)),
      progress_(std::make_shared<Progress>())
{
    progress_->terminal = ::isatty(STDERR_FILENO) == 1;
}

CommandRun::~CommandRun() = default;

bool CommandRun::has(std::string_view option) const
{
    return options_.find(option) != options_.end();
}

const std::string* CommandRun::value(std::string_view option) const
{
    const auto found = options_.find(option);
    return found == options_.end() ? nullptr : &found->second;
}

void CommandRun::print(std::string_view bytes)
{
    if (outputFailed_ || bytes.empty())
        return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
        outputFailed_ = true;
        report(systemError(errno, "standard output"));
    }
}

void CommandRun::report(const std::filesystem::path& path, const Error& error)
{
    clearProgress();
    std::string_view description = error.description;
    const std::string& name = path.native();
    if (description.starts_with(name) && description.substr(name.size()).starts_with(": "))
        description.remove_prefix(name.size() + 2);
    writeErr("quillbox: " + name + ": " + std::to_string(error.number) + " :: " + std::string(description) + "\n");
}

void CommandRun::report(const Error& error)
{
    clearProgress();
    writeErr("quillbox: " + formatError(error) + "\n");
}

void CommandRun::note(std::string_view text)
{
    clearProgress();
    writeErr("quillbox: " + std::string(text) + "\n");
}

void CommandRun::removeDebrisBeside(const std::filesystem::path& file)
{
    const std::filesystem::path folder = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    if (const auto removed = FileSystemObject().removeDebris(folder); removed && *removed > 0)
        note(debrisNote(*removed));
}

int CommandRun::usage(std::string_view text)
{
    clearProgress();
    writeErr("quillbox " + command_.name + ": " + std::string(text) + "\n" + usageLine(command_) + "Try 'quillbox " +
             command_.name + " --help' for more information.\n");
    return exitStatus::cannotStart;
}

bool CommandRun::folderExists(const std::filesystem::path& path)
{
    const auto folder = FileSystemObject().GetFolder(path);
    if (!folder)
        report(path, folder.error());
    return folder.has_value();
}

bool CommandRun::fileExists(const std::filesystem::path& path)
{
    const auto file = FileSystemObject().GetFile(path);
    if (!file)
        report(path, file.error());
    return file.has_value();
}

void CommandRun::reportFailures(const std::vector<Failure>& failures)
{
    for (std::size_t i = 0; i < failures.size() && i < listedFailures; ++i)
        report(failures[i].path, failures[i].error);
    if (failures.size() > listedFailures) {
        note(moreFailures(failures.size() - listedFailures));
        note(failuresHead(failures.size()) + ".");
    }
}

int CommandRun::runStatus(const RunReport& run)
{
    std::vector<Failure> failures;
    failures.reserve(run.missingInputs.size() + run.failures.size());
    for (const std::filesystem::path& missing : run.missingInputs)
        failures.push_back({missing, systemError(ENOENT, missing)});
    failures.insert(failures.end(), run.failures.begin(), run.failures.end());
    reportFailures(failures);
    // What else the window would say at the end (a backup name that got a counter, temporary
    // files of an interrupted run that were removed) goes to stderr too, a line each.
    const std::string notes = runNotes(run);
    for (std::string_view rest = notes; !rest.empty();) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        note(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return run.failures.empty() && run.missingInputs.empty() ? exitStatus::ok : exitStatus::failed;
}

std::optional<std::string> CommandRun::readFile(const std::filesystem::path& path)
{
    auto bytes = FileSystemObject().readFileBytes(path);
    if (!bytes) {
        report(path, bytes.error());
        return std::nullopt;
    }
    return std::move(*bytes);
}

std::optional<std::string> CommandRun::readStandardInput()
{
    std::string bytes;
    char block[65536];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, block, sizeof block);
        if (n > 0) {
            bytes.append(block, static_cast<std::size_t>(n));
        } else if (n == 0) {
            return bytes;
        } else if (errno != EINTR) {
            report("standard input", systemError(errno, "standard input"));
            return std::nullopt;
        } else if (interrupted()) {
            return std::nullopt;
        }
    }
}

ProgressCallback CommandRun::progress()
{
    return [progress = progress_](const std::filesystem::path& current, std::uint64_t count) {
        if (stopSignal != 0)
            return false;
        if (!progress->terminal)
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (progress->shown && now - progress->last < progressInterval)
            return true;
        progress->last = now;
        progress->shown = true;
        std::size_t columns = 80;
        winsize size{};
        if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
            columns = size.ws_col;
        std::string line = std::to_string(count) + " files  ";
        const std::string& path = current.native();
        const std::size_t room = columns > line.size() + 4 ? columns - line.size() - 1 : 0;
        if (path.size() <= room)
            line += path;
        else if (room > 3)
            line += "..." + path.substr(path.size() - (room - 3));
        writeErr("\r" + line + "\x1b[K");
        return true;
    };
}

bool CommandRun::interrupted() const
{
    return stopSignal != 0;
}

std::stop_token CommandRun::stopToken() const
{
    return stopWatcher ? stopWatcher->token() : std::stop_token();
}

bool CommandRun::stderrIsTerminal() const
{
    return progress_->terminal;
}

void CommandRun::clearProgress()
{
    if (!progress_->shown)
        return;
    progress_->shown = false;
    writeErr("\r\x1b[K");
}

int CommandRun::finish(int status)
{
    clearProgress();
    if (std::fflush(stdout) != 0 && !outputFailed_) {
        outputFailed_ = true;
        report(systemError(errno, "standard output"));
    }
    if (interrupted())
        return 128 + stopSignal;
    if (outputFailed_ && status == exitStatus::ok)
        return exitStatus::failed;
    return status;
}

namespace {

int printHelp(const std::string& text)
{
    writeOut(text);
    return std::fflush(stdout) == 0 ? exitStatus::ok : exitStatus::failed;
}

struct ParsedArguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string, std::less<>> options;
};

// The arguments after the command's name, sorted into positional ones and options; instead, the
// exit status when they are a usage problem (after its message) or ask for the command's help.
std::expected<ParsedArguments, int> parseArguments(const Command& command, const std::vector<std::string>& args)
{
    ParsedArguments parsed;
    CommandRun problems(command, {}, {});
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-' || looksLikeNumber(arg)) {
            parsed.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (name == "--help" || name == "-h")
            return std::unexpected(printHelp(commandHelp(command)));
        const auto option = std::ranges::find(command.options, name, &CommandOption::name);
        if (option == command.options.end())
            return std::unexpected(problems.usage("unknown option '" + name + "'"));
        if (option->valueName.empty()) {
            if (equals != std::string::npos)
                return std::unexpected(problems.usage("option '" + name + "' takes no value"));
            parsed.options[name];
        } else if (equals != std::string::npos) {
            parsed.options[name] = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            parsed.options[name] = args[++i];
        } else {
            return std::unexpected(problems.usage("option '" + name + "' needs a value (" + option->valueName + ")"));
        }
    }
    const auto& positional = parsed.positional;
    if (positional.size() < command.minArguments)
        return std::unexpected(problems.usage(positional.empty() ? "missing arguments" : "too few arguments"));
    if (positional.size() > command.maxArguments)
        return std::unexpected(problems.usage("unexpected argument '" + positional[command.maxArguments] + "'"));
    return parsed;
}

}  // namespace

int runCommandLine(int argc, char** argv)
{
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    const auto generalProblem = [](const std::string& text) {
        writeErr("quillbox: " + text + "\n" + generalUsage() + "Try 'quillbox --help' for more information.\n");
        return exitStatus::cannotStart;
    };
    if (args.empty())
        return generalProblem("no command given");
    const std::string& first = args.front();
    if (first == "--help" || first == "-h" || first == "--help-all")
        return printHelp(commandLineHelp(first == "--help-all"));
    if (first == "--version")
        return printHelp("quillbox " QUILLBOX_VERSION "\n");
    if (first.starts_with("-"))
        return generalProblem("unknown option '" + first + "'");
    const Command* command = findCommand(first);
    if (!command)
        return generalProblem("unknown command '" + first + "'");
    auto parsed = parseArguments(*command, args);
    if (!parsed)
        return parsed.error();

    StopWatcher watcher;
    stopWatcher = &watcher;
    catchStopSignals();
    CommandRun run(*command, std::move(parsed->positional), std::move(parsed->options));
    int status = exitStatus::failed;
    try {
        status = command->run(run);
    } catch (const std::exception& e) {  // out of memory and the like: a message, not a crash
        run.report(Error{7, e.what()});
    }
    status = run.finish(status);
    stopWatcher = nullptr;
    return status;
}

}  // namespace qb
