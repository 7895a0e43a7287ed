#pragma once
#include <fstream>
#include <sstream>
#include <string>

namespace zelvo::testing {

// The whole of a file's bytes (empty when it cannot be read).
inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Replaces the file's bytes with text.
inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

}  // namespace zelvo::testing
