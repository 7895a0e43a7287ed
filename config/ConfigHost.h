#pragma once
// What the configuration dialog needs of the strip: its look, its timers and
// the Retrieve command. The main window implements it; the dialog holds a
// reference for its whole life. Plain types only: texts are Windows-1252
// bytes, colours 0x00BBGGRR.
#include <string>

#include "config/SettingsSchema.h"

namespace zelvo::config {

using TColor = int;

inline constexpr TColor clBlack = 0;
inline constexpr TColor clWhite = 16777215;
inline constexpr TColor clSilver = 12632256;

// The ticker label's font together with its text colour.
struct TTickerFont {
    std::string Name = settings::FontName.Default;
    int Size = settings::FontSize.Default;  // points
    bool Bold = settings::FontStyle.Default != 1;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    TColor Color = settings::ForeColor.Default;

    bool HasStyle() const { return Bold || Italic || Underline || StrikeOut; }
    friend bool operator==(const TTickerFont&, const TTickerFont&) = default;
};

class TConfigHost {
public:
    virtual ~TConfigHost() = default;

    // The ticker label `lblTicker`. Setting the font repaints the label.
    virtual TTickerFont TickerFont() const = 0;
    virtual void SetTickerFont(const TTickerFont& font) = 0;
    virtual TColor TickerBackColor() const = 0;
    virtual void SetTickerBackColor(TColor color) = 0;
    // The strip window's own colour, the line below the label on a
    // borderless strip.
    virtual void SetStripColor(TColor color) = 0;

    // The scroll timer `timerCaption`, in milliseconds.
    virtual unsigned ScrollInterval() const = 0;
    virtual void SetScrollInterval(unsigned ms) = 0;

    // The retrieval timer `timerRetrieve`, switched with automatic retrieval.
    virtual void SetRetrievalTimerEnabled(bool on) = 0;
    // The tray menu's Retrieve command: a retrieval at once.
    virtual void mnuConnectClick() = 0;

    // Opens a topic of the user guide.
    virtual void ShowHelpTopic(int context) = 0;
};

}  // namespace zelvo::config
