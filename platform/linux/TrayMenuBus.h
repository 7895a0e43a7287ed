#pragma once
// A pop-up menu published on the message bus in the layout that status-item
// hosts read (com.canonical.dbusmenu), so that the host's own menu shows our
// items and choosing one runs its handler here. Only the bus item uses it.
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <memory>

#include "platform/PopupMenu.h"

namespace zelvo::platform {

class BusMenuAdaptor;

class BusMenu : public QObject {
public:
    static const QString kPath;

    // Registers the object at kPath on the connection.
    explicit BusMenu(QDBusConnection connection);
    ~BusMenu() override;

    void SetMenu(std::weak_ptr<const PopupMenu> menu);
    bool HasMenu() const { return !menu_.expired(); }

    // The menu's state as the bus sees it: the revision grows whenever a
    // caption, a check mark or an enabled state has changed since the host
    // last asked.
    unsigned Revision();
    std::shared_ptr<const PopupMenu> Menu() const { return menu_.lock(); }
    // Runs item id's handler after the host's call has been answered.
    bool Click(int id);

private:
    QString Snapshot() const;

    QDBusConnection connection_;
    std::weak_ptr<const PopupMenu> menu_;
    BusMenuAdaptor* adaptor_ = nullptr;
    QString snapshot_;
    unsigned revision_ = 1;
};

// The label as the bus shows it: "_" marks the access key, "__" is a plain
// underscore.
QString BusMenuLabel(const std::string& caption);

}  // namespace zelvo::platform
