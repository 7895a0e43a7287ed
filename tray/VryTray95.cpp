#include "tray/VryTray95.h"

#include <cstdlib>
#include <cstring>

#include "platform/AppWindow.h"
#include "platform/Input.h"
#include "platform/SessionEnd.h"

namespace zelvo::tray {

using namespace platform;

int DoubleClickWait = 400;

namespace {

constexpr TVryTimerInterval kPollInterval = 70;
// How far the pointer may stray from where the shell last saw it and still
// count as resting on the icon.
constexpr int kHoverSlack = 2;
constexpr size_t kTipLength = 63;

// Unit-wide, shared by all tray icons.
int lockCount = 0;
bool stateChangeGuard = false;

}  // namespace

TShiftState CurrentShiftState() {
    TShiftState shift = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        shift |= ssShift;
    if (GetKeyState(VK_MENU) < 0)
        shift |= ssAlt;
    if (GetKeyState(VK_CONTROL) < 0)
        shift |= ssCtrl;
    if (GetKeyState(VK_LBUTTON) < 0)
        shift |= ssLeft;
    if (GetKeyState(VK_RBUTTON) < 0)
        shift |= ssRight;
    if (GetKeyState(VK_MBUTTON) < 0)
        shift |= ssMiddle;
    return shift;
}

// ---------------------------------------------------------------------------

TVryTrayIconMsgWindow::TVryTrayIconMsgWindow(TVryTrayIcon95& trayIcon, TVryTimerManager& timers)
    : trayIcon_(trayIcon),
      clickItem_(timers.AddItem(false, DoubleClickWait,
                                [this](TVryTimerItem* sender) { FireClick(sender); })),
      pollItem_(timers.AddItem(false, kPollInterval,
                               [this](TVryTimerItem* sender) { PollPointer(sender); })) {}

LRESULT TVryTrayIconMsgWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_QUERYENDSESSION:
            return 1;
        case WM_ENDSESSION:
            if (wParam != 0)
                trayIcon_.Deactivate();
            return 0;
        case WM_TRAYNOTIFY:
            TrayCallback(lParam);
            return 0;
        case WM_DEFERREDCALL:
            trayIcon_.RunDeferredCall();
            return 0;
        default:
            return 0;
    }
}

void TVryTrayIconMsgWindow::TrayCallback(LPARAM mouseMessage) {
    switch (static_cast<UINT>(mouseMessage)) {
        case WM_MOUSEMOVE: {
            TPoint pos;
            if (GetCursorPos(pos))
                lastPos_ = pos;
            if (trayIcon_.OnMouseEnter || trayIcon_.OnMouseExit) {
                if (!inside_) {
                    PointerEntered(lastPos_);
                    return;
                }
            } else {
                inside_ = true;
            }
            if (trayIcon_.OnMouseMove && !clickItem_.Enabled() && inside_)
                trayIcon_.TriggerMouseMove(this, CurrentShiftState(), lastPos_.x, lastPos_.y);
            return;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            UINT m = static_cast<UINT>(mouseMessage);
            lastButton_ = m == WM_LBUTTONDOWN ? 0 : m == WM_RBUTTONDOWN ? 1 : 2;
            doubleClick_ = false;
            if (lastButton_ == 1 && trayIcon_.AutoPopup() && trayIcon_.PopupMenu())
                trayIcon_.ShowPopupMenu();
            else if (trayIcon_.OnDblClick)
                ArmClickTimer();
            else
                trayIcon_.PostDeferredCall([this] { FireClick(&trayIcon_); });
            return;
        }
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            doubleClick_ = true;
            FireClick(&trayIcon_);
            return;
        default:
            return;
    }
}

void TVryTrayIconMsgWindow::ArmClickTimer() {
    doubleClick_ = false;
    clickItem_.SetInterval(DoubleClickWait);
    clickItem_.SetEnabled(true);
}

void TVryTrayIconMsgWindow::FireClick(TVryObject*) {
    clickItem_.SetEnabled(false);
    if (doubleClick_)
        trayIcon_.TriggerDblClick();
    else
        trayIcon_.TriggerClick();
}

void TVryTrayIconMsgWindow::PointerEntered(TPoint pos) {
    inside_ = true;
    pollItem_.SetEnabled(true);
    trayIcon_.TriggerMouseEnter(CurrentShiftState(), pos.x, pos.y);
}

void TVryTrayIconMsgWindow::PollPointer(TVryObject*) {
    try {
        TPoint pos;
        if (!GetCursorPos(pos))
            return;
        if (std::abs(pos.x - lastPos_.x) <= kHoverSlack &&
            std::abs(pos.y - lastPos_.y) <= kHoverSlack)
            return;
        PointerLeft();
    } catch (...) {
        // A failed poll must not stop the tray icon; the next poll tries again.
    }
}

void TVryTrayIconMsgWindow::PointerLeft() {
    inside_ = false;
    trayIcon_.TriggerMouseExit(CurrentShiftState(), lastPos_.x, lastPos_.y);
    pollItem_.SetEnabled(false);
}

// ---------------------------------------------------------------------------

TVryTrayIcon95::TVryTrayIcon95(TVryTrayOwner* owner) : owner_(owner) {
    if (owner == nullptr || !owner->IsForm())
        throw EInvalidOperation("TrayIcons must be owned by a Form !");
    timers_ = std::make_unique<TVryTimerManager>();
    timers_->SetEnabled(true);
    msgWindow_ = std::make_unique<TVryTrayIconMsgWindow>(*this, *timers_);
    window_ = std::make_unique<MessageWindow>([this](UINT msg, WPARAM wParam, LPARAM lParam) {
        return msgWindow_->WndProc(msg, wParam, lParam);
    });
    RegisterSessionWindow(window_->Handle());
    BuildTip();
    animation_ = std::make_unique<TVryTrayIconAnimation>(*this, *timers_);
    previousMinimize_ = SetOnApplicationMinimize([this] { ApplicationMinimized(); });
    previousRestore_ = SetOnApplicationRestore([this] { ApplicationRestored(); });
}

TVryTrayIcon95::~TVryTrayIcon95() {
    SetOnApplicationMinimize(std::move(previousMinimize_));
    SetOnApplicationRestore(std::move(previousRestore_));
    UnregisterSessionWindow(window_->Handle());
    // The icon goes first, while the animation's frame item still exists:
    // deactivating an animated icon stops its frame clock.
    Deactivate();
    timers_->SetEnabled(false);
    window_.reset();
    animation_.reset();
    msgWindow_.reset();
    timers_.reset();
}

void TVryTrayIcon95::Loaded() {
    loading_ = false;
    if (active_) {
        active_ = false;
        Activate();
    }
}

void TVryTrayIcon95::SetActive(bool value) {
    if (value)
        Activate();
    else
        Deactivate();
}

void TVryTrayIcon95::Activate() {
    if (active_)
        return;
    RefreshIcon();
    active_ = true;
    flags_ = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    NotifyShell(NIM_ADD);
    if (state_ == tsAnimated)
        animation_->StartAnimation();
}

void TVryTrayIcon95::Deactivate() {
    if (!active_)
        return;
    active_ = false;
    if (state_ == tsAnimated)
        animation_->StopAnimation();
    NotifyShell(NIM_DELETE);
}

void TVryTrayIcon95::SetDisabledIcon(HICON value) {
    disabledIcon_ = std::move(value);
    RefreshIcon();
}

void TVryTrayIcon95::SetIcon(HICON value) {
    icon_ = std::move(value);
    RefreshIcon();
}

void TVryTrayIcon95::SetHint(const std::string& value) {
    if (value == hint_)
        return;
    hint_ = value;
    if (showHint_)
        SetShowHint(true);
}

void TVryTrayIcon95::SetShowHint(bool value) {
    showHint_ = value;
    BuildTip();
    if (active_)
        NotifyShell(NIM_MODIFY);
}

void TVryTrayIcon95::BuildTip() {
    std::memset(tip_, 0, sizeof tip_);
    if (showHint_)
        hint_.copy(tip_, kTipLength);
}

void TVryTrayIcon95::SetState(TVryTrayIconState value) {
    if (stateChangeGuard) {
        stateChangeGuard = false;
        throw EInvalidOperation(
            "You cannot modify the state property in the OnStateChanging event !!!");
    }
    if (!active_ || loading_) {
        state_ = value;
        return;
    }
    if (value == state_)
        return;
    stateChangeGuard = true;
    try {
        TriggerStateChanging(value);
    } catch (...) {
        // A handler that fails must not leave every later write refused.
        stateChangeGuard = false;
        throw;
    }
    stateChangeGuard = false;
    if (value == state_)
        return;
    if (state_ == tsAnimated)
        animation_->StopAnimation();
    state_ = value;
    RefreshIcon();
    if (state_ == tsAnimated)
        animation_->StartAnimation();
}

void TVryTrayIcon95::TriggerClick() {
    if (auto handler = OnClick)
        handler(this);
}

void TVryTrayIcon95::TriggerDblClick() {
    if (auto handler = OnDblClick)
        handler(this);
}

void TVryTrayIcon95::TriggerMouseMove(TVryObject* sender, TShiftState shift, int x, int y) {
    if (auto handler = OnMouseMove)
        handler(sender, shift, x, y);
}

void TVryTrayIcon95::TriggerMouseEnter(TShiftState shift, int x, int y) {
    if (auto handler = OnMouseEnter)
        handler(this, shift, x, y);
}

void TVryTrayIcon95::TriggerMouseExit(TShiftState shift, int x, int y) {
    if (auto handler = OnMouseExit)
        handler(this, shift, x, y);
}

void TVryTrayIcon95::TriggerStateChanging(TVryTrayIconState& newState) {
    if (auto handler = OnStateChanging)
        handler(this, newState);
}

void TVryTrayIcon95::TriggerAnimation() {
    if (auto handler = OnAnimation)
        handler(this);
}

void TVryTrayIcon95::TriggerAppMinimize() {
    if (auto handler = OnAppMinimize)
        handler(this);
}

void TVryTrayIcon95::TriggerAppRestore() {
    if (auto handler = OnAppRestore)
        handler(this);
}

void TVryTrayIcon95::SetPopupMenu(const std::shared_ptr<platform::PopupMenu>& value) {
    popupMenu_ = value;
    // Hosts that draw the menu themselves offer this one on the icon.
    SetNotifyIconMenu(Handle(), kTrayIconId, std::weak_ptr<const platform::PopupMenu>(value));
}

void TVryTrayIcon95::ShowPopupMenu() {
    std::shared_ptr<platform::PopupMenu> menu = popupMenu_.lock();
    if (!menu)
        return;
    SetForegroundWindow(ApplicationWindow());
    ProcessMessages();
    menu->Popup(msgWindow_->LastPos());
    PostMessage(ApplicationWindow(), WM_USER, 0, 0);
}

HWND TVryTrayIcon95::Handle() const {
    return window_->Handle();
}

void TVryTrayIcon95::NotifyShell(DWORD message) {
    if (loading_)
        return;
    NotifyIconData data;
    data.hWnd = window_->Handle();
    data.uID = kTrayIconId;
    data.uFlags = flags_;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    data.hIcon = displayed_;
    std::memcpy(data.szTip, tip_, sizeof data.szTip);
    Shell_NotifyIcon(message, data);
}

void TVryTrayIcon95::Modify() {
    flags_ = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    NotifyShell(NIM_MODIFY);
}

void TVryTrayIcon95::RefreshIcon() {
    switch (state_) {
        case tsEnabled:
            displayed_ = icon_;
            break;
        case tsDisabled:
            displayed_ = disabledIcon_;
            break;
        case tsAnimated:
            animation_->LoadAnimationFrame(animation_->FrameCounter(), displayed_);
            break;
    }
    if (active_)
        Modify();
}

void TVryTrayIcon95::PostDeferredCall(std::function<void()> call) {
    deferred_ = std::move(call);
    PostMessage(window_->Handle(), WM_DEFERREDCALL, 0, 0);
}

void TVryTrayIcon95::RunDeferredCall() {
    if (!deferred_)
        return;
    std::function<void()> call = std::move(deferred_);
    deferred_ = nullptr;
    try {
        call();
    } catch (...) {
        // The deferred call's failure is its own; the tray icon carries on.
    }
}

void TVryTrayIcon95::ApplicationMinimized() {
    if (active_ && (options_ & toMinimizeToTray) != 0)
        PostDeferredCall([this] { MinimizeApplication(); });
    TriggerAppMinimize();
}

void TVryTrayIcon95::ApplicationRestored() {
    if (active_)
        PostDeferredCall([this] { RestoreApplication(); });
    TriggerAppRestore();
}

// Holds screen updates back for one scope, also when it is left by an error.
class TVryTrayIcon95::ScreenLock {
public:
    explicit ScreenLock(TVryTrayIcon95& icon) : icon_(icon) { icon_.LockScreenUpdates(true); }
    ~ScreenLock() { icon_.LockScreenUpdates(false); }
    ScreenLock(const ScreenLock&) = delete;
    ScreenLock& operator=(const ScreenLock&) = delete;

private:
    TVryTrayIcon95& icon_;
};

void TVryTrayIcon95::MinimizeApplication() {
    ScreenLock lock(*this);
    platform::MinimizeApplication();
    ShowWindow(ApplicationWindow(), SW_HIDE);
}

void TVryTrayIcon95::RestoreApplication() {
    ScreenLock lock(*this);
    if (IsIconic(ApplicationWindow()))
        platform::RestoreApplication();
    if (!owner_->FormVisible())
        owner_->ShowForm();
    ShowWindow(ApplicationWindow(), SW_RESTORE);
    SetForegroundWindow(ApplicationWindow());
}

void TVryTrayIcon95::LockScreenUpdates(bool on) {
    lockCount += on ? 1 : -1;
    if (on && lockCount == 1)
        LockWindowUpdate(GetDesktopWindow());
    else if (!on && lockCount == 0)
        LockWindowUpdate(0);
}

int TVryTrayIcon95::ScreenLockCount() {
    return lockCount;
}

}  // namespace zelvo::tray
