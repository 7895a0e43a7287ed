#include "platform/Application.h"

#include <QApplication>

#include "platform/linux/ToolkitApplication.h"
#include "platform/linux/ToolkitDialogs.h"

namespace zelvo::platform {
namespace {

Application* instance = nullptr;

}  // namespace

Application::Application(int& argc, char** argv)
    : CoreApplication(std::make_unique<Toolkit>(
          Toolkit{std::make_unique<GuardedApplication<QApplication>>(argc, argv)})) {
    instance = this;
    // Message boxes are the toolkit's own from now on, unless a service is installed.
    UseToolkitDialogs(true);
    // Closing the last form does not end the program; only Terminate does.
    QApplication::setQuitOnLastWindowClosed(false);
}

Application::~Application() {
    UseToolkitDialogs(false);
    instance = nullptr;
}

Application* Application::Instance() {
    return instance;
}

}  // namespace zelvo::platform
