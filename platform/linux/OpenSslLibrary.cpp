#include "platform/linux/OpenSslLibrary.h"

#include <dlfcn.h>

#include <optional>

namespace zelvo::platform {
namespace {

#define ZELVO_STRINGIFY(x) #x
#define ZELVO_SONAME(major) "libssl.so." ZELVO_STRINGIFY(major)

// The library of the major version the program was built against: its
// calls and structures are the ones the headers describe.
constexpr const char* kLibrary = ZELVO_SONAME(OPENSSL_VERSION_MAJOR);

struct Loaded {
    std::optional<OpenSslLibrary> library;
    std::string why;
};

Loaded Load() {
    Loaded loaded;
    // Never closed: the library keeps state of its own until the process
    // ends, and its handlers run at exit.
    void* handle = ::dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* error = ::dlerror();
        loaded.why =
            std::string("cannot load ") + kLibrary + (error ? std::string(": ") + error : "");
        return loaded;
    }
    OpenSslLibrary library;
    // The crypto calls come from the library it depends on, found through
    // the same handle.
#define ZELVO_OPENSSL_RESOLVE(name)                                             \
    library.name = reinterpret_cast<decltype(&::name)>(::dlsym(handle, #name)); \
    if (library.name == nullptr) {                                              \
        loaded.why = std::string(kLibrary) + " lacks " #name;                   \
        return loaded;                                                          \
    }
    ZELVO_OPENSSL_CALLS(ZELVO_OPENSSL_RESOLVE)
#undef ZELVO_OPENSSL_RESOLVE
    loaded.library = library;
    return loaded;
}

}  // namespace

const OpenSslLibrary* LoadOpenSsl(std::string* why) {
    static const Loaded loaded = Load();
    if (!loaded.library && why != nullptr)
        *why = loaded.why;
    return loaded.library ? &*loaded.library : nullptr;
}

}  // namespace zelvo::platform
