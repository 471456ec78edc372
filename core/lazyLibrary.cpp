#include "core/lazyLibrary.h"

#include <mutex>

#include <dlfcn.h>

namespace qb {

LazyLibrary::LazyLibrary(std::string soname, std::string package) : soname_(std::move(soname)), package_(std::move(package))
{
}

Result<void*> LazyLibrary::symbol(const char* name) const
{
    // dlopen counts its references, so the handle is opened once and kept for the process.
    static std::mutex opening;
    const std::lock_guard lock(opening);
    void* handle = ::dlopen(soname_.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
    if (!handle)
        handle = ::dlopen(soname_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        return fail(err::FileNotFound, soname_ + " could not be loaded (" + (why ? why : "not found") +
                                           "); install the package " + package_);
    }
    void* address = ::dlsym(handle, name);
    if (!address)
        return fail(err::FileNotFound, soname_ + " has no " + name + "; install the package " + package_);
    return address;
}

}  // namespace qb
