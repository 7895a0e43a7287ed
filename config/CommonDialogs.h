#pragma once
// The toolkit's colour, font and file dialogs, as the configuration dialog
// asks for them. Each returns nothing when the user cancels.
#include <optional>
#include <string>

#include "config/ConfigHost.h"

class QWidget;

namespace zelvo::config {

std::optional<TColor> ToolkitChooseColor(QWidget* parent, TColor initial);
// The font dialog with the text colour beside the face, size and effects.
std::optional<TTickerFont> ToolkitChooseFont(QWidget* parent, const TTickerFont& initial);
// A program file; the title is the dialog's.
std::optional<std::string> ToolkitChooseProgram(QWidget* parent, const std::string& title);

}  // namespace zelvo::config
