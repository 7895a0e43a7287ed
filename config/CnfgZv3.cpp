#include "config/CnfgZv3.h"

#include <algorithm>

#include "config/Autostart.h"
#include "config/CommonDialogs.h"
#include "config/LiveSettings.h"
#include "config/RegIniFile.h"
#include "config/UrlList.h"
#include "platform/Cp1252.h"
#include "platform/Dialogs.h"
#include "platform/MessageLoop.h"
#include "platform/Paths.h"
#include "platform/Screen.h"
#include "platform/Text.h"

namespace zelvo::config {

namespace {

constexpr const char* kSecret = "(Secret)";
constexpr const char* kInformation = "Information";
constexpr int kHelpContext = 1000;
// The least size of the dialog; a larger font makes it larger.
constexpr int kDesignWidth = 530;
constexpr int kDesignHeight = 343;
// Characters of the proxy port field shown whole.
constexpr int kPortDigits = 6;
constexpr int kSiteCheckPage = 7;

}  // namespace

TfrmConfig::TfrmConfig(TConfigHost& host, TConfigPlaces places)
    : host_(host),
      exeDir_(places.ExeDir.empty() ? platform::Folders().UrlList : std::move(places.ExeDir)),
      storePath_(std::move(places.StorePath)) {
    if (!exeDir_.empty() && exeDir_.back() != '/')
        exeDir_ += '/';
    ChooseColor = [this](TColor initial) { return DesktopChooseColor(this, initial); };
    ChooseFont = [this](const TTickerFont& initial) { return DesktopChooseFont(this, initial); };
    ChooseProgram = [this](const std::string& title) { return DesktopChooseProgram(this, title); };

    SetName("frmConfig");
    // Drawn in the face a new strip starts with.
    platform::TFont face;
    face.Name = settings::FontName.Default;
    SetFont(face);
    SetCaption("Configure " + std::string(kProductName) + Live().InstanceSuffix);
    BuildControls();
    ConnectHandlers();
    FitToFont();

    // A failure while loading is the application's to report; the dialog is
    // there all the same, with its initial values where loading stopped.
    platform::Guarded([this] { FormCreate(); });
}

TfrmConfig::~TfrmConfig() = default;
// --- Creation and loading ------------------------------------------------------

void TfrmConfig::FormCreate() {
    dialogShown_ = false;
    LoadUrlLists();
    // No notice: the dialog is not shown yet.
    (Live().BorderOn ? rbBorder : rbNoBorder)->SetChecked(true);
    LoadSettings();
    chkStartAtLogin->SetChecked(AutostartEnabled());
    for (int site = 1; site <= 3; ++site) {
        SiteList(site).SetEnabled(true);
        SiteBox(site).SetEnabled(true);
    }
}

std::string TfrmConfig::MissingUrlFileText() const {
    return std::string(kProductName) + " unable to locate URLs file " + exeDir_ + kUrlFileName +
           ".";
}

void TfrmConfig::LoadUrlLists() {
    std::vector<std::string> entries;
    const std::string path = UrlFilePath();
    if (UrlFileExists(path)) {
        try {
            entries = SortUrls(ReadUrlFile(path));
        } catch (...) {
            // A name held by something unreadable (a directory, say) is
            // reported, and the run goes on with an empty list rather than
            // without its settings.
            platform::HandleException(std::current_exception());
        }
    } else {
        platform::ShowWarning(MissingUrlFileText());
        entries = BuiltInUrls();
    }
    for (const auto& entry : entries)
        cbTestURLs->AddItem(entry);
    const auto sorted = SortUrls(entries);
    for (auto* list : {cbWebSite1.get(), cbWebSite2.get(), cbWebSite3.get()}) {
        for (const auto& entry : sorted)
            list->AddItem(entry);
    }
    for (auto* list : {cbTestURLs.get(), cbWebSite1.get(), cbWebSite2.get(), cbWebSite3.get()})
        list->SetText({});
}

std::unique_ptr<TRegIniFile> TfrmConfig::OpenStore() const {
    return storePath_.empty() ? std::make_unique<TRegIniFile>()
                              : std::make_unique<TRegIniFile>(storePath_);
}

void TfrmConfig::LoadSettings() {
    auto store = OpenStore();
    auto& live = Live();
    const std::string section = live.Section();
    const auto list = TestURLList();
    auto entry = [&list](size_t i) { return i < list.size() ? list[i] : std::string(); };

    SetSiteURL(1, store->Read(section, settings::WebSite1, DefaultSiteURL()));
    SetSiteURL(2, store->Read(section, settings::WebSite2, entry(1)));
    SetSiteURL(3, store->Read(section, settings::WebSite3, entry(2)));
    CheckBox1->SetChecked(store->Read(section, settings::Site1Enabled));
    CheckBox2->SetChecked(store->Read(section, settings::Site2Enabled));
    CheckBox3->SetChecked(store->Read(section, settings::Site3Enabled));
    for (int site = 1; site <= 3; ++site)
        appliedSites_[site - 1] = SiteURL(site);
    SetTestURL(store->Read(section, settings::SiteTester, MakerHomePage()));
    SetBrowserText(store->Read(section, settings::Browser));
    SetViewerText(store->Read(section, settings::Viewer));

    txtProxyPort->SetText(platform::Trim(store->Read(section, settings::ProxyPort)));
    txtProxyHost->SetText(platform::Trim(store->Read(section, settings::ProxyHost)));
    const std::string username = platform::Trim(store->Read(section, settings::Username));
    txtUsername->SetText(username);
    live.Username = username;

    std::string password = platform::Trim(store->Read(section, settings::Password));
    if (password == kSecret)
        password.clear();
    live.Password = password;
    txtPassword->SetText(password.empty() ? std::string() : std::string(kSecret));

    SetSliderPosition(
        settings::TickerScrollSpeed.Clamp(store->Read(section, settings::TickerScrollSpeed)));
    host_.SetScrollInterval(static_cast<unsigned>(tbarScrollSpeed->Position()));
    live.ScrollStep = store->Read(section, settings::CharScroll);
    spinInterval->SetValue(store->Read(section, settings::RetrievalInterval));
    live.RetrievalInterval = spinInterval->Value();
    spinTimeOut->SetValue(store->Read(section, settings::AutoTimeOut));
    live.AutoTimeOut = spinTimeOut->Value();
    (store->Read(section, settings::AutoRetrievalOn) ? rbtnRetrievalOn : rbtnRetrievalOff)
        ->SetChecked(true);
    live.AutoRetrievalOn = rbtnRetrievalOn->Checked();
    chkSmoothScroll->SetChecked(store->Read(section, settings::SmoothScroll));
    live.SmoothScroll = chkSmoothScroll->Checked();
    SelectPageReading(store->Read(section, settings::PageReading));
    live.PageReading = SelectedPageReading();
}

void TfrmConfig::SelectPageReading(const std::string& name) {
    (platform::AsciiLower(name) == platform::AsciiLower(settings::kClassicReading) ? rbtnClassic
                                                                                   : rbtnHeadlines)
        ->SetChecked(true);
}

std::string TfrmConfig::SelectedPageReading() const {
    return rbtnClassic->Checked() ? settings::kClassicReading : settings::PageReading.Default;
}

// --- Showing and the page rule --------------------------------------------------

void TfrmConfig::FormShow() {
    auto& live = Live();
    try {
        SetCaption("Configure " + std::string(kProductName) + live.InstanceSuffix);

        const int d = live.InstanceNumber >= 2 ? live.InstanceNumber + 1 : 2;
        MoveTo((platform::ScreenWidth() - Width()) / d, (platform::ScreenHeight() - Height()) / d);

        closeHandled_ = false;
        PageControl1->SetActivePageIndex(0);
        // The page's first control has the focus, as if tabbed into.
        tbarScrollSpeed->SetFocus();
        platform::ProcessMessages();
        PageControl1Change();

        snapshot_.ScrollSpeed = tbarScrollSpeed->Position();
        SetSliderPosition(static_cast<int>(host_.ScrollInterval()));
        pendingScrollStep_ = live.ScrollStep;

        snapshot_.Browser = BrowserText();
        snapshot_.Viewer = ViewerText();
        snapshot_.Font = host_.TickerFont();
        snapshot_.BackColor = host_.TickerBackColor();
        for (int site = 1; site <= 3; ++site) {
            snapshot_.Sites[site - 1] = SiteURL(site);
            snapshot_.Enabled[site - 1] = SiteEnabled(site);
        }
        (live.AutoRetrievalOn ? rbtnRetrievalOn : rbtnRetrievalOff)->SetChecked(true);
        snapshot_.RetrievalOn = rbtnRetrievalOn->Checked();
        SelectPageReading(live.PageReading);
        snapshot_.ClassicReading = rbtnClassic->Checked();

        snapshot_.BorderOn = live.BorderOn;
        snapshot_.TestURL = TestURL();
        snapshot_.ProxyPort = platform::Trim(ProxyPortText());
        snapshot_.ProxyHost = platform::Trim(ProxyHostText());
        snapshot_.Username = platform::Trim(txtUsername->Text());
        snapshot_.PasswordField = platform::Trim(txtPassword->Text());
        snapshot_.Password = live.Password;

        spinInterval->SetValue(live.RetrievalInterval);
        spinTimeOut->SetValue(live.AutoTimeOut);
        // The desktop's session settings may have changed the entry since.
        chkStartAtLogin->SetChecked(AutostartEnabled());
        snapshot_.StartAtLogin = chkStartAtLogin->Checked();
        chkSmoothScroll->SetChecked(live.SmoothScroll);
    } catch (...) {
        platform::MessageBeep(0);
    }
    dialogShown_ = true;
}

void TfrmConfig::FitToFont() {
    txtProxyPort->FitToDigits(kPortDigits);
    // Every page counts, the hidden ones too: the size does not change with the page.
    FitToContents(kDesignWidth, kDesignHeight);
}

void TfrmConfig::FormHide() {
    dialogShown_ = false;
}

void TfrmConfig::PageControl1Change() {
    const bool siteCheck = PageControl1->ActivePageIndex() == kSiteCheckPage;
    btnSaveConfig->SetEnabled(!siteCheck);
    btnUpdate->SetEnabled(!siteCheck);
    btnCancelConfig->SetCaption(siteCheck ? "Cl&ose" : "&Cancel");
}

void TfrmConfig::SetSliderPosition(int position) {
    tbarScrollSpeed->SetPosition(position);
}

void TfrmConfig::tbarScrollSpeedChange() {
    const int position = tbarScrollSpeed->Position();
    pendingScrollStep_ = position < 150 ? 3 : position < 300 ? 2 : 1;
    platform::ProcessMessages();
}

// --- Update, Save, Cancel, closing ----------------------------------------------

void TfrmConfig::ApplySettings() {
    auto& live = Live();
    host_.SetScrollInterval(static_cast<unsigned>(tbarScrollSpeed->Position()));
    live.ScrollStep = pendingScrollStep_;
    live.RetrievalInterval = spinInterval->Value();
    live.AutoTimeOut = spinTimeOut->Value();
    live.SmoothScroll = chkSmoothScroll->Checked();
    const bool on = rbtnRetrievalOn->Checked();
    if (!live.AutoRetrievalOn && on)
        host_.mnuConnectClick();
    live.AutoRetrievalOn = on;
    host_.SetRetrievalTimerEnabled(on);
    // The next fetch reads its page the chosen way.
    live.PageReading = SelectedPageReading();
    // A user who has just typed a site's address wants to see that page,
    // not the other sites' turns first.
    if (const int changed = TakeChangedSite(); changed != 0) {
        if (OnSiteAddressChanged)
            OnSiteAddressChanged(changed);
        if (on)
            host_.mnuConnectClick();
    }
    live.Username = txtUsername->Text();

    const std::string password = platform::Trim(txtPassword->Text());
    if (password.empty()) {
        live.Password.clear();
    } else if (password != kSecret) {
        live.Password = password;
        txtPassword->SetText(kSecret);
    }
}

int TfrmConfig::TakeChangedSite() {
    int changed = 0;
    for (int site = 3; site >= 1; --site) {
        std::string url = SiteURL(site);
        if (url != appliedSites_[site - 1] && SiteEnabled(site))
            changed = site;
        appliedSites_[site - 1] = std::move(url);
    }
    return changed;
}

void TfrmConfig::btnUpdateClick() {
    try {
        Hide();
        platform::ProcessMessages();
        closeHandled_ = true;
        ApplySettings();
        platform::ProcessMessages();
        CloseDialog();
    } catch (...) {
        platform::MessageBeep(0);
    }
}

void TfrmConfig::btnSaveConfigClick() {
    try {
        Hide();
        platform::ProcessMessages();
        closeHandled_ = true;
        ApplySettings();
        platform::ProcessMessages();
        platform::ShowInformation(
            "Saving " + std::string(kProductName) + " settings to Registry.     ", kInformation);

        auto store = OpenStore();
        const std::string section = Live().Section();
        store->Write(section, settings::WebSite1, SiteURL(1));
        store->Write(section, settings::WebSite2, SiteURL(2));
        store->Write(section, settings::WebSite3, SiteURL(3));
        store->Write(section, settings::Site1Enabled, CheckBox1->Checked());
        store->Write(section, settings::Site2Enabled, CheckBox2->Checked());
        store->Write(section, settings::Site3Enabled, CheckBox3->Checked());
        store->Write(section, settings::SiteTester, TestURL());
        store->Write(section, settings::Browser, BrowserText());
        store->Write(section, settings::Viewer, ViewerText());
        store->Write(section, settings::ProxyPort, platform::Trim(ProxyPortText()));
        store->Write(section, settings::ProxyHost, platform::Trim(ProxyHostText()));
        store->Write(section, settings::Username, platform::Trim(txtUsername->Text()));
        store->Write(section, settings::Password, platform::Trim(Live().Password));
        store->Write(section, settings::TickerScrollSpeed, tbarScrollSpeed->Position());
        store->Write(section, settings::CharScroll, Live().ScrollStep);
        store->Write(section, settings::RetrievalInterval, spinInterval->Value());
        store->Write(section, settings::AutoTimeOut, spinTimeOut->Value());
        store->Write(section, settings::AutoRetrievalOn, rbtnRetrievalOn->Checked());
        store->Write(section, settings::SmoothScroll, chkSmoothScroll->Checked());
        store->Write(section, settings::Border, rbBorder->Checked());
        store->Write(section, settings::Backcolor, host_.TickerBackColor());
        const TTickerFont font = host_.TickerFont();
        store->Write(section, settings::ForeColor, font.Color);
        store->Write(section, settings::FontName, font.Name);
        store->Write(section, settings::FontSize, font.Size);
        store->Write(section, settings::FontStyle, font.HasStyle() ? 2 : 1);
        store->Write(section, settings::PageReading, SelectedPageReading());
        store.reset();
        SetAutostart(chkStartAtLogin->Checked(), platform::ExePath());

        closeHandled_ = true;
        CloseDialog();
    } catch (...) {
        platform::MessageBeep(0);
    }
}

void TfrmConfig::btnCancelConfigClick() {
    try {
        Hide();
        platform::ProcessMessages();
        closeHandled_ = true;

        const TShowSnapshot& s = snapshot_;
        SetSliderPosition(s.ScrollSpeed);
        SetBrowserText(s.Browser);
        SetViewerText(s.Viewer);
        for (int site = 1; site <= 3; ++site) {
            SetSiteURL(site, s.Sites[site - 1]);
            SetSiteEnabled(site, s.Enabled[site - 1]);
        }
        SetTestURL(s.TestURL);
        txtProxyPort->SetText(s.ProxyPort);
        txtProxyHost->SetText(s.ProxyHost);
        txtUsername->SetText(s.Username);
        txtPassword->SetText(s.PasswordField);
        Live().Password = s.Password;
        (s.RetrievalOn ? rbtnRetrievalOn : rbtnRetrievalOff)->SetChecked(true);
        (s.ClassicReading ? rbtnClassic : rbtnHeadlines)->SetChecked(true);
        host_.SetTickerFont(s.Font);
        host_.SetTickerBackColor(s.BackColor);
        (s.BorderOn ? rbBorder : rbNoBorder)->SetChecked(true);
        chkStartAtLogin->SetChecked(s.StartAtLogin);

        CloseDialog();
    } catch (...) {
        platform::MessageBeep(0);
    }
}

void TfrmConfig::CloseDialog() {
    // Cancel run from within the close must not close a second time.
    if (closing_)
        return;
    closing_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{closing_};
    FormClose();
    SetModalResult(platform::mrCancel);
}

void TfrmConfig::FormClose() {
    Hide();
    if (platform::Trim(BrowserText()).empty() || platform::Trim(ViewerText()).empty())
        platform::ShowWarning("Name of browser or viewer is missing, please supply!     ");
    if (!closeHandled_)
        btnCancelConfigClick();
}

// --- Notices, colours, fonts, programs, fields ------------------------------------

void TfrmConfig::rbtnRetrievalOnClick() {
    ShowRestartNotice();
}

void TfrmConfig::rbBorderClick() {
    ShowRestartNotice();
}

void TfrmConfig::ShowRestartNotice() {
    if (dialogShown_)
        platform::ShowInformation("Save setting, exit and restart program to effect change.  ",
                                  kInformation);
}

void TfrmConfig::btnBackcolorClick() {
    auto chosen = ChooseColor(host_.TickerBackColor());
    if (!chosen)
        return;
    host_.SetTickerBackColor(*chosen);
    if (!Live().BorderOn)
        host_.SetStripColor(*chosen);
}

void TfrmConfig::btnForecolorClick() {
    auto chosen = ChooseFont(host_.TickerFont());
    if (!chosen)
        return;
    TTickerFont font = *chosen;
    font.Size = std::clamp(font.Size, 8, 12);
    host_.SetTickerFont(font);
}

void TfrmConfig::btnTipsClick() {
    platform::ShowInformation(
        "Fill in username and password if required by your Internet or intranet connection. Leave "
        "grey if you "
        "use standard dial-up networking. Remember to save your settings.",
        kInformation);
}

void TfrmConfig::btnHelpConfigClick() {
    platform::ProcessMessages();
    host_.ShowHelpTopic(kHelpContext);
}

void TfrmConfig::PickProgram(platform::TComboBox& list) {
    auto chosen = ChooseProgram("Browse");
    if (!chosen)
        return;
    list.SetText(*chosen);
    AddProgramName(list);
}

void TfrmConfig::AddProgramName(platform::TComboBox& list) {
    const std::string text = list.Text();
    if (platform::Trim(text).empty())
        return;
    const auto items = list.Items();
    if (std::find(items.begin(), items.end(), text) != items.end())
        return;
    AddSortedItem(list, text);
}

void TfrmConfig::btnBrowseBrowserClick() {
    PickProgram(*cbBrowser);
}
void TfrmConfig::btnBrowseViewerClick() {
    PickProgram(*cbViewer);
}
void TfrmConfig::cbBrowserDropDown() {
    AddProgramName(*cbBrowser);
}
void TfrmConfig::cbViewerDropDown() {
    AddProgramName(*cbViewer);
}

void TfrmConfig::txtPasswordChange() {
    // The mask reads as the word it is; anything else, typed or put back,
    // shows as dots only.
    txtPassword->SetPassword(txtPassword->Text() != kSecret);
}
// --- Site Check ---------------------------------------------------------------------

void TfrmConfig::btnRetrieveClick() {
    if (OnRetrieveTestURL)
        OnRetrieveTestURL();
}

void TfrmConfig::btnCancelClick() {
    if (OnCancelRetrieval)
        OnCancelRetrieval();
}

void TfrmConfig::btnAddURLClick() {
    AddUrlToFile(TestURL());
}

void TfrmConfig::btnAddFeedClick() {
    AddUrlToFile(cbFeeds->Text());
}

void TfrmConfig::AddUrlToFile(const std::string& text) {
    const std::string path = UrlFilePath();
    if (!UrlFileExists(path)) {
        platform::ShowWarning(MissingUrlFileText());
        return;
    }
    if (platform::Trim(text).empty()) {
        platform::MessageBeep(0);
        return;
    }
    // A line break or NUL inside the address would split it, or end the
    // whole list, when the file is read at the next start.
    if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
        platform::MessageBeep(0);
        return;
    }
    const auto entries = TestURLList();
    if (std::find(entries.begin(), entries.end(), text) != entries.end()) {
        platform::MessageBeep(0);
        return;
    }
    AddSortedItem(*cbTestURLs, text);
    WriteUrlFile(path, TestURLList());
    for (auto* list : {cbWebSite1.get(), cbWebSite2.get(), cbWebSite3.get()})
        AddSortedItem(*list, text);
    platform::ShowInformation(std::string(kProductName) + " URL file updated with current entry.",
                              kInformation);
}

}  // namespace zelvo::config
