// The running program's commands on the session bus, under the application id: Locate,
// SetEnabled, SetHighlight, SetSpotlight, SetShowClicks and Quit do what the ring's tap and the
// menu's items do, through the same actions of the application delegate; the read-only
// properties Enabled, Highlight, Spotlight, ShowClicks, Color, Language and LocatorKey follow
// every change, which PropertiesChanged announces.
#pragma once

#include "app/app_delegate.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>
#include <string>

namespace halomark::qt {

inline constexpr const char* kApplicationId = "org.halomark.Halomark";
inline constexpr const char* kCommandObjectPath = "/org/halomark/Halomark";

class QtCommandService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.halomark.Halomark")
    Q_PROPERTY(bool Enabled READ enabled)
    Q_PROPERTY(bool Highlight READ highlight)
    Q_PROPERTY(bool Spotlight READ spotlight)
    Q_PROPERTY(bool ShowClicks READ showClicks)
    Q_PROPERTY(QString Color READ color)
    Q_PROPERTY(QString Language READ language)
    Q_PROPERTY(QString LocatorKey READ locatorKey)

public:
    explicit QtCommandService(std::weak_ptr<AppDelegate> delegate);

    // Exports the object and takes the bus name; the reason when the session bus is missing
    // or the name is taken.
    std::optional<std::string> registerOnSessionBus();

    bool enabled() const;
    bool highlight() const;
    bool spotlight() const;
    bool showClicks() const;
    QString color() const;
    QString language() const;
    QString locatorKey() const;

public slots:
    void Locate();
    void SetEnabled(bool enabled);
    void SetHighlight(bool enabled);
    void SetSpotlight(bool enabled);
    void SetShowClicks(bool enabled);
    void Quit();

private:
    QVariantMap properties() const;
    // Signals the properties that differ from those last announced.
    void announceChanges();

    std::weak_ptr<AppDelegate> delegate;
    QVariantMap announced;
    bool registered = false;
};

} // namespace halomark::qt
