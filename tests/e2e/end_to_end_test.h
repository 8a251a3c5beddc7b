// The base of every end-to-end test: the running test desktop, a fresh folder (the program's
// settings folder among others), blue terminals placed where a test wants them, the program
// itself, keys and buttons released whatever happens, the compositor put back as it was, and,
// when a test fails, a screenshot and the program's output next to the test log.
#pragma once

#include "desktop.h"
#include "e2e_desktop.h"
#include "halomark_program.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace halomark::e2e {

// Where the two blue terminals of most tests go: the top-left corners of their frames, on the
// left and on the right monitor, clear of the fixture's own terminals and of each other, with
// bare desktop around them.
inline constexpr int kTerminalY = 300;
inline constexpr int kLeftTerminalX = 700;
inline constexpr int kRightTerminalX = 1980;
// Bare desktop on each monitor, away from every window the tests place.
inline constexpr int kDesktopSampleY = 700;
inline constexpr int kLeftDesktopSampleX = 300;
inline constexpr int kRightDesktopSampleX = 1580;

class EndToEndTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts or stops the compositor for this test and waits for a settled screen; TearDown
    // puts it back as it was.
    void useCompositor(bool on);

    // Waits until the screen has stopped changing (a compositor's first frames, a terminal's
    // first paint), so that what a test reads next is a stable picture.
    void waitForSettledScreen();

    // A blue terminal whose frame's top-left corner is at (x, y), once it is mapped.
    BlueTerminal& addTerminal(const std::string& title, int x, int y);

    // Starts the program with these settings written first (key to JSON value).
    HalomarkProgram& launch(const std::map<std::string, std::string>& settings = {});

    // Waits for the program to end after `how` (named in the failures) and checks that it
    // exited with status 0 without reporting an error and that no window of it is left: no
    // overlay, no menu, no tray icon.
    void expectCleanExit(const std::string& how);

    // Saves the screen next to the test log under the test's name and the given suffix.
    std::filesystem::path saveArtifact(const std::string& suffix);
    std::filesystem::path artifactPath(const std::string& suffix);

    // Holds Super as a person taps it: down, the given time, up.
    void tapSuper(std::chrono::milliseconds hold = 80ms);

    std::unique_ptr<DesktopScreen> screen;
    std::unique_ptr<TemporaryFolder> folder;
    std::vector<std::unique_ptr<BlueTerminal>> terminals;
    std::unique_ptr<HalomarkProgram> halomark;
    x11::testing::HeldInput input;

private:
    std::optional<bool> compositorAtStart;
};

// Pixels of a ring in a square around a centre: how many pixels have the cue colour, and the
// median of their distances from the centre, which is the ring's radius.
struct RingMeasure
{
    double seconds = 0; // since the moment the watch started
    int cuePixels = 0;
    double radius = 0;
    double centerX = 0;
    double centerY = 0;
};

RingMeasure measureRing(const Image& image, int centerX, int centerY,
                        const std::function<bool(const Rgb&)>& isCue);

// Cue-colour tests for the two colours the tests use: the default white ring (stroked over a
// blue terminal) and the red one.
bool isWhiteStroke(const Rgb& color);
bool isDarkOutline(const Rgb& color);
bool isRedStroke(const Rgb& color);
bool isWhiteOutline(const Rgb& color);

} // namespace halomark::e2e
