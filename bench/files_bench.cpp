// Benchmark driver for the bulk file-editing tools: makes a test tree, and runs the erase-and-spew
// or the pair-replacement logic over a folder exactly as the windows do, without the windows.
//
//   files_bench generate DIR FILES MEGABYTES [flat]   a tree (or one flat folder) with chunks in it
//   files_bench erase BASE                            erase and spew the default chunk, recursively
//   files_bench snp FOLDER PROGRAM_FOLDER             the pairs of PROGRAM_FOLDER/replaceLines.txt
//   files_bench targets DIR FOLDERS KILOBYTES         DIR/tree/NNNN/report.txt and DIR/new/report.txt
//   files_bench update NEWFILE TREE                   Update Files with NEWFILE over TREE
//   files_bench line FILE MEGABYTES                   one line of that size, with no line break
//   files_bench combine FIRST SECOND                  Combine, line by line
//   files_bench repeat IN OUT                         the chunk repeater with the default chunk
#include "tools/files/eraseChunks.h"
#include "tools/files/replaceLines.h"
#include "tools/files/updateFiles.h"
#include "tools/text/carpalTunnel.h"
#include "tools/text/combineFiles.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> chunk = {
    "<SIMPLERENDERER>",
    "<SIMPLEPOLYGONSYMBOL boundarytransparency=\"1.0\" filltransparency=\"0.0\" boundarywidth=\"2\" "
    "boundarycaptype=\"round\" boundarycolor=\"151,71,73\" />",
    "</SIMPLERENDERER>",
    "</LAYER>",
};

const char* const words[] = {"alpha", "cat", "dog", "layer", "<FIELD>", "value=\"12\"", "renderer", "symbol",
                             "the", "and", "</ITEM>", "width", "Colour", "x", "bird", "0.5"};

int generate(const fs::path& root, int files, int megabytes, bool flat)
{
    std::mt19937 random(20240611);
    const std::size_t perFile = static_cast<std::size_t>(megabytes) * 1024 * 1024 / static_cast<std::size_t>(files);
    std::string text;
    for (int i = 0; i < files; ++i) {
        fs::path folder = root;
        if (!flat)
            folder = folder / ("Group" + std::to_string(i % 8)) / ("part" + std::to_string(i % 5));
        fs::create_directories(folder);
        text.clear();
        int line = 0;
        while (text.size() < perFile) {
            if (++line % 400 == 0) {  // a chunk now and then, indented like real files
                for (const auto& chunkLine : chunk)
                    text += "    " + chunkLine + "\r\n";
                continue;
            }
            const int count = 4 + static_cast<int>(random() % 12);
            text.append(static_cast<std::size_t>(random() % 8), ' ');
            for (int w = 0; w < count; ++w) {
                text += words[random() % std::size(words)];
                text += ' ';
            }
            text += "\r\n";
        }
        std::ofstream(folder / ("file" + std::to_string(i) + ".txt"), std::ios::binary) << text;
    }
    return 0;
}

int erase(const fs::path& base)
{
    qb::EraseSettings settings;
    settings.chunk = chunk;
    settings.spew = "smack\r\n";
    settings.recursive = true;
    const auto report = qb::runEraseChunks(base, settings);
    if (!report) {
        std::fprintf(stderr, "%s\n", qb::formatError(report.error()).c_str());
        return 1;
    }
    if (!report->failures.empty()) {
        std::fprintf(stderr, "%s\n", qb::listFailures(report->failures).c_str());
        return 1;
    }
    std::printf("%llu copies\n", static_cast<unsigned long long>(report->counts.written));
    return 0;
}

int snp(const fs::path& folder, const fs::path& programFolder)
{
    const auto report = qb::runReplaceLines(folder, programFolder);
    if (!report) {
        std::fprintf(stderr, "%s\n", qb::formatError(report.error()).c_str());
        return 1;
    }
    if (!report->failures.empty()) {
        std::fprintf(stderr, "%s\n", qb::formatError(report->failures.front().error).c_str());
        return 1;
    }
    std::printf("%llu copies\n", static_cast<unsigned long long>(report->counts.written));
    return 0;
}

// FOLDERS folders of one file each, all named report.txt, and a new report.txt to copy over them.
int targets(const fs::path& root, int folders, int kilobytes)
{
    const std::string old(static_cast<std::size_t>(kilobytes) * 1024, 'o');
    for (int i = 0; i < folders; ++i) {
        const fs::path folder = root / "tree" / ("g" + std::to_string(i % 20)) / std::to_string(i);
        fs::create_directories(folder);
        std::ofstream(folder / "report.txt", std::ios::binary) << old;
    }
    fs::create_directories(root / "new");
    std::ofstream(root / "new" / "report.txt", std::ios::binary) << std::string(old.size(), 'N');
    return 0;
}

int update(const fs::path& newFile, const fs::path& tree)
{
    const qb::RunReport report = qb::updateFiles({newFile}, tree, [] { return std::string("bench"); });
    for (const qb::Failure& failure : report.failures)
        std::fprintf(stderr, "%s\n", qb::formatError(failure.error).c_str());
    std::printf("%llu replaced\n", static_cast<unsigned long long>(report.counts.written));
    return report.failures.empty() ? 0 : 1;
}

int line(const fs::path& file, int megabytes)
{
    std::ofstream out(file, std::ios::binary);
    const std::string block(1 << 20, 'w');
    for (int i = 0; i < megabytes; ++i)
        out << block;
    return out ? 0 : 1;
}

int combine(const fs::path& first, const fs::path& second)
{
    const auto combined = qb::combineFiles(first, second);
    if (!combined) {
        std::fprintf(stderr, "%s\n", qb::formatError(combined.error()).c_str());
        return 1;
    }
    std::printf("%zu bytes\n", combined->value_or("").size());
    return 0;
}

int repeat(const fs::path& in, const fs::path& out)
{
    const qb::RepeatResult result = qb::repeatChunk({qb::defaultChunk(), in, out, "10", false});
    if (result.error) {
        std::fprintf(stderr, "%s\n", qb::formatError(*result.error).c_str());
        return 1;
    }
    std::printf("%zu bytes shown\n", result.shown.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "generate" && argc >= 5)
        return generate(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argc > 5 && std::string(argv[5]) == "flat");
    if (command == "erase" && argc == 3)
        return erase(argv[2]);
    if (command == "snp" && argc == 4)
        return snp(argv[2], argv[3]);
    if (command == "targets" && argc == 5)
        return targets(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (command == "update" && argc == 4)
        return update(argv[2], argv[3]);
    if (command == "line" && argc == 4)
        return line(argv[2], std::atoi(argv[3]));
    if (command == "combine" && argc == 4)
        return combine(argv[2], argv[3]);
    if (command == "repeat" && argc == 4)
        return repeat(argv[2], argv[3]);
    std::fprintf(stderr, "usage: files_bench generate DIR FILES MEGABYTES [flat] | erase BASE | snp FOLDER PROGRAM_FOLDER"
                         " | targets DIR FOLDERS KILOBYTES | update NEWFILE TREE | line FILE MEGABYTES"
                         " | combine FIRST SECOND | repeat IN OUT\n");
    return 2;
}
