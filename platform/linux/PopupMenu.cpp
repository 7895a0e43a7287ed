#include "platform/PopupMenu.h"

#include <QAction>
#include <QApplication>
#include <QFont>
#include <QMenu>
#include <QPointer>

#include "platform/Cp1252.h"
#include "platform/QtText.h"
#include "platform/common/MenuTracking.h"

namespace zelvo::platform {

const MenuItem* TrackWithDesktop(const PopupMenu& menu, TPoint at) {
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

}  // namespace zelvo::platform
