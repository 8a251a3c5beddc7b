// A menu built by the core, shown as a QMenu: titles, check marks, enabled states, separators,
// submenus and key equivalents, with the chosen item handed back to its target. The QMenu is
// refilled from the core's data whenever that data has changed since it was last filled: just
// before it opens, and each time the event loop is about to wait, so that a tray host that
// keeps a copy of the menu (over D-Bus) hears of the change without opening it first. It is
// never refilled while one of its own actions is being triggered. A key equivalent is
// shown with Ctrl ("q" as Ctrl+Q) and chooses its item when pressed while the menu or one of
// its submenus is open.
#pragma once

#include "platform/menu.h"

#include <QKeySequence>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QMenu;

namespace halomark::qt {

// The key sequence for a key equivalent: Ctrl with the key, Ctrl+Shift for an upper-case
// letter; empty for none.
QKeySequence keySequenceFor(const std::string& keyEquivalent);

// A title as a QAction text: '&' stays a literal ampersand instead of marking a mnemonic.
QString actionText(const std::string& title);

class QtMenu final : public QObject
{
public:
    explicit QtMenu(std::shared_ptr<Menu> menu);
    ~QtMenu() override;
    QtMenu(const QtMenu&) = delete;
    QtMenu& operator=(const QtMenu&) = delete;

    const std::shared_ptr<Menu>& menu() const { return source; }

    // The QMenu, filled from the core's menu as it stands now.
    QMenu* qMenu();

    // Refills the QMenu when the core's menu (or one of its submenus) changed since the last
    // fill. True when it did.
    bool sync();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill(QMenu& target, const Menu& from);
    // The menus of the tree with their revisions, in the order they are filled. The menus are
    // held so that a new menu cannot take an old one's address and pass for it.
    using Snapshot = std::vector<std::pair<std::shared_ptr<const Menu>, std::uint64_t>>;
    Snapshot snapshot() const;
    bool chooseByKey(const QKeySequence& pressed);

    std::shared_ptr<Menu> source;
    std::unique_ptr<QMenu> root;
    Snapshot filledFrom;
    bool filled = false;
    bool triggering = false;
};

} // namespace halomark::qt
