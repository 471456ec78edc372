#include "tools/text/combineFiles.h"

#include "shell/fileText.h"
#include "shell/fs.h"
#include "shell/mdlText.h"

namespace qb {

Result<bool> forEachLinePair(const std::filesystem::path& first, const std::filesystem::path& second,
                             const LinePairVisitor& pair)
{
    if (first.empty() || second.empty())
        return false;
    FileSystemObject fso;
    auto one = fso.OpenTextFile(first, IOMode::ForReading, false, TextFormat::Ascii);
    if (!one)
        return std::unexpected(one.error());
    auto two = fso.OpenTextFile(second, IOMode::ForReading, false, TextFormat::Ascii);
    if (!two)
        return std::unexpected(two.error());

    std::string lineOne;
    std::string lineTwo;
    // Reading (rather than asking for the end first) also reports a read error that is pending
    // at the end of a stream, so a file that cannot be read never passes for an empty one.
    while (true) {
        auto readOne = one->readLine(lineOne);
        if (!readOne)
            return std::unexpected(readOne.error());
        if (!*readOne)
            return true;
        auto readTwo = two->readLine(lineTwo);
        if (!readTwo)
            return std::unexpected(readTwo.error());
        if (!*readTwo || !pair(lineOne, lineTwo))
            return true;
    }
}

Result<std::optional<CombinedLines>> combineFileLines(const std::filesystem::path& first,
                                                      const std::filesystem::path& second)
{
    CombinedLines combined;
    const auto ran = forEachLinePair(first, second, [&](std::string_view lineOne, std::string_view lineTwo) {
        // Room for the whole line at once: very long lines then cost their length once.
        combined.text.reserve(combined.text.size() + lineOne.size() + lineTwo.size() + crlf.size());
        combined.text += lineOne;
        combined.text += lineTwo;
        combined.text += crlf;
        combined.firstLengths.push_back(lineOne.size());
        combined.firstUtf8 = combined.firstUtf8 && isValidUtf8(lineOne);
        combined.secondUtf8 = combined.secondUtf8 && isValidUtf8(lineTwo);
        return true;
    });
    if (!ran)
        return std::unexpected(ran.error());
    return *ran ? std::optional<CombinedLines>{std::move(combined)} : std::nullopt;
}

Result<std::optional<std::string>> combineFiles(const std::filesystem::path& first,
                                                const std::filesystem::path& second)
{
    return transformValue(combineFileLines(first, second), [](std::optional<CombinedLines>&& combined) {
        return combined ? std::optional<std::string>(std::move(combined->text)) : std::nullopt;
    });
}

}  // namespace qb
