#include "tools/files/changedCopy.h"

namespace qb {

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
