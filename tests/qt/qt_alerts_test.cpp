#include "qt/qt_alerts.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace halomark::qt {
namespace {

// The buttons as the user sees them, left to right.
std::vector<QAbstractButton*> buttonsLeftToRight(QMessageBox& box)
{
    std::vector<QAbstractButton*> buttons;
    for (QAbstractButton* button : box.buttons()) {
        buttons.push_back(button);
    }
    std::sort(buttons.begin(), buttons.end(), [](QAbstractButton* a, QAbstractButton* b) {
        return a->mapToGlobal(QPoint(0, 0)).x() < b->mapToGlobal(QPoint(0, 0)).x();
    });
    return buttons;
}

const Alert kThreeButtons{"Title text",
                          "Message text",
                          AlertStyle::informational,
                          {"Open Web Version", "Later", "Close"}};

TEST(QtAlerts, AnswersWithOneThousandPlusTheIndexOfTheButtonClicked)
{
    for (int index = 0; index < 3; ++index) {
        SCOPED_TRACE(index);
        QtAlerts alerts;
        int shown = 0;
        alerts.setShownHandler([&](QMessageBox& box) {
            ++shown;
            buttonsLeftToRight(box).at(static_cast<std::size_t>(index))->click();
        });
        EXPECT_EQ(alerts.runModal(kThreeButtons), 1000 + index);
        EXPECT_EQ(shown, 1);
    }
}

TEST(QtAlerts, ShowsTitleMessageStyleAndTheButtonsInTheGivenOrderTheFirstBeingTheDefault)
{
    QtAlerts alerts;
    bool checked = false;
    alerts.setShownHandler([&](QMessageBox& box) {
        EXPECT_TRUE(box.isVisible());
        EXPECT_EQ(box.windowTitle(), "Halomark");
        EXPECT_EQ(box.text(), "Title text");
        EXPECT_EQ(box.informativeText(), "Message text");
        EXPECT_EQ(box.icon(), QMessageBox::Information);
        EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
        EXPECT_TRUE(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QStringList order;
        for (QAbstractButton* button : buttonsLeftToRight(box)) {
            order << button->text();
        }
        EXPECT_EQ(order, (QStringList{"Open Web Version", "Later", "Close"}));
        ASSERT_NE(box.defaultButton(), nullptr);
        EXPECT_EQ(box.defaultButton()->text(), "Open Web Version");
        checked = true;
        box.defaultButton()->click();
    });
    EXPECT_EQ(alerts.runModal(kThreeButtons), 1000);
    EXPECT_TRUE(checked);

    for (const auto& [style, icon] : {std::pair{AlertStyle::critical, QMessageBox::Critical},
                                      std::pair{AlertStyle::warning, QMessageBox::Warning}}) {
        alerts.setShownHandler([icon = icon](QMessageBox& box) {
            EXPECT_EQ(box.icon(), icon);
            box.buttons().at(0)->click();
        });
        alerts.runModal(Alert{"t", "m", style, {"OK"}});
    }
}

TEST(QtAlerts, EscapeAndClosingAnswerWithTheOnlyOrTheLastButton)
{
    QtAlerts alerts;
    const auto pressEscape = [](QMessageBox& box) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&box, &escape);
    };
    alerts.setShownHandler(pressEscape);
    EXPECT_EQ(alerts.runModal(
                  Alert{"Privacy", "m", AlertStyle::informational, {"Open Web Version", "Close"}}),
              1001)
        << "leaving must never open the page";
    EXPECT_EQ(alerts.runModal(Alert{"About", "m", AlertStyle::informational, {"OK"}}), 1000);

    alerts.setShownHandler([](QMessageBox& box) { box.close(); });
    EXPECT_EQ(alerts.runModal(kThreeButtons), 1002);
}

} // namespace
} // namespace halomark::qt
