#pragma once
// The ticker strip: the thin frameless window whose only visible content is
// the scrolling label, and the program-wide state of the running copy.
#include <QWidget>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/StartUp.h"
#include "app/TickerLabel.h"
#include "app/TickerScroller.h"
#include "platform/Types.h"
#include "platform/WindowTimer.h"

namespace zelvo::app {

// Reads "Border" before any window exists: it decides the strip's frame.
void UnitInitialization();

class TfrmMain : public QWidget, public TTickerView {
    Q_OBJECT
public:
    struct TScreen {
        int Width = 0;
        int Height = 0;
        std::optional<platform::TRect> Taskbar;
    };
    static TScreen CurrentScreen();

    explicit TfrmMain(TScreen screen = CurrentScreen());
    ~TfrmMain() override;

    // The start-up sequence; the entry runs it right after construction.
    void FormCreate();

    // Non-zero: this copy must end before its message loop (a fourth copy).
    int Tag = 0;
    // Non-zero: the desktop session is ending.
    int AppTag = 0;

    TTickerLabel* lblTicker = nullptr;
    std::string txtWorking;
    std::vector<std::string> DownloadMemo;

    platform::WindowTimer timerRetrieve{1250};
    platform::WindowTimer timerCaption{250};
    platform::WindowTimer timerTimeOut{3600000};
    platform::WindowTimer timerExplain{120000};

    // The character scroller; its text is the ticker text.
    TTickerScroller Scroller{*this};

    int TaskbarHeight = kDefaultTaskbarHeight;
    int SavedTop = 0;
    int StripMaxHeight = 0;
    std::string HelpFile;

    // The check marks of the tray menu's hide and always-on-top entries.
    bool HideTickerChecked = false;
    bool AlwaysOnTopChecked = true;

    // The strip's design height: the label and the one-pixel line below it.
    static constexpr int kStripHeight = 22;
    static constexpr int kLabelHeight = 21;

    // Stacking order only: above every other window, or among them.
    void SetTopmost(bool topmost);
    bool Topmost() const;

    void ApplyLook(const TStripLook& look);

    // The browser view of the current page (double-click on the text).
    void mnuBrowserViewClick();
    std::function<void()> OnBrowserView;

    // The application-wide exception handler.
    static void AppException(std::exception_ptr error);

    // TTickerView
    void SetTickerCaption(const std::string& caption) override;
    void SetApplicationTitle(const std::string& title) override;
    void SetCaptionTimerEnabled(bool enabled) override { timerCaption.SetEnabled(enabled); }
    void SetExplainTimerEnabled(bool enabled) override { timerExplain.SetEnabled(enabled); }
    void ProcessMessages() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void BeginDrag(QPoint globalPos);
    void Drag(QPoint globalPos);

    TScreen screen_;
    std::optional<QPoint> dragOffset_;
};

}  // namespace zelvo::app
