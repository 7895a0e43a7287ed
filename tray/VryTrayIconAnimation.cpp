#include "tray/VryTrayIconAnimation.h"

#include <algorithm>
#include <cctype>

#include "tray/VryTray95.h"

namespace zelvo::tray {

TVryTrayIconAnimation::TVryTrayIconAnimation(TVryTrayIcon95& trayIcon, TVryTimerManager& timers)
    : trayIcon_(trayIcon),
      frameItem_(timers.AddItem(false, 1000, [this](TVryTimerItem*) { AnimationStep(); })) {}

bool TVryTrayIconAnimation::Running() const {
    return trayIcon_.State() == tsAnimated && trayIcon_.Active();
}

void TVryTrayIconAnimation::SetInterval(int value) {
    if (value == interval_)
        return;
    interval_ = value;
    if (Running())
        StartAnimation();
}

void TVryTrayIconAnimation::SetIcons(const std::vector<std::string>& value) {
    icons_ = value;
    if (Running())
        frameCounter_ = 0;
}

void TVryTrayIconAnimation::StartAnimation() {
    StopAnimation();
    frameCounter_ = 0;
    AnimationStep();
    if (trayIcon_.State() == tsAnimated) {
        frameItem_.SetInterval(interval_);
        frameItem_.SetEnabled(true);
    }
}

void TVryTrayIconAnimation::StopAnimation() {
    frameItem_.SetEnabled(false);
}

void TVryTrayIconAnimation::AnimationStep() {
    try {
        trayIcon_.TriggerAnimation();
        trayIcon_.RefreshIcon();
    } catch (const platform::FileOpenError&) {
        // A frame file that cannot be opened only skips that frame.
    }
    if (frameCounter_ < static_cast<int>(icons_.size()) - 1)
        ++frameCounter_;
    else
        frameCounter_ = 0;
}

void TVryTrayIconAnimation::LoadAnimationFrame(int n, platform::HICON& displayed) const {
    if (n < 0 || n >= static_cast<int>(icons_.size()))
        return;
    const std::string& entry = icons_[static_cast<size_t>(n)];
    if (options_ == aoIconsAreFiles) {
        try {
            displayed = platform::LoadIconFromFile(entry);
        } catch (const platform::FileOpenError&) {
            // The previous picture stays.
        }
        return;
    }
    std::string name = entry;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    displayed = platform::LoadIconResource(name);
}

}  // namespace zelvo::tray
