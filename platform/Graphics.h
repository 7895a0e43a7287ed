#pragma once
// Drawing for the controls that paint themselves: text measured and drawn in
// a font, rectangles filled, and bitmaps of 0x00RRGGBB pixels kept to be
// drawn again. Colours given to a canvas are 0x00BBGGRR (red in the low
// byte), as everywhere else in the program; texts are UTF-8.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"

namespace zelvo::platform {

// How a font sets text. A font with neither a height nor a size is the
// strip's own 8 points.
class TTextMetrics {
public:
    explicit TTextMetrics(const TFont& font);
    ~TTextMetrics();
    TTextMetrics(const TTextMetrics&) = delete;
    TTextMetrics& operator=(const TTextMetrics&) = delete;

    // From the top of a line to the top of the next, and to the baseline.
    int Height() const;
    int Ascent() const;
    // How far the text advances the pen.
    int Width(const std::string& text) const;
    // The left edge of every character of the text (set as one run), then the
    // text's width.
    std::vector<int> Edges(const std::string& text) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Rows of 0x00RRGGBB words, top row first.
class TBitmap {
public:
    struct Impl;

    TBitmap();
    // Its pixels are undefined until filled or drawn on.
    TBitmap(int width, int height);
    ~TBitmap();
    TBitmap(TBitmap&& other) noexcept;
    TBitmap& operator=(TBitmap&& other) noexcept;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    bool Empty() const;
    int Width() const;
    int Height() const;
    void Fill(int colour);
    const std::uint32_t* ScanLine(int y) const;

    Impl& Toolkit() const { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

// Draws on a bitmap, or on a control while it paints. Nothing drawn falls
// outside the clip.
class TCanvas {
public:
    // The toolkit's side; only the platform layer makes one of these.
    struct Impl;

    // Draws on the bitmap for as long as the canvas lives; the bitmap must
    // not be empty.
    explicit TCanvas(TBitmap& bitmap);
    explicit TCanvas(std::unique_ptr<Impl> impl);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    void SetFont(const TFont& font);
    void SetTextColor(int colour);
    void SetClip(int left, int top, int width, int height);

    void FillRect(int left, int top, int width, int height, int colour);
    // Draws the text with its baseline at y and returns how far it advanced
    // (an underline takes no room).
    int TextOut(int x, int baseline, const std::string& text, bool underline = false);
    // Copies the part of source at (sourceX, sourceY) with that width and
    // height so that its corner lands at (x, y).
    void Draw(int x, int y, const TBitmap& source, int sourceX, int sourceY, int width, int height);

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace zelvo::platform
