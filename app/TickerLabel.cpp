#include "app/TickerLabel.h"

#include <algorithm>

#include "app/TickerImage.h"
#include "platform/WindowPixels.h"

namespace zelvo::app {

namespace {

// The display's pixels are 0x00RRGGBB; the program's colours are the other
// way round.
std::uint32_t PixelOf(int colour) {
    const auto c = static_cast<std::uint32_t>(colour);
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

}  // namespace

TTickerLabel::TTickerLabel(platform::TWinControl& parent) : box_(parent) {
    box_.SetName("lblTicker");
    box_.OnPaint = [this](platform::TCanvas& canvas, const platform::TRect& area) {
        Paint(canvas, area);
    };
}

void TTickerLabel::SetBounds(int left, int top, int width, int height) {
    box_.SetBounds(left, top, width, height);
}

void TTickerLabel::SetTextFont(const platform::TFont& font) {
    font_ = font;
    if (font_.Height <= 0 && font_.Size <= 0)
        font_.Size = 8;
    box_.Invalidate();
}

void TTickerLabel::SetCaption(const std::string& caption, bool mnemonics) {
    if (caption == caption_ && mnemonics == mnemonics_)
        return;
    caption_ = caption;
    mnemonics_ = mnemonics;
    // An image on show is drawn without the caption.
    if (image_ == nullptr)
        box_.Invalidate();
}

void TTickerLabel::SetBackcolor(int colour) {
    backcolor_ = colour;
    box_.Invalidate();
}

void TTickerLabel::SetForeColor(int colour) {
    foreColor_ = colour;
    box_.Invalidate();
}

namespace {

// The length of the UTF-8 character that starts at caption[i].
std::size_t CharLength(const std::string& caption, std::size_t i) {
    std::size_t len = 1;
    while (i + len < caption.size() &&
           (static_cast<unsigned char>(caption[i + len]) & 0xC0) == 0x80)
        ++len;
    return len;
}

}  // namespace

std::vector<TTickerLabel::Run> TTickerLabel::Runs(const std::string& caption, bool mnemonics) {
    if (!mnemonics)
        return {{caption, false}};
    std::vector<Run> runs;
    std::string plain;
    auto flush = [&] {
        if (!plain.empty()) {
            runs.push_back({plain, false});
            plain.clear();
        }
    };
    for (std::size_t i = 0; i < caption.size();) {
        const char c = caption[i];
        if (c != '&') {
            const std::size_t len = CharLength(caption, i);
            plain.append(caption, i, len);
            i += len;
            continue;
        }
        if (i + 1 >= caption.size())
            break;  // a prefix with nothing after it shows nothing
        ++i;
        if (caption[i] == '&') {
            plain += '&';
            ++i;
            continue;
        }
        flush();
        const std::size_t len = CharLength(caption, i);
        runs.push_back({caption.substr(i, len), true});
        i += len;
    }
    flush();
    return runs;
}

std::vector<std::size_t> TTickerLabel::ShownCharacters(const std::string& caption, bool mnemonics) {
    std::vector<std::size_t> shown;
    std::size_t index = 0;  // characters of the caption passed
    for (std::size_t i = 0; i < caption.size();) {
        if (mnemonics && caption[i] == '&') {
            if (i + 1 >= caption.size())
                break;
            ++i;
            ++index;
        }
        shown.push_back(index);
        i += CharLength(caption, i);
        ++index;
    }
    return shown;
}

int TTickerLabel::CharacterAt(int x) const {
    if (x < 0)
        return -1;
    const std::vector<std::size_t> shown = ShownCharacters(caption_, mnemonics_);
    std::string drawn;
    for (const Run& run : Runs(caption_, mnemonics_))
        drawn += run.text;
    const std::vector<int> edges = platform::TTextMetrics(TextFont()).Edges(drawn);
    for (std::size_t n = 0; n + 1 < edges.size() && n < shown.size(); ++n) {
        if (x >= edges[n] && x < edges[n + 1])
            return static_cast<int>(shown[n]);
    }
    return -1;
}

void TTickerLabel::ShowImage(TTickerImage* image, int offset, int from, int to) {
    if (image == nullptr && image_ == nullptr)
        return;
    image_ = image;
    imageOffset_ = offset;
    imageFrom_ = from;
    imageTo_ = to;
    box_.Invalidate();
}

void TTickerLabel::SetImageOffset(int offset) {
    if (offset == imageOffset_)
        return;
    const int dx = imageOffset_ - offset;
    imageOffset_ = offset;
    if (image_ == nullptr)
        return;
    if (ShiftOnDisplay(dx))
        return;
    // The pixels already drawn move; only the strip they uncover is painted.
    box_.Scroll(dx);
}

bool TTickerLabel::MoveImage(int offset, int from, int to) {
    const int width = Width();
    const int height = Height();
    if (image_ == nullptr || !box_.Showing() || offset < imageOffset_ ||
        offset - imageOffset_ >= width || to - offset < width || from < imageFrom_)
        return false;
    const int dx = imageOffset_ - offset;
    imageOffset_ = offset;
    imageFrom_ = from;
    imageTo_ = to;
    if (dx != 0 && !ShiftOnDisplay(dx)) {
        box_.Invalidate();
        return true;
    }
    // What lies left of the new frame's text is its indent: blank.
    const int blank = std::min(width, from - offset);
    if (blank > 0) {
        uncovered_.assign(static_cast<std::size_t>(blank) * static_cast<std::size_t>(height),
                          PixelOf(backcolor_));
        const platform::TPixels pixels{uncovered_.data(), blank, height, blank};
        if (!box_.ShiftPixels(0, pixels, 0))
            box_.Invalidate();
    }
    return true;
}

bool TTickerLabel::ShiftOnDisplay(int dx) {
    const int width = Width();
    const int height = Height();
    // Only a move to the left, within the strip, of a strip on screen.
    if (dx >= 0 || -dx >= width || !box_.Showing())
        return false;
    const int columns = -dx;
    uncovered_.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(height),
                      PixelOf(backcolor_));
    const int origin = imageOffset_ + width - columns;
    image_->CopyPixels(uncovered_.data(), columns, origin, std::max(imageFrom_, origin),
                       std::min(imageTo_, imageOffset_ + width), height);
    const platform::TPixels pixels{uncovered_.data(), columns, height, columns};
    return box_.ShiftPixels(dx, pixels, width - columns);
}

void TTickerLabel::Paint(platform::TCanvas& canvas, const platform::TRect& exposed) {
    const int width = Width();
    const int height = Height();
    if (image_ != nullptr) {
        // Only what the step exposed is painted again; the image holds the
        // shaped text.
        canvas.FillRect(exposed.Left, exposed.Top, exposed.Right - exposed.Left,
                        exposed.Bottom - exposed.Top, backcolor_);
        const int from = std::max(imageFrom_, imageOffset_ + exposed.Left);
        const int to = std::min(imageTo_, imageOffset_ + exposed.Right);
        image_->Draw(canvas, imageOffset_, from, to, height);
        return;
    }
    canvas.FillRect(0, 0, width, height, backcolor_);
    canvas.SetTextColor(foreColor_);
    canvas.SetClip(0, 0, width, height);
    canvas.SetFont(font_);
    const platform::TTextMetrics metrics(font_);
    const int baseline = (height - metrics.Height()) / 2 + metrics.Ascent();
    int x = 0;
    for (const Run& run : Runs(caption_, mnemonics_)) {
        if (x >= width)
            break;
        x += canvas.TextOut(x, baseline, run.text, run.underline);
    }
}

}  // namespace zelvo::app
