// The command line: `quillbox COMMAND ARGUMENTS...` runs one tool without a window, on the same
// logic as the tool's window, and prints what the window would show. Tool folders register their
// commands here the way they register their windows with the opening rule, so a new command only
// touches its own folder.
//
// The dispatcher reads the command name, checks the arguments against the command's options,
// answers --help, --help-all and --version, and hands the command a CommandRun: its arguments,
// checked output, error lines on stderr, progress on a terminal, and Ctrl+C. Nothing here needs
// Qt or a display.
//
// Exit status: 0 when everything succeeded, 1 when the run finished but something failed (each
// failure has its line on stderr), 2 when the run could not start (bad usage, a missing input),
// and 130 when Ctrl+C stopped it (143 for SIGTERM, 129 for SIGHUP, which stop it the same way).
#pragma once

#include "core/error.h"
#include "core/walk.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

namespace exitStatus {
inline constexpr int ok = 0;
inline constexpr int failed = 1;
inline constexpr int cannotStart = 2;
inline constexpr int interrupted = 130;
}  // namespace exitStatus

struct CommandOption {
    std::string name;       // "--format"
    std::string valueName;  // "FORMAT" for an option that takes a value; empty for a switch
    std::string help;
    std::string shortName = {};              // "-o"; a switch's short name may be bundled ("-rn")
    std::vector<std::string> aliases = {};   // older names that mean the same ("--out")
};

// The options several commands share, so each means the same everywhere.
namespace options {
CommandOption output(std::string help, std::vector<std::string> aliases = {});  // -o, --output FILE
CommandOption recursive(std::string help);                                       // -r, --recursive
CommandOption dryRun(std::string help);                                          // -n, --dry-run
CommandOption glob();                                                            // -g, --glob PATTERN
CommandOption gitIgnore();                                                       // --gitignore
CommandOption nullEnds();                                                        // -0, --null
}  // namespace options

class CommandRun;

// The options given to a run: each option's values in the order given (a switch has one empty value
// each time it was given).
using OptionValues = std::map<std::string, std::vector<std::string>, std::less<>>;

struct Command {
    std::string name;
    std::string synopsis;     // the usage line after the name: "PATH... [--format FORMAT]"
    std::string summary;      // one sentence for the list of commands
    std::string description;  // more for the command's own help; paragraphs split by "\n\n"
    std::vector<CommandOption> options;
    std::size_t minArguments = 0;
    std::size_t maxArguments = SIZE_MAX;
    std::function<int(CommandRun&)> run;
    int place = 0;  // its order in the list of commands, given when it is registered
};

// Each tool folder registers its commands; `place` orders them in the list of commands.
void registerCommand(Command command, int place);

// One command being run.
class CommandRun {
public:
    CommandRun(const Command& command, std::vector<std::string> arguments, OptionValues options);
    ~CommandRun();

    const std::string& name() const { return command_.name; }
    const std::vector<std::string>& arguments() const { return arguments_; }
    bool has(std::string_view option) const;
    // The value given to `option` (the last one when given twice), or nullptr.
    const std::string* value(std::string_view option) const;
    // Every value given to `option`, in order.
    std::vector<std::string> values(std::string_view option) const;

    // Writes text to standard output. Its lines end in LF, or in CR LF with --crlf, whatever
    // they ended in; with --quiet nothing is written. On a terminal, control characters other
    // than line ends and tabs show escaped ("\033"), so a file name cannot drive the terminal.
    // A failed write is reported once and makes the status 1.
    void print(std::string_view bytes);
    // The same for bytes whose line ends belong to their format (CSV's CR LF): kept as they are.
    void printBytes(std::string_view bytes);
    // One listed path, ended by LF (CR LF with --crlf), or by NUL with --null.
    void printPath(const std::filesystem::path& path);
    // `text` with its line ends as print() writes them, for output that goes to a file instead.
    std::string withLineEnds(std::string_view text) const;
    bool quiet() const;
    // Each path of a run's listing (below `folder`, as walks spell it: absolute) with printPath,
    // spelled below `folder` as the user gave it.
    void printListed(const std::vector<std::filesystem::path>& listed, const std::filesystem::path& folder);
    // "quillbox: PATH: number :: description" on stderr; a description that starts with the path
    // does not repeat it.
    void report(const std::filesystem::path& path, const Error& error);
    // "quillbox: number :: description".
    void report(const Error& error);
    // "quillbox: TEXT".
    void note(std::string_view text);
    // Removes what killed runs left in the folder of `file`, which the command publishes, and
    // notes how many went, as a run's notes do.
    void removeDebrisBeside(const std::filesystem::path& file);
    // A usage problem: "quillbox NAME: TEXT", the usage line and where help is; returns 2.
    int usage(std::string_view text);

    // True when `path` names an existing folder (a file); otherwise its error line is printed.
    bool folderExists(const std::filesystem::path& path);
    bool fileExists(const std::filesystem::path& path);
    // The status of a tool's run: the failures (missing inputs first) as reportFailures lists
    // them, then a "quillbox: NOTE" line for each of the run's notes; 0 when nothing failed, else 1.
    int runStatus(const RunReport& report);
    // An error line for each of the first 20 failures; when there were more, "quillbox: and N
    // more." and the summary line "quillbox: Could not handle M files or folders.", as the
    // windows list them.
    void reportFailures(const std::vector<Failure>& failures);

    // The bytes of a file the command reads; nothing (after its error line) when it cannot be read.
    std::optional<std::string> readFile(const std::filesystem::path& path);
    // Everything on standard input; nothing when reading failed (after its error line) or Ctrl+C
    // stopped it.
    std::optional<std::string> readStandardInput();
    // The path to read for an input named on the command line: "-" is standard input, and a
    // named pipe, FIFO or character device (`<(...)`, /dev/stdin) is read as a stream, as cat
    // reads it. Says on stderr when the run will wait for the terminal.
    std::filesystem::path inputPath(const std::string& argument);

    // For the logic's walks: shows the walk on stderr when it is a terminal (one line rewritten
    // in place, at most ten times a second), and asks the walk to stop after Ctrl+C.
    ProgressCallback progress();
    // True once Ctrl+C, SIGTERM or SIGHUP asked the run to stop.
    bool interrupted() const;
    // The same stop as a token, for logic that checks it on threads of its own.
    std::stop_token stopToken() const;
    bool stderrIsTerminal() const;

    // The command's status, made 1 by a failed write and 128 + the signal's number by a stop
    // signal; output flushed and checked.
    int finish(int status);

private:
    void clearProgress();

    void write(std::string_view bytes);

    const Command& command_;
    std::vector<std::string> arguments_;
    OptionValues options_;
    bool outputFailed_ = false;
    bool outputIsTerminal_ = false;

    struct Progress;
    std::shared_ptr<Progress> progress_;
};

// Runs `quillbox ARGUMENTS...` (argv[0] is the program).
int runCommandLine(int argc, char** argv);

// The whole help of every command, as --help-all prints it.
std::string commandLineHelp(bool allCommands);

// For `quillbox` without arguments: true when a window can be shown (a display is named, or the
// Qt platform is chosen explicitly).
bool displayAvailable();
// When it cannot: a one-line hint and the usage on stderr; returns 2.
int noDisplay();

}  // namespace qb
