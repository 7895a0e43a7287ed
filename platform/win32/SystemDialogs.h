#pragma once
// The system's own message boxes, which the windowed application installs as
// the fallback service (SetFallbackDialogService) for as long as it runs; a
// program without a display keeps the boxes on standard error. Lasting
// boxes are windows of our own (LastingBoxes.h).
#include "platform/Dialogs.h"

namespace zelvo::platform::win32 {

DialogService& SystemDialogs();

}  // namespace zelvo::platform::win32
