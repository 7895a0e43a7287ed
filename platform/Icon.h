#pragma once
// Icons as the program passes them around: an immutable picture behind a
// shared handle, so copying an icon is copying the handle.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace zelvo::platform {

class IconData;  // the picture itself; only the platform layer looks inside
using HICON = std::shared_ptr<const IconData>;

// A file that cannot be opened or read.
class FileOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that opens but holds no picture the platform can decode.
class InvalidGraphicError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws FileOpenError or InvalidGraphicError.
HICON LoadIconFromFile(const std::string& path);

// The icon compiled into the executable under that exact name; nullptr when
// there is none. The program's own icon is "MAINICON".
HICON LoadIconResource(const std::string& name);

// Where the icon came from: the file path or the resource name.
std::string IconSource(const HICON& icon);

// The picture as 32-bit ARGB pixels, row by row (empty for nullptr).
struct IconPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};
IconPixels IconPixelsOf(const HICON& icon);

}  // namespace zelvo::platform
