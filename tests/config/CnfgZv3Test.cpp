#include "config/CnfgZv3.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "DialogFixture.h"
#include "Unprivileged.h"
#include "config/LiveSettings.h"
#include "config/RegIniFile.h"
#include "config/UrlList.h"
#include "http/HttpProt.h"
#include "platform/Dialogs.h"
#include "platform/Screen.h"
#include "support/DialogRecorder.h"
#include "support/TempDir.h"

namespace zelvo::config {
namespace {

// --- The URL list ------------------------------------------------------------

TEST_F(ConfigDialogTest, MissingUrlFileWarnsOnceAndUsesTheBuiltInList) {
    auto dlg = Make();
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text,
              "Zelvo unable to locate URLs file " + exe.Path() + "/WebURLs.txt.");
    EXPECT_EQ(recorder.boxes[0].caption, "Warning");
    EXPECT_EQ(recorder.boxes[0].flags, platform::MB_OK | platform::MB_ICONWARNING);

    EXPECT_EQ(dlg->TestURLList(), BuiltInUrls());
    for (int site = 1; site <= 3; ++site)
        EXPECT_EQ(dlg->SiteURLList(site), SortUrls(BuiltInUrls()));
    EXPECT_EQ(dlg->SiteURL(1), BuiltInUrls()[0]);
    EXPECT_EQ(dlg->SiteURL(2), BuiltInUrls()[1]);
    EXPECT_EQ(dlg->SiteURL(3), BuiltInUrls()[2]);
    EXPECT_EQ(dlg->TestURL(), BuiltInUrls()[3]);

    // Add URL warns again and still creates no file.
    dlg->SetTestURL("http://127.0.0.1/new.html");
    dlg->btnAddURL->Click();
    ASSERT_EQ(recorder.boxes.size(), 2u);
    EXPECT_EQ(recorder.boxes[1].text, recorder.boxes[0].text);
    EXPECT_FALSE(std::filesystem::exists(UrlPath()));
    EXPECT_EQ(dlg->TestURLList().size(), 4u);
}

TEST_F(ConfigDialogTest, UnsortedLfFileLoadsSortedAndAddRewritesItSortedWithCrLf) {
    auto dlg = MakeWithUrls("http://c.test/\nhttp://B.test/\n\nhttp://a.test/\n");
    EXPECT_TRUE(recorder.boxes.empty());
    const Lines loaded{"", "http://a.test/", "http://B.test/", "http://c.test/"};
    EXPECT_EQ(dlg->TestURLList(), loaded);
    for (int site = 1; site <= 3; ++site)
        EXPECT_EQ(dlg->SiteURLList(site), loaded);
    // Sites 2 and 3 default to the second and third entries.
    EXPECT_EQ(dlg->SiteURL(2), "http://a.test/");
    EXPECT_EQ(dlg->SiteURL(3), "http://B.test/");

    dlg->SetTestURL("http://b2.test/");
    dlg->btnAddURL->Click();
    EXPECT_EQ(Slurp(UrlPath()),
              "\r\nhttp://a.test/\r\nhttp://B.test/\r\nhttp://b2.test/\r\nhttp://c.test/\r\n");
    const Lines grown{"", "http://a.test/", "http://B.test/", "http://b2.test/", "http://c.test/"};
    EXPECT_EQ(dlg->TestURLList(), grown);
    for (int site = 1; site <= 3; ++site)
        EXPECT_EQ(dlg->SiteURLList(site), grown);
    // The field keeps the address, and the site fields their own.
    EXPECT_EQ(dlg->TestURL(), "http://b2.test/");
    EXPECT_EQ(dlg->SiteURL(2), "http://a.test/");
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, "Zelvo URL file updated with current entry.");
    EXPECT_EQ(recorder.boxes[0].flags, platform::MB_OK | platform::MB_ICONINFORMATION);
}

TEST_F(ConfigDialogTest, AddUrlBeepsForDuplicatesAndBlanksButTakesOtherLetterCase) {
    auto dlg = MakeWithUrls("http://a.test/x\r\n");
    dlg->SetTestURL("http://a.test/x");
    dlg->btnAddURL->Click();
    dlg->SetTestURL("   ");
    dlg->btnAddURL->Click();
    EXPECT_EQ(recorder.beeps, (std::vector<platform::UINT>{0, 0}));
    EXPECT_EQ(Slurp(UrlPath()), "http://a.test/x\r\n");

    // Text that would not read back as one line is refused the same way.
    dlg->SetTestURL("http://b.test/\nhttp://c.test/");
    dlg->btnAddURL->Click();
    dlg->SetTestURL(std::string("http://b.test/\0x", 16));
    dlg->btnAddURL->Click();
    EXPECT_EQ(recorder.beeps.size(), 4u);
    EXPECT_EQ(Slurp(UrlPath()), "http://a.test/x\r\n");

    dlg->SetTestURL("http://A.test/X");
    dlg->btnAddURL->Click();
    EXPECT_EQ(recorder.beeps.size(), 4u);
    EXPECT_EQ(Slurp(UrlPath()), "http://a.test/x\r\nhttp://A.test/X\r\n");
    EXPECT_EQ(dlg->SiteURLList(3), (Lines{"http://a.test/x", "http://A.test/X"}));
}

TEST_F(ConfigDialogTest, SingleLineFileLeavesSitesTwoAndThreeEmpty) {
    auto dlg = MakeWithUrls("http://only.test/");
    EXPECT_EQ(dlg->TestURLList(), (Lines{"http://only.test/"}));
    EXPECT_EQ(dlg->SiteURL(1), DefaultSiteURL());
    EXPECT_EQ(dlg->SiteURL(2), "");
    EXPECT_EQ(dlg->SiteURL(3), "");
}

TEST_F(ConfigDialogTest, FailedRewriteKeepsTheFileAndReportsTheError) {
    auto dlg = MakeWithUrls("http://a.test/\r\n");
    // The file replaced by a directory while the program runs.
    std::filesystem::remove(UrlPath());
    std::filesystem::create_directory(UrlPath());
    dlg->SetTestURL("http://b.test/");
    dlg->btnAddURL->Click();
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].flags & 0xF0, platform::MB_ICONERROR);
    EXPECT_NE(recorder.boxes[0].text.find("WebURLs.txt"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(UrlPath()));
    // The Site Check list took the entry before the write, the site lists not.
    EXPECT_EQ(dlg->TestURLList(), (Lines{"http://a.test/", "http://b.test/"}));
    EXPECT_EQ(dlg->SiteURLList(1), (Lines{"http://a.test/"}));

    std::filesystem::remove(UrlPath());
    WriteFile(UrlPath(), "http://a.test/\r\n");
    ::chmod(UrlPath().c_str(), 0644);
    ::chmod(exe.Path().c_str(), 0555);
    dlg->SetTestURL("http://c.test/");
    {
        testing::Unprivileged user;
        if (!user.Bound())
            GTEST_SKIP() << "permissions do not bind";
        dlg->btnAddURL->Click();
    }
    ::chmod(exe.Path().c_str(), 0700);
    ASSERT_EQ(recorder.boxes.size(), 2u);
    EXPECT_EQ(recorder.boxes[1].flags & 0xF0, platform::MB_ICONERROR);
    EXPECT_EQ(Slurp(UrlPath()), "http://a.test/\r\n");
}

TEST_F(ConfigDialogTest, UrlFileThatIsADirectoryIsReportedAndSettingsStillLoad) {
    std::filesystem::create_directory(UrlPath());
    Store().WriteString("Zelvo", "WebSite1", "http://stored.test/");
    auto dlg = Make();
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].flags & 0xF0, platform::MB_ICONERROR);
    EXPECT_TRUE(dlg->TestURLList().empty());
    EXPECT_EQ(dlg->SiteURL(1), "http://stored.test/");
    EXPECT_EQ(dlg->SiteURL(2), "");
}

TEST_F(ConfigDialogTest, SiteCheckButtonsGoToTheHost) {
    auto dlg = MakeWithUrls("");
    EXPECT_TRUE(dlg->RetrievalCancelEnabled());
    dlg->btnRetrieve->Click();
    dlg->btnCancel->Click();
    EXPECT_EQ(retrieves, 1);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(dlg->CurrentURLCaption(), "");
    EXPECT_EQ(dlg->PageSizeCaption(), "");
}

// --- Showing, Update, Save, Cancel ----------------------------------------------

TEST_F(ConfigDialogTest, CancelBringsBackWhatWasShown) {
    Store().WriteString("Zelvo", "WebSite3", "http://three.test/");
    auto dlg = MakeWithUrls("");
    dlg->Show();
    dlg->SetSiteURL(1, "http://x1.test/");
    dlg->SetSiteURL(3, "http://x3.test/");
    dlg->SetSiteEnabled(2, false);
    dlg->SetTestURL("http://xt.test/");
    dlg->txtProxyHost->SetText("proxy.test");
    dlg->SetBrowserText("other");
    dlg->btnCancelConfig->Click();
    EXPECT_FALSE(dlg->Visible());
    EXPECT_EQ(dlg->SiteURL(1), DefaultSiteURL());
    EXPECT_EQ(dlg->SiteURL(3), "http://three.test/");
    EXPECT_TRUE(dlg->SiteEnabled(2));
    EXPECT_EQ(dlg->TestURL(), MakerHomePage());
    EXPECT_EQ(dlg->ProxyHostText(), "");
    EXPECT_EQ(dlg->BrowserText(), "IExplore.exe");
}

TEST_F(ConfigDialogTest, ClosingByTheTitleBarDiscardsEditsLikeCancel) {
    auto dlg = MakeWithUrls("");
    dlg->Show();
    dlg->SetSiteURL(2, "http://edited.test/");
    dlg->rbtnRetrievalOff->SetChecked(true);
    recorder.boxes.clear();
    dlg->Close();
    EXPECT_FALSE(dlg->Visible());
    EXPECT_EQ(dlg->SiteURL(2), "");
    EXPECT_TRUE(dlg->rbtnRetrievalOn->Checked());
    EXPECT_TRUE(Live().AutoRetrievalOn);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(ConfigDialogTest, PasswordNeverShowsAndSaveStoresTheRealOne) {
    Store().WriteString("Zelvo", "Password", "  hunter2 ");
    auto dlg = MakeWithUrls("");
    EXPECT_EQ(Live().Password, "hunter2");
    EXPECT_EQ(dlg->txtPassword->Text(), "(Secret)");

    dlg->Show();
    dlg->btnUpdate->Click();
    EXPECT_EQ(Live().Password, "hunter2");

    dlg->Show();
    dlg->txtPassword->SetText("new one");
    dlg->btnUpdate->Click();
    EXPECT_EQ(Live().Password, "new one");
    EXPECT_EQ(dlg->txtPassword->Text(), "(Secret)");

    dlg->Show();
    dlg->btnSaveConfig->Click();
    EXPECT_EQ(Store().ReadString("Zelvo", "Password", "?"), "new one");

    dlg->Show();
    dlg->txtPassword->SetText("");
    dlg->btnUpdate->Click();
    EXPECT_EQ(Live().Password, "");

    // Cancel puts the live password back as it was at showing.
    Live().Password = "kept";
    dlg->txtPassword->SetText("(Secret)");
    dlg->Show();
    dlg->txtPassword->SetText("typed");
    Live().Password = "changed elsewhere";
    dlg->btnCancelConfig->Click();
    EXPECT_EQ(Live().Password, "kept");
    EXPECT_EQ(dlg->txtPassword->Text(), "(Secret)");
}

TEST_F(ConfigDialogTest, StoredSecretMaskMeansNoPassword) {
    Store().WriteString("Zelvo", "Password", "(Secret)");
    auto dlg = MakeWithUrls("");
    EXPECT_EQ(Live().Password, "");
    EXPECT_EQ(dlg->txtPassword->Text(), "");
}

TEST_F(ConfigDialogTest, SliderZonesTakeEffectThroughUpdateAndSave) {
    auto dlg = MakeWithUrls("");
    EXPECT_EQ(host.interval, 250u);
    EXPECT_EQ(Live().ScrollStep, 2);

    // Update without moving the slider keeps the step.
    Live().ScrollStep = 5;
    dlg->Show();
    dlg->btnUpdate->Click();
    EXPECT_EQ(Live().ScrollStep, 5);

    dlg->Show();
    Widget<QSlider>(dlg->tbarScrollSpeed)->setValue(120);
    EXPECT_EQ(Live().ScrollStep, 5);  // not before Update
    dlg->btnUpdate->Click();
    EXPECT_EQ(host.interval, 120u);
    EXPECT_EQ(Live().ScrollStep, 3);

    dlg->Show();
    EXPECT_EQ(dlg->tbarScrollSpeed->Position(), 120);
    dlg->btnSaveConfig->Click();
    EXPECT_EQ(Store().ReadInteger("Zelvo", "TickerScrollSpeed", 0), 120);
    EXPECT_EQ(Store().ReadInteger("Zelvo", "CharScroll", 0), 3);

    for (auto [position, step] : {std::pair{149, 3}, {150, 2}, {299, 2}, {300, 1}, {400, 1}}) {
        dlg->Show();
        Widget<QSlider>(dlg->tbarScrollSpeed)->setValue(position);
        dlg->btnUpdate->Click();
        EXPECT_EQ(Live().ScrollStep, step) << position;
    }
}

TEST_F(ConfigDialogTest, StoredScrollSpeedIsTakenIntoRange) {
    Store().WriteString("Zelvo", "TickerScrollSpeed", "0x12C");
    Store().WriteString("Zelvo", "CharScroll", "7");
    Store().WriteString("Zelvo", "RetrievalInterval", "999");
    Store().WriteString("Zelvo", "AutoTimeOut", "-3");
    auto dlg = MakeWithUrls("");
    EXPECT_EQ(host.interval, 300u);
    EXPECT_EQ(Live().ScrollStep, 7);  // unchecked
    EXPECT_EQ(Live().RetrievalInterval, 240);
    EXPECT_EQ(Live().AutoTimeOut, 0);
}

TEST_F(ConfigDialogTest, RestartNoticeOnlyForARealChangeWhileShown) {
    auto dlg = MakeWithUrls("");
    Live().AutoRetrievalOn = false;
    dlg->Show();
    EXPECT_TRUE(dlg->rbtnRetrievalOff->Checked());
    EXPECT_FALSE(dlg->rbtnRetrievalOn->Checked());
    EXPECT_TRUE(recorder.boxes.empty());

    dlg->rbtnRetrievalOff->Click();  // already selected
    dlg->rbNoBorder->Click();
    EXPECT_TRUE(recorder.boxes.empty());

    dlg->rbtnRetrievalOn->Click();
    dlg->rbBorder->Click();
    ASSERT_EQ(recorder.boxes.size(), 2u);
    for (const auto& box : recorder.boxes) {
        EXPECT_EQ(box.text, "Save setting, exit and restart program to effect change.  ");
        EXPECT_EQ(box.flags, platform::MB_OK | platform::MB_ICONINFORMATION);
    }

    // Cancel puts both pairs back without a notice, one button of each selected.
    dlg->btnCancelConfig->Click();
    EXPECT_EQ(recorder.boxes.size(), 2u);
    EXPECT_TRUE(dlg->rbtnRetrievalOff->Checked());
    EXPECT_TRUE(dlg->rbNoBorder->Checked());
    EXPECT_FALSE(dlg->rbBorder->Checked());
}

TEST_F(ConfigDialogTest, UpdateSwitchesAutomaticRetrieval) {
    Store().WriteBool("Zelvo", "AutoRetrievalOn", false);
    auto dlg = MakeWithUrls("");
    EXPECT_FALSE(Live().AutoRetrievalOn);
    EXPECT_FALSE(dlg->RetrievalOnSelected());

    dlg->Show();
    dlg->rbtnRetrievalOn->Click();
    dlg->btnUpdate->Click();
    EXPECT_EQ(host.connects, 1);
    EXPECT_TRUE(host.retrievalTimer);
    EXPECT_TRUE(Live().AutoRetrievalOn);

    dlg->Show();
    dlg->rbtnRetrievalOff->Click();
    dlg->btnUpdate->Click();
    EXPECT_EQ(host.connects, 1);
    EXPECT_FALSE(host.retrievalTimer);
    EXPECT_FALSE(Live().AutoRetrievalOn);
}

TEST_F(ConfigDialogTest, ANewSiteAddressIsFetchedNextAndAtOnceWhenRetrievalIsOn) {
    auto dlg = MakeWithUrls("");
    std::vector<int> changed;
    dlg->OnSiteAddressChanged = [&changed](int site) { changed.push_back(site); };

    // Nothing changed: the schedule goes on as it was.
    dlg->Show();
    dlg->btnUpdate->Click();
    EXPECT_TRUE(changed.empty());
    EXPECT_EQ(host.connects, 0);

    dlg->Show();
    dlg->SetSiteURL(2, "http://127.0.0.1/mine.xml");
    dlg->btnUpdate->Click();
    EXPECT_EQ(changed, (std::vector<int>{2}));
    EXPECT_EQ(host.connects, 1);

    // Save too; of two new addresses the first enabled site goes first, and
    // a disabled site never comes up.
    dlg->Show();
    dlg->SetSiteURL(1, "http://127.0.0.1/one.xml");
    dlg->CheckBox1->SetChecked(false);
    dlg->SetSiteURL(3, "http://127.0.0.1/three.xml");
    dlg->SetSiteURL(2, "http://127.0.0.1/two.xml");
    dlg->btnSaveConfig->Click();
    EXPECT_EQ(changed, (std::vector<int>{2, 2}));
    EXPECT_EQ(host.connects, 2);

    // An address typed and cancelled is no change.
    dlg->Show();
    dlg->SetSiteURL(3, "http://127.0.0.1/typo");
    dlg->btnCancelConfig->Click();
    dlg->Show();
    dlg->btnUpdate->Click();
    EXPECT_EQ(changed.size(), 2u);

    // With automatic retrieval off the site waits for the user's Retrieve.
    dlg->Show();
    dlg->rbtnRetrievalOff->Click();
    dlg->SetSiteURL(3, "http://127.0.0.1/later.xml");
    dlg->btnUpdate->Click();
    EXPECT_EQ(changed, (std::vector<int>{2, 2, 3}));
    EXPECT_EQ(host.connects, 2);
}

TEST_F(ConfigDialogTest, NumberFieldsCountTextAsMinimumAndClampOnLeaving) {
    auto dlg = MakeWithUrls("");
    dlg->Show();
    FieldOf(dlg->spinInterval)->setText("abc");
    FieldOf(dlg->spinTimeOut)->setText("");
    dlg->btnUpdate->Click();
    EXPECT_EQ(Live().RetrievalInterval, 1);
    EXPECT_EQ(Live().AutoTimeOut, 0);

    dlg->Show();
    FieldOf(dlg->spinInterval)->setText("500");
    emit FieldOf(dlg->spinInterval)->editingFinished();
    EXPECT_EQ(FieldOf(dlg->spinInterval)->text(), "240");
    FieldOf(dlg->spinInterval)->setText("7x");
    emit FieldOf(dlg->spinInterval)->editingFinished();
    EXPECT_EQ(FieldOf(dlg->spinInterval)->text(), "7x");
    EXPECT_EQ(dlg->spinInterval->Value(), 1);
    FieldOf(dlg->spinTimeOut)->setText("13");
    dlg->btnUpdate->Click();
    EXPECT_EQ(Live().AutoTimeOut, 12);
    // Stepping keeps to the range too.
    dlg->spinTimeOut->SetValue(11);
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(FieldOf(dlg->spinTimeOut), &up);
    QApplication::sendEvent(FieldOf(dlg->spinTimeOut), &up);
    EXPECT_EQ(FieldOf(dlg->spinTimeOut)->text(), "12");
    QApplication::sendEvent(FieldOf(dlg->spinTimeOut), &down);
    EXPECT_EQ(dlg->spinTimeOut->Value(), 11);
    EXPECT_EQ(FieldOf(dlg->spinInterval)->maxLength(), 3);
    EXPECT_EQ(FieldOf(dlg->spinTimeOut)->maxLength(), 2);
}

TEST_F(ConfigDialogTest, PlacementByInstance) {
    auto dlg = MakeWithUrls("");
    const int w = platform::ScreenWidth();
    const int h = platform::ScreenHeight();
    Live().InstanceNumber = 3;
    Live().InstanceSuffix = "3";
    dlg->Show();
    EXPECT_EQ(dlg->Left(), (w - dlg->Width()) / 4);
    EXPECT_EQ(dlg->Top(), (h - dlg->Height()) / 4);
    EXPECT_EQ(dlg->Caption(), "Configure Zelvo3");
    dlg->btnCancelConfig->Click();

    Live().InstanceNumber = 1;
    Live().InstanceSuffix = "";
    dlg->Show();
    EXPECT_EQ(dlg->Left(), (w - dlg->Width()) / 2);
    EXPECT_EQ(dlg->Top(), (h - dlg->Height()) / 2);
    EXPECT_EQ(dlg->Caption(), "Configure Zelvo");
    EXPECT_EQ(Widget(*dlg)->minimumSize(), Widget(*dlg)->maximumSize()) << "a fixed-size frame";
}

TEST_F(ConfigDialogTest, SiteCheckPageDisablesSaveAndUpdate) {
    auto dlg = MakeWithUrls("");
    dlg->Show();
    ASSERT_EQ(dlg->PageControl1->PageCount(), 8);
    EXPECT_EQ(dlg->PageControl1->Page(4).Caption(), "Site 1     ");
    dlg->PageControl1->SetActivePageIndex(7);
    EXPECT_EQ(dlg->PageControl1->Page(7).Caption(), "Site Check");
    EXPECT_FALSE(dlg->btnSaveConfig->Enabled());
    EXPECT_FALSE(dlg->btnUpdate->Enabled());
    EXPECT_EQ(dlg->btnCancelConfig->Caption(), "Cl&ose");
    dlg->PageControl1->SetActivePageIndex(2);
    EXPECT_TRUE(dlg->btnSaveConfig->Enabled());
    EXPECT_EQ(dlg->btnCancelConfig->Caption(), "&Cancel");
    // Showing again starts on the first page.
    dlg->PageControl1->SetActivePageIndex(7);
    dlg->btnCancelConfig->Click();
    dlg->Show();
    EXPECT_EQ(dlg->PageControl1->ActivePageIndex(), 0);
    EXPECT_TRUE(dlg->btnUpdate->Enabled());
}

TEST_F(ConfigDialogTest, MissingProgramNameWarnsAtCloseAndIsStoredAnyway) {
    auto dlg = MakeWithUrls("");
    dlg->Show();
    dlg->SetBrowserText("  ");
    dlg->btnSaveConfig->Click();
    EXPECT_EQ(BoxTexts(), (Lines{"Saving Zelvo settings to Registry.     ",
                                 "Name of browser or viewer is missing, please supply!     "}));
    EXPECT_EQ(recorder.boxes[1].caption, "Warning");
    EXPECT_EQ(Store().ReadString("Zelvo", "Browser", "?"), "  ");
}

TEST_F(ConfigDialogTest, BackColourOnABorderlessStripAndCancel) {
    auto dlg = MakeWithUrls("");
    host.back = clBlack;
    dlg->ChooseColor = [](TColor initial) -> std::optional<TColor> {
        EXPECT_EQ(initial, clBlack);
        return 0x0000FF;
    };
    dlg->Show();
    dlg->btnBackcolor->Click();
    EXPECT_EQ(host.back, 0x0000FF);
    EXPECT_EQ(host.strip, 0x0000FF);
    dlg->btnCancelConfig->Click();
    EXPECT_EQ(host.back, clBlack);
    EXPECT_EQ(host.strip, 0x0000FF);

    // A bordered strip keeps its own colour.
    Live().BorderOn = true;
    host.strip = clBlack;
    dlg->Show();
    dlg->btnBackcolor->Click();
    EXPECT_EQ(host.strip, clBlack);
}

TEST_F(ConfigDialogTest, FontChoiceActsAtOnceAndCancelRestoresIt) {
    auto dlg = MakeWithUrls("");
    TTickerFont chosen;
    chosen.Name = "Courier";
    chosen.Size = 20;
    chosen.Bold = false;
    chosen.Color = 0x00FF00;
    dlg->ChooseFont = [&](const TTickerFont&) { return std::optional<TTickerFont>(chosen); };
    const TTickerFont original = host.font;
    dlg->Show();
    dlg->btnForecolor->Click();
    EXPECT_EQ(host.font.Name, "Courier");
    EXPECT_EQ(host.font.Size, 12);
    EXPECT_EQ(host.font.Color, 0x00FF00);
    dlg->btnCancelConfig->Click();
    EXPECT_EQ(host.font, original);
}

TEST_F(ConfigDialogTest, ProgramListsCollectNamesOnce) {
    auto dlg = MakeWithUrls("");
    std::string next = "/usr/bin/zz";
    dlg->ChooseProgram = [&](const std::string& title) -> std::optional<std::string> {
        EXPECT_EQ(title, "Browse");
        return next;
    };
    dlg->btnBrowseBrowser->Click();
    dlg->btnBrowseBrowser->Click();
    dlg->SetBrowserText("/usr/bin/AA");
    dlg->cbBrowserDropDown();
    dlg->SetBrowserText(" ");
    dlg->cbBrowserDropDown();
    EXPECT_EQ(dlg->cbBrowser->Items(), (Lines{"/usr/bin/AA", "/usr/bin/zz"}));
    EXPECT_EQ(dlg->BrowserText(), " ");
    EXPECT_TRUE(dlg->cbViewer->Items().empty());
    dlg->ChooseProgram = [](const std::string&) { return std::optional<std::string>(); };
    dlg->btnBrowseViewer->Click();
    EXPECT_EQ(dlg->ViewerText(), "Notepad.exe");
}

TEST_F(ConfigDialogTest, HelpAndTips) {
    auto dlg = MakeWithUrls("");
    dlg->btnHelpConfig->Click();
    EXPECT_EQ(host.help, std::vector<int>{1000});
    dlg->btnTips->Click();
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text,
              "Fill in username and password if required by your Internet or intranet connection. "
              "Leave grey if "
              "you use standard dial-up networking. Remember to save your settings.");
}

TEST_F(ConfigDialogTest, SavedSettingsLoadBackExactly) {
    Live().InstanceNumber = 2;
    Live().InstanceSuffix = "2";
    {
        auto dlg = MakeWithUrls("http://a.test/\r\nhttp://b.test/\r\n");
        dlg->Show();
        dlg->SetSiteURL(1, " http://one.test/ ");
        dlg->SetSiteURL(2, "http://two.test/#frag");
        dlg->SetSiteURL(3, "");
        dlg->SetSiteEnabled(1, false);
        dlg->SetSiteEnabled(3, false);
        dlg->SetTestURL("http://check.test/");
        dlg->SetBrowserText("/opt/browser");
        dlg->SetViewerText("/usr/bin/view \xE9");
        dlg->txtProxyPort->SetText(" 8080 ");
        dlg->txtProxyHost->SetText("127.0.0.1");
        dlg->txtUsername->SetText(" someone ");
        dlg->txtPassword->SetText("s3cret");
        Widget<QSlider>(dlg->tbarScrollSpeed)->setValue(175);
        dlg->spinInterval->SetValue(30);
        dlg->spinTimeOut->SetValue(0);
        dlg->rbtnRetrievalOff->Click();
        dlg->rbBorder->Click();
        host.back = 0x123456;
        host.font = TTickerFont{"Arial", 10, false, true, false, false, 0x00AA00};
        dlg->btnSaveConfig->Click();
        EXPECT_FALSE(dlg->Visible());
        EXPECT_EQ(Live().Username, " someone ");  // Update takes the field as typed
    }
    const auto s = Store();
    EXPECT_EQ(s.ReadString("Zelvo2", "ProxyPort", "?"), "8080");
    EXPECT_EQ(s.ReadString("Zelvo2", "Username", "?"), "someone");
    EXPECT_EQ(s.ReadInteger("Zelvo2", "Backcolor", -1), 0x123456);
    EXPECT_EQ(s.ReadInteger("Zelvo2", "ForeColor", -1), 0x00AA00);
    EXPECT_EQ(s.ReadString("Zelvo2", "FontName", "?"), "Arial");
    EXPECT_EQ(s.ReadInteger("Zelvo2", "FontSize", -1), 10);
    EXPECT_EQ(s.ReadInteger("Zelvo2", "FontStyle", -1), 2);  // italic counts as a style
    EXPECT_TRUE(s.ReadBool("Zelvo2", "Border", false));
    EXPECT_EQ(s.ReadString("Zelvo", "WebSite1", "none"), "none");  // only the copy's own section

    host = FakeHost{};
    Live().ScrollStep = 0;
    recorder.boxes.clear();
    auto dlg = Make();
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(dlg->SiteURL(1), " http://one.test/ ");
    EXPECT_EQ(dlg->SiteURL(2), "http://two.test/#frag");
    EXPECT_EQ(dlg->SiteURL(3), "");
    EXPECT_FALSE(dlg->SiteEnabled(1));
    EXPECT_TRUE(dlg->SiteEnabled(2));
    EXPECT_FALSE(dlg->SiteEnabled(3));
    EXPECT_EQ(dlg->TestURL(), "http://check.test/");
    EXPECT_EQ(dlg->BrowserText(), "/opt/browser");
    EXPECT_EQ(dlg->ViewerText(), "/usr/bin/view \xE9");
    EXPECT_EQ(dlg->ProxyPortText(), "8080");
    EXPECT_EQ(dlg->ProxyHostText(), "127.0.0.1");
    EXPECT_EQ(dlg->txtUsername->Text(), "someone");
    EXPECT_EQ(Live().Username, "someone");
    EXPECT_EQ(Live().Password, "s3cret");
    EXPECT_EQ(dlg->tbarScrollSpeed->Position(), 175);
    EXPECT_EQ(host.interval, 175u);
    EXPECT_EQ(Live().ScrollStep, 2);
    EXPECT_EQ(Live().RetrievalInterval, 30);
    EXPECT_EQ(Live().AutoTimeOut, 0);
    EXPECT_FALSE(Live().AutoRetrievalOn);
    EXPECT_TRUE(dlg->rbtnRetrievalOff->Checked());
}

// --- How pages are read, and feeds a page offers -------------------------------

TEST_F(ConfigDialogTest, PageReadingLoadsAppliesThroughUpdateSavesAndCancels) {
    {
        auto dlg = MakeWithUrls("");
        EXPECT_TRUE(dlg->rbtnHeadlines->Checked());
        EXPECT_EQ(Live().PageReading, "Headlines");

        // Choosing alone changes nothing live; Update makes it the next fetch's.
        dlg->Show();
        dlg->rbtnClassic->Click();
        EXPECT_EQ(Live().PageReading, "Headlines");
        dlg->btnUpdateClick();
        EXPECT_EQ(Live().PageReading, "Classic");
        EXPECT_EQ(Store().ReadString("Zelvo", "PageReading", "none"), "none");

        // Cancel puts back the choice shown at opening.
        dlg->Show();
        dlg->rbtnHeadlines->Click();
        dlg->btnCancelConfigClick();
        EXPECT_TRUE(dlg->rbtnClassic->Checked());
        EXPECT_EQ(Live().PageReading, "Classic");

        dlg->Show();
        dlg->btnSaveConfig->Click();
        EXPECT_EQ(Store().ReadString("Zelvo", "PageReading", "?"), "Classic");
    }
    // Stored in another letter case it still means the classic reading; an
    // unknown name means headlines.
    Store().WriteString("Zelvo", "PageReading", "CLASSIC");
    EXPECT_TRUE(Make()->rbtnClassic->Checked());
    EXPECT_EQ(Live().PageReading, "Classic");
    Store().WriteString("Zelvo", "PageReading", "Fancy");
    EXPECT_TRUE(Make()->rbtnHeadlines->Checked());
    EXPECT_EQ(Live().PageReading, "Headlines");
}

TEST_F(ConfigDialogTest, SiteCheckOffersADeclaredFeedAndAddsItToTheUrlFile) {
    auto dlg = MakeWithUrls("http://a.test/\r\n");
    EXPECT_TRUE(!dlg->btnAddFeed->Visible());
    dlg->SetOfferedFeeds({"http://a.test/feed.xml", "http://a.test/atom.xml"});
    EXPECT_FALSE(!dlg->btnAddFeed->Visible());
    EXPECT_FALSE(!dlg->cbFeeds->Visible());
    EXPECT_EQ(dlg->OfferedFeeds(), (Lines{"http://a.test/feed.xml", "http://a.test/atom.xml"}));

    dlg->cbFeeds->SetItemIndex(1);
    dlg->btnAddFeed->Click();
    EXPECT_EQ(Slurp(UrlPath()), "http://a.test/\r\nhttp://a.test/atom.xml\r\n");
    for (int site = 1; site <= 3; ++site)
        EXPECT_EQ(dlg->SiteURLList(site), (Lines{"http://a.test/", "http://a.test/atom.xml"}));
    ASSERT_EQ(BoxTexts(), (Lines{"Zelvo URL file updated with current entry."}));

    // Offered again, it is already listed: a beep and nothing more.
    dlg->btnAddFeed->Click();
    EXPECT_EQ(recorder.beeps.size(), 1u);
    EXPECT_EQ(recorder.boxes.size(), 1u);

    dlg->SetOfferedFeeds({});
    EXPECT_TRUE(!dlg->btnAddFeed->Visible());
    EXPECT_TRUE(!dlg->cbFeeds->Visible());
}

}  // namespace
}  // namespace zelvo::config
