#pragma once
// The process's event loop without any display: what a program that only
// fetches and converts needs (timers, sockets, name lookups, posted
// messages). The ticker itself runs the windowed Application built on it.
#include <functional>
#include <memory>
#include <string>

namespace zelvo::platform {

class CoreApplication {
public:
    // Takes the process's arguments only to hand them to the toolkit; the
    // program itself reads none.
    CoreApplication(int& argc, char** argv);
    virtual ~CoreApplication();
    CoreApplication(const CoreApplication&) = delete;
    CoreApplication& operator=(const CoreApplication&) = delete;

    // Runs the message loop until Terminate; returns the exit code.
    int Run();
    void Terminate(int code = 0);
    bool Terminated() const;

    static CoreApplication* Instance();

    // Called whenever the application title changes, so a window can carry it.
    void OnTitleChanged(std::function<void(const std::string&)> listener);

protected:
    // The toolkit's own application object, which a windowed program
    // replaces with one that also brings up the display.
    struct Toolkit;
    explicit CoreApplication(std::unique_ptr<Toolkit> toolkit);

private:
    std::unique_ptr<Toolkit> toolkit_;
    bool terminated_ = false;
};

}  // namespace zelvo::platform
