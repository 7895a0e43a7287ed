#include "platform/linux/TrayMenuBus.h"

#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include "platform/MessageLoop.h"
#include "platform/linux/QtText.h"

struct BusMenuLayout {
    int id = 0;
    QVariantMap properties;
    QList<BusMenuLayout> children;
};

struct BusMenuProperties {
    int id = 0;
    QVariantMap properties;
};
using BusMenuPropertiesList = QList<BusMenuProperties>;

struct BusMenuRemoved {
    int id = 0;
    QStringList names;
};
using BusMenuRemovedList = QList<BusMenuRemoved>;

struct BusMenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using BusMenuEventList = QList<BusMenuEvent>;

Q_DECLARE_METATYPE(BusMenuLayout)
Q_DECLARE_METATYPE(BusMenuProperties)
Q_DECLARE_METATYPE(BusMenuPropertiesList)
Q_DECLARE_METATYPE(BusMenuRemoved)
Q_DECLARE_METATYPE(BusMenuRemovedList)
Q_DECLARE_METATYPE(BusMenuEvent)
Q_DECLARE_METATYPE(BusMenuEventList)

// (ia{sv}av): the children travel as variants holding the same structure.
QDBusArgument& operator<<(QDBusArgument& arg, const BusMenuLayout& item) {
    arg.beginStructure();
    arg << item.id << item.properties;
    arg.beginArray(QMetaType::fromType<QDBusVariant>());
    for (const BusMenuLayout& child : item.children)
        arg << QDBusVariant(QVariant::fromValue(child));
    arg.endArray();
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, BusMenuLayout& item) {
    arg.beginStructure();
    arg >> item.id >> item.properties;
    item.children.clear();
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusVariant child;
        arg >> child;
        BusMenuLayout layout;
        child.variant().value<QDBusArgument>() >> layout;
        item.children.append(layout);
    }
    arg.endArray();
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const BusMenuProperties& item) {
    arg.beginStructure();
    arg << item.id << item.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, BusMenuProperties& item) {
    arg.beginStructure();
    arg >> item.id >> item.properties;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const BusMenuRemoved& item) {
    arg.beginStructure();
    arg << item.id << item.names;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, BusMenuRemoved& item) {
    arg.beginStructure();
    arg >> item.id >> item.names;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const BusMenuEvent& event) {
    arg.beginStructure();
    arg << event.id << event.eventId << event.data << event.timestamp;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, BusMenuEvent& event) {
    arg.beginStructure();
    arg >> event.id >> event.eventId >> event.data >> event.timestamp;
    arg.endStructure();
    return arg;
}

namespace zelvo::platform {
namespace {

void RegisterTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<BusMenuLayout>();
        qDBusRegisterMetaType<BusMenuProperties>();
        qDBusRegisterMetaType<BusMenuPropertiesList>();
        qDBusRegisterMetaType<BusMenuRemoved>();
        qDBusRegisterMetaType<BusMenuRemovedList>();
        qDBusRegisterMetaType<BusMenuEvent>();
        qDBusRegisterMetaType<BusMenuEventList>();
        return true;
    }();
    (void)registered;
}

// Item n of the menu has the id n + 1; the menu itself is 0.
QVariantMap ItemProperties(const MenuItem& item) {
    QVariantMap p;
    if (item.IsSeparator()) {
        p.insert(QStringLiteral("type"), QStringLiteral("separator"));
        return p;
    }
    p.insert(QStringLiteral("label"), BusMenuLabel(item.Caption()));
    p.insert(QStringLiteral("enabled"), item.Enabled());
    // As the toolkit's menu shows them: a check mark only where one is set.
    if (item.Checked()) {
        p.insert(QStringLiteral("toggle-type"), QStringLiteral("checkmark"));
        p.insert(QStringLiteral("toggle-state"), 1);
    }
    return p;
}

QVariantMap Filtered(QVariantMap properties, const QStringList& names) {
    if (names.isEmpty())
        return properties;
    for (auto it = properties.begin(); it != properties.end();) {
        if (names.contains(it.key()))
            ++it;
        else
            it = properties.erase(it);
    }
    return properties;
}

}  // namespace

class BusMenuAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ Version)
    Q_PROPERTY(QString TextDirection READ TextDirection)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(QStringList IconThemePath READ IconThemePath)

public:
    explicit BusMenuAdaptor(BusMenu* menu) : QDBusAbstractAdaptor(menu), menu_(menu) {
        setAutoRelaySignals(false);
    }

    uint Version() const { return 3; }
    QString TextDirection() const { return QStringLiteral("ltr"); }
    QString Status() const { return QStringLiteral("normal"); }
    QStringList IconThemePath() const { return {}; }

    void Changed(unsigned revision) { emit LayoutUpdated(revision, 0); }

public Q_SLOTS:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   BusMenuLayout& layout) {
        unsigned revision = menu_->Revision();
        served_ = revision;
        layout = {};
        layout.id = parentId;
        auto menu = menu_->Menu();
        if (parentId != 0) {
            if (menu && parentId > 0 && static_cast<size_t>(parentId) <= menu->Count())
                layout.properties = Filtered(
                    ItemProperties(menu->Item(static_cast<size_t>(parentId - 1))), propertyNames);
            return revision;
        }
        layout.properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
        if (!menu || recursionDepth == 0)
            return revision;
        for (size_t i = 0; i < menu->Count(); ++i) {
            BusMenuLayout child;
            child.id = static_cast<int>(i + 1);
            child.properties = Filtered(ItemProperties(menu->Item(i)), propertyNames);
            layout.children.append(child);
        }
        return revision;
    }

    BusMenuPropertiesList GetGroupProperties(const QList<int>& ids,
                                             const QStringList& propertyNames) {
        BusMenuPropertiesList result;
        auto menu = menu_->Menu();
        for (int id : ids) {
            if (id == 0) {
                result.append(
                    {0, Filtered({{QStringLiteral("children-display"), QStringLiteral("submenu")}},
                                 propertyNames)});
            } else if (menu && id > 0 && static_cast<size_t>(id) <= menu->Count()) {
                result.append({id, Filtered(ItemProperties(menu->Item(static_cast<size_t>(id - 1))),
                                            propertyNames)});
            }
        }
        return result;
    }

    QDBusVariant GetProperty(int id, const QString& name) {
        auto menu = menu_->Menu();
        if (menu && id > 0 && static_cast<size_t>(id) <= menu->Count())
            return QDBusVariant(
                ItemProperties(menu->Item(static_cast<size_t>(id - 1))).value(name));
        return QDBusVariant(QVariant(QString()));
    }

    void Event(int id, const QString& eventId, const QDBusVariant&, uint) {
        if (eventId == QLatin1String("clicked"))
            menu_->Click(id);
    }

    QList<int> EventGroup(const BusMenuEventList& events) {
        QList<int> errors;
        for (const BusMenuEvent& e : events) {
            if (e.eventId == QLatin1String("clicked") && !menu_->Click(e.id))
                errors.append(e.id);
        }
        return errors;
    }

    // The host asks before it opens the menu: a state changed since the
    // host last fetched the layout is announced, and it fetches it again.
    bool AboutToShow(int) { return menu_->Revision() != served_; }

    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
        idErrors.clear();
        QList<int> updates;
        if (AboutToShow(0))
            updates = ids;
        return updates;
    }

Q_SIGNALS:
    void ItemsPropertiesUpdated(const BusMenuPropertiesList& updatedProps,
                                const BusMenuRemovedList& removedProps);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    BusMenu* menu_;
    unsigned served_ = 0;
};

const QString BusMenu::kPath = QStringLiteral("/MenuBar");

BusMenu::BusMenu(QDBusConnection connection) : connection_(std::move(connection)) {
    RegisterTypes();
    adaptor_ = new BusMenuAdaptor(this);
    connection_.registerObject(kPath, this);
}

BusMenu::~BusMenu() {
    connection_.unregisterObject(kPath);
}

void BusMenu::SetMenu(std::weak_ptr<const PopupMenu> menu) {
    menu_ = std::move(menu);
    Revision();
}

QString BusMenu::Snapshot() const {
    QString text;
    if (auto menu = menu_.lock()) {
        for (size_t i = 0; i < menu->Count(); ++i) {
            const MenuItem& item = menu->Item(i);
            text += ToQString(item.Caption());
            text += QChar(item.IsSeparator() ? u's' : u'i');
            text += QChar(item.Enabled() ? u'e' : u'd');
            text += QChar(item.Checked() ? u'c' : u'u');
            text += QChar(u'\n');
        }
    }
    return text;
}

unsigned BusMenu::Revision() {
    QString now = Snapshot();
    if (now != snapshot_) {
        snapshot_ = now;
        ++revision_;
        adaptor_->Changed(revision_);
    }
    return revision_;
}

bool BusMenu::Click(int id) {
    auto menu = menu_.lock();
    if (!menu || id <= 0 || static_cast<size_t>(id) > menu->Count())
        return false;
    const MenuItem& item = menu->Item(static_cast<size_t>(id - 1));
    if (item.IsSeparator() || !item.Enabled())
        return true;
    // The command may open a modal dialog: answer the host first.
    std::weak_ptr<const PopupMenu> weak = menu_;
    auto index = static_cast<size_t>(id - 1);
    QTimer::singleShot(0, this, [this, weak, index] {
        if (auto m = weak.lock(); m && index < m->Count())
            Guarded([&] { m->Item(index).Click(); });
        Revision();
    });
    return true;
}

QString BusMenuLabel(const std::string& caption) {
    std::string label;
    for (size_t i = 0; i < caption.size(); ++i) {
        char c = caption[i];
        if (c == '_') {
            label += "__";
        } else if (c == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                label += '&';
                ++i;
            } else {
                label += '_';
            }
        } else {
            label += c;
        }
    }
    return ToQString(label);
}

}  // namespace zelvo::platform

#include "TrayMenuBus.moc"
