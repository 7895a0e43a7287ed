// The dialog's pages and controls, and how their events reach the handlers.
#include <initializer_list>

#include "config/CnfgZv3.h"
#include "config/SettingsSchema.h"
#include "config/UrlList.h"
#include "platform/Cp1252.h"

namespace zelvo::config {
using platform::TBoxLayout;
using platform::TButton;
using platform::TCheckBox;
using platform::TComboBox;
using platform::TControl;
using platform::TEdit;
using platform::TGroupBox;
using platform::TLabel;
using platform::TRadioButton;
using platform::TTabSheet;
using platform::TWinControl;

namespace {

template <typename C>
std::unique_ptr<C> Named(std::unique_ptr<C> control, const char* name) {
    control->SetName(name);
    return control;
}

std::unique_ptr<TButton> Button(TWinControl& parent, const char* name, const char* caption,
                                const char* hint) {
    auto b = Named(std::make_unique<TButton>(parent, caption), name);
    if (hint != nullptr)
        b->SetHint(hint);
    return b;
}

std::unique_ptr<TComboBox> UrlCombo(TWinControl& parent, const char* name) {
    auto list = Named(std::make_unique<TComboBox>(parent), name);
    // Completion must not turn an address into a listed one that differs
    // only in letter case: the paths of addresses are case-sensitive.
    list->SetCaseSensitiveCompletion(true);
    list->SetDropDownCount(10);
    list->SetMinimumChars(40);
    return list;
}

}  // namespace

// --- Building ---------------------------------------------------------------

TLabel& TfrmConfig::AddLabel(TWinControl& parent, const char* caption) {
    fixtures_.push_back(std::make_unique<TLabel>(parent, caption));
    return static_cast<TLabel&>(*fixtures_.back());
}

void TfrmConfig::AddTip(TTabSheet& page, TBoxLayout& column, const char* text) {
    fixtures_.push_back(std::make_unique<TGroupBox>(page, "Tip"));
    auto& box = static_cast<TGroupBox&>(*fixtures_.back());
    TLabel& label = AddLabel(box, text);
    label.SetWordWrap(true);
    box.ArrangeInColumn().Add(label);
    column.Add(box);
}

void TfrmConfig::BuildControls() {
    PageControl1 = Named(std::make_unique<platform::TPageControl>(*this), "PageControl1");
    BuildGeneralPage(PageControl1->AddPage("General "));
    BuildPersonalPage(PageControl1->AddPage("Personal"));
    BuildProgramPage(PageControl1->AddPage("Browser "),
                     "Name and Location of Web Browser:", cbBrowser, btnBrowseBrowser,
                     "Find browser",
                     "Select browser for graphical viewing of ticker's scrolling Web page.");
    cbBrowser->SetName("cbBrowser");
    btnBrowseBrowser->SetName("btnBrowseBrowser");
    cbBrowser->SetText("Netscape.exe");
    BuildProgramPage(PageControl1->AddPage("Viewer "),
                     "Name and Location of Web Page Text Viewer/URL Editor:", cbViewer,
                     btnBrowseViewer, "Find viewer",
                     "Use viewer's word wrap feature when viewing or printing Web page.");
    cbViewer->SetName("cbViewer");
    btnBrowseViewer->SetName("btnBrowseViewer");
    cbViewer->SetText(settings::Viewer.Default);
    BuildSitePage(PageControl1->AddPage("Site 1     "), 1, cbWebSite1, CheckBox1);
    BuildSitePage(PageControl1->AddPage("Site 2     "), 2, cbWebSite2, CheckBox2);
    BuildSitePage(PageControl1->AddPage("Site 3     "), 3, cbWebSite3, CheckBox3);
    BuildSiteCheckPage(PageControl1->AddPage("Site Check"));

    btnSaveConfig = Button(*this, "btnSaveConfig", "&Save", "Save settings to Registry");
    btnUpdate = Button(*this, "btnUpdate", "&Update", "Apply these settings");
    btnCancelConfig = Button(*this, "btnCancelConfig", "&Cancel", "Cancel these settings");
    btnHelpConfig = Button(*this, "btnHelpConfig", "&Help", "Configuration Help");
    auto& layout = ArrangeInColumn();
    layout.SetMargins(6, 6, 6, 6);
    layout.Add(*PageControl1, 1);
    auto& buttons = layout.AddRow();
    buttons.AddStretch();
    for (TButton* b :
         {btnSaveConfig.get(), btnUpdate.get(), btnCancelConfig.get(), btnHelpConfig.get()}) {
        b->SetMinimumWidth(75);
        buttons.Add(*b);
    }
}

void TfrmConfig::BuildGeneralPage(TTabSheet& page) {
    // One row per group, read from top to bottom and left to right: the
    // focus goes the same way.
    auto& col = page.ArrangeInColumn();
    col.SetSpacing(5);

    fixtures_.push_back(std::make_unique<TGroupBox>(page, "Ticker Scroll Speed"));
    auto& speed = static_cast<TGroupBox&>(*fixtures_.back());
    tbarScrollSpeed = Named(std::make_unique<platform::TTrackBar>(speed), "tbarScrollSpeed");
    tbarScrollSpeed->SetRange(settings::TickerScrollSpeed.Min, settings::TickerScrollSpeed.Max);
    tbarScrollSpeed->SetLineSize(25);
    tbarScrollSpeed->SetPageSize(50);
    tbarScrollSpeed->SetFrequency(20);
    tbarScrollSpeed->SetPosition(settings::TickerScrollSpeed.Default);
    auto& speedRow = speed.ArrangeInRow();
    speedRow.Add(AddLabel(speed, "Fast"));
    speedRow.Add(*tbarScrollSpeed, 1);
    speedRow.Add(AddLabel(speed, "Slow"));
    col.Add(speed);

    const auto& interval = settings::RetrievalInterval;
    const auto& timeOut = settings::AutoTimeOut;
    auto& numbers = col.AddRow();
    numbers.Add(AddLabel(page, "Retrieval Interval:"));
    spinInterval = Named(std::make_unique<platform::TSpinEdit>(page, interval.Min, interval.Max, 3),
                         "spinInterval");
    spinInterval->SetValue(interval.Default);
    numbers.Add(*spinInterval);
    TLabel& minutes = AddLabel(page, "Minutes");
    minutes.SetName("lblMinutes");
    numbers.Add(minutes);
    numbers.AddSpacing(24);
    numbers.Add(AddLabel(page, "Auto-Terminate:"));
    spinTimeOut = Named(std::make_unique<platform::TSpinEdit>(page, timeOut.Min, timeOut.Max, 2),
                        "spinTimeOut");
    spinTimeOut->SetValue(timeOut.Default);
    numbers.Add(*spinTimeOut);
    TLabel& hours = AddLabel(page, "Hours");
    hours.SetName("lblHours");
    numbers.Add(hours);
    numbers.AddStretch();

    fixtures_.push_back(std::make_unique<TGroupBox>(page, "Automatic Site Retrieval"));
    auto& retrieval = static_cast<TGroupBox&>(*fixtures_.back());
    rbtnRetrievalOn = Named(std::make_unique<TRadioButton>(retrieval, "ON (Retrieval Interval)"),
                            "rbtnRetrievalOn");
    rbtnRetrievalOff = Named(std::make_unique<TRadioButton>(retrieval, "OFF (Manual Retrieval)"),
                             "rbtnRetrievalOff");
    rbtnRetrievalOn->SetChecked(true);
    auto& retrievalRow = retrieval.ArrangeInRow();
    retrievalRow.Add(*rbtnRetrievalOn);
    retrievalRow.Add(*rbtnRetrievalOff);
    retrievalRow.AddStretch();

    fixtures_.push_back(std::make_unique<TGroupBox>(page, "Web Page in Ticker"));
    auto& reading = static_cast<TGroupBox&>(*fixtures_.back());
    rbtnHeadlines = Named(std::make_unique<TRadioButton>(reading, "Headlines"), "rbtnHeadlines");
    rbtnClassic =
        Named(std::make_unique<TRadioButton>(reading, "Classic (All Text)"), "rbtnClassic");
    rbtnHeadlines->SetChecked(true);
    auto& readingRow = reading.ArrangeInRow();
    readingRow.Add(*rbtnHeadlines);
    readingRow.Add(*rbtnClassic);
    readingRow.AddStretch();

    auto& choices = col.AddRow();
    choices.Add(retrieval, 3);
    choices.Add(reading, 2);

    auto& proxy = col.AddRow();
    proxy.Add(AddLabel(page, "Proxy Server Name:"));
    txtProxyHost = Named(std::make_unique<TEdit>(page), "txtProxyHost");
    txtProxyHost->SetMaxLength(settings::ProxyHost.MaxLength);
    proxy.Add(*txtProxyHost, 1);
    proxy.AddSpacing(12);
    proxy.Add(AddLabel(page, "Proxy Port:"));
    txtProxyPort = Named(std::make_unique<TEdit>(page), "txtProxyPort");
    txtProxyPort->SetMaxLength(settings::ProxyPort.MaxLength);
    proxy.Add(*txtProxyPort);

    chkStartAtLogin =
        Named(std::make_unique<TCheckBox>(page, "Start Zelvo when I log in"), "chkStartAtLogin");
    col.Add(*chkStartAtLogin);
    chkSmoothScroll =
        Named(std::make_unique<TCheckBox>(page, "Smooth scrolling"), "chkSmoothScroll");
    chkSmoothScroll->SetChecked(true);
    col.Add(*chkSmoothScroll);
    col.AddStretch();

    platform::SetTabOrder({tbarScrollSpeed.get(), spinInterval.get(), spinTimeOut.get(),
                           rbtnRetrievalOn.get(), rbtnRetrievalOff.get(), rbtnHeadlines.get(),
                           rbtnClassic.get(), txtProxyHost.get(), txtProxyPort.get(),
                           chkStartAtLogin.get(), chkSmoothScroll.get()});
}

void TfrmConfig::BuildPersonalPage(TTabSheet& page) {
    auto& col = page.ArrangeInColumn();

    fixtures_.push_back(std::make_unique<TGroupBox>(page, "Ticker Style"));
    auto& style = static_cast<TGroupBox&>(*fixtures_.back());
    rbBorder = Named(std::make_unique<TRadioButton>(style, "Border (Sizable)"), "rbBorder");
    rbNoBorder =
        Named(std::make_unique<TRadioButton>(style, "No Border (Non-sizable)"), "rbNoBorder");
    rbNoBorder->SetChecked(true);
    auto& styleRow = style.ArrangeInRow();
    styleRow.Add(*rbBorder);
    styleRow.Add(*rbNoBorder);
    styleRow.AddStretch();
    col.Add(style);

    btnBackcolor = Button(page, "btnBackcolor", "&Backcolor...", "Select ticker backcolor");
    btnForecolor = Button(page, "btnForecolor", "&Font && Color...", "Select ticker font && color");
    auto& looks = col.AddRow();
    looks.Add(*btnBackcolor);
    looks.Add(*btnForecolor);
    looks.AddStretch();

    auto& account = col.AddGrid();
    txtUsername = Named(std::make_unique<TEdit>(page), "txtUsername");
    txtUsername->SetMaxLength(settings::Username.MaxLength);
    btnTips = Button(page, "btnTips", "Details...", "Tips - Username/Password");
    txtPassword = Named(std::make_unique<TEdit>(page), "txtPassword");
    txtPassword->SetMaxLength(settings::Password.MaxLength);
    // Typed characters show as dots; "(Secret)" is shown as it is.
    txtPassword->SetPassword(true);
    account.Add(AddLabel(page, "Username:"), 0, 0);
    account.Add(*txtUsername, 0, 1);
    account.Add(*btnTips, 0, 2);
    account.Add(AddLabel(page, "Password:"), 1, 0);
    account.Add(*txtPassword, 1, 1);
    AddTip(page, col, "To activate border change, save settings, exit and restart program.");
    col.AddStretch();

    platform::SetTabOrder({rbBorder.get(), rbNoBorder.get(), btnBackcolor.get(), btnForecolor.get(),
                           txtUsername.get(), btnTips.get(), txtPassword.get()});
}

void TfrmConfig::BuildProgramPage(TTabSheet& page, const char* label,
                                  Control<platform::TComboBox>& list,
                                  Control<platform::TButton>& browse, const char* hint,
                                  const char* tip) {
    auto& col = page.ArrangeInColumn();
    col.Add(AddLabel(page, label));
    list = std::make_unique<TComboBox>(page);
    list->SetDropDownCount(5);
    browse = Button(page, "", "&Browse...", hint);
    auto& row = col.AddRow();
    row.Add(*list, 1);
    row.Add(*browse);
    AddTip(page, col, tip);
    col.AddStretch();
}

void TfrmConfig::BuildSitePage(TTabSheet& page, int site, Control<platform::TComboBox>& list,
                               Control<platform::TCheckBox>& enabled) {
    const std::string n = std::to_string(site);
    auto& col = page.ArrangeInColumn();
    col.Add(AddLabel(page, ("Web Site " + n + " URL:").c_str()));
    list = UrlCombo(page, ("cbWebSite" + n).c_str());
    col.Add(*list);
    enabled = std::make_unique<TCheckBox>(page, "Site Enabled");
    enabled->SetName("CheckBox" + n);
    enabled->SetChecked(true);
    col.Add(*enabled);
    AddTip(page, col, "Copy URL from Site Tester with Ctrl-C keys and paste here with Ctrl-V.");
    col.AddStretch();
}

void TfrmConfig::BuildSiteCheckPage(TTabSheet& page) {
    auto& col = page.ArrangeInColumn();
    col.Add(
        AddLabel(page, "Site Check -- Copy URL (Ctrl - C) in browser and paste (Ctrl - V) here:"));
    cbTestURLs = UrlCombo(page, "cbTestURLs");
    col.Add(*cbTestURLs);

    btnRetrieve = Button(page, "btnRetrieve", "&Retrieve", "Retrieve this URL");
    btnRetrieve->SetDefault(true);
    btnCancel = Button(page, "btnCancel", "&Cancel", "Abort URL retrieval");
    btnAddURL = Button(page, "btnAddURL", "&Add URL", "Save entry to URL file");
    auto& row = col.AddRow();
    row.Add(*btnRetrieve);
    row.Add(*btnCancel);
    row.Add(*btnAddURL);
    row.AddStretch();

    fixtures_.push_back(std::make_unique<TGroupBox>(page, "Current Site Displayed in Ticker"));
    auto& current = static_cast<TGroupBox&>(*fixtures_.back());
    pnlURL = Named(std::make_unique<TLabel>(current), "pnlURL");
    pnlURL->SetSunken(true);
    pnlURL->SetMinimumHeight(22);
    current.ArrangeInColumn().Add(*pnlURL);
    col.Add(current);

    auto& sizeRow = col.AddRow();
    pnlSize = Named(std::make_unique<TLabel>(page), "pnlSize");
    pnlSize->SetSunken(true);
    pnlSize->SetMinimumHeight(22);
    pnlSize->SetMinimumWidth(150);
    sizeRow.Add(AddLabel(page, "Web Page Size in Ticker"));
    sizeRow.Add(*pnlSize);
    // A page that declares a feed offers it here, to be added like an address.
    lblFeed = Named(std::make_unique<TLabel>(page, "Feed:"), "lblFeed");
    cbFeeds = Named(std::make_unique<TComboBox>(page, platform::TComboBoxStyle::csDropDownList),
                    "cbFeeds");
    cbFeeds->SetMinimumChars(12);
    btnAddFeed = Button(page, "btnAddFeed", "Add &Feed", "Save this feed to URL file");
    sizeRow.AddSpacing(8);
    sizeRow.Add(*lblFeed);
    sizeRow.Add(*cbFeeds, 1);
    sizeRow.Add(*btnAddFeed);
    col.AddStretch();
    SetOfferedFeeds({});
}

void TfrmConfig::ConnectHandlers() {
    auto click = [this](TButton& button, void (TfrmConfig::*handler)()) {
        button.OnClick = [this, handler](TControl*) { (this->*handler)(); };
    };
    click(*btnSaveConfig, &TfrmConfig::btnSaveConfigClick);
    click(*btnUpdate, &TfrmConfig::btnUpdateClick);
    click(*btnCancelConfig, &TfrmConfig::btnCancelConfigClick);
    click(*btnHelpConfig, &TfrmConfig::btnHelpConfigClick);
    click(*btnBackcolor, &TfrmConfig::btnBackcolorClick);
    click(*btnForecolor, &TfrmConfig::btnForecolorClick);
    click(*btnTips, &TfrmConfig::btnTipsClick);
    click(*btnBrowseBrowser, &TfrmConfig::btnBrowseBrowserClick);
    click(*btnBrowseViewer, &TfrmConfig::btnBrowseViewerClick);
    click(*btnRetrieve, &TfrmConfig::btnRetrieveClick);
    click(*btnCancel, &TfrmConfig::btnCancelClick);
    click(*btnAddURL, &TfrmConfig::btnAddURLClick);
    click(*btnAddFeed, &TfrmConfig::btnAddFeedClick);

    PageControl1->OnChange = [this](TControl*) { PageControl1Change(); };
    // Only a move by the user runs the zone rule.
    tbarScrollSpeed->OnChange = [this](TControl*) { tbarScrollSpeedChange(); };
    for (auto* rb : {rbtnRetrievalOn.get(), rbtnRetrievalOff.get()})
        rb->OnClick = [this](TControl*) { rbtnRetrievalOnClick(); };
    for (auto* rb : {rbBorder.get(), rbNoBorder.get()})
        rb->OnClick = [this](TControl*) { rbBorderClick(); };
    cbBrowser->OnDropDown = [this](TControl*) { cbBrowserDropDown(); };
    cbViewer->OnDropDown = [this](TControl*) { cbViewerDropDown(); };
    txtPassword->OnChange = [this](TControl*) { txtPasswordChange(); };

    OnShow = [this](TControl*) { FormShow(); };
    OnHide = [this](TControl*) { FormHide(); };
    OnClose = [this](TControl*) {
        if (!closing_)
            CloseDialog();
    };
    OnCancel = [this](TControl*) { btnCancelConfigClick(); };
    OnFontChange = [this](TControl*) {
        // The dialog's own font is set before it has controls to fit.
        if (PageControl1)
            FitToFont();
    };
}

// --- Live controls ------------------------------------------------------------

TComboBox& TfrmConfig::SiteList(int site) const {
    switch (site) {
        case 2:
            return *cbWebSite2;
        case 3:
            return *cbWebSite3;
        default:
            return *cbWebSite1;
    }
}

TCheckBox& TfrmConfig::SiteBox(int site) const {
    switch (site) {
        case 2:
            return *CheckBox2;
        case 3:
            return *CheckBox3;
        default:
            return *CheckBox1;
    }
}

std::string TfrmConfig::SiteURL(int site) const {
    return SiteList(site).Text();
}
void TfrmConfig::SetSiteURL(int site, const std::string& url) {
    SiteList(site).SetText(url);
}
bool TfrmConfig::SiteEnabled(int site) const {
    return SiteBox(site).Checked();
}
void TfrmConfig::SetSiteEnabled(int site, bool enabled) {
    SiteBox(site).SetChecked(enabled);
}
std::string TfrmConfig::ProxyHostText() const {
    return txtProxyHost->Text();
}
std::string TfrmConfig::ProxyPortText() const {
    return txtProxyPort->Text();
}
std::string TfrmConfig::TestURL() const {
    return cbTestURLs->Text();
}
void TfrmConfig::SetTestURL(const std::string& url) {
    cbTestURLs->SetText(url);
}
std::string TfrmConfig::BrowserText() const {
    return cbBrowser->Text();
}
void TfrmConfig::SetBrowserText(const std::string& name) {
    cbBrowser->SetText(name);
}
std::string TfrmConfig::ViewerText() const {
    return cbViewer->Text();
}
void TfrmConfig::SetViewerText(const std::string& name) {
    cbViewer->SetText(name);
}
bool TfrmConfig::RetrievalOnSelected() const {
    return rbtnRetrievalOn->Checked();
}
std::string TfrmConfig::CurrentURLCaption() const {
    return pnlURL->Caption();
}
void TfrmConfig::SetCurrentURLCaption(const std::string& caption) {
    pnlURL->SetCaption(caption);
}
std::string TfrmConfig::PageSizeCaption() const {
    return pnlSize->Caption();
}
void TfrmConfig::SetPageSizeCaption(const std::string& caption) {
    pnlSize->SetCaption(caption);
}
bool TfrmConfig::RetrievalCancelEnabled() const {
    return btnCancel->Enabled();
}
void TfrmConfig::SetRetrievalCancelEnabled(bool enabled) {
    btnCancel->SetEnabled(enabled);
}
// Feeds arrive as UTF-8, as the page declared them.
void TfrmConfig::SetOfferedFeeds(const std::vector<std::string>& feeds) {
    cbFeeds->ClearItems();
    for (const std::string& feed : feeds)
        cbFeeds->AddItem(platform::Utf8ToCp1252(feed));
    if (!feeds.empty())
        cbFeeds->SetItemIndex(0);
    const bool any = !feeds.empty();
    lblFeed->SetVisible(any);
    cbFeeds->SetVisible(any);
    btnAddFeed->SetVisible(any);
}
std::vector<std::string> TfrmConfig::OfferedFeeds() const {
    std::vector<std::string> feeds;
    for (const std::string& item : cbFeeds->Items())
        feeds.push_back(platform::Cp1252ToUtf8(item));
    return feeds;
}
std::string TfrmConfig::UrlFilePath() const {
    return exeDir_ + kUrlFileName;
}
std::vector<std::string> TfrmConfig::TestURLList() const {
    return cbTestURLs->Items();
}
std::vector<std::string> TfrmConfig::SiteURLList(int site) const {
    return SiteList(site).Items();
}

void TfrmConfig::AddSortedItem(TComboBox& list, const std::string& entry) {
    list.InsertItem(static_cast<int>(SortedInsertPosition(list.Items(), entry)), entry);
}

void TfrmConfig::ShowModal() {
    if (Visible())
        return;
    TForm::ShowModal();
}

}  // namespace zelvo::config
