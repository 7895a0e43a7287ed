#include "app/StartUp.h"

#include "config/LiveSettings.h"
#include "platform/Dialogs.h"

namespace zelvo::app {
namespace settings = config::settings;

int TaskbarHeightFrom(const std::optional<platform::TRect>& taskbar, int screenHeight,
                      bool workAreaPublished) {
    if (!taskbar && workAreaPublished)
        return 0;
    int height = kDefaultTaskbarHeight;
    if (taskbar)
        height = taskbar->Bottom - taskbar->Top - 2;
    if (height > screenHeight / 2 || height < 0)
        height = kDefaultTaskbarHeight;
    return height;
}

std::string InstanceSuffixFor(int instanceNumber) {
    switch (instanceNumber) {
        case 1:
            return "";
        case 2:
            return "2";
        default:
            return "3";
    }
}

TInstanceClaim ClaimInstance(config::TRegIniFile& store, bool runningCopyFound) {
    TInstanceClaim claim;
    auto count = [&store, &claim](int number) {
        try {
            store.Write(settings::kBaseSection, settings::RunningInstances, number);
        } catch (const config::ERegistryException& e) {
            claim.WriteFailure = e.what();
        }
    };
    if (!runningCopyFound) {
        claim.InstanceNumber = 1;
    } else {
        claim.InstanceNumber = store.Read(settings::kBaseSection, settings::RunningInstances) + 1;
    }
    count(claim.InstanceNumber);
    claim.InstanceSuffix = InstanceSuffixFor(claim.InstanceNumber);
    if (claim.InstanceNumber > kMaxInstances) {
        platform::ShowWarning("This copy exceeds maximum permitted, exiting now.    ");
        count(claim.InstanceNumber - 1);
        claim.Exceeds = true;
    }
    return claim;
}

std::string UnwritableStoreText(const std::string& path) {
    return std::string(config::kProductName) + " cannot write its settings to " + path +
           ". The saved settings are in use; changes made now will not be kept.    ";
}

TStripPlacement ReadStripPlacement(const config::TRegIniFile& store, const std::string& section,
                                   const TStripMetrics& m) {
    TStripPlacement p;
    const int h = m.StripHeight;
    const int H = m.ScreenHeight;
    const int bottom = H - (m.TaskbarHeight + h);

    int top = store.Read(section, settings::TickerTop, bottom);
    p.StripMaxHeight = h;
    if (top > H - 8 || top < -8)
        top = bottom;
    if (m.RunningCopyFound && m.InstanceNumber > 0 && top == bottom)
        top = (m.InstanceNumber - 2) * h;
    p.Left = store.Read(section, settings::TickerLeft);
    if (p.Left < -10)
        p.Left = 0;
    p.Width = store.Read(section, settings::TickerWidth, m.ScreenWidth);
    p.Look.Backcolor = store.Read(section, settings::Backcolor);
    p.Look.ForeColor = store.Read(section, settings::ForeColor);
    p.Look.FontName = store.Read(section, settings::FontName);
    p.Look.FontSize = store.Read(section, settings::FontSize);
    p.Look.FontStyle = store.Read(section, settings::FontStyle);
    p.HideTicker = store.Read(section, settings::HideTicker);
    p.AlwaysOnTop = store.Read(section, settings::AlwaysOnTop);
    // A strip that is not topmost never covers the taskbar.
    if (!p.AlwaysOnTop && top > bottom)
        top = bottom;
    p.SavedTop = top;
    p.AutoRetrievalOn = store.Read(section, settings::AutoRetrievalOn);

    if (p.HideTicker) {
        p.SavedTop = top;
        p.Top = H + 100;
    } else {
        p.Top = p.SavedTop;
    }
    return p;
}

}  // namespace zelvo::app
