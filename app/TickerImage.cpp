#include "app/TickerImage.h"

#include <algorithm>

#include "app/TickerLabel.h"

namespace zelvo::app {

namespace {

// Short enough that a piece is shaped quickly and its image stays small,
// long enough that a strip shows only a few of them.
constexpr std::size_t kPieceChars = 48;
// Beyond this many images the ones out of view are let go.
constexpr std::size_t kImagesKept = 32;

std::size_t CharLength(const std::string& s, std::size_t i) {
    std::size_t len = 1;
    while (i + len < s.size() && (static_cast<unsigned char>(s[i + len]) & 0xC0) == 0x80)
        ++len;
    return len;
}

}  // namespace

void TTickerImage::Forget() {
    pieces_.clear();
    shapedBytes_ = 0;
    images_ = 0;
}

bool TTickerImage::SetText(const std::string& text, bool mnemonics) {
    if (text == text_ && mnemonics == mnemonics_)
        return false;
    text_ = text;
    mnemonics_ = mnemonics;
    Forget();
    return true;
}

bool TTickerImage::SetLook(const platform::TFont& font, int backcolor, int foreColor) {
    if (font == font_ && backcolor == backcolor_ && foreColor == foreColor_)
        return false;
    font_ = font;
    backcolor_ = backcolor;
    foreColor_ = foreColor;
    Forget();
    return true;
}

bool TTickerImage::Extend() {
    if (shapedBytes_ >= text_.size())
        return false;
    Piece piece;
    piece.byteBegin = shapedBytes_;
    if (!pieces_.empty()) {
        piece.firstChar = pieces_.back().firstChar + pieces_.back().chars;
        piece.x = pieces_.back().x + pieces_.back().width;
    }
    std::size_t i = shapedBytes_;
    while (i < text_.size() && piece.chars < kPieceChars) {
        // A mnemonic prefix stays with the character it marks.
        const bool prefix = mnemonics_ && text_[i] == '&';
        i += CharLength(text_, i);
        ++piece.chars;
        if (prefix && i < text_.size()) {
            i += CharLength(text_, i);
            ++piece.chars;
        }
    }
    piece.byteEnd = i;
    shapedBytes_ = i;

    const std::string part = text_.substr(piece.byteBegin, piece.byteEnd - piece.byteBegin);
    std::string drawn;
    for (const TTickerLabel::Run& run : TTickerLabel::Runs(part, mnemonics_))
        drawn += run.text;
    const std::vector<std::size_t> shown = TTickerLabel::ShownCharacters(part, mnemonics_);
    // The left edge of every drawn character; a prefix that is not drawn
    // shares the edge of the character it marks.
    std::vector<int> drawnLeft = platform::TTextMetrics(font_).Edges(drawn);
    piece.width = drawnLeft.back();
    drawnLeft.pop_back();
    if (drawnLeft.size() > shown.size())
        drawnLeft.resize(shown.size());
    piece.edges.assign(piece.chars + 1, piece.width);
    std::size_t n = 0;
    for (std::size_t c = 0; c < piece.chars; ++c) {
        while (n < drawnLeft.size() && shown[n] < c)
            ++n;
        piece.edges[c] = n < drawnLeft.size() ? drawnLeft[n] : piece.width;
    }
    pieces_.push_back(std::move(piece));
    return true;
}

TTickerImage::Piece* TTickerImage::PieceOfChar(std::size_t index) {
    while (pieces_.empty() || pieces_.back().firstChar + pieces_.back().chars <= index) {
        if (!Extend())
            return nullptr;
    }
    auto it = std::upper_bound(pieces_.begin(), pieces_.end(), index,
                               [](std::size_t i, const Piece& p) { return i < p.firstChar; });
    return &*(it - 1);
}

int TTickerImage::XOf(std::size_t index) {
    if (Piece* piece = PieceOfChar(index))
        return piece->x + piece->edges[index - piece->firstChar];
    return pieces_.empty() ? 0 : pieces_.back().x + pieces_.back().width;
}

long TTickerImage::CharAt(int x) {
    if (x < 0)
        return -1;
    while (pieces_.empty() || pieces_.back().x + pieces_.back().width <= x) {
        if (!Extend())
            return -1;
    }
    auto it = std::upper_bound(pieces_.begin(), pieces_.end(), x,
                               [](int px, const Piece& p) { return px < p.x; });
    const Piece& piece = *(it - 1);
    const int local = x - piece.x;
    for (std::size_t c = piece.chars; c-- > 0;) {
        if (piece.edges[c] <= local && local < piece.edges[c + 1])
            return static_cast<long>(piece.firstChar + c);
    }
    return -1;
}

void TTickerImage::Paint(Piece& piece, int height) {
    piece.image = platform::TBitmap(std::max(piece.width, 1), height);
    piece.image.Fill(backcolor_);
    platform::TCanvas canvas(piece.image);
    canvas.SetTextColor(foreColor_);
    canvas.SetFont(font_);
    const platform::TTextMetrics metrics(font_);
    const int baseline = (height - metrics.Height()) / 2 + metrics.Ascent();
    const std::string part = text_.substr(piece.byteBegin, piece.byteEnd - piece.byteBegin);
    int x = 0;
    for (const TTickerLabel::Run& run : TTickerLabel::Runs(part, mnemonics_))
        x += canvas.TextOut(x, baseline, run.text, run.underline);
    ++images_;
}

template <typename Visit>
void TTickerImage::EachPiece(int from, int to, int height, Visit visit) {
    from = std::max(from, 0);
    if (from >= to || CharAt(from) < 0)
        return;
    auto first = std::upper_bound(pieces_.begin(), pieces_.end(), from,
                                  [](int px, const Piece& p) { return px < p.x; });
    std::size_t i = static_cast<std::size_t>(first - pieces_.begin()) - 1;
    if (images_ > kImagesKept) {
        for (Piece& p : pieces_) {
            if (!p.image.Empty() && (p.x + p.width <= from || p.x >= to)) {
                p.image = platform::TBitmap();
                --images_;
            }
        }
    }
    for (; i < pieces_.size() || Extend(); ++i) {
        Piece& piece = pieces_[i];
        if (piece.x >= to)
            break;
        if (piece.image.Empty() || piece.image.Height() != height) {
            if (!piece.image.Empty())
                --images_;
            Paint(piece, height);
        }
        const int left = std::max(piece.x, from);
        const int right = std::min(piece.x + piece.width, to);
        if (right > left)
            visit(piece, left, right);
    }
}

void TTickerImage::Draw(platform::TCanvas& canvas, int origin, int from, int to, int height) {
    EachPiece(from, to, height, [&](const Piece& piece, int left, int right) {
        canvas.Draw(left - origin, 0, piece.image, left - piece.x, 0, right - left, height);
    });
}

void TTickerImage::CopyPixels(std::uint32_t* rows, int stride, int origin, int from, int to,
                              int height) {
    EachPiece(from, to, height, [&](const Piece& piece, int left, int right) {
        for (int y = 0; y < height; ++y) {
            const std::uint32_t* source = piece.image.ScanLine(y);
            std::copy(source + (left - piece.x), source + (right - piece.x),
                      rows + static_cast<std::ptrdiff_t>(y) * stride + (left - origin));
        }
    });
}

std::size_t TTickerImage::ImagesHeld() const {
    return images_;
}

}  // namespace zelvo::app
