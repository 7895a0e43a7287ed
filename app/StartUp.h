#pragma once
// The start-up rules of the strip: which copy this is, how tall the taskbar
// counts, and where the strip goes and how it looks.
#include <optional>
#include <string>

#include "config/RegIniFile.h"
#include "platform/Types.h"

namespace zelvo::app {

constexpr int kDefaultTaskbarHeight = 28;
constexpr int kMaxInstances = 3;

// The taskbar allowance from the taskbar's rectangle (none: no taskbar window).
// A desktop that publishes its work area and has no panel along the bottom
// leaves the bottom edge free: no allowance.
int TaskbarHeightFrom(const std::optional<platform::TRect>& taskbar, int screenHeight,
                      bool workAreaPublished = false);

// "" for copy 1, "2" for copy 2, "3" for copy 3 and for any other number.
std::string InstanceSuffixFor(int instanceNumber);

struct TInstanceClaim {
    int InstanceNumber = 1;
    std::string InstanceSuffix;
    bool Exceeds = false;  // a fourth copy: it must end before its message loop
    // Why the count could not be written; the copy runs all the same.
    std::string WriteFailure;
};

// Counts this copy among the running ones in the base section. A copy that
// exceeds the limit is told so (the warning box) and takes itself off the count.
// A store that cannot be written does not stop the count from being read.
TInstanceClaim ClaimInstance(config::TRegIniFile& store, bool runningCopyFound);

struct TStripLook {
    int Backcolor = config::settings::Backcolor.Default;
    int ForeColor = config::settings::ForeColor.Default;
    std::string FontName = config::settings::FontName.Default;
    int FontSize = config::settings::FontSize.Default;
    int FontStyle = config::settings::FontStyle.Default;
    bool Bold() const { return FontStyle != 1; }
};

struct TStripMetrics {
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    int StripHeight = 0;  // h: the strip's current height
    int TaskbarHeight = kDefaultTaskbarHeight;
    bool RunningCopyFound = false;
    int InstanceNumber = 1;
};

struct TStripPlacement {
    int Top = 0;  // where the strip is put (below the screen when hidden)
    int Left = 0;
    int Width = 0;
    int SavedTop = 0;  // the strip's top while visible
    int StripMaxHeight = 0;
    TStripLook Look;
    bool HideTicker = false;
    bool AlwaysOnTop = true;
    bool AutoRetrievalOn = true;
};

// Reads the placement and look of the strip from the copy's section and
// applies the corrections and the hidden-strip rule.
//
// The warning for a store that cannot be written: what was read stays in
// force, what changes in this run is not kept.
std::string UnwritableStoreText(const std::string& path);

TStripPlacement ReadStripPlacement(const config::TRegIniFile& store, const std::string& section,
                                   const TStripMetrics& m);

}  // namespace zelvo::app
