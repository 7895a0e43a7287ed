#pragma once
#include <string>

namespace zelvo::platform {

// The directory of the running executable, with its trailing separator: the
// program's own files ("WebPage.txt", "Zelv.Log", "WebURLs.txt", the guide
// "help/index.html") live there.
std::string ExeDir();

// ${XDG_CONFIG_HOME:-$HOME/.config}/Quorvane/ with its trailing separator.
std::string SettingsDir();

}  // namespace zelvo::platform
