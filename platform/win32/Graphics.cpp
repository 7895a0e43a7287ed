#include "platform/Graphics.h"

#include <algorithm>

#include "platform/win32/CanvasImpl.h"
#include "platform/win32/Look.h"
#include "platform/win32/WideText.h"

namespace zelvo::platform {
using namespace win32;

namespace {

// 0x00BBGGRR as the program gives colours, 0x00RRGGBB as DIB pixels hold them.
std::uint32_t ToPixel(int colour) {
    const auto v = static_cast<std::uint32_t>(colour);
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

COLORREF ToColorRef(int colour) {
    return static_cast<COLORREF>(colour) & 0x00FFFFFF;
}

HFONT MakeFont(const TFont& font, bool underline) {
    LOGFONTW lf = ToLogFont(font, ScreenDpi());
    if (underline)
        lf.lfUnderline = TRUE;
    return ::CreateFontIndirectW(&lf);
}

int Advance(HDC dc, const std::wstring& text) {
    SIZE size{0, 0};
    if (!text.empty())
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

}  // namespace

struct TTextMetrics::Impl {
    explicit Impl(const TFont& face) {
        dc = ::CreateCompatibleDC(nullptr);
        font = MakeFont(face, false);
        old = ::SelectObject(dc, font);
        ::GetTextMetricsW(dc, &metrics);
    }
    ~Impl() {
        ::SelectObject(dc, old);
        ::DeleteObject(font);
        ::DeleteDC(dc);
    }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    HDC dc;
    HFONT font;
    HGDIOBJ old;
    TEXTMETRICW metrics{};
};

TTextMetrics::TTextMetrics(const TFont& font) : impl_(std::make_unique<Impl>(font)) {}
TTextMetrics::~TTextMetrics() = default;

int TTextMetrics::Height() const {
    return impl_->metrics.tmHeight;
}

int TTextMetrics::Ascent() const {
    return impl_->metrics.tmAscent;
}

int TTextMetrics::Width(const std::string& text) const {
    return Advance(impl_->dc, Wide(text));
}

std::vector<int> TTextMetrics::Edges(const std::string& text) const {
    const std::wstring drawn = Wide(text);
    const int n = static_cast<int>(drawn.size());
    std::vector<int> edges;
    if (n == 0)
        return {0};
    // The pen's place after each unit of the run, set as one run.
    std::vector<int> after(static_cast<size_t>(n), 0);
    SIZE whole{0, 0};
    ::GetTextExtentExPointW(impl_->dc, drawn.c_str(), n, 0, nullptr, after.data(), &whole);
    // A character beyond the first plane is two units of the system's text.
    for (int unit = 0; unit < n;) {
        edges.push_back(unit == 0 ? 0 : after[static_cast<size_t>(unit - 1)]);
        const bool pair = drawn[static_cast<size_t>(unit)] >= 0xD800 &&
                          drawn[static_cast<size_t>(unit)] <= 0xDBFF && unit + 1 < n;
        unit += pair ? 2 : 1;
    }
    edges.push_back(whole.cx);
    return edges;
}

TBitmap::Impl::Impl(int w, int h) : width(std::max(w, 1)), height(std::max(h, 1)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc = ::CreateCompatibleDC(nullptr);
    void* pixels = nullptr;
    bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bitmap == nullptr) {
        width = height = 0;
        return;
    }
    bits = static_cast<std::uint32_t*>(pixels);
    old = ::SelectObject(dc, bitmap);
}

TBitmap::Impl::~Impl() {
    if (dc != nullptr && old != nullptr)
        ::SelectObject(dc, old);
    if (bitmap != nullptr)
        ::DeleteObject(bitmap);
    if (dc != nullptr)
        ::DeleteDC(dc);
}

TBitmap::TBitmap() : impl_(std::make_unique<Impl>()) {}

TBitmap::TBitmap(int width, int height) : impl_(std::make_unique<Impl>(width, height)) {}

TBitmap::~TBitmap() = default;

TBitmap::TBitmap(TBitmap&& other) noexcept : impl_(std::make_unique<Impl>()) {
    impl_.swap(other.impl_);
}

TBitmap& TBitmap::operator=(TBitmap&& other) noexcept {
    auto taken = std::make_unique<Impl>();
    taken.swap(other.impl_);
    impl_.swap(taken);
    return *this;
}

bool TBitmap::Empty() const {
    return impl_->bitmap == nullptr;
}

int TBitmap::Width() const {
    return impl_->width;
}

int TBitmap::Height() const {
    return impl_->height;
}

void TBitmap::Fill(int colour) {
    if (impl_->bits == nullptr)
        return;
    ::GdiFlush();
    std::fill(impl_->bits,
              impl_->bits + static_cast<size_t>(impl_->width) * static_cast<size_t>(impl_->height),
              ToPixel(colour));
}

const std::uint32_t* TBitmap::ScanLine(int y) const {
    // Drawing may still be queued; the pixels are read as drawn.
    ::GdiFlush();
    return impl_->bits + static_cast<size_t>(y) * static_cast<size_t>(impl_->width);
}

TCanvas::Impl::Impl(HDC context) : dc(context), saved(::SaveDC(context)) {
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    font = MakeFont(TFont{}, false);
    underlined = MakeFont(TFont{}, true);
    ::SelectObject(dc, font);
}

TCanvas::Impl::~Impl() {
    // Gives the DC back as found, which lets go of the fonts.
    ::RestoreDC(dc, saved);
    ::DeleteObject(font);
    ::DeleteObject(underlined);
}

TCanvas::TCanvas(TBitmap& bitmap) : impl_(std::make_unique<Impl>(bitmap.Toolkit().dc)) {}

TCanvas::TCanvas(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

TCanvas::~TCanvas() = default;

void TCanvas::SetFont(const TFont& font) {
    HFONT plain = MakeFont(font, false);
    HFONT underlined = MakeFont(font, true);
    ::SelectObject(impl_->dc, plain);
    ::DeleteObject(impl_->font);
    ::DeleteObject(impl_->underlined);
    impl_->font = plain;
    impl_->underlined = underlined;
}

void TCanvas::SetTextColor(int colour) {
    ::SetTextColor(impl_->dc, ToColorRef(colour));
}

void TCanvas::SetClip(int left, int top, int width, int height) {
    HRGN region = ::CreateRectRgn(left, top, left + width, top + height);
    ::SelectClipRgn(impl_->dc, region);
    ::DeleteObject(region);
}

void TCanvas::FillRect(int left, int top, int width, int height, int colour) {
    const RECT rc{left, top, left + width, top + height};
    HBRUSH brush = ::CreateSolidBrush(ToColorRef(colour));
    ::FillRect(impl_->dc, &rc, brush);
    ::DeleteObject(brush);
}

int TCanvas::TextOut(int x, int baseline, const std::string& text, bool underline) {
    const std::wstring drawn = Wide(text);
    if (drawn.empty())
        return 0;
    if (underline)
        ::SelectObject(impl_->dc, impl_->underlined);
    ::ExtTextOutW(impl_->dc, x, baseline, 0, nullptr, drawn.c_str(),
                  static_cast<UINT>(drawn.size()), nullptr);
    if (underline)
        ::SelectObject(impl_->dc, impl_->font);
    return Advance(impl_->dc, drawn);
}

void TCanvas::Draw(int x, int y, const TBitmap& source, int sourceX, int sourceY, int width,
                   int height) {
    if (source.Toolkit().dc == nullptr)
        return;
    ::BitBlt(impl_->dc, x, y, width, height, source.Toolkit().dc, sourceX, sourceY, SRCCOPY);
}

}  // namespace zelvo::platform
