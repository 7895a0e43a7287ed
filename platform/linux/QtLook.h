#pragma once
// The program's colours and fonts as the toolkit's: the one place they are
// converted. Colours are 0x00BBGGRR (red in the low byte).
#include <QColor>
#include <QFont>

#include "platform/Controls.h"

namespace zelvo::platform::toolkit {

QColor ToQColor(int colour);
int FromQColor(const QColor& colour);

// The face with its effects; neither a height nor a size is 8 points.
QFont ToQFont(const TFont& font);
TFont FromQFont(const QFont& font);

}  // namespace zelvo::platform::toolkit
