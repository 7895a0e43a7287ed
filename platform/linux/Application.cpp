#include "platform/Application.h"

#include <QApplication>
#include <cstdlib>

#include "platform/Dialogs.h"
#include "platform/MessageLoop.h"

namespace zelvo::platform {
namespace {

// Toolkit events are handlers run from the loop too: the same catch applies.
class GuardedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            HandleException(std::current_exception());
            return true;
        }
    }
};

Application* instance = nullptr;
std::string title;
std::function<void(const std::string&)> titleListener;

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

class Application::Impl {
public:
    Impl(int& argc, char** argv) : app((ChooseWindowSystem(), argc), argv) {}
    GuardedApplication app;
    bool terminated = false;
};

Application::Application(int& argc, char** argv) : impl_(std::make_unique<Impl>(argc, argv)) {
    instance = this;
    // Closing the last form does not end the program; only Terminate does.
    QApplication::setQuitOnLastWindowClosed(false);
}

Application::~Application() {
    titleListener = nullptr;
    instance = nullptr;
}

int Application::Run() {
    if (impl_->terminated)
        return 0;
    return QApplication::exec();
}

void Application::Terminate(int code) {
    impl_->terminated = true;
    QApplication::exit(code);
}

bool Application::Terminated() const {
    return impl_->terminated;
}

Application* Application::Instance() {
    return instance;
}

void Application::OnTitleChanged(std::function<void(const std::string&)> listener) {
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
