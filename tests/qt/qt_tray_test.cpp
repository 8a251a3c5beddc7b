// The tray and what it opens: the core's menu shown as a QMenu with the Quit shortcut, refilled
// only after the core changed the menu and never while a choice runs (marks, states and choices
// are the tray's scenario over D-Bus); the modal alert; and the colour panel.
#include "qt/qt_alerts.h"
#include "qt/qt_color_panel.h"
#include "qt/qt_menu.h"

#include "qt_testing.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace halomark::qt {
namespace {

using testing::runEventsUntil;

class RecordingTarget final : public MenuActionTarget
{
public:
    void performMenuAction(const MenuItem& sender) override
    {
        chosen.push_back(sender);
        onChoice();
    }
    std::vector<MenuItem> chosen;
    std::function<void()> onChoice = [] {};
};

MenuItem entry(const std::shared_ptr<RecordingTarget>& target, std::string title, MenuAction action,
               bool on = false, bool enabled = true, std::shared_ptr<Menu> submenu = nullptr)
{
    MenuItem item;
    item.title = std::move(title);
    item.action = action;
    item.target = target;
    item.state = on ? MenuItemState::on : MenuItemState::off;
    item.enabled = enabled;
    item.submenu = std::move(submenu);
    item.keyEquivalent = action == MenuAction::quit ? "q" : "";
    return item;
}

TEST(QtMenu, ControlQChoosesAnEnabledQuitAndTheMenuIsRefilledAfterAChangeOnceNoChoiceRuns)
{
    auto target = std::make_shared<RecordingTarget>();
    auto submenu = std::make_shared<Menu>("Language");
    submenu->addItem(entry(target, "Deutsch", MenuAction::selectLanguage));
    auto core = std::make_shared<Menu>();
    core->addItem(entry(target, "Language", MenuAction::selectLanguage, false, true, submenu));
    core->addItem(entry(target, "Quit Halomark", MenuAction::quit));
    QtMenu shown(core);
    QMenu* menu = shown.qMenu();
    QMenu* languages = menu->actions()[0]->menu<QMenu*>();
    auto disabledCore = std::make_shared<Menu>();
    disabledCore->addItem(entry(target, "Quit Halomark", MenuAction::quit, false, false));
    QtMenu disabled(disabledCore);
    // The menu open, the one that gets the key, the key, the choices made so far, whether both
    // menus close.
    using Case = std::tuple<QMenu*, QMenu*, Qt::Key, Qt::KeyboardModifiers, std::size_t, bool>;
    for (const auto& [open, receiver, key, modifiers, chosen, closes] : std::vector<Case>{
             {menu, menu, Qt::Key_Q, Qt::NoModifier, 0, false},      // Q alone is no shortcut
             {menu, menu, Qt::Key_W, Qt::ControlModifier, 0, false}, // nor another Control key
             {menu, languages, Qt::Key_Q, Qt::ControlModifier, 1, true},
             {disabled.qMenu(), disabled.qMenu(), Qt::Key_Q, Qt::ControlModifier, 1, false},
         }) {
        open->popup(QPoint(10, 10));
        if (receiver != open) {
            receiver->popup(QPoint(200, 10));
        }
        ASSERT_TRUE(runEventsUntil([&] { return receiver->isVisible(); }));
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(receiver, &press);
        ASSERT_EQ(target->chosen.size(), chosen);
        EXPECT_TRUE(!closes || target->chosen.back().action == MenuAction::quit);
        EXPECT_EQ(std::pair(open->isVisible(), receiver->isVisible()), std::pair(!closes, !closes));
        receiver->hide();
        open->hide();
    }

    // A choice whose target changes the menu (a submenu alone) and runs a nested loop, as an
    // alert does: the chosen QAction outlives it, and the menu is refilled as titled when the
    // loop next waits, and then only after another change.
    target->onChoice = [&] {
        submenu->addItem(entry(target, "Fran & Co", MenuAction::selectLanguage));
        testing::runEventsFor(20);
    };
    const QPointer<QAction> chosen = menu->actions()[1];
    chosen->trigger();
    ASSERT_FALSE(chosen.isNull()) << "refilled while the choice ran";
    EXPECT_TRUE(runEventsUntil([&] { return chosen.isNull(); }));
    EXPECT_EQ(menu->actions()[0]->menu<QMenu*>()->actions()[1]->iconText(), "Fran & Co");
    const QPointer<QAction> kept = menu->actions()[1];
    testing::runEventsFor(20);
    EXPECT_FALSE(kept.isNull()) << "refilled without a change";
}

// The buttons' texts as the user sees them, left to right, and the one at an index.
QStringList buttonTexts(QMessageBox& box, int index = -1)
{
    QList<QAbstractButton*> buttons = box.buttons();
    std::sort(buttons.begin(), buttons.end(), [](QAbstractButton* a, QAbstractButton* b) {
        return a->mapToGlobal(QPoint(0, 0)).x() < b->mapToGlobal(QPoint(0, 0)).x();
    });
    QStringList texts;
    for (QAbstractButton* button : buttons) {
        texts << button->text();
    }
    if (index >= 0) {
        buttons.at(index)->click();
    }
    return texts;
}

TEST(QtAlerts, ShowsTheAlertAndAnswersWithOneThousandPlusTheIndexOfTheButtonClicked)
{
    QtAlerts alerts;
    const std::pair<AlertStyle, QMessageBox::Icon> styles[] = {
        {AlertStyle::informational, QMessageBox::Information},
        {AlertStyle::critical, QMessageBox::Critical},
        {AlertStyle::warning, QMessageBox::Warning}};
    for (int index = 0; index < 3; ++index) {
        alerts.setShownHandler([&](QMessageBox& box) {
            EXPECT_EQ(std::tuple(box.isVisible(), box.icon(), box.windowModality(),
                                 box.windowFlags().testFlag(Qt::WindowStaysOnTopHint)),
                      std::tuple(true, styles[index].second, Qt::ApplicationModal, true));
            EXPECT_EQ(QStringList({box.windowTitle(), box.text(), box.informativeText(),
                                   box.defaultButton() ? box.defaultButton()->text() : ""}),
                      QStringList({"Halomark", "Title", "Message", "Open"}));
            EXPECT_EQ(buttonTexts(box, index), (QStringList{"Open", "Later", "Close"}));
        });
        EXPECT_EQ(alerts.runModal(
                      Alert{"Title", "Message", styles[index].first, {"Open", "Later", "Close"}}),
                  1000 + index);
    }

    // Leaving must never open the page: Escape and closing answer with the last button.
    alerts.setShownHandler([](QMessageBox& box) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&box, &escape);
    });
    const Alert three{"Title", "Message", AlertStyle::informational, {"Open", "Later", "Close"}};
    EXPECT_EQ(alerts.runModal(three), 1002);
    EXPECT_EQ(alerts.runModal(Alert{"About", "m", AlertStyle::informational, {"OK"}}), 1000);
    alerts.setShownHandler([](QMessageBox& box) { box.close(); });
    EXPECT_EQ(alerts.runModal(three), 1002);
}

class RecordingColorTarget final : public ColorPanelTarget
{
public:
    void customColorChanged(ColorPanel& sender) override { reported.push_back(sender.color()); }
    std::vector<Color> reported;
};

bool near(const Color& a, const Color& b)
{
    return std::abs(a.red - b.red) < 1e-3 && std::abs(a.green - b.green) < 1e-3 &&
           std::abs(a.blue - b.blue) < 1e-3 && std::abs(a.alpha - b.alpha) < 1e-3;
}

TEST(QtColorPanel, ColoursCrossOverAndWhileContinuousEveryUserChangeIsReportedElseTheLast)
{
    {
        QtColorPanel panel;
        panel.setColor(Color::white(0.6)); // survives the dialog's eight bits exactly
        EXPECT_DOUBLE_EQ(panel.color().red, 0.6) << "read back to double, not through float";
        EXPECT_TRUE(near(panel.color(), Color::sRGB(0.6, 0.6, 0.6)));
        panel.setColor(Color::calibratedRGB(1.0, 0.0, 0.2));
        EXPECT_TRUE(near(panel.color(), Color::sRGB(1.0, 0.0, 0.2)));
        panel.setColor(Color::patternColor()); // ignored
        EXPECT_TRUE(near(panel.color(), Color::sRGB(1.0, 0.0, 0.2)));
    }
    for (const bool continuous : {true, false}) {
        SCOPED_TRACE(continuous);
        QtColorPanel panel;
        auto target = std::make_shared<RecordingColorTarget>();
        panel.setContinuous(continuous);
        panel.setColor(Color::deviceRGB(0.2, 0.4, 0.8)); // set by the program: not reported
        panel.setTarget(target);
        panel.orderFront();
        EXPECT_EQ(panel.dialog().windowModality(), Qt::NonModal);
        EXPECT_TRUE(near(panel.color(), Color::sRGB(0.2, 0.4, 0.8)));
        // What the user's drag in the dialog does.
        for (const QColor& color : {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)}) {
            panel.dialog().setCurrentColor(color);
        }
        EXPECT_EQ(target->reported.size(), continuous ? 3u : 0u);
        panel.dialog().close();
        ASSERT_EQ(target->reported.size(), continuous ? 3u : 1u);
        EXPECT_TRUE(near(target->reported.back(), Color::sRGB(0, 0, 1)));
        EXPECT_EQ(target->reported.back().space, ColorSpace::sRGB);
        // Opened and closed again without a change: nothing; a target that has gone hears
        // nothing, and nothing breaks.
        panel.orderFront();
        panel.dialog().close();
        EXPECT_EQ(target->reported.size(), continuous ? 3u : 1u);
        target.reset();
        panel.orderFront();
        panel.dialog().setCurrentColor(QColor(9, 9, 9));
        panel.dialog().close();
    }
}

} // namespace
} // namespace halomark::qt
