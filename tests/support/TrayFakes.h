#pragma once
// Stand-ins for the desktop during tray tests: a notification area that
// records every request, a pointer and keyboard the test moves and presses,
// a menu tracker that records where menus open, and a clock for the tray's
// timer manager that only moves when the test says so.
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Input.h"
#include "platform/MessageLoop.h"
#include "platform/PopupMenu.h"
#include "platform/TrayNotify.h"
#include "tray/VryTray95.h"

namespace zelvo::testing {

struct ShellCall {
    platform::DWORD message;
    platform::NotifyIconData data;
    std::string Tip() const { return data.szTip; }
};

class FakeNotificationArea : public platform::NotificationArea {
public:
    FakeNotificationArea() : previous_(platform::SetNotificationArea(this)) {}
    ~FakeNotificationArea() override { platform::SetNotificationArea(previous_); }
    FakeNotificationArea(const FakeNotificationArea&) = delete;
    FakeNotificationArea& operator=(const FakeNotificationArea&) = delete;

    bool Notify(platform::DWORD message, const platform::NotifyIconData& data) override {
        calls.push_back({message, data});
        return true;
    }
    size_t Count(platform::DWORD message) const {
        size_t n = 0;
        for (auto& c : calls)
            n += c.message == message ? 1 : 0;
        return n;
    }
    const ShellCall& Last() const { return calls.back(); }
    void SetMenu(platform::HWND, platform::UINT,
                 std::weak_ptr<const platform::PopupMenu> m) override {
        menu = std::move(m);
    }
    bool Missing() const override { return missing; }

    std::vector<ShellCall> calls;
    std::weak_ptr<const platform::PopupMenu> menu;
    bool missing = false;

private:
    platform::NotificationArea* previous_;
};

class FakeInput : public platform::InputService {
public:
    FakeInput() : previous_(platform::SetInputService(this)) {}
    ~FakeInput() override { platform::SetInputService(previous_); }
    FakeInput(const FakeInput&) = delete;
    FakeInput& operator=(const FakeInput&) = delete;

    bool CursorPos(platform::TPoint& p) override {
        if (!readable)
            return false;
        p = pos;
        return true;
    }
    bool KeyDown(int vk) override {
        for (int k : down)
            if (k == vk)
                return true;
        return false;
    }

    platform::TPoint pos{500, 750};
    bool readable = true;
    std::vector<int> down;

private:
    platform::InputService* previous_;
};

class MenuRecorder {
public:
    MenuRecorder()
        : previous_(platform::PopupMenu::SetTracker(
              [this](const platform::PopupMenu& menu, platform::TPoint at) {
                  opened.push_back(at);
                  return choose < menu.Count() ? &menu.Item(choose) : nullptr;
              })) {}
    ~MenuRecorder() { platform::PopupMenu::SetTracker(std::move(previous_)); }
    MenuRecorder(const MenuRecorder&) = delete;
    MenuRecorder& operator=(const MenuRecorder&) = delete;

    std::vector<platform::TPoint> opened;
    size_t choose = static_cast<size_t>(-1);  // dismiss unless told

private:
    platform::PopupMenu::Tracker previous_;
};

// Drives a timer manager by hand: its real window timer may tick too, but
// with the clock held still those ticks find nothing due.
class ManualClock {
public:
    explicit ManualClock(tray::TVryTimerManager& timers) : timers_(timers) {
        timers_.SetClock([this] { return now; });
    }
    // Moves the clock on and ticks, as the window timer would at that moment.
    void Advance(platform::DWORD ms) {
        now += ms;
        timers_.Tick();
    }
    // Ticks every `step` ms until `total` ms have passed.
    void Run(platform::DWORD total, platform::DWORD step) {
        for (platform::DWORD t = 0; t < total; t += step)
            Advance(step);
    }

    platform::DWORD now = 100000;

private:
    tray::TVryTimerManager& timers_;
};

class FormOwner : public tray::TVryTrayOwner {
public:
    explicit FormOwner(bool form = true) : form_(form) {}
    bool IsForm() const override { return form_; }
    bool FormVisible() const override { return visible; }
    void ShowForm() override {
        if (failShow)
            throw std::runtime_error("cannot show");
        visible = true;
        ++shown;
    }
    bool visible = true;
    bool failShow = false;
    int shown = 0;

private:
    bool form_;
};

// A small icon file of the given colour.
inline void WriteIconFile(const std::string& path, char colour) {
    std::ofstream out(path);
    out << "/* XPM */\nstatic const char *icon[] = {\n\"2 2 1 1\",\n\"x c #"
        << std::string(6, colour) << "\",\n\"xx\",\n\"xx\"};\n";
}

}  // namespace zelvo::testing
