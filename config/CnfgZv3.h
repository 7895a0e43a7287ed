#pragma once
// The configuration dialog. Its controls are themselves live settings: the
// retrieval cycle reads the site, Site Enabled and proxy controls at every
// fetch and the tray commands read the browser and viewer names, so the
// dialog lives from start-up to the end of the program and is only hidden
// between uses. Everything else reaches the program through Update and Save.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/ConfigHost.h"
#include "config/RetrievalInputs.h"
#include "platform/ComCtrls.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

namespace zelvo::config {

class TRegIniFile;

// Where the dialog finds its files; empty means the program's own places
// (the URL list's folder, the current user's store).
struct TConfigPlaces {
    std::string ExeDir;
    std::string StorePath;
};

class TfrmConfig : public platform::TForm, public TRetrievalInputs {
public:
    // Runs FormCreate: loads the URL list, then the settings. The host must
    // outlive the dialog.
    explicit TfrmConfig(TConfigHost& host, TConfigPlaces places = {});
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
    // Puts an entry into a list kept in case-insensitive order; the text
    // being edited stays as it is.
    static void AddSortedItem(platform::TComboBox& list, const std::string& entry);

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
    template <typename T>
    using Control = std::unique_ptr<T>;
    Control<platform::TPageControl> PageControl1;
    // General
    Control<platform::TTrackBar> tbarScrollSpeed;
    Control<platform::TSpinEdit> spinInterval;
    Control<platform::TRadioButton> rbtnRetrievalOn;
    Control<platform::TRadioButton> rbtnRetrievalOff;
    Control<platform::TEdit> txtProxyPort;
    Control<platform::TEdit> txtProxyHost;
    Control<platform::TSpinEdit> spinTimeOut;
    Control<platform::TCheckBox> chkStartAtLogin;
    Control<platform::TRadioButton> rbtnHeadlines;
    Control<platform::TRadioButton> rbtnClassic;
    Control<platform::TCheckBox> chkSmoothScroll;
    // Personal
    Control<platform::TRadioButton> rbBorder;
    Control<platform::TRadioButton> rbNoBorder;
    Control<platform::TButton> btnBackcolor;
    Control<platform::TButton> btnForecolor;
    Control<platform::TButton> btnTips;
    Control<platform::TEdit> txtUsername;
    Control<platform::TEdit> txtPassword;
    // Browser, Viewer
    Control<platform::TComboBox> cbBrowser;
    Control<platform::TButton> btnBrowseBrowser;
    Control<platform::TComboBox> cbViewer;
    Control<platform::TButton> btnBrowseViewer;
    // Sites
    Control<platform::TComboBox> cbWebSite1;
    Control<platform::TComboBox> cbWebSite2;
    Control<platform::TComboBox> cbWebSite3;
    Control<platform::TCheckBox> CheckBox1;
    Control<platform::TCheckBox> CheckBox2;
    Control<platform::TCheckBox> CheckBox3;
    // Site Check
    Control<platform::TComboBox> cbTestURLs;
    Control<platform::TButton> btnRetrieve;
    Control<platform::TButton> btnCancel;
    Control<platform::TButton> btnAddURL;
    Control<platform::TLabel> pnlURL;
    Control<platform::TLabel> pnlSize;
    Control<platform::TLabel> lblFeed;
    Control<platform::TComboBox> cbFeeds;
    Control<platform::TButton> btnAddFeed;
    // Below the pages
    Control<platform::TButton> btnSaveConfig;
    Control<platform::TButton> btnUpdate;
    Control<platform::TButton> btnCancelConfig;
    Control<platform::TButton> btnHelpConfig;

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
    void BuildGeneralPage(platform::TTabSheet& page);
    void BuildPersonalPage(platform::TTabSheet& page);
    void BuildProgramPage(platform::TTabSheet& page, const char* label,
                          Control<platform::TComboBox>& list, Control<platform::TButton>& browse,
                          const char* hint, const char* tip);
    void BuildSitePage(platform::TTabSheet& page, int site, Control<platform::TComboBox>& list,
                       Control<platform::TCheckBox>& enabled);
    void BuildSiteCheckPage(platform::TTabSheet& page);
    // A framed tip on a page.
    void AddTip(platform::TTabSheet& page, platform::TBoxLayout& column, const char* text);
    // A caption on a page or in a group, kept as long as the dialog.
    platform::TLabel& AddLabel(platform::TWinControl& parent, const char* caption);
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
    void PickProgram(platform::TComboBox& list);
    void AddProgramName(platform::TComboBox& list);
    platform::TComboBox& SiteList(int site) const;
    platform::TCheckBox& SiteBox(int site) const;

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
    // The captions, tips and groups the handlers never touch.
    std::vector<std::unique_ptr<platform::TControl>> fixtures_;
};

}  // namespace zelvo::config
