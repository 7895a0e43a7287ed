#include "platform/Icon.h"

#include <vector>

#include "platform/Cp1252.h"
#include "platform/win32/IconData.h"
#include "platform/win32/WideText.h"

namespace zelvo::platform {
namespace {

using win32::Wide;

::HICON LoadSized(const std::string& source, bool fromFile, int side) {
    if (fromFile)
        return static_cast<::HICON>(
            ::LoadImageW(nullptr, Wide(source).c_str(), IMAGE_ICON, side, side, LR_LOADFROMFILE));
    return static_cast<::HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), Wide(source).c_str(), IMAGE_ICON, side, side, 0));
}

std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text != nullptr ? text : L"", n);
    if (text != nullptr)
        ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r'))
        message.pop_back();
    return Utf8ToCp1252(win32::Utf8(message));
}

// Rows of 32-bit pixels, top row first, from a bitmap of the icon.
std::vector<std::uint32_t> Rows(HDC dc, HBITMAP bitmap, int width, int height) {
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    if (::GetDIBits(dc, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) == 0)
        pixels.clear();
    return pixels;
}

}  // namespace

IconData::~IconData() {
    for (auto& [side, icon] : sized_) {
        if (icon != icon_)
            ::DestroyIcon(icon);
    }
    if (icon_ != nullptr)
        ::DestroyIcon(icon_);
}

::HICON IconData::Sized(int side) const {
    if (auto it = sized_.find(side); it != sized_.end())
        return it->second;
    ::HICON icon = side > 0 ? LoadSized(source_, fromFile_, side) : nullptr;
    if (icon == nullptr)
        icon = icon_;
    sized_.emplace(side, icon);
    return icon;
}

::HICON NativeIcon(const HICON& icon, int side) {
    return icon ? icon->Sized(side) : nullptr;
}

HICON LoadIconFromFile(const std::string& path) {
    const std::wstring name = Wide(path);
    const ::HANDLE file = ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw FileOpenError("Cannot open file \"" + path + "\". " +
                            SystemMessage(::GetLastError()));
    DWORD attributes = ::GetFileAttributesW(name.c_str());
    ::CloseHandle(file);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        throw FileOpenError("Cannot open file \"" + path + "\". " +
                            SystemMessage(ERROR_ACCESS_DENIED));
    auto* icon = static_cast<::HICON>(
        ::LoadImageW(nullptr, name.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
    if (icon == nullptr)
        throw InvalidGraphicError("Invalid icon file \"" + path + "\"");
    return std::make_shared<const IconData>(icon, path, true);
}

namespace {

// The system finds resource names whatever their case; the program's
// names are exact, as on every system.
bool HasIconNamed(const std::wstring& name) {
    struct Search {
        const std::wstring* name;
        bool found;
    } search{&name, false};
    ::EnumResourceNamesW(
        ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(14),  // RT_GROUP_ICON
        [](HMODULE, LPCWSTR, LPWSTR resource, LONG_PTR data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (!IS_INTRESOURCE(resource) && *s->name == resource)
                s->found = true;
            return !s->found;
        },
        reinterpret_cast<LONG_PTR>(&search));
    return search.found;
}

}  // namespace

HICON LoadIconResource(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos || !HasIconNamed(Wide(name)))
        return nullptr;
    auto* icon = static_cast<::HICON>(::LoadImageW(::GetModuleHandleW(nullptr), Wide(name).c_str(),
                                                   IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    if (icon == nullptr)
        return nullptr;
    return std::make_shared<const IconData>(icon, name, false);
}

std::string IconSource(const HICON& icon) {
    return icon ? icon->Source() : std::string();
}

IconPixels IconPixelsOf(const HICON& icon) {
    IconPixels pixels;
    if (!icon)
        return pixels;
    ICONINFO info{};
    if (!::GetIconInfo(icon->Handle(), &info))
        return pixels;
    BITMAP bitmap{};
    const bool colour = info.hbmColor != nullptr;
    ::GetObjectW(colour ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    const int width = bitmap.bmWidth;
    // A monochrome icon's mask holds the AND and the XOR picture one above the other.
    const int height = colour ? bitmap.bmHeight : bitmap.bmHeight / 2;
    HDC dc = ::GetDC(nullptr);
    std::vector<std::uint32_t> argb =
        colour ? Rows(dc, info.hbmColor, width, height) : std::vector<std::uint32_t>();
    std::vector<std::uint32_t> mask = Rows(dc, info.hbmMask, width, colour ? height : height * 2);
    ::ReleaseDC(nullptr, dc);
    if (info.hbmColor != nullptr)
        ::DeleteObject(info.hbmColor);
    if (info.hbmMask != nullptr)
        ::DeleteObject(info.hbmMask);
    if (!colour) {
        // The XOR half gives the picture, black or white.
        argb.assign(mask.begin() + static_cast<std::ptrdiff_t>(width) * height, mask.end());
        mask.resize(static_cast<size_t>(width) * height);
    }
    if (argb.size() != static_cast<size_t>(width) * height || mask.size() != argb.size())
        return pixels;
    bool hasAlpha = false;
    for (std::uint32_t p : argb)
        hasAlpha = hasAlpha || (p >> 24) != 0;
    // Without an alpha channel the mask says what shows: a set AND bit is transparent.
    if (!hasAlpha) {
        for (size_t i = 0; i < argb.size(); ++i)
            argb[i] = (mask[i] & 0xFFFFFF) != 0 ? 0 : (argb[i] | 0xFF000000u);
    }
    pixels.width = width;
    pixels.height = height;
    pixels.argb = std::move(argb);
    return pixels;
}

}  // namespace zelvo::platform
