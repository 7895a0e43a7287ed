#include "platform/win32/Look.h"

#include <algorithm>
#include <cwchar>

#include "platform/Cp1252.h"

namespace zelvo::platform::win32 {

namespace {

std::wstring FaceName(const std::string& cp1252) {
    const std::u16string wide = Cp1252ToUtf16(cp1252);
    return std::wstring(wide.begin(), wide.end());
}

}  // namespace

int ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

TFont MessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        TFont fallback;
        fallback.Name = "Tahoma";
        fallback.Size = 8;
        return fallback;
    }
    TFont font = FromLogFont(metrics.lfMessageFont, ScreenDpi());
    // The desktop states its fonts in pixels; the program thinks in points.
    if (font.Size <= 0)
        font.Size = 9;
    font.Height = 0;
    return font;
}

LOGFONTW ToLogFont(const TFont& font, int dpi) {
    LOGFONTW lf{};
    if (font.Height > 0)
        lf.lfHeight = -font.Height;
    else
        lf.lfHeight = -::MulDiv(font.Size > 0 ? font.Size : 8, dpi, 72);
    lf.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font.Italic ? TRUE : FALSE;
    lf.lfUnderline = font.Underline ? TRUE : FALSE;
    lf.lfStrikeOut = font.StrikeOut ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    std::wstring face = FaceName(font.Name);
    if (face.empty()) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            face = metrics.lfMessageFont.lfFaceName;
    }
    face.resize(std::min<size_t>(face.size(), LF_FACESIZE - 1));
    std::wmemcpy(lf.lfFaceName, face.c_str(), face.size() + 1);
    return lf;
}

TFont FromLogFont(const LOGFONTW& lf, int dpi) {
    TFont font;
    const std::wstring face(lf.lfFaceName);
    font.Name = Utf16ToCp1252(std::u16string(face.begin(), face.end()));
    const int pixels = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    font.Size = std::max(::MulDiv(pixels, 72, dpi > 0 ? dpi : 96), 0);
    font.Bold = lf.lfWeight >= FW_SEMIBOLD;
    font.Italic = lf.lfItalic != 0;
    font.Underline = lf.lfUnderline != 0;
    font.StrikeOut = lf.lfStrikeOut != 0;
    return font;
}

}  // namespace zelvo::platform::win32
