#include "platform/win32/SystemDialogs.h"

#include <string>

#include "platform/Cp1252.h"
#include "platform/win32/LastingBoxes.h"
#include "platform/win32/Win32.h"

namespace zelvo::platform::win32 {
namespace {

std::wstring Wide(const std::string& cp1252) {
    std::u16string u = Cp1252ToUtf16(cp1252);
    return std::wstring(u.begin(), u.end());
}

class Boxes : public DialogService {
public:
    int MessageBox(const std::string& text, const std::string& caption, UINT flags) override {
        // Owned by the active window of this thread, so that it stays in front.
        const int answer = ::MessageBoxW(::GetActiveWindow(), Wide(text).c_str(),
                                         Wide(caption).c_str(), flags | MB_SETFOREGROUND);
        if (answer == IDYES || answer == IDNO)
            return answer;
        return (flags & 0x0F) == MB_YESNO ? IDNO : IDOK;
    }
    void MessageBeep(UINT type) override { ::MessageBeep(type); }
    void ShowLasting(const std::string& name, const std::string& text, const std::string& caption,
                     UINT flags) override {
        ShowLastingBox(name, text, caption, flags);
    }
};

}  // namespace

DialogService& SystemDialogs() {
    static Boxes boxes;
    return boxes;
}

}  // namespace zelvo::platform::win32
