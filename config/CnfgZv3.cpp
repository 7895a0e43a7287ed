#include "config/CnfgZv3.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>

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
using platform::ToQColor;
using platform::ToQFont;
using platform::ToQString;

namespace {

constexpr const char* kSecret = "(Secret)";
constexpr const char* kInformation = "Information";
constexpr int kHelpContext = 1000;
constexpr int kClientWidth = 530;
constexpr int kClientHeight = 343;
constexpr int kSiteCheckPage = 7;

// The strip is one line high: larger or smaller faces than the dialog offers
// do not fit it.
TTickerFont ChosenFont(const QFont& font, TColor color) {
    TTickerFont f;
    platform::FromQFont(font, f);
    f.Size = std::clamp(f.Size > 0 ? f.Size : 8, 8, 12);
    f.Color = color;
    return f;
}

std::optional<TColor> ToolkitChooseColor(QWidget* parent, TColor initial) {
    QColor chosen = QColorDialog::getColor(ToQColor(initial), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return FromQColor(chosen);
}

// The font dialog with the text colour beside the face, size and effects.
std::optional<TTickerFont> ToolkitChooseFont(QWidget* parent, const TTickerFont& initial) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Font"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* fonts = new QFontDialog(ToQFont(initial), &dialog);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts->setWindowFlags(Qt::Widget);
    layout->addWidget(fonts);

    TColor color = initial.Color;
    auto* colorRow = new QHBoxLayout;
    auto* swatch = new QLabel(&dialog);
    swatch->setFixedSize(40, 18);
    swatch->setFrameShape(QFrame::Box);
    swatch->setAutoFillBackground(true);
    auto paint = [swatch, &color] {
        QPalette pal = swatch->palette();
        pal.setColor(QPalette::Window, ToQColor(color));
        swatch->setPalette(pal);
    };
    paint();
    auto* pick = new QPushButton(QStringLiteral("Co&lor..."), &dialog);
    QObject::connect(pick, &QPushButton::clicked, &dialog, [&] {
        if (auto c = ToolkitChooseColor(&dialog, color)) {
            color = *c;
            paint();
        }
    });
    colorRow->addWidget(new QLabel(QStringLiteral("Color:"), &dialog));
    colorRow->addWidget(swatch);
    colorRow->addWidget(pick);
    colorRow->addStretch();
    layout->addLayout(colorRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ChosenFont(fonts->currentFont(), color);
}

std::optional<std::string> ToolkitChooseProgram(QWidget* parent, const std::string& title) {
    QString name = QFileDialog::getOpenFileName(parent, ToQString(title), QString(),
                                                QStringLiteral("Exe files (*.exe);;All files (*)"));
    if (name.isEmpty())
        return std::nullopt;
    return FromQString(name);
}

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

}  // namespace

// ---------------------------------------------------------------------------

TSpinEdit::TSpinEdit(int minValue, int maxValue, int maxLength, QWidget* parent)
    : QWidget(parent), min_(minValue), max_(maxValue) {
    edit_ = new QLineEdit(this);
    edit_->setMaxLength(maxLength);
    edit_->setFixedWidth(12 + 9 * maxLength);
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    down_ = new QToolButton(this);
    down_->setArrowType(Qt::DownArrow);
    for (auto* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFixedSize(16, 11);
        b->setFocusPolicy(Qt::NoFocus);
    }
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->addWidget(up_);
    arrows->addWidget(down_);
    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit_);
    layout->addLayout(arrows);
    layout->addStretch();

    edit_->installEventFilter(this);
    QObject::connect(up_, &QToolButton::clicked, this, [this] { SetValue(Value() + 1); });
    QObject::connect(down_, &QToolButton::clicked, this, [this] { SetValue(Value() - 1); });
    // Leaving the field takes a number outside the range into it; a text
    // that is no number stays as typed and counts as the minimum.
    QObject::connect(edit_, &QLineEdit::editingFinished, this, [this] {
        if (auto typed = Typed(); typed && Clamp(*typed) != *typed)
            SetValue(*typed);
    });
}

bool TSpinEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            SetValue(Value() + (key == Qt::Key_Up ? 1 : -1));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int TSpinEdit::Clamp(int value) const {
    return std::clamp(value, min_, max_);
}

std::optional<int> TSpinEdit::Typed() const {
    std::string text = edit_->text().toStdString();
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first;
    auto [end, ec] = std::from_chars(first, last, value);
    if (text.empty() || ec != std::errc() || end != last)
        return std::nullopt;
    return value;
}

int TSpinEdit::Value() const {
    // Whatever the field shows, nothing outside the range leaves it: hiding
    // the dialog would have taken the focus out of the field first.
    auto typed = Typed();
    return typed ? Clamp(*typed) : min_;
}

void TSpinEdit::SetValue(int value) {
    edit_->setText(QString::number(Clamp(value)));
}

TDropDown::TDropDown(QWidget* parent) : QComboBox(parent) {}

void TDropDown::showPopup() {
    if (OnDropDown)
        OnDropDown();
    QComboBox::showPopup();
}

std::vector<std::string> ComboItems(const QComboBox* list) {
    std::vector<std::string> items;
    items.reserve(static_cast<size_t>(list->count()));
    for (int i = 0; i < list->count(); ++i)
        items.push_back(FromQString(list->itemText(i)));
    return items;
}

void AddSortedItem(QComboBox* list, const std::string& entry) {
    // An editable list given its first item would show that item as its text.
    const QString edited = list->currentText();
    QSignalBlocker block(list);
    auto pos = SortedInsertPosition(ComboItems(list), entry);
    list->insertItem(static_cast<int>(pos), ToQString(entry));
    if (list->isEditable())
        list->setEditText(edited);
}

// ---------------------------------------------------------------------------

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
    setFont(QFont(QStringLiteral("MS Sans Serif")));
    setWindowTitle(ToQString("Configure " + std::string(kProductName) + Live().InstanceSuffix));
    BuildControls();
    ConnectHandlers();
    setFixedSize(kClientWidth, kClientHeight);

    // A failure while loading is the application's to report; the dialog is
    // there all the same, with its initial values where loading stopped.
    platform::Guarded([this] { FormCreate(); });
}

TfrmConfig::~TfrmConfig() = default;

// --- Building ---------------------------------------------------------------

void TfrmConfig::BuildControls() {
    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    // All eight captions stand in one row across the fixed-width dialog.
    PageControl1->setUsesScrollButtons(false);
    PageControl1->tabBar()->setExpanding(false);
    PageControl1->setStyleSheet(
        QStringLiteral("QTabBar::tab { padding: 3px 2px; min-width: 0px; }"));
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
    cbViewer->setEditText(QStringLiteral("Notepad.exe"));
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
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    auto* speed = new QGroupBox(QStringLiteral("Ticker Scroll Speed"), page);
    tbarScrollSpeed = Named(new QSlider(Qt::Horizontal, speed), "tbarScrollSpeed");
    tbarScrollSpeed->setRange(100, 400);
    tbarScrollSpeed->setSingleStep(25);
    tbarScrollSpeed->setPageStep(50);
    tbarScrollSpeed->setTickInterval(20);
    tbarScrollSpeed->setTickPosition(QSlider::TicksAbove);
    tbarScrollSpeed->setValue(250);
    auto* speedRow = new QHBoxLayout(speed);
    speedRow->addWidget(new QLabel(QStringLiteral("Fast"), speed));
    speedRow->addWidget(tbarScrollSpeed, 1);
    speedRow->addWidget(new QLabel(QStringLiteral("Slow"), speed));
    grid->addWidget(speed, 0, 0, 1, 2);

    auto* numbers = new QGridLayout;
    spinInterval = Named(new TSpinEdit(1, 240, 3, page), "spinInterval");
    spinInterval->SetValue(15);
    spinTimeOut = Named(new TSpinEdit(0, 12, 2, page), "spinTimeOut");
    spinTimeOut->SetValue(4);
    numbers->addWidget(new QLabel(QStringLiteral("Retrieval Interval:"), page), 0, 0);
    numbers->addWidget(spinInterval, 0, 1);
    numbers->addWidget(new QLabel(QStringLiteral("Minutes"), page), 0, 2);
    numbers->addWidget(new QLabel(QStringLiteral("Auto-Terminate:"), page), 1, 0);
    numbers->addWidget(spinTimeOut, 1, 1);
    numbers->addWidget(new QLabel(QStringLiteral("Hours"), page), 1, 2);
    grid->addLayout(numbers, 1, 0);

    auto* retrieval = new QGroupBox(QStringLiteral("Automatic Site Retrieval"), page);
    rbtnRetrievalOn = Named(new QRadioButton(QStringLiteral("ON (Retrieval Interval)"), retrieval),
                            "rbtnRetrievalOn");
    rbtnRetrievalOff = Named(new QRadioButton(QStringLiteral("OFF (Manual Retrieval)"), retrieval),
                             "rbtnRetrievalOff");
    rbtnRetrievalOn->setChecked(true);
    auto* retrievalCol = new QVBoxLayout(retrieval);
    retrievalCol->addWidget(rbtnRetrievalOn);
    retrievalCol->addWidget(rbtnRetrievalOff);
    grid->addWidget(retrieval, 1, 1);

    auto* proxy = new QGridLayout;
    txtProxyPort = Named(new QLineEdit(page), "txtProxyPort");
    txtProxyPort->setMaxLength(15);
    txtProxyHost = Named(new QLineEdit(page), "txtProxyHost");
    txtProxyHost->setMaxLength(30);
    proxy->addWidget(new QLabel(QStringLiteral("Proxy Server Name:"), page), 0, 0);
    proxy->addWidget(txtProxyHost, 0, 1);
    proxy->addWidget(new QLabel(QStringLiteral("Proxy Port:"), page), 1, 0);
    proxy->addWidget(txtProxyPort, 1, 1);
    grid->addLayout(proxy, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget* TfrmConfig::BuildPersonalPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    auto* style = new QGroupBox(QStringLiteral("Ticker Style"), page);
    rbBorder = Named(new QRadioButton(QStringLiteral("Border (Sizable)"), style), "rbBorder");
    rbNoBorder =
        Named(new QRadioButton(QStringLiteral("No Border (Non-sizable)"), style), "rbNoBorder");
    rbNoBorder->setChecked(true);
    auto* styleCol = new QVBoxLayout(style);
    styleCol->addWidget(rbBorder);
    styleCol->addWidget(rbNoBorder);
    grid->addWidget(style, 0, 0);

    btnBackcolor = Button(page, "btnBackcolor", "&Backcolor...", "Select ticker backcolor");
    btnForecolor = Button(page, "btnForecolor", "&Font && Color...", "Select ticker font && color");
    auto* looks = new QVBoxLayout;
    looks->addWidget(btnBackcolor);
    looks->addWidget(btnForecolor);
    looks->addStretch();
    grid->addLayout(looks, 0, 1);

    auto* account = new QGridLayout;
    txtUsername = Named(new QLineEdit(page), "txtUsername");
    txtUsername->setMaxLength(25);
    txtPassword = Named(new QLineEdit(page), "txtPassword");
    txtPassword->setMaxLength(25);
    btnTips = Button(page, "btnTips", "Details...", "Tips - Username/Password");
    account->addWidget(new QLabel(QStringLiteral("Username:"), page), 0, 0);
    account->addWidget(txtUsername, 0, 1);
    account->addWidget(btnTips, 0, 2);
    account->addWidget(new QLabel(QStringLiteral("Password:"), page), 1, 0);
    account->addWidget(txtPassword, 1, 1);
    grid->addLayout(account, 1, 0, 1, 2);
    grid->addWidget(
        TipBox(page, "To activate border change, save settings, exit and restart program."), 2, 0,
        1, 2);
    grid->setRowStretch(3, 1);
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
    sizeRow->addStretch();
    col->addLayout(sizeRow);
    col->addStretch();
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

    colouredFields_ = {txtProxyPort, txtProxyHost, txtUsername, txtPassword};
    for (auto* field : colouredFields_) {
        SetFieldColour(field, false);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textChanged, this, [this, field] { txtProxyPortChange(field); });
    }
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

// --- Creation and loading ------------------------------------------------------

void TfrmConfig::FormCreate() {
    dialogShown_ = false;
    LoadUrlLists();
    {
        QSignalBlocker b1(rbBorder), b2(rbNoBorder);
        (Live().BorderOn ? rbBorder : rbNoBorder)->setChecked(true);
    }
    LoadSettings();
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

    SetSiteURL(1, store->ReadString(section, "WebSite1", DefaultSiteURL()));
    SetSiteURL(2, store->ReadString(section, "WebSite2", entry(1)));
    SetSiteURL(3, store->ReadString(section, "WebSite3", entry(2)));
    CheckBox1->setChecked(store->ReadBool(section, "Site1Enabled", true));
    CheckBox2->setChecked(store->ReadBool(section, "Site2Enabled", true));
    CheckBox3->setChecked(store->ReadBool(section, "Site3Enabled", true));
    SetTestURL(store->ReadString(section, "SiteTester", MakerHomePage()));
    SetBrowserText(store->ReadString(section, "Browser", "IExplore.exe"));
    SetViewerText(store->ReadString(section, "Viewer", "Notepad.exe"));

    txtProxyPort->setText(ToQString(platform::Trim(store->ReadString(section, "ProxyPort", ""))));
    txtProxyHost->setText(ToQString(platform::Trim(store->ReadString(section, "ProxyHost", ""))));
    const std::string username = platform::Trim(store->ReadString(section, "Username", ""));
    txtUsername->setText(ToQString(username));
    host_.SetUsername(username);

    std::string password = platform::Trim(store->ReadString(section, "Password", ""));
    if (password == kSecret)
        password.clear();
    host_.SetPassword(password);
    txtPassword->setText(password.empty() ? QString() : ToQString(kSecret));

    SetSliderPosition(std::clamp(store->ReadInteger(section, "TickerScrollSpeed", 250), 100, 400));
    host_.SetScrollInterval(static_cast<unsigned>(tbarScrollSpeed->value()));
    live.ScrollStep = store->ReadInteger(section, "CharScroll", 2);
    spinInterval->SetValue(store->ReadInteger(section, "RetrievalInterval", 15));
    live.RetrievalInterval = spinInterval->Value();
    spinTimeOut->SetValue(store->ReadInteger(section, "AutoTimeOut", 4));
    live.AutoTimeOut = spinTimeOut->Value();
    (store->ReadBool(section, "AutoRetrievalOn", true) ? rbtnRetrievalOn : rbtnRetrievalOff)
        ->setChecked(true);
    live.AutoRetrievalOn = rbtnRetrievalOn->isChecked();
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
        PageControl1->currentWidget()->setFocus();
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

        snapshot_.BorderOn = live.BorderOn;
        snapshot_.TestURL = TestURL();
        snapshot_.ProxyPort = platform::Trim(ProxyPortText());
        snapshot_.ProxyHost = platform::Trim(ProxyHostText());
        snapshot_.Username = platform::Trim(FromQString(txtUsername->text()));
        snapshot_.PasswordField = platform::Trim(FromQString(txtPassword->text()));
        snapshot_.Password = host_.Password();

        spinInterval->SetValue(live.RetrievalInterval);
        spinTimeOut->SetValue(live.AutoTimeOut);
    } catch (...) {
        platform::MessageBeep(0);
    }
    dialogShown_ = true;
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
    const bool on = rbtnRetrievalOn->isChecked();
    if (!live.AutoRetrievalOn && on)
        host_.mnuConnectClick();
    live.AutoRetrievalOn = on;
    host_.SetRetrievalTimerEnabled(on);
    host_.SetUsername(FromQString(txtUsername->text()));

    const std::string password = platform::Trim(FromQString(txtPassword->text()));
    if (password.empty()) {
        host_.SetPassword("");
    } else if (password != kSecret) {
        host_.SetPassword(password);
        txtPassword->setText(ToQString(kSecret));
    }
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
        store->WriteString(section, "WebSite1", SiteURL(1));
        store->WriteString(section, "WebSite2", SiteURL(2));
        store->WriteString(section, "WebSite3", SiteURL(3));
        store->WriteBool(section, "Site1Enabled", CheckBox1->isChecked());
        store->WriteBool(section, "Site2Enabled", CheckBox2->isChecked());
        store->WriteBool(section, "Site3Enabled", CheckBox3->isChecked());
        store->WriteString(section, "SiteTester", TestURL());
        store->WriteString(section, "Browser", BrowserText());
        store->WriteString(section, "Viewer", ViewerText());
        store->WriteString(section, "ProxyPort", platform::Trim(ProxyPortText()));
        store->WriteString(section, "ProxyHost", platform::Trim(ProxyHostText()));
        store->WriteString(section, "Username", platform::Trim(FromQString(txtUsername->text())));
        store->WriteString(section, "Password", platform::Trim(host_.Password()));
        store->WriteInteger(section, "TickerScrollSpeed", tbarScrollSpeed->value());
        store->WriteInteger(section, "CharScroll", Live().ScrollStep);
        store->WriteInteger(section, "RetrievalInterval", spinInterval->Value());
        store->WriteInteger(section, "AutoTimeOut", spinTimeOut->Value());
        store->WriteBool(section, "AutoRetrievalOn", rbtnRetrievalOn->isChecked());
        store->WriteBool(section, "Border", rbBorder->isChecked());
        store->WriteInteger(section, "Backcolor", host_.TickerBackColor());
        const TTickerFont font = host_.TickerFont();
        store->WriteInteger(section, "ForeColor", font.Color);
        store->WriteString(section, "FontName", font.Name);
        store->WriteInteger(section, "FontSize", font.Size);
        store->WriteInteger(section, "FontStyle", font.HasStyle() ? 2 : 1);
        store.reset();

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
        host_.SetPassword(s.Password);
        (s.RetrievalOn ? rbtnRetrievalOn : rbtnRetrievalOff)->setChecked(true);
        host_.SetTickerFont(s.Font);
        host_.SetTickerBackColor(s.BackColor);
        (s.BorderOn ? rbBorder : rbNoBorder)->setChecked(true);

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

void TfrmConfig::SetFieldColour(QLineEdit* field, bool white) {
    QPalette pal = field->palette();
    pal.setColor(QPalette::Base,
                 white ? QApplication::palette(field).color(QPalette::Base) : ToQColor(clSilver));
    field->setPalette(pal);
}

void TfrmConfig::txtProxyPortChange(QLineEdit* field) {
    SetFieldColour(field, !field->text().isEmpty());
}
void TfrmConfig::txtProxyPortEnter(QLineEdit* field) {
    SetFieldColour(field, true);
}
void TfrmConfig::txtProxyPortExit(QLineEdit* field) {
    SetFieldColour(field, !field->text().isEmpty());
}

bool TfrmConfig::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        for (auto* field : colouredFields_) {
            if (watched != field)
                continue;
            if (event->type() == QEvent::FocusIn)
                txtProxyPortEnter(field);
            else
                txtProxyPortExit(field);
        }
    }
    return QDialog::eventFilter(watched, event);
}

// --- Site Check ---------------------------------------------------------------------

void TfrmConfig::btnRetrieveClick() {
    host_.RetrieveTestURL();
}

void TfrmConfig::btnCancelClick() {
    host_.CancelRetrieval();
}

void TfrmConfig::btnAddURLClick() {
    const std::string path = UrlFilePath();
    if (!UrlFileExists(path)) {
        platform::ShowWarning(MissingUrlFileText());
        return;
    }
    const std::string text = TestURL();
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
