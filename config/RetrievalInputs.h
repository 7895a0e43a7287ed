#pragma once
// What the retrieval cycle reads from, and shows in, the configuration
// dialog: its controls are the live holders of the sites and the proxy, and
// its Site Check page shows the fetch under way. The dialog implements it.
// Texts are Windows-1252 bytes, exactly as the controls hold them.
#include <string>
#include <vector>

namespace zelvo::config {

class TRetrievalInputs {
public:
    virtual ~TRetrievalInputs() = default;

    // cbWebSite1..3 and CheckBox1..3, site 1..3.
    virtual std::string SiteURL(int site) const = 0;
    virtual bool SiteEnabled(int site) const = 0;
    virtual void SetSiteEnabled(int site, bool enabled) = 0;
    // txtProxyHost and txtProxyPort as typed.
    virtual std::string ProxyHostText() const = 0;
    virtual std::string ProxyPortText() const = 0;
    // The Site Check address cbTestURLs.
    virtual std::string TestURL() const = 0;
    virtual void SetTestURL(const std::string& url) = 0;
    // pnlURL, pnlSize and btnCancel of the Site Check page.
    virtual void SetCurrentURLCaption(const std::string& caption) = 0;
    virtual void SetPageSizeCaption(const std::string& caption) = 0;
    virtual void SetRetrievalCancelEnabled(bool enabled) = 0;
    // The feeds the page just read declares (UTF-8 addresses), offered on the
    // Site Check page; empty while a fetch runs and when there are none.
    virtual void SetOfferedFeeds(const std::vector<std::string>& /*feeds*/) {}
};

}  // namespace zelvo::config
