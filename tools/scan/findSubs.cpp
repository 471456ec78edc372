#include "tools/scan/findSubs.h"

#include "shell/mdlText.h"
#include "tools/scan/lines.h"

#include <memory>

namespace qb {

namespace {

template <class Walk>
Result<ScanReport> scanSubs(ProgressCallback progress, Walk walk)
{
    std::vector<FileScanner> scanners;
    for (std::size_t i = scanWorkerCount(); i > 0; --i) {
        auto test = SubOrFunctTest::compile();  // match data is per thread, so one per worker
        if (!test)
            return std::unexpected(test.error());
        auto own = std::make_shared<SubOrFunctTest>(std::move(*test));
        scanners.emplace_back([own](const File& file, std::string_view bytes, ScanPart& part) {
            return searchOneFile(file, bytes, *own, part);
        });
    }
    ScanRun run(std::move(progress), std::move(scanners));
    walk(run, [&](const File& file) {
        if (!nameHasFragment(fileNameOf(file.Path()), subsSkipList))
            run.scan(file);
    });
    return run.finish();
}

}  // namespace

SubOrFunctTest::SubOrFunctTest(std::vector<Regex> patterns)
    : patterns_(std::move(patterns)), filter_(subOrFunctPatterns)
{
}

Result<SubOrFunctTest> SubOrFunctTest::compile()
{
    std::vector<Regex> patterns;
    for (std::string_view pattern : subOrFunctPatterns) {
        auto regex = Regex::compile(pattern, Regex::Options{.ignoreCase = true, .jit = true});
        if (!regex)
            return std::unexpected(regex.error());
        patterns.push_back(std::move(*regex));
    }
    return SubOrFunctTest(std::move(patterns));
}

Result<bool> SubOrFunctTest::testPatterns(std::string_view strLine, std::uint32_t worth)
{
    for (std::size_t i = 0; worth; ++i, worth >>= 1) {
        if (!(worth & 1))
            continue;
        auto matched = patterns_[i].matches(strLine);
        if (!matched || *matched)
            return matched;
    }
    return false;
}

Result<bool> SubOrFunctTest::isSubOrFunct(std::string_view strLine)
{
    return testPatterns(strLine, filter_.candidatesFor(strLine));
}

Result<void> SubOrFunctTest::appendMatchingLines(std::string_view text, ScanPart& part)
{
    Result<void> result;
    std::size_t counted = 0;  // a line start whose line number is known
    std::uint64_t countedLine = 1;
    const auto test = [&](std::string_view line, std::uint32_t worth) {
        if (!result || !worth)
            return;
        auto matched = testPatterns(line, worth);
        if (!matched) {
            result = std::unexpected(matched.error());
        } else if (*matched) {
            const auto lineStart = static_cast<std::size_t>(line.data() - text.data());
            countedLine += countLineBreaks(text, counted, lineStart);
            counted = lineStart;
            part.addLine("\t", line, countedLine);
            part.records.push_back(Record{.line = countedLine, .kind = RecordKind::Declaration, .text = std::string(line)});
        }
    };
    if (filter_.sievable()) {
        // Leading texts hold no line break, so the one at a line's content start can be checked
        // before the line's end is known.
        forEachLineStartingWith(text, filter_.sieve(), [&](std::size_t contentStart) {
            const bool indented = contentStart > 0 && isLineBlank(text[contentStart - 1]);
            const std::uint32_t worth = filter_.candidates(text.substr(contentStart), indented);
            if (!worth)
                return;
            const std::size_t lineStart = lineStartOf(text, contentStart);
            test(text.substr(lineStart, lineEndFrom(text, contentStart) - lineStart), worth);
        });
    } else {
        for (std::string_view line : splitLines(text))
            test(line, filter_.candidatesFor(line));
    }
    return result;
}

Result<void> searchOneFile(const File& tempFile, std::string_view bytes, SubOrFunctTest& test, ScanPart& part)
{
    part.addLine({}, tempFile.Path().native(), 1);
    const std::size_t linesStart = part.text.size();
    const auto searched = test.appendMatchingLines(bytes, part);
    if (!searched || part.text.size() == linesStart) {
        // Nothing matched, or the search failed: the file is not listed.
        part.clear();
    }
    if (!searched) {
        Error error = searched.error();
        error.description = tempFile.Path().string() + ": " + error.description;
        return std::unexpected(std::move(error));
    }
    return {};
}

Result<ScanReport> findSubsAndFuncts(const Folder& myFolder, ProgressCallback progress)
{
    return scanSubs(std::move(progress), [&](ScanRun& run, const auto& visit) { run.walk(myFolder, visit); });
}

Result<ScanReport> findSubsInFiles(const std::vector<std::filesystem::path>& paths, ProgressCallback progress)
{
    return scanSubs(std::move(progress), [&](ScanRun& run, const auto& visit) { run.walkPicked(paths, visit); });
}

Result<ScanReport> findSubsIn(const std::vector<std::filesystem::path>& paths, ProgressCallback progress)
{
    return scanSubs(std::move(progress), [&](ScanRun& run, const auto& visit) { run.walkPaths(paths, visit); });
}

}  // namespace qb
