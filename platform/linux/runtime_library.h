// Libraries that most runs of a program never need (sound, the X keyboard,
// dconf) are opened when first needed instead of being linked: every library
// linked is mapped and relocated at each start, a cold request's included.
#pragma once

#include <dlfcn.h>

namespace quillet::platform {

// The library by its versioned name ("libxcb.so.1"), kept for the process's
// life; null when it is missing.
inline void* openRuntimeLibrary(const char* soname) {
    return ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
}

// Points `function` at the library's symbol; false when the library or the
// symbol is missing. The declaration the pointer's type comes from is the
// library's own header, so that calls stay checked.
template <typename Function>
bool bindFunction(void* library, const char* name, Function*& function) {
    function = library != nullptr ? reinterpret_cast<Function*>(::dlsym(library, name)) : nullptr;
    return function != nullptr;
}

} // namespace quillet::platform
