#pragma once
// The process's application object: brings up the toolkit, runs the message
// loop and holds the application title (what a taskbar shows for the strip).
#include <functional>
#include <memory>
#include <string>

namespace zelvo::platform {

// Runs before the toolkit starts (Application's constructor calls it): with
// an X display at hand and no window system named by the user, the X one.
void ChooseWindowSystem();

class Application {
public:
    // Takes the process's arguments only to hand them to the toolkit; the
    // program itself reads none.
    Application(int& argc, char** argv);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the message loop until Terminate; returns the exit code.
    int Run();
    void Terminate(int code = 0);
    bool Terminated() const;

    static Application* Instance();

    // Called whenever the title changes, so the strip window can carry it.
    void OnTitleChanged(std::function<void(const std::string&)> listener);

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zelvo::platform
