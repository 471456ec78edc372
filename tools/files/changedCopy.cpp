#include "tools/files/changedCopy.h"

namespace qb {

namespace {

// Output is handed to the copy stream in blocks of about this size.
constexpr std::size_t flushSize = 64 * 1024;

// Every line of `input` through the steps into `output`.
Result<void> copyLines(TextStream& input, TextStream& output, const CopyLineStep& eachLine, const CopyEndStep& atEnd)
{
    std::string line;
    std::string out;
    while (true) {
        const auto more = input.readLine(line);
        if (!more)
            return std::unexpected(more.error());
        if (!*more)
            break;
        if (auto stepped = eachLine(line, out); !stepped)
            return stepped;
        if (out.size() >= flushSize) {
            if (auto written = output.Write(out); !written)
                return written;
            out.clear();
        }
    }
    if (atEnd)
        atEnd(out);
    return output.Write(out);
}

}  // namespace

Result<void> writeChangedCopy(const FileSystemObject& fso, TextStream& input, const std::filesystem::path& copyPath,
                              const CopyLineStep& eachLine, const CopyEndStep& atEnd)
{
    return writeCopy(fso, copyPath, [&](TextStream& output) {
        return andThen(copyLines(input, output, eachLine, atEnd), [&] { return input.Close(); });
    });
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
