// Registers a status item with a host of the test's own on a private bus,
// and checks what the item publishes and reports back.
#include "platform/linux/TrayNotifySni.h"
#include "support/WaitFor.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QMutex>
#include <QThread>
#include <functional>
#include <string>
#include <vector>

#include "platform/MessageLoop.h"
#include "platform/PopupMenu.h"
#include "platform/WindowTimer.h"

namespace zelvo::platform {
namespace {

// A message bus of our own, on a socket it picks itself.
class PrivateBus {
public:
    PrivateBus() {
        const char* binary = "/usr/bin/dbus-daemon";
        int fds[2];
        if (::access(binary, X_OK) != 0 || ::pipe(fds) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 2);
            std::string fd = "--print-address=" + std::to_string(fds[1]);
            ::execl(binary, binary, "--session", "--nofork", "--nopidfile", fd.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        if (pid_ < 0) {
            ::close(fds[0]);
            return;
        }
        pollfd p{fds[0], POLLIN, 0};
        while (::poll(&p, 1, 20000) > 0) {
            char c;
            if (::read(fds[0], &c, 1) != 1 || c == '\n')
                break;
            address_ += c;
        }
        ::close(fds[0]);
    }
    ~PrivateBus() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& Address() const { return address_; }

private:
    pid_t pid_ = -1;
    std::string address_;
};

// The host side: answers on its own thread, because the item's registration
// call waits for the answer on the main thread.
class TestWatcher : public QDBusVirtualObject {
public:
    explicit TestWatcher(QDBusConnection connection) : connection_(std::move(connection)) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        if (message.member() == QLatin1String("RegisterStatusNotifierItem")) {
            QMutexLocker lock(&mutex);
            registered.push_back(message.arguments().value(0).toString().toStdString());
            connection_.send(message.createReply());
            return true;
        }
        if (message.member() == QLatin1String("Get")) {
            connection_.send(message.createReply(QVariant::fromValue(QDBusVariant(true))));
            return true;
        }
        return false;
    }

    std::vector<std::string> Registered() {
        QMutexLocker lock(&mutex);
        return registered;
    }

private:
    QDBusConnection connection_;
    QMutex mutex;
    std::vector<std::string> registered;
};

using ::zelvo::testing::WaitFor;

QDBusMessage Wait(QDBusPendingCall call) {
    WaitFor([&] { return call.isFinished(); });
    return call.reply();
}

TEST(TrayNotifySni, ItemRegistersWithTheHostAndReportsActivations) {
    PrivateBus bus;
    if (bus.Address().empty())
        GTEST_SKIP() << "no message bus daemon available";
    QString address = QString::fromStdString(bus.Address());

    EXPECT_FALSE(StatusNotifierHostPresent(bus.Address())) << "no host yet";

    QThread hostThread;
    QDBusConnection host = QDBusConnection::connectToBus(address, QStringLiteral("test-host"));
    ASSERT_TRUE(host.isConnected());
    TestWatcher watcher(host);
    watcher.moveToThread(&hostThread);
    hostThread.start();
    ASSERT_TRUE(host.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), &watcher));
    ASSERT_TRUE(host.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
    EXPECT_TRUE(StatusNotifierHostPresent(bus.Address()));

    std::vector<LPARAM> received;
    MessageWindow window([&](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg == WM_USER + 100 && wParam == 42)
            received.push_back(lParam);
        return 0;
    });
    NotifyIconData data;
    data.hWnd = window.Handle();
    data.uID = 42;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_USER + 100;
    data.hIcon = LoadIconResource("MAINICON");
    std::snprintf(data.szTip, sizeof data.szTip, "%s", "Zelvo is running");
    {
        std::unique_ptr<TrayIconHost> item = CreateStatusNotifierIcon(data, bus.Address());
        ASSERT_NE(nullptr, item);
        auto registered = watcher.Registered();
        ASSERT_EQ(1u, registered.size());
        QString service = QString::fromStdString(registered[0]);

        auto property = [&](const char* name) {
            QDBusMessage get = QDBusMessage::createMethodCall(
                service, QStringLiteral("/StatusNotifierItem"),
                QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
            get << QStringLiteral("org.kde.StatusNotifierItem") << QString::fromLatin1(name);
            QDBusMessage reply = Wait(host.asyncCall(get));
            EXPECT_EQ(QDBusMessage::ReplyMessage, reply.type()) << name;
            return qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant();
        };
        EXPECT_EQ(QStringLiteral("Zelvo is running"), property("Title").toString());
        EXPECT_EQ(QStringLiteral("Active"), property("Status").toString());

        // The picture travels as (width, height, ARGB bytes in network order).
        const QDBusArgument pixmaps = qvariant_cast<QDBusArgument>(property("IconPixmap"));
        pixmaps.beginArray();
        int width = 0, height = 0;
        QByteArray bytes;
        pixmaps.beginStructure();
        pixmaps >> width >> height >> bytes;
        pixmaps.endStructure();
        pixmaps.endArray();
        EXPECT_EQ(32, width);
        EXPECT_EQ(32, height);
        EXPECT_EQ(32 * 32 * 4, bytes.size());

        auto invoke = [&](const char* method) {
            QDBusMessage call = QDBusMessage::createMethodCall(
                service, QStringLiteral("/StatusNotifierItem"),
                QStringLiteral("org.kde.StatusNotifierItem"), QString::fromLatin1(method));
            call << 10 << 20;
            Wait(host.asyncCall(call));
        };
        invoke("Activate");
        invoke("ContextMenu");
        ASSERT_TRUE(WaitFor([&] { return received.size() >= 5; }));
        PumpPostedMessages();
        EXPECT_EQ((std::vector<LPARAM>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE,
                                       WM_RBUTTONDOWN}),
                  received);

        data.uFlags = NIF_TIP;
        std::snprintf(data.szTip, sizeof data.szTip, "%s", "changed");
        item->Update(data);
        EXPECT_EQ(QStringLiteral("changed"), property("Title").toString());
    }

    host.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    hostThread.quit();
    hostThread.wait();
    QDBusConnection::disconnectFromBus(QStringLiteral("test-host"));
}

struct LayoutItem {
    int id = 0;
    QVariantMap properties;
    std::vector<LayoutItem> children;
};

LayoutItem ReadLayout(const QDBusArgument& arg) {
    LayoutItem item;
    arg.beginStructure();
    arg >> item.id >> item.properties;
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusVariant child;
        arg >> child;
        item.children.push_back(ReadLayout(qvariant_cast<QDBusArgument>(child.variant())));
    }
    arg.endArray();
    arg.endStructure();
    return item;
}

// The host draws the item's menu itself from what the item publishes, and
// tells the item which entry was chosen.
TEST(TrayNotifySni, MenuIsPublishedForTheHostToDrawAndItsChoiceRunsHere) {
    PrivateBus bus;
    if (bus.Address().empty())
        GTEST_SKIP() << "no message bus daemon available";
    QString address = QString::fromStdString(bus.Address());
    QThread hostThread;
    QDBusConnection host = QDBusConnection::connectToBus(address, QStringLiteral("menu-host"));
    ASSERT_TRUE(host.isConnected());
    TestWatcher watcher(host);
    watcher.moveToThread(&hostThread);
    hostThread.start();
    ASSERT_TRUE(host.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), &watcher));
    ASSERT_TRUE(host.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));

    auto menu = std::make_shared<PopupMenu>();
    int chosen = 0;
    menu->AddItem("&Browser View...", [&] { ++chosen; });
    menu->AddSeparator();
    MenuItem& cancel = menu->AddItem("Ca&ncel", [&] { chosen += 100; });
    cancel.SetEnabled(false);
    MenuItem& onTop = menu->AddItem("Always &on Top");
    onTop.SetChecked(true);
    menu->AddItem("R&&D_notes");

    NotifyIconData data;
    data.uID = 42;
    data.uFlags = NIF_TIP;
    {
        std::unique_ptr<TrayIconHost> item = CreateStatusNotifierIcon(data, bus.Address());
        ASSERT_NE(nullptr, item);
        QString service = QString::fromStdString(watcher.Registered().at(0));
        auto menuPath = [&] {
            QDBusMessage get = QDBusMessage::createMethodCall(
                service, QStringLiteral("/StatusNotifierItem"),
                QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
            get << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("Menu");
            QDBusMessage reply = Wait(host.asyncCall(get));
            return qvariant_cast<QDBusObjectPath>(
                       qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant())
                .path();
        };
        // Without a menu the host asks the item to open one itself.
        EXPECT_EQ(QStringLiteral("/NO_DBUSMENU"), menuPath());
        item->SetMenu(menu);
        QString path = menuPath();
        ASSERT_EQ(QStringLiteral("/MenuBar"), path);

        auto call = [&](const char* method, const QVariantList& args) {
            QDBusMessage m = QDBusMessage::createMethodCall(
                service, path, QStringLiteral("com.canonical.dbusmenu"),
                QString::fromLatin1(method));
            m.setArguments(args);
            return Wait(host.asyncCall(m));
        };
        QDBusMessage reply = call("GetLayout", {0, -1, QVariant::fromValue(QStringList())});
        ASSERT_EQ(QDBusMessage::ReplyMessage, reply.type()) << reply.errorMessage().toStdString();
        unsigned revision = reply.arguments().value(0).toUInt();
        LayoutItem root = ReadLayout(qvariant_cast<QDBusArgument>(reply.arguments().value(1)));
        EXPECT_EQ(QStringLiteral("submenu"), root.properties.value("children-display").toString());
        ASSERT_EQ(5u, root.children.size());
        EXPECT_EQ(QStringLiteral("_Browser View..."), root.children[0].properties.value("label"));
        EXPECT_TRUE(root.children[0].properties.value("enabled").toBool());
        EXPECT_EQ(QStringLiteral("separator"), root.children[1].properties.value("type"));
        EXPECT_EQ(QStringLiteral("Ca_ncel"), root.children[2].properties.value("label"));
        EXPECT_FALSE(root.children[2].properties.value("enabled").toBool());
        EXPECT_EQ(QStringLiteral("checkmark"), root.children[3].properties.value("toggle-type"));
        EXPECT_EQ(1, root.children[3].properties.value("toggle-state").toInt());
        // Plain ampersands and underscores stay plain on the host's side.
        EXPECT_EQ(QStringLiteral("R&D__notes"), root.children[4].properties.value("label"));

        // Nothing changed: the host keeps what it has.
        EXPECT_FALSE(call("AboutToShow", {0}).arguments().value(0).toBool());
        cancel.SetEnabled(true);
        EXPECT_TRUE(call("AboutToShow", {0}).arguments().value(0).toBool());
        reply = call("GetLayout", {0, -1, QVariant::fromValue(QStringList{"enabled"})});
        EXPECT_GT(reply.arguments().value(0).toUInt(), revision);
        root = ReadLayout(qvariant_cast<QDBusArgument>(reply.arguments().value(1)));
        EXPECT_TRUE(root.children.at(2).properties.value("enabled").toBool());
        EXPECT_FALSE(root.children.at(2).properties.contains("label")) << "only what was asked";

        // A choice runs after the host's call has been answered.
        call("Event",
             {3, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(QVariant(0))), 0u});
        call("Event",
             {1, QStringLiteral("hovered"), QVariant::fromValue(QDBusVariant(QVariant(0))), 0u});
        call("Event",
             {99, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(QVariant(0))), 0u});
        ASSERT_TRUE(WaitFor([&] { return chosen != 0; }));
        PumpPostedMessages();
        EXPECT_EQ(100, chosen);
    }

    host.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    hostThread.quit();
    hostThread.wait();
    QDBusConnection::disconnectFromBus(QStringLiteral("menu-host"));
}

}  // namespace
}  // namespace zelvo::platform
