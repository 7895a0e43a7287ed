#include "platform/Application.h"

#include <QApplication>

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

class Application::Impl {
public:
    Impl(int& argc, char** argv) : app(argc, argv) {}
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
