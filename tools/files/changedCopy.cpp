#include "tools/files/changedCopy.h"

#include <climits>
#include <string>

namespace qb {

Result<void> checkDerivedName(const std::filesystem::path& file, std::string_view what, std::size_t size)
{
    if (size <= NAME_MAX)
        return {};
    return fail(err::BadFileName, file.string() + ": its " + std::string(what) + " name would be " + std::to_string(size)
                                      + " bytes long, more than the " + std::to_string(NAME_MAX)
                                      + " bytes a name may have, so the file was left as it was");
}

Result<void> writeCopy(const FileSystemObject& fso, const std::filesystem::path& copyPath, const CopyWriter& write)
{
    // The earlier copy stays until the new one is whole: the publish step renames over it.
    if (auto allowed = fso.checkReplaceable(copyPath); !allowed)
        return allowed;
    auto output = fso.CreateReplacingTextFile(copyPath);
    if (!output)
        return std::unexpected(output.error());
    auto copied = write(*output);
    if (!copied) {
        output->Discard();  // no copy rather than a part of one
        return copied;
    }
    return output->Close();
}

}  // namespace qb
