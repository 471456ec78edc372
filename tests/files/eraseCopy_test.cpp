// Copies made a block at a time, with the blocks that need no change written as read and long
// lines copied in parts, must be byte for byte the copies of the line filter run over every line.
#include "tools/files/eraseChunks.h"

#include "shell/mdlText.h"

#include <gtest/gtest.h>

#include <random>

#include "support/recorder.h"

namespace qb {
namespace {

const std::vector<std::string> chunk = {"<A>", "<B x=\"1\" />", "</A>", "</L>"};

// Texts made of chunk lines (whole, indented, cut short, in other cases), other lines, long lines
// and every kind of line end; many are already all CR LF without a trigger, so whole blocks are
// written as read. Seeded, so every run is the same.
std::vector<std::string> generatedTexts()
{
    const std::string lines[] = {
        "<A>", "  <A>", "<a>", "x <A> y", "<B x=\"1\" />", "\t<B x=\"1\" />", "</A>", "</L>", "</l>", "<B",
        "plain words", "", " ", std::string(3000, 'z'), std::string(2000, 'y') + "<A>" + std::string(2000, 'y'),
        std::string(2500, 'w') + "<B x=\"1\" />",
    };
    const std::string ends[] = {"\r\n", "\r\n", "\r\n", "\r\n", "\n", "\r"};
    std::mt19937 random(23);
    std::vector<std::string> texts;
    for (int n = 0; n < 120; ++n) {
        std::string text;
        const bool plain = n % 3 == 0;  // CR LF only, and no chunk line: the copy is the file
        for (int i = static_cast<int>(random() % 300); i > 0; --i) {
            const std::size_t pick = random() % std::size(lines);
            text += plain ? "line " + std::to_string(pick) : lines[pick];
            text += plain ? "\r\n" : ends[random() % std::size(ends)];
        }
        if (!plain && random() % 2)
            text += "no end";
        texts.push_back(std::move(text));
    }
    // A line far longer than a block that holds chunk line 1 still starts a chunk.
    const std::string longLine = std::string(5000, 'x') + "<A>" + std::string(5000, 'x');
    texts.push_back("a\r\n" + longLine + "\r\n<B x=\"1\" />\r\n</A>\r\n</L>\r\n" + longLine + "\nb");
    return texts;
}

std::string filteredWhole(std::string_view text, const EraseSettings& settings)
{
    std::vector<std::string> inputLines;
    for (std::string_view line : splitLines(text))
        inputLines.emplace_back(line);
    return filterChunks(settings.chunk, settings.spew, settings.options, inputLines);
}

TEST(EraseCopy, BlockCopiesAreTheLineFiltersCopies)
{
    test::TempDir temp;
    const FileSystemObject fso;
    const std::vector<std::string> texts = generatedTexts();
    std::vector<std::filesystem::path> inputs;
    for (std::size_t t = 0; t < texts.size(); ++t)
        inputs.push_back(temp.write("in" + std::to_string(t) + ".txt", texts[t]));
    const ChunkOptions optionSets[] = {{}, {.allowWild = false}, {.allowWild = true, .eraseOnly = true}};
    for (const ChunkOptions& options : optionSets) {
        const EraseSettings settings{.chunk = chunk, .spew = "S\r\n", .options = options};
        for (const std::size_t blockSize : {1, 16, 100, 1000, 70000}) {
            EraseCopier copier(settings, blockSize);  // one for all files, as a run keeps it
            for (std::size_t t = 0; t < texts.size(); ++t) {
                const std::filesystem::path& input = inputs[t];
                const std::filesystem::path copy = temp / "copy.txt";
                std::filesystem::remove(copy);  // a new file: nothing to sync
                ASSERT_TRUE(copier.open(input));
                auto output = fso.CreateReplacingTextFile(copy);
                ASSERT_TRUE(output);
                ASSERT_TRUE(copier.copyTo(*output));
                ASSERT_TRUE(output->Close());
                ASSERT_EQ(test::readBytes(copy), filteredWhole(texts[t], settings))
                    << "text " << t << ", blocks of " << blockSize << ", wild " << options.allowWild;
            }
        }
    }
}

}  // namespace
}  // namespace qb
