#include "core/regex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <string>
#include <utility>

namespace qb {

namespace {

std::string pcre2Message(int code)
{
    PCRE2_UCHAR buffer[256];
    const int length = pcre2_get_error_message(code, buffer, sizeof buffer);
    if (length < 0)
        return "regular expression error " + std::to_string(code);
    return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
}

}  // namespace

Result<Regex> Regex::compile(std::string_view pattern, Options options)
{
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    const uint32_t flags = options.ignoreCase ? PCRE2_CASELESS : 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), flags,
                                     &errorCode, &errorOffset, nullptr);
    if (!code)
        return fail(err::InvalidProcedureCall, "pattern \"" + std::string(pattern) + "\" at offset " +
                                                   std::to_string(errorOffset) + ": " + pcre2Message(errorCode));
    if (options.jit)
        pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);  // without JIT support the interpreter runs it
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    if (!data) {
        pcre2_code_free(code);
        return fail(err::InvalidProcedureCall, "pattern \"" + std::string(pattern) + "\": out of memory");
    }
    return Regex(code, data);
}

Regex::Regex(Regex&& other) noexcept
    : code_(std::exchange(other.code_, nullptr)), data_(std::exchange(other.data_, nullptr))
{
}

Regex& Regex::operator=(Regex&& other) noexcept
{
    if (this != &other) {
        release();
        code_ = std::exchange(other.code_, nullptr);
        data_ = std::exchange(other.data_, nullptr);
    }
    return *this;
}

Regex::~Regex()
{
    release();
}

void Regex::release() noexcept
{
    pcre2_match_data_free(data_);  // both accept null
    pcre2_code_free(code_);
    data_ = nullptr;
    code_ = nullptr;
}

Result<bool> Regex::matches(std::string_view subject)
{
    if (!code_)
        return fail(err::InvalidProcedureCall, "regular expression used after it was moved from");
    // An empty view may carry a null pointer, which PCRE2 accepts only with a zero length.
    static constexpr char empty = '\0';
    const char* start = subject.empty() ? &empty : subject.data();
    const int rc = pcre2_match(code_, reinterpret_cast<PCRE2_SPTR>(start), subject.size(), 0, 0, data_, nullptr);
    if (rc >= 0)
        return true;
    if (rc == PCRE2_ERROR_NOMATCH)
        return false;
    return fail(err::InvalidProcedureCall, "regular expression match failed: " + pcre2Message(rc));
}

}  // namespace qb
