#include "tools/files/review.h"

#include "core/fileText.h"
#include "core/fs.h"
#include "core/lineEnds.h"
#include "tools/files/inPlace.h"

#include <algorithm>
#include <charconv>
#include <map>

#include <sys/stat.h>

namespace qb {

namespace fs = std::filesystem;

namespace {

// The same lines, each maybe with another end (a last line without one included).
bool onlyLineEndsDiffer(std::string_view a, std::string_view b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t endA = lineEndFrom(a, i), endB = lineEndFrom(b, j);
        if (a.substr(i, endA - i) != b.substr(j, endB - j))
            return false;
        i = afterLineEnd(a, endA);
        j = afterLineEnd(b, endB);
    }
    return i == a.size() && j == b.size();
}

// An original takes its copy's bytes.
MakeAfter copyBytes(CopyPathFor copyOf)
{
    return [copyOf = std::move(copyOf)](const fs::path& original, std::string_view) {
        return FileSystemObject().readFileBytes(copyOf(original));
    };
}

// The number after `sign` in a hunk head ("-12,3"): its first line.
std::uint64_t rangeStart(std::string_view head, char sign)
{
    const std::size_t at = head.find(sign, 3);
    std::uint64_t line = 0;
    if (at != std::string_view::npos)
        std::from_chars(head.data() + at + 1, head.data() + head.size(), line);
    return line;
}

}  // namespace

FileStamp stampOf(const fs::path& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return {};
    return {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

CopiesRun stampCopies(std::string tool, fs::path folder, std::vector<fs::path> inputs, CopyPathFor copyOf)
{
    CopiesRun run{std::move(tool), std::move(folder), std::move(copyOf), std::move(inputs), {}, {}};
    for (const fs::path& input : run.inputs) {
        run.originals.push_back(stampOf(input));
        run.copies.push_back(stampOf(run.copyOf(input)));
    }
    return run;
}

CopyReview reviewCopies(const CopiesRun& before, std::uint64_t fileLimit)
{
    CopyReview review{before.tool, before.folder, before.copyOf, {}, {}, {}, {}};
    RunReport& report = review.report;
    // Only what this run wrote: a copy that is new, or another file than before (copies are
    // published by a rename, so a rewritten one is a new file).
    std::vector<fs::path> written;
    std::map<fs::path, FileStamp> originals;
    std::size_t tooLarge = 0;
    for (std::size_t i = 0; i < before.inputs.size(); ++i) {
        const fs::path copy = before.copyOf(before.inputs[i]);
        const FileStamp now = stampOf(copy);
        if (!now.exists || now == before.copies[i])
            continue;
        review.copies.push_back(copy);
        review.copyStamps.push_back(now);
        // The review holds a file and its copy whole; a run's memory stays with its longest line.
        if (std::max(now.size, before.originals[i].size) > fileLimit) {
            ++tooLarge;
            continue;
        }
        written.push_back(before.inputs[i]);
        originals.emplace(before.inputs[i], before.originals[i]);
    }
    if (tooLarge > 0)
        report.notes.push_back(std::to_string(tooLarge) + (tooLarge == 1 ? " file is" : " files are")
                               + " larger than " + std::to_string(fileLimit >> 20)
                               + " MiB and not reviewed here; the command line's --diff and --apply take any size.");
    const MakeAfter copied = copyBytes(before.copyOf);
    planEdits(
        written,
        [&](const fs::path& original, std::string_view bytes) -> Result<std::string> {
            // The tools copy a binary file as it is: counted, never offered.
            if (looksBinary(bytes)) {
                ++report.counts.binary;
                return std::string(bytes);
            }
            return copied(original, bytes);
        },
        report,
        [&](PlannedEdit edit, std::string_view was, std::string_view now) {
            const FileStamp& stamp = originals.at(edit.path);
            if (stamp.size != edit.original.size || stamp.modified != edit.original.modified) {
                --report.counts.changed;
                report.fail(edit.path, Error{err::PathFileAccess, edit.path.string()
                                                                      + ": was changed while the run worked; its copy "
                                                                        "is not offered"});
                return;
            }
            fs::path copy = before.copyOf(edit.path);
            const auto kind = onlyLineEndsDiffer(was, now) ? ReviewedChange::Kind::LineEnds : ReviewedChange::Kind::Lines;
            review.changes.push_back({std::move(edit), std::move(copy), kind, diffCounts(was, now)});
        });
    return review;
}

CopiesRun stampEraseRun(const fs::path& base, bool recursive)
{
    const fs::path start = absoluteFolder(base);
    RunReport walked;  // a folder that cannot be read is the run's to report
    return stampCopies("erase", start, eraseInputs(start, recursive, walked),
                       [start](const fs::path& file) { return copyPathFor(file, start); });
}

CopiesRun stampReplaceRun(const fs::path& folder, const fs::path& debugPath)
{
    const fs::path start = absoluteFolder(folder);
    RunReport walked;
    return stampCopies("replace", start, replaceInputs(start, debugPath, walked),
                       [](const fs::path& file) { return file.parent_path() / "copies" / file.filename(); });
}

Result<RunReport> runReviewed(const CopiesRun& before, const std::function<Result<RunReport>()>& run,
                              CopyReview& review)
{
    auto report = run();
    if (report)
        review = reviewCopies(before);
    return report;
}

ApplyPlan reviewPlan(const CopyReview& review, const std::vector<std::size_t>& chosen)
{
    ApplyPlan plan{review.tool, review.folder, {}, copyBytes(review.copyOf)};
    for (std::size_t index : chosen)
        plan.edits.push_back(review.changes.at(index).edit);
    return plan;
}

RunReport discardCopies(const CopyReview& review)
{
    RunReport report;
    const FileSystemObject fso(review.folder);  // nothing is removed through a link
    std::vector<fs::path> folders;
    for (std::size_t i = 0; i < review.copies.size(); ++i) {
        const fs::path& copy = review.copies[i];
        ++report.counts.files;
        const FileStamp now = stampOf(copy);
        if (!now.exists)
            continue;
        if (now != review.copyStamps[i]) {
            report.fail(copy, Error{err::PathFileAccess, copy.string() + ": was changed since the run wrote it; it was kept"});
            continue;
        }
        if (auto removed = fso.DeleteFile(copy); !removed) {
            report.fail(copy, removed.error());
            continue;
        }
        ++report.counts.written;
        for (fs::path folder = copy.parent_path(); folder != review.folder && folder.has_relative_path();
             folder = folder.parent_path())
            if (std::ranges::find(folders, folder) == folders.end())
                folders.push_back(folder);
    }
    // The deepest first, so a folder is empty once its own folders have gone.
    std::ranges::sort(folders, [](const fs::path& a, const fs::path& b) {
        return std::distance(a.begin(), a.end()) > std::distance(b.begin(), b.end());
    });
    for (const fs::path& folder : folders)
        (void)fso.removeEmptyFolder(folder);  // one that holds anything else stays
    return report;
}

std::vector<DiffRow> diffRows(std::string_view unified)
{
    std::vector<DiffRow> rows;
    std::uint64_t oldLine = 0, newLine = 0;
    bool inHunks = false;
    for (std::size_t from = 0; from < unified.size();) {
        const std::size_t end = std::min(unified.find('\n', from), unified.size());
        const std::string_view line = unified.substr(from, end - from);
        from = end + 1;
        if (line.starts_with("@@ ")) {
            inHunks = true;
            oldLine = rangeStart(line, '-');
            newLine = rangeStart(line, '+');
            rows.push_back({DiffRow::Kind::Hunk, 0, 0, line});
            continue;
        }
        if (!inHunks || line.empty())
            continue;  // the "---" and "+++" heads
        switch (line.front()) {
        case ' ':
            rows.push_back({DiffRow::Kind::Context, oldLine++, newLine++, line.substr(1)});
            break;
        case '-':
            rows.push_back({DiffRow::Kind::Removed, oldLine++, 0, line.substr(1)});
            break;
        case '+':
            rows.push_back({DiffRow::Kind::Added, 0, newLine++, line.substr(1)});
            break;
        case '\\':
            if (!rows.empty())
                rows.back().noNewline = true;
            break;
        }
    }
    return rows;
}

}  // namespace qb
