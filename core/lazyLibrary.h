// A shared library opened on its first use. What only some runs need (content hashes for applying
// edits, git's ignore rules) is loaded then, so a command that does not need it starts without
// loading it: every library linked to the command line is loaded, and its symbols bound, before
// the first line of any command runs.
#pragma once

#include "core/error.h"

#include <string>

namespace qb {

class LazyLibrary {
public:
    // `soname` is the name the library is installed under ("libcrypto.so.3"); `package` the Debian
    // package that installs it, named when it cannot be loaded.
    LazyLibrary(std::string soname, std::string package);

    // The function called `name`, of type F (declared as decltype(&name) from the library's own
    // header), or an error naming the library and the package to install. Safe on any thread.
    template <class F>
    Result<F> function(const char* name) const
    {
        auto address = symbol(name);
        if (!address)
            return std::unexpected(address.error());
        return reinterpret_cast<F>(*address);
    }

private:
    Result<void*> symbol(const char* name) const;

    std::string soname_;
    std::string package_;
};

}  // namespace qb
