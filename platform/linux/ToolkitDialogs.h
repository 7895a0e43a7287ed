#pragma once
// The toolkit's message boxes and beep as the fallback dialog service.

namespace zelvo::platform {

// On: the toolkit's boxes answer when no service is installed. Off: back to
// standard error.
void UseToolkitDialogs(bool on);

}  // namespace zelvo::platform
