#include "tools/scan/commentSyntax.h"

#include "core/fs.h"

#include <algorithm>
#include <cerrno>

namespace qb {

namespace {

// The languages Quillbox knows, in the format the header describes. Where two languages claim
// one extension the later wins: .m is Objective-C here; a languages.txt that gives MATLAB
// "extensions m" takes it over.
constexpr std::string_view builtInTable = R"table(
language C
extensions c
line //
block /* */
string " " \
string ' ' \

language C++
extensions cpp cc cxx c++ hpp hh hxx h++ h ipp inl tpp cu
line //
block /* */
raw R" any ( ) "
raw u8R" any ( ) "
raw uR" any ( ) "
raw UR" any ( ) "
raw LR" any ( ) "
string " " \
char ' \

language C#
extensions cs csx
line //
block /* */
text """ """ none
text @" " double
text $@" " double
text @$" " double
string " " \
string ' ' \

language Objective-C
extensions m mm
line //
block /* */
string @" " \
string " " \
string ' ' \

language Java
extensions java
line //
block /* */
text """ """ \
string " " \
string ' ' \

language Kotlin
extensions kt kts
line //
nested /* */
text """ """ none
string " " \
string ' ' \

language Scala
extensions scala sc sbt
line //
nested /* */
text """ """ none
string " " \
char ' \

language Swift
extensions swift
line //
nested /* */
text """ """ \
raw # # " " #
string " " \

language Go
extensions go
line //
block /* */
text ` ` none
string " " \
string ' ' \

language Rust
extensions rs
line //
nested /* */
raw r # " " -
raw br # " " -
text " " \
char ' \
char b' \

language Dart
extensions dart
line //
nested /* */
text r""" """ none
text r''' ''' none
text """ """ \
text ''' ''' \
string r" " none
string r' ' none
string " " \
string ' ' \

language JavaScript
extensions js mjs cjs jsx
interpreters node nodejs deno bun
line //
block /* */
text ` ` \
string " " \
string ' ' \

language TypeScript
extensions ts mts cts tsx
interpreters ts-node
line //
block /* */
text ` ` \
string " " \
string ' ' \

language PHP
extensions php phtml php3 php4 php5 php7 phps
interpreters php
line // #
block /* */
text " " \
text ' ' \
text ` ` \

language Python
extensions py pyw pyi
names SConstruct SConscript
interpreters python python2 python3 pypy pypy3
line #
text """ """ \
text ''' ''' \
string " " \
string ' ' \

language Ruby
extensions rb rake gemspec ru
names Rakefile Gemfile Vagrantfile Podfile Brewfile
interpreters ruby
line #
line-block =begin =end
text " " \
text ' ' \
text ` ` \

language Perl
extensions pl pm t pod
interpreters perl
spaced-line #
line-block =pod =cut
line-block =head1 =cut
line-block =head2 =cut
line-block =begin =cut
line-block =over =cut
line-block =item =cut
text " " \
text ' ' \

language Lua
extensions lua
interpreters lua luajit
raw-comment --[ = [ ] ]
line --
raw [ = [ ] ]
string " " \
string ' ' \

language R
extensions r rmd
interpreters Rscript
line #
raw r" - ( ) "
raw R" - ( ) "
raw r" - [ ] "
raw R" - [ ] "
raw r" - { } "
raw R" - { } "
text " " \
text ' ' \

language Shell
extensions sh bash zsh ksh dash bats
names .bashrc .bash_profile .bash_logout .profile .zshrc .zprofile .kshrc PKGBUILD
interpreters sh bash zsh ksh dash ash mksh
spaced-line #
text " " \
text ' ' none

language PowerShell
extensions ps1 psm1 psd1
interpreters pwsh powershell
line #
block <# #>
text @" "@ none
text @' '@ none
text " " `
text ' ' double

language SQL
extensions sql ddl dml pks pkb
line --
block /* */
text ' ' double
text " " double

language HTML/XML
extensions html htm xhtml xml xsd xsl xslt svg vue svelte plist csproj vbproj props targets resx xaml
block <!-- -->
text <![CDATA[ ]]> none

language CSS
extensions css
block /* */
string " " \
string ' ' \

language SCSS
extensions scss sass less
line //
block /* */
string " " \
string ' ' \

language YAML
extensions yaml yml
spaced-line #
value-string " " \
value-string ' ' double

language TOML
extensions toml
names Pipfile
line #
text """ """ \
text ''' ''' none
string " " \
string ' ' none

language INI
extensions ini cfg conf properties editorconfig gitconfig desktop
names .gitconfig .editorconfig .npmrc
start-line ; #

language Makefile
extensions mk mak make
names Makefile makefile GNUmakefile
interpreters make
line #

language CMake
extensions cmake
names CMakeLists.txt
raw-comment #[ = [ ] ]
line #
raw [ = [ ] ]
text " " \

language Dockerfile
extensions dockerfile containerfile
names Dockerfile Containerfile
start-line #

language Haskell
extensions hs lhs
interpreters runhaskell runghc stack
line --
nested {- -}
text " " \
char ' \

language Elixir
extensions ex exs
interpreters elixir
line #
text """ """ \
text ''' ''' \
text " " \
text ' ' \

language Erlang
extensions erl hrl
interpreters escript
line %
text " " \
string ' ' \

language Lisp
extensions lisp lsp cl el scm ss rkt clj cljs cljc edn fnl
interpreters sbcl clisp guile racket clojure bb
line ;
nested #| |#
text " " \

language Fortran
extensions f90 f95 f03 f08 f18 f for ftn
line !
string " " double
string ' ' double

language MATLAB
line %
line-block %{ %}
value-string ' ' double
string " " double

language Visual Basic
extensions bas cls frm vb vbs ctl dsr
line '
word-line REM
string " " double
)table";

std::string lowered(std::string_view text)
{
    std::string out(text);
    std::ranges::transform(out, out.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return out;
}

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> words(std::string_view text)
{
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && text[pos] != ' ' && text[pos] != '\t')
            ++pos;
        if (pos > start)
            out.push_back(text.substr(start, pos - start));
    }
    return out;
}

Result<EscapeRule> escapeNamed(std::string_view word, char& escapeChar)
{
    if (word == "none")
        return EscapeRule::None;
    if (word == "double")
        return EscapeRule::Doubled;
    if (word.size() == 1) {
        escapeChar = word.front();
        return EscapeRule::Character;
    }
    return std::unexpected(Error{err::TypeMismatch, "the escape must be one character, \"double\" or \"none\", not \"" + std::string(word) + "\""});
}

}  // namespace

const SyntaxTable& SyntaxTable::builtIn()
{
    static const SyntaxTable table = [] {
        SyntaxTable built;
        [[maybe_unused]] const auto read = built.read(builtInTable, "built-in languages");
        return built;
    }();
    return table;
}

Result<SyntaxTable> SyntaxTable::withUserText(std::string_view text, std::string_view source)
{
    SyntaxTable table;
    if (auto read = table.read(builtInTable, "built-in languages"); !read)
        return std::unexpected(read.error());
    if (auto read = table.read(text, source); !read)
        return std::unexpected(read.error());
    return table;
}

Result<std::shared_ptr<const SyntaxTable>> SyntaxTable::load(const std::filesystem::path& path)
{
    const FileSystemObject fso;
    if (!fso.FileExists(path))
        return std::shared_ptr<const SyntaxTable>(std::shared_ptr<const SyntaxTable>(), &builtIn());
    auto text = fso.readFileBytes(path);
    if (!text)
        return std::unexpected(text.error());
    auto table = withUserText(*text, path.native());
    if (!table)
        return std::unexpected(table.error());
    return std::make_shared<const SyntaxTable>(std::move(*table));
}

Result<void> SyntaxTable::read(std::string_view text, std::string_view source)
{
    CommentSyntax* current = nullptr;
    bool keepsForms = false;  // a known language keeps its forms until the section gives some
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = trimmed(text.substr(pos, end - pos));
        pos = end + 1;
        ++lineNumber;
        if (line.empty() || line.front() == '#')
            continue;
        const auto fail = [&](const std::string& why) {
            return std::unexpected(Error{err::TypeMismatch, std::string(source) + ", line " + std::to_string(lineNumber) + ": " + why});
        };
        const std::vector<std::string_view> w = words(line);
        const std::string_view key = w.front();
        const std::vector<std::string_view> args(w.begin() + 1, w.end());
        if (key == "language") {
            const std::string_view name = trimmed(line.substr(key.size()));
            if (name.empty())
                return fail("a language needs a name");
            current = nullptr;
            for (const auto& known : languages_)
                if (lowered(known->name) == lowered(name))
                    current = known.get();
            keepsForms = current != nullptr;
            if (!current) {
                languages_.push_back(std::make_unique<CommentSyntax>(CommentSyntax{std::string(name), {}}));
                current = languages_.back().get();
            }
            continue;
        }
        if (!current)
            return fail("\"" + std::string(key) + "\" before the first language");
        const auto needs = [&](std::size_t count) { return args.size() == count; };
        if (key == "extensions" || key == "names" || key == "interpreters") {
            auto& map = key == "extensions" ? extensions_ : key == "names" ? names_ : interpreters_;
            for (std::string_view arg : args)
                map.insert_or_assign(lowered(arg), current);
            continue;
        }
        if (keepsForms) {
            current->forms.clear();
            keepsForms = false;
        }
        if (key == "line" || key == "spaced-line" || key == "start-line" || key == "word-line") {
            if (args.empty())
                return fail("\"" + std::string(key) + "\" needs at least one opener");
            const LineCommentRule rule = key == "line"          ? LineCommentRule::Anywhere
                                         : key == "spaced-line" ? LineCommentRule::AfterSpace
                                         : key == "start-line"  ? LineCommentRule::LineStart
                                                                : LineCommentRule::Word;
            for (std::string_view arg : args)
                current->forms.push_back(Delimited{.kind = DelimitedKind::Comment, .open = std::string(arg), .rule = rule});
            continue;
        }
        if (key == "block" || key == "nested" || key == "line-block") {
            if (!needs(2))
                return fail("\"" + std::string(key) + "\" needs an opener and a closer");
            const DelimitedKind kind = key == "block"    ? DelimitedKind::BlockComment
                                       : key == "nested" ? DelimitedKind::NestedComment
                                                         : DelimitedKind::LineBlockComment;
            current->forms.push_back(Delimited{.kind = kind, .open = std::string(args[0]), .close = std::string(args[1])});
            continue;
        }
        if (key == "string" || key == "text" || key == "value-string") {
            if (!needs(3))
                return fail("\"" + std::string(key) + "\" needs an opener, a closer and an escape");
            Delimited form{.kind = key == "string" ? DelimitedKind::String
                                   : key == "text" ? DelimitedKind::Text
                                                   : DelimitedKind::ValueString,
                           .open = std::string(args[0]),
                           .close = std::string(args[1])};
            auto escape = escapeNamed(args[2], form.escapeChar);
            if (!escape)
                return fail(escape.error().description);
            form.escape = *escape;
            current->forms.push_back(std::move(form));
            continue;
        }
        if (key == "char") {
            if (!needs(2))
                return fail("\"char\" needs an opener and an escape");
            Delimited form{.kind = DelimitedKind::Char, .open = std::string(args[0])};
            auto escape = escapeNamed(args[1], form.escapeChar);
            if (!escape)
                return fail(escape.error().description);
            form.escape = *escape;
            current->forms.push_back(std::move(form));
            continue;
        }
        if (key == "raw" || key == "raw-comment") {
            if (!needs(5))
                return fail("\"" + std::string(key) + "\" needs an opener, delimiter characters, a stop, a closer and an end");
            current->forms.push_back(Delimited{.kind = key == "raw" ? DelimitedKind::Raw : DelimitedKind::RawComment,
                                               .open = std::string(args[0]),
                                               .close = std::string(args[3]),
                                               .delimiterChars = args[1] == "any" ? std::string() : std::string(args[1]),
                                               .stop = std::string(args[2]),
                                               .end = args[4] == "-" ? std::string() : std::string(args[4])});
            continue;
        }
        return fail("unknown entry \"" + std::string(key) + "\"");
    }
    // The longest opener first, so that """ wins over " and --[[ over --.
    for (const auto& language : languages_)
        std::ranges::stable_sort(language->forms, [](const Delimited& a, const Delimited& b) { return a.open.size() > b.open.size(); });
    return {};
}

const CommentSyntax* SyntaxTable::named(std::string_view name) const
{
    for (const auto& language : languages_)
        if (lowered(language->name) == lowered(name))
            return language.get();
    return nullptr;
}

const CommentSyntax* SyntaxTable::byName(std::string_view fileName) const
{
    const std::string name = lowered(fileName);
    if (const auto found = names_.find(name); found != names_.end())
        return found->second;
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size())
        return nullptr;
    const auto found = extensions_.find(std::string_view(name).substr(dot + 1));
    return found == extensions_.end() ? nullptr : found->second;
}

const CommentSyntax* SyntaxTable::byFirstLine(std::string_view firstLine) const
{
    if (!firstLine.starts_with("#!"))
        return nullptr;
    std::vector<std::string_view> w = words(trimmed(firstLine.substr(2)));
    std::size_t at = 0;
    const auto base = [](std::string_view program) {
        const std::size_t slash = program.rfind('/');
        return slash == std::string_view::npos ? program : program.substr(slash + 1);
    };
    if (at < w.size() && base(w[at]) == "env") {
        ++at;
        while (at < w.size() && (w[at].starts_with('-') || w[at].find('=') != std::string_view::npos))
            ++at;  // env's options (-S) and variable settings
    }
    if (at >= w.size())
        return nullptr;
    std::string program = lowered(base(w[at]));
    while (!program.empty()) {
        if (const auto found = interpreters_.find(program); found != interpreters_.end())
            return found->second;
        // python3.11 is python3, then python
        const char last = program.back();
        if (!(last == '.' || (last >= '0' && last <= '9')))
            break;
        program.pop_back();
    }
    return nullptr;
}

const CommentSyntax* SyntaxTable::find(std::string_view fileName, std::string_view firstLine) const
{
    if (const CommentSyntax* found = byName(fileName))
        return found;
    return byFirstLine(firstLine);
}

}  // namespace qb
