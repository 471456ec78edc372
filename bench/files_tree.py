#!/usr/bin/env python3
"""Writes a tree for the bulk file benchmarks: FILES text files of MEGABYTES in all, in eight
groups of five folders (or one flat folder with --flat), CR LF lines of words, and now and then
the chunk that erase_chunks.sh erases, indented as in real files. The same seed gives the same
tree. With --chunk it prints the chunk instead.
Usage: files_tree.py DIR FILES MEGABYTES [--flat] | files_tree.py --chunk"""

import os
import random
import sys

CHUNK = [
    "<SIMPLERENDERER>",
    '<SIMPLEPOLYGONSYMBOL boundarytransparency="1.0" filltransparency="0.0" boundarywidth="2" '
    'boundarycaptype="round" boundarycolor="151,71,73" />',
    "</SIMPLERENDERER>",
    "</LAYER>",
]
WORDS = ["alpha", "cat", "dog", "layer", "<FIELD>", 'value="12"', "renderer", "symbol",
         "the", "and", "</ITEM>", "width", "Colour", "x", "bird", "0.5"]


def main():
    if sys.argv[1:] == ["--chunk"]:
        sys.stdout.write("\r\n".join(CHUNK) + "\r\n")
        return
    root, files, megabytes = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    flat = "--flat" in sys.argv[4:]
    rng = random.Random(20240611)
    per_file = megabytes * 1024 * 1024 // files
    for i in range(files):
        folder = root if flat else os.path.join(root, f"Group{i % 8}", f"part{i % 5}")
        os.makedirs(folder, exist_ok=True)
        lines, size, n = [], 0, 0
        while size < per_file:
            n += 1
            if n % 400 == 0:
                chunk = ["    " + line for line in CHUNK]
            else:
                chunk = [" " * rng.randrange(8) + " ".join(rng.choice(WORDS) for _ in range(4 + rng.randrange(12))) + " "]
            lines += chunk
            size += sum(len(line) + 2 for line in chunk)
        with open(os.path.join(folder, f"file{i}.txt"), "wb") as out:
            out.write(("\r\n".join(lines) + "\r\n").encode("ascii"))


if __name__ == "__main__":
    main()
