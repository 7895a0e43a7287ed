#include "platform/linux/TrayNotifySni.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QImage>
#include <QtEndian>
#include <cstring>

#include "platform/Cp1252.h"
#include "platform/linux/QtText.h"
#include "platform/linux/IconData.h"
#include "platform/linux/TrayMenuBus.h"

struct SniPixmap {
    int width = 0;
    int height = 0;
    QByteArray bytes;  // ARGB32, most significant byte first
};
using SniPixmapList = QList<SniPixmap>;

struct SniToolTip {
    QString iconName;
    SniPixmapList image;
    QString title;
    QString description;
};

Q_DECLARE_METATYPE(SniPixmap)
Q_DECLARE_METATYPE(SniPixmapList)
Q_DECLARE_METATYPE(SniToolTip)

QDBusArgument& operator<<(QDBusArgument& arg, const SniPixmap& p) {
    arg.beginStructure();
    arg << p.width << p.height << p.bytes;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniPixmap& p) {
    arg.beginStructure();
    arg >> p.width >> p.height >> p.bytes;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const SniToolTip& t) {
    arg.beginStructure();
    arg << t.iconName << t.image << t.title << t.description;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniToolTip& t) {
    arg.beginStructure();
    arg >> t.iconName >> t.image >> t.title >> t.description;
    arg.endStructure();
    return arg;
}

namespace zelvo::platform {
namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
// Answers from the bus are local and quick; this only bounds a hung peer.
constexpr int kCallTimeoutMs = 2000;

void RegisterTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<SniPixmap>();
        qDBusRegisterMetaType<SniPixmapList>();
        qDBusRegisterMetaType<SniToolTip>();
        return true;
    }();
    (void)registered;
}

SniPixmap Pixmap(const QImage& picture) {
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    SniPixmap p;
    p.width = image.width();
    p.height = image.height();
    p.bytes.resize(static_cast<qsizetype>(p.width) * p.height * 4);
    auto* out = reinterpret_cast<uchar*>(p.bytes.data());
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x, out += 4)
            qToBigEndian<quint32>(line[x], out);
    }
    return p;
}

// Every drawing of the icon: the host picks the one that fits its size.
SniPixmapList Pixmaps(const HICON& icon) {
    SniPixmapList list;
    if (!icon)
        return list;
    list.append(Pixmap(icon->Image()));
    for (const QImage& size : icon->Sizes())
        list.append(Pixmap(size));
    return list;
}

}  // namespace

class SniItem;

// The item's interface on the bus.
class SniAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ Category)
    Q_PROPERTY(QString Id READ Id)
    Q_PROPERTY(QString Title READ Title)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(int WindowId READ WindowId)
    Q_PROPERTY(QString IconName READ IconName)
    Q_PROPERTY(SniPixmapList IconPixmap READ IconPixmap)
    Q_PROPERTY(SniToolTip ToolTip READ ToolTip)
    Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ Menu)

public:
    explicit SniAdaptor(SniItem* item);

    QString Category() const { return QStringLiteral("ApplicationStatus"); }
    QString Id() const { return QCoreApplication::applicationName(); }
    QString Title() const;
    QString Status() const { return QStringLiteral("Active"); }
    int WindowId() const { return 0; }
    QString IconName() const { return QString(); }
    SniPixmapList IconPixmap() const;
    SniToolTip ToolTip() const;
    bool ItemIsMenu() const { return false; }
    QDBusObjectPath Menu() const;

public Q_SLOTS:
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int, const QString&) {}

Q_SIGNALS:
    void NewTitle();
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    SniItem* item_;
};

class SniItem : public QObject, public TrayIconHost {
public:
    SniItem(QDBusConnection connection, QString service, const NotifyIconData& data)
        : connection_(std::move(connection)), service_(std::move(service)) {
        Take(data);
        adaptor_ = new SniAdaptor(this);
        menu_ = std::make_unique<BusMenu>(connection_);
        // A restarted host forgets its items: tell the new one about us.
        watcher_ = new QDBusServiceWatcher(kWatcherService, connection_,
                                           QDBusServiceWatcher::WatchForRegistration, this);
        QObject::connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this,
                         [this] { Announce(); });
    }

    ~SniItem() override {
        menu_.reset();
        connection_.unregisterObject(kItemPath);
        connection_.unregisterService(service_);
        QDBusConnection::disconnectFromBus(connection_.name());
    }

    bool Start() {
        if (!connection_.registerService(service_) || !connection_.registerObject(kItemPath, this))
            return false;
        return Announce();
    }

    bool Announce() {
        QDBusMessage call =
            QDBusMessage::createMethodCall(kWatcherService, kWatcherPath, kWatcherService,
                                           QStringLiteral("RegisterStatusNotifierItem"));
        call << service_;
        return connection_.call(call, QDBus::Block, kCallTimeoutMs).type() ==
               QDBusMessage::ReplyMessage;
    }

    void Update(const NotifyIconData& data) override {
        Take(data);
        if ((data.uFlags & NIF_ICON) != 0)
            emit adaptor_->NewIcon();
        if ((data.uFlags & NIF_TIP) != 0) {
            emit adaptor_->NewTitle();
            emit adaptor_->NewToolTip();
        }
    }

    void Take(const NotifyIconData& data) { MergeNotifyIconData(record_, data); }

    void SetMenu(std::weak_ptr<const PopupMenu> menu) override { menu_->SetMenu(std::move(menu)); }
    bool HasMenu() const { return menu_->HasMenu(); }

    // The host reports no hovering; a move first lets the receiver note
    // where the pointer is before the buttons arrive.
    void Pointer(std::initializer_list<UINT> messages) {
        PostTrayCallback(record_, WM_MOUSEMOVE);
        for (UINT m : messages)
            PostTrayCallback(record_, m);
    }

    const NotifyIconData& Record() const { return record_; }

private:
    QDBusConnection connection_;
    QString service_;
    NotifyIconData record_;
    SniAdaptor* adaptor_ = nullptr;
    QDBusServiceWatcher* watcher_ = nullptr;
    std::unique_ptr<BusMenu> menu_;
};

SniAdaptor::SniAdaptor(SniItem* item) : QDBusAbstractAdaptor(item), item_(item) {
    setAutoRelaySignals(false);
}

QString SniAdaptor::Title() const {
    return ToQString(item_->Record().szTip);
}

// Without a menu of ours the host asks for one with ContextMenu instead.
QDBusObjectPath SniAdaptor::Menu() const {
    return QDBusObjectPath(item_->HasMenu() ? BusMenu::kPath : QStringLiteral("/NO_DBUSMENU"));
}

SniPixmapList SniAdaptor::IconPixmap() const {
    return Pixmaps(item_->Record().hIcon);
}

SniToolTip SniAdaptor::ToolTip() const {
    SniToolTip tip;
    tip.title = Title();
    return tip;
}

void SniAdaptor::Activate(int, int) {
    item_->Pointer({WM_LBUTTONDOWN, WM_LBUTTONUP});
}
void SniAdaptor::SecondaryActivate(int, int) {
    item_->Pointer({WM_MBUTTONDOWN, WM_MBUTTONUP});
}
void SniAdaptor::ContextMenu(int, int) {
    item_->Pointer({WM_RBUTTONDOWN});
}

namespace {

QDBusConnection Connect(const std::string& busAddress, const QString& name) {
    if (busAddress.empty())
        return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
    return QDBusConnection::connectToBus(QString::fromStdString(busAddress), name);
}

}  // namespace

bool StatusNotifierHostPresent(const std::string& busAddress) {
    if (QCoreApplication::instance() == nullptr)
        return false;
    const QString name = QStringLiteral("zelvo-status-probe");
    QDBusConnection bus = Connect(busAddress, name);
    struct Disconnect {
        QString name;
        ~Disconnect() { QDBusConnection::disconnectFromBus(name); }
    } disconnect{name};
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(kWatcherService))
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcherService, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    QDBusMessage reply = bus.call(get, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toBool();
}

std::unique_ptr<TrayIconHost> CreateStatusNotifierIcon(const NotifyIconData& data,
                                                       const std::string& busAddress) {
    static int count = 0;
    RegisterTypes();
    int n = ++count;
    // One connection per item, so each has its own well-known name and path.
    QString name = QStringLiteral("zelvo-status-item-%1").arg(n);
    QDBusConnection connection = Connect(busAddress, name);
    if (!connection.isConnected()) {
        QDBusConnection::disconnectFromBus(name);
        return nullptr;
    }
    QString service = QStringLiteral("org.kde.StatusNotifierItem-%1-%2").arg(::getpid()).arg(n);
    auto item = std::make_unique<SniItem>(connection, service, data);
    if (!item->Start())
        return nullptr;
    return item;
}

}  // namespace zelvo::platform

#include "TrayNotifySni.moc"
