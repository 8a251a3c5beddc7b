#include "end_to_end_test.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace halomark::e2e {

void EndToEndTest::SetUp()
{
    if (const auto problem = x11::testing::loadDesktopEnvironment()) {
        GTEST_FAIL() << *problem;
    }
    ASSERT_TRUE(std::filesystem::exists(halomarkExecutable()))
        << halomarkExecutable() << " is missing; build the desktop preset first";
    screen = std::make_unique<DesktopScreen>();
    ASSERT_TRUE(screen->isConnected()) << screen->xcb().errorDescription();
    folder = std::make_unique<TemporaryFolder>();
    ASSERT_FALSE(folder->path().empty());
    std::error_code ignored;
    std::filesystem::remove(artifactPath("failure"), ignored); // from an earlier run
    compositorAtStart = screen->isCompositing();
}

void EndToEndTest::TearDown()
{
    input.releaseAll();
    if (HasFailure() && screen) {
        const auto shot = saveArtifact("failure");
        std::cerr << "screenshot of the failure: " << shot.string() << "\n";
        if (halomark) {
            std::cerr << "halomark's output:\n" << halomark->log() << "\n";
        }
    }
    halomark.reset();
    terminals.clear();
    if (compositorAtStart && screen && screen->isCompositing() != *compositorAtStart) {
        x11::testing::desktopScript(*compositorAtStart ? "compositor-start" : "compositor-stop");
    }
    folder.reset();
}

void EndToEndTest::useCompositor(bool on)
{
    if (screen->isCompositing() == on) {
        return;
    }
    ASSERT_TRUE(x11::testing::desktopScript(on ? "compositor-start" : "compositor-stop"));
    ASSERT_TRUE(waitUntil([&] { return screen->isCompositing() == on; }, 5s));
    waitForSettledScreen();
}

void EndToEndTest::waitForSettledScreen()
{
    const PixelRect all{0, 0, kRightMonitor.right(), kRightMonitor.bottom()};
    Image last = screen->grab(all);
    const bool settled = waitUntil(
        [&] {
            Image now = screen->grab(all);
            const bool same = now.differingPixels(last) == 0;
            last = std::move(now);
            return same;
        },
        3s);
    EXPECT_TRUE(settled) << "the screen kept changing";
}

BlueTerminal& EndToEndTest::addTerminal(const std::string& title, int x, int y)
{
    terminals.push_back(std::make_unique<BlueTerminal>(*screen, folder->path(), title, x, y));
    BlueTerminal& terminal = *terminals.back();
    EXPECT_TRUE(terminal.waitForWindow()) << "the terminal " << title << " did not come up";
    waitForSettledScreen();
    return terminal;
}

HalomarkProgram& EndToEndTest::launch(const std::map<std::string, std::string>& settings)
{
    halomark = std::make_unique<HalomarkProgram>(*screen, folder->path() / "config");
    if (!settings.empty()) {
        halomark->presetSettings(settings);
    }
    EXPECT_TRUE(halomark->start()) << "halomark did not start:\n" << halomark->log();
    return *halomark;
}

void EndToEndTest::expectCleanExit(const std::string& how)
{
    const pid_t pid = halomark->process().pid();
    const auto status = halomark->process().waitForExit(10s);
    ASSERT_TRUE(status) << "the program still runs after " << how;
    EXPECT_TRUE(exitedWith(status, 0)) << how << ": wait status " << *status;
    const auto windowsLeft = [&] {
        std::string left;
        for (const TopLevelWindow& window : screen->topLevelWindows()) {
            if (window.pid == static_cast<std::uint32_t>(pid)) {
                left += " " + describe(window.rect);
            }
        }
        for (const PixelRect& rect : screen->embeddedWindowsOf(pid, false)) {
            left += " embedded " + describe(rect);
        }
        return left;
    };
    // The server lets go of the windows of a closed connection a moment after the exit.
    EXPECT_TRUE(waitUntil([&] { return windowsLeft().empty(); }, 2s))
        << how << ": windows left:" << windowsLeft();
    EXPECT_EQ(halomark->log().find("rror"), std::string::npos) << how << ": " << halomark->log();
}

std::filesystem::path EndToEndTest::artifactPath(const std::string& suffix)
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(test->test_suite_name()) + "." + test->name();
    return std::filesystem::path(HALOMARK_E2E_ARTIFACTS) / (name + "." + suffix + ".png");
}

std::filesystem::path EndToEndTest::saveArtifact(const std::string& suffix)
{
    const auto path = artifactPath(suffix);
    saveScreenshot(path);
    return path;
}

void EndToEndTest::tapSuper(std::chrono::milliseconds hold)
{
    ASSERT_TRUE(input.pressKey("Super_L"));
    x11::testing::hold(hold);
    ASSERT_TRUE(input.releaseKey("Super_L"));
}

RingMeasure measureRing(const Image& image, int centerX, int centerY,
                        const std::function<bool(const Rgb&)>& isCue)
{
    RingMeasure measure;
    std::vector<double> distances;
    double sumX = 0;
    double sumY = 0;
    const PixelRect& area = image.area();
    for (int y = area.y; y < area.bottom(); ++y) {
        for (int x = area.x; x < area.right(); ++x) {
            if (isCue(image.at(x, y))) {
                // Pixel centres, as the ring is drawn about the pointer's pixel centre.
                distances.push_back(std::hypot(x - centerX, y - centerY));
                sumX += x;
                sumY += y;
            }
        }
    }
    measure.cuePixels = static_cast<int>(distances.size());
    if (!distances.empty()) {
        auto middle = distances.begin() + static_cast<std::ptrdiff_t>(distances.size() / 2);
        std::nth_element(distances.begin(), middle, distances.end());
        measure.radius = *middle;
        measure.centerX = sumX / static_cast<double>(distances.size());
        measure.centerY = sumY / static_cast<double>(distances.size());
    }
    return measure;
}

bool isWhiteStroke(const Rgb& c)
{
    // Whiter than a veil over the blue terminal (128, 128, 255): the stroke, also where it
    // covers a pixel only in part.
    return c.red > 140 && c.green > 140 && c.blue > 200;
}

bool isDarkOutline(const Rgb& c)
{
    // Darker than the terminal's blue without turning grey towards the white stroke.
    return c.red < 90 && c.green < 90 && c.blue < 200;
}

bool isRedStroke(const Rgb& c)
{
    // Also where the stroke is mixed with its white outline at the edges of a pixel.
    return c.red > 180 && c.red - c.green > 90 && c.red - c.blue > 90;
}

bool isWhiteOutline(const Rgb& c)
{
    // White over the terminal's blue, wholly or in part: grey-blue, lighter than the blue.
    return c.red >= 30 && std::abs(c.red - c.green) <= 30 && c.blue >= 150;
}

} // namespace halomark::e2e
