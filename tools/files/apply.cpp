#include "tools/files/apply.h"

#include "core/fs.h"
#include "core/fsSys.h"
#include "core/lazyLibrary.h"

#include <openssl/evp.h>
#include <openssl/opensslv.h>

#include <algorithm>
#include <stdexcept>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <ranges>

#include <fcntl.h>
#include <sys/stat.h>

namespace qb {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view manifestHead = "quillbox apply 1";
constexpr std::string_view manifestName = "manifest.txt";
constexpr int mostAppliesPerSecond = 999;

void appendHex(std::string& out, unsigned char byte, const char* digits, std::string_view prefix = {})
{
    out += prefix;
    out += digits[byte >> 4];
    out += digits[byte & 15];
}

// Paths are bytes: the few that would break a line or a field are written as %XX.
std::string escapeField(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '%' || c == '\t' || c == '\n' || c == '\r')
            appendHex(out, static_cast<unsigned char>(c), "0123456789ABCDEF", "%");
        else
            out += c;
    }
    return out;
}

std::string unescapeField(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned value = 0;
        if (text[i] == '%' && i + 2 < text.size()
            && std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr == text.data() + i + 3) {
            out += static_cast<char>(value);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string_view> splitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t from = 0;
    while (true) {
        const std::size_t tab = line.find('\t', from);
        fields.push_back(line.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from));
        if (tab == std::string_view::npos)
            return fields;
        from = tab + 1;
    }
}

// How far an append must reach before it returns.
enum class Reach { Written, Disk };

// Appends `bytes` to `file` (made when missing); with Reach::Disk, synced before this returns.
Result<void> appendTo(const fs::path& file, std::string_view bytes, Reach reach)
{
    sys::UniqueFd fd(sys::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd)
        return std::unexpected(systemError(errno, file));
    if (int error = sys::writeAll(fd.get(), bytes.data(), bytes.size()); error != 0)
        return std::unexpected(systemError(error, file));
    if (reach == Reach::Disk && sys::fsync(fd.get()) != 0)
        return std::unexpected(systemError(errno, file));
    if (int error = fd.close(); error != 0)
        return std::unexpected(systemError(error, file));
    return {};
}

// Makes the names in `folder` last a power cut.
Result<void> syncFolder(const fs::path& folder)
{
    sys::UniqueFd fd(sys::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        return std::unexpected(systemError(errno, folder));
    if (sys::fsync(fd.get()) != 0 && errno != EINVAL)
        return std::unexpected(systemError(errno, folder));
    if (int error = fd.close(); error != 0)
        return std::unexpected(systemError(error, folder));
    return {};
}

// A new file holding `bytes`, its contents on disk when this returns; its name too unless the
// caller syncs the folder itself (once for many files). Never replaces anything.
enum class FolderSync { Now, ByCaller };
Result<void> writeDurably(const fs::path& file, std::string_view bytes, FolderSync folderSync = FolderSync::Now)
{
    sys::UniqueFd fd(sys::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd)
        return std::unexpected(systemError(errno, file));
    int error = sys::writeAll(fd.get(), bytes.data(), bytes.size());
    if (error == 0 && sys::fsync(fd.get()) != 0)
        error = errno;
    if (int closed = fd.close(); error == 0)
        error = closed;
    if (error != 0) {
        (void)sys::unlink(file.c_str());
        return std::unexpected(systemError(error, file));
    }
    return folderSync == FolderSync::Now ? syncFolder(file.parent_path()) : Result<void>();
}

// The time now in UTC, formatted by strftime.
std::string utcNow(const char* format)
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &parts));
}

// `number` with at least `width` digits.
std::string padded(std::size_t number, std::size_t width)
{
    std::string digits = std::to_string(number);
    return std::string(digits.size() < width ? width - digits.size() : 0, '0') + digits;
}

// A new folder of its own for this apply, named by the time.
Result<fs::path> makeApplyFolder(const FileSystemObject& fso, const fs::path& dataFolder, const std::string& stamp)
{
    const fs::path applies = appliesFolder(dataFolder);
    if (auto made = andThen(fso.ensureFolder(dataFolder), [&] { return fso.ensureFolder(applies); }); !made)
        return std::unexpected(made.error());
    for (int n = 1; n <= mostAppliesPerSecond; ++n) {
        const fs::path folder = applies / (stamp + "-" + padded(static_cast<std::size_t>(n), 3));
        auto made = fso.CreateFolder(folder);
        if (made)
            return andThen(fso.CreateFolder(folder / "backup"), [&] { return Result<fs::path>(folder); });
        if (made.error().number != err::FileAlreadyExists)
            return std::unexpected(made.error());
    }
    return fail(err::FileAlreadyExists, applies.string() + ": too many applies in one second");
}

fs::path backupPath(const fs::path& applyFolder, std::size_t number)
{
    return applyFolder / "backup" / std::to_string(number);
}

Error changedSince(const fs::path& path, std::string_view when)
{
    return Error{err::PathFileAccess, path.string() + ": was changed " + std::string(when) + "; it was left as it is"};
}

// The marks are for the user's eyes and an undo's report: undo goes by the hashes, so a mark
// that a crash loses costs nothing, and marks are not synced.
Result<void> mark(const fs::path& manifest, std::string_view what, std::size_t number)
{
    return appendTo(manifest, std::string(what) + "\t" + std::to_string(number) + "\n", Reach::Written);
}

// The first half of applying one original: still as the run read it, its new bytes made again and
// as planned, and its backup's contents on disk. The new bytes.
Result<std::string> prepareOne(const FileSystemObject& fso, const ApplyPlan& plan, const PlannedEdit& edit,
                               const fs::path& backup)
{
    std::string bytes;
    auto now = recordOriginal(edit.path, bytes);
    if (!now)
        return std::unexpected(now.error());
    if (*now != edit.original)
        return std::unexpected(changedSince(edit.path, "since the run read it"));
    auto after = plan.makeAfter(edit.path, bytes);
    if (!after)
        return std::unexpected(after.error());
    if (contentHash(*after) != edit.afterHash)
        return fail(err::PathFileAccess, edit.path.string() + ": its new contents differ from the planned ones; it was left as it is");
    return andThen(fso.checkReplaceable(edit.path),
                   [&] { return andThen(writeDurably(backup, bytes, FolderSync::ByCaller), [&] { return std::move(after); }); });
}

// The second half, once the backup's name is on disk too: the original, still as recorded, is
// replaced whole.
Result<void> replaceOne(const FileSystemObject& fso, const PlannedEdit& edit, std::string_view after)
{
    struct stat st;
    if (::lstat(edit.path.c_str(), &st) != 0)
        return std::unexpected(systemError(errno, edit.path));
    const std::int64_t modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    if (!S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) != edit.original.size || modified != edit.original.modified)
        return std::unexpected(changedSince(edit.path, "since the run read it"));
    return fso.replaceFileContents(edit.path, after);
}

// Originals are applied in batches: the backups of a batch, then one sync of the backup folder,
// then the replaces. A batch holds the new bytes of its files, so it is bounded in bytes too.
constexpr std::size_t batchFiles = 64;
constexpr std::size_t batchBytes = 32 << 20;

}  // namespace

std::string contentHash(std::string_view bytes)
{
    // OpenSSL's SHA-256 (with the processor's SHA instructions where it has them), loaded when
    // the first hash is asked for.
    static const LazyLibrary crypto("libcrypto.so." + std::to_string(OPENSSL_SHLIB_VERSION),
                                    "libssl" + std::to_string(OPENSSL_SHLIB_VERSION));
    static const auto digestFunction = crypto.function<decltype(&EVP_Digest)>("EVP_Digest");
    static const auto sha256 = crypto.function<decltype(&EVP_sha256)>("EVP_sha256");
    // Without a hash no original can be told from a changed one: the run ends before it writes.
    if (!digestFunction || !sha256)
        throw std::runtime_error(digestFunction ? sha256.error().description : digestFunction.error().description);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if ((*digestFunction)(bytes.data(), bytes.size(), digest, &size, (*sha256)(), nullptr) != 1)
        throw std::runtime_error("SHA-256 could not be computed");
    std::string hex;
    for (unsigned int i = 0; i < size; ++i)
        appendHex(hex, digest[i], "0123456789abcdef");
    return hex;
}

fs::path appliesFolder(const fs::path& dataFolder)
{
    return dataFolder / "applies";
}

Result<Original> recordOriginal(const fs::path& path, std::string& bytes)
{
    struct stat before, after;
    if (::lstat(path.c_str(), &before) != 0)
        return std::unexpected(systemError(errno, path));
    if (S_ISLNK(before.st_mode))
        return fail(err::PathFileAccess, path.string() + ": is a link; nothing is changed through a link, so it was left as it is");
    if (!S_ISREG(before.st_mode))
        return fail(err::PathFileAccess, path.string() + ": is not a regular file; it was left as it is");
    const FileSystemObject fso;
    if (auto read = fso.readFileBytes(path, bytes); !read)
        return std::unexpected(read.error());
    if (::lstat(path.c_str(), &after) != 0)
        return std::unexpected(systemError(errno, path));
    const auto nanoseconds = [](const struct stat& st) {
        return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    };
    if (after.st_ino != before.st_ino || after.st_size != before.st_size || nanoseconds(after) != nanoseconds(before)
        || static_cast<std::uint64_t>(after.st_size) != bytes.size())
        return std::unexpected(changedSince(path, "while it was read"));
    return Original{bytes.size(), nanoseconds(after), contentHash(bytes)};
}

Result<fs::path> startManifest(std::string_view tool, const fs::path& folder, std::vector<ManifestFile>& files,
                               const fs::path& dataFolder)
{
    const FileSystemObject fso;
    auto applyFolder = makeApplyFolder(fso, dataFolder, utcNow("%Y%m%d-%H%M%S"));
    if (!applyFolder)
        return std::unexpected(applyFolder.error());
    const fs::path manifest = *applyFolder / manifestName;
    std::string head = std::string(manifestHead) + "\n";
    head += "tool\t" + escapeField(tool) + "\n";
    head += "time\t" + utcNow("%Y-%m-%d %H:%M:%S") + "\n";
    head += "folder\t" + escapeField(folder.native()) + "\n";
    for (std::size_t i = 0; i < files.size(); ++i) {
        ManifestFile& file = files[i];
        if (file.backup.empty())
            file.backup = backupPath(*applyFolder, i + 1);
        head += "file\t" + std::to_string(i + 1) + "\t" + file.hashBefore + "\t" + file.hashAfter + "\t"
                + escapeField(file.path.native()) + "\t" + escapeField(file.backup.native()) + "\n";
    }
    head += "end\n";
    return transformValue(andThen(writeDurably(manifest, head), [&] { return syncFolder(applyFolder->parent_path()); }),
                          [&] { return manifest; });
}

Result<void> markFile(const fs::path& manifest, std::size_t number, Mark what)
{
    return mark(manifest, what == Mark::Done ? "done" : "refused", number);
}

Result<ApplyResult> applyEdits(const ApplyPlan& plan, const fs::path& dataFolder, std::stop_token stop)
{
    ApplyResult result;
    if (plan.edits.empty())
        return result;
    const FileSystemObject fso;
    // The whole plan is on disk before the first original is touched.
    std::vector<ManifestFile> files;
    for (const PlannedEdit& edit : plan.edits)
        files.push_back({edit.path, {}, edit.original.hash, edit.afterHash});
    auto manifest = startManifest(plan.tool, plan.folder, files, dataFolder);
    if (!manifest)
        return std::unexpected(manifest.error());
    result.manifest = *manifest;

    RunReport& report = result.report;
    const auto refuse = [&](std::size_t index, const Error& error) {
        report.fail(plan.edits[index].path, error);
        if (auto marked = mark(result.manifest, "refused", index + 1); !marked)
            report.fail(result.manifest, marked.error());
    };
    struct Ready {
        std::size_t index;
        std::string after;
    };
    std::vector<Ready> batch;
    for (std::size_t i = 0; i < plan.edits.size() && !report.cancelled;) {
        batch.clear();
        std::size_t bytes = 0;
        for (; i < plan.edits.size() && batch.size() < batchFiles && bytes < batchBytes; ++i) {
            if (stop.stop_requested()) {
                report.cancelled = true;
                break;
            }
            ++report.counts.files;
            auto after = prepareOne(fso, plan, plan.edits[i], files[i].backup);
            if (!after) {
                refuse(i, after.error());
                continue;
            }
            bytes += after->size();
            batch.push_back({i, std::move(*after)});
        }
        if (batch.empty())
            continue;
        // No original is replaced before its backup's name is on disk.
        if (auto synced = syncFolder(files.front().backup.parent_path()); !synced) {
            for (const Ready& ready : batch)
                refuse(ready.index, synced.error());
            continue;
        }
        for (const Ready& ready : batch) {
            if (stop.stop_requested()) {
                report.cancelled = true;  // the rest of the batch keeps its originals
                break;
            }
            if (auto replaced = replaceOne(fso, plan.edits[ready.index], ready.after); !replaced) {
                refuse(ready.index, replaced.error());
                continue;
            }
            ++report.counts.written;
            report.listed.push_back(plan.edits[ready.index].path);
            if (auto marked = mark(result.manifest, "done", ready.index + 1); !marked)
                report.fail(result.manifest, marked.error());
        }
    }
    return result;
}

std::size_t ApplyRecord::undoable() const
{
    return static_cast<std::size_t>(std::ranges::count_if(files, [](const AppliedFile& file) {
        return file.state == AppliedFile::State::Done || file.state == AppliedFile::State::Planned;
    }));
}

Result<ApplyRecord> readManifest(const fs::path& manifest)
{
    return andThen(FileSystemObject().readFileBytes(manifest),
                   [&](const std::string& bytes) { return parseManifest(manifest, bytes); });
}

Result<ApplyRecord> parseManifest(const fs::path& manifest, std::string_view text)
{
    const auto damaged = [&] {
        return fail(err::TypeMismatch, manifest.string() + ": is not a whole apply manifest");
    };
    ApplyRecord record;
    record.manifest = manifest;
    bool headSeen = false, headEnded = false;
    for (std::size_t from = 0, end; (end = text.find('\n', from)) != std::string_view::npos; from = end + 1) {
        const std::string_view line = text.substr(from, end - from);
        if (!headSeen) {
            if (line != manifestHead)
                return damaged();
            headSeen = true;
            continue;
        }
        const std::vector<std::string_view> fields = splitFields(line);
        const std::string_view key = fields.front();
        if (!headEnded) {
            if (key == "end") {
                headEnded = true;
            } else if (key == "tool" && fields.size() == 2) {
                record.tool = unescapeField(fields[1]);
            } else if (key == "time" && fields.size() == 2) {
                record.time = fields[1];
            } else if (key == "folder" && fields.size() == 2) {
                record.folder = unescapeField(fields[1]);
            } else if (key == "file" && fields.size() == 6) {
                AppliedFile file;
                file.number = record.files.size() + 1;
                file.hashBefore = fields[2];
                file.hashAfter = fields[3];
                file.path = unescapeField(fields[4]);
                file.backup = unescapeField(fields[5]);
                record.files.push_back(std::move(file));
            } else {
                return damaged();
            }
            continue;
        }
        // The marks; a line cut short by a kill has no LF and is never seen here.
        if (fields.size() != 2)
            continue;
        std::size_t number = 0;
        for (char c : fields[1])
            number = c >= '0' && c <= '9' ? number * 10 + static_cast<std::size_t>(c - '0') : 0;
        if (number == 0 || number > record.files.size())
            continue;
        AppliedFile& file = record.files[number - 1];
        if (key == "done")
            file.state = AppliedFile::State::Done;
        else if (key == "refused")
            file.state = AppliedFile::State::Refused;
        else if (key == "undone")
            file.state = AppliedFile::State::Undone;
    }
    if (!headEnded)
        return damaged();
    return record;
}

std::vector<ApplyRecord> listApplies(const fs::path& dataFolder)
{
    std::vector<ApplyRecord> records;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(appliesFolder(dataFolder), ec))
        if (auto record = readManifest(entry.path() / manifestName))
            records.push_back(std::move(*record));
    // Folder names start with the time and end with a counter within the second.
    std::ranges::sort(records, [](const ApplyRecord& a, const ApplyRecord& b) {
        return a.manifest.parent_path().filename() > b.manifest.parent_path().filename();
    });
    return records;
}

Result<RunReport> undoApply(const fs::path& manifest, std::stop_token stop)
{
    const FileSystemObject fso;
    const auto bytes = fso.readFileBytes(manifest);
    if (!bytes)
        return std::unexpected(bytes.error());
    auto record = parseManifest(manifest, *bytes);
    if (!record)
        return std::unexpected(record.error());
    RunReport report;
    // A mark that a kill cut short must not run into the next one.
    if (bytes->back() != '\n')
        if (auto ended = appendTo(manifest, "\n", Reach::Written); !ended)
            return std::unexpected(ended.error());
    // Newest first: a file that one run changed twice (an update with two new files of its name)
    // gets back what it held before the first change.
    for (const AppliedFile& file : record->files | std::views::reverse) {
        if (stop.stop_requested()) {
            report.cancelled = true;
            break;
        }
        if (file.state == AppliedFile::State::Undone)
            continue;
        // A refused file was never replaced, unless the failure came after its rename: the hash says.
        const bool refused = file.state == AppliedFile::State::Refused;
        std::string now;
        auto current = recordOriginal(file.path, now);
        if (!current) {
            if (!refused)
                report.fail(file.path, Error{current.error().number, current.error().description + "; it was not restored"});
            continue;
        }
        if (current->hash == file.hashBefore) {
            if (!refused)
                if (auto marked = mark(manifest, "undone", file.number); !marked)
                    report.fail(manifest, marked.error());
            continue;
        }
        if (current->hash != file.hashAfter) {
            if (!refused)
                report.fail(file.path, changedSince(file.path, "since the apply"));
            continue;
        }
        std::string original;
        auto restored = andThen(fso.readFileBytes(file.backup, original), [&]() -> Result<void> {
            if (contentHash(original) != file.hashBefore)
                return fail(err::DeviceIO, file.backup.string() + ": the backup is not whole; " + file.path.string()
                                               + " was left as it is");
            return andThen(fso.checkReplaceable(file.path), [&] { return fso.replaceFileContents(file.path, original); });
        });
        if (!restored) {
            report.fail(file.path, restored.error());
            continue;
        }
        ++report.counts.written;
        report.listed.push_back(file.path);
        if (auto marked = mark(manifest, "undone", file.number); !marked)
            report.fail(manifest, marked.error());
    }
    report.counts.files = record->files.size();
    // A killed apply or undo may have left a temporary file beside an original: it goes now.
    std::vector<fs::path> folders;
    for (const AppliedFile& file : record->files)
        if (std::ranges::find(folders, file.path.parent_path()) == folders.end())
            folders.push_back(file.path.parent_path());
    for (const fs::path& folder : folders) {
        if (const auto removed = fso.removeDebris(folder))
            report.counts.debrisRemoved += *removed;
        else if (fso.FolderExists(folder))
            report.fail(folder, removed.error());
    }
    return report;
}

}  // namespace qb
