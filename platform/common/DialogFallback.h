#pragma once
// The service Dialogs() answers with when none is installed. Without a
// display, boxes go to standard error; the windowed application puts the
// toolkit's boxes here for as long as it runs.
#include "platform/Dialogs.h"

namespace zelvo::platform {

void SetFallbackDialogService(DialogService* service);

}  // namespace zelvo::platform
