// The status bar as a tray icon. Each item is a QSystemTrayIcon showing the pointer-with-rays
// picture (the installed org.halomark.Halomark icon of the theme, or the same picture drawn when
// none is installed; a themed icon for another symbol), its tooltip, and the core's menu as a QMenu
// on a right click and on a left click alike. Without a tray the item waits: Qt docks it as
// soon as a tray starts, and the bar says once in the log that there is none yet.
#pragma once

#include "platform/status_bar.h"
#include "qt/qt_menu.h"

#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include <memory>
#include <string>

namespace halomark::qt {

class QtStatusBarButton final : public StatusBarButton
{
public:
    explicit QtStatusBarButton(QSystemTrayIcon& tray) : tray(tray) {}

    // "cursorarrow.rays" is the installed icon, or drawn here; other names come from the theme. The
    // description is what the tooltip shows until a tooltip is set, as a tray icon has no other
    // text.
    void setImage(const std::string& symbolName,
                  const std::string& accessibilityDescription) override;
    void setToolTip(const std::string& text) override;

private:
    void applyToolTip();

    QSystemTrayIcon& tray;
    QString description;
    QString toolTip;
    bool hasToolTip = false;
};

class QtStatusItem final : public QObject, public StatusItem
{
public:
    QtStatusItem();
    ~QtStatusItem() override;
    QtStatusItem(const QtStatusItem&) = delete;
    QtStatusItem& operator=(const QtStatusItem&) = delete;

    QSystemTrayIcon& trayIcon() { return tray; }
    // The menu as shown; nothing before a menu is set.
    QtMenu* qtMenu() const { return shownMenu.get(); }

    // StatusItem.
    StatusBarButton* button() override { return &itemButton; }
    void setMenu(std::shared_ptr<Menu> menu) override;
    std::shared_ptr<Menu> menu() const override;

private:
    void activated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon tray;
    QtStatusBarButton itemButton;
    std::unique_ptr<QtMenu> shownMenu;
};

class QtStatusBar final : public StatusBar
{
public:
    // Items come square whatever length is asked: a tray gives every icon the same cell.
    std::shared_ptr<StatusItem> statusItem(double length) override;

private:
    bool toldAboutMissingTray = false;
};

} // namespace halomark::qt
