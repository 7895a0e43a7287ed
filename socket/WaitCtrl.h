#pragma once
// The wait indicator that the socket's blocking operations show while they
// wait: a caption holding the seconds left, counting down once a second
// while it runs and stopping by itself when it reaches zero. The socket stops
// it earlier when what it waits for has happened. It is the indicator's
// state only, so that the socket needs no display; a form that shows it
// follows OnChange.
#include <functional>
#include <memory>
#include <string>

#include "platform/WindowTimer.h"

namespace zelvo::socket {

class TWaitCtrl {
public:
    TWaitCtrl();
    ~TWaitCtrl();
    TWaitCtrl(const TWaitCtrl&) = delete;
    TWaitCtrl& operator=(const TWaitCtrl&) = delete;

    // Windows-1252 text; a decimal number is the seconds still to wait.
    std::string Caption() const;
    void SetCaption(const std::string& caption);

    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Visible() const { return visible_; }

    // Fired after the caption or the visibility changed.
    std::function<void()> OnChange;

    // Starts the countdown from the caption's seconds. A caption that is not
    // a number runs until Stop; one of zero or less stops at once.
    void Start();
    void Stop();
    bool Running() const { return running_; }
    // Starts unless running, then handles messages until stopped. Returns
    // even if the control is destroyed meanwhile.
    void Run();

    // Refers to the control for as long as it lives: empty once it is gone.
    std::weak_ptr<TWaitCtrl*> Token() const { return token_; }

private:
    void Tick();
    void SetVisible(bool visible);

    std::string caption_;
    bool visible_ = false;
    bool running_ = false;
    long remaining_ = 0;
    bool counting_ = false;
    platform::WindowTimer second_;
    std::shared_ptr<TWaitCtrl*> token_;
};

}  // namespace zelvo::socket
