#include "platform/PopupMenu.h"

#include "platform/common/MenuTracking.h"

namespace zelvo::platform {
namespace {

PopupMenu::Tracker& CurrentTracker() {
    static PopupMenu::Tracker tracker;
    return tracker;
}

}  // namespace

void MenuItem::Click() const {
    if (onClick_) {
        ClickHandler handler = onClick_;
        handler();
    }
}

MenuItem& PopupMenu::AddItem(std::string caption, MenuItem::ClickHandler onClick) {
    items_.push_back(
        std::unique_ptr<MenuItem>(new MenuItem(std::move(caption), std::move(onClick), false)));
    return *items_.back();
}

MenuItem& PopupMenu::AddSeparator() {
    items_.push_back(std::unique_ptr<MenuItem>(new MenuItem("-", {}, true)));
    return *items_.back();
}

void PopupMenu::Popup(TPoint at) {
    if (items_.empty())
        return;
    Tracker tracker = CurrentTracker();
    const MenuItem* chosen = tracker ? tracker(*this, at) : TrackWithDesktop(*this, at);
    if (chosen != nullptr && chosen->Enabled() && !chosen->IsSeparator())
        chosen->Click();
}

PopupMenu::Tracker PopupMenu::SetTracker(Tracker tracker) {
    Tracker previous = std::move(CurrentTracker());
    CurrentTracker() = std::move(tracker);
    return previous;
}

}  // namespace zelvo::platform
