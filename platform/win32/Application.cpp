#include "platform/Application.h"

#include "platform/SessionEnd.h"
#include "platform/common/DialogFallback.h"
#include "platform/win32/LastingBoxes.h"
#include "platform/win32/SystemDialogs.h"
#include "platform/win32/ToolkitApplication.h"
#include "platform/win32/Win32.h"

// After the system's main header, which it needs.
#include <objbase.h>

namespace zelvo::platform {
namespace {

Application* instance = nullptr;

}  // namespace

// Windows has one window system.
void ChooseWindowSystem() {}

Application::Application(int&, char**) : CoreApplication(std::make_unique<Toolkit>()) {
    instance = this;
    // The shell's launching and the common dialogs expect a single-threaded
    // apartment on the thread that shows windows.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    WatchSessionEnd();
    // Message boxes are the system's from now on, unless a service is installed.
    SetFallbackDialogService(&win32::SystemDialogs());
}

Application::~Application() {
    // A box still open would outlive the program it speaks for.
    win32::CloseBoxes();
    SetFallbackDialogService(nullptr);
    ::CoUninitialize();
    instance = nullptr;
}

Application* Application::Instance() {
    return instance;
}

}  // namespace zelvo::platform
