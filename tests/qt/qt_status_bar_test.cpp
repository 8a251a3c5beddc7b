#include "qt/qt_status_bar.h"
#include "qt/qt_status_icon.h"

#include "event_loop.h"

#include <QColor>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPointer>

#include <gtest/gtest.h>

#include <memory>

namespace halomark::qt {
namespace {

using testing::runEventsUntil;

std::shared_ptr<Menu> menuWith(const std::string& title)
{
    auto menu = std::make_shared<Menu>();
    MenuItem item;
    item.title = title;
    menu->addItem(item);
    return menu;
}

TEST(QtStatusItem, ShowsThePictureTheTooltipAndTheMenuOnEitherClick)
{
    QtStatusBar bar;
    auto item = std::dynamic_pointer_cast<QtStatusItem>(bar.statusItem(StatusBar::squareLength));
    ASSERT_NE(item, nullptr);
    ASSERT_NE(item->button(), nullptr) << "a tray icon always has a picture and a tooltip";
    EXPECT_FALSE(item->trayIcon().icon().isNull()) << "never an empty cell, even before setImage";

    // Until a tooltip is set, the description is the text the icon offers.
    item->button()->setImage("cursorarrow.rays", "Halomark");
    EXPECT_FALSE(item->trayIcon().icon().isNull());
    EXPECT_EQ(item->trayIcon().toolTip(), "Halomark");
    item->button()->setToolTip("Halomark tooltip");
    EXPECT_EQ(item->trayIcon().toolTip(), "Halomark tooltip");
    // A symbol the icon theme lacks falls back to the drawn picture.
    item->button()->setImage("no.such.symbol", "Halomark");
    EXPECT_FALSE(item->trayIcon().icon().isNull());
    EXPECT_EQ(item->trayIcon().toolTip(), "Halomark tooltip");

    EXPECT_EQ(item->menu(), nullptr);
    EXPECT_EQ(item->trayIcon().contextMenu(), nullptr);
    auto first = menuWith("First");
    item->setMenu(first);
    EXPECT_EQ(item->menu(), first);
    ASSERT_NE(item->qtMenu(), nullptr);
    QPointer<QMenu> firstShown = item->trayIcon().contextMenu();
    EXPECT_EQ(firstShown.data(), item->qtMenu()->qMenu()) << "the right click's menu";

    // A left click opens the same menu.
    emit item->trayIcon().activated(QSystemTrayIcon::Trigger);
    ASSERT_TRUE(runEventsUntil([&] { return firstShown && firstShown->isVisible(); }));
    firstShown->hide();
    // Other reasons leave it to the tray (the right click) or do nothing.
    emit item->trayIcon().activated(QSystemTrayIcon::MiddleClick);
    EXPECT_FALSE(firstShown->isVisible());

    // A new menu replaces the old one everywhere, and the old QMenu goes.
    auto second = menuWith("Second");
    item->setMenu(second);
    EXPECT_EQ(item->menu(), second);
    EXPECT_TRUE(firstShown.isNull());
    ASSERT_NE(item->trayIcon().contextMenu(), nullptr);
    EXPECT_EQ(item->trayIcon().contextMenu()->actions().at(0)->text(), "Second");
}

// Counts the pixels of the picture, laid over a background of one grey, that differ from the
// background by at least a third of the range.
int contrastingPixels(const QImage& picture, int background)
{
    QImage over(picture.size(), QImage::Format_RGB32);
    over.fill(QColor(background, background, background));
    QPainter painter(&over);
    painter.drawImage(0, 0, picture);
    painter.end();
    int count = 0;
    for (int y = 0; y < over.height(); ++y) {
        for (int x = 0; x < over.width(); ++x) {
            if (std::abs(qGray(over.pixel(x, y)) - background) >= 85) {
                ++count;
            }
        }
    }
    return count;
}

TEST(QtStatusIcon, ThePictureStandsOutOnLightAndDarkPanelsAtEverySize)
{
    for (int size : {16, 22, 24, 32, 48}) {
        SCOPED_TRACE(size);
        const QImage picture = pointerWithRaysImage(size);
        ASSERT_EQ(picture.size(), QSize(size, size));
        const int area = size * size;
        for (int background : {0, 60, 128, 200, 255}) {
            SCOPED_TRACE(background);
            // A tenth of the cell or more stands out whatever the panel's shade.
            EXPECT_GE(contrastingPixels(picture, background) * 10, area);
        }
        // The arrow's body is solid white somewhere, its outline solid black somewhere.
        bool white = false;
        bool black = false;
        int transparentCorners = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QColor c = picture.pixelColor(x, y);
                white = white || (c.alpha() == 255 && qGray(c.rgb()) >= 250);
                black = black || (c.alpha() == 255 && qGray(c.rgb()) <= 5);
            }
        }
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1), QPoint(size - 1, size - 1)}) {
            transparentCorners += picture.pixelColor(corner).alpha() == 0 ? 1 : 0;
        }
        EXPECT_TRUE(white);
        EXPECT_TRUE(black);
        EXPECT_EQ(transparentCorners, 4) << "the picture stays inside its cell";
    }
    const QIcon icon = pointerWithRaysIcon();
    EXPECT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16)));
    EXPECT_TRUE(icon.availableSizes().contains(QSize(48, 48)));
}

} // namespace
} // namespace halomark::qt
