#include "qt/command_client.h"

#include "qt/qt_command_service.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QString>
#include <QVariantMap>

#include <cstdio>

namespace halomark::qt {
namespace {

constexpr int kExitNotRunning = 1;
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

int notRunning()
{
    std::fputs("halomark: Halomark is not running\n", stderr);
    return kExitNotRunning;
}

int failed(const QDBusError& error)
{
    if (error.type() == QDBusError::ServiceUnknown || error.type() == QDBusError::NoReply) {
        return notRunning();
    }
    std::fprintf(stderr, "halomark: the command failed: %s\n", qPrintable(error.message()));
    return kExitNotRunning;
}

QDBusMessage methodCall(const QString& interface, const QString& method)
{
    return QDBusMessage::createMethodCall(QString::fromLatin1(kApplicationId),
                                          QString::fromLatin1(kCommandObjectPath), interface,
                                          method);
}

QString onOff(const QVariant& value)
{
    return value.toBool() ? QStringLiteral("on") : QStringLiteral("off");
}

// The spotlight and the click pulses stay off where the pointer and the buttons cannot be
// read; says so when a switch asked on stayed off.
bool refusedPointerCue(QDBusConnection& bus, const QDBusMessage& call)
{
    const QString method = call.member();
    const QString property = method == QStringLiteral("SetSpotlight") ? QStringLiteral("Spotlight")
                             : method == QStringLiteral("SetShowClicks")
                                 ? QStringLiteral("ShowClicks")
                                 : QString();
    if (property.isEmpty() || !call.arguments().value(0).toBool()) {
        return false;
    }
    QDBusMessage get = methodCall(kPropertiesInterface, QStringLiteral("Get"));
    get << QString::fromLatin1(kApplicationId) << property;
    const QDBusReply<QDBusVariant> value = bus.call(get);
    if (!value.isValid() || value.value().variant().toBool()) {
        return false;
    }
    std::fputs("halomark: not available in this session: it cannot read the pointer and the "
               "buttons of other programs\n",
               stderr);
    return true;
}

} // namespace

int sendCommand(CommandLine::Command command)
{
    using Command = CommandLine::Command;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "halomark: cannot reach the session bus: %s\n",
                     qPrintable(bus.lastError().message()));
        return kExitNotRunning;
    }
    // Asked without activating anything: a command never starts an instance.
    if (!bus.interface()->isServiceRegistered(QString::fromLatin1(kApplicationId)).value()) {
        return notRunning();
    }
    const QString interface = QString::fromLatin1(kApplicationId);

    QDBusMessage getAll = methodCall(kPropertiesInterface, QStringLiteral("GetAll"));
    getAll << interface;
    const QDBusReply<QVariantMap> state = bus.call(getAll);
    if (!state.isValid()) {
        return failed(state.error());
    }
    const QVariantMap properties = state.value();
    if (command == Command::status) {
        std::printf("enabled: %s\nhighlight: %s\nspotlight: %s\nclicks: %s\ncolor: %s\n"
                    "language: %s\nlocator-key: %s\n",
                    qPrintable(onOff(properties.value(QStringLiteral("Enabled")))),
                    qPrintable(onOff(properties.value(QStringLiteral("Highlight")))),
                    qPrintable(onOff(properties.value(QStringLiteral("Spotlight")))),
                    qPrintable(onOff(properties.value(QStringLiteral("ShowClicks")))),
                    qPrintable(properties.value(QStringLiteral("Color")).toString()),
                    qPrintable(properties.value(QStringLiteral("Language")).toString()),
                    qPrintable(properties.value(QStringLiteral("LocatorKey")).toString()));
        return 0;
    }

    QDBusMessage call;
    const bool enabled = properties.value(QStringLiteral("Enabled")).toBool();
    const bool highlight = properties.value(QStringLiteral("Highlight")).toBool();
    switch (command) {
    case Command::locate:
        call = methodCall(interface, QStringLiteral("Locate"));
        break;
    case Command::quit:
        call = methodCall(interface, QStringLiteral("Quit"));
        break;
    case Command::enable:
    case Command::disable:
    case Command::toggle:
        call = methodCall(interface, QStringLiteral("SetEnabled"));
        call << (command == Command::toggle ? !enabled : command == Command::enable);
        break;
    case Command::highlightOn:
    case Command::highlightOff:
    case Command::highlightToggle:
        call = methodCall(interface, QStringLiteral("SetHighlight"));
        call << (command == Command::highlightToggle ? !highlight
                                                     : command == Command::highlightOn);
        break;
    case Command::spotlightOn:
    case Command::spotlightOff:
    case Command::spotlightToggle:
        call = methodCall(interface, QStringLiteral("SetSpotlight"));
        call << (command == Command::spotlightToggle
                     ? !properties.value(QStringLiteral("Spotlight")).toBool()
                     : command == Command::spotlightOn);
        break;
    case Command::clicksOn:
    case Command::clicksOff:
    case Command::clicksToggle:
        call = methodCall(interface, QStringLiteral("SetShowClicks"));
        call << (command == Command::clicksToggle
                     ? !properties.value(QStringLiteral("ShowClicks")).toBool()
                     : command == Command::clicksOn);
        break;
    case Command::status:
        break;
    }
    const QDBusMessage reply = bus.call(call);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        return failed(QDBusError(reply));
    }
    return refusedPointerCue(bus, call) ? kExitNotRunning : 0;
}

} // namespace halomark::qt
