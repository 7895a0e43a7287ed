#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/MainZv3.h"
#include "app/Program.h"
#include "app/RetrievalCycle.h"
#include "config/CnfgZv3.h"
#include "config/LiveSettings.h"
#include "config/RegIniFile.h"
#include "platform/Dialogs.h"
#include "platform/Graphics.h"
#include "support/DialogRecorder.h"
#include "support/Files.h"
#include "support/ScopedEnv.h"
#include "support/StandInPrograms.h"
#include "support/TempDir.h"
#include "support/TrayFakes.h"
#include "support/WaitFor.h"
#include "text/PageConversion.h"
#include "text/PageReading.h"

using namespace zelvo;
namespace zt = zelvo::testing;
using app::TfrmMain;

namespace {

// The strip with its dialog, as the program puts them together, on a private
// settings folder and program folder.
class TrayCommands : public ::testing::Test {
protected:
    zt::TempDir dir;
    zt::ScopedEnv home{"XDG_CONFIG_HOME", dir.Path()};
    zt::DialogRecorder boxes;
    zt::FakeNotificationArea tray;
    std::unique_ptr<app::TZelvoProgram> program;
    TfrmMain* form = nullptr;
    config::TfrmConfig* dialog = nullptr;

    void Start(int screenHeight = 768) {
        config::Live() = {};
        // Whatever fetch a command starts goes to loopback, never to a default site.
        std::filesystem::create_directories(dir / "Quorvane");
        zt::WriteFile(dir / "Quorvane/Zelvo.conf", "[Zelvo]\nWebSite1=http://127.0.0.1:9/a\n");
        zt::WriteFile(dir / "WebURLs.txt",
                      "http://127.0.0.1:9/a\r\nhttp://127.0.0.1:9/b\r\nhttp://127.0.0.1:9/c\r\n");
        program = std::make_unique<app::TZelvoProgram>(app::TProgramPlaces{
            TfrmMain::TScreen{1024, screenHeight, std::nullopt}, {dir.Path() + "/", ""}});
        program->CreateForms();
        form = &program->frmMain();
        dialog = &program->frmConfig();
        boxes.boxes.clear();
    }
    void TearDown() override {
        program.reset();
        platform::SetExceptionHandler(nullptr);
    }
    config::TRegIniFile Store() { return config::TRegIniFile(); }
};

std::vector<std::string> Captions(const platform::PopupMenu& menu) {
    std::vector<std::string> out;
    for (size_t i = 0; i < menu.Count(); ++i)
        out.push_back(menu.Item(i).IsSeparator() ? "-" : menu.Item(i).Caption());
    return out;
}

}  // namespace

TEST_F(TrayCommands, TheMenuHasItsSeventeenEntriesInOrder) {
    Start();
    EXPECT_EQ(Captions(*form->mnuPopupMenu),
              (std::vector<std::string>{"&Browser View...", "-", "&Retrieve", "Ca&ncel", "-",
                                        "&Configuration...", "-", "Hi&de Ticker", "Always &on Top",
                                        "-", "&Text  View...", "&Edit URL File...", "-", "E&xit",
                                        "-", "&Help...", "&About..."}));
    EXPECT_FALSE(form->mnuCancel->Enabled());
    EXPECT_TRUE(form->mnuAlwaysonTop->Checked());
    EXPECT_FALSE(form->mnuHideTicker->Checked());
    EXPECT_EQ(form->VryTrayIcon95->Hint(), "Zelvo is running");
    EXPECT_TRUE(form->VryTrayIcon95->Active());
    EXPECT_EQ(tray.Count(platform::NIM_ADD), 1u);
}

TEST_F(TrayCommands, RetrieveFiresTheScheduleAtOnce) {
    Start();
    form->mnuConnectClick();
    EXPECT_EQ(form->timerRetrieve.Interval(), 50u);
    EXPECT_TRUE(form->timerRetrieve.Enabled());
}

TEST_F(TrayCommands, ExitAsksUnlessTheSessionOrTheTimeOutEnds) {
    Start();
    boxes.replies = {platform::IDNO};
    EXPECT_FALSE(form->FormCloseQuery());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Exit Zelvo without changing connection status?     ");
    EXPECT_EQ(boxes.boxes[0].caption, "Confirm");
    EXPECT_EQ(boxes.boxes[0].flags & 0x0F, platform::MB_YESNO);
    EXPECT_TRUE(form->FormCloseQuery());  // Yes
    program->Retrieval().TimeOutTag = 1;
    EXPECT_TRUE(form->FormCloseQuery());
    program->Retrieval().TimeOutTag = 0;
    form->AppTag = 1;
    EXPECT_TRUE(form->FormCloseQuery());
    EXPECT_EQ(boxes.boxes.size(), 2u);
}

TEST_F(TrayCommands, HidingMovesTheStripBelowTheScreenAndExitSavesItsRealRow) {
    Start();
    form->MoveTo(0, 700);
    form->mnuHideTickerClick();
    EXPECT_TRUE(form->mnuHideTicker->Checked());
    EXPECT_EQ(form->Top(), 868);
    EXPECT_EQ(form->SavedTop, 700);
    form->FormClose();
    EXPECT_EQ(Store().ReadInteger("Zelvo", "TickerTop", -1), 700);
    EXPECT_TRUE(Store().ReadBool("Zelvo", "HideTicker", false));
    EXPECT_FALSE(form->VryTrayIcon95->Active());
    EXPECT_EQ(tray.Count(platform::NIM_DELETE), 1u);
    form->mnuHideTickerClick();
    EXPECT_EQ(form->Top(), 700);
}

TEST_F(TrayCommands, ExitCountsTheCopyOutAndRepairsAStrayCount) {
    Start();
    const std::pair<int, int> cases[] = {{1, 0}, {3, 2}, {6, 0}};
    for (auto [stored, saved] : cases) {
        Store().WriteInteger("Zelvo", "RunningInstances", stored);
        form->FormClose();
        EXPECT_EQ(Store().ReadInteger("Zelvo", "RunningInstances", -1), saved) << stored;
    }
    form->MoveTo(5, -20);
    form->FormClose();
    EXPECT_EQ(Store().ReadInteger("Zelvo", "TickerTop", -1), 0);
    EXPECT_EQ(Store().ReadInteger("Zelvo", "TickerLeft", -1), 5);
    EXPECT_EQ(Store().ReadInteger("Zelvo", "TickerWidth", -1), form->Width());
    EXPECT_TRUE(Store().ReadBool("Zelvo", "AlwaysOnTop", false));
}

TEST_F(TrayCommands, ShiftOverTheIconRetrievesOnceAndCtrlShiftCancels) {
    Start();
    form->FormKeyDown(true, false);
    EXPECT_FALSE(form->timerRetrieve.Enabled());  // not hovering

    form->VryTrayIcon95MouseEnter();
    EXPECT_TRUE(form->HoverFlag);
    form->FormKeyDown(true, false);
    EXPECT_TRUE(form->timerRetrieve.Enabled());
    EXPECT_TRUE(program->Retrieval().KeyLatch);
    form->timerRetrieve.SetEnabled(false);
    form->FormKeyDown(true, false);
    EXPECT_FALSE(form->timerRetrieve.Enabled());  // latched

    form->mnuCancel->SetEnabled(true);
    form->FormKeyDown(true, true);
    EXPECT_FALSE(form->mnuCancel->Enabled());
    EXPECT_TRUE(program->Retrieval().KeyLatch);

    form->VryTrayIcon95MouseExit();
    form->VryTrayIcon95MouseEnter();  // re-arms the gesture
    form->FormKeyDown(true, false);
    EXPECT_TRUE(form->timerRetrieve.Enabled());
}

TEST_F(TrayCommands, AlwaysOnTopToggles) {
    Start();
    form->mnuAlwaysonTopClick();
    EXPECT_FALSE(form->mnuAlwaysonTop->Checked());
    EXPECT_FALSE(form->Topmost());
    form->mnuAlwaysonTopClick();
    EXPECT_TRUE(form->Topmost());
}

TEST_F(TrayCommands, ABlankViewerFallsBackToTheDefaultName) {
    Start();
    dialog->SetViewerText("   ");
    form->mnuViewTextPgClick();
    EXPECT_EQ(dialog->ViewerText(), "Notepad.exe");
}

TEST_F(TrayCommands, AViewerThatCannotStartIsReported) {
    Start();
    dialog->SetViewerText("zelvo-no-such-viewer");
    form->mnuEditURLFileClick();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Unable to launch editor, check Configuration Dialog.   ");
    boxes.boxes.clear();
    form->mnuViewTextPgClick();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Unable to launch viewer, check Configuration Dialog.   ");
}

TEST_F(TrayCommands, ABrowserThatCannotOpenAnythingIsReported) {
    Start();
    dialog->SetBrowserText("zelvo-no-such-browser");
    dialog->SetCurrentURLCaption("");
    form->mnuBrowserViewClick();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Unable to launch browser, check Configuration Dialog.   ");
}

TEST_F(TrayCommands, AViewerThatStartsIsNotReported) {
    Start();
    dialog->SetViewerText("/bin/true");
    form->mnuViewTextPgClick();
    EXPECT_TRUE(boxes.boxes.empty());
}

// The viewer gets the program's own files wherever they live, as one
// argument each; the browser gets the site's address and nothing else.
TEST_F(TrayCommands, ViewerEditorAndBrowserGetOneArgumentEach) {
    zt::StandInPrograms programs;
    programs.Add("viewer");
    programs.Add("xdg-open");
    Start();
    form->Folders.Page = dir / "state dir/";
    form->Folders.UrlList = dir / "config dir/";
    dialog->SetViewerText("viewer");
    form->mnuViewTextPgClick();
    EXPECT_EQ(programs.Take("viewer"), std::vector<std::string>{dir / "state dir/WebPage.txt"});
    form->mnuEditURLFileClick();
    EXPECT_EQ(programs.Take("viewer"), std::vector<std::string>{dir / "config dir/WebURLs.txt"});

    // No browser: the desktop opens the address, as one target.
    dialog->SetBrowserText("zelvo-no-such-browser");
    dialog->SetCurrentURLCaption("http://127.0.0.1:9/news.html /etc/passwd");
    form->mnuBrowserViewClick();
    EXPECT_EQ(programs.Take("xdg-open"),
              std::vector<std::string>{"http://127.0.0.1:9/news.html%20/etc/passwd"});
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(TrayCommands, AnAddressThatIsNoWebAddressIsNeverOpened) {
    zt::StandInPrograms programs;
    programs.Add("xdg-open");
    programs.Add("local-program");
    Start();
    dialog->SetBrowserText("zelvo-no-such-browser");
    for (const std::string address : {"local-program", "/etc/passwd", "-e http://127.0.0.1:9/"}) {
        dialog->SetCurrentURLCaption(address);
        form->mnuBrowserViewClick();
    }
    ASSERT_EQ(boxes.boxes.size(), 3u);
    EXPECT_EQ(boxes.boxes[2].text, "Unable to launch browser, check Configuration Dialog.   ");
    // A good address last: whatever the others started has shown up by the
    // time it has.
    dialog->SetCurrentURLCaption("http://127.0.0.1:9/");
    form->mnuBrowserViewClick();
    EXPECT_EQ(programs.Take("xdg-open"), std::vector<std::string>{"http://127.0.0.1:9/"});
    EXPECT_FALSE(programs.Started("local-program"));
    EXPECT_FALSE(programs.Started("xdg-open"));
}

namespace {

// A browser stand-in that writes down what it was asked to open.
std::string BrowserStandIn(const zt::TempDir& dir) {
    const std::string path = dir / "browser.sh";
    std::ofstream script(path);
    script << "#!/bin/sh\nfor a; do last=$a; done; printf '%s' \"$last\" > '"
           << (dir / "opened.part") << "'\nmv '" << (dir / "opened.part") << "' '"
           << (dir / "opened") << "'\n";
    script.close();
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

std::string Opened(const zt::TempDir& dir) {
    if (!zt::WaitFor([&] { return std::filesystem::exists(dir / "opened"); }))
        return "(nothing opened)";
    std::ifstream in(dir / "opened");
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(dir / "opened");
    return s;
}

}  // namespace

TEST_F(TrayCommands, DoubleClickOnAHeadlineOpensItsLinkElseTheCurrentPage) {
    Start();
    dialog->SetBrowserText(BrowserStandIn(dir));
    dialog->SetCurrentURLCaption(" http://127.0.0.1:9/page");
    text::TTickerPage page = text::ConvertReceivedPage(
        "<rss><channel><title>News</title><item><title>Caf\u00E9 opens</title>"
        "<link>http://127.0.0.1:9/caf\u00E9</link></item><item><title>Second</title>"
        "<link>http://127.0.0.1:9/2</link></item></channel></rss>",
        "application/rss+xml");
    form->Scroller.TickerText = page.text;
    program->Retrieval().Headlines = page.headlines;
    form->Scroller.ScrollPos = 1;
    form->Scroller.timerCaptionTimer();
    const std::string caption = form->lblTicker.Caption();
    const platform::TTextMetrics metrics(form->lblTicker.TextFont());
    auto xOf = [&](const std::string& word) {
        return metrics.Width(caption.substr(0, caption.find(word))) + 2;
    };
    form->StripDoubleClick(xOf("Second"));
    EXPECT_EQ(Opened(dir), "http://127.0.0.1:9/2");
    form->StripDoubleClick(xOf("opens"));
    EXPECT_EQ(Opened(dir), "http://127.0.0.1:9/caf%C3%A9") << "sent as a plain address";
    // The indent, and a caption the scroller did not make, open the page.
    form->StripDoubleClick(1);
    EXPECT_EQ(Opened(dir), "http://127.0.0.1:9/page");
    form->SetTickerCaption(" Zelvo");
    form->StripDoubleClick(xOf("Second"));
    EXPECT_EQ(Opened(dir), "http://127.0.0.1:9/page");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(TrayCommands, HeadlinesShowOneAmpersandAndTheirLinksStayInPlace) {
    Start();
    dialog->SetBrowserText(BrowserStandIn(dir));
    text::TPageRead read = text::ReadReceivedPage(
        "<title>Salt &amp; Pepper</title>"
        "<a href=/1>Fish &amp; chips &amp; peas today</a><a href=/2>Second story of the day</a>"
        "<a href=/3>Third story of the day</a>",
        "text/html", "http://127.0.0.1:9/news/", text::TPageReading::Headlines);
    form->Scroller.TickerText = read.line.text;
    form->Scroller.PlainText = !read.classic;
    program->Retrieval().Headlines = read.line.headlines;
    form->Scroller.ScrollPos = 1;
    form->Scroller.timerCaptionTimer();
    const std::string caption = form->lblTicker.Caption();
    EXPECT_NE(caption.find("Salt & Pepper"), std::string::npos);
    EXPECT_FALSE(form->lblTicker.Mnemonics());
    EXPECT_EQ(platform::ApplicationTitle(), caption) << "the title mirror shows one ampersand too";
    const platform::TTextMetrics metrics(form->lblTicker.TextFont());
    auto xOf = [&](const std::string& word) {
        return metrics.Width(caption.substr(0, caption.find(word))) + 2;
    };
    form->StripDoubleClick(xOf("peas"));
    EXPECT_EQ(Opened(dir), "http://127.0.0.1:9/1");
    form->StripDoubleClick(xOf("Second"));
    EXPECT_EQ(Opened(dir), "http://127.0.0.1:9/2");
}
