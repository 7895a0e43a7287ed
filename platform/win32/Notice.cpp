#include "platform/Notice.h"

#include <thread>

#include "platform/Cp1252.h"
#include "platform/win32/Win32.h"

namespace zelvo::platform {

// The system's message box waits for its button; on a thread of its own it
// keeps the caller and the loop going. It owns no window of the program's,
// so closing the program's windows leaves it be, as a notice should.
void ShowNotice(const std::string& text, const std::string& caption) {
    const std::u16string body = Cp1252ToUtf16(text);
    const std::u16string title = Cp1252ToUtf16(caption);
    std::thread([body = std::wstring(body.begin(), body.end()),
                 title = std::wstring(title.begin(), title.end())] {
        ::MessageBoxW(nullptr, body.c_str(), title.c_str(),
                      MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
    }).detach();
}

}  // namespace zelvo::platform
