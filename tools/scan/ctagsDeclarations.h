// Declarations by file type: the declaration scanner's "By file type" mode. universal-ctags (Debian
// universal-ctags) finds the declarations: it runs as a process (never through a shell) over
// batches of the walked files, several batches at once, and its JSON lines give each tag's line,
// kind and scope. The report keeps the Classic shape: a listed file's path, then a tab and the
// declaration's line as the file holds it, for each tag in line order. Each record's kind is the
// tag's kind and its scope the tag's scope.
//
// Kept: functions, methods, classes, structs, interfaces, enums, type definitions and modules or
// namespaces, as ctags names them (see isDeclarationKind); variables, fields, macros, includes,
// enumerators and local entries are left out.
#pragma once

#include "core/error.h"
#include "tools/scan/scanRun.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

struct CtagsTag {
    std::string path;
    std::uint64_t line = 0;
    std::string kind;
    std::string scope;

    friend bool operator==(const CtagsTag&, const CtagsTag&) = default;
};

// The program run: $QUILLBOX_CTAGS when set, else ctags-universal, else ctags, on the PATH; it must
// say it is Universal Ctags.
inline constexpr const char* ctagsVariable = "QUILLBOX_CTAGS";
// The description of the error (53) when no ctags can be started.
inline constexpr std::string_view ctagsMissing =
    "universal-ctags is not installed; install the Debian package universal-ctags to find declarations by file type";

// The ctags to run: the first that starts and says it is Universal Ctags; the error (53,
// ctagsMissing) when there is none.
Result<std::string> findCtags();

// True for the kinds kept (`language` as ctags names it: Python's "member" is a method).
bool isDeclarationKind(std::string_view language, std::string_view kind);
// The kept tags of ctags' JSON lines, in their order; lines that are not tags are passed over.
std::vector<CtagsTag> parseCtagsJson(std::string_view output);
// One ctags process over `files`: its kept tags.
Result<std::vector<CtagsTag>> runCtags(const std::vector<std::string>& files);

// The report for each path in order (a folder walked as findSubsIn walks it, a file by itself),
// by file type. Fails as a whole when ctags cannot be run.
Result<ScanReport> findDeclarationsByType(const std::vector<std::filesystem::path>& paths, ProgressCallback progress = {},
                                          ScanOutput output = {}, std::stop_token stop = {});

}  // namespace qb
