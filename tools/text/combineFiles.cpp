#include "tools/text/combineFiles.h"

#include "core/fileText.h"
#include "core/fs.h"
#include "core/mdlText.h"

namespace qb {

namespace {

// The lines left in `stream`, counted without keeping them.
Result<std::uint64_t> countRest(TextStream& stream, std::string& buffer)
{
    std::uint64_t lines = 0;
    while (true) {
        auto read = stream.readLine(buffer);
        if (!read)
            return std::unexpected(read.error());
        if (!*read)
            return lines;
        ++lines;
    }
}

}  // namespace

Result<std::optional<LeftOut>> forEachLinePair(const std::filesystem::path& first, const std::filesystem::path& second,
                                               const LinePairVisitor& pair, LeftOutLines leftOut)
{
    if (first.empty() || second.empty())
        return std::optional<LeftOut>{};
    FileSystemObject fso;
    auto one = fso.OpenTextFile(first, IOMode::ForReading, Missing::Fail, TextFormat::Ascii);
    if (!one)
        return std::unexpected(one.error());
    auto two = fso.OpenTextFile(second, IOMode::ForReading, Missing::Fail, TextFormat::Ascii);
    if (!two)
        return std::unexpected(two.error());

    LeftOut left;
    std::string lineOne;
    std::string lineTwo;
    // Reading (rather than asking for the end first) also reports a read error that is pending
    // at the end of a stream, so a file that cannot be read never passes for an empty one.
    // When one file ends, the other is the one whose lines may be left out.
    TextStream* rest = nullptr;
    std::uint64_t* leftOutCount = nullptr;
    while (true) {
        auto readOne = one->readLine(lineOne);
        if (!readOne)
            return std::unexpected(readOne.error());
        if (!*readOne) {
            rest = &*two;
            leftOutCount = &left.second;
            break;
        }
        auto readTwo = two->readLine(lineTwo);
        if (!readTwo)
            return std::unexpected(readTwo.error());
        if (!*readTwo) {
            rest = &*one;
            leftOutCount = &left.first;
            *leftOutCount = 1;  // the line just read from the first file
            break;
        }
        if (!pair(lineOne, lineTwo))
            return std::optional<LeftOut>{};
    }
    if (leftOut == LeftOutLines::Ignore)
        *leftOutCount = 0;
    else if (auto counted = countRest(*rest, lineOne); counted)
        *leftOutCount += *counted;
    else
        return std::unexpected(counted.error());
    return std::optional<LeftOut>{left};
}

Result<std::optional<CombinedLines>> combineFileLines(const std::filesystem::path& first,
                                                      const std::filesystem::path& second, LeftOutLines leftOut)
{
    CombinedLines combined;
    const auto ran = forEachLinePair(
        first, second,
        [&](std::string_view lineOne, std::string_view lineTwo) {
            // Room for the whole line at once: very long lines then cost their length once.
            combined.text.reserve(combined.text.size() + lineOne.size() + lineTwo.size() + crlf.size());
            combined.text += lineOne;
            combined.text += lineTwo;
            combined.text += crlf;
            combined.firstLengths.push_back(lineOne.size());
            combined.firstUtf8 = combined.firstUtf8 && isValidUtf8(lineOne);
            combined.secondUtf8 = combined.secondUtf8 && isValidUtf8(lineTwo);
            return true;
        },
        leftOut);
    if (!ran)
        return std::unexpected(ran.error());
    if (!*ran)
        return std::optional<CombinedLines>{};
    combined.firstLeftOut = (*ran)->first;
    combined.secondLeftOut = (*ran)->second;
    return std::optional<CombinedLines>{std::move(combined)};
}

Result<std::optional<std::string>> combineFiles(const std::filesystem::path& first,
                                                const std::filesystem::path& second)
{
    return transformValue(combineFileLines(first, second), [](std::optional<CombinedLines>&& combined) {
        return combined ? std::optional<std::string>(std::move(combined->text)) : std::nullopt;
    });
}

}  // namespace qb
