#include "tools/scan/scanRun.h"

#include <algorithm>

namespace qb {

namespace {

// More lines than this would make a message box taller than the screen.
constexpr std::size_t maxListedProblems = 30;

}  // namespace

bool nameHasFragment(std::string_view name, std::span<const std::string_view> fragments)
{
    for (std::string_view fragment : fragments)
        if (name.find(fragment) != std::string_view::npos)
            return true;
    return false;
}

std::string_view fileNameOf(const std::filesystem::path& path)
{
    const std::string_view full = path.native();
    const std::size_t slash = full.rfind(std::filesystem::path::preferred_separator);
    return slash == std::string_view::npos ? full : full.substr(slash + 1);
}

std::optional<std::string_view> ScanRun::read(const File& file)
{
    if (!counter_.step(file.Path())) {
        report_.cancelled = true;
        return std::nullopt;
    }
    lastRead_ = file.Path().native();
    if (auto read = fso_.readFileBytes(file.Path(), buffer_); !read) {
        skip(std::move(read.error()));
        return std::nullopt;
    }
    return buffer_;
}

void ScanRun::walk(const Folder& folder, const std::function<void(const File&)>& visit)
{
    auto entries = folder.list();
    if (!entries) {
        skip(std::move(entries.error()));
        return;
    }
    for (const File& file : entries->files) {
        if (stopped())
            return;
        visit(file);
    }
    for (const Folder& subFolder : entries->subFolders) {
        if (stopped())
            return;
        walk(subFolder, visit);
    }
}

void ScanRun::walkPicked(const std::vector<std::filesystem::path>& paths,
                         const std::function<void(const File&)>& visit)
{
    for (const std::filesystem::path& path : paths) {
        if (stopped())
            return;
        if (!fso_.FileExists(path))
            continue;
        auto file = fso_.GetFile(path);
        if (!file) {
            skip(std::move(file.error()));
            continue;
        }
        visit(*file);
    }
}

ScanReport ScanRun::finish()
{
    report_.cancelled = counter_.cancelled();
    if (!lastRead_.empty())
        report_.lastRead = std::filesystem::path(std::move(lastRead_));
    return std::move(report_);
}

std::string scanProblemsMessage(const ScanReport& report)
{
    std::string message;
    if (report.cancelled)
        message = "The scan was cancelled; the report holds the files read before that.";
    if (report.skipped.empty())
        return message;
    if (!message.empty())
        message += '\n';
    message += report.skipped.size() == 1 ? "This could not be read and was skipped:"
                                          : "These could not be read and were skipped:";
    const std::size_t listed = std::min(report.skipped.size(), maxListedProblems);
    for (std::size_t i = 0; i < listed; ++i) {
        message += '\n';
        message += formatError(report.skipped[i]);
    }
    if (listed < report.skipped.size()) {
        message += '\n';
        message += "... and " + std::to_string(report.skipped.size() - listed) + " more.";
    }
    return message;
}

}  // namespace qb
