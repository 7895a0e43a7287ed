#include "platform/Notice.h"

#include "platform/Dialogs.h"
#include "platform/win32/LastingBoxes.h"

namespace zelvo::platform {

// A window of our own that waits for nobody, so the caller and the loop go
// on. It has no owner, so closing the program's windows leaves it be.
void ShowNotice(const std::string& text, const std::string& caption) {
    win32::ShowLooseBox(text, caption, MB_OK | MB_ICONINFORMATION);
}

}  // namespace zelvo::platform
