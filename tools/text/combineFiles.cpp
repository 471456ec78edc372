#include "tools/text/combineFiles.h"

#include "shell/fs.h"
#include "shell/mdlText.h"

namespace qb {

Result<std::optional<std::string>> combineFiles(const std::filesystem::path& first,
                                                const std::filesystem::path& second)
{
    if (first.empty() || second.empty())
        return std::optional<std::string>{};
    FileSystemObject fso;
    auto one = fso.OpenTextFile(first, IOMode::ForReading, false, TextFormat::Ascii);
    if (!one)
        return std::unexpected(one.error());
    auto two = fso.OpenTextFile(second, IOMode::ForReading, false, TextFormat::Ascii);
    if (!two)
        return std::unexpected(two.error());

    std::string combined;
    std::string lineOne;
    std::string lineTwo;
    // Reading (rather than asking for the end first) also reports a read error that is pending
    // at the end of a stream, so a file that cannot be read never passes for an empty one.
    while (true) {
        auto readOne = one->readLine(lineOne);
        if (!readOne)
            return std::unexpected(readOne.error());
        if (!*readOne)
            break;
        auto readTwo = two->readLine(lineTwo);
        if (!readTwo)
            return std::unexpected(readTwo.error());
        if (!*readTwo)
            break;
        // Room for the whole line at once: very long lines then cost their length once.
        combined.reserve(combined.size() + lineOne.size() + lineTwo.size() + crlf.size());
        combined += lineOne;
        combined += lineTwo;
        combined += crlf;
    }
    return std::optional<std::string>{std::move(combined)};
}

}  // namespace qb
