#pragma once
// The ticker strip: the thin frameless window whose only visible content is
// the scrolling label, its timers, the program-wide state of the running
// copy, and the tray icon with its menu through which the user drives
// everything. The program entry wires it to the dialog and the retrieval
// cycle.
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/SmoothScroll.h"
#include "app/StartUp.h"
#include "app/TickerLabel.h"
#include "app/TickerScroller.h"
#include "config/ConfigHost.h"
#include "platform/MessageLoop.h"
#include "platform/Paths.h"
#include "platform/PopupMenu.h"
#include "platform/StripForm.h"
#include "platform/Types.h"
#include "platform/WindowTimer.h"
#include "tray/VryTray95.h"

namespace zelvo::config {
class TfrmConfig;
}

namespace zelvo::app {

class TfrmAbout;
class TRetrievalCycle;

// Reads "Border" before any window exists: it decides the strip's frame.
void UnitInitialization();

// Handles window messages until ms milliseconds have passed (at least once),
// waiting for them rather than spinning.
void PauseWithMessages(unsigned ms);

class TfrmMain : public platform::TStripForm,
                 public TTickerView,
                 public config::TConfigHost,
                 public tray::TVryTrayOwner {
public:
    struct TScreen {
        int Width = 0;
        int Height = 0;
        std::optional<platform::TRect> Taskbar;
        // Where the screen sits on the desktop: the strip's coordinates
        // count from here.
        platform::TPoint Origin{};
        // The desktop says which part its panels leave free (see Taskbar).
        bool WorkAreaPublished = false;
    };
    static TScreen CurrentScreen();

    explicit TfrmMain(TScreen screen = CurrentScreen());
    ~TfrmMain() override;

    // The start-up sequence; the entry runs it right after construction.
    void FormCreate();
    // The other two forms, created after this one, and the retrieval cycle
    // that the tray commands cancel.
    void SetForms(config::TfrmConfig* config, TfrmAbout* about);
    void SetRetrieval(TRetrievalCycle* retrieval) { retrieval_ = retrieval; }

    // Non-zero: this copy must end before its message loop (a fourth copy).
    int Tag = 0;
    // Non-zero: the desktop session is ending.
    int AppTag = 0;

    TTickerLabel lblTicker{*this};

    platform::WindowTimer timerRetrieve{1250};
    platform::WindowTimer timerCaption{250};
    platform::WindowTimer timerTimeOut{3600000};
    platform::WindowTimer timerExplain{120000};

    // The character scroller; its text is the ticker text.
    TTickerScroller Scroller{*this};
    // How its frames are drawn when smooth scrolling is on.
    std::unique_ptr<TSmoothScroll> Smooth;
    // The pointer rests on the strip: the text holds still.
    bool PointerOnStrip = false;
    void StripHovered(bool on);

    // The tray icon and its pop-up menu.
    std::shared_ptr<platform::PopupMenu> mnuPopupMenu;
    platform::MenuItem* mnuBrowserView = nullptr;
    platform::MenuItem* mnuConnect = nullptr;
    platform::MenuItem* mnuCancel = nullptr;
    platform::MenuItem* mnuConfiguration = nullptr;
    platform::MenuItem* mnuHideTicker = nullptr;
    platform::MenuItem* mnuAlwaysonTop = nullptr;
    platform::MenuItem* mnuViewTextPg = nullptr;
    platform::MenuItem* mnuEditURLFile = nullptr;
    platform::MenuItem* mnuClose = nullptr;
    platform::MenuItem* Help1 = nullptr;
    platform::MenuItem* mnuAbout = nullptr;
    std::unique_ptr<tray::TVryTrayIcon95> VryTrayIcon95;

    int TaskbarHeight = kDefaultTaskbarHeight;
    int SavedTop = 0;
    int StripMaxHeight = 0;
    std::string HelpFile;
    // Where the page text, the log, the URL list and the guide are.
    platform::ProgramFolders Folders = platform::Folders();
    bool HoverFlag = false;

    // The strip's design height: the label and the one-pixel line below it.
    static constexpr int kStripHeight = 22;
    // The window's own title; the program's title follows the frames.
    static constexpr const char* kFormCaption = " Zelvo";
    static constexpr int kLabelHeight = 21;

    // Stacking order only: above every other window, or among them.
    void SetTopmost(bool topmost);
    bool Topmost() const;
    // Topmost as the always-on-top check mark says.
    void ApplyTopmost();

    void ApplyLook(const TStripLook& look);

    // Tray menu commands and tray events.
    void mnuBrowserViewClick();
    // A double click on the strip at x: the headline's link when a feed's
    // headline is under the pointer, else the current page.
    void StripDoubleClick(int x);
    std::optional<std::string> HeadlineLinkAt(int x) const;
    void mnuConnectClick() override;
    void mnuCancelClick() { CancelRetrieval(); }
    void CancelRetrieval();
    void mnuConfigurationClick();
    void mnuHideTickerClick();
    void mnuAlwaysonTopClick();
    void mnuViewTextPgClick();
    void mnuEditURLFileClick();
    void mnuCloseClick();
    void Help1Click();
    void mnuAboutClick();
    void VryTrayIcon95Click();
    void VryTrayIcon95DblClick();
    void VryTrayIcon95MouseEnter();
    void VryTrayIcon95MouseExit();
    // The keyboard gesture over the tray icon.
    void FormKeyDown(bool shift, bool ctrl);

    // The exit question; true when the close may go on.
    bool FormCloseQuery();
    // Shutdown and saving.
    void FormClose();
    // The strip's placement, its two flags and the copy count, as the end of
    // the program leaves them.
    void SavePlacement();

    // The application-wide exception handler.
    static void AppException(std::exception_ptr error);

    // TTickerView
    void SetTickerCaption(const std::string& caption) override;
    void SetPlainTickerCaption(const std::string& caption) override;
    // Both kinds of caption: mnemonics tells whether "&" marks a character.
    void ShowCaption(const std::string& caption, bool mnemonics);
    void SetApplicationTitle(const std::string& title) override;
    void SetCaptionTimerEnabled(bool enabled) override { timerCaption.SetEnabled(enabled); }
    void SetExplainTimerEnabled(bool enabled) override { timerExplain.SetEnabled(enabled); }
    void ProcessMessages() override;

    // TConfigHost
    config::TTickerFont TickerFont() const override;
    void SetTickerFont(const config::TTickerFont& font) override;
    config::TColor TickerBackColor() const override;
    void SetTickerBackColor(config::TColor color) override;
    void SetStripColor(config::TColor color) override;
    unsigned ScrollInterval() const override { return timerCaption.Interval(); }
    void SetScrollInterval(unsigned ms) override { timerCaption.SetInterval(ms); }
    void SetRetrievalTimerEnabled(bool on) override { timerRetrieve.SetEnabled(on); }
    void ShowHelpTopic(int context) override;

    // TVryTrayOwner
    bool IsForm() const override { return true; }
    bool FormVisible() const override { return Visible(); }
    void ShowForm() override { Show(); }

    // Whether this copy has been closed (the program then ends).
    bool Closed() const { return closed_; }

    // The strip's place on its screen.
    int StripLeft() const { return Left() - screen_.Origin.x; }
    int StripTop() const { return Top() - screen_.Origin.y; }
    void MoveStrip(int left, int top) { MoveTo(left + screen_.Origin.x, top + screen_.Origin.y); }

    // The note for a desktop without a notification area; the strip shows
    // it once it is up.
    static constexpr const char* kNoTrayNote =
        "No notification area was found for the Zelvo icon. Right-click the ticker for its "
        "menu.  ";

private:
    void BuildMenu();
    void CreateTrayIcon();
    // The form's and the ticker's events to their handlers.
    void ConnectEvents();
    void FormShow();
    void FormCloseRequested();
    void BeginDrag(platform::TPoint screen);
    void Drag(platform::TPoint screen);
    void EndDrag();
    void LaunchViewer(const std::string& path, const std::string& failure);
    // The browser on url, else url through its association, else a warning.
    void LaunchBrowser(const std::string& url);
    platform::LRESULT SessionProc(platform::UINT msg, platform::WPARAM wParam,
                                  platform::LPARAM lParam);

    TScreen screen_;
    // A press on the text, until the pointer has moved far enough to drag.
    std::optional<platform::TPoint> pressedAt_;
    platform::TPoint pressOrigin_;
    std::optional<platform::TPoint> dragOffset_;
    config::TfrmConfig* frmConfig_ = nullptr;
    TfrmAbout* frmAbout_ = nullptr;
    TRetrievalCycle* retrieval_ = nullptr;
    std::unique_ptr<platform::MessageWindow> sessionWindow_;
    bool closed_ = false;
    bool shownOnce_ = false;
};

}  // namespace zelvo::app
