#include "platform/CommonDialogs.h"

#include <algorithm>
#include <array>

#include "platform/Forms.h"
#include "platform/win32/ControlImpl.h"
#include "platform/win32/Look.h"

#include <commdlg.h>
// The system's header maps these names onto its own wide functions; ours
// keep theirs.
#undef ChooseColor
#undef ChooseFont

namespace zelvo::platform {
using namespace win32;

namespace {

HWND OwnerWindow(TForm* owner) {
    return owner != nullptr ? WindowOf(*owner) : nullptr;
}

COLORREF ToColorRef(int colour) {
    return static_cast<COLORREF>(colour) & 0x00FFFFFF;
}

}  // namespace

std::optional<int> ChooseColor(TForm* owner, int initial) {
    // The user's own colours stay for the next choice while the program runs.
    static std::array<COLORREF, 16> custom{};
    CHOOSECOLORW choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = OwnerWindow(owner);
    choice.rgbResult = ToColorRef(initial);
    choice.lpCustColors = custom.data();
    choice.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!::ChooseColorW(&choice))
        return std::nullopt;
    return static_cast<int>(choice.rgbResult & 0x00FFFFFF);
}

std::optional<TFontChoice> ChooseFont(TForm* owner, const TFontChoice& initial) {
    const int dpi = ScreenDpi();
    TFont offered = initial.Font;
    if (offered.Height <= 0 && offered.Size <= 0)
        offered.Size = 8;
    LOGFONTW lf = ToLogFont(offered, dpi);
    CHOOSEFONTW choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = OwnerWindow(owner);
    choice.lpLogFont = &lf;
    choice.rgbColors = ToColorRef(initial.Color);
    choice.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    if (!::ChooseFontW(&choice))
        return std::nullopt;
    TFontChoice chosen;
    chosen.Font = FromLogFont(lf, dpi);
    if (choice.iPointSize > 0)
        chosen.Font.Size = (choice.iPointSize + 5) / 10;
    chosen.Font.Height = 0;
    chosen.Color = static_cast<int>(choice.rgbColors & 0x00FFFFFF);
    return chosen;
}

std::optional<std::string> ChooseProgramFile(TForm* owner, const std::string& title) {
    std::array<wchar_t, 32768> name{};
    const std::wstring caption = Wide1252(title);
    static const wchar_t kFilter[] = L"Exe files (*.exe)\0*.exe\0All files (*.*)\0*.*\0";
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = OwnerWindow(owner);
    open.lpstrFilter = kFilter;
    open.lpstrFile = name.data();
    open.nMaxFile = static_cast<DWORD>(name.size());
    open.lpstrTitle = caption.empty() ? nullptr : caption.c_str();
    open.Flags =
        OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!::GetOpenFileNameW(&open))
        return std::nullopt;
    const std::wstring chosen(name.data());
    if (chosen.empty())
        return std::nullopt;
    return Narrow1252(chosen);
}

}  // namespace zelvo::platform
