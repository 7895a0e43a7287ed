// The dialog's pages and controls, and how their events reach the handlers.
#include <QCheckBox>
#include <QCompleter>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <initializer_list>

#include "config/CnfgZv3.h"
#include "config/SettingsSchema.h"
#include "config/UrlList.h"
#include "platform/MessageLoop.h"
#include "platform/QtText.h"

namespace zelvo::config {
using platform::FromQString;
using platform::ToQString;

namespace {

QLabel* Sunken(QWidget* parent, const char* name) {
    auto* panel = new QLabel(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panel->setMinimumHeight(22);
    return panel;
}

QGroupBox* TipBox(QWidget* parent, const char* text) {
    auto* box = new QGroupBox(QStringLiteral("Tip"), parent);
    auto* label = new QLabel(ToQString(text), box);
    label->setWordWrap(true);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(label);
    return box;
}

template <typename W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint) {
    auto* b = Named(new QPushButton(ToQString(caption), parent), name);
    if (hint != nullptr)
        b->setToolTip(ToQString(hint));
    b->setAutoDefault(false);
    return b;
}

QComboBox* UrlCombo(QWidget* parent, const char* name) {
    auto* list = Named(new QComboBox(parent), name);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    // Completion must not turn an address into a listed one that differs
    // only in letter case: the paths of addresses are case-sensitive.
    if (list->completer() != nullptr)
        list->completer()->setCaseSensitivity(Qt::CaseSensitive);
    list->setMaxVisibleItems(10);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(40);
    return list;
}

// The focus moves through the widgets in this order.
void ChainTabOrder(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* w : widgets) {
        if (previous != nullptr)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

// An option group is one stop of the Tab key, at its selected button, so
// that Space never flips the choice: the arrow keys move within the group.
void OneTabStop(QRadioButton* a, QRadioButton* b) {
    auto follow = [a, b] {
        a->setFocusPolicy(a->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        b->setFocusPolicy(b->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    };
    follow();
    QObject::connect(a, &QRadioButton::toggled, a, follow);
    QObject::connect(b, &QRadioButton::toggled, b, follow);
}

}  // namespace

// --- Building ---------------------------------------------------------------

void TfrmConfig::BuildControls() {
    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    // All eight captions stand whole in one row: the dialog is as wide as
    // the row needs in the font it has.
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setElideMode(Qt::ElideNone);
    PageControl1->tabBar()->setExpanding(false);
    PageControl1->addTab(BuildGeneralPage(), ToQString("General "));
    PageControl1->addTab(BuildPersonalPage(), ToQString("Personal"));
    PageControl1->addTab(
        BuildProgramPage("Name and Location of Web Browser:", cbBrowser, btnBrowseBrowser,
                         "Find browser",
                         "Select browser for graphical viewing of ticker's scrolling Web page."),
        ToQString("Browser "));
    Named(cbBrowser, "cbBrowser");
    Named(btnBrowseBrowser, "btnBrowseBrowser");
    cbBrowser->setEditText(QStringLiteral("Netscape.exe"));
    PageControl1->addTab(
        BuildProgramPage("Name and Location of Web Page Text Viewer/URL Editor:", cbViewer,
                         btnBrowseViewer, "Find viewer",
                         "Use viewer's word wrap feature when viewing or printing Web page."),
        ToQString("Viewer "));
    Named(cbViewer, "cbViewer");
    Named(btnBrowseViewer, "btnBrowseViewer");
    cbViewer->setEditText(QString::fromLatin1(settings::Viewer.Default));
    PageControl1->addTab(BuildSitePage(1, cbWebSite1, CheckBox1), ToQString("Site 1     "));
    PageControl1->addTab(BuildSitePage(2, cbWebSite2, CheckBox2), ToQString("Site 2     "));
    PageControl1->addTab(BuildSitePage(3, cbWebSite3, CheckBox3), ToQString("Site 3     "));
    PageControl1->addTab(BuildSiteCheckPage(), ToQString("Site Check"));

    btnSaveConfig = Button(this, "btnSaveConfig", "&Save", "Save settings to Registry");
    btnUpdate = Button(this, "btnUpdate", "&Update", "Apply these settings");
    btnCancelConfig = Button(this, "btnCancelConfig", "&Cancel", "Cancel these settings");
    btnHelpConfig = Button(this, "btnHelpConfig", "&Help", "Configuration Help");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (auto* b : {btnSaveConfig, btnUpdate, btnCancelConfig, btnHelpConfig}) {
        b->setMinimumWidth(75);
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);
}

QWidget* TfrmConfig::BuildGeneralPage() {
    // One row per group, read from top to bottom and left to right: the
    // focus goes the same way.
    auto* page = new QWidget;
    auto* col = new QVBoxLayout(page);
    col->setSpacing(5);

    auto* speed = new QGroupBox(QStringLiteral("Ticker Scroll Speed"), page);
    tbarScrollSpeed = Named(new QSlider(Qt::Horizontal, speed), "tbarScrollSpeed");
    tbarScrollSpeed->setRange(settings::TickerScrollSpeed.Min, settings::TickerScrollSpeed.Max);
    tbarScrollSpeed->setSingleStep(25);
    tbarScrollSpeed->setPageStep(50);
    tbarScrollSpeed->setTickInterval(20);
    tbarScrollSpeed->setTickPosition(QSlider::TicksAbove);
    tbarScrollSpeed->setValue(settings::TickerScrollSpeed.Default);
    auto* speedRow = new QHBoxLayout(speed);
    speedRow->addWidget(new QLabel(QStringLiteral("Fast"), speed));
    speedRow->addWidget(tbarScrollSpeed, 1);
    speedRow->addWidget(new QLabel(QStringLiteral("Slow"), speed));
    col->addWidget(speed);

    const auto& interval = settings::RetrievalInterval;
    const auto& timeOut = settings::AutoTimeOut;
    auto* numbers = new QHBoxLayout;
    numbers->addWidget(new QLabel(QStringLiteral("Retrieval Interval:"), page));
    spinInterval = Named(new TSpinEdit(interval.Min, interval.Max, 3, page), "spinInterval");
    spinInterval->SetValue(interval.Default);
    numbers->addWidget(spinInterval);
    numbers->addWidget(Named(new QLabel(QStringLiteral("Minutes"), page), "lblMinutes"));
    numbers->addSpacing(24);
    numbers->addWidget(new QLabel(QStringLiteral("Auto-Terminate:"), page));
    spinTimeOut = Named(new TSpinEdit(timeOut.Min, timeOut.Max, 2, page), "spinTimeOut");
    spinTimeOut->SetValue(timeOut.Default);
    numbers->addWidget(spinTimeOut);
    numbers->addWidget(Named(new QLabel(QStringLiteral("Hours"), page), "lblHours"));
    numbers->addStretch();
    col->addLayout(numbers);

    auto* retrieval = new QGroupBox(QStringLiteral("Automatic Site Retrieval"), page);
    rbtnRetrievalOn = Named(new QRadioButton(QStringLiteral("ON (Retrieval Interval)"), retrieval),
                            "rbtnRetrievalOn");
    rbtnRetrievalOff = Named(new QRadioButton(QStringLiteral("OFF (Manual Retrieval)"), retrieval),
                             "rbtnRetrievalOff");
    rbtnRetrievalOn->setChecked(true);
    auto* retrievalRow = new QHBoxLayout(retrieval);
    retrievalRow->addWidget(rbtnRetrievalOn);
    retrievalRow->addWidget(rbtnRetrievalOff);
    retrievalRow->addStretch();

    auto* reading = new QGroupBox(QStringLiteral("Web Page in Ticker"), page);
    rbtnHeadlines = Named(new QRadioButton(QStringLiteral("Headlines"), reading), "rbtnHeadlines");
    rbtnClassic =
        Named(new QRadioButton(QStringLiteral("Classic (All Text)"), reading), "rbtnClassic");
    rbtnHeadlines->setChecked(true);
    auto* readingRow = new QHBoxLayout(reading);
    readingRow->addWidget(rbtnHeadlines);
    readingRow->addWidget(rbtnClassic);
    readingRow->addStretch();

    auto* choices = new QHBoxLayout;
    choices->addWidget(retrieval, 3);
    choices->addWidget(reading, 2);
    col->addLayout(choices);

    auto* proxy = new QHBoxLayout;
    proxy->addWidget(new QLabel(QStringLiteral("Proxy Server Name:"), page));
    txtProxyHost = Named(new QLineEdit(page), "txtProxyHost");
    txtProxyHost->setMaxLength(settings::ProxyHost.MaxLength);
    proxy->addWidget(txtProxyHost, 1);
    proxy->addSpacing(12);
    proxy->addWidget(new QLabel(QStringLiteral("Proxy Port:"), page));
    txtProxyPort = Named(new QLineEdit(page), "txtProxyPort");
    txtProxyPort->setMaxLength(settings::ProxyPort.MaxLength);
    proxy->addWidget(txtProxyPort);
    col->addLayout(proxy);

    chkStartAtLogin =
        Named(new QCheckBox(QStringLiteral("Start Zelvo when I log in"), page), "chkStartAtLogin");
    col->addWidget(chkStartAtLogin);
    chkSmoothScroll =
        Named(new QCheckBox(QStringLiteral("Smooth scrolling"), page), "chkSmoothScroll");
    chkSmoothScroll->setChecked(true);
    col->addWidget(chkSmoothScroll);
    col->addStretch();

    OneTabStop(rbtnRetrievalOn, rbtnRetrievalOff);
    OneTabStop(rbtnHeadlines, rbtnClassic);
    ChainTabOrder({tbarScrollSpeed, spinInterval->Edit(), spinTimeOut->Edit(), rbtnRetrievalOn,
                   rbtnRetrievalOff, rbtnHeadlines, rbtnClassic, txtProxyHost, txtProxyPort,
                   chkStartAtLogin, chkSmoothScroll});
    return page;
}

QWidget* TfrmConfig::BuildPersonalPage() {
    auto* page = new QWidget;
    auto* col = new QVBoxLayout(page);

    auto* style = new QGroupBox(QStringLiteral("Ticker Style"), page);
    rbBorder = Named(new QRadioButton(QStringLiteral("Border (Sizable)"), style), "rbBorder");
    rbNoBorder =
        Named(new QRadioButton(QStringLiteral("No Border (Non-sizable)"), style), "rbNoBorder");
    rbNoBorder->setChecked(true);
    auto* styleRow = new QHBoxLayout(style);
    styleRow->addWidget(rbBorder);
    styleRow->addWidget(rbNoBorder);
    styleRow->addStretch();
    col->addWidget(style);

    btnBackcolor = Button(page, "btnBackcolor", "&Backcolor...", "Select ticker backcolor");
    btnForecolor = Button(page, "btnForecolor", "&Font && Color...", "Select ticker font && color");
    auto* looks = new QHBoxLayout;
    looks->addWidget(btnBackcolor);
    looks->addWidget(btnForecolor);
    looks->addStretch();
    col->addLayout(looks);

    auto* account = new QGridLayout;
    txtUsername = Named(new QLineEdit(page), "txtUsername");
    txtUsername->setMaxLength(settings::Username.MaxLength);
    btnTips = Button(page, "btnTips", "Details...", "Tips - Username/Password");
    txtPassword = Named(new QLineEdit(page), "txtPassword");
    txtPassword->setMaxLength(settings::Password.MaxLength);
    // Typed characters show as dots; "(Secret)" is shown as it is.
    txtPassword->setEchoMode(QLineEdit::Password);
    account->addWidget(new QLabel(QStringLiteral("Username:"), page), 0, 0);
    account->addWidget(txtUsername, 0, 1);
    account->addWidget(btnTips, 0, 2);
    account->addWidget(new QLabel(QStringLiteral("Password:"), page), 1, 0);
    account->addWidget(txtPassword, 1, 1);
    col->addLayout(account);
    col->addWidget(
        TipBox(page, "To activate border change, save settings, exit and restart program."));
    col->addStretch();

    OneTabStop(rbBorder, rbNoBorder);
    ChainTabOrder(
        {rbBorder, rbNoBorder, btnBackcolor, btnForecolor, txtUsername, btnTips, txtPassword});
    return page;
}

QWidget* TfrmConfig::BuildProgramPage(const char* label, TDropDown*& list, QPushButton*& browse,
                                      const char* hint, const char* tip) {
    auto* page = new QWidget;
    auto* col = new QVBoxLayout(page);
    col->addWidget(new QLabel(ToQString(label), page));
    list = new TDropDown(page);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setMaxVisibleItems(5);
    browse = Button(page, "", "&Browse...", hint);
    auto* row = new QHBoxLayout;
    row->addWidget(list, 1);
    row->addWidget(browse);
    col->addLayout(row);
    col->addWidget(TipBox(page, tip));
    col->addStretch();
    return page;
}

QWidget* TfrmConfig::BuildSitePage(int site, QComboBox*& list, QCheckBox*& enabled) {
    const std::string n = std::to_string(site);
    auto* page = new QWidget;
    auto* col = new QVBoxLayout(page);
    col->addWidget(new QLabel(ToQString("Web Site " + n + " URL:"), page));
    list = UrlCombo(page, ("cbWebSite" + n).c_str());
    col->addWidget(list);
    enabled = new QCheckBox(QStringLiteral("Site Enabled"), page);
    enabled->setObjectName(ToQString("CheckBox" + n));
    enabled->setChecked(true);
    col->addWidget(enabled);
    col->addWidget(
        TipBox(page, "Copy URL from Site Tester with Ctrl-C keys and paste here with Ctrl-V."));
    col->addStretch();
    return page;
}

QWidget* TfrmConfig::BuildSiteCheckPage() {
    auto* page = new QWidget;
    auto* col = new QVBoxLayout(page);
    col->addWidget(new QLabel(
        QStringLiteral("Site Check -- Copy URL (Ctrl - C) in browser and paste (Ctrl - V) here:"),
        page));
    cbTestURLs = UrlCombo(page, "cbTestURLs");
    col->addWidget(cbTestURLs);

    btnRetrieve = Button(page, "btnRetrieve", "&Retrieve", "Retrieve this URL");
    btnRetrieve->setDefault(true);
    btnCancel = Button(page, "btnCancel", "&Cancel", "Abort URL retrieval");
    btnAddURL = Button(page, "btnAddURL", "&Add URL", "Save entry to URL file");
    auto* row = new QHBoxLayout;
    row->addWidget(btnRetrieve);
    row->addWidget(btnCancel);
    row->addWidget(btnAddURL);
    row->addStretch();
    col->addLayout(row);

    auto* current = new QGroupBox(QStringLiteral("Current Site Displayed in Ticker"), page);
    pnlURL = Sunken(current, "pnlURL");
    auto* currentCol = new QVBoxLayout(current);
    currentCol->addWidget(pnlURL);
    col->addWidget(current);

    auto* sizeRow = new QHBoxLayout;
    pnlSize = Sunken(page, "pnlSize");
    pnlSize->setMinimumWidth(150);
    sizeRow->addWidget(new QLabel(QStringLiteral("Web Page Size in Ticker"), page));
    sizeRow->addWidget(pnlSize);
    // A page that declares a feed offers it here, to be added like an address.
    lblFeed = Named(new QLabel(QStringLiteral("Feed:"), page), "lblFeed");
    cbFeeds = Named(new QComboBox(page), "cbFeeds");
    cbFeeds->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbFeeds->setMinimumContentsLength(12);
    btnAddFeed = Button(page, "btnAddFeed", "Add &Feed", "Save this feed to URL file");
    sizeRow->addSpacing(8);
    sizeRow->addWidget(lblFeed);
    sizeRow->addWidget(cbFeeds, 1);
    sizeRow->addWidget(btnAddFeed);
    col->addLayout(sizeRow);
    col->addStretch();
    SetOfferedFeeds({});
    return page;
}

void TfrmConfig::ConnectHandlers() {
    auto click = [this](QPushButton* button, void (TfrmConfig::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { platform::Guarded([&] { (this->*handler)(); }); });
    };
    click(btnSaveConfig, &TfrmConfig::btnSaveConfigClick);
    click(btnUpdate, &TfrmConfig::btnUpdateClick);
    click(btnCancelConfig, &TfrmConfig::btnCancelConfigClick);
    click(btnHelpConfig, &TfrmConfig::btnHelpConfigClick);
    click(btnBackcolor, &TfrmConfig::btnBackcolorClick);
    click(btnForecolor, &TfrmConfig::btnForecolorClick);
    click(btnTips, &TfrmConfig::btnTipsClick);
    click(btnBrowseBrowser, &TfrmConfig::btnBrowseBrowserClick);
    click(btnBrowseViewer, &TfrmConfig::btnBrowseViewerClick);
    click(btnRetrieve, &TfrmConfig::btnRetrieveClick);
    click(btnCancel, &TfrmConfig::btnCancelClick);
    click(btnAddURL, &TfrmConfig::btnAddURLClick);
    click(btnAddFeed, &TfrmConfig::btnAddFeedClick);

    connect(PageControl1, &QTabWidget::currentChanged, this,
            [this] { platform::Guarded([this] { PageControl1Change(); }); });
    // Only a move by the user runs the zone rule: positions set from code
    // block the signal.
    connect(tbarScrollSpeed, &QSlider::valueChanged, this,
            [this] { platform::Guarded([this] { tbarScrollSpeedChange(); }); });
    for (auto* rb : {rbtnRetrievalOn, rbtnRetrievalOff})
        connect(rb, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                platform::Guarded([this] { rbtnRetrievalOnClick(); });
        });
    for (auto* rb : {rbBorder, rbNoBorder})
        connect(rb, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                platform::Guarded([this] { rbBorderClick(); });
        });
    cbBrowser->OnDropDown = [this] { platform::Guarded([this] { cbBrowserDropDown(); }); };
    cbViewer->OnDropDown = [this] { platform::Guarded([this] { cbViewerDropDown(); }); };

    connect(txtPassword, &QLineEdit::textChanged, this, [this] { txtPasswordChange(); });
}

// --- Live controls ------------------------------------------------------------

QComboBox* TfrmConfig::SiteList(int site) const {
    switch (site) {
        case 2:
            return cbWebSite2;
        case 3:
            return cbWebSite3;
        default:
            return cbWebSite1;
    }
}

QCheckBox* TfrmConfig::SiteBox(int site) const {
    switch (site) {
        case 2:
            return CheckBox2;
        case 3:
            return CheckBox3;
        default:
            return CheckBox1;
    }
}

std::string TfrmConfig::SiteURL(int site) const {
    return FromQString(SiteList(site)->currentText());
}
void TfrmConfig::SetSiteURL(int site, const std::string& url) {
    SiteList(site)->setEditText(ToQString(url));
}
bool TfrmConfig::SiteEnabled(int site) const {
    return SiteBox(site)->isChecked();
}
void TfrmConfig::SetSiteEnabled(int site, bool enabled) {
    SiteBox(site)->setChecked(enabled);
}
std::string TfrmConfig::ProxyHostText() const {
    return FromQString(txtProxyHost->text());
}
std::string TfrmConfig::ProxyPortText() const {
    return FromQString(txtProxyPort->text());
}
std::string TfrmConfig::TestURL() const {
    return FromQString(cbTestURLs->currentText());
}
void TfrmConfig::SetTestURL(const std::string& url) {
    cbTestURLs->setEditText(ToQString(url));
}
std::string TfrmConfig::BrowserText() const {
    return FromQString(cbBrowser->currentText());
}
void TfrmConfig::SetBrowserText(const std::string& name) {
    cbBrowser->setEditText(ToQString(name));
}
std::string TfrmConfig::ViewerText() const {
    return FromQString(cbViewer->currentText());
}
void TfrmConfig::SetViewerText(const std::string& name) {
    cbViewer->setEditText(ToQString(name));
}
bool TfrmConfig::RetrievalOnSelected() const {
    return rbtnRetrievalOn->isChecked();
}
std::string TfrmConfig::CurrentURLCaption() const {
    return FromQString(pnlURL->text());
}
void TfrmConfig::SetCurrentURLCaption(const std::string& caption) {
    pnlURL->setText(ToQString(caption));
}
std::string TfrmConfig::PageSizeCaption() const {
    return FromQString(pnlSize->text());
}
void TfrmConfig::SetPageSizeCaption(const std::string& caption) {
    pnlSize->setText(ToQString(caption));
}
bool TfrmConfig::RetrievalCancelEnabled() const {
    return btnCancel->isEnabled();
}
void TfrmConfig::SetRetrievalCancelEnabled(bool enabled) {
    btnCancel->setEnabled(enabled);
}
void TfrmConfig::SetOfferedFeeds(const std::vector<std::string>& feeds) {
    cbFeeds->clear();
    for (const std::string& feed : feeds)
        cbFeeds->addItem(QString::fromStdString(feed));
    const bool any = !feeds.empty();
    lblFeed->setVisible(any);
    cbFeeds->setVisible(any);
    btnAddFeed->setVisible(any);
}
std::vector<std::string> TfrmConfig::OfferedFeeds() const {
    std::vector<std::string> feeds;
    for (int i = 0; i < cbFeeds->count(); ++i)
        feeds.push_back(cbFeeds->itemText(i).toStdString());
    return feeds;
}
std::string TfrmConfig::UrlFilePath() const {
    return exeDir_ + kUrlFileName;
}
std::vector<std::string> TfrmConfig::TestURLList() const {
    return ComboItems(cbTestURLs);
}
std::vector<std::string> TfrmConfig::SiteURLList(int site) const {
    return ComboItems(SiteList(site));
}

void TfrmConfig::ShowModal() {
    if (isVisible())
        return;
    exec();
}

}  // namespace zelvo::config
