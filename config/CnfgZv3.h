#pragma once
// The configuration dialog. Its controls are themselves live settings: the
// retrieval cycle reads the site, Site Enabled and proxy controls at every
// fetch and the tray commands read the browser and viewer names, so the
// dialog lives from start-up to the end of the program and is only hidden
// between uses. Everything else reaches the program through Update and Save.
#include <QComboBox>
#include <QDialog>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/ConfigHost.h"
#include "config/DialogControls.h"
#include "config/RetrievalInputs.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;

namespace zelvo::config {

class TRegIniFile;

// Where the dialog finds its files; empty means the program's own places
// (the URL list's folder, the current user's store).
struct TConfigPlaces {
    std::string ExeDir;
    std::string StorePath;
};

class TfrmConfig : public QDialog, public TRetrievalInputs {
public:
    // Runs FormCreate: loads the URL list, then the settings. The host must
    // outlive the dialog.
    TfrmConfig(TConfigHost& host, TConfigPlaces places = {}, QWidget* parent = nullptr);
    ~TfrmConfig() override;
    TfrmConfig(const TfrmConfig&) = delete;
    TfrmConfig& operator=(const TfrmConfig&) = delete;

    // Shows the dialog modally unless it is on screen already.
    void ShowModal();

    // --- The live controls. Texts are Windows-1252 bytes, exactly as the
    // controls hold them.
    std::string SiteURL(int site) const override;  // site 1..3
    void SetSiteURL(int site, const std::string& url);
    bool SiteEnabled(int site) const override;
    void SetSiteEnabled(int site, bool enabled) override;
    std::string ProxyHostText() const override;
    std::string ProxyPortText() const override;
    std::string TestURL() const override;
    void SetTestURL(const std::string& url) override;
    std::string BrowserText() const;
    void SetBrowserText(const std::string& name);
    std::string ViewerText() const;
    void SetViewerText(const std::string& name);
    bool RetrievalOnSelected() const;
    // pnlURL and pnlSize of the Site Check page, and its Cancel button.
    std::string CurrentURLCaption() const;
    void SetCurrentURLCaption(const std::string& caption) override;
    std::string PageSizeCaption() const;
    void SetPageSizeCaption(const std::string& caption) override;
    bool RetrievalCancelEnabled() const;
    void SetRetrievalCancelEnabled(bool enabled) override;
    // The feeds the page in the ticker declares, offered beside its size.
    void SetOfferedFeeds(const std::vector<std::string>& feeds) override;
    std::vector<std::string> OfferedFeeds() const;

    std::string UrlFilePath() const;
    // The entries of the Site Check list, and of a site's list (1..3).
    std::vector<std::string> TestURLList() const;
    std::vector<std::string> SiteURLList(int site) const;

    // --- The common dialogs, replaceable so that tests can answer them.
    // Each returns nothing when the user cancels.
    std::function<std::optional<TColor>(TColor initial)> ChooseColor;
    std::function<std::optional<TTickerFont>(const TTickerFont& initial)> ChooseFont;
    std::function<std::optional<std::string>(const std::string& title)> ChooseProgram;

    // --- The Site Check page's Retrieve and Cancel: fetch the test address
    // now, or abort the fetch under way.
    std::function<void()> OnRetrieveTestURL;
    std::function<void()> OnCancelRetrieval;
    // Update and Save found a new address in an enabled site (1..3, the
    // first such one): its turn comes next. With automatic retrieval on the
    // dialog then asks for a fetch at once.
    std::function<void(int site)> OnSiteAddressChanged;

    // --- Handlers, by the events that run them.
    void FormCreate();
    void LoadSettings();
    void FormShow();
    void FormHide();
    void FormClose();
    void PageControl1Change();
    void btnSaveConfigClick();
    void btnUpdateClick();
    void btnCancelConfigClick();
    void btnHelpConfigClick();
    void tbarScrollSpeedChange();
    void rbtnRetrievalOnClick();
    void rbBorderClick();
    void btnBackcolorClick();
    void btnForecolorClick();
    void btnTipsClick();
    void btnBrowseBrowserClick();
    void btnBrowseViewerClick();
    void cbBrowserDropDown();
    void cbViewerDropDown();
    void txtPasswordChange();
    void ShowRestartNotice();
    // Site Check
    void btnRetrieveClick();
    void btnCancelClick();
    void btnAddURLClick();
    void btnAddFeedClick();

    // --- Controls, named as the program's other parts know them.
    QTabWidget* PageControl1 = nullptr;
    // General
    QSlider* tbarScrollSpeed = nullptr;
    TSpinEdit* spinInterval = nullptr;
    QRadioButton* rbtnRetrievalOn = nullptr;
    QRadioButton* rbtnRetrievalOff = nullptr;
    QLineEdit* txtProxyPort = nullptr;
    QLineEdit* txtProxyHost = nullptr;
    TSpinEdit* spinTimeOut = nullptr;
    QCheckBox* chkStartAtLogin = nullptr;
    QRadioButton* rbtnHeadlines = nullptr;
    QRadioButton* rbtnClassic = nullptr;
    QCheckBox* chkSmoothScroll = nullptr;
    // Personal
    QRadioButton* rbBorder = nullptr;
    QRadioButton* rbNoBorder = nullptr;
    QPushButton* btnBackcolor = nullptr;
    QPushButton* btnForecolor = nullptr;
    QPushButton* btnTips = nullptr;
    QLineEdit* txtUsername = nullptr;
    QLineEdit* txtPassword = nullptr;
    // Browser, Viewer
    TDropDown* cbBrowser = nullptr;
    QPushButton* btnBrowseBrowser = nullptr;
    TDropDown* cbViewer = nullptr;
    QPushButton* btnBrowseViewer = nullptr;
    // Sites
    QComboBox* cbWebSite1 = nullptr;
    QComboBox* cbWebSite2 = nullptr;
    QComboBox* cbWebSite3 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    // Site Check
    QComboBox* cbTestURLs = nullptr;
    QPushButton* btnRetrieve = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnAddURL = nullptr;
    QLabel* pnlURL = nullptr;
    QLabel* pnlSize = nullptr;
    QLabel* lblFeed = nullptr;
    QComboBox* cbFeeds = nullptr;
    QPushButton* btnAddFeed = nullptr;
    // Below the pages
    QPushButton* btnSaveConfig = nullptr;
    QPushButton* btnUpdate = nullptr;
    QPushButton* btnCancelConfig = nullptr;
    QPushButton* btnHelpConfig = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void changeEvent(QEvent* event) override;

private:
    // What Cancel puts back: the state at showing.
    struct TShowSnapshot {
        int ScrollSpeed = 250;
        std::string Browser;
        std::string Viewer;
        TTickerFont Font;
        TColor BackColor = clBlack;
        std::string Sites[3];
        bool Enabled[3] = {true, true, true};
        bool RetrievalOn = true;
        bool BorderOn = false;
        std::string TestURL;
        std::string ProxyPort;
        std::string ProxyHost;
        std::string Username;
        std::string PasswordField;
        std::string Password;
        bool StartAtLogin = false;
        bool ClassicReading = false;
    };

    void BuildControls();
    // Sizes the dialog for its font: every page's content whole, never
    // smaller than the design size.
    void FitToFont();
    QWidget* BuildGeneralPage();
    QWidget* BuildPersonalPage();
    QWidget* BuildProgramPage(const char* label, TDropDown*& list, QPushButton*& browse,
                              const char* hint, const char* tip);
    QWidget* BuildSitePage(int site, QComboBox*& list, QCheckBox*& enabled);
    QWidget* BuildSiteCheckPage();
    void ConnectHandlers();

    void LoadUrlLists();
    // Adds an address to the URL file and every list, as Add URL does.
    void AddUrlToFile(const std::string& url);
    void SelectPageReading(const std::string& name);
    std::string SelectedPageReading() const;
    std::string MissingUrlFileText() const;
    std::unique_ptr<TRegIniFile> OpenStore() const;
    // What Update makes live, shared with Save.
    void ApplySettings();
    // The first enabled site whose address differs from the one last made
    // live, 0 for none; the addresses become the live ones.
    int TakeChangedSite();
    // Closes the dialog once, through FormClose.
    void CloseDialog();
    void SetSliderPosition(int position);
    void PickProgram(TDropDown* list);
    void AddProgramName(TDropDown* list);
    QComboBox* SiteList(int site) const;
    QCheckBox* SiteBox(int site) const;

    TConfigHost& host_;
    std::string exeDir_;
    std::string storePath_;
    TShowSnapshot snapshot_;
    // The site addresses as loaded or as last applied by Update or Save.
    std::string appliedSites_[3];
    int pendingScrollStep_ = 2;
    bool dialogShown_ = false;
    bool closeHandled_ = false;
    bool closing_ = false;
};

}  // namespace zelvo::config
