#include "core/dataFolder.h"

#include <array>
#include <cstdlib>
#include <locale.h>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

namespace qb {

namespace {

// Whether this user may make files in `folder`, checked as a write there would be (with the
// effective user, so read-only mounts and permissions count).
bool userMayWriteIn(const std::filesystem::path& folder)
{
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::filesystem::path ownExecutableFolder()
{
    std::error_code ec;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : executable.parent_path();
}

std::optional<std::filesystem::path>& adoptedFolder()
{
    static std::optional<std::filesystem::path> folder;
    return folder;
}

// The per-user data folder as the desktop names it: $XDG_DATA_HOME (when absolute) or
// ~/.local/share, then the program's name.
std::filesystem::path userDataFolder()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/')
        return std::filesystem::path(dataHome) / "Quillbox";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && home[0] ? home : "/") / ".local/share/Quillbox";
}

std::string nonEmpty(const char* value)
{
    return value ? value : "";
}

}  // namespace

void adoptStartedProgramFolder()
{
    const std::string folder = nonEmpty(std::getenv(startedFolderVariable));
    adoptedFolder() = folder.empty() ? std::nullopt : std::optional<std::filesystem::path>(folder);
    ::unsetenv(startedFolderVariable);
}

std::filesystem::path startedProgramFolder()
{
    return adoptedFolder() ? *adoptedFolder() : ownExecutableFolder();
}

std::filesystem::path programFolder()
{
    return programFolderFor(startedProgramFolder());
}

std::filesystem::path programFolderFor(const std::filesystem::path& executableFolder)
{
    if (const std::string chosen = nonEmpty(std::getenv(dataFolderVariable)); !chosen.empty())
        return std::filesystem::absolute(chosen);
    if (!executableFolder.empty() && userMayWriteIn(executableFolder))
        return executableFolder;
    const std::filesystem::path data = userDataFolder();
    // A folder that cannot be made shows as a clear error when a file is written there.
    std::error_code ec;
    std::filesystem::create_directories(data, ec);
    return data;
}

std::string fileNameTimeStamp(std::time_t when)
{
    // The system's time conventions, whatever the process's own C locale is.
    static const locale_t timeLocale = [] {
        locale_t chosen = ::newlocale(LC_TIME_MASK, "", locale_t(0));
        return chosen ? chosen : ::newlocale(LC_TIME_MASK, "C", locale_t(0));
    }();
    std::tm local{};
    ::localtime_r(&when, &local);
    std::array<char, 256> text{};
    const std::size_t length = ::strftime_l(text.data(), text.size(), "%x %X", &local, timeLocale);
    std::string stamp;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = text[i];
        if (c == '/' || c == ':')
            stamp.push_back('_');
        else if (static_cast<unsigned char>(c) >= 0x20 && std::string_view("\\*?\"<>|").find(c) == std::string_view::npos)
            stamp.push_back(c);
    }
    const auto first = stamp.find_first_not_of(' ');
    const auto last = stamp.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : stamp.substr(first, last - first + 1);
}

std::string fileNameTimeStampNow()
{
    return fileNameTimeStamp(std::time(nullptr));
}

}  // namespace qb
