#!/usr/bin/env python3
"""Writes a source tree for the scanner benchmark: about 20,000 files and 200 MB of Basic, VB.NET
and C++ sources with declarations and TODO blocks, plus some image and archive names (text inside,
so grep reads them while the scanners pass them over). The same seed gives the same tree."""

import os
import random
import sys

FILES = 20_000
TARGET_BYTES = 200 * 1024 * 1024
SEED = 7

BASIC_LINES = [
    "Option Explicit", "Dim i As Long", "Dim strName As String", "    i = i + 1", "    strName = Trim$(strName)",
    "    If i > 10 Then", "    End If", "    Set rs = Nothing", "    Select Case intMode", "    End Select",
    "    For i = 0 To UBound(arrItems)", "    Next i", "    Call DoSomething(i, strName)", "End Sub", "End Function",
    "    ' a comment about the code below", "    Exit Sub", "    MsgBox \"Done.\"", "Private mintCount As Integer",
    "Public Const MAX_ITEMS = 100", "    Private Declare Function GetTickCount Lib \"kernel32\" () As Long",
    "    Debug.Print strName", "", "    With txtInput", "    End With", "    Print #1, strLine",
    "    On Error GoTo ErrHandler", "ErrHandler:", "    Resume Next", "    lngTotal = lngTotal * 2 + intStep",
]
BASIC_DECLARATIONS = [
    "Private Sub cmdGo_Click()", "Public Sub Main()", "Public Function Total(ByVal a As Long) As Long",
    "Private Function isValid(strIn As String) As Boolean", "Public Property Get Name() As String",
    "  Public ReadOnly Property Count() As Integer", "private sub Form_Load()", "Public Subtotal As Currency",
    "Friend Function Hidden() As Long", "Sub NotListed()", "Private Property Let Value(v As Variant)",
]
VBNET_DECLARATIONS = ["Imports System.IO", "Imports System.Text", "    Public Shared Sub Run()",
                      "    Shared Sub New()", "    Public Sub Dispose()", "  Imports Indented.NotListed"]
CPP_LINES = [
    "#include <vector>", "int main(int argc, char** argv)", "{", "}", "    for (int i = 0; i < n; ++i) {",
    "        total += values[i];", "    }", "    return 0;", "    std::string name = argv[1];",
    "    // a comment about the code below", "static void helper(const char* text)", "    if (!file) return;",
    "    printf(\"%d\\n\", count);", "", "class Widget {", "public:", "private:", "};",
    "    Public Sub NotBasic(); // a line grep's patterns count too",
]
TODO_BLOCKS_BASIC = [
    ["    ' TODO: handle the empty list", "    ' the caller passes Nothing here", "    ' when the form is unloaded"],
    ["    x = x + 1 ' TODO: overflow check"],
    ["' TODO: remove after the release", "' TODO: and this one too"],
    ["    ' todo: lower case is not a marker", "    ' TODO fix without colon"],
]
TODO_BLOCKS_CPP = [
    ["    // TODO: handle errors"], ["// TODO: first", "// TODO: second in a row"],
    ["    x++; // TODO: overflow", "    // 'quoted' continuation"],
]
KINDS = [(".bas", "basic"), (".cls", "basic"), (".frm", "basic"), (".vb", "vbnet"), (".cpp", "cpp")]
BINARY_NAMES = [".gif", ".zip", ".GIF", ".bmp.txt"]


def body(rng, kind, size):
    lines = []
    total = 0
    if kind == "vbnet":
        lines += rng.sample(VBNET_DECLARATIONS[:2], 2)
    while total < size:
        r = rng.random()
        if kind == "cpp":
            if r < 0.02:
                chunk = rng.choice(TODO_BLOCKS_CPP)
            else:
                chunk = rng.choices(CPP_LINES, k=8)
        else:
            if r < 0.02:
                chunk = rng.choice(TODO_BLOCKS_BASIC)
            elif r < 0.12:
                chunk = [rng.choice(BASIC_DECLARATIONS if kind == "basic" else VBNET_DECLARATIONS + BASIC_DECLARATIONS)]
            else:
                chunk = rng.choices(BASIC_LINES, k=8)
        lines += chunk
        total += sum(len(line) + 2 for line in chunk)
    return lines


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "/tmp/quillbox-scan-bench"
    rng = random.Random(SEED)
    average = TARGET_BYTES // FILES
    written = 0
    for n in range(FILES):
        folder = os.path.join(root, f"project{n % 20:02d}", f"module{(n // 20) % 10}", f"part{(n // 200) % 5}")
        os.makedirs(folder, exist_ok=True)
        if n % 100 == 99:
            ext, kind = rng.choice(BINARY_NAMES), "basic"
        else:
            ext, kind = rng.choice(KINDS)
        lines = body(rng, kind, int(average * rng.uniform(0.2, 1.8)))
        end = "\n" if n % 10 == 0 else "\r\n"   # most files CR LF, some LF only
        text = end.join(lines)
        if n % 3:
            text += end                          # a third end without a line break
        data = text.encode("cp1252")
        with open(os.path.join(folder, f"file{n:05d}{ext}"), "wb") as out:
            out.write(data)
        written += len(data)
    print(f"{FILES} files, {written / 1024 / 1024:.0f} MB in {root}")


if __name__ == "__main__":
    main()
