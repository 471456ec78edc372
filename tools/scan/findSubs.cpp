#include "tools/scan/findSubs.h"

#include "shell/mdlText.h"
#include "tools/scan/lines.h"

#include <span>

namespace qb {

namespace {

// The white space of the patterns' \s: PCRE2's default (C locale) tables, without UTF.
bool isPatternSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// ASCII letters only, as the patterns' caseless matching compares them.
char asciiLower(char c)
{
    return static_cast<char>(c | 0x20);
}

// Which patterns (by index) could match a line, judged from its first two letters after the
// leading white space: every pattern begins, after optional white space, with a fixed word, so a
// line whose start fits none of them cannot match and costs no regular-expression run at all.
std::span<const int> candidatePatterns(std::string_view line)
{
    static constexpr int publicWords[] = {0, 2, 4, 5};
    static constexpr int privateWords[] = {1, 3};
    static constexpr int importsWord[] = {6};
    static constexpr int sharedWord[] = {7};
    std::size_t k = 0;
    while (k < line.size() && isPatternSpace(line[k]))
        ++k;
    if (k + 1 >= line.size())
        return {};
    const char first = asciiLower(line[k]);
    const char second = asciiLower(line[k + 1]);
    if (first == 'p' && second == 'u')
        return publicWords;
    if (first == 'p' && second == 'r')
        return privateWords;
    if (first == 's' && second == 'h')
        return sharedWord;
    if (first == 'i' && second == 'm' && k == 0)
        return importsWord;  // in the first column only
    return {};
}

void appendFileBlock(std::string& report, const std::filesystem::path& path, const std::string& lines)
{
    report += path.string();
    report += crlf;
    report += lines;
}

template <class Walk>
Result<ScanReport> scanSubs(ProgressCallback progress, Walk walk)
{
    auto test = SubOrFunctTest::compile();
    if (!test)
        return std::unexpected(test.error());
    ScanRun run(std::move(progress));
    walk(run, [&](const File& file) {
        auto lines = searchOneFile(file, *test, run);
        if (!lines)
            run.skip(std::move(lines.error()));
        else if (!lines->empty())
            appendFileBlock(run.text(), file.Path(), *lines);
    });
    return run.finish();
}

}  // namespace

Result<SubOrFunctTest> SubOrFunctTest::compile()
{
    std::vector<Regex> patterns;
    patterns.reserve(subOrFunctPatterns.size());
    for (std::string_view pattern : subOrFunctPatterns) {
        auto regex = Regex::compile(pattern, Regex::Options{.ignoreCase = true, .jit = true});
        if (!regex)
            return std::unexpected(regex.error());
        patterns.push_back(std::move(*regex));
    }
    return SubOrFunctTest(std::move(patterns));
}

Result<bool> SubOrFunctTest::isSubOrFunct(std::string_view strLine)
{
    for (int index : candidatePatterns(strLine)) {
        auto matched = patterns_[static_cast<std::size_t>(index)].matches(strLine);
        if (!matched || *matched)
            return matched;
    }
    return false;
}

Result<void> SubOrFunctTest::appendMatchingLines(std::string_view text, std::string& out)
{
    LineCursor lines(text);
    std::string_view line;
    while (lines.next(line)) {
        auto matched = isSubOrFunct(line);
        if (!matched)
            return std::unexpected(matched.error());
        if (*matched) {
            out += '\t';
            out += line;
            out += crlf;
        }
    }
    return {};
}

Result<std::string> searchOneFile(const File& tempFile, SubOrFunctTest& test, ScanRun& run)
{
    std::string lines;
    if (nameHasFragment(tempFile.Name(), subsSkipList))
        return lines;
    const auto bytes = run.read(tempFile);
    if (!bytes)
        return lines;
    if (auto searched = test.appendMatchingLines(*bytes, lines); !searched) {
        Error error = std::move(searched.error());
        error.description = tempFile.Path().string() + ": " + error.description;
        return std::unexpected(std::move(error));
    }
    return lines;
}

Result<ScanReport> findSubsAndFuncts(const Folder& myFolder, ProgressCallback progress)
{
    return scanSubs(std::move(progress), [&](ScanRun& run, const auto& visit) { run.walk(myFolder, visit); });
}

Result<ScanReport> findSubsInFiles(const std::vector<std::filesystem::path>& paths, ProgressCallback progress)
{
    return scanSubs(std::move(progress), [&](ScanRun& run, const auto& visit) { run.walkPicked(paths, visit); });
}

}  // namespace qb
