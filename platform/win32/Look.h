#pragma once
// The program's fonts as the system's: the one place a face, its size in
// points or pixels and its effects become a LOGFONT and back.
#include <string>

#include "platform/Controls.h"
#include "platform/win32/Win32.h"

namespace zelvo::platform::win32 {

// The pixels per inch of the screen, 96 where it cannot say.
int ScreenDpi();

// The desktop's font for messages and dialogs, its size in points.
TFont MessageFont();

// The face with its effects at that many pixels per inch; an empty name is
// the message font's face, and neither a height nor a size is 8 points.
LOGFONTW ToLogFont(const TFont& font, int dpi);
TFont FromLogFont(const LOGFONTW& font, int dpi);

}  // namespace zelvo::platform::win32
