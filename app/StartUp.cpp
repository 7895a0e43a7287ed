#include "app/StartUp.h"

#include "platform/Dialogs.h"

namespace zelvo::app {

int TaskbarHeightFrom(const std::optional<platform::TRect>& taskbar, int screenHeight) {
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
    if (!runningCopyFound) {
        claim.InstanceNumber = 1;
    } else {
        claim.InstanceNumber = store.ReadInteger("Zelvo", "RunningInstances", 1) + 1;
    }
    store.WriteInteger("Zelvo", "RunningInstances", claim.InstanceNumber);
    claim.InstanceSuffix = InstanceSuffixFor(claim.InstanceNumber);
    if (claim.InstanceNumber > kMaxInstances) {
        platform::ShowWarning("This copy exceeds maximum permitted, exiting now.    ");
        store.WriteInteger("Zelvo", "RunningInstances", claim.InstanceNumber - 1);
        claim.Exceeds = true;
    }
    return claim;
}

TStripPlacement ReadStripPlacement(const config::TRegIniFile& store, const std::string& section,
                                   const TStripMetrics& m) {
    TStripPlacement p;
    const int h = m.StripHeight;
    const int H = m.ScreenHeight;
    const int bottom = H - (m.TaskbarHeight + h);

    int top = store.ReadInteger(section, "TickerTop", bottom);
    p.StripMaxHeight = h;
    if (top > H - 8 || top < -8)
        top = bottom;
    if (m.RunningCopyFound && m.InstanceNumber > 0 && top == bottom)
        top = (m.InstanceNumber - 2) * h;
    p.Left = store.ReadInteger(section, "TickerLeft", 0);
    if (p.Left < -10)
        p.Left = 0;
    p.Width = store.ReadInteger(section, "TickerWidth", m.ScreenWidth);
    p.Look.Backcolor = store.ReadInteger(section, "Backcolor", 0);
    p.Look.ForeColor = store.ReadInteger(section, "ForeColor", 16777215);
    p.Look.FontName = store.ReadString(section, "FontName", "MS Sans Serif");
    p.Look.FontSize = store.ReadInteger(section, "FontSize", 8);
    p.Look.FontStyle = store.ReadInteger(section, "FontStyle", 2);
    p.HideTicker = store.ReadBool(section, "HideTicker", false);
    p.AlwaysOnTop = store.ReadBool(section, "AlwaysOnTop", true);
    // A strip that is not topmost never covers the taskbar.
    if (!p.AlwaysOnTop && top > bottom)
        top = bottom;
    p.SavedTop = top;
    p.AutoRetrievalOn = store.ReadBool(section, "AutoRetrievalOn", true);

    if (p.HideTicker) {
        p.SavedTop = top;
        p.Top = H + 100;
    } else {
        p.Top = p.SavedTop;
    }
    return p;
}

}  // namespace zelvo::app
