#include "tools/scan/ctagsDeclarations.h"

#include "core/lineEnds.h"
#include "tools/scan/findSubs.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <span>
#include <thread>
#include <unordered_map>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qb {

namespace {

constexpr std::size_t batchSize = 500;

// Runs `program` with `arguments` (no shell), standard input and error from and to /dev/null;
// its standard output, or the error of starting it (ENOENT when it is not on the PATH).
Result<std::string> outputOf(const std::string& program, const std::vector<std::string>& arguments, int& status)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return std::unexpected(systemError(errno, program));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        return std::unexpected(systemError(spawned, program));
    }
    std::string output;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (got > 0)
            output.append(buffer, static_cast<std::size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    ::close(pipeEnds[0]);
    int waited = 0;
    while (::waitpid(child, &waited, 0) < 0 && errno == EINTR) {
    }
    status = WIFEXITED(waited) ? WEXITSTATUS(waited) : -1;
    return output;
}

}  // namespace

Result<std::string> findCtags()
{
    std::vector<std::string> candidates = {"ctags-universal", "ctags"};
    if (const char* chosen = std::getenv(ctagsVariable); chosen && *chosen)
        candidates = {chosen};
    for (const std::string& candidate : candidates) {
        int status = 0;
        auto version = outputOf(candidate, {"--version"}, status);
        if (version && status == 0 && version->find("Universal Ctags") != std::string::npos)
            return candidate;
    }
    return std::unexpected(Error{err::FileNotFound, std::string(ctagsMissing)});
}

namespace {

// Each file's tags, in line order.
using TagsByFile = std::unordered_map<std::string, std::vector<CtagsTag>>;

// Reports the tagged lines of one file, in the Classic declaration report's shape.
class TagLinesScanner final : public PathLineScanner {
public:
    explicit TagLinesScanner(const TagsByFile& tags) : tags_(tags) {}

    void start(const std::filesystem::path& file, ScanPart& part) override
    {
        PathLineScanner::start(file, part);
        line_ = 1;
        const auto found = tags_.find(file.native());
        next_ = found == tags_.end() ? nullptr : found->second.data();
        end_ = found == tags_.end() ? nullptr : found->second.data() + found->second.size();
    }

    Result<void> scan(std::string_view lines, bool, ScanPart& part) override
    {
        for (std::size_t pos = 0; pos < lines.size() && next_ != end_;) {
            const std::size_t end = lineEndFrom(lines, pos);
            const std::string_view text = lines.substr(pos, end - pos);
            for (; next_ != end_ && next_->line == line_; ++next_) {
                part.addFileLine("\t", text, line_);
                if (part.detailed)
                    part.records.push_back(Record{.line = line_, .kind = RecordKind::Declaration, .text = std::string(text),
                                                  .tag = next_->kind, .scope = next_->scope});
            }
            ++line_;
            pos = afterLineEnd(lines, end);
        }
        return {};
    }

private:
    const TagsByFile& tags_;
    const CtagsTag* next_ = nullptr;
    const CtagsTag* end_ = nullptr;
    std::uint64_t line_ = 1;
};

// What ctags is asked for: each tag's file, line, kind (long name), language and scope, and no
// search pattern (the report reads the line from the file itself), so that ctags writes and this
// process reads a fraction of the JSON. Kinds that are never kept are not made at all where that
// is known to leave the kept tags and their scopes exactly as they are (C and C++, where macros,
// members and enumerators are most of the tags).
const std::vector<std::string>& ctagsArguments()
{
    static const std::vector<std::string> arguments = {
        "--output-format=json", "--excmd=number", "--fields=FnklsZ", "--sort=no",
        "--kinds-C=-{macro}{enumerator}{header}{member}{variable}",
        "--kinds-C++=-{macro}{enumerator}{header}{member}{variable}", "-f", "-"};
    return arguments;
}

Result<std::vector<CtagsTag>> runCtagsWith(const std::string& program, std::span<const std::string> files)
{
    std::vector<std::string> arguments = ctagsArguments();
    for (const std::string& file : files)
        arguments.push_back(file.starts_with('-') ? "./" + file : file);  // never read as an option
    int status = 0;
    auto output = outputOf(program, arguments, status);
    if (!output)
        return std::unexpected(output.error());
    if (status == 0)
        return parseCtagsJson(*output);
    // ctags gives up at the first file it cannot read: the batch is run again in halves, so such
    // a file costs only its own tags (the scan lists it as skipped when it reads it).
    if (files.size() == 1)
        return std::vector<CtagsTag>();
    const std::size_t half = files.size() / 2;
    auto tags = runCtagsWith(program, files.first(half));
    auto rest = runCtagsWith(program, files.subspan(half));
    if (!tags || !rest)
        return tags ? rest : tags;
    tags->insert(tags->end(), std::make_move_iterator(rest->begin()), std::make_move_iterator(rest->end()));
    return tags;
}

}  // namespace

bool isDeclarationKind(std::string_view language, std::string_view kind)
{
    static constexpr std::string_view kept[] = {
        "function", "func", "method", "singletonMethod", "constructor", "subroutine", "procedure", "fn",
        "class", "struct", "interface", "enum", "typedef", "type", "alias", "trait", "implementation",
        "protocol", "object", "union", "module", "namespace", "package", "record", "category",
    };
    if (language == "Python" && kind == "member")
        return true;  // a method of a Python class
    return std::ranges::find(kept, kind) != std::end(kept);
}

std::vector<CtagsTag> parseCtagsJson(std::string_view output)
{
    std::vector<CtagsTag> tags;
    for (std::size_t pos = 0; pos < output.size();) {
        std::size_t end = output.find('\n', pos);
        if (end == std::string_view::npos)
            end = output.size();
        const std::string_view line = output.substr(pos, end - pos);
        pos = end + 1;
        const nlohmann::json tag = nlohmann::json::parse(line, nullptr, false);
        if (tag.is_discarded() || !tag.is_object() || tag.value("_type", "") != "tag")
            continue;
        const std::string kind = tag.value("kind", "");
        if (!isDeclarationKind(tag.value("language", ""), kind) || !tag.contains("line") || !tag["line"].is_number_unsigned())
            continue;
        tags.push_back({tag.value("path", ""), tag["line"].get<std::uint64_t>(), kind, tag.value("scope", "")});
    }
    return tags;
}

Result<std::vector<CtagsTag>> runCtags(const std::vector<std::string>& files)
{
    auto program = findCtags();
    if (!program)
        return std::unexpected(program.error());
    return runCtagsWith(*program, files);
}

Result<ScanReport> findDeclarationsByType(const std::vector<std::filesystem::path>& paths, ProgressCallback progress,
                                          ScanOutput output, std::stop_token stop)
{
    auto program = findCtags();
    if (!program)
        return std::unexpected(program.error());
    // The files, walked as the Classic scan walks them (the second walk below reports what cannot be walked).
    std::vector<std::string> files;
    {
        const TagsByFile none;
        FileScanners idle;
        idle.push_back(std::make_unique<TagLinesScanner>(none));
        ScanRun walk({}, std::move(idle), ScanDetail::TextOnly, stop);
        walk.walkPaths(paths, [&](const std::filesystem::path& file) {
            if (!nameHasFragment(fileNameOf(file), subsSkipList))
                files.push_back(file.native());
        });
        walk.finish();
    }
    // ctags over batches of files, as many at once as there are workers.
    std::vector<std::vector<std::string>> batches;
    for (std::size_t at = 0; at < files.size(); at += batchSize)
        batches.emplace_back(files.begin() + static_cast<std::ptrdiff_t>(at),
                             files.begin() + static_cast<std::ptrdiff_t>(std::min(files.size(), at + batchSize)));
    std::vector<Result<std::vector<CtagsTag>>> results(batches.size());
    std::atomic<std::size_t> nextBatch = 0;
    {
        std::vector<std::jthread> workers;
        for (std::size_t i = std::min(scanThreadCount(), batches.size()); i > 0; --i)
            workers.emplace_back([&] {
                for (std::size_t b; (b = nextBatch++) < batches.size();)
                    results[b] = runCtagsWith(*program, batches[b]);
            });
    }
    TagsByFile tags;
    for (auto& result : results) {
        if (!result)
            return std::unexpected(result.error());
        for (CtagsTag& tag : *result)
            tags[tag.path].push_back(std::move(tag));
    }
    for (auto& [path, list] : tags)
        std::ranges::stable_sort(list, {}, &CtagsTag::line);
    // The tagged lines, read in walk order.
    FileScanners scanners;
    for (std::size_t i = scanThreadCount(); i > 0; --i)
        scanners.push_back(std::make_unique<TagLinesScanner>(tags));
    ScanRun run(std::move(progress), std::move(scanners), std::move(output), std::move(stop));
    run.walkPaths(paths, [&](const std::filesystem::path& file) {
        if (!nameHasFragment(fileNameOf(file), subsSkipList))
            run.scan(file);
    });
    return run.finish();
}

}  // namespace qb
