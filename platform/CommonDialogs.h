#pragma once
// The desktop's colour, font and file dialogs. Each is modal over its owner
// and returns nothing when the user cancels. Colours are 0x00BBGGRR (red in
// the low byte).
#include <optional>
#include <string>

#include "platform/Controls.h"

namespace zelvo::platform {

class TForm;

std::optional<int> ChooseColor(TForm* owner, int initial);

// A face with its effects and the colour of the text drawn in it. A size of
// 0 or less in the initial font offers 8 points.
struct TFontChoice {
    TFont Font;
    int Color = 0;
};
std::optional<TFontChoice> ChooseFont(TForm* owner, const TFontChoice& initial);

// A program file; the title is the dialog's.
std::optional<std::string> ChooseProgramFile(TForm* owner, const std::string& title);

}  // namespace zelvo::platform
