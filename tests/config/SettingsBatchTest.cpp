// The batches of the settings store as the dialog runs them.
#include <filesystem>
#include <sstream>

#include "DialogFixture.h"
#include "config/SettingsSchema.h"
#include "platform/SettingsFile.h"

namespace zelvo::config {
namespace {

// The value names of a section in the order the file holds them.
Lines NamesIn(const std::string& text, const std::string& section) {
    Lines names;
    std::istringstream in(text);
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') {
            inside = line == "[" + section + "]";
            continue;
        }
        if (inside && line.find('=') != std::string::npos)
            names.push_back(line.substr(0, line.find('=')));
    }
    return names;
}

using SettingsBatch = ConfigDialogTest;

TEST_F(SettingsBatch, SaveWritesItsValuesInTheirOrderIntoTheCopysSection) {
    Live().InstanceNumber = 3;
    Live().InstanceSuffix = "3";
    auto dlg = MakeWithUrls("");
    dlg->Show();
    dlg->btnSaveConfig->Click();
    namespace s = settings;
    const Lines expected{s::WebSite1.Name,     s::WebSite2.Name,
                         s::WebSite3.Name,     s::Site1Enabled.Name,
                         s::Site2Enabled.Name, s::Site3Enabled.Name,
                         s::SiteTester.Name,   s::Browser.Name,
                         s::Viewer.Name,       s::ProxyPort.Name,
                         s::ProxyHost.Name,    s::Username.Name,
                         s::Password.Name,     s::TickerScrollSpeed.Name,
                         s::CharScroll.Name,   s::RetrievalInterval.Name,
                         s::AutoTimeOut.Name,  s::AutoRetrievalOn.Name,
                         s::SmoothScroll.Name, s::Border.Name,
                         s::Backcolor.Name,    s::ForeColor.Name,
                         s::FontName.Name,     s::FontSize.Name,
                         s::FontStyle.Name,    s::PageReading.Name};
    const std::string text = Slurp(platform::UserSettingsPath());
    EXPECT_EQ(NamesIn(text, "Zelvo3"), expected);
    EXPECT_TRUE(NamesIn(text, "Zelvo").empty());
}

// Loading only reads: a store that refuses every write loads all the same.
TEST_F(SettingsBatch, TheDialogLoadsFromAStoreThatCannotBeWritten) {
    Store().WriteString("Zelvo", "WebSite1", "http://127.0.0.1/one");
    Store().WriteInteger("Zelvo", "RetrievalInterval", 30);
    std::filesystem::create_directory(platform::UserSettingsPath() + ".tmp");
    auto dlg = MakeWithUrls("");
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(dlg->SiteURL(1), "http://127.0.0.1/one");
    EXPECT_EQ(Live().RetrievalInterval, 30);

    // Save cannot store them, says so with a beep, and the values stay in force.
    dlg->Show();
    dlg->spinInterval->SetValue(45);
    dlg->btnSaveConfig->Click();
    EXPECT_EQ(recorder.beeps.size(), 1u);
    EXPECT_EQ(Live().RetrievalInterval, 45);
    EXPECT_EQ(Store().ReadInteger("Zelvo", "RetrievalInterval", 0), 30);
}

// Smooth scrolling is on for a new user; Update applies the box, Cancel and a
// later showing drop an unapplied change, Save keeps it for the next start.
TEST_F(SettingsBatch, SmoothScrollingIsOnByDefaultAndFollowsUpdateAndSave) {
    auto dlg = MakeWithUrls("");
    EXPECT_TRUE(dlg->chkSmoothScroll->Checked());
    EXPECT_TRUE(Live().SmoothScroll);

    dlg->Show();
    dlg->chkSmoothScroll->SetChecked(false);
    dlg->btnCancelConfig->Click();
    EXPECT_TRUE(Live().SmoothScroll);
    dlg->Show();
    EXPECT_TRUE(dlg->chkSmoothScroll->Checked()) << "an unapplied change is dropped";

    dlg->chkSmoothScroll->SetChecked(false);
    dlg->btnUpdate->Click();
    EXPECT_FALSE(Live().SmoothScroll);
    EXPECT_EQ(Store().ReadString("Zelvo", "SmoothScroll", "none"), "none")
        << "Update stores nothing";

    dlg->Show();
    dlg->btnSaveConfig->Click();
    EXPECT_EQ(Store().ReadString("Zelvo", "SmoothScroll", "none"), "0");
    Live().SmoothScroll = true;
    auto again = MakeWithUrls("");
    EXPECT_FALSE(again->chkSmoothScroll->Checked());
    EXPECT_FALSE(Live().SmoothScroll);
}

}  // namespace
}  // namespace zelvo::config
