#include "tools/files/diff.h"

#include <dtl/dtl.hpp>

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace qb {

namespace {

constexpr std::size_t contextLines = 3;

// The lines of `text`, each with its LF; the last one may have none.
std::vector<std::string_view> diffLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t end = text.find('\n', from);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(from, next - from));
        from = next;
    }
    return lines;
}

struct Step {
    dtl::edit_t type;
    std::string_view line;
};

// How many lines of `a` are removed at least: those that `b` does not hold, counted as multisets.
std::size_t leastRemoved(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b)
{
    std::unordered_map<std::string_view, std::ptrdiff_t> balance;
    balance.reserve(a.size());
    for (std::string_view line : a)
        ++balance[line];
    for (std::string_view line : b)
        --balance[line];
    std::size_t removed = 0;
    for (const auto& [line, count] : balance)
        removed += static_cast<std::size_t>(std::max<std::ptrdiff_t>(count, 0));
    return removed;
}

// The ways the middle of a diff is made.
enum class Method {
    Aligned,  // line i becomes line i: as short as any script when it removes no more lines than must go
    Myers,    // the shortest script, in time and memory that grow with the lines removed squared
    Whole,    // every line removed, then every line added: for a middle out of the Myers diff's reach
};

// Picks the method for the middle `a` -> `b` (both non-empty). An edit that rewrites lines one
// for one (a search and replace) is aligned in linear time; the Myers diff takes the rest while
// its cost stays within reach.
Method methodFor(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b)
{
    constexpr double budget = 4e8;
    const double lines = static_cast<double>(a.size() + b.size());
    std::size_t mismatched = 0;
    if (a.size() == b.size())
        for (std::size_t i = 0; i < a.size(); ++i)
            mismatched += a[i] != b[i];
    const bool cheap = lines * lines / 4 <= 1e6;
    if (cheap && a.size() != b.size())
        return Method::Myers;
    const std::size_t removed = leastRemoved(a, b);
    if (a.size() == b.size() && mismatched == removed)
        return Method::Aligned;
    const double cost = static_cast<double>(removed + 1);
    return lines * cost <= budget && cost * cost <= budget / 10 ? Method::Myers : Method::Whole;
}

// The shortest edit script from `before` to `after`. The common head and tail are taken off
// first: an edit touches a few places of a long file, and the diff then sees only the middle.
std::vector<Step> editScript(std::string_view before, std::string_view after)
{
    const std::vector<std::string_view> a = diffLines(before), b = diffLines(after);
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    std::vector<Step> steps;
    steps.reserve(std::max(a.size(), b.size()) + 1);
    for (std::size_t i = 0; i < head; ++i)
        steps.push_back({dtl::SES_COMMON, a[i]});
    const std::vector<std::string_view> midA(a.begin() + static_cast<std::ptrdiff_t>(head), a.end() - static_cast<std::ptrdiff_t>(tail));
    const std::vector<std::string_view> midB(b.begin() + static_cast<std::ptrdiff_t>(head), b.end() - static_cast<std::ptrdiff_t>(tail));
    const Method method = midA.empty() || midB.empty() ? Method::Whole : methodFor(midA, midB);
    if (method == Method::Myers) {
        dtl::Diff<std::string_view, std::vector<std::string_view>> diff(midA, midB);
        diff.compose();
        for (const auto& [line, info] : diff.getSes().getSequence())
            steps.push_back({info.type, line});
    } else {
        // Whole: one run over everything. Aligned: each run of changed lines, its old lines first.
        for (std::size_t from = 0; from < std::max(midA.size(), midB.size());) {
            std::size_t to = from;
            if (method == Method::Whole)
                to = std::max(midA.size(), midB.size());
            else if (midA[from] == midB[from])
                steps.push_back({dtl::SES_COMMON, midA[from++]});
            else
                while (to < midA.size() && midA[to] != midB[to])
                    ++to;
            for (std::size_t i = from; i < std::min(to, midA.size()); ++i)
                steps.push_back({dtl::SES_DELETE, midA[i]});
            for (std::size_t i = from; i < std::min(to, midB.size()); ++i)
                steps.push_back({dtl::SES_ADD, midB[i]});
            from = std::max(from, to);
        }
    }
    for (std::size_t i = a.size() - tail; i < a.size(); ++i)
        steps.push_back({dtl::SES_COMMON, a[i]});
    return steps;
}

void appendRange(std::string& out, char sign, std::uint64_t before, std::uint64_t count)
{
    // An empty range names the line before it, as the unified format has it.
    out += sign;
    out += std::to_string(count == 0 ? before : before + 1);
    if (count != 1) {
        out += ',';
        out += std::to_string(count);
    }
}

// A file name on a "---" or "+++" line, written as git writes it so that both git and patch read
// it back: a name with control characters, a double quote or a backslash in C quotes; a name with
// a space followed by a tab, which ends the name for patch.
void appendName(std::string& out, std::string_view prefix, std::string_view path)
{
    const std::string name = std::string(prefix) + std::string(path);
    const bool quoted = std::ranges::any_of(name, [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\' || c == 0x7f;
    });
    if (!quoted) {
        out += name;
        if (name.find(' ') != std::string::npos)
            out += '\t';
        out += '\n';
        return;
    }
    out += '"';
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte == 0x7f) {
            out += '\\';
            out += static_cast<char>('0' + (byte >> 6));
            out += static_cast<char>('0' + ((byte >> 3) & 7));
            out += static_cast<char>('0' + (byte & 7));
        } else {
            out += c;
        }
    }
    out += "\"\n";
}

void appendLine(std::string& out, char sign, std::string_view line)
{
    out += sign;
    out += line;
    if (line.empty() || line.back() != '\n')
        out += "\n\\ No newline at end of file\n";
}

}  // namespace

std::string unifiedDiff(std::string_view before, std::string_view after, std::string_view path)
{
    if (before == after)
        return {};
    const std::vector<Step> steps = editScript(before, after);
    std::string out;
    out += "--- ";
    appendName(out, "a/", path);
    out += "+++ ";
    appendName(out, "b/", path);
    std::uint64_t oldLine = 0, newLine = 0;  // lines of each side before steps[at]
    std::size_t at = 0;
    while (at < steps.size()) {
        // The next change, and the last change of its hunk: changes closer than twice the context
        // share one hunk.
        std::size_t first = at;
        while (first < steps.size() && steps[first].type == dtl::SES_COMMON)
            ++first;
        if (first == steps.size())
            break;
        std::size_t last = first, commons = 0;
        for (std::size_t i = first; i < steps.size(); ++i) {
            if (steps[i].type != dtl::SES_COMMON) {
                last = i;
                commons = 0;
            } else if (++commons > 2 * contextLines) {
                break;
            }
        }
        const std::size_t start = first - std::min(contextLines, first - at);
        const std::size_t end = std::min(steps.size(), last + 1 + contextLines);
        for (std::size_t i = at; i < start; ++i)
            ++oldLine, ++newLine;
        std::uint64_t oldCount = 0, newCount = 0;
        for (std::size_t i = start; i < end; ++i) {
            oldCount += steps[i].type != dtl::SES_ADD;
            newCount += steps[i].type != dtl::SES_DELETE;
        }
        out += "@@ ";
        appendRange(out, '-', oldLine, oldCount);
        out += ' ';
        appendRange(out, '+', newLine, newCount);
        out += " @@\n";
        for (std::size_t i = start; i < end; ++i)
            appendLine(out, steps[i].type == dtl::SES_COMMON ? ' ' : steps[i].type == dtl::SES_ADD ? '+' : '-', steps[i].line);
        oldLine += oldCount;
        newLine += newCount;
        at = end;
    }
    return out;
}

DiffCounts diffCounts(std::string_view before, std::string_view after)
{
    DiffCounts counts;
    if (before == after)
        return counts;
    for (const Step& step : editScript(before, after)) {
        counts.removed += step.type == dtl::SES_DELETE;
        counts.added += step.type == dtl::SES_ADD;
    }
    return counts;
}

}  // namespace qb
