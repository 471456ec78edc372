#include "tools/sql/seqTrig.h"

#include "core/fileText.h"
#include "core/fs.h"
#include "core/mdlText.h"

namespace qb {

namespace {

// The longest file name the file systems of this platform accept, in bytes.
constexpr std::size_t maxFileNameBytes = 255;

}  // namespace

std::string singularGuess(std::string_view tableName)
{
    if (tableName.ends_with('s'))
        tableName.remove_suffix(1);
    return std::string(tableName);
}

std::string sequenceScript(std::string_view tableName)
{
    std::string script = "create sequence seq" + capFirst(tableName);
    script += "\r\n\tstart with 1";
    script += "\r\n\tincrement by 1";
    script += "\r\n\tnomaxvalue";
    return script;
}

std::string triggerScript(std::string_view tableName, std::string_view singular)
{
    const std::string capitalised = capFirst(tableName);
    std::string script = "create or replace trigger trig" + capitalised;
    script += "\r\n\tbefore insert on ";
    script += tableName;
    script += "\r\n\tfor each row";
    script += "\r\n\tbegin";
    script += "\r\n\t    select seq" + capitalised + ".nextval into :new.";
    script += singular;
    script += "Id from dual;";
    script += "\r\n\tEnd;";
    return script;
}

std::string scriptFileName(ScriptKind kind, std::string_view tableName)
{
    return (kind == ScriptKind::Sequence ? "seq" : "trig") + capFirst(tableName) + ".sql";
}

Result<std::filesystem::path> scriptPath(const std::filesystem::path& folder,
                                         const std::filesystem::path& fileName)
{
    const std::string& name = fileName.native();
    if (name.find('\0') != std::string::npos)
        return fail(err::BadFileName, "a file name cannot hold a NUL character");
    if (name.find_first_of("/\\") != std::string::npos)
        return fail(err::BadFileName, name + ": a file name cannot hold a path separator");
    if (name.empty() || name == "." || name == "..")
        return fail(err::BadFileName, "\"" + name + "\" is not a file name");
    if (name.size() > maxFileNameBytes)
        return fail(err::BadFileName, name + ": the file name is longer than "
                                          + std::to_string(maxFileNameBytes) + " bytes");
    if (!folder.is_absolute())
        return fail(err::PathNotFound, "\"" + folder.native() + "\": the folder must be a full path");
    return folder / fileName;
}

Result<void> addOrReplaceFile(const std::filesystem::path& strPath, std::string_view strContents)
{
    return FileSystemObject().replaceFileContents(strPath, strContents);
}

Result<SeqTrigPaths> seqTrigPaths(const std::filesystem::path& folder, std::string_view tableName)
{
    const auto path = [&](ScriptKind kind) {
        return scriptPath(folder, std::filesystem::path(utf8FromCp1252(scriptFileName(kind, tableName))));
    };
    auto sequence = path(ScriptKind::Sequence);
    if (!sequence)
        return std::unexpected(sequence.error());
    auto trigger = path(ScriptKind::Trigger);
    if (!trigger)
        return std::unexpected(trigger.error());
    return SeqTrigPaths{std::move(*sequence), std::move(*trigger)};
}

Result<SeqTrigPaths> writeSeqTrigScripts(const std::filesystem::path& folder, std::string_view tableName,
                                         std::string_view singular, const ScriptShown& shown)
{
    const auto paths = seqTrigPaths(folder, tableName);
    const auto step = [&](ScriptKind kind, const std::string& script, const std::filesystem::path* path) -> Result<void> {
        if (shown)
            shown(kind, script);
        return path ? addOrReplaceFile(*path, script) : Result<void>();
    };
    if (auto written = step(ScriptKind::Sequence, sequenceScript(tableName), paths ? &paths->sequence : nullptr); !written)
        return std::unexpected(written.error());
    if (auto written = step(ScriptKind::Trigger, triggerScript(tableName, singular), paths ? &paths->trigger : nullptr);
        !written)
        return std::unexpected(written.error());
    return paths;
}

}  // namespace qb
