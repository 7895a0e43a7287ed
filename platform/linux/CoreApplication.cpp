#include "platform/CoreApplication.h"

#include "platform/Dialogs.h"
#include "platform/linux/ToolkitApplication.h"

namespace zelvo::platform {
namespace {

CoreApplication* instance = nullptr;
std::string title;
std::function<void(const std::string&)> titleListener;

}  // namespace

CoreApplication::CoreApplication(int& argc, char** argv)
    : CoreApplication(std::make_unique<Toolkit>(
          Toolkit{std::make_unique<GuardedApplication<QCoreApplication>>(argc, argv)})) {}

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
    return QCoreApplication::exec();
}

void CoreApplication::Terminate(int code) {
    terminated_ = true;
    QCoreApplication::exit(code);
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
