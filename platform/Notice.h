#pragma once
// A box that waits for nobody: the caller goes on at once and the box stays
// until the user closes it. Texts are Windows-1252 bytes.
#include <string>

namespace zelvo::platform {

// Information icon and an OK button.
void ShowNotice(const std::string& text, const std::string& caption);

}  // namespace zelvo::platform
