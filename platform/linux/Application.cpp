#include "platform/Application.h"

#include <QApplication>
#include <cstdlib>

#include "platform/linux/ToolkitApplication.h"
#include "platform/linux/ToolkitDialogs.h"

namespace zelvo::platform {
namespace {

Application* instance = nullptr;

}  // namespace

void ChooseWindowSystem() {
    // The strip places and stacks itself, which the desktop grants only to
    // X clients: under a Wayland session the program runs as one through
    // the session's X server. A user's own choice stands.
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    const char* display = std::getenv("DISPLAY");
    if ((chosen == nullptr || chosen[0] == '\0') && display != nullptr && display[0] != '\0')
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
}

Application::Application(int& argc, char** argv)
    : CoreApplication(
          std::make_unique<Toolkit>(Toolkit{std::make_unique<GuardedApplication<QApplication>>(
              (ChooseWindowSystem(), argc), argv)})) {
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
