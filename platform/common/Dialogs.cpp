#include "platform/Dialogs.h"

#include <cstdio>

#include "platform/Cp1252.h"
#include "platform/common/DialogFallback.h"

namespace zelvo::platform {
namespace {

// Nobody is there to answer: the text goes where a console user sees it and
// a question is answered No, which never starts anything.
class ConsoleDialogs : public DialogService {
public:
    int MessageBox(const std::string& text, const std::string& caption, UINT flags) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return (flags & 0x0F) == MB_YESNO ? IDNO : IDOK;
    }
    void MessageBeep(UINT) override {}
};

ConsoleDialogs console;
DialogService* fallback = &console;
DialogService* current = nullptr;

}  // namespace

void SetFallbackDialogService(DialogService* service) {
    fallback = service != nullptr ? service : &console;
}

DialogService& Dialogs() {
    return current != nullptr ? *current : *fallback;
}

DialogService* SetDialogService(DialogService* service) {
    DialogService* previous = current;
    current = service;
    return previous;
}

void DialogService::ShowLasting(const std::string&, const std::string& text,
                                const std::string& caption, UINT flags) {
    MessageBox(text, caption, flags);
}

void ShowLastingWarning(const std::string& name, const std::string& text) {
    Dialogs().ShowLasting(name, text, "Warning", MB_OK | MB_ICONWARNING);
}

void ShowWarning(const std::string& text) {
    MessageBox(text, "Warning", MB_OK | MB_ICONWARNING);
}

void ShowInformation(const std::string& text, const std::string& caption) {
    MessageBox(text, caption, MB_OK | MB_ICONINFORMATION);
}

void ShowErrorBox(const std::string& message) {
    // The title is UTF-8 (it mirrors the strip); box texts are Windows-1252.
    MessageBox(message, Utf8ToCp1252(ApplicationTitle()), MB_OK | MB_ICONERROR);
}

}  // namespace zelvo::platform
