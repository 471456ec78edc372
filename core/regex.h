// One compiled regular expression (PCRE2, 8-bit, no UTF: bytes in, bytes out). The pattern is
// compiled once when the object is made; every match reuses its match data, so matching
// allocates nothing. Move-only; the compiled code and match data are freed with the object.
#pragma once

#include "core/error.h"

#include <string_view>

struct pcre2_real_code_8;
struct pcre2_real_match_data_8;

namespace qb {

class Regex {
public:
    struct Options {
        bool ignoreCase = false;
        // Compile to machine code as well: worth it for a pattern that is matched many times.
        bool jit = false;
    };

    // Error 5 (invalid procedure call) names the pattern, the offset and PCRE2's reason when the
    // pattern does not compile.
    static Result<Regex> compile(std::string_view pattern, Options options);
    static Result<Regex> compile(std::string_view pattern) { return compile(pattern, Options{}); }

    Regex(Regex&& other) noexcept;
    Regex& operator=(Regex&& other) noexcept;
    Regex(const Regex&) = delete;
    Regex& operator=(const Regex&) = delete;
    ~Regex();

    // True when the pattern matches somewhere in `subject`; an error when matching failed (a
    // resource limit, say), which is never reported as "no match".
    Result<bool> matches(std::string_view subject);

private:
    Regex(pcre2_real_code_8* code, pcre2_real_match_data_8* data) : code_(code), data_(data) {}
    void release() noexcept;

    pcre2_real_code_8* code_ = nullptr;
    pcre2_real_match_data_8* data_ = nullptr;
};

}  // namespace qb
