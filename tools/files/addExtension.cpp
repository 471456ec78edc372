#include "tools/files/addExtension.h"

#include "shell/fs.h"

#include <string>

namespace qb {

namespace {

std::string tabs(int count)
{
    return std::string(static_cast<std::size_t>(count), '\t');
}

}  // namespace

std::filesystem::path copyNameOf(const std::filesystem::path& file)
{
    return std::filesystem::path(file.string() + std::string(copySuffix));
}

void makeDoc(const std::filesystem::path& strFolder, int intLevel, ProgressCallback progress, RunReport& report,
             CopyMode mode)
{
    const FileSystemObject fso;
    const bool dryRun = mode == CopyMode::ListOnly;
    // A folder's line carries its parent's indent, which is one tab more than the parent's depth.
    const WalkOptions options{.removeDebris = !dryRun, .progress = std::move(progress)};
    const WalkResult walked = walkTree(strFolder, options, [&](const WalkEntry& entry) {
        const int level = intLevel + entry.depth;
        switch (entry.kind) {
        case WalkEntry::Kind::Folder:
            if (entry.depth > 0)
                report.text += tabs(level) + entry.path.string() + "\r\n";
            break;
        case WalkEntry::Kind::FolderError:
            report.fail(entry.path, *entry.error);
            break;
        case WalkEntry::Kind::File: {
            if (entry.path.filename().native().find('.') != std::string::npos)
                break;
            report.text += tabs(level + 1) + "---" + entry.path.string() + "\r\n";
            const std::filesystem::path copy = copyNameOf(entry.path);
            if (!dryRun)
                report.listed.push_back(entry.path);
            if (fso.FileExists(copy))
                break;
            if (dryRun) {
                report.listed.push_back(copy);
                break;
            }
            if (auto copied = fso.CopyFile(entry.path, copy, false); !copied) {
                // Another run made the copy since it was looked for: it exists, as after a skip.
                if (copied.error().number == err::FileAlreadyExists && fso.FileExists(copy))
                    break;
                report.fail(entry.path, copied.error());
                return Visit::SkipFolder;
            }
            ++report.counts.written;
            break;
        }
        }
        return Visit::Continue;
    });
    report.counts.files += walked.files;
    report.counts.debrisRemoved += walked.debrisRemoved;
    report.cancelled = report.cancelled || walked.cancelled;
}

RunReport addExtensionCopies(const std::filesystem::path& startFolder, ProgressCallback progress, CopyMode mode)
{
    RunReport report;
    makeDoc(startFolder, 0, std::move(progress), report, mode);
    return report;
}

}  // namespace qb
