#include "config/CnfgZv3.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
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
#include "toolkit/Look.h"

namespace zelvo::config {
using platform::FromQColor;
using platform::FromQString;
using platform::ToQFont;
using platform::ToQString;

namespace {

constexpr const char* kSecret = "(Secret)";
constexpr const char* kInformation = "Information";
constexpr int kHelpContext = 1000;
// The least size of the dialog; a larger font makes it larger.
constexpr QSize kDesignSize(530, 343);
// Characters of the proxy port field shown whole.
constexpr int kPortDigits = 6;
constexpr int kSiteCheckPage = 7;

}  // namespace

TfrmConfig::TfrmConfig(TConfigHost& host, TConfigPlaces places, QWidget* parent)
    : QDialog(parent),
      host_(host),
      exeDir_(places.ExeDir.empty() ? platform::Folders().UrlList : std::move(places.ExeDir)),
      storePath_(std::move(places.StorePath)) {
    if (!exeDir_.empty() && exeDir_.back() != '/')
        exeDir_ += '/';
    ChooseColor = [this](TColor initial) { return ToolkitChooseColor(this, initial); };
    ChooseFont = [this](const TTickerFont& initial) { return ToolkitChooseFont(this, initial); };
    ChooseProgram = [this](const std::string& title) { return ToolkitChooseProgram(this, title); };

    setObjectName(QStringLiteral("frmConfig"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    // Drawn in the face a new strip starts with.
    setFont(QFont(QString::fromLatin1(settings::FontName.Default)));
    setWindowTitle(ToQString("Configure " + std::string(kProductName) + Live().InstanceSuffix));
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
    {
        QSignalBlocker b1(rbBorder), b2(rbNoBorder);
        (Live().BorderOn ? rbBorder : rbNoBorder)->setChecked(true);
    }
    LoadSettings();
    chkStartAtLogin->setChecked(AutostartEnabled());
    for (int site = 1; site <= 3; ++site) {
        SiteList(site)->setEnabled(true);
        SiteBox(site)->setEnabled(true);
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
        cbTestURLs->addItem(ToQString(entry));
    const auto sorted = SortUrls(entries);
    for (auto* list : {cbWebSite1, cbWebSite2, cbWebSite3}) {
        for (const auto& entry : sorted)
            list->addItem(ToQString(entry));
    }
    for (auto* list : {cbTestURLs, cbWebSite1, cbWebSite2, cbWebSite3})
        list->setEditText(QString());
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
    CheckBox1->setChecked(store->Read(section, settings::Site1Enabled));
    CheckBox2->setChecked(store->Read(section, settings::Site2Enabled));
    CheckBox3->setChecked(store->Read(section, settings::Site3Enabled));
    for (int site = 1; site <= 3; ++site)
        appliedSites_[site - 1] = SiteURL(site);
    SetTestURL(store->Read(section, settings::SiteTester, MakerHomePage()));
    SetBrowserText(store->Read(section, settings::Browser));
    SetViewerText(store->Read(section, settings::Viewer));

    txtProxyPort->setText(ToQString(platform::Trim(store->Read(section, settings::ProxyPort))));
    txtProxyHost->setText(ToQString(platform::Trim(store->Read(section, settings::ProxyHost))));
    const std::string username = platform::Trim(store->Read(section, settings::Username));
    txtUsername->setText(ToQString(username));
    live.Username = username;

    std::string password = platform::Trim(store->Read(section, settings::Password));
    if (password == kSecret)
        password.clear();
    live.Password = password;
    txtPassword->setText(password.empty() ? QString() : ToQString(kSecret));

    SetSliderPosition(
        settings::TickerScrollSpeed.Clamp(store->Read(section, settings::TickerScrollSpeed)));
    host_.SetScrollInterval(static_cast<unsigned>(tbarScrollSpeed->value()));
    live.ScrollStep = store->Read(section, settings::CharScroll);
    spinInterval->SetValue(store->Read(section, settings::RetrievalInterval));
    live.RetrievalInterval = spinInterval->Value();
    spinTimeOut->SetValue(store->Read(section, settings::AutoTimeOut));
    live.AutoTimeOut = spinTimeOut->Value();
    (store->Read(section, settings::AutoRetrievalOn) ? rbtnRetrievalOn : rbtnRetrievalOff)
        ->setChecked(true);
    live.AutoRetrievalOn = rbtnRetrievalOn->isChecked();
    chkSmoothScroll->setChecked(store->Read(section, settings::SmoothScroll));
    live.SmoothScroll = chkSmoothScroll->isChecked();
    SelectPageReading(store->Read(section, settings::PageReading));
    live.PageReading = SelectedPageReading();
}

void TfrmConfig::SelectPageReading(const std::string& name) {
    (platform::AsciiLower(name) == platform::AsciiLower(settings::kClassicReading) ? rbtnClassic
                                                                                   : rbtnHeadlines)
        ->setChecked(true);
}

std::string TfrmConfig::SelectedPageReading() const {
    return rbtnClassic->isChecked() ? settings::kClassicReading : settings::PageReading.Default;
}

// --- Showing and the page rule --------------------------------------------------

void TfrmConfig::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmConfig::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        FormHide();
}

void TfrmConfig::FormShow() {
    auto& live = Live();
    try {
        setWindowTitle(ToQString("Configure " + std::string(kProductName) + live.InstanceSuffix));

        const int d = live.InstanceNumber >= 2 ? live.InstanceNumber + 1 : 2;
        move((platform::ScreenWidth() - width()) / d, (platform::ScreenHeight() - height()) / d);

        closeHandled_ = false;
        PageControl1->setCurrentIndex(0);
        // The page's first control has the focus, as if tabbed into.
        tbarScrollSpeed->setFocus(Qt::TabFocusReason);
        platform::ProcessMessages();
        PageControl1Change();

        snapshot_.ScrollSpeed = tbarScrollSpeed->value();
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
        (live.AutoRetrievalOn ? rbtnRetrievalOn : rbtnRetrievalOff)->setChecked(true);
        snapshot_.RetrievalOn = rbtnRetrievalOn->isChecked();
        SelectPageReading(live.PageReading);
        snapshot_.ClassicReading = rbtnClassic->isChecked();

        snapshot_.BorderOn = live.BorderOn;
        snapshot_.TestURL = TestURL();
        snapshot_.ProxyPort = platform::Trim(ProxyPortText());
        snapshot_.ProxyHost = platform::Trim(ProxyHostText());
        snapshot_.Username = platform::Trim(FromQString(txtUsername->text()));
        snapshot_.PasswordField = platform::Trim(FromQString(txtPassword->text()));
        snapshot_.Password = live.Password;

        spinInterval->SetValue(live.RetrievalInterval);
        spinTimeOut->SetValue(live.AutoTimeOut);
        // The desktop's session settings may have changed the entry since.
        chkStartAtLogin->setChecked(AutostartEnabled());
        snapshot_.StartAtLogin = chkStartAtLogin->isChecked();
        chkSmoothScroll->setChecked(live.SmoothScroll);
    } catch (...) {
        platform::MessageBeep(0);
    }
    dialogShown_ = true;
}

void TfrmConfig::FitToFont() {
    ensurePolished();
    spinInterval->FitToFont();
    spinTimeOut->FitToFont();
    txtProxyPort->setFixedWidth(FieldWidthFor(txtProxyPort, kPortDigits));
    layout()->invalidate();
    // Every page counts, the hidden ones too: the size does not change with the page.
    setFixedSize(layout()->totalSizeHint().expandedTo(kDesignSize));
}

void TfrmConfig::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // The dialog's own font is set before it has controls to fit.
    const bool built = PageControl1 != nullptr;
    if (built && (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange))
        FitToFont();
}

void TfrmConfig::FormHide() {
    dialogShown_ = false;
}

void TfrmConfig::PageControl1Change() {
    const bool siteCheck = PageControl1->currentIndex() == kSiteCheckPage;
    btnSaveConfig->setEnabled(!siteCheck);
    btnUpdate->setEnabled(!siteCheck);
    btnCancelConfig->setText(siteCheck ? QStringLiteral("Cl&ose") : QStringLiteral("&Cancel"));
}

void TfrmConfig::SetSliderPosition(int position) {
    QSignalBlocker block(tbarScrollSpeed);
    tbarScrollSpeed->setValue(position);
}

void TfrmConfig::tbarScrollSpeedChange() {
    const int position = tbarScrollSpeed->value();
    pendingScrollStep_ = position < 150 ? 3 : position < 300 ? 2 : 1;
    platform::ProcessMessages();
}

// --- Update, Save, Cancel, closing ----------------------------------------------

void TfrmConfig::ApplySettings() {
    auto& live = Live();
    host_.SetScrollInterval(static_cast<unsigned>(tbarScrollSpeed->value()));
    live.ScrollStep = pendingScrollStep_;
    live.RetrievalInterval = spinInterval->Value();
    live.AutoTimeOut = spinTimeOut->Value();
    live.SmoothScroll = chkSmoothScroll->isChecked();
    const bool on = rbtnRetrievalOn->isChecked();
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
    live.Username = FromQString(txtUsername->text());

    const std::string password = platform::Trim(FromQString(txtPassword->text()));
    if (password.empty()) {
        live.Password.clear();
    } else if (password != kSecret) {
        live.Password = password;
        txtPassword->setText(ToQString(kSecret));
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
        hide();
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
        hide();
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
        store->Write(section, settings::Site1Enabled, CheckBox1->isChecked());
        store->Write(section, settings::Site2Enabled, CheckBox2->isChecked());
        store->Write(section, settings::Site3Enabled, CheckBox3->isChecked());
        store->Write(section, settings::SiteTester, TestURL());
        store->Write(section, settings::Browser, BrowserText());
        store->Write(section, settings::Viewer, ViewerText());
        store->Write(section, settings::ProxyPort, platform::Trim(ProxyPortText()));
        store->Write(section, settings::ProxyHost, platform::Trim(ProxyHostText()));
        store->Write(section, settings::Username, platform::Trim(FromQString(txtUsername->text())));
        store->Write(section, settings::Password, platform::Trim(Live().Password));
        store->Write(section, settings::TickerScrollSpeed, tbarScrollSpeed->value());
        store->Write(section, settings::CharScroll, Live().ScrollStep);
        store->Write(section, settings::RetrievalInterval, spinInterval->Value());
        store->Write(section, settings::AutoTimeOut, spinTimeOut->Value());
        store->Write(section, settings::AutoRetrievalOn, rbtnRetrievalOn->isChecked());
        store->Write(section, settings::SmoothScroll, chkSmoothScroll->isChecked());
        store->Write(section, settings::Border, rbBorder->isChecked());
        store->Write(section, settings::Backcolor, host_.TickerBackColor());
        const TTickerFont font = host_.TickerFont();
        store->Write(section, settings::ForeColor, font.Color);
        store->Write(section, settings::FontName, font.Name);
        store->Write(section, settings::FontSize, font.Size);
        store->Write(section, settings::FontStyle, font.HasStyle() ? 2 : 1);
        store->Write(section, settings::PageReading, SelectedPageReading());
        store.reset();
        SetAutostart(chkStartAtLogin->isChecked(), platform::ExePath());

        closeHandled_ = true;
        CloseDialog();
    } catch (...) {
        platform::MessageBeep(0);
    }
}

void TfrmConfig::btnCancelConfigClick() {
    try {
        hide();
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
        txtProxyPort->setText(ToQString(s.ProxyPort));
        txtProxyHost->setText(ToQString(s.ProxyHost));
        txtUsername->setText(ToQString(s.Username));
        txtPassword->setText(ToQString(s.PasswordField));
        Live().Password = s.Password;
        (s.RetrievalOn ? rbtnRetrievalOn : rbtnRetrievalOff)->setChecked(true);
        (s.ClassicReading ? rbtnClassic : rbtnHeadlines)->setChecked(true);
        host_.SetTickerFont(s.Font);
        host_.SetTickerBackColor(s.BackColor);
        (s.BorderOn ? rbBorder : rbNoBorder)->setChecked(true);
        chkStartAtLogin->setChecked(s.StartAtLogin);

        CloseDialog();
    } catch (...) {
        platform::MessageBeep(0);
    }
}

void TfrmConfig::reject() {
    btnCancelConfigClick();
}

void TfrmConfig::closeEvent(QCloseEvent* event) {
    if (!closing_)
        CloseDialog();
    event->accept();
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
    QDialog::done(QDialog::Rejected);
}

void TfrmConfig::FormClose() {
    hide();
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

void TfrmConfig::PickProgram(TDropDown* list) {
    auto chosen = ChooseProgram("Browse");
    if (!chosen)
        return;
    list->setEditText(ToQString(*chosen));
    AddProgramName(list);
}

void TfrmConfig::AddProgramName(TDropDown* list) {
    const std::string text = FromQString(list->currentText());
    if (platform::Trim(text).empty())
        return;
    const auto items = ComboItems(list);
    if (std::find(items.begin(), items.end(), text) != items.end())
        return;
    AddSortedItem(list, text);
}

void TfrmConfig::btnBrowseBrowserClick() {
    PickProgram(cbBrowser);
}
void TfrmConfig::btnBrowseViewerClick() {
    PickProgram(cbViewer);
}
void TfrmConfig::cbBrowserDropDown() {
    AddProgramName(cbBrowser);
}
void TfrmConfig::cbViewerDropDown() {
    AddProgramName(cbViewer);
}

void TfrmConfig::txtPasswordChange() {
    // The mask reads as the word it is; anything else, typed or put back,
    // shows as dots only.
    txtPassword->setEchoMode(FromQString(txtPassword->text()) == kSecret ? QLineEdit::Normal
                                                                         : QLineEdit::Password);
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
    AddUrlToFile(FromQString(cbFeeds->currentText()));
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
    AddSortedItem(cbTestURLs, text);
    WriteUrlFile(path, TestURLList());
    for (auto* list : {cbWebSite1, cbWebSite2, cbWebSite3})
        AddSortedItem(list, text);
    platform::ShowInformation(std::string(kProductName) + " URL file updated with current entry.",
                              kInformation);
}

}  // namespace zelvo::config
