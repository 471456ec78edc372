// Benchmark driver for the bulk file-editing tools: makes a test tree, and runs the erase-and-spew
// or the pair-replacement logic over a folder exactly as the windows do, without the windows.
//
//   files_bench generate DIR FILES MEGABYTES [flat]   a tree (or one flat folder) with chunks in it
//   files_bench erase BASE                            erase and spew the default chunk, recursively
//   files_bench snp FOLDER PROGRAM_FOLDER             the pairs of PROGRAM_FOLDER/replaceLines.txt
//   files_bench floor TREE OUT                        the floor of any copying tool: every file of
//                                                     TREE read once and written once below OUT
#include "tools/files/eraseChunks.h"
#include "tools/files/replaceLines.h"

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

// One read buffer for every file, one write per file: what copying a tree costs at the least.
int floor(const fs::path& tree, const fs::path& out)
{
    std::string bytes;
    const qb::FileSystemObject fso;
    for (auto it = fs::recursive_directory_iterator(tree); it != fs::recursive_directory_iterator(); ++it) {
        if (it->is_directory() && it->path().filename() == "copies") {
            it.disable_recursion_pending();
            continue;
        }
        const fs::path target = out / it->path().lexically_relative(tree);
        if (it->is_directory()) {
            fs::create_directories(target);
            continue;
        }
        if (!fso.readFileBytes(it->path(), bytes))
            return 1;
        fs::create_directories(target.parent_path());
        FILE* file = std::fopen(target.c_str(), "wb");
        if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0)
            return 1;
    }
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
    if (command == "floor" && argc == 4)
        return floor(argv[2], argv[3]);
    std::fprintf(stderr, "usage: files_bench generate DIR FILES MEGABYTES [flat] | erase BASE | snp FOLDER PROGRAM_FOLDER | floor TREE OUT\n");
    return 2;
}
