#include "qt/qt_command_service.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QPointer>
#include <QStringList>
#include <QTimer>

namespace halomark::qt {

QtCommandService::QtCommandService(std::weak_ptr<AppDelegate> delegate)
    : delegate(std::move(delegate))
{
    if (auto target = this->delegate.lock()) {
        target->onStateChanged = [service = QPointer<QtCommandService>(this)] {
            if (service) {
                service->announceChanges();
            }
        };
    }
    announced = properties();
}

std::optional<std::string> QtCommandService::registerOnSessionBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return "no session bus: " + bus.lastError().message().toStdString();
    }
    if (!bus.registerObject(QString::fromLatin1(kCommandObjectPath), this,
                            QDBusConnection::ExportAllSlots |
                                QDBusConnection::ExportAllProperties)) {
        return "cannot export the commands: " + bus.lastError().message().toStdString();
    }
    if (!bus.registerService(QString::fromLatin1(kApplicationId))) {
        bus.unregisterObject(QString::fromLatin1(kCommandObjectPath));
        return "the name " + std::string(kApplicationId) +
               " is taken: " + bus.lastError().message().toStdString();
    }
    registered = true;
    announced = properties();
    return std::nullopt;
}

bool QtCommandService::enabled() const
{
    const auto target = delegate.lock();
    return target && target->appModel->isEnabled();
}

bool QtCommandService::highlight() const
{
    const auto target = delegate.lock();
    return target && target->appModel->focusCueEnabled();
}

bool QtCommandService::spotlight() const
{
    const auto target = delegate.lock();
    return target && target->appModel->spotlightEnabled();
}

bool QtCommandService::showClicks() const
{
    const auto target = delegate.lock();
    return target && target->appModel->showClicksEnabled();
}

QString QtCommandService::color() const
{
    const auto target = delegate.lock();
    if (!target) {
        return {};
    }
    return QString::fromUtf8(
        AppearanceSettings::rawValue(target->appearanceSettings->selectedChoice()));
}

QString QtCommandService::language() const
{
    const auto target = delegate.lock();
    return target ? QString::fromUtf8(rawValue(target->localization->selectedLanguage()))
                  : QString();
}

QString QtCommandService::locatorKey() const
{
    const auto target = delegate.lock();
    return target ? QString::fromUtf8(rawValue(target->appModel->locatorKey())) : QString();
}

void QtCommandService::Locate()
{
    if (auto target = delegate.lock()) {
        target->locate();
    }
}

void QtCommandService::SetEnabled(bool value)
{
    if (auto target = delegate.lock()) {
        target->setMonitoring(value);
    }
}

void QtCommandService::SetHighlight(bool value)
{
    if (auto target = delegate.lock()) {
        target->setFocusCue(value);
    }
}

void QtCommandService::SetSpotlight(bool value)
{
    if (auto target = delegate.lock()) {
        target->setSpotlight(value);
    }
}

void QtCommandService::SetShowClicks(bool value)
{
    if (auto target = delegate.lock()) {
        target->setShowClicks(value);
    }
}

void QtCommandService::Quit()
{
    // In a later turn, so that the reply leaves before the loop ends.
    QTimer::singleShot(0, this, [this] {
        if (auto target = delegate.lock()) {
            target->quit();
        }
    });
}

QVariantMap QtCommandService::properties() const
{
    return {
        {QStringLiteral("Enabled"), enabled()},      {QStringLiteral("Highlight"), highlight()},
        {QStringLiteral("Spotlight"), spotlight()},  {QStringLiteral("ShowClicks"), showClicks()},
        {QStringLiteral("Color"), color()},          {QStringLiteral("Language"), language()},
        {QStringLiteral("LocatorKey"), locatorKey()}};
}

void QtCommandService::announceChanges()
{
    const QVariantMap now = properties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (announced.value(it.key()) != it.value()) {
            changed.insert(it.key(), it.value());
        }
    }
    announced = now;
    if (changed.isEmpty() || !registered) {
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kCommandObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kApplicationId) << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

} // namespace halomark::qt
