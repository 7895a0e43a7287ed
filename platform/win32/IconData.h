#pragma once
// Inside of the icon handle on Windows: the system's icon, loaded again at
// the size a place asks for (the tray's small icon, a form's large one)
// from where it came, so no place shows a blown-up small picture.
#include <map>
#include <string>

#include "platform/Icon.h"
#include "platform/win32/Win32.h"

namespace zelvo::platform {

class IconData {
public:
    // Owns icon. fromFile: source is a path, otherwise a resource name.
    IconData(::HICON icon, std::string source, bool fromFile)
        : icon_(icon), source_(std::move(source)), fromFile_(fromFile) {}
    ~IconData();
    IconData(const IconData&) = delete;
    IconData& operator=(const IconData&) = delete;

    // The icon at the system's default size.
    ::HICON Handle() const { return icon_; }
    const std::string& Source() const { return source_; }
    // The icon drawn for side x side pixels (the default one when the
    // source has no other); it lives as long as this object.
    ::HICON Sized(int side) const;

private:
    ::HICON icon_;
    std::string source_;
    bool fromFile_;
    mutable std::map<int, ::HICON> sized_;
};

// The system's icon for a platform icon; nullptr for none.
::HICON NativeIcon(const HICON& icon, int side);

}  // namespace zelvo::platform
