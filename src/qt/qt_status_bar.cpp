#include "qt/qt_status_bar.h"

#include "qt/qt_status_icon.h"

#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QtGlobal>

#include <utility>

namespace halomark::qt {
namespace {

constexpr const char* kDrawnSymbol = "cursorarrow.rays";

// The installed icon of the icon theme, which the desktop may style or replace; the same
// picture drawn here when the theme has none, as for a program run from its build folder.
QIcon pointerWithRaysThemedIcon()
{
    return QIcon::fromTheme(QStringLiteral("org.halomark.Halomark"), pointerWithRaysIcon());
}

} // namespace

void QtStatusBarButton::setImage(const std::string& symbolName,
                                 const std::string& accessibilityDescription)
{
    QIcon icon;
    if (symbolName != kDrawnSymbol) {
        icon = QIcon::fromTheme(QString::fromStdString(symbolName));
    }
    if (icon.isNull()) {
        icon = pointerWithRaysThemedIcon();
    }
    tray.setIcon(icon);
    description = QString::fromStdString(accessibilityDescription);
    applyToolTip();
}

void QtStatusBarButton::setToolTip(const std::string& text)
{
    toolTip = QString::fromStdString(text);
    hasToolTip = true;
    applyToolTip();
}

void QtStatusBarButton::applyToolTip()
{
    tray.setToolTip(hasToolTip ? toolTip : description);
}

QtStatusItem::QtStatusItem() : itemButton(tray)
{
    // An icon from the start, so the tray never shows an empty cell.
    tray.setIcon(pointerWithRaysThemedIcon());
    QObject::connect(&tray, &QSystemTrayIcon::activated, this,
                     [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); });
    tray.show();
}

QtStatusItem::~QtStatusItem()
{
    tray.hide();
    tray.setContextMenu(nullptr);
}

void QtStatusItem::setMenu(std::shared_ptr<Menu> menu)
{
    std::unique_ptr<QtMenu> replaced = std::move(shownMenu);
    if (menu) {
        shownMenu = std::make_unique<QtMenu>(std::move(menu));
    }
    // The tray lets go of the old QMenu before it is deleted.
    tray.setContextMenu(shownMenu ? shownMenu->qMenu() : nullptr);
}

std::shared_ptr<Menu> QtStatusItem::menu() const
{
    return shownMenu ? shownMenu->menu() : nullptr;
}

void QtStatusItem::activated(QSystemTrayIcon::ActivationReason reason)
{
    // A right click opens the context menu through the tray; a left click opens the same menu.
    if (reason != QSystemTrayIcon::Trigger || !shownMenu) {
        return;
    }
    QMenu* shown = shownMenu->qMenu();
    if (!shown->isVisible()) {
        shown->popup(QCursor::pos());
    }
}

std::shared_ptr<StatusItem> QtStatusBar::statusItem(double)
{
    if (!toldAboutMissingTray && !QSystemTrayIcon::isSystemTrayAvailable()) {
        toldAboutMissingTray = true;
        qInfo("halomark: no system tray is available yet; the icon will appear when one starts");
    }
    return std::make_shared<QtStatusItem>();
}

} // namespace halomark::qt
