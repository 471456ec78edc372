#include "tools/files/inPlace.h"

#include "core/fileText.h"
#include "core/lineEnds.h"
#include "core/mdlText.h"

namespace qb {

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> walkInputs(const fs::path& folder, bool recursive, RunReport& report, ProgressCallback progress,
                                 const std::function<bool(const WalkEntry&)>& skip)
{
    std::vector<fs::path> files;
    const WalkOptions options{.recursive = recursive, .removeDebris = false, .progress = std::move(progress)};
    const WalkResult walked = walkTree(folder, options, [&](const WalkEntry& entry) {
        if (entry.kind == WalkEntry::Kind::FolderError)
            report.fail(entry.path, *entry.error);
        else if (skip(entry))
            return entry.kind == WalkEntry::Kind::Folder ? Visit::SkipFolder : Visit::Continue;
        else if (entry.kind == WalkEntry::Kind::File)
            files.push_back(entry.path);
        return Visit::Continue;
    });
    report.cancelled = report.cancelled || walked.cancelled;
    return files;
}

}  // namespace

EditBytes eraseEdit(const EraseSettings& settings, LineEnds ends)
{
    return [&settings, ends](const fs::path& file, std::string_view bytes) -> Result<std::string> {
        // Typed text goes into each file in the file's own encoding.
        const auto utf8 = dependsOnEncoding(settings) ? useUtf8Text(settings, file, isValidUtf8(bytes)) : false;
        if (!utf8)
            return std::unexpected(utf8.error());
        ChunkFilter filter(*utf8 ? settings.utf8->chunk : settings.chunk, *utf8 ? settings.utf8->spew : settings.spew,
                           settings.options);
        std::string out;
        forEachLine(bytes, ends, [&](std::string_view line, std::string_view end) { filter.push(line, out, end); });
        filter.finish(out);
        return out;
    };
}

EditBytes replaceEdit(const std::vector<ReplacePair>& pairs, LineEnds ends)
{
    return [&pairs, ends](const fs::path&, std::string_view bytes) -> Result<std::string> {
        std::string out, line;
        forEachLine(bytes, ends, [&](std::string_view read, std::string_view end) {
            line.assign(read);
            for (const ReplacePair& pair : pairs)
                replaceAll(line, pair.search, pair.replacement);
            out += line;
            out += end;
        });
        return out;
    };
}

std::vector<fs::path> eraseInputs(const fs::path& base, bool recursive, RunReport& report, ProgressCallback progress)
{
    const fs::path start = absoluteFolder(base);
    const fs::path ownCopies = start / "copies";
    return walkInputs(start, recursive, report, std::move(progress), [&](const WalkEntry& entry) {
        return entry.kind == WalkEntry::Kind::Folder && entry.path == ownCopies;
    });
}

std::vector<fs::path> replaceInputs(const fs::path& folder, const fs::path& debugPath, RunReport& report,
                                    ProgressCallback progress)
{
    const FileSystemObject fso;
    return walkInputs(absoluteFolder(folder), false, report, std::move(progress), [&](const WalkEntry& entry) {
        return entry.kind == WalkEntry::Kind::File && fso.sameFile(entry.path, debugPath);
    });
}

void editFiles(const std::vector<fs::path>& files, const EditBytes& edit, RunReport& report, const ChangedFile& changed)
{
    std::string before;
    for (const fs::path& file : files) {
        ++report.counts.files;
        std::error_code ec;
        if (fs::is_symlink(file, ec)) {
            // Nothing is ever written through a link: passed over, and said so; a failure only
            // when what it leads to cannot be read, as for any file.
            if (auto read = FileSystemObject().readFileBytes(file, before); !read)
                report.fail(file, read.error());
            else
                report.notes.push_back(file.string() + ": is a link; nothing is changed through a link, so it was left as it is");
            continue;
        }
        auto original = recordOriginal(file, before);
        if (!original) {
            report.fail(file, original.error());
            continue;
        }
        // The tools copy a binary file as it is, so it has no edit.
        if (looksBinary(before))
            continue;
        const auto after = edit(file, before);
        if (!after) {
            report.fail(file, after.error());
            continue;
        }
        if (*after == before)
            continue;
        ++report.counts.changed;
        changed(PlannedEdit{file, std::move(*original), contentHash(*after)}, before, *after);
    }
}

std::string diffPath(const fs::path& file, const fs::path& folder)
{
    return file.lexically_relative(folder).generic_string();
}

}  // namespace qb
