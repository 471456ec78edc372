#include "tools/files/addExtension.h"

#include "core/fs.h"
#include "tools/files/changedCopy.h"

#include <string>

namespace qb {

namespace {

std::string tabs(int count)
{
    return std::string(static_cast<std::size_t>(count), '\t');
}

}  // namespace

Result<void> checkExtension(std::string_view extension)
{
    if (extension.empty())
        return fail(err::InvalidProcedureCall, "The extension to add is empty: type one, such as .doc. Nothing was copied.");
    if (extension.find('/') != std::string_view::npos || extension.find('\0') != std::string_view::npos)
        return fail(err::BadFileName, "The extension to add, " + std::string(extension.substr(0, extension.find('\0')))
                                          + ", holds a path separator (/) or a NUL, which a file name cannot hold. "
                                            "Nothing was copied.");
    return {};
}

std::filesystem::path copyNameOf(const std::filesystem::path& file, std::string_view extension)
{
    return std::filesystem::path(file.string() + std::string(copyMark) + std::string(extension));
}

void makeDoc(const std::filesystem::path& strFolder, int intLevel, std::string_view extension, ProgressCallback progress,
             RunReport& report, CopyMode mode)
{
    const FileSystemObject fso(strFolder);  // copies are never written through a link
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
            if (!dryRun)
                report.listed.push_back(entry.path);
            const std::filesystem::path copy = copyNameOf(entry.path, extension);
            if (auto fits = checkDerivedName(entry.path, "copy", copy.filename().native().size()); !fits) {
                report.fail(entry.path, fits.error());
                break;
            }
            // An existing copy is kept; a link of that name is no copy, and the file layer refuses it.
            if (std::error_code ec; fso.FileExists(copy) && !std::filesystem::is_symlink(copy, ec))
                break;
            if (dryRun) {
                report.listed.push_back(copy);
                break;
            }
            if (auto copied = fso.CopyFile(entry.path, copy, Existing::Refuse); !copied) {
                // Another run made the copy since it was looked for: it exists, as after a skip.
                if (copied.error().number == err::FileAlreadyExists && fso.FileExists(copy))
                    break;
                report.fail(entry.path, copied.error());
                break;
            }
            ++report.counts.written;
            break;
        }
        }
        return Visit::Continue;
    });
    report.absorb(walked);
}

Result<RunReport> addExtensionCopies(const std::filesystem::path& startFolder, std::string_view extension,
                                     ProgressCallback progress, CopyMode mode)
{
    if (auto usable = checkExtension(extension); !usable)
        return std::unexpected(usable.error());
    RunReport report;
    makeDoc(startFolder, 0, extension, std::move(progress), report, mode);
    return report;
}

}  // namespace qb
