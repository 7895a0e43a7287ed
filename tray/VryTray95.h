#pragma once
// The notification-area icon of a form: puts one icon into the notification
// area, keeps it up to date, and turns the shell's mouse notifications into
// click, double-click, move, enter and exit events. It shows a pop-up menu,
// can show a disabled picture or an animation instead of its icon, and can
// hide the application in the tray when it is minimised.
#include <functional>
#include <memory>
#include <string>

#include "platform/AppWindow.h"
#include "platform/Icon.h"
#include "platform/MessageLoop.h"
#include "platform/PopupMenu.h"
#include "platform/TrayNotify.h"
#include "tray/VryObject.h"
#include "tray/VryTimerManager.h"
#include "tray/VryTrayIconAnimation.h"

namespace zelvo::tray {

enum TVryTrayIconState { tsEnabled = 0, tsDisabled = 1, tsAnimated = 2 };

enum TVryTrayIconOption : unsigned { toMinimizeToTray = 1u << 0 };
using TVryTrayIconOptions = unsigned;  // a set of TVryTrayIconOption

// A set of the modifier keys and buttons held at the moment of an event.
enum TShiftStateFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
};
using TShiftState = unsigned;
TShiftState CurrentShiftState();

using TNotifyEvent = std::function<void(TVryObject* sender)>;
using TMouseMoveEvent = std::function<void(TVryObject* sender, TShiftState shift, int x, int y)>;
using TVryTrayIconStateChangingEvent =
    std::function<void(TVryObject* sender, TVryTrayIconState& newState)>;

// The identifier of the icon within its window, and the message the shell
// sends the window for mouse activity over it.
constexpr platform::UINT kTrayIconId = 42;
constexpr platform::UINT WM_TRAYNOTIFY = platform::WM_USER + 100;
constexpr platform::UINT WM_DEFERREDCALL = platform::WM_USER + 101;

// The double-click wait, in milliseconds.
extern int DoubleClickWait;

// What a tray icon needs of the component that owns it: tray icons belong
// to forms.
class TVryTrayOwner {
public:
    virtual ~TVryTrayOwner() = default;
    virtual bool IsForm() const = 0;
    virtual bool FormVisible() const = 0;
    virtual void ShowForm() = 0;
};

class TVryTrayIcon95;

// The hidden window's message handling, and the click and hover timing.
class TVryTrayIconMsgWindow : public TVryObject {
public:
    TVryTrayIconMsgWindow(TVryTrayIcon95& trayIcon, TVryTimerManager& timers);

    platform::LRESULT WndProc(platform::UINT msg, platform::WPARAM wParam, platform::LPARAM lParam);
    void TrayCallback(platform::LPARAM mouseMessage);

    void ArmClickTimer();
    void FireClick(TVryObject* sender);
    void PointerEntered(platform::TPoint pos);
    void PollPointer(TVryObject* sender);
    void PointerLeft();

    bool Inside() const { return inside_; }
    bool DoubleClicked() const { return doubleClick_; }
    int LastButton() const { return lastButton_; }
    platform::TPoint LastPos() const { return lastPos_; }
    const TVryTimerItem& ClickItem() const { return clickItem_; }
    const TVryTimerItem& PollItem() const { return pollItem_; }

private:
    TVryTrayIcon95& trayIcon_;
    int lastButton_ = 0;  // 0 left, 1 right, 2 middle
    bool doubleClick_ = false;
    TVryTimerItem& clickItem_;
    TVryTimerItem& pollItem_;
    platform::TPoint lastPos_;
    bool inside_ = false;
};

class TVryTrayIcon95 : public TVryObject {
public:
    // Throws EInvalidOperation unless owner is a form.
    explicit TVryTrayIcon95(TVryTrayOwner* owner);
    ~TVryTrayIcon95() override;

    // While the owner reads its properties (between BeginLoading and Loaded)
    // the shell is not told anything; Loaded then shows the icon once, if
    // Active was set meanwhile.
    void BeginLoading() { loading_ = true; }
    void Loaded();
    bool Loading() const { return loading_; }

    bool Active() const { return active_; }
    void SetActive(bool value);
    TVryTrayIconAnimation& Animation() { return *animation_; }
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool value) { autoPopup_ = value; }
    const platform::HICON& DisabledIcon() const { return disabledIcon_; }
    void SetDisabledIcon(platform::HICON value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value);
    const platform::HICON& Icon() const { return icon_; }
    void SetIcon(platform::HICON value);
    TVryTrayIconOptions Options() const { return options_; }
    void SetOptions(TVryTrayIconOptions value) { options_ = value; }
    // Held weakly: when the menu goes away the reference is gone too.
    std::shared_ptr<platform::PopupMenu> PopupMenu() const { return popupMenu_.lock(); }
    void SetPopupMenu(const std::shared_ptr<platform::PopupMenu>& value);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    TVryTrayIconState State() const { return state_; }
    void SetState(TVryTrayIconState value);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseMoveEvent OnMouseMove;
    TMouseMoveEvent OnMouseEnter;
    TMouseMoveEvent OnMouseExit;
    TVryTrayIconStateChangingEvent OnStateChanging;
    TNotifyEvent OnAnimation;
    TNotifyEvent OnAppMinimize;
    TNotifyEvent OnAppRestore;

    virtual void TriggerClick();
    virtual void TriggerDblClick();
    virtual void TriggerMouseMove(TVryObject* sender, TShiftState shift, int x, int y);
    virtual void TriggerMouseEnter(TShiftState shift, int x, int y);
    virtual void TriggerMouseExit(TShiftState shift, int x, int y);
    virtual void TriggerStateChanging(TVryTrayIconState& newState);
    virtual void TriggerAnimation();
    virtual void TriggerAppMinimize();
    virtual void TriggerAppRestore();

    void ShowPopupMenu();
    void NotifyShell(platform::DWORD message);
    void Modify();
    void RefreshIcon();
    void PostDeferredCall(std::function<void()> call);

    void ApplicationMinimized();
    void ApplicationRestored();

    // The window the shell notifies, the tip as the shell gets it, and the
    // picture the shell shows.
    platform::HWND Handle() const;
    const char* Tip() const { return tip_; }
    const platform::HICON& DisplayedIcon() const { return displayed_; }
    platform::UINT Flags() const { return flags_; }
    TVryTrayIconMsgWindow& MsgWindow() { return *msgWindow_; }
    TVryTimerManager& Timers() { return *timers_; }
    // The unit-wide count of LockScreenUpdates(on) not yet undone.
    static int ScreenLockCount();

protected:
    virtual void RestoreApplication();
    virtual void MinimizeApplication();
    virtual void LockScreenUpdates(bool on);

private:
    friend class TVryTrayIconMsgWindow;
    class ScreenLock;
    void Activate();
    void Deactivate();
    void RunDeferredCall();
    void BuildTip();

    TVryTrayOwner* owner_;
    std::unique_ptr<TVryTimerManager> timers_;
    std::unique_ptr<TVryTrayIconMsgWindow> msgWindow_;
    std::unique_ptr<platform::MessageWindow> window_;
    platform::HICON displayed_;
    platform::UINT flags_ = 0;
    char tip_[64] = {};
    std::function<void()> deferred_;

    bool loading_ = false;
    bool active_ = false;
    std::unique_ptr<TVryTrayIconAnimation> animation_;
    bool autoPopup_ = false;
    platform::HICON disabledIcon_;
    std::string hint_;
    platform::HICON icon_;
    TVryTrayIconOptions options_ = toMinimizeToTray;
    std::weak_ptr<platform::PopupMenu> popupMenu_;
    bool showHint_ = true;
    TVryTrayIconState state_ = tsEnabled;

    // The application's notifications before ours, put back when we go.
    platform::ApplicationNotification previousMinimize_;
    platform::ApplicationNotification previousRestore_;
};

}  // namespace zelvo::tray
