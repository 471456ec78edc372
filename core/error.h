// Errors as values. Logic units report every failure as an Error carrying a number from the
// classic runtime catalogue and a description; windows turn it into one message.
#pragma once

#include <expected>
#include <filesystem>
#include <functional>
#include <string>
#include <type_traits>
#include <string_view>
#include <system_error>

namespace qb {

// The runtime catalogue of error numbers.
namespace err {
inline constexpr int InvalidProcedureCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int DeviceIO = 57;
inline constexpr int FileAlreadyExists = 58;
inline constexpr int DiskFull = 61;
inline constexpr int InputPastEnd = 62;
inline constexpr int PermissionDenied = 70;
inline constexpr int DiskNotReady = 71;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
}  // namespace err

struct Error {
    int number = 0;
    std::string description;

    friend bool operator==(const Error&, const Error&) = default;
};

template <class T = void>
using Result = std::expected<T, Error>;

inline std::unexpected<Error> fail(int number, std::string description)
{
    return std::unexpected(Error{number, std::move(description)});
}

// The monadic steps of std::expected, as free functions: this standard library does not have the
// members yet. andThen(r, f): f(value) (a Result) when r holds a value, else r's error.
// transformValue(r, f): f(value) wrapped in a Result when r holds a value, else r's error. For a
// Result<void>, f takes no argument.
template <class R, class F>
auto andThen(R&& result, F&& f)
{
    using T = typename std::remove_cvref_t<R>::value_type;
    if constexpr (std::is_void_v<T>) {
        using Out = std::remove_cvref_t<std::invoke_result_t<F>>;
        if (!result)
            return Out(std::unexpect, std::forward<R>(result).error());
        return std::invoke(std::forward<F>(f));
    } else {
        using Out = std::remove_cvref_t<std::invoke_result_t<F, decltype(*std::forward<R>(result))>>;
        if (!result)
            return Out(std::unexpect, std::forward<R>(result).error());
        return std::invoke(std::forward<F>(f), *std::forward<R>(result));
    }
}

template <class R, class F>
auto transformValue(R&& result, F&& f)
{
    using T = typename std::remove_cvref_t<R>::value_type;
    if constexpr (std::is_void_v<T>) {
        using U = std::remove_cvref_t<std::invoke_result_t<F>>;
        if (!result)
            return Result<U>(std::unexpect, std::forward<R>(result).error());
        if constexpr (std::is_void_v<U>) {
            std::invoke(std::forward<F>(f));
            return Result<U>();
        } else {
            return Result<U>(std::invoke(std::forward<F>(f)));
        }
    } else {
        using U = std::remove_cvref_t<std::invoke_result_t<F, decltype(*std::forward<R>(result))>>;
        if (!result)
            return Result<U>(std::unexpect, std::forward<R>(result).error());
        if constexpr (std::is_void_v<U>) {
            std::invoke(std::forward<F>(f), *std::forward<R>(result));
            return Result<U>();
        } else {
            return Result<U>(std::invoke(std::forward<F>(f), *std::forward<R>(result)));
        }
    }
}

// Maps an operating-system error on `path` to the catalogue: ENOENT is 53, or 76 when
// `missingIsPath` (the folder of the path is what is missing), EACCES/EPERM 70, EEXIST 58,
// ENOSPC 61, EIO 57, ENOTDIR 76, anything else 75. The description names the path and the
// system's reason, in this program's words for a link loop ("too many levels of links") and a
// folder where a file belongs ("is a folder, not a file").
Error systemError(int errnoValue, const std::filesystem::path& path, bool missingIsPath = false);
Error systemError(const std::error_code& code, const std::filesystem::path& path,
                  bool missingIsPath = false);

// "number :: description", the form every error message of the program takes.
std::string formatError(const Error& error);

}  // namespace qb
