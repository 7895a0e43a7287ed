#include "app/MainZv3.h"

#include <QApplication>
#include <QFont>
#include <QWindow>

#include "config/LiveSettings.h"
#include "config/RegIniFile.h"
#include "platform/Application.h"
#include "platform/Cp1252.h"
#include "platform/Dialogs.h"
#include "platform/MessageLoop.h"
#include "platform/Paths.h"
#include "platform/RunningCopy.h"
#include "platform/Screen.h"

namespace zelvo::app {
namespace {

QString Q(const std::string& cp1252) { return QString::fromStdU16String(platform::Cp1252ToUtf16(cp1252)); }

}  // namespace

void UnitInitialization() {
    config::TRegIniFile store;
    config::Live().BorderOn = store.ReadBool("Zelvo", "Border", true);
}

TfrmMain::TScreen TfrmMain::CurrentScreen() {
    return {platform::ScreenWidth(), platform::ScreenHeight(), platform::FindTaskbarRect()};
}

TfrmMain::TfrmMain(TScreen screen) : screen_(screen) {
    setObjectName("frmMain");
    // With a border the strip gets a sizing frame but no title bar; without
    // one it is a bare pop-up.
    Qt::WindowFlags flags = Qt::Window;
    if (config::Live().BorderOn)
        flags |= Qt::CustomizeWindowHint;
    else
        flags |= Qt::FramelessWindowHint;
    setWindowFlags(flags);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);

    lblTicker = new TTickerLabel(this);
    lblTicker->SetCaption(" Zelvo");
    QFont font("MS Sans Serif");
    font.setPointSize(8);
    font.setBold(true);
    lblTicker->setFont(font);
    resize(1028, kStripHeight);
    lblTicker->setGeometry(0, 0, width(), kLabelHeight);

    connect(lblTicker, &TTickerLabel::pressed, this, [this](QPoint p) { BeginDrag(p); });
    connect(lblTicker, &TTickerLabel::dragged, this, [this](QPoint p) { Drag(p); });
    connect(lblTicker, &TTickerLabel::released, this, [this] { dragOffset_.reset(); });
    connect(lblTicker, &TTickerLabel::doubleClicked, this, [this] { mnuBrowserViewClick(); });

    timerCaption.SetOnTimer([this] { Scroller.timerCaptionTimer(); });
    timerExplain.SetOnTimer([this] { Scroller.timerExplainTimer(); });

    setWindowTitle(Q(platform::ApplicationTitle()));
    if (auto* app = platform::Application::Instance())
        app->OnTitleChanged([this](const std::string& title) { setWindowTitle(Q(title)); });
}

TfrmMain::~TfrmMain() {
    if (auto* app = platform::Application::Instance())
        app->OnTitleChanged(nullptr);
}

void TfrmMain::FormCreate() {
    auto& live = config::Live();

    TaskbarHeight = TaskbarHeightFrom(screen_.Taskbar, screen_.Height);
    AppTag = 0;
    Tag = 0;

    bool runningCopyFound = platform::RunningCopyExists();
    if (runningCopyFound) {
        platform::ShowInformation("Close any copy by selecting Exit from its tray icon popup menu.",
                                  std::string(config::kProductName) + " Already Running");
    }

    TStripPlacement placement;
    {
        config::TRegIniFile store;
        TInstanceClaim claim = ClaimInstance(store, runningCopyFound);
        live.InstanceNumber = claim.InstanceNumber;
        live.InstanceSuffix = claim.InstanceSuffix;
        if (claim.Exceeds)
            Tag = 1;
        TStripMetrics metrics{screen_.Width, screen_.Height, height(), TaskbarHeight, runningCopyFound,
                              live.InstanceNumber};
        placement = ReadStripPlacement(store, live.Section(), metrics);
    }
    StripMaxHeight = placement.StripMaxHeight;
    setMaximumHeight(StripMaxHeight);
    SavedTop = placement.SavedTop;
    move(placement.Left, placement.SavedTop);
    resize(placement.Width, height());
    ApplyLook(placement.Look);
    HideTickerChecked = placement.HideTicker;
    AlwaysOnTopChecked = placement.AlwaysOnTop;

    Scroller.TickerText.clear();
    timerRetrieve.SetEnabled(false);
    timerCaption.SetEnabled(false);
    HelpFile = platform::ExeDir() + "Zelv.Hlp";

    platform::ProcessMessages();

    move(placement.Left, placement.Top);
    lblTicker->SetCaption(placement.AutoRetrievalOn ? " Zelvo" : "");

    if (!live.BorderOn) {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, TTickerLabel::ToColor(lblTicker->Backcolor()));
        setPalette(pal);
    }
    SetTopmost(AlwaysOnTopChecked);
    platform::SetApplicationTitle(config::kProductName);
    platform::SetExceptionHandler(&TfrmMain::AppException);
}

void TfrmMain::SetTickerCaption(const std::string& caption) {
    lblTicker->SetCaption(caption);
    lblTicker->repaint();
}

void TfrmMain::SetApplicationTitle(const std::string& title) { platform::SetApplicationTitle(title); }

void TfrmMain::ProcessMessages() { platform::ProcessMessages(); }

void TfrmMain::ApplyLook(const TStripLook& look) {
    lblTicker->SetBackcolor(look.Backcolor);
    lblTicker->SetForeColor(look.ForeColor);
    QFont font(Q(look.FontName));
    font.setPointSize(look.FontSize > 0 ? look.FontSize : 8);
    font.setBold(look.Bold());
    lblTicker->setFont(font);
}

void TfrmMain::SetTopmost(bool topmost) {
    if (Topmost() == topmost)
        return;
    bool shown = isVisible();
    QPoint where = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    // Changing the flags re-creates the native window; bring it back as it was.
    if (shown) {
        move(where);
        show();
    }
}

bool TfrmMain::Topmost() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

void TfrmMain::mnuBrowserViewClick() {
    if (OnBrowserView)
        OnBrowserView();
}

void TfrmMain::AppException(std::exception_ptr error) {
    platform::ShowWarning("Error, note next message and report repetition.     ");
    platform::ShowErrorBox(platform::ExceptionMessage(error));
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
    lblTicker->setGeometry(0, 0, width(), kLabelHeight);
    QWidget::resizeEvent(event);
}

void TfrmMain::BeginDrag(QPoint globalPos) {
    // Pressing on the text moves the strip, as a title bar would.
    if (QWindow* handle = windowHandle(); handle != nullptr && handle->startSystemMove())
        return;
    dragOffset_ = globalPos - pos();
}

void TfrmMain::Drag(QPoint globalPos) {
    if (dragOffset_)
        move(globalPos - *dragOffset_);
}

}  // namespace zelvo::app
