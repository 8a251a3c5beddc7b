#include "focus/frontmost_window_resolver.h"
#include "focus_test_desktop.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace halomark {
namespace {

using namespace focus_test;
namespace R = FrontmostWindowResolver;
namespace attr = accessibility_attributes;
namespace err = accessibility_errors;

TEST(MatchScore, WorkedScoresOfAnAlmostMatchingAndAFarWindow)
{
    const Rect focused{100, 100, 800, 600};
    const R::WindowCandidate near{7, {110, 100, 800, 600}, 2};
    const R::WindowCandidate far{8, {500, 100, 800, 600}, 0};
    // 0.78 * 790/810 + 0.22 * (1 - 20/160) + 0.07
    EXPECT_NEAR(R::matchScore(near, focused), 1.023241, 1e-6);
    EXPECT_NEAR(R::matchScore(far, focused), 0.34, 1e-12);
    EXPECT_EQ(R::bestCandidate({far, near}, focused), near);
    EXPECT_EQ(R::bestCandidate({far}, focused), std::nullopt);
}

TEST(MatchScore, OrderBonusEndsAtIndexSixteenAndTiesGoToTheFront)
{
    const Rect frame{0, 0, 400, 300};
    auto at = [&](std::int64_t index, WindowNumber number = 1) {
        return R::WindowCandidate{number, frame, index};
    };
    EXPECT_DOUBLE_EQ(R::matchScore(at(0), frame), 1.08);
    EXPECT_DOUBLE_EQ(R::matchScore(at(15), frame), 1.005);
    EXPECT_DOUBLE_EQ(R::matchScore(at(16), frame), 1.0);
    EXPECT_DOUBLE_EQ(R::matchScore(at(40), frame), 1.0);
    // Equal scores: the first in list order wins, even when it is the deeper one.
    EXPECT_EQ(R::bestCandidate({at(16, 1), at(17, 2)}, frame)->windowNumber, 1u);
    EXPECT_EQ(R::bestCandidate({at(17, 2), at(16, 1)}, frame)->windowNumber, 2u);
    // A deeper but better match beats a front one.
    const R::WindowCandidate shifted{3, {30, 0, 400, 300}, 0};
    EXPECT_EQ(R::bestCandidate({shifted, at(5, 4)}, frame)->windowNumber, 4u);
}

TEST(MatchScore, AcceptanceIsInclusiveAtTheThreshold)
{
    // Half the union overlaps and the edges are 80 apart: 0.08 + 0.39 + 0.11.
    const Rect focused{0, 0, 120, 100};
    const R::WindowCandidate exact{1, {40, 0, 120, 100}, 0};
    ASSERT_EQ(R::matchScore(exact, focused), R::acceptanceThreshold);
    EXPECT_EQ(R::bestCandidate({exact}, focused), exact);
    const R::WindowCandidate oneDeeper{1, {40, 0, 120, 100}, 1};
    EXPECT_EQ(R::bestCandidate({oneDeeper}, focused), std::nullopt);
    const R::WindowCandidate slightlyFarther{1, {40.01, 0, 120, 100}, 0};
    EXPECT_EQ(R::bestCandidate({slightlyFarther}, focused), std::nullopt);
    // No area to match, or nothing to match against.
    EXPECT_EQ(R::bestCandidate({exact}, {0, 0, 0, 100}), std::nullopt);
    EXPECT_EQ(R::bestCandidate({}, focused), std::nullopt);
}

TEST(FramesNearlyEqual, AQuarterPointInEachMeasureIsTheLimit)
{
    const Rect a{100, 200, 300, 400};
    EXPECT_TRUE(R::framesNearlyEqual(a, {100.25, 199.75, 300.25, 399.75}));
    EXPECT_FALSE(R::framesNearlyEqual(a, {100.26, 200, 300, 400}));
    EXPECT_FALSE(R::framesNearlyEqual(a, {100, 200, 300, 400.26}));
    // maxX may differ by more: width and origin are compared, not the far edges.
    EXPECT_TRUE(R::framesNearlyEqual(a, {100.25, 200, 300.25, 400}));
}

class ResolverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        desktop.open(editorPid, 21, {100, 100, 700, 500});
        desktop.open(editorPid, 22, {300, 250, 700, 500});
        desktop.open(browserPid, 31, {0, 0, 1440, 876}); // in front of both
        desktop.activate(editorPid, 21);
        desktop.windows.raise(22); // 22 is in front, but 21 has focus
    }

    std::optional<FocusCueTarget> resolve() { return R::resolve(desktop.ports(), ownPid); }

    TestDesktop desktop;
};

TEST_F(ResolverTest, TheFocusedWindowIsMatchedInTheListAndReadInOneCopy)
{
    EXPECT_EQ(resolve(), (FocusCueTarget{editorPid, "cg:21", 21, {100, 100, 700, 500}}));
    EXPECT_EQ(desktop.windows.listCopyCount(), 1);
    EXPECT_EQ(desktop.accessibility.applicationElementCount(), 1);
    EXPECT_EQ(desktop.accessibility.attributeReadCount(), 3);

    desktop.accessibility.focusWindow(editorPid, 22);
    EXPECT_EQ(resolve()->windowIdentifier, "cg:22");
}

TEST_F(ResolverTest, NothingForTheOwnApplicationOrWithNoFrontmostApplication)
{
    desktop.open(ownPid, 1, {200, 200, 500, 400});
    desktop.activate(ownPid, 1);
    EXPECT_EQ(resolve(), std::nullopt);
    desktop.workspace.activate(std::nullopt);
    EXPECT_EQ(resolve(), std::nullopt);
    EXPECT_EQ(desktop.windows.listCopyCount(), 0);
}

TEST_F(ResolverTest, WithoutAUsableFocusedWindowTheFrontMostQualifyingWindowIsTaken)
{
    const FocusCueTarget front{editorPid, "cg:22", 22, {300, 250, 700, 500}};
    const std::vector<std::pair<std::string, std::function<void()>>> failures{
        {"no permission", [&] { desktop.accessibility.setTrusted(false); }},
        {"no focused window", [&] { desktop.accessibility.clearFocusedWindow(editorPid); }},
        {"focused window error",
         [&] {
             desktop.accessibility.overrideAttribute(editorPid, attr::focusedWindow,
                                                     {err::cannotComplete, std::nullopt});
         }},
        {"focused window not an element",
         [&] {
             desktop.accessibility.overrideAttribute(
                 editorPid, attr::focusedWindow,
                 {err::success, AccessibilityValue{AccessibilityOtherValue{"text"}}});
         }},
        {"position as a size",
         [&] {
             desktop.accessibility.overrideAttribute(editorPid, attr::position,
                                                     {err::success, AccessibilityValue{Size{}}});
         }},
        {"size missing",
         [&] {
             desktop.accessibility.overrideAttribute(editorPid, attr::size,
                                                     {err::noValue, std::nullopt});
         }},
        {"too narrow",
         [&] {
             desktop.accessibility.overrideAttribute(
                 editorPid, attr::size, {err::success, AccessibilityValue{Size{119, 500}}});
         }},
        {"off every screen",
         [&] {
             desktop.accessibility.overrideAttribute(
                 editorPid, attr::position, {err::success, AccessibilityValue{Point{3000, 0}}});
         }},
    };
    for (const auto& [name, fail] : failures) {
        desktop.accessibility.setTrusted(true);
        desktop.accessibility.clearOverrides();
        desktop.accessibility.focusWindow(editorPid, 21);
        fail();
        EXPECT_EQ(R::focusedWindow(desktop.ports(), editorPid), std::nullopt) << name;
        EXPECT_EQ(resolve(), front) << name;
    }
    // The application has no qualifying window either: nothing.
    desktop.windows.removeWindow(21);
    desktop.windows.removeWindow(22);
    EXPECT_EQ(resolve(), std::nullopt);
}

TEST_F(ResolverTest, AFocusedWindowTheListDoesNotShowIsReportedFromAccessibilityAlone)
{
    // A window the list filters out (fully transparent) still has focus.
    desktop.windows.window(21)->alpha = 0;
    const auto target = resolve();
    ASSERT_TRUE(target);
    const std::uint64_t hash = sim::SimAccessibility::hashOfWindow(21);
    EXPECT_EQ(*target,
              (FocusCueTarget{
                  editorPid, "ax:" + std::to_string(hash), std::nullopt, {100, 100, 700, 500}}));
    // The identifier stays the same from sample to sample.
    EXPECT_EQ(resolve(), target);

    // A detached focused window (a sheet, a panel) far from every list window.
    desktop.accessibility.setFocusedWindow(editorPid, {77, {900, 100}, {300, 200}});
    EXPECT_EQ(resolve(), (FocusCueTarget{editorPid, "ax:77", std::nullopt, {900, 600, 300, 200}}));
}

class FinderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        desktop.open(editorPid, 21, {800, 500, 500, 300});
        desktop.open(finderPid, 41, {100, 100, 600, 400});
        desktop.activate(finderPid, 41);
    }

    std::optional<FocusCueTarget> resolve() { return R::resolve(desktop.ports(), ownPid); }

    const FocusCueTarget finderWindow{finderPid, "cg:41", 41, {100, 100, 600, 400}};
    TestDesktop desktop;
};

TEST_F(FinderTest, AQuickLookPanelInFrontWinsOverFinderWindowButNotBehindIt)
{
    EXPECT_EQ(resolve(), finderWindow);
    desktop.open(previewPid, 51, {200, 150, 500, 400}, 8);
    EXPECT_EQ(resolve(), (FocusCueTarget{previewPid, "quicklook:51", 51, {200, 150, 500, 400}}));
    // One list copy serves the candidates, the panel and the cover tests.
    const int copies = desktop.windows.listCopyCount();
    resolve();
    EXPECT_EQ(desktop.windows.listCopyCount(), copies + 1);

    desktop.windows.raise(41);
    EXPECT_EQ(resolve(), finderWindow);
}

TEST_F(FinderTest, AnotherApplicationsWindowInFrontOverlappingOrNoQualifyingWindowHidesFinder)
{
    desktop.windows.raise(21); // in front, but beside Finder's window
    EXPECT_EQ(resolve(), finderWindow);
    desktop.move(21, {650, 450, 500, 300}); // now overlapping its corner
    EXPECT_EQ(resolve(), std::nullopt);
    desktop.windows.raise(41);
    EXPECT_EQ(resolve(), finderWindow);

    // No qualifying Finder window gives nothing, even with a focused window.
    desktop.windows.window(41)->alpha = 0;
    EXPECT_NE(R::focusedWindow(desktop.ports(), finderPid), std::nullopt);
    EXPECT_EQ(resolve(), std::nullopt);
}

TEST_F(FinderTest, TheFrontMostFinderWindowIsReportedAndOnlyItsCoverCounts)
{
    // Focus stays on a Finder window behind another Finder window.
    desktop.open(finderPid, 42, {150, 150, 600, 400});
    // Another application's window in front covers a corner of the focused window only.
    desktop.move(21, {0, 0, 140, 140});
    desktop.windows.raise(21);
    EXPECT_EQ(resolve(), (FocusCueTarget{finderPid, "cg:42", 42, {150, 150, 600, 400}}));
    desktop.move(21, {0, 0, 160, 160});
    EXPECT_EQ(resolve(), std::nullopt);
}

TEST_F(FinderTest, LiveTargetWhileTheOwnerStaysFrontmost)
{
    desktop.open(previewPid, 51, {200, 150, 500, 400}, 8);
    EXPECT_EQ(R::liveTarget(desktop.ports(), finderPid, 41), finderWindow);
    desktop.move(41, {120, 90, 600, 400});
    EXPECT_EQ(R::liveTarget(desktop.ports(), finderPid, 41)->frame, (Rect{120, 90, 600, 400}));
    // A Quick Look panel in front of Finder counts as still frontmost.
    EXPECT_TRUE(R::isStillFrontmost(desktop.workspace, previewPid));
    EXPECT_EQ(R::liveTarget(desktop.ports(), previewPid, 51)->windowIdentifier, "cg:51");
    EXPECT_FALSE(R::isStillFrontmost(desktop.workspace, editorPid));

    desktop.activate(editorPid, 21);
    EXPECT_FALSE(R::isStillFrontmost(desktop.workspace, previewPid));
    EXPECT_EQ(R::liveTarget(desktop.ports(), finderPid, 41), std::nullopt);
    desktop.workspace.activate(std::nullopt);
    EXPECT_FALSE(R::isStillFrontmost(desktop.workspace, editorPid));
}

} // namespace
} // namespace halomark
