#include "app/MainZv3.h"

#include <algorithm>

#include "app/AbtZv3.h"
#include "app/RetrievalCycle.h"
#include "config/CnfgZv3.h"
#include "config/LiveSettings.h"
#include "config/RegIniFile.h"
#include "platform/Application.h"
#include "platform/Cp1252.h"
#include "platform/Dialogs.h"
#include "platform/Icon.h"
#include "platform/Input.h"
#include "platform/MessageLoop.h"
#include "platform/Notice.h"
#include "platform/Paths.h"
#include "platform/RunningCopy.h"
#include "platform/Screen.h"
#include "platform/SessionEnd.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "platform/TrayNotify.h"
#include "text/PageConversion.h"

namespace zelvo::app {
namespace settings = config::settings;

namespace {

std::string TrimBlanks(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

constexpr const char* kCheckConfiguration = "check Configuration Dialog.   ";

// Posted to the session window once the strip is first up.
constexpr platform::UINT kShowNoTrayNote = platform::WM_USER + 1;

// The ticker's face; a face without a size is the strip's 8 points.
platform::TFont Face(const std::string& name, int size, bool bold, bool italic = false,
                     bool underline = false, bool strikeOut = false) {
    platform::TFont face;
    face.Name = name;
    face.Size = size > 0 ? size : 8;
    face.Bold = bold;
    face.Italic = italic;
    face.Underline = underline;
    face.StrikeOut = strikeOut;
    return face;
}

platform::TFont Face(const config::TTickerFont& f) {
    return Face(f.Name, f.Size, f.Bold, f.Italic, f.Underline, f.StrikeOut);
}

}  // namespace

void UnitInitialization() {
    config::TRegIniFile store;
    config::Live().BorderOn = store.Read(settings::kBaseSection, settings::Border);
}

TfrmMain::TScreen TfrmMain::CurrentScreen() {
    return {platform::ScreenWidth(), platform::ScreenHeight(), platform::FindTaskbarRect(),
            platform::ScreenOrigin(), platform::WorkAreaPublished()};
}

void PauseWithMessages(unsigned ms) {
    const platform::DWORD start = platform::GetTickCount();
    // Wakes the wait when the time is up, so the pause never spins.
    platform::WindowTimer wake(ms > 0 ? ms : 1, [] {});
    wake.SetEnabled(true);
    for (;;) {
        platform::ProcessMessages();
        auto elapsed = static_cast<std::int32_t>(platform::GetTickCount() - start);
        if (elapsed > static_cast<std::int32_t>(ms) || elapsed < 0)
            return;
        platform::WaitMessage();
    }
}

// With a border the strip gets a sizing frame but no title bar; without one
// it is bare.
TfrmMain::TfrmMain(TScreen screen) : TStripForm(config::Live().BorderOn), screen_(screen) {
    SetName("frmMain");
    lblTicker.SetCaption(" Zelvo");
    lblTicker.SetTextFont(Face(config::TTickerFont{}));
    SetSize(1028, kStripHeight);
    lblTicker.SetBounds(0, 0, Width(), kLabelHeight);
    ConnectEvents();
    Smooth = std::make_unique<TSmoothScroll>(lblTicker);

    timerCaption.SetOnTimer([this] {
        if (!PointerOnStrip)
            Scroller.timerCaptionTimer();
    });
    timerExplain.SetOnTimer([this] { Scroller.timerExplainTimer(); });

    // The program's title mirrors the strip's frames, which are UTF-8.
    SetCaption(kFormCaption);
    SetListedTitle(platform::ApplicationTitle());
    if (auto* app = platform::Application::Instance())
        app->OnTitleChanged([this](const std::string& title) { SetListedTitle(title); });

    sessionWindow_ = std::make_unique<platform::MessageWindow>(
        [this](platform::UINT msg, platform::WPARAM w, platform::LPARAM l) {
            return SessionProc(msg, w, l);
        });
    platform::RegisterSessionWindow(sessionWindow_->Handle());

    BuildMenu();
    CreateTrayIcon();
}

TfrmMain::~TfrmMain() {
    // The window outlives the members its handlers use.
    OnResize = nullptr;
    OnShow = nullptr;
    OnCloseQuery = nullptr;
    OnClose = nullptr;
    OnContextMenu = nullptr;
    OnKeyDown = nullptr;
    platform::UnregisterSessionWindow(sessionWindow_->Handle());
    if (auto* app = platform::Application::Instance())
        app->OnTitleChanged(nullptr);
    VryTrayIcon95.reset();
}

void TfrmMain::ConnectEvents() {
    OnResize = [this](platform::TControl*) { lblTicker.SetBounds(0, 0, Width(), kLabelHeight); };
    OnShow = [this](platform::TControl*) { FormShow(); };
    OnCloseQuery = [this] { return !closed_ && FormCloseQuery(); };
    OnClose = [this](platform::TControl*) { FormCloseRequested(); };
    // The tray icon's menu, also where there is no tray to hold the icon.
    OnContextMenu = [this](platform::TPoint at) { mnuPopupMenu->Popup(at); };
    OnKeyDown = [this](bool shift, bool ctrl) { FormKeyDown(shift, ctrl); };
    platform::TPaintBox& box = lblTicker.Box();
    box.OnMouseDown = [this](platform::TPoint at) { BeginDrag(at); };
    box.OnMouseMove = [this](platform::TPoint at) { Drag(at); };
    box.OnMouseUp = [this] { EndDrag(); };
    box.OnDblClick = [this](platform::TPoint at) { StripDoubleClick(at.x); };
    box.OnHover = [this](bool on) { StripHovered(on); };
}

void TfrmMain::BuildMenu() {
    mnuPopupMenu = std::make_shared<platform::PopupMenu>();
    auto& m = *mnuPopupMenu;
    mnuBrowserView = &m.AddItem("&Browser View...", [this] { mnuBrowserViewClick(); });
    m.AddSeparator();
    mnuConnect = &m.AddItem("&Retrieve", [this] { mnuConnectClick(); });
    mnuCancel = &m.AddItem("Ca&ncel", [this] { mnuCancelClick(); });
    mnuCancel->SetEnabled(false);
    m.AddSeparator();
    mnuConfiguration = &m.AddItem("&Configuration...", [this] { mnuConfigurationClick(); });
    m.AddSeparator();
    mnuHideTicker = &m.AddItem("Hi&de Ticker", [this] { mnuHideTickerClick(); });
    mnuAlwaysonTop = &m.AddItem("Always &on Top", [this] { mnuAlwaysonTopClick(); });
    m.AddSeparator();
    mnuViewTextPg = &m.AddItem("&Text  View...", [this] { mnuViewTextPgClick(); });
    mnuEditURLFile = &m.AddItem("&Edit URL File...", [this] { mnuEditURLFileClick(); });
    m.AddSeparator();
    mnuClose = &m.AddItem("E&xit", [this] { mnuCloseClick(); });
    m.AddSeparator();
    Help1 = &m.AddItem("&Help...", [this] { Help1Click(); });
    mnuAbout = &m.AddItem("&About...", [this] { mnuAboutClick(); });
}

void TfrmMain::CreateTrayIcon() {
    VryTrayIcon95 = std::make_unique<tray::TVryTrayIcon95>(this);
    auto& icon = *VryTrayIcon95;
    icon.BeginLoading();
    icon.SetActive(true);
    icon.SetAutoPopup(true);
    icon.SetHint("Zelvo is running");
    icon.SetOptions(0);
    icon.SetPopupMenu(mnuPopupMenu);
    icon.OnClick = [this](tray::TVryObject*) { VryTrayIcon95Click(); };
    icon.OnDblClick = [this](tray::TVryObject*) { VryTrayIcon95DblClick(); };
    icon.OnMouseEnter = [this](tray::TVryObject*, tray::TShiftState, int, int) {
        VryTrayIcon95MouseEnter();
    };
    icon.OnMouseExit = [this](tray::TVryObject*, tray::TShiftState, int, int) {
        VryTrayIcon95MouseExit();
    };
    icon.SetIcon(platform::LoadIconResource("MAINICON"));
    icon.Loaded();
}

void TfrmMain::SetForms(config::TfrmConfig* config, TfrmAbout* about) {
    frmConfig_ = config;
    frmAbout_ = about;
}

void TfrmMain::FormCreate() {
    auto& live = config::Live();

    TaskbarHeight = TaskbarHeightFrom(screen_.Taskbar, screen_.Height, screen_.WorkAreaPublished);
    AppTag = 0;
    Tag = 0;

    bool runningCopyFound = platform::RunningCopyExists();
    if (runningCopyFound) {
        platform::ShowInformation("Close any copy by selecting Exit from its tray icon popup menu.",
                                  std::string(config::kProductName) + " Already Running");
    }

    TStripPlacement placement;
    std::string unwritableStore;
    {
        config::TRegIniFile store;
        TInstanceClaim claim = ClaimInstance(store, runningCopyFound);
        if (!claim.WriteFailure.empty())
            unwritableStore = store.Path();
        live.InstanceNumber = claim.InstanceNumber;
        live.InstanceSuffix = claim.InstanceSuffix;
        if (claim.Exceeds)
            Tag = 1;
        TStripMetrics metrics{screen_.Width, screen_.Height,   Height(),
                              TaskbarHeight, runningCopyFound, live.InstanceNumber};
        placement = ReadStripPlacement(store, live.Section(), metrics);
    }
    StripMaxHeight = placement.StripMaxHeight;
    SetMaxHeight(StripMaxHeight);
    SavedTop = placement.SavedTop;
    MoveStrip(placement.Left, placement.SavedTop);
    SetSize(placement.Width, Height());
    ApplyLook(placement.Look);
    mnuHideTicker->SetChecked(placement.HideTicker);
    mnuAlwaysonTop->SetChecked(placement.AlwaysOnTop);

    Scroller.TickerText.clear();
    timerRetrieve.SetEnabled(false);
    timerCaption.SetEnabled(false);
    HelpFile = Folders.Help + "index.html";

    platform::ProcessMessages();

    MoveStrip(placement.Left, placement.Top);
    lblTicker.SetCaption(placement.AutoRetrievalOn ? " Zelvo" : "");

    if (!live.BorderOn)
        SetStripColor(lblTicker.Backcolor());
    ApplyTopmost();
    platform::SetApplicationTitle(config::kProductName);
    platform::SetExceptionHandler(&TfrmMain::AppException);
    // Told once the strip stands where the saved settings put it.
    if (!unwritableStore.empty())
        platform::ShowWarning(UnwritableStoreText(unwritableStore));
}

void TfrmMain::ApplyLook(const TStripLook& look) {
    lblTicker.SetBackcolor(look.Backcolor);
    lblTicker.SetForeColor(look.ForeColor);
    lblTicker.SetTextFont(Face(look.FontName, look.FontSize, look.Bold()));
}

void TfrmMain::SetTopmost(bool topmost) {
    SetStayOnTop(topmost);
}

bool TfrmMain::Topmost() const {
    return StayOnTop();
}

void TfrmMain::ApplyTopmost() {
    SetTopmost(mnuAlwaysonTop->Checked());
}

// ---------------------------------------------------------------- commands

void TfrmMain::LaunchViewer(const std::string& path, const std::string& failure) {
    platform::ProcessMessages();
    // Appended piece by piece: GCC 12 at -O3 flags the chained concatenation
    // with a -Wrestrict false positive.
    std::string parameters = "\"";
    parameters += path;
    parameters += '"';
    if (frmConfig_ == nullptr)
        return;
    if (TrimBlanks(frmConfig_->ViewerText()).empty())
        frmConfig_->SetViewerText(settings::Viewer.Default);
    if (platform::ShellExecute(frmConfig_->ViewerText(), parameters) <= 32)
        platform::ShowWarning(failure + kCheckConfiguration);
}

void TfrmMain::mnuViewTextPgClick() {
    LaunchViewer(Folders.Page + "WebPage.txt", "Unable to launch viewer, ");
}

void TfrmMain::mnuEditURLFileClick() {
    LaunchViewer(Folders.UrlList + "WebURLs.txt", "Unable to launch editor, ");
}

void TfrmMain::mnuBrowserViewClick() {
    platform::ProcessMessages();
    if (frmConfig_ == nullptr)
        return;
    LaunchBrowser(platform::Trim(frmConfig_->CurrentURLCaption()));
}

namespace {

// A feed's link is UTF-8 and may carry characters a command line should not:
// those bytes go percent-encoded, which every browser reads back.
std::string UriOfLink(const std::string& link) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri;
    for (char c : link) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 32 || b >= 0x7F || c == '"') {
            uri += '%';
            uri += kHex[b >> 4];
            uri += kHex[b & 15];
        } else {
            uri += c;
        }
    }
    return uri;
}

}  // namespace

std::optional<std::string> TfrmMain::HeadlineLinkAt(int x) const {
    const TTickerScroller::TFrame& frame = Scroller.LastFrame;
    // Only a frame of the scroller maps to the text; the connecting text and
    // " Zelvo" do not.
    if (retrieval_ == nullptr || retrieval_->Headlines.empty() ||
        lblTicker.Caption() != frame.caption)
        return std::nullopt;
    std::size_t pos = 0;
    if (Smooth->Active()) {
        const long at = Smooth->TextIndexAt(x);
        if (at < 0)
            return std::nullopt;
        pos = static_cast<std::size_t>(at);
    } else {
        const int index = lblTicker.CharacterAt(x);
        if (index < 0 || static_cast<std::size_t>(index) < frame.indent)
            return std::nullopt;
        pos = frame.textStart + (static_cast<std::size_t>(index) - frame.indent);
    }
    const text::THeadline* headline = text::HeadlineAt(retrieval_->Headlines, pos);
    if (headline == nullptr)
        return std::nullopt;
    return headline->link;
}

void TfrmMain::StripDoubleClick(int x) {
    const std::optional<std::string> link = HeadlineLinkAt(x);
    if (!link) {
        mnuBrowserViewClick();
        return;
    }
    platform::ProcessMessages();
    if (frmConfig_ != nullptr)
        LaunchBrowser(UriOfLink(*link));
}

void TfrmMain::LaunchBrowser(const std::string& url) {
    if (TrimBlanks(frmConfig_->BrowserText()).empty())
        frmConfig_->SetBrowserText(settings::Browser.Default);
    if (platform::ShellBrowse(frmConfig_->BrowserText(), url) <= 32 &&
        platform::ShellOpenAddress(url) <= 32)
        platform::ShowWarning(std::string("Unable to launch browser, ") + kCheckConfiguration);
    platform::ProcessMessages();
}

void TfrmMain::mnuConnectClick() {
    timerRetrieve.SetInterval(50);
    timerRetrieve.SetEnabled(true);
}

void TfrmMain::CancelRetrieval() {
    if (retrieval_ != nullptr)
        retrieval_->CancelRetrieval();
}

void TfrmMain::mnuConfigurationClick() {
    platform::ProcessMessages();
    ApplyTopmost();
    if (frmConfig_ != nullptr && !frmConfig_->Visible())
        frmConfig_->ShowModal();
    ApplyTopmost();
}

void TfrmMain::VryTrayIcon95DblClick() {
    platform::ProcessMessages();
    SetTopmost(false);
    if (frmConfig_ != nullptr && !frmConfig_->Visible())
        frmConfig_->ShowModal();
    ApplyTopmost();
}

void TfrmMain::mnuAboutClick() {
    platform::ProcessMessages();
    ApplyTopmost();
    if (frmAbout_ != nullptr && !frmAbout_->Visible())
        frmAbout_->ShowModal();
    ApplyTopmost();
}

void TfrmMain::VryTrayIcon95Click() {
    platform::ProcessMessages();
    VryTrayIcon95->ShowPopupMenu();
}

void TfrmMain::mnuHideTickerClick() {
    mnuHideTicker->SetChecked(!mnuHideTicker->Checked());
    if (mnuHideTicker->Checked()) {
        SavedTop = StripTop();
        MoveStrip(StripLeft(), screen_.Height + 100);
    } else {
        MoveStrip(StripLeft(), SavedTop);
    }
}

void TfrmMain::mnuAlwaysonTopClick() {
    mnuAlwaysonTop->SetChecked(!mnuAlwaysonTop->Checked());
    ApplyTopmost();
}

void TfrmMain::Help1Click() {
    platform::WinHelp(HelpFile, 1001);
}

void TfrmMain::mnuCloseClick() {
    Close();
}

void TfrmMain::VryTrayIcon95MouseEnter() {
    // A strip hidden below the screen stays where it is.
    if (StripTop() < screen_.Height - TaskbarHeight) {
        BringToFront();
    }
    HoverFlag = true;
    if (retrieval_ != nullptr)
        retrieval_->KeyLatch = false;
}

void TfrmMain::VryTrayIcon95MouseExit() {
    HoverFlag = false;
}

void TfrmMain::FormKeyDown(bool shift, bool ctrl) {
    if (!HoverFlag || retrieval_ == nullptr)
        return;
    if (shift && !ctrl) {
        if (!retrieval_->KeyLatch) {
            mnuConnectClick();
            retrieval_->KeyLatch = true;
        }
    } else if (shift && ctrl) {
        CancelRetrieval();
        retrieval_->KeyLatch = true;
    }
}

// ---------------------------------------------------------------- shutdown

bool TfrmMain::FormCloseQuery() {
    if (AppTag != 0 || (retrieval_ != nullptr && retrieval_->TimeOutTag != 0))
        return true;
    std::string question = std::string("Exit ") + config::kProductName +
                           " without changing connection status" + "?" + "     ";
    return platform::MessageBox(question, "Confirm",
                                platform::MB_YESNO | platform::MB_ICONQUESTION) == platform::IDYES;
}

void TfrmMain::FormClose() {
    try {
        Hide();
        VryTrayIcon95->SetActive(false);
        PauseWithMessages(1500);
        SavePlacement();
    } catch (...) {
        platform::MessageBeep(0);
    }
}

void TfrmMain::SavePlacement() {
    config::TRegIniFile store;
    int count = store.Read(settings::kBaseSection, settings::RunningInstances) - 1;
    store.Write(settings::kBaseSection, settings::RunningInstances, count);
    const std::string section = config::Live().Section();
    if (!mnuHideTicker->Checked()) {
        if (StripTop() < -8 || StripTop() > screen_.Height)
            MoveStrip(StripLeft(), 0);
        store.Write(section, settings::TickerTop, StripTop());
    } else {
        if (SavedTop < -8 || SavedTop > screen_.Height)
            SavedTop = 0;
        store.Write(section, settings::TickerTop, SavedTop);
    }
    store.Write(section, settings::TickerLeft, StripLeft());
    store.Write(section, settings::TickerWidth, Width());
    store.Write(section, settings::HideTicker, mnuHideTicker->Checked());
    store.Write(section, settings::AlwaysOnTop, mnuAlwaysonTop->Checked());
    if (count > kMaxInstances || count < 1)
        store.Write(settings::kBaseSection, settings::RunningInstances, 0);
}

void TfrmMain::FormCloseRequested() {
    closed_ = true;
    FormClose();
    if (auto* app = platform::Application::Instance())
        app->Terminate(0);
}

platform::LRESULT TfrmMain::SessionProc(platform::UINT msg, platform::WPARAM wParam,
                                        platform::LPARAM) {
    if (msg == kShowNoTrayNote) {
        if (platform::NotificationAreaMissing())
            platform::ShowNotice(kNoTrayNote, config::kProductName);
        return 0;
    }
    if (msg == platform::WM_QUERYENDSESSION) {
        AppTag = 1;
        return FormCloseQuery() ? 1 : 0;
    }
    // The session really ends: a strip dragged during the day must be where
    // it was at the next log-in, so the placement is kept as Exit keeps it,
    // without Exit's pause (the session will not wait). The platform then
    // ends the program.
    if (msg == platform::WM_ENDSESSION && wParam != 0 && !closed_) {
        closed_ = true;
        try {
            SavePlacement();
        } catch (...) {
            platform::MessageBeep(0);
        }
    }
    return 0;
}

void TfrmMain::AppException(std::exception_ptr error) {
    platform::ShowWarning("Error, note next message and report repetition.     ");
    platform::ShowErrorBox(platform::ExceptionMessage(error));
}

// ------------------------------------------------------------------ views

void TfrmMain::SetTickerCaption(const std::string& caption) {
    ShowCaption(caption, true);
}

void TfrmMain::SetPlainTickerCaption(const std::string& caption) {
    ShowCaption(caption, false);
}

void TfrmMain::ShowCaption(const std::string& caption, bool mnemonics) {
    lblTicker.SetCaption(caption, mnemonics);
    const TTickerScroller::TFrame& frame = Scroller.LastFrame;
    // Only the scroller's frames glide; the connecting text and the name
    // stand still.
    if (config::Live().SmoothScroll && caption == frame.caption &&
        !platform::Trim(caption).empty()) {
        if (Smooth->Frame(Scroller.TickerText, mnemonics, frame.textStart, frame.indent,
                          config::Live().ScrollStep, timerCaption.Interval()))
            return;
    } else if (Smooth->Active()) {
        Smooth->Stop();
    }
    lblTicker.Repaint();
}

void TfrmMain::SetApplicationTitle(const std::string& title) {
    platform::SetApplicationTitle(title);
}

void TfrmMain::ProcessMessages() {
    platform::ProcessMessages();
}

config::TTickerFont TfrmMain::TickerFont() const {
    const platform::TFont& face = lblTicker.TextFont();
    config::TTickerFont font;
    font.Name = face.Name;
    font.Size = face.Size;
    font.Bold = face.Bold;
    font.Italic = face.Italic;
    font.Underline = face.Underline;
    font.StrikeOut = face.StrikeOut;
    font.Color = lblTicker.ForeColor();
    return font;
}

void TfrmMain::SetTickerFont(const config::TTickerFont& font) {
    lblTicker.SetTextFont(Face(font));
    lblTicker.SetForeColor(font.Color);
}

config::TColor TfrmMain::TickerBackColor() const {
    return lblTicker.Backcolor();
}
void TfrmMain::SetTickerBackColor(config::TColor color) {
    lblTicker.SetBackcolor(color);
}

void TfrmMain::SetStripColor(config::TColor color) {
    SetColor(color);
}

void TfrmMain::ShowHelpTopic(int context) {
    platform::WinHelp(HelpFile, static_cast<unsigned>(context));
}

void TfrmMain::FormShow() {
    if (shownOnce_)
        return;
    shownOnce_ = true;
    // Once the strip is up, without holding up anything else.
    platform::PostMessage(sessionWindow_->Handle(), kShowNoTrayNote, 0, 0);
}

}  // namespace zelvo::app
