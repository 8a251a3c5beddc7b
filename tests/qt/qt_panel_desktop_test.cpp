// The overlay panels on a real X server with a window manager, with and without a compositor:
// clicks go through click-through panels to the window below without changing the active
// window, a panel that takes the mouse takes it, the veil blends over a window, and without a
// compositor nothing hides the screen.
#include "desktop.h"
#include "event_loop.h"

#include "focus/focus_cue_dimming_view.h"
#include "locator/appearance_settings.h"
#include "locator/ring_animation_view.h"
#include "platform/panel_configuration.h"
#include "qt/qt_main_loop.h"
#include "qt/qt_panel.h"
#include "selection/range_selection_capture_view.h"
#include "sim/sim_screen_list.h"
#include "sim/sim_settings_store.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace halomark::qt {
namespace {

// Windows on the shared X desktop can take longer to settle than offscreen ones.
bool runEventsUntil(const std::function<bool()>& condition, int limitMilliseconds = 5000)
{
    return testing::runEventsUntil(condition, limitMilliseconds);
}

using x11::testing::desktopScript;

void runEventsFor(int milliseconds)
{
    QEventLoop events;
    QTimer::singleShot(milliseconds, &events, &QEventLoop::quit);
    events.exec();
}

// Runs a command to its end and returns what it printed; the event loop goes on meanwhile.
QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QString activeWindow()
{
    const QString text = run(QStringLiteral("xprop"), {"-root", "_NET_ACTIVE_WINDOW"});
    const auto match = QRegularExpression(QStringLiteral("0x[0-9a-f]+")).match(text);
    return match.hasMatch() ? match.captured(0) : QString();
}

bool nearColor(const QColor& actual, const QColor& expected, int tolerance)
{
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

std::string describe(const QColor& c)
{
    return std::to_string(c.red()) + "," + std::to_string(c.green()) + "," +
           std::to_string(c.blue());
}

// An xterm painted all blue that writes every mouse report it gets to a file: the terminal is
// told to report presses (mode 1000), and cat copies what arrives.
class TargetWindow
{
public:
    TargetWindow()
    {
        recordPath = folder.filePath(QStringLiteral("clicks"));
        const QString script =
            QStringLiteral("printf '\\033[?1000h'; stty raw -echo; exec cat > '%1'")
                .arg(recordPath);
        process.start(QStringLiteral("xterm"),
                      {"-T", "halomark-qt-target", "-bg", "blue", "-fg", "blue", "-cr", "blue",
                       "-geometry", "60x20+700+150", "-e", "sh", "-c", script});
    }
    ~TargetWindow()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate(); // by its pid
            if (!process.waitForFinished(3000)) {
                process.kill();
                process.waitForFinished(3000);
            }
        }
    }
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    // Waits for the window, reads its place on the screen and makes it the active window.
    bool ready()
    {
        for (int i = 0; i < 100 && id.isEmpty(); ++i) {
            id = run(QStringLiteral("xdotool"), {"search", "--name", "^halomark-qt-target$"})
                     .split('\n', Qt::SkipEmptyParts)
                     .value(0);
            if (id.isEmpty()) {
                runEventsFor(50);
            }
        }
        if (id.isEmpty()) {
            return false;
        }
        const QString info = run(QStringLiteral("xwininfo"), {"-id", id});
        const auto value = [&](const char* label) {
            const auto m =
                QRegularExpression(QString::fromLatin1(label) + QStringLiteral(":\\s+(-?\\d+)"))
                    .match(info);
            return m.hasMatch() ? m.captured(1).toInt() : -1;
        };
        rect = QRect(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
                     value("Height"));
        run(QStringLiteral("xdotool"), {"windowactivate", "--sync", id});
        const QString hex = QStringLiteral("0x%1").arg(id.toULongLong(), 0, 16);
        return runEventsUntil([&] { return activeWindow() == hex; }) && rect.width() > 100;
    }

    QByteArray clicks() const
    {
        QFile file(recordPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QRect rect; // top-left X coordinates of the terminal's area

private:
    QTemporaryDir folder;
    QString recordPath;
    QProcess process;
    QString id;
};

class QtPanelDesktopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The fixture's two monitors; the panel's strut takes 30 pixels off the left one.
        Screen left =
            sim::SimScreenList::makeScreen(1, {0, 0, 1280, 800}, 1.0, Rect{0, 30, 1280, 770});
        Screen right =
            sim::SimScreenList::makeScreen(2, {1280, 0, 1280, 800}, 1.0, Rect{1280, 0, 1280, 800});
        screens.setScreens({left, right});
        ASSERT_TRUE(target.ready()) << "the target xterm did not come up";
        QDir().mkpath(QStringLiteral(HALOMARK_SCREENSHOT_DIR));
    }

    std::shared_ptr<QtPanel> make(const PanelConfiguration& configuration)
    {
        auto panel = std::dynamic_pointer_cast<QtPanel>(factory.makePanel(configuration));
        applyPanelSettings(*panel, configuration);
        return panel;
    }

    // A veil over the left monitor's usable area with its hole over the right half of the
    // target window.
    std::shared_ptr<QtPanel> showVeil()
    {
        auto veil = make(veilPanelConfiguration(screens.screens()[0]));
        auto view = std::make_shared<FocusCueDimmingView>(Rect{0, 0, 1280, 770}, [] { return 14; });
        const QRect r = target.rect;
        // View coordinates: bottom-left of the 770-point-high area that starts 30 points up.
        view->holeFrame = Rect{
            static_cast<double>(r.center().x()), static_cast<double>(800 - r.bottom() - 1 - 30),
            static_cast<double>(r.right() + 1 - r.center().x()), static_cast<double>(r.height())};
        view->setWindow(veil);
        veil->setContentView(view);
        veil->orderFrontRegardless();
        veilView = view;
        return veil;
    }

    QImage screenshot(const QString& name)
    {
        const QString path = QStringLiteral(HALOMARK_SCREENSHOT_DIR "/%1.png").arg(name);
        run(QStringLiteral("import"), {"-window", "root", "-depth", "8", path});
        return QImage(path).convertToFormat(QImage::Format_RGB32);
    }

    void click(QPoint at)
    {
        run(QStringLiteral("xdotool"),
            {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    }

    // Clicks on the veil just left of its hole, over the target, reach the target; the active
    // window stays; the selection panel then takes a press there and the target gets nothing.
    void checkClicksPassThroughAndAreTaken()
    {
        const Screen left = screens.screens()[0];
        const QString active = activeWindow();
        auto veil = showVeil();
        auto ring = make(ringPanelConfiguration(left)); // a click-through panel over everything
        ring->setContentView(std::make_shared<OverlayView>(Rect{0, 0, 1280, 800}));
        ring->orderFrontRegardless();
        runEventsFor(300);

        // On the veil just left of the hole: without a compositor that is the veil's frame.
        const QPoint onVeil(target.rect.center().x() + 1, target.rect.center().y());
        if (veil->showsOutlineOnly()) {
            ASSERT_TRUE(
                veil->outlineShape().contains(onVeil - veil->widget()->geometry().topLeft()));
        }
        click(onVeil);
        EXPECT_TRUE(runEventsUntil([&] { return target.clicks().contains("\x1b[M"); }))
            << "the click did not reach the window below";
        EXPECT_EQ(activeWindow(), active);

        auto selection = make(selectionPanelConfiguration(left));
        auto view = std::make_shared<RangeSelectionCaptureView>(Rect{0, 0, 1280, 800}, settings);
        bool finished = false;
        view->onSelectionFinished = [&](bool) { finished = true; };
        selection->setContentView(view);
        selection->orderFrontRegardless();
        runEventsFor(300);
        const QByteArray before = target.clicks();
        run(QStringLiteral("xdotool"), {"mousemove", "300", "300", "mousedown", "1", "mousemove",
                                        "400", "350", "mouseup", "1"});
        EXPECT_TRUE(runEventsUntil([&] { return finished; }))
            << "the selection panel took no press";
        EXPECT_EQ(view->startPoint(), (Point{300, 500}));
        runEventsFor(200);
        EXPECT_EQ(target.clicks(), before) << "a click went through the selection panel";
        EXPECT_EQ(activeWindow(), active);
    }

    TargetWindow target;
    QtMainLoop loop;
    sim::SimScreenList screens;
    QtPanelFactory factory{loop, screens};
    sim::SimSettingsStore store;
    AppearanceSettings settings{store};
    std::shared_ptr<FocusCueDimmingView> veilView;
};

TEST_F(QtPanelDesktopTest, WithACompositorClicksPassAndTheVeilBlendsOverTheWindow)
{
    ASSERT_TRUE(desktopScript("compositor-start"));
    factory.setCompositorActive(true);

    auto veil = showVeil();
    const QPoint veiled(target.rect.left() + 40, target.rect.center().y());
    const QPoint inHole(target.rect.right() - 40, target.rect.center().y());
    // The compositor takes a moment to compose its first frames after it starts, and the
    // veil to show: look until the screen settles on the expected picture or time runs out.
    QImage shot;
    runEventsUntil(
        [&] {
            shot = screenshot(QStringLiteral("composited-veil"));
            return nearColor(shot.pixelColor(veiled), QColor(128, 128, 255), 6) &&
                   nearColor(shot.pixelColor(inHole), QColor(0, 0, 255), 2);
        },
        10000);
    EXPECT_TRUE(nearColor(shot.pixelColor(veiled), QColor(128, 128, 255), 6))
        << describe(shot.pixelColor(veiled));
    EXPECT_TRUE(nearColor(shot.pixelColor(inHole), QColor(0, 0, 255), 2))
        << describe(shot.pixelColor(inHole));
    veil->orderOut();
    veil.reset();

    checkClicksPassThroughAndAreTaken();
    EXPECT_TRUE(desktopScript("compositor-stop"));
}

TEST_F(QtPanelDesktopTest, WithoutACompositorNothingHidesTheScreenAndClicksStillPass)
{
    ASSERT_TRUE(desktopScript("compositor-stop"));
    factory.setCompositorActive(false);
    // Once the compositor is gone the windows repaint themselves: wait for a settled screen.
    QImage before = screenshot(QStringLiteral("uncomposited-before"));
    runEventsUntil(
        [&] {
            runEventsFor(100);
            QImage again = screenshot(QStringLiteral("uncomposited-before"));
            std::swap(before, again);
            return before == again;
        },
        10000);

    // The veil and a ring in the middle of the target window.
    auto veil = showVeil();
    auto ring = make(ringPanelConfiguration(screens.screens()[0]));
    auto rings = std::make_shared<RingAnimationView>(Rect{0, 0, 1280, 800}, loop, settings);
    ring->setContentView(rings);
    ring->orderFrontRegardless();
    const QPoint centre(target.rect.left() + 120, target.rect.center().y());
    bool ringDone = false;
    rings->animate({static_cast<double>(centre.x()), static_cast<double>(800 - centre.y())},
                   [&] { ringDone = true; });
    runEventsFor(200);
    const QImage during = screenshot(QStringLiteral("uncomposited-veil-and-ring"));

    // Only a few pixels changed: the veil's frame and the ring's strokes.
    qint64 changed = 0;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            changed += before.pixel(x, y) != during.pixel(x, y);
        }
    }
    EXPECT_LT(changed, qint64{before.width()} * before.height() / 100) << changed;
    // The window stays visible next to the frame, in the hole and inside the ring.
    const QPoint veiled(target.rect.left() + 40, target.rect.bottom() - 20);
    EXPECT_TRUE(nearColor(during.pixelColor(veiled), QColor(0, 0, 255), 0))
        << describe(during.pixelColor(veiled));
    EXPECT_TRUE(nearColor(during.pixelColor(target.rect.right() - 40, target.rect.center().y()),
                          QColor(0, 0, 255), 0));
    EXPECT_TRUE(nearColor(during.pixelColor(centre), QColor(0, 0, 255), 0));
    // The frame left of the hole is opaque white.
    const QPoint frame(target.rect.center().x() + 1, target.rect.center().y());
    EXPECT_TRUE(nearColor(during.pixelColor(frame), QColor(255, 255, 255), 0))
        << describe(during.pixelColor(frame));
    ASSERT_TRUE(runEventsUntil([&] { return ringDone; }));
    veil->orderOut();
    ring->orderOut();
    veil.reset();
    ring.reset();
    runEventsFor(200);

    // The armed selection panel shows nothing at all.
    auto selection = make(selectionPanelConfiguration(screens.screens()[0]));
    selection->setContentView(
        std::make_shared<RangeSelectionCaptureView>(Rect{0, 0, 1280, 800}, settings));
    selection->orderFrontRegardless();
    runEventsFor(300);
    const QImage armed = screenshot(QStringLiteral("uncomposited-armed-selection"));
    EXPECT_EQ(armed, before);
    selection->orderOut();
    selection.reset();

    checkClicksPassThroughAndAreTaken();
}

} // namespace
} // namespace halomark::qt
