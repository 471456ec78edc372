#include "core/glob.h"

#include <fnmatch.h>

namespace qb {

namespace {

// Where the bracket expression starting at `open` ends (the index of its ']'), or npos.
std::size_t bracketEnd(std::string_view text, std::size_t open)
{
    std::size_t i = open + 1;
    if (i < text.size() && (text[i] == '!' || text[i] == '^'))
        ++i;
    if (i < text.size() && text[i] == ']')  // a ']' first is a member
        ++i;
    for (; i < text.size(); ++i)
        if (text[i] == ']')
            return i;
    return std::string_view::npos;
}

// Every alternative of `pattern` with its braces expanded, or nothing when they do not close.
bool expandBraces(std::string_view pattern, std::vector<std::string>& out)
{
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '\\') {
            ++i;
        } else if (pattern[i] == '[') {
            const std::size_t end = bracketEnd(pattern, i);
            if (end == std::string_view::npos)
                return false;
            i = end;
        } else if (pattern[i] == '{') {
            std::vector<std::string_view> choices;
            int depth = 0;
            std::size_t from = i + 1;
            for (std::size_t j = i + 1; j < pattern.size(); ++j) {
                const char c = pattern[j];
                if (c == '\\') {
                    ++j;
                } else if (c == '[') {
                    const std::size_t end = bracketEnd(pattern, j);
                    if (end == std::string_view::npos)
                        return false;
                    j = end;
                } else if (c == '{') {
                    ++depth;
                } else if (c == '}' && depth > 0) {
                    --depth;
                } else if ((c == ',' || c == '}') && depth == 0) {
                    choices.push_back(pattern.substr(from, j - from));
                    from = j + 1;
                    if (c == '}') {
                        const std::string_view head = pattern.substr(0, i);
                        const std::string_view tail = pattern.substr(j + 1);
                        for (const std::string_view choice : choices)
                            if (!expandBraces(std::string(head) + std::string(choice) + std::string(tail), out))
                                return false;
                        return true;
                    }
                }
            }
            return false;
        } else if (pattern[i] == '}') {
            return false;
        }
    }
    out.emplace_back(pattern);
    return true;
}

std::vector<std::string_view> namesOf(std::string_view path)
{
    std::vector<std::string_view> names;
    for (std::size_t from = 0; from <= path.size();) {
        const std::size_t slash = std::min(path.find('/', from), path.size());
        if (slash > from)
            names.push_back(path.substr(from, slash - from));
        from = slash + 1;
    }
    return names;
}

bool matchNames(const std::vector<std::string>& pattern, std::size_t p, const std::vector<std::string_view>& names, std::size_t n)
{
    if (p == pattern.size())
        return n == names.size();
    if (pattern[p] == "**") {
        for (std::size_t skip = n; skip <= names.size(); ++skip)
            if (matchNames(pattern, p + 1, names, skip))
                return true;
        return false;
    }
    if (n == names.size())
        return false;
    return ::fnmatch(pattern[p].c_str(), std::string(names[n]).c_str(), 0) == 0 && matchNames(pattern, p + 1, names, n + 1);
}

}  // namespace

Result<void> GlobSelection::add(std::string_view pattern)
{
    Glob glob;
    if (pattern.starts_with('!')) {
        glob.exclude = true;
        pattern.remove_prefix(1);
    }
    if (pattern.ends_with('/')) {
        glob.foldersOnly = true;
        pattern.remove_suffix(1);
    }
    glob.anyDepth = pattern.find('/') == std::string_view::npos;
    if (pattern.starts_with('/'))
        pattern.remove_prefix(1);
    std::vector<std::string> expanded;
    if (pattern.empty() || !expandBraces(pattern, expanded))
        return fail(err::InvalidProcedureCall, "'" + std::string(pattern) + "' is not a glob: a brace or bracket does not close");
    for (const std::string& one : expanded) {
        std::vector<std::string> names;
        for (const std::string_view name : namesOf(one))
            names.emplace_back(name);
        glob.alternatives.push_back(std::move(names));
    }
    includes_ = includes_ || !glob.exclude;
    globs_.push_back(std::move(glob));
    return {};
}

const GlobSelection::Glob* GlobSelection::lastMatch(std::string_view relative, bool folder) const
{
    std::vector<std::string_view> names = namesOf(relative);
    for (auto glob = globs_.rbegin(); glob != globs_.rend(); ++glob) {
        if (glob->foldersOnly && !folder)
            continue;
        const std::size_t from = glob->anyDepth && !names.empty() ? names.size() - 1 : 0;
        for (const auto& alternative : glob->alternatives)
            if (matchNames(alternative, 0, names, from))
                return &*glob;
    }
    return nullptr;
}

bool GlobSelection::selectsFile(std::string_view relative) const
{
    const Glob* glob = lastMatch(relative, false);
    return glob ? !glob->exclude : !includes_;
}

bool GlobSelection::entersFolder(std::string_view relative) const
{
    const Glob* glob = lastMatch(relative, true);
    return !glob || !glob->exclude;
}

}  // namespace qb
