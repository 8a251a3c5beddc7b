// The program's tray where the desktop hosts trays over D-Bus: a watcher with its host on a bus
// of the test's own, the real program registering its item there, and its menu read the way
// tray hosts read it (AboutToShow, then GetLayout, or GetLayout alone after LayoutUpdated).
#include "desktop.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "qt_testing.h"

#include <map>

namespace halomark::qt {
namespace {

using namespace x11::testing;
using ::halomark::qt::testing::runEventsUntil;

// The watcher, which says a host is registered and notes the items that register.
class Watcher final : public QDBusVirtualObject
{
public:
    QString introspect(const QString&) const override
    {
        return R"(<interface name="org.kde.StatusNotifierWatcher">
 <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
 <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
 <property name="ProtocolVersion" type="i" access="read"/></interface>)";
    }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override
    {
        if (message.member() == "RegisterStatusNotifierItem") {
            items << message.arguments().value(0).toString();
            return bus.send(message.createReply());
        }
        const bool host = message.arguments().value(1) == "IsStatusNotifierHostRegistered";
        return message.member() == "Get" &&
               bus.send(message.createReply(
                   QVariant::fromValue(QDBusVariant(host ? QVariant(true) : QVariant(0)))));
    }
    QStringList items;
};

// The items under a layout item, depth first, as the host shows them: the label, a mark when
// the toggle is on, "~" when disabled; and their ids by label.
void collect(const QDBusArgument& item, QStringList& shown, std::map<QString, int>& ids)
{
    int id = 0;
    QVariantMap properties;
    item.beginStructure();
    item >> id >> properties;
    const QString label = properties.value("label").toString();
    if (id != 0) {
        ids[label] = id;
        shown << label + (properties.value("toggle-state") == 1 ? " [x]" : "") +
                     (properties.value("enabled", true).toBool() ? "" : " ~");
    }
    item.beginArray();
    while (!item.atEnd()) {
        QDBusVariant child;
        item >> child;
        collect(child.variant().value<QDBusArgument>(), shown, ids);
    }
    item.endArray();
    item.endStructure();
}

TEST(DBusTray, TheHostSeesTheMenuAsItIsAfterChangesFromTheMenuAndFromOutsideAndChoosesInIt)
{
    ASSERT_FALSE(loadDesktopEnvironment());
    QTemporaryDir folder;
    const QString address = "unix:path=" + folder.filePath("bus");
    SpawnedProcess daemon(
        {"dbus-daemon", "--session", "--nofork", "--address=" + address.toStdString()});
    ASSERT_TRUE(runEventsUntil([&] { return QFile::exists(folder.filePath("bus")); }));
    QDBusConnection bus = QDBusConnection::connectToBus(address, "host");
    Watcher watcher;
    ASSERT_TRUE(bus.registerVirtualObject("/StatusNotifierWatcher", &watcher));
    ASSERT_TRUE(bus.registerService("org.kde.StatusNotifierWatcher"));
    // The program and its command line on that bus, in English, with files of their own.
    const std::string program = "env DBUS_SESSION_BUS_ADDRESS=" + address.toStdString() +
                                " XDG_CONFIG_HOME=" + folder.path().toStdString() +
                                " XDG_RUNTIME_DIR=" + folder.path().toStdString() +
                                " QT_QPA_PLATFORM=xcb LANGUAGE=en LANG=en_US.UTF-8"
                                " LC_ALL=en_US.UTF-8 " HALOMARK_PROGRAM;
    SpawnedProcess halomark({"sh", "-c", "exec " + program}, {},
                            folder.filePath("errors").toStdString());
    ASSERT_TRUE(runEventsUntil([&] { return !watcher.items.isEmpty(); }, 15000))
        << halomark.errors();
    const QString item = watcher.items.front();
    const QString menuPath =
        QDBusInterface(item, "/StatusNotifierItem", "org.kde.StatusNotifierItem", bus)
            .property("Menu")
            .value<QDBusObjectPath>()
            .path();
    QDBusInterface menu(item, menuPath, "com.canonical.dbusmenu", bus);
    std::map<QString, int> ids;
    // The items, as a host that asks first (or, after LayoutUpdated, one that does not) reads
    // them.
    const auto open = [&](bool askFirst) {
        if (askFirst) {
            menu.call("AboutToShow", 0);
        }
        const QDBusMessage layout = menu.call("GetLayout", 0, -1, QStringList());
        QStringList shown;
        collect(layout.arguments().value(1).value<QDBusArgument>(), shown, ids);
        return shown;
    };
    const auto firstTwo = [&](bool askFirst) {
        return open(askFirst).mid(0, 2).join(", ").toStdString();
    };
    const auto choose = [&](const QString& label) {
        const QVariant data = QVariant::fromValue(QDBusVariant(0));
        return menu.call("Event", ids.at(label), "clicked", data, 0u).type() ==
               QDBusMessage::ReplyMessage;
    };
    ASSERT_EQ(firstTwo(true), "Enable Halomark [x], Highlight Active Window [x]");

    // Changes from the menu, from the command line and over the program's own service: each
    // announced with LayoutUpdated and read without AboutToShow.
    SpawnedProcess monitor({"dbus-monitor", "--address", address.toStdString(),
                            "interface='com.canonical.dbusmenu',member='LayoutUpdated'"},
                           folder.filePath("signals").toStdString());
    const auto updates = [&] {
        return QString::fromStdString(monitor.log()).count("LayoutUpdated");
    };
    ASSERT_TRUE(runEventsUntil([&] { return !monitor.log().empty(); })) << "no monitor";
    QDBusInterface service("org.halomark.Halomark", "/org/halomark/Halomark",
                           "org.halomark.Halomark", bus);
    for (const auto& [change, expected] :
         std::vector<std::pair<std::function<bool()>, std::string>>{
             {[&] { return choose("Enable Halomark"); },
              "Enable Halomark, Highlight Active Window [x] ~"},
             {[&] { return sh(program + " on"); },
              "Enable Halomark [x], Highlight Active Window [x]"},
             {[&] {
                  return service.call("SetHighlight", false).type() == QDBusMessage::ReplyMessage;
              },
              "Enable Halomark [x], Highlight Active Window"},
         }) {
        const auto before = updates();
        EXPECT_TRUE(change());
        EXPECT_TRUE(runEventsUntil([&] { return updates() > before; })) << expected;
        EXPECT_TRUE(runEventsUntil([&] { return firstTwo(false) == expected; })) << firstTwo(false);
    }

    // Another language, chosen in a submenu and marked there, then Quit in it.
    ASSERT_TRUE(choose("Deutsch"));
    EXPECT_TRUE(runEventsUntil([&] {
        const QStringList items = open(false);
        return items.contains("Halomark aktivieren [x]") && items.contains("Deutsch [x]");
    })) << open(false).join("\n").toStdString();
    EXPECT_TRUE(open(true).contains("Halomark beenden"));
    ASSERT_TRUE(choose("Halomark beenden"));
    EXPECT_TRUE(exitedWith(halomark.waitForExit(10s), 0)) << halomark.errors();
}

} // namespace
} // namespace halomark::qt
