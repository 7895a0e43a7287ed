#include "platform/PopupMenu.h"

#include <QAction>
#include <QApplication>
#include <QFont>
#include <QMenu>
#include <QPointer>

#include "platform/Cp1252.h"
#include "platform/MessageLoop.h"
#include "platform/linux/QtText.h"

namespace zelvo::platform {
namespace {

const MenuItem* TrackWithToolkit(const PopupMenu& menu, TPoint at) {
    if (QApplication::instance() == nullptr)
        return nullptr;
    QMenu popup;
    std::vector<std::pair<QAction*, const MenuItem*>> actions;
    for (size_t i = 0; i < menu.Count(); ++i) {
        const MenuItem& item = menu.Item(i);
        if (item.IsSeparator()) {
            popup.addSeparator();
            continue;
        }
        QAction* action = popup.addAction(ToQString(item.Caption()));
        action->setEnabled(item.Enabled());
        if (item.Checked()) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        if (item.Default()) {
            QFont bold = action->font();
            bold.setBold(true);
            action->setFont(bold);
        }
        actions.emplace_back(action, &item);
    }
    // The menu runs its own loop; posted messages and timers keep flowing.
    QAction* chosen = popup.exec(QPoint(at.x, at.y));
    for (auto& [action, item] : actions) {
        if (action == chosen)
            return item;
    }
    return nullptr;
}

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
    const MenuItem* chosen = tracker ? tracker(*this, at) : TrackWithToolkit(*this, at);
    if (chosen != nullptr && chosen->Enabled() && !chosen->IsSeparator())
        chosen->Click();
}

PopupMenu::Tracker PopupMenu::SetTracker(Tracker tracker) {
    Tracker previous = std::move(CurrentTracker());
    CurrentTracker() = std::move(tracker);
    return previous;
}

}  // namespace zelvo::platform
