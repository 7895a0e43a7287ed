#pragma once
// The animation settings of a tray icon and the clock that steps through its
// frames while the icon is active and animated.
#include <string>
#include <vector>

#include "platform/Icon.h"
#include "tray/VryTimerManager.h"

namespace zelvo::tray {

class TVryTrayIcon95;

enum TVryTrayIconAnimationOptions {
    aoIconsInExe = 0,     // entries name icon resources of the executable
    aoIconsAreFiles = 1,  // entries are icon file names
};

class TVryTrayIconAnimation : public TVryObject {
public:
    TVryTrayIconAnimation(TVryTrayIcon95& trayIcon, TVryTimerManager& timers);

    int Interval() const { return interval_; }
    void SetInterval(int value);
    const std::vector<std::string>& Icons() const { return icons_; }
    void SetIcons(const std::vector<std::string>& value);
    TVryTrayIconAnimationOptions Options() const { return options_; }
    void SetOptions(TVryTrayIconAnimationOptions value) { options_ = value; }

    // The index of the next frame to show.
    int FrameCounter() const { return frameCounter_; }
    const TVryTimerItem& FrameItem() const { return frameItem_; }

    void StartAnimation();
    void StopAnimation();
    void AnimationStep();
    // Puts frame n into displayed; a frame that cannot be loaded leaves it as
    // it was.
    void LoadAnimationFrame(int n, platform::HICON& displayed) const;

private:
    bool Running() const;

    TVryTrayIcon95& trayIcon_;
    int interval_ = 1000;
    std::vector<std::string> icons_;
    TVryTrayIconAnimationOptions options_ = aoIconsAreFiles;
    int frameCounter_ = 0;
    TVryTimerItem& frameItem_;
};

}  // namespace zelvo::tray
