#!/usr/bin/env python3
"""Writes a multi-language git repository for the scanner benchmarks: 20,000 source files in nested
folders (C, C++, Python, TypeScript, Go, Rust, Java, shell, Ruby, SQL, YAML and Makefiles) with
comments in each language's styles, TODO/FIXME/HACK/XXX/BUG blocks, strings that hold "TODO:"
(which only a reader of comments passes over), a .gitignore at the top and in some folders, and
build folders that it ignores (build/, node_modules/, dist/, generated/ and *.o files; 4,000 more
files). The folder becomes a git repository with every file it does not ignore committed, as a
checked-out project is, so git-aware walks apply its rules. The same seed gives the same tree.
Usage: repo_tree.py FOLDER [--files N]"""

import os
import random
import subprocess
import sys

FILES = 20_000
IGNORED = 4_000
SEED = 24
AVERAGE_BYTES = 5_000

# Per language: extension, line comment, block comment (or None), code lines, a string holding a marker.
LANGUAGES = {
    "c": (".c", "//", ("/*", "*/"), ["int total = 0;", "for (int i = 0; i < n; ++i) {", "    total += values[i];", "}",
                                      "static int helper(const char *text)", "{", "    return strlen(text);", "}",
                                      "#include <stdio.h>", "    if (!file) return -1;"],
          'printf("TODO: not a comment\\n");'),
    "cpp": (".cpp", "//", ("/*", "*/"), ["namespace app {", "class Widget {", "public:", "    void draw() const;", "};",
                                          "}  // namespace app", "std::vector<int> items;", "auto it = items.begin();",
                                          "template <typename T> T twice(T x) { return x * 2; }", "#include <vector>"],
            'const char* text = "TODO: inside a string";'),
    "py": (".py", "#", None, ["import os", "def handle(path):", "    return os.path.basename(path)", "class Reader:",
                              "    def __init__(self):", "        self.items = []", "if __name__ == '__main__':",
                              "    main()", "    for item in items:", "        total += item"],
           'message = "TODO: a string, not a comment"'),
    "ts": (".ts", "//", ("/*", "*/"), ["export function load(url: string): Promise<Response> {", "    return fetch(url);",
                                        "}", "interface Item { id: number; name: string }", "const items: Item[] = [];",
                                        "export class Store {", "    private count = 0;", "}", "import { x } from './x';",
                                        "let total = items.length;"],
           "const label = 'TODO: shown to the user';"),
    "go": (".go", "//", ("/*", "*/"), ["package main", "import \"fmt\"", "func handle(w io.Writer) error {",
                                        "    return nil", "}", "type Server struct {", "    addr string", "}",
                                        "    fmt.Println(total)", "    if err != nil {"],
           "msg := \"TODO: in a Go string\""),
    "rs": (".rs", "//", ("/*", "*/"), ["fn main() {", "    let total = items.iter().sum::<i32>();", "}",
                                        "pub struct Config {", "    name: String,", "}", "impl Config {",
                                        "    pub fn new() -> Self { todo!() }", "use std::io;", "mod parser;"],
           'let s = "TODO: a Rust string";'),
    "java": (".java", "//", ("/*", "*/"), ["public class Service {", "    private final int count;",
                                            "    public int total() {", "        return count;", "    }", "}",
                                            "import java.util.List;", "        for (var item : items) {",
                                            "            sum += item;", "        }"],
             'String s = "TODO: a Java string";'),
    "sh": (".sh", "#", None, ["#!/bin/sh", "set -eu", "for f in \"$@\"; do", "    echo \"$f\"", "done",
                              "if [ -n \"$1\" ]; then", "fi", "run() {", "    \"$@\"", "}"],
           'echo "TODO: printed, not a comment"'),
    "rb": (".rb", "#", None, ["class Parser", "  def initialize(text)", "    @text = text", "  end", "end",
                              "require 'json'", "items.each do |item|", "  puts item", "end", "module Tools"],
           'puts "TODO: a Ruby string"'),
    "sql": (".sql", "--", ("/*", "*/"), ["CREATE TABLE orders (", "    id INTEGER PRIMARY KEY,", "    total NUMERIC", ");",
                                          "SELECT id, total FROM orders", "WHERE total > 10;", "INSERT INTO orders VALUES (1, 2);",
                                          "UPDATE orders SET total = 0;", "DELETE FROM orders;", "COMMIT;"],
            "SELECT 'TODO: a SQL string';"),
    "yaml": (".yaml", "#", None, ["name: build", "on: [push]", "jobs:", "  test:", "    runs-on: debian", "    steps:",
                                  "      - run: make", "      - run: make test", "env:", "  LEVEL: 2"],
             "title: 'TODO: a YAML string'"),
}
WEIGHTS = {"c": 10, "cpp": 14, "py": 16, "ts": 16, "go": 10, "rs": 8, "java": 10, "sh": 6, "rb": 4, "sql": 3, "yaml": 3}
MARKERS = ["TODO", "FIXME", "HACK", "XXX", "BUG"]
TOP_FOLDERS = ["src", "lib", "services", "web", "tools", "tests", "pkg", "internal"]


def todo_block(rng, lang):
    _, line, block, _, _ = LANGUAGES[lang]
    marker = rng.choice(MARKERS)
    owner = "(ann)" if rng.random() < 0.2 else ""
    first = f"{marker}{owner}: handle the case of item {rng.randrange(1000)}"
    more = ["the caller passes an empty list here", "when the cache is cold"][: rng.randrange(3)]
    if block and rng.random() < 0.3:
        return [f"{block[0]} {first}"] + [f" * {text}" for text in more] + [f" {block[1]}"]
    return [f"    {line} {first}"] + [f"    {line} {text}" for text in more]


def body(rng, lang, size):
    _, line, block, code, marked_string = LANGUAGES[lang]
    lines = []
    total = 0
    while total < size:
        r = rng.random()
        if r < 0.03:
            chunk = todo_block(rng, lang)
        elif r < 0.04:
            chunk = [marked_string]
        elif r < 0.10:
            chunk = [f"    {line} a comment about the code below"]
        elif r < 0.12 and block:
            chunk = [block[0], " * a longer note on the design", f" {block[1]}"]
        else:
            chunk = rng.choices(code, k=8)
        lines += chunk
        total += sum(len(text) + 1 for text in chunk)
    return "\n".join(lines) + "\n"


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as out:
        out.write(text)


def main():
    args = sys.argv[1:]
    if not args or args[0].startswith("-"):
        sys.exit(__doc__)
    root = args[0]
    files = int(args[args.index("--files") + 1]) if "--files" in args else FILES
    rng = random.Random(SEED)
    langs = list(WEIGHTS)
    weights = [WEIGHTS[lang] for lang in langs]
    write(os.path.join(root, ".gitignore"),
          "# build output\nbuild/\n/dist/\nnode_modules/\n*.o\n*.log\n!keep.log\n")
    for n in range(files):
        lang = rng.choices(langs, weights)[0]
        top = TOP_FOLDERS[n % len(TOP_FOLDERS)]
        folder = os.path.join(root, top, f"area{(n // 8) % 25:02d}", f"unit{(n // 200) % 10}")
        if n % 7 == 0:
            folder = os.path.join(folder, "detail")
        ext = LANGUAGES[lang][0]
        size = int(AVERAGE_BYTES * rng.uniform(0.2, 1.8))
        write(os.path.join(folder, f"{lang}{n:05d}{ext}"), body(rng, lang, size))
        if n % 500 == 0:  # a folder's own rules: its generated files and logs are ignored
            write(os.path.join(folder, ".gitignore"), "generated/\n*.gen.ts\n")
    # What the rules ignore: the walk with --gitignore never enters these folders.
    ignored_folders = ["build", "dist", "node_modules/left-pad", "node_modules/@scope/pkg", "web/build",
                       "services/target/build", "src/area00/unit0/generated"]
    for n in range(files * IGNORED // FILES):
        lang = rng.choices(langs, weights)[0]
        folder = os.path.join(root, ignored_folders[n % len(ignored_folders)], f"out{(n // 50) % 20}")
        write(os.path.join(folder, f"{lang}{n:05d}{LANGUAGES[lang][0]}"), body(rng, lang, AVERAGE_BYTES // 2))
        if n % 100 == 0:
            write(os.path.join(root, "src", f"area{n % 25:02d}", f"obj{n:05d}.o"), "TODO: an object file\n")
    # Packed here and now: git's own packing in the background would change .git under a benchmark.
    git = ["git", "-C", root, "-c", "user.name=bench", "-c", "user.email=bench@example.invalid", "-c", "gc.auto=0"]
    subprocess.run(git + ["init", "-q"], check=True)
    subprocess.run(git + ["add", "-A"], check=True)
    subprocess.run(git + ["commit", "-qm", "generated"], check=True)
    subprocess.run(git + ["gc", "-q"], check=True)
    print(f"{files} files and {files * IGNORED // FILES} ignored ones in {root}")


if __name__ == "__main__":
    main()
