#include "platform/CoreApplication.h"

#include "platform/Dialogs.h"
#include "platform/MessageLoop.h"
#include "platform/win32/ToolkitApplication.h"
#include "platform/win32/Win32.h"

namespace zelvo::platform {
namespace {

CoreApplication* instance = nullptr;
std::string title;
std::function<void(const std::string&)> titleListener;

}  // namespace

CoreApplication::CoreApplication(int&, char**) : CoreApplication(std::make_unique<Toolkit>()) {}

CoreApplication::CoreApplication(std::unique_ptr<Toolkit> toolkit) : toolkit_(std::move(toolkit)) {
    instance = this;
}

CoreApplication::~CoreApplication() {
    titleListener = nullptr;
    instance = nullptr;
}

int CoreApplication::Run() {
    if (terminated_)
        return 0;
    // The flag, not the quit message, ends the loop: a nested pump may
    // have taken the message on its way out.
    while (!terminated_)
        WaitMessage();
    return toolkit_->exitCode;
}

void CoreApplication::Terminate(int code) {
    terminated_ = true;
    toolkit_->exitCode = code;
    ::PostQuitMessage(code);
}

bool CoreApplication::Terminated() const {
    return terminated_;
}

CoreApplication* CoreApplication::Instance() {
    return instance;
}

void CoreApplication::OnTitleChanged(std::function<void(const std::string&)> listener) {
    titleListener = std::move(listener);
}

void SetApplicationTitle(const std::string& newTitle) {
    if (newTitle == title)
        return;
    title = newTitle;
    if (titleListener)
        titleListener(title);
}

const std::string& ApplicationTitle() {
    return title;
}

}  // namespace zelvo::platform
