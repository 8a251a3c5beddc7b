#include "qt/qt_menu.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QList>
#include <QMenu>
#include <QPointer>

namespace halomark::qt {
namespace {

void collect(const std::shared_ptr<const Menu>& menu,
             std::vector<std::pair<std::shared_ptr<const Menu>, std::uint64_t>>& into)
{
    into.emplace_back(menu, menu->revision());
    for (const MenuItem& item : menu->items()) {
        if (item.submenu) {
            collect(item.submenu, into);
        }
    }
}

// Whether the menus, walked in the order collect() takes, are still those the snapshot holds at
// the revisions it holds. Runs before every wait of the event loop, so it allocates nothing.
bool unchanged(const std::shared_ptr<const Menu>& menu,
               const std::vector<std::pair<std::shared_ptr<const Menu>, std::uint64_t>>& snapshot,
               std::size_t& at)
{
    if (at >= snapshot.size() || snapshot[at].first != menu ||
        snapshot[at].second != menu->revision()) {
        return false;
    }
    ++at;
    for (const MenuItem& item : menu->items()) {
        if (item.submenu && !unchanged(item.submenu, snapshot, at)) {
            return false;
        }
    }
    return true;
}

} // namespace

QKeySequence keySequenceFor(const std::string& keyEquivalent)
{
    if (keyEquivalent.empty()) {
        return {};
    }
    const QString key = QString::fromStdString(keyEquivalent);
    if (key.size() != 1) {
        return {};
    }
    const QChar character = key.front();
    const QKeySequence plain = QKeySequence::fromString(QString(character.toUpper()));
    if (plain.isEmpty()) {
        return {};
    }
    Qt::KeyboardModifiers modifiers = Qt::ControlModifier;
    if (character.isLetter() && character.isUpper()) {
        modifiers |= Qt::ShiftModifier;
    }
    return QKeySequence(QKeyCombination(modifiers, plain[0].key()));
}

QString actionText(const std::string& title)
{
    QString text = QString::fromStdString(title);
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return text;
}

QtMenu::QtMenu(std::shared_ptr<Menu> menu)
    : source(std::move(menu)), root(std::make_unique<QMenu>())
{
    root->installEventFilter(this);
    // Refilled as it opens, so the user sees the core's menu as it is then, and after any
    // change, which the core makes without telling the adapter.
    QObject::connect(root.get(), &QMenu::aboutToShow, this, [this] { sync(); });
    if (const QAbstractEventDispatcher* loop = QAbstractEventDispatcher::instance()) {
        QObject::connect(loop, &QAbstractEventDispatcher::aboutToBlock, this, [this] { sync(); });
    }
    sync();
}

QtMenu::~QtMenu() = default;

QMenu* QtMenu::qMenu()
{
    sync();
    return root.get();
}

QtMenu::Snapshot QtMenu::snapshot() const
{
    Snapshot result;
    collect(source, result);
    return result;
}

bool QtMenu::sync()
{
    // The triggered action and its menu must outlive the trigger, which may run a nested
    // event loop (an alert); the next turn refills them.
    if (triggering) {
        return false;
    }
    std::size_t walked = 0;
    if (filled && unchanged(source, filledFrom, walked) && walked == filledFrom.size()) {
        return false;
    }
    Snapshot now = snapshot();
    // Submenus made by the last fill are children of the root and go with clear().
    root->clear();
    for (QMenu* old : root->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) {
        delete old;
    }
    root->setTitle(actionText(source->title()));
    fill(*root, *source);
    filledFrom = std::move(now);
    filled = true;
    return true;
}

void QtMenu::fill(QMenu& target, const Menu& from)
{
    for (const MenuItem& item : from.items()) {
        if (item.isSeparator) {
            target.addSeparator();
            continue;
        }
        QAction* action = nullptr;
        if (item.submenu) {
            auto* submenu = new QMenu(actionText(item.title), root.get());
            submenu->installEventFilter(this);
            fill(*submenu, *item.submenu);
            action = submenu->menuAction();
            target.addAction(action);
        } else {
            action = target.addAction(actionText(item.title));
            // The item as it was when the menu was filled is what goes back to its target.
            QObject::connect(action, &QAction::triggered, this, [this, chosen = item](bool) {
                // The target may replace this whole menu while it acts.
                const QPointer<QtMenu> self(this);
                triggering = true;
                performAction(chosen);
                if (self) {
                    triggering = false;
                }
            });
        }
        // Only an item that is on shows a mark, as an item that is off shows nothing.
        if (item.state == MenuItemState::on) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        action->setEnabled(item.enabled);
        const QKeySequence shortcut = keySequenceFor(item.keyEquivalent);
        if (!shortcut.isEmpty()) {
            action->setShortcut(shortcut);
            action->setShortcutVisibleInContextMenu(true);
        }
    }
}

bool QtMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (!(modifiers & Qt::ControlModifier)) {
        return QObject::eventFilter(watched, event);
    }
    // A context menu is not part of any window's shortcut context, so Qt would not act on the
    // key itself.
    if (chooseByKey(QKeySequence(QKeyCombination(modifiers, Qt::Key(key->key()))))) {
        return true;
    }
    return QObject::eventFilter(watched, event);
}

bool QtMenu::chooseByKey(const QKeySequence& pressed)
{
    for (QAction* action : root->actions()) {
        if (action->isSeparator() || action->shortcut() != pressed || !action->isEnabled()) {
            continue;
        }
        // The menu closes first, as it does for a click, then the item's action runs.
        for (QMenu* submenu : root->findChildren<QMenu*>()) {
            submenu->hide();
        }
        root->hide();
        action->trigger();
        return true;
    }
    return false;
}

} // namespace halomark::qt
