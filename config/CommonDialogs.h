#pragma once
// The desktop's colour, font and file dialogs, as the configuration dialog
// asks for them. Each returns nothing when the user cancels.
#include <optional>
#include <string>

#include "config/ConfigHost.h"

namespace zelvo::platform {
class TForm;
}

namespace zelvo::config {

std::optional<TColor> DesktopChooseColor(platform::TForm* owner, TColor initial);
// The font dialog with the text colour beside the face, size and effects.
std::optional<TTickerFont> DesktopChooseFont(platform::TForm* owner, const TTickerFont& initial);
// A program file; the title is the dialog's.
std::optional<std::string> DesktopChooseProgram(platform::TForm* owner, const std::string& title);

}  // namespace zelvo::config
