// A tree with every kind of line end, and what erase (chunk "foo", spew "SPEWED" and CR LF,
// recursive) and replace (the pair foo -> bar) make of it when each line keeps its end: in place
// (--diff, --apply) and in copies with "Keep line ends", window and command alike.
#pragma once

#include "files/tree.h"

namespace qb::test {

inline const Tree lineEndTree = {
    {"lf.txt", "keep\nfoo one\nkeep\n"},
    {"crlf.txt", "keep\r\nfoo two\r\nkeep\r\n"},
    {"mixed.txt", "a\r\nfoo\nb\rfoo c\r\nd\n"},
    {"no end.txt", "first\nlast foo"},
    {"untouched.txt", "nothing\r\nhere\n"},
    {"binary.dat", std::string("foo\0foo\n", 8)},  // copied as it is by the tools: never edited
    {"sub", "/"},
    {"sub/deep.txt", "x\nfoo\ny\nfoo\n"},
};

// lineEndTree with the files `edits` gives their new bytes.
inline Tree lineEndTreeWith(Tree edits)
{
    edits.insert(lineEndTree.begin(), lineEndTree.end());
    return edits;
}

inline const Tree replacedKeepingEnds =
    lineEndTreeWith({{"lf.txt", "keep\nbar one\nkeep\n"}, {"crlf.txt", "keep\r\nbar two\r\nkeep\r\n"},
                     {"mixed.txt", "a\r\nbar\nb\rbar c\r\nd\n"}, {"no end.txt", "first\nlast bar"}});

// Every line that holds the chunk's one line is a chunk: the spew goes in as it is (CR LF), and
// every other line keeps its end.
inline const Tree erasedKeepingEnds =
    lineEndTreeWith({{"lf.txt", "keep\nSPEWED\r\nkeep\n"}, {"crlf.txt", "keep\r\nSPEWED\r\nkeep\r\n"},
                     {"mixed.txt", "a\r\nSPEWED\r\nb\rSPEWED\r\nd\n"}, {"no end.txt", "first\nSPEWED\r\n"},
                     {"sub/deep.txt", "x\nSPEWED\r\ny\nSPEWED\r\n"}});

// What a copies run over the tree writes below "copies": the files it walks (replace: the
// folder's own), as `edited` has them.
inline Tree copiesOf(const Tree& edited, bool recursive)
{
    Tree copies = edited;
    if (!recursive)
        std::erase_if(copies, [](const auto& entry) { return entry.first.starts_with("sub"); });
    return copies;
}

}  // namespace qb::test
