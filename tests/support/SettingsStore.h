#pragma once
// A settings store of the test's own, gone at its end: a file in a private
// folder on Linux, a key of its own beneath HKEY_CURRENT_USER\Software on
// Windows (the store there is the registry, and its "path" a key path).
#include <cstdint>
#include <string>
#include <string_view>

#ifndef _WIN32
#include "support/TempDir.h"
#endif

namespace zelvo::testing {

#ifdef _WIN32
// Software\ZelvoTest-<pid>-<n>, new for every call in the process.
std::string NewSettingsKey();
// Removes the key with everything beneath it.
void DeleteSettingsKey(const std::string& key);
// Values as another program may leave them: a number, and a text that holds
// NULs (both stored with their section made when missing).
void StoreRegistryNumber(const std::string& key, const std::string& section,
                         const std::string& name, std::uint32_t number);
void StoreRegistryText(const std::string& key, const std::string& section, const std::string& name,
                       std::u16string_view text);
// A key that lasts only until the user logs off: no lasting key may be made
// beneath it, so a store under it can be neither created nor written.
void MakeVolatileKey(const std::string& key);
#endif

class TempStore {
public:
    TempStore();
    ~TempStore();
    TempStore(const TempStore&) = delete;
    TempStore& operator=(const TempStore&) = delete;

    // What the store is opened with.
    const std::string& Path() const { return path_; }
    operator const std::string&() const { return path_; }

private:
#ifndef _WIN32
    TempDir dir_;
#endif
    std::string path_;
};

#ifdef _WIN32
inline TempStore::TempStore() : path_(NewSettingsKey()) {}
inline TempStore::~TempStore() {
    DeleteSettingsKey(path_);
}
#else
inline TempStore::TempStore() : path_(dir_ / "Zelvo.conf") {}
inline TempStore::~TempStore() = default;
#endif

}  // namespace zelvo::testing
