#include "core/error.h"

#include <cerrno>
#include <climits>
#include <cstring>

namespace qb {

namespace {

// Which name of `path` is too long, or whether the whole path is, with the sizes.
std::string tooLongReason(const std::filesystem::path& path)
{
    for (const auto& part : path)
        if (part.native().size() > NAME_MAX)
            return "a name in it is " + std::to_string(part.native().size()) + " bytes long, more than the "
                   + std::to_string(NAME_MAX) + " bytes a name may have";
    if (path.native().size() >= PATH_MAX)
        return "the path is " + std::to_string(path.native().size()) + " bytes long, more than the "
               + std::to_string(PATH_MAX - 1) + " bytes a path may have";
    return std::strerror(ENAMETOOLONG);
}

}  // namespace

Error systemError(int errnoValue, const std::filesystem::path& path, bool missingIsPath)
{
    int number = err::PathFileAccess;
    switch (errnoValue) {
    case ENOENT: number = missingIsPath ? err::PathNotFound : err::FileNotFound; break;
    case ENOTDIR: number = err::PathNotFound; break;
    case EACCES:
    case EPERM:
    case EROFS: number = err::PermissionDenied; break;
    case EEXIST: number = err::FileAlreadyExists; break;
    case ENOSPC:
    case EDQUOT: number = err::DiskFull; break;
    case EIO: number = err::DeviceIO; break;
    case ENAMETOOLONG:
    case EINVAL: number = err::BadFileName; break;
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM: number = err::DiskNotReady; break;
    default: break;
    }
    std::string description = path.string();
    description += ": ";
    if (errnoValue == ENAMETOOLONG)
        description += tooLongReason(path);
    else if (errnoValue == ELOOP)
        description += "too many levels of links";  // a loop of links, or a chain too long to follow
    else if (errnoValue == EISDIR)
        description += "is a folder, not a file";
    else
        description += std::strerror(errnoValue);
    return Error{number, std::move(description)};
}

Error systemError(const std::error_code& code, const std::filesystem::path& path, bool missingIsPath)
{
    if (code.category() == std::generic_category() || code.category() == std::system_category())
        return systemError(code.value(), path, missingIsPath);
    return Error{err::PathFileAccess, path.string() + ": " + code.message()};
}

std::string formatError(const Error& error)
{
    return std::to_string(error.number) + " :: " + error.description;
}

}  // namespace qb
