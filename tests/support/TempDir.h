#pragma once
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace zelvo::testing {

// A new folder that only the user may enter.
inline std::string MakeFolder() {
#ifdef _WIN32
    // No mkdtemp: names drawn until one is new; the user's temporary folder
    // is the user's alone already.
    std::random_device random;
    const auto temp = std::filesystem::temp_directory_path();
    for (;;) {
        const auto path = temp / ("zelvo-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path))
            return path.string();
    }
#else
    std::string tmpl = (std::filesystem::temp_directory_path() / "zelvo-test-XXXXXX").string();
    return ::mkdtemp(tmpl.data());
#endif
}

// A private folder removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir() : path_(MakeFolder()) {}
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace zelvo::testing
