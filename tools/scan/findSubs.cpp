#include "tools/scan/findSubs.h"

#include "core/mdlText.h"
#include "tools/scan/lines.h"

#include <memory>

namespace qb {

namespace {

class SubsScanner final : public PathLineScanner {
public:
    explicit SubsScanner(SubOrFunctTest test) : test_(std::move(test)) {}

    void start(const std::filesystem::path& file, ScanPart& part) override
    {
        PathLineScanner::start(file, part);
        line_ = 1;
    }

    Result<void> scan(std::string_view lines, bool last, ScanPart& part) override
    {
        auto searched = test_.appendMatchingLines(lines, part, line_, !last);
        if (!searched) {
            Error error = std::move(searched.error());
            error.description = path_->string() + ": " + error.description;
            return std::unexpected(std::move(error));
        }
        return {};
    }

private:
    SubOrFunctTest test_;  // match data is per thread, so one per worker
    std::uint64_t line_ = 1;
};

template <class Walk>
Result<ScanReport> scanSubs(ProgressCallback progress, Walk walk, ScanOutput output, std::stop_token stop)
{
    FileScanners scanners;
    for (std::size_t i = scanThreadCount(); i > 0; --i) {
        auto scanner = subsScanner();
        if (!scanner)
            return std::unexpected(scanner.error());
        scanners.push_back(std::move(*scanner));
    }
    ScanRun run(std::move(progress), std::move(scanners), std::move(output), std::move(stop));
    walk(run, [&](const std::filesystem::path& file) {
        if (!nameHasFragment(fileNameOf(file), subsSkipList))
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
    std::uint64_t line = 1;
    return appendMatchingLines(text, part, line, false);
}

Result<void> SubOrFunctTest::appendMatchingLines(std::string_view text, ScanPart& part, std::uint64_t& line, bool countAll)
{
    Result<void> result;
    std::size_t counted = 0;  // a line start whose line number (`line`) is known
    const auto test = [&](std::string_view found, std::uint32_t worth) {
        if (!result || !worth)
            return;
        auto matched = testPatterns(found, worth);
        if (!matched) {
            result = std::unexpected(matched.error());
        } else if (*matched) {
            const auto lineStart = static_cast<std::size_t>(found.data() - text.data());
            if (part.detailed) {  // line numbers are only kept with the places and records
                line += countLineBreaks(text, counted, lineStart);
                counted = lineStart;
            }
            part.addFileLine("\t", found, line);
            if (part.detailed)
                part.records.push_back(Record{.line = line, .kind = RecordKind::Declaration, .text = std::string(found)});
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
        for (std::string_view each : splitLines(text))
            test(each, filter_.candidatesFor(each));
    }
    if (countAll && part.detailed)
        line += countLineBreaks(text, counted, text.size());
    return result;
}

Result<std::unique_ptr<FileScanner>> subsScanner()
{
    auto test = SubOrFunctTest::compile();
    if (!test)
        return std::unexpected(test.error());
    return std::make_unique<SubsScanner>(std::move(*test));
}

Result<ScanReport> findSubsAndFuncts(const Folder& myFolder, ProgressCallback progress, std::stop_token stop)
{
    return scanSubs(std::move(progress), [&](ScanRun& run, const auto& visit) { run.walk(myFolder, visit); },
                    ScanDetail::Full, std::move(stop));
}

Result<ScanReport> findSubsInFiles(const std::vector<std::filesystem::path>& paths, ProgressCallback progress,
                                   std::stop_token stop)
{
    return scanSubs(std::move(progress), [&](ScanRun& run, const auto& visit) { run.walkPicked(paths, visit); },
                    ScanDetail::Full, std::move(stop));
}

Result<ScanReport> findSubsIn(const std::vector<std::filesystem::path>& paths, ProgressCallback progress,
                              ScanOutput output, std::stop_token stop)
{
    return scanSubs(std::move(progress), [&](ScanRun& run, const auto& visit) { run.walkPaths(paths, visit); }, std::move(output),
                    std::move(stop));
}

}  // namespace qb
