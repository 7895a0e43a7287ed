#include "config/CommonDialogs.h"

#include <algorithm>

#include "platform/CommonDialogs.h"

namespace zelvo::config {

std::optional<TColor> DesktopChooseColor(platform::TForm* owner, TColor initial) {
    return platform::ChooseColor(owner, initial);
}

std::optional<TTickerFont> DesktopChooseFont(platform::TForm* owner, const TTickerFont& initial) {
    platform::TFontChoice offered;
    offered.Font.Name = initial.Name;
    offered.Font.Size = initial.Size;
    offered.Font.Bold = initial.Bold;
    offered.Font.Italic = initial.Italic;
    offered.Font.Underline = initial.Underline;
    offered.Font.StrikeOut = initial.StrikeOut;
    offered.Color = initial.Color;
    auto chosen = platform::ChooseFont(owner, offered);
    if (!chosen)
        return std::nullopt;
    TTickerFont f = initial;
    f.Name = chosen->Font.Name;
    // The strip is one line high: larger or smaller faces than the dialog
    // offers do not fit it.
    f.Size = std::clamp(chosen->Font.Size > 0 ? chosen->Font.Size : 8, 8, 12);
    f.Bold = chosen->Font.Bold;
    f.Italic = chosen->Font.Italic;
    f.Underline = chosen->Font.Underline;
    f.StrikeOut = chosen->Font.StrikeOut;
    f.Color = chosen->Color;
    return f;
}

std::optional<std::string> DesktopChooseProgram(platform::TForm* owner, const std::string& title) {
    return platform::ChooseProgramFile(owner, title);
}

}  // namespace zelvo::config
