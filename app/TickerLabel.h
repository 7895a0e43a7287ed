#pragma once
// The strip's one visible control. The caption is UTF-8 text drawn on one
// line, left-aligned, vertically centred and cut at the right edge. A
// caption in mnemonic form (the classic page text, the program's own
// captions) has the ampersand as a prefix: "&&" shows one "&", a single "&"
// underlines the character after it. A plain caption (headlines, feeds)
// shows every character as it is.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/ExtCtrls.h"
#include "platform/Graphics.h"

namespace zelvo::app {

class TTickerImage;

class TTickerLabel {
public:
    explicit TTickerLabel(platform::TWinControl& parent);

    // The box it draws on; its owner hears the pointer there.
    platform::TPaintBox& Box() { return box_; }
    const platform::TPaintBox& Box() const { return box_; }
    void SetBounds(int left, int top, int width, int height);
    int Width() const { return box_.Width(); }
    int Height() const { return box_.Height(); }
    // Drawn again soon, or before this returns.
    void Invalidate() { box_.Invalidate(); }
    void Repaint() { box_.Repaint(); }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption, bool mnemonics = true);
    bool Mnemonics() const { return mnemonics_; }

    int Backcolor() const { return backcolor_; }  // 0x00BBGGRR
    void SetBackcolor(int colour);
    int ForeColor() const { return foreColor_; }
    void SetForeColor(int colour);

    // The face the caption is drawn in; a font without a size is 8 points.
    const platform::TFont& TextFont() const { return font_; }
    void SetTextFont(const platform::TFont& font);

    struct Run {
        std::string text;
        bool underline = false;
    };
    // The caption as it is drawn: runs of plain and underlined text.
    static std::vector<Run> Runs(const std::string& caption, bool mnemonics = true);
    // For every character drawn, the index of its character in the caption
    // (a mnemonic prefix is not drawn).
    static std::vector<std::size_t> ShownCharacters(const std::string& caption,
                                                    bool mnemonics = true);

    // The index (in characters) of the caption's character drawn at x, or
    // -1 past the drawn text.
    int CharacterAt(int x) const;

    // Draws the text pixels [from, to) of image, text pixel offset at the left
    // edge, instead of the caption; nullptr: the caption again. The image
    // must outlive its showing.
    void ShowImage(TTickerImage* image, int offset, int from, int to);
    void SetImageOffset(int offset);
    // The image's next frame from where the last one's glide left it: only
    // what changed is drawn. False when a whole repaint is needed instead.
    bool MoveImage(int offset, int from, int to);
    const TTickerImage* Image() const { return image_; }

private:
    void Paint(platform::TCanvas& canvas, const platform::TRect& area);
    // Moves the drawn text dx pixels on the display itself and sends only the
    // columns uncovered; false where that cannot be done.
    bool ShiftOnDisplay(int dx);

    platform::TPaintBox box_;
    platform::TFont font_;
    std::string caption_;
    bool mnemonics_ = true;
    std::vector<std::uint32_t> uncovered_;
    TTickerImage* image_ = nullptr;
    int imageOffset_ = 0;
    int imageFrom_ = 0;
    int imageTo_ = 0;
    int backcolor_ = 0;
    int foreColor_ = 16777215;
};

}  // namespace zelvo::app
