#include "platform/MessageLoop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <chrono>
#include <deque>
#include <unordered_map>

namespace zelvo::platform {
namespace {

struct Message {
    HWND wnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// The posted-message queue. The toolkit is woken with one event whenever the
// queue goes from empty to non-empty; that event drains the queue.
class Dispatcher : public QObject {
public:
    static Dispatcher& Get() {
        static Dispatcher* instance = new Dispatcher;  // lives as long as the process
        return *instance;
    }

    HWND Register(MessageWindow::WndProc* proc) {
        HWND h = nextHandle_;
        nextHandle_ += 4;
        windows_[h] = proc;
        return h;
    }
    void Unregister(HWND h) { windows_.erase(h); }
    bool Exists(HWND h) const { return windows_.count(h) != 0; }

    bool Post(const Message& m) {
        if (!Exists(m.wnd))
            return false;
        queue_.push_back(m);
        Wake();
        return true;
    }

    LRESULT Send(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
        auto it = windows_.find(wnd);
        if (it == windows_.end())
            return 0;
        // Copy: the procedure may destroy its own window.
        MessageWindow::WndProc proc = *it->second;
        return proc(msg, w, l);
    }

    // One message at a time, re-checking the window each time: a procedure
    // may destroy windows that still have messages queued.
    bool DispatchOne() {
        if (queue_.empty())
            return false;
        Message m = queue_.front();
        queue_.pop_front();
        auto it = windows_.find(m.wnd);
        if (it == windows_.end())
            return true;
        MessageWindow::WndProc proc = *it->second;
        Guarded([&] { proc(m.msg, m.wParam, m.lParam); });
        return true;
    }

    void DrainPosted() {
        while (DispatchOne()) {
        }
    }

    bool Pending() const { return !queue_.empty(); }

protected:
    bool event(QEvent* e) override {
        if (e->type() == kWakeEvent) {
            wakePosted_ = false;
            DrainPosted();
            return true;
        }
        return QObject::event(e);
    }

private:
    static constexpr QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::User + 1);

    void Wake() {
        if (wakePosted_ || QCoreApplication::instance() == nullptr)
            return;
        wakePosted_ = true;
        QCoreApplication::postEvent(this, new QEvent(kWakeEvent));
    }

    std::unordered_map<HWND, MessageWindow::WndProc*> windows_;
    std::deque<Message> queue_;
    HWND nextHandle_ = 0x1000;
    bool wakePosted_ = false;
};

}  // namespace

MessageWindow::MessageWindow(WndProc proc)
    : proc_(std::make_unique<WndProc>(std::move(proc))),
      handle_(Dispatcher::Get().Register(proc_.get())) {}

MessageWindow::~MessageWindow() {
    Dispatcher::Get().Unregister(handle_);
}

bool PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Dispatcher::Get().Post({wnd, msg, wParam, lParam});
}

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Dispatcher::Get().Send(wnd, msg, wParam, lParam);
}

bool IsWindow(HWND wnd) {
    return Dispatcher::Get().Exists(wnd);
}

void ProcessMessages() {
    auto& d = Dispatcher::Get();
    do {
        d.DrainPosted();
        if (QCoreApplication::instance() != nullptr)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
    } while (d.Pending());
}

void PumpPostedMessages() {
    Dispatcher::Get().DrainPosted();
}

void WaitMessage() {
    auto& d = Dispatcher::Get();
    if (d.Pending()) {
        d.DrainPosted();
        return;
    }
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
}

DWORD GetTickCount() {
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<DWORD>(ms);
}

}  // namespace zelvo::platform
