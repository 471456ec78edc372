#include "core/commandLine.h"

#include "core/fs.h"
#include "core/glob.h"
#include "core/lineEnds.h"

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
#include <sys/stat.h>
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

// `text` for a terminal: a control character other than a tab or a line end shows as a backslash
// and three octal digits, as ls shows it, so a file name cannot drive the terminal.
std::string terminalSafe(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool lineEnd = c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
        if ((c < 0x20 && c != '\t' && !lineEnd) || c == 0x7F) {
            const char octal[] = {'\\', char('0' + (c >> 6)), char('0' + ((c >> 3) & 7)), char('0' + (c & 7))};
            out.append(octal, sizeof octal);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool stderrTerminal()
{
    static const bool terminal = ::isatty(STDERR_FILENO) == 1;
    return terminal;
}

// Terminal control of our own (the progress line), written as it is.
void writeErrRaw(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
}

void writeErr(std::string_view text)
{
    writeErrRaw(stderrTerminal() ? terminalSafe(text) : std::string(text));
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

// What every command takes besides its own options.
const std::vector<CommandOption>& commonOptions()
{
    static const std::vector<CommandOption> list = {
        {"--crlf", "", "end printed lines with CR LF, as the windows and the files the tools write do "
                       "(default: LF)"},
        {"--quiet", "", "print nothing on success; errors still go to standard error (default: print "
                        "the results)", "-q"},
        {"--help", "", "show this help and exit", "-h"},
    };
    return list;
}

std::string optionTerm(const CommandOption& option)
{
    std::string term = option.shortName.empty() ? "    " : option.shortName + ", ";
    term += option.name;
    if (!option.valueName.empty())
        term += " " + option.valueName;
    return term;
}

std::string optionLines(const CommandOption& option)
{
    std::string out = twoColumns(optionTerm(option), option.help, 26);
    for (const std::string& alias : option.aliases)
        out += twoColumns("    " + alias + (option.valueName.empty() ? "" : " " + option.valueName),
                          "the same as " + option.name + ", kept for older scripts", 26);
    return out;
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
        out += optionLines(option);
    for (const CommandOption& option : commonOptions())
        out += optionLines(option);
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

namespace options {

CommandOption output(std::string help, std::vector<std::string> aliases)
{
    return {"--output", "FILE", std::move(help), "-o", std::move(aliases)};
}

CommandOption recursive(std::string help)
{
    return {"--recursive", "", std::move(help), "-r"};
}

CommandOption dryRun(std::string help)
{
    return {"--dry-run", "", std::move(help) + " (default: write)", "-n"};
}

CommandOption glob()
{
    return {"--glob", "PATTERN",
            "walk only the files PATTERN matches, or with a leading ! leave out what it matches (a file's "
            "or folder's name at any depth, or with a slash its path below the folder; *, ?, [a-z], "
            "{a,b} and ** as in ripgrep); may be given again, and the last matching pattern decides "
            "(default: every file)",
            "-g"};
}

CommandOption gitIgnore()
{
    return {"--gitignore", "",
            "inside a git work tree, leave out the files and folders git ignores (.gitignore files, "
            ".git/info/exclude and the global excludes file; tracked files stay) and .git itself; "
            "outside one, nothing changes"};
}

CommandOption nullEnds()
{
    return {"--null", "", "end each listed path with a NUL byte instead of a line end, for xargs -0 "
                          "(default: a line end)", "-0"};
}

}  // namespace options

void registerCommand(Command command, int place)
{
    command.place = place;
    auto& list = commands();
    std::erase_if(list, [&](const Command& known) { return known.name == command.name; });
    const auto at = std::ranges::find_if(list, [&](const Command& known) { return known.place > place; });
    list.insert(at, std::move(command));
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
    out += twoColumns("-h, --help", "show this help and exit; 'quillbox help COMMAND' shows a command's", 18);
    out += twoColumns("--help-all", "show this help and the help of every command, and exit", 18);
    out += twoColumns("-V, --version", "show the version and exit", 18);
    out += '\n';
    out += wrap("Every command also takes --crlf (end printed lines with CR LF instead of LF), -q or --quiet "
                "(print nothing on success) and -h or --help. An input file given as - is standard input; "
                "an input named on the command line may be a pipe, FIFO or character device "
                "(<(command), /dev/stdin), read as a stream.", 0, 0);
    out += "\nExit status:\n";
    out += twoColumns("0", "everything succeeded", 8);
    out += twoColumns("1", "the run finished, but some files or folders failed; each has a line "
                           "\"quillbox: PATH: number :: description\" on standard error. Also a scan with "
                           "--fail-if-found that found anything", 8);
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
                out += optionLines(option);
        }
    out += "\nEnvironment:\n";
    out += twoColumns("QUILLBOX_DATA_DIR", "the data folder, used instead of the ones below when it is set", 22);
    out += "\nFiles:\n";
    out += twoColumns("data folder", "where replace keeps replaceLines.txt and debug.out, and repeat keeps in.txt, "
                                     "out.txt and last.txt: $QUILLBOX_DATA_DIR when set; otherwise the "
                                     "executable's folder when it may be written; otherwise "
                                     "$XDG_DATA_HOME/Quillbox (~/.local/share/Quillbox)", 22);
    out += twoColumns("settings", "$XDG_CONFIG_HOME/Quillbox/Quillbox.ini (~/.config/Quillbox/Quillbox.ini): "
                                  "what the windows remember (folders, paths, options, the editor)", 22);
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

CommandRun::CommandRun(const Command& command, std::vector<std::string> arguments, OptionValues options)
    : command_(command), arguments_(std::move(arguments)), options_(std::move(options)),
      progress_(std::make_shared<Progress>())
{
    progress_->terminal = ::isatty(STDERR_FILENO) == 1 && !quiet();
    outputIsTerminal_ = ::isatty(STDOUT_FILENO) == 1;
}

CommandRun::~CommandRun() = default;

bool CommandRun::has(std::string_view option) const
{
    return options_.find(option) != options_.end();
}

const std::string* CommandRun::value(std::string_view option) const
{
    const auto found = options_.find(option);
    return found == options_.end() || found->second.empty() ? nullptr : &found->second.back();
}

std::vector<std::string> CommandRun::values(std::string_view option) const
{
    const auto found = options_.find(option);
    return found == options_.end() ? std::vector<std::string>{} : found->second;
}

void CommandRun::printListed(const std::vector<std::filesystem::path>& listed, const std::filesystem::path& folder)
{
    const std::filesystem::path absolute = absoluteFolder(folder);
    for (const std::filesystem::path& path : listed)
        printPath(respelled(path, absolute, folder));
}

bool CommandRun::quiet() const
{
    return has("--quiet");
}

void CommandRun::write(std::string_view bytes)
{
    if (outputFailed_ || bytes.empty() || quiet())
        return;
    std::string escaped;
    if (outputIsTerminal_) {
        escaped = terminalSafe(bytes);
        bytes = escaped;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
        outputFailed_ = true;
        report(systemError(errno, "standard output"));
    }
}

std::string CommandRun::withLineEnds(std::string_view text) const
{
    // CR LF and a lone LF become the chosen line end; a lone CR stays. The text between line
    // ends is copied a line at a time: a streamed report passes through here whole.
    const std::string_view lineEnd = has("--crlf") ? "\r\n" : "\n";
    std::string out;
    out.reserve(text.size());
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = lineEndFrom(text, from);
        out.append(text.substr(from, end - from));
        if (end == text.size())
            break;
        const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        out.append(text[end] == '\r' && !crlf ? std::string_view("\r") : lineEnd);
        from = end + (crlf ? 2 : 1);
    }
    return out;
}

void CommandRun::print(std::string_view bytes)
{
    write(withLineEnds(bytes));
}

void CommandRun::printBytes(std::string_view bytes)
{
    write(bytes);
}

void CommandRun::printPath(const std::filesystem::path& path)
{
    if (has("--null")) {
        write(path.native());
        write(std::string_view("\0", 1));
    } else {
        print(path.native() + "\n");
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
    if (quiet())
        return;
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

std::filesystem::path CommandRun::inputPath(const std::string& argument)
{
    std::filesystem::path path(argument);
    if (argument == "-")
        path = standardInputPath;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)))
        acceptStreamInput(path);
    else if (argument == "-")
        acceptStreamInput(path);  // a socket, or a file the shell redirected
    if (path == standardInputPath && ::isatty(STDIN_FILENO) == 1)
        note("reading standard input from the terminal; end it with Ctrl+D");
    return path;
}

std::optional<std::string> CommandRun::readStandardInput()
{
    if (::isatty(STDIN_FILENO) == 1)
        note("reading standard input from the terminal; end it with Ctrl+D");
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
        const std::string path = terminalSafe(current.native());
        const std::size_t room = columns > line.size() + 4 ? columns - line.size() - 1 : 0;
        if (path.size() <= room)
            line += path;
        else if (room > 3)
            line += "..." + path.substr(path.size() - (room - 3));
        writeErrRaw("\r" + line + "\x1b[K");
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
    writeErrRaw("\r\x1b[K");
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
    OptionValues options;
};

// The option `name` names ("--output", "-o" or an alias such as "--out"), or nullptr.
const CommandOption* findOption(const Command& command, std::string_view name)
{
    for (const auto* list : {&command.options, &commonOptions()})
        for (const CommandOption& option : *list)
            if (option.name == name || (!option.shortName.empty() && option.shortName == name) ||
                std::ranges::find(option.aliases, name) != option.aliases.end())
                return &option;
    return nullptr;
}

// The arguments after the command's name, sorted into positional ones and options; instead, the
// exit status when they are a usage problem (after its message) or ask for the command's help.
// Short options may be bundled ("-rn"), and the last of a bundle may take its value from the rest
// of the word or from the next argument ("-gfoo", "-g foo"), as getopt takes them.
std::expected<ParsedArguments, int> parseArguments(const Command& command, const std::vector<std::string>& args)
{
    ParsedArguments parsed;
    CommandRun problems(command, {}, {});
    bool optionsEnded = false;
    // Takes option `name` with the value in `inlineValue`, or else from the next argument.
    const auto take = [&](const std::string& name, std::optional<std::string> inlineValue, std::size_t& i) -> int {
        const CommandOption* option = findOption(command, name);
        if (!option)
            return problems.usage("unknown option '" + name + "'");
        if (option->name == "--help")
            return printHelp(commandHelp(command)) == exitStatus::ok ? -1 : exitStatus::failed;
        if (option->valueName.empty()) {
            if (inlineValue)
                return problems.usage("option '" + name + "' takes no value");
            parsed.options[option->name].emplace_back();
        } else if (inlineValue) {
            parsed.options[option->name].push_back(*inlineValue);
        } else if (i + 1 < args.size()) {
            parsed.options[option->name].push_back(args[++i]);
        } else {
            return problems.usage("option '" + name + "' needs a value (" + option->valueName + ")");
        }
        return 0;
    };
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // "-0" is an option where the command has one so named, else the start of a number.
        if (optionsEnded || arg.size() < 2 || arg[0] != '-' ||
            (looksLikeNumber(arg) && !findOption(command, arg.substr(0, 2)))) {
            parsed.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        int status = 0;
        if (arg.starts_with("--")) {
            const std::size_t equals = arg.find('=');
            status = take(arg.substr(0, equals),
                          equals == std::string::npos ? std::nullopt : std::optional(arg.substr(equals + 1)), i);
        } else {
            for (std::size_t k = 1; k < arg.size() && status == 0; ++k) {
                const std::string name = {'-', arg[k]};
                const CommandOption* option = findOption(command, name);
                const bool valueFollows = option && !option->valueName.empty() && k + 1 < arg.size();
                status = take(name, valueFollows ? std::optional(arg.substr(k + 1)) : std::nullopt, i);
                if (valueFollows)
                    break;
            }
        }
        if (status != 0)  // -1: the help was shown
            return std::unexpected(status < 0 ? exitStatus::ok : status);
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
    if (first == "--help" || first == "-h" || first == "--help-all" || (first == "help" && args.size() == 1))
        return printHelp(commandLineHelp(first == "--help-all"));
    if (first == "--version" || first == "-V")
        return printHelp("quillbox " QUILLBOX_VERSION "\n");
    if (first == "help") {
        const Command* command = findCommand(args[1]);
        if (!command || args.size() > 2)
            return generalProblem(command ? "help takes one command" : "unknown command '" + args[1] + "'");
        return printHelp(commandHelp(*command));
    }
    if (first.starts_with("-"))
        return generalProblem("unknown option '" + first + "'");
    const Command* command = findCommand(first);
    if (!command)
        return generalProblem("unknown command '" + first + "'");
    auto parsed = parseArguments(*command, args);
    if (!parsed)
        return parsed.error();
    WalkFilter filter;
    filter.skipGitIgnored = parsed->options.contains("--gitignore");
    if (const auto globs = parsed->options.find("--glob"); globs != parsed->options.end())
        for (const std::string& pattern : globs->second)
            if (auto added = filter.files.add(pattern); !added)
                return CommandRun(*command, {}, {}).usage(added.error().description);
    filterWalks(std::move(filter));

    StopWatcher watcher;
    stopWatcher = &watcher;
    catchStopSignals();
    CommandRun run(*command, std::move(parsed->positional), std::move(parsed->options));
    int status = exitStatus::failed;
    try {
        status = command->run(run);
    } catch (const std::exception& e) {  // out of memory and the like: a message, not a crash
        run.report(Error{err::OutOfMemory, e.what()});
    }
    status = run.finish(status);
    stopWatcher = nullptr;
    return status;
}

}  // namespace qb
