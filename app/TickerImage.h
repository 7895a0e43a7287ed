#pragma once
// The ticker text drawn once, for a strip that moves it by pixels: the text is
// cut into short pieces, each shaped and painted into an image the first time
// it comes into view, so that a step of the scrolling only copies pixels.
// Positions count characters of the UTF-8 text (a mnemonic prefix included,
// as in the captions), pixels count from the text's first character.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Graphics.h"

namespace zelvo::app {

class TTickerImage {
public:
    // A new text, or a new look, drops what was drawn of the old one.
    // Each returns whether anything changed.
    // mnemonics: "&" marks the next character and "&&" shows one "&", as
    // in the strip's captions of a classic page; off for readings of plain text.
    bool SetText(const std::string& text, bool mnemonics = true);
    bool SetLook(const platform::TFont& font, int backcolor, int foreColor);
    const std::string& Text() const { return text_; }

    // The left edge of the character at index; past the end, the text's width.
    int XOf(std::size_t index);
    // The index of the character drawn across pixel x, or -1 outside the text.
    long CharAt(int x);

    // Paints the text pixels [from, to) with text pixel `origin` at the
    // canvas's x = 0, into a row `height` pixels high.
    void Draw(platform::TCanvas& canvas, int origin, int from, int to, int height);

    // Copies the text pixels [from, to) into rows of 0x00RRGGBB words whose
    // first column is text pixel `origin`; columns outside the text are left
    // as they are.
    void CopyPixels(std::uint32_t* rows, int stride, int origin, int from, int to, int height);

    // How many pieces hold an image now (the cache stays small).
    std::size_t ImagesHeld() const;

private:
    struct Piece {
        std::size_t firstChar = 0;
        std::size_t chars = 0;
        std::size_t byteBegin = 0;
        std::size_t byteEnd = 0;
        int x = 0;
        int width = 0;
        std::vector<int> edges;  // left edge of each character, then the width
        platform::TBitmap image;
    };

    // Shapes the next piece of the text; false at its end.
    bool Extend();
    // The piece holding the character at index (extending as needed), or
    // nullptr past the end.
    Piece* PieceOfChar(std::size_t index);
    void Paint(Piece& piece, int height);
    // Calls visit for every piece across the text pixels [from, to), each
    // painted for the height.
    template <typename Visit>
    void EachPiece(int from, int to, int height, Visit visit);
    void Forget();

    std::string text_;
    bool mnemonics_ = true;
    platform::TFont font_;
    int backcolor_ = 0;
    int foreColor_ = 0xFFFFFF;
    std::vector<Piece> pieces_;
    std::size_t shapedBytes_ = 0;  // where the next piece starts
    std::size_t images_ = 0;
};

}  // namespace zelvo::app
