#pragma once
// Our own connection to the X server, separate from the toolkit's, for the
// few things the toolkit does not expose: docking into the system tray and
// reading the pointer and modifier state. Events are read from the message
// loop through a socket notifier and handed to the listeners.
#include <functional>
#include <memory>

struct _XDisplay;
union _XEvent;

namespace zelvo::platform::x11 {

class Connection {
public:
    // Opens the named display (nullptr: $DISPLAY); check Valid().
    explicit Connection(const char* displayName);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool Valid() const { return display_ != nullptr; }
    _XDisplay* Display() const { return display_; }
    int Screen() const;

    using Listener = std::function<void(const _XEvent& event)>;
    int AddListener(Listener listener);
    void RemoveListener(int id);

    // Sends queued requests; events that round trips have already read are
    // handled from the loop shortly after.
    void Flush();
    void ReadEvents();

private:
    class Impl;
    _XDisplay* display_ = nullptr;
    std::unique_ptr<Impl> impl_;
};

// The connection to $DISPLAY, opened on first use; nullptr without one.
Connection* Shared();

}  // namespace zelvo::platform::x11
