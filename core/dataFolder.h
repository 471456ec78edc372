// Where the program keeps its data files, and the time stamps that name backups. Both programs
// (the command line and the windows) decide it by one rule, without Qt.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>

namespace qb {

// The folder where the tools keep their files (replaceLines.txt, debug.out, in.txt, out.txt,
// last.txt, languages.txt, applies) and where printouts go when there is no printer. Every caller
// goes through it.
// - QUILLBOX_DATA_DIR, when set, names it (tests and users who want their files elsewhere);
// - otherwise the folder of the `quillbox` the user started, when the user may write there (a
//   build, a portable copy);
// - otherwise the per-user data folder (e.g. ~/.local/share/Quillbox), made on first use.
std::filesystem::path programFolder();
// The same rule for an executable in `executableFolder`.
std::filesystem::path programFolderFor(const std::filesystem::path& executableFolder);
inline constexpr const char* dataFolderVariable = "QUILLBOX_DATA_DIR";

// The folder of the `quillbox` the user started. The command line hands it to the window program
// in this variable, which the window program reads once and removes from its environment, so the
// rule above names the same folder for both programs.
std::filesystem::path startedProgramFolder();
inline constexpr const char* startedFolderVariable = "QUILLBOX_STARTED_FROM";
// Takes the variable above into this process (the window program calls it first thing); without
// it, the folder is this program's own.
void adoptStartedProgramFolder();

// A time stamp that a file name can hold: the system locale's date and time (its short date, a
// space and its time with seconds, as LC_TIME gives them), every '/' and ':' replaced by '_', and
// any other character a file name cannot hold dropped.
std::string fileNameTimeStamp(std::time_t when);
// The time stamp of this moment (backups of updated files, printouts); any thread may ask.
std::string fileNameTimeStampNow();

}  // namespace qb
