#pragma once
// The configuration dialog on a private settings folder and program folder,
// with the strip and the Site Check actions as plain fields.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "config/CnfgZv3.h"
#include "config/LiveSettings.h"
#include "config/RegIniFile.h"
#include "platform/linux/ControlImpl.h"
#include "support/DialogRecorder.h"
#include "support/Files.h"
#include "support/TempDir.h"

namespace zelvo::config {

using Lines = std::vector<std::string>;

// A control's widget, for what only the widget can tell: sizes in a font,
// focus order, painting, and keys played as the user's.
template <typename W = QWidget>
W* Widget(const platform::TControl& control) {
    return platform::toolkit::As<W>(control);
}
template <typename W = QWidget, typename C>
W* Widget(const std::unique_ptr<C>& control) {
    return platform::toolkit::As<W>(*control);
}
// The field of a number field, as the user types into it.
template <typename C>
QLineEdit* FieldOf(const std::unique_ptr<C>& control) {
    return static_cast<QLineEdit*>(platform::toolkit::FocusTarget(*control));
}

class FakeHost : public TConfigHost {
public:
    TTickerFont TickerFont() const override { return font; }
    void SetTickerFont(const TTickerFont& f) override { font = f; }
    TColor TickerBackColor() const override { return back; }
    void SetTickerBackColor(TColor c) override { back = c; }
    void SetStripColor(TColor c) override { strip = c; }
    unsigned ScrollInterval() const override { return interval; }
    void SetScrollInterval(unsigned ms) override { interval = ms; }
    void SetRetrievalTimerEnabled(bool on) override { retrievalTimer = on; }
    void mnuConnectClick() override { ++connects; }
    void ShowHelpTopic(int context) override { help.push_back(context); }

    TTickerFont font;
    TColor back = clBlack;
    TColor strip = clBlack;
    unsigned interval = 0;
    bool retrievalTimer = false;
    int connects = 0;
    std::vector<int> help;
};

using testing::Slurp;
using testing::WriteFile;

class ConfigDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", home.Path().c_str(), 1);
        Live() = TLiveSettings{};
        // The strip the tests start from is borderless, so that choosing a
        // border is the change they watch for.
        Live().BorderOn = false;
        Live().InstanceNumber = 1;
        host.interval = 250;
    }

    // A URL file is there unless a test says otherwise, so that only the
    // tests about the missing file see its warning.
    std::unique_ptr<TfrmConfig> Make() {
        auto dlg = std::make_unique<TfrmConfig>(host, TConfigPlaces{exe.Path(), ""});
        dlg->OnRetrieveTestURL = [this] { ++retrieves; };
        dlg->OnCancelRetrieval = [this] { ++cancels; };
        return dlg;
    }
    std::unique_ptr<TfrmConfig> MakeWithUrls(const std::string& text) {
        WriteFile(UrlPath(), text);
        return Make();
    }
    std::string UrlPath() const { return exe / "WebURLs.txt"; }
    TRegIniFile Store() const { return TRegIniFile(); }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& b : recorder.boxes)
            texts.push_back(b.text);
        return texts;
    }

    testing::TempDir home;
    testing::TempDir exe;
    testing::DialogRecorder recorder;
    FakeHost host;
    int retrieves = 0;
    int cancels = 0;
};

}  // namespace zelvo::config
