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
const std::optional<FocusCueTarget> none;

TEST(MatchScore, WorkedScoresOrderBonusTiesAndTheInclusiveThreshold)
{
    const Rect focused{100, 100, 800, 600};
    const R::WindowCandidate near{7, {110, 100, 800, 600}, 2};
    const R::WindowCandidate far{8, {500, 100, 800, 600}, 0};
    // 0.78 * 790/810 + 0.22 * (1 - 20/160) + 0.07
    EXPECT_NEAR(R::matchScore(near, focused), 1.023241, 1e-6);
    EXPECT_NEAR(R::matchScore(far, focused), 0.34, 1e-12);
    EXPECT_EQ(R::bestCandidate({far, near}, focused), near);
    EXPECT_EQ(R::bestCandidate({far}, focused), std::nullopt);

    // The order bonus ends at index 16; on equal scores the first in list order wins.
    auto at = [&](std::int64_t index, WindowNumber number = 1) {
        return R::WindowCandidate{number, focused, index};
    };
    for (const auto& [index, score] : {std::tuple(0, 1.08), {15, 1.005}, {40, 1.0}}) {
        EXPECT_DOUBLE_EQ(R::matchScore(at(index), focused), score) << index;
    }
    EXPECT_EQ(R::bestCandidate({at(16, 1), at(17, 2)}, focused)->windowNumber, 1u);
    EXPECT_EQ(R::bestCandidate({at(17, 2), at(16, 1)}, focused)->windowNumber, 2u);

    // Half the union overlaps and the edges are 80 apart: 0.08 + 0.39 + 0.11, just accepted.
    const Rect small{0, 0, 120, 100};
    const R::WindowCandidate exact{1, {40, 0, 120, 100}, 0};
    ASSERT_EQ(R::matchScore(exact, small), R::acceptanceThreshold);
    EXPECT_EQ(R::bestCandidate({exact}, small), exact);
    EXPECT_EQ(R::bestCandidate({{1, {40.01, 0, 120, 100}, 0}}, small), std::nullopt);
    EXPECT_FALSE(R::bestCandidate({exact}, {0, 0, 0, 100}) || R::bestCandidate({}, small));

    // Frames a quarter point apart in each measure are nearly equal; the far edges may
    // differ by more.
    const Rect a{100, 200, 300, 400};
    EXPECT_TRUE(R::framesNearlyEqual(a, {100.25, 199.75, 300.25, 399.75}));
    EXPECT_FALSE(R::framesNearlyEqual(a, {100.26, 200, 300, 400}));
    EXPECT_FALSE(R::framesNearlyEqual(a, {100, 200, 300, 400.26}));
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
    void answer(const std::string& attribute, AccessibilityAttributeResult result)
    {
        desktop.accessibility.overrideAttribute(editorPid, attribute, std::move(result));
    }

    TestDesktop desktop;
};

TEST_F(ResolverTest, TheFocusedWindowIsMatchedInOneListCopyAndNeverTheOwnApplication)
{
    EXPECT_EQ(resolve(), (FocusCueTarget{editorPid, "cg:21", 21, {100, 100, 700, 500}}));
    EXPECT_EQ(std::tuple(desktop.windows.listCopyCount(), desktop.windows.lastListRequest(),
                         desktop.accessibility.applicationElementCount(),
                         desktop.accessibility.attributeReadCount()),
              std::tuple(1, sim::SimWindowServer::ListRequest{0x11, 0}, 1, 3));
    desktop.accessibility.focusWindow(editorPid, 22);
    EXPECT_EQ(resolve()->windowIdentifier, "cg:22");

    desktop.open(ownPid, 1, {200, 200, 500, 400});
    desktop.activate(ownPid, 1);
    EXPECT_EQ(resolve(), std::nullopt);
    desktop.workspace.activate(std::nullopt);
    EXPECT_EQ(std::tuple(resolve(), desktop.windows.listCopyCount()), std::tuple(none, 2));
}

TEST_F(ResolverTest, WithoutAUsableFocusedWindowTheFrontMostQualifyingWindowIsTaken)
{
    using Value = AccessibilityValue;
    const FocusCueTarget front{editorPid, "cg:22", 22, {300, 250, 700, 500}};
    auto expectFront = [&](const std::string& why) {
        EXPECT_EQ(R::focusedWindow(desktop.ports(), editorPid), std::nullopt) << why;
        EXPECT_EQ(resolve(), front) << why;
    };
    desktop.accessibility.setTrusted(false);
    expectFront("no permission");
    desktop.accessibility.setTrusted(true);
    desktop.accessibility.clearFocusedWindow(editorPid);
    expectFront("no focused window");
    desktop.accessibility.focusWindow(editorPid, 21);
    // An error, not an element, a position given as a size, no size, off every screen.
    const std::vector<std::pair<std::string, AccessibilityAttributeResult>> answers{
        {attr::focusedWindow, {err::cannotComplete, std::nullopt}},
        {attr::focusedWindow, {err::success, Value{AccessibilityOtherValue{"x"}}}},
        {attr::position, {err::success, Value{Size{}}}},
        {attr::size, {err::noValue, std::nullopt}},
        {attr::position, {err::success, Value{Point{3000, 0}}}}};
    for (const auto& [attribute, result] : answers) {
        desktop.accessibility.clearOverrides();
        answer(attribute, result);
        expectFront(attribute);
    }
    // The application has no qualifying window either: nothing.
    desktop.windows.removeWindow(21);
    desktop.windows.removeWindow(22);
    EXPECT_EQ(resolve(), std::nullopt);
}

TEST_F(ResolverTest, AFocusedWindowTheListLeavesOutIsTakenFromAccessibilityAtItsMinimumSize)
{
    // Too transparent for the list but focused, then a detached sheet far from every window.
    desktop.windows.window(21)->alpha = 0;
    const std::string id = "ax:" + std::to_string(sim::SimAccessibility::hashOfWindow(21));
    EXPECT_EQ(resolve(), (FocusCueTarget{editorPid, id, std::nullopt, {100, 100, 700, 500}}));
    desktop.accessibility.setFocusedWindow(editorPid, {77, {900, 100}, {300, 200}});
    EXPECT_EQ(resolve(), (FocusCueTarget{editorPid, "ax:77", std::nullopt, {900, 600, 300, 200}}));
    desktop.accessibility.focusWindow(editorPid, 21);
    desktop.windows.window(21)->alpha = 1;
    for (const auto& [size, accepted] : std::vector<std::pair<Size, bool>>{
             {{120, 70}, true}, {{119, 70}, false}, {{120, 69}, false}}) {
        SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
        desktop.move(21, {100, 100, size.width, size.height});
        desktop.windows.raise(21);
        // From the window list alone: the front-most qualifying window.
        desktop.accessibility.setTrusted(false);
        EXPECT_EQ(resolve()->windowNumber, accepted ? 21u : 22u);
        // From accessibility alone, the list leaving the window out.
        desktop.accessibility.setTrusted(true);
        desktop.windows.window(21)->alpha = 0;
        EXPECT_EQ(resolve()->windowIdentifier, accepted ? id : "cg:22");
        desktop.windows.window(21)->alpha = 1;
    }
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

TEST_F(FinderTest, AQuickLookPanelInFrontWinsAndAnotherApplicationsWindowInFrontHidesFinder)
{
    EXPECT_EQ(resolve(), finderWindow);
    desktop.open(previewPid, 51, {200, 150, 500, 400}, 8);
    EXPECT_EQ(resolve(), (FocusCueTarget{previewPid, "quicklook:51", 51, {200, 150, 500, 400}}));
    // One list copy serves the candidates, the panel and the cover tests.
    const int copies = desktop.windows.listCopyCount();
    resolve();
    EXPECT_EQ(desktop.windows.listCopyCount(), copies + 1);
    desktop.windows.raise(41); // the panel behind Finder's window is not found
    EXPECT_EQ(resolve(), finderWindow);

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
    // Focus stays on a Finder window behind another Finder window; another application's
    // window in front covers a corner of the focused window only.
    desktop.open(finderPid, 42, {150, 150, 600, 400});
    desktop.move(21, {0, 0, 140, 140});
    desktop.windows.raise(21);
    EXPECT_EQ(resolve(), (FocusCueTarget{finderPid, "cg:42", 42, {150, 150, 600, 400}}));
    desktop.move(21, {0, 0, 160, 160});
    EXPECT_EQ(resolve(), std::nullopt);
}

TEST_F(FinderTest, LiveTrackingTakesOneWindowByNumberWhileItsOwnerOrAPanelOverFinderIsInFront)
{
    desktop.open(previewPid, 51, {200, 150, 500, 400}, 8);
    desktop.open(previewPid, 52, {200, 150, 500, 400}, 1000);
    desktop.move(41, {120, 90, 600, 400});
    const auto ports = desktop.ports();
    EXPECT_EQ(R::liveTarget(ports, finderPid, 41),
              (FocusCueTarget{finderPid, "cg:41", 41, {120, 90, 600, 400}}));
    EXPECT_EQ(R::windowCandidate(ports, 21, editorPid),
              (R::WindowCandidate{21, {800, 500, 500, 300}, 0}));
    EXPECT_EQ(desktop.windows.listCopyCount(), 0);
    // Not another owner's window, nor a missing one; a raised layer counts only for a panel
    // over Finder, below layer 1000.
    EXPECT_FALSE(R::windowCandidate(ports, 21, browserPid) ||
                 R::windowCandidate(ports, 99, editorPid) ||
                 R::windowCandidate(ports, 52, previewPid) ||
                 R::isTrackableLayer(desktop.workspace, -3, editorPid) ||
                 R::isTrackableLayer(desktop.workspace, 8, finderPid));
    EXPECT_TRUE(R::isStillFrontmost(desktop.workspace, previewPid));
    EXPECT_EQ(R::liveTarget(ports, previewPid, 51)->windowIdentifier, "cg:51");
    EXPECT_FALSE(R::isStillFrontmost(desktop.workspace, editorPid));

    desktop.activate(editorPid, 21);
    EXPECT_FALSE(R::isStillFrontmost(desktop.workspace, previewPid) ||
                 R::windowCandidate(ports, 51, previewPid) || R::liveTarget(ports, finderPid, 41));
    desktop.windows.window(21)->alpha = 0.0; // too transparent to qualify any more
    EXPECT_FALSE(R::windowCandidate(ports, 21, editorPid));
    desktop.workspace.activate(std::nullopt);
    EXPECT_FALSE(R::isStillFrontmost(desktop.workspace, editorPid) ||
                 R::windowCandidate(ports, 51, previewPid));
}

class WindowListTest : public ::testing::Test
{
protected:
    static WindowRecord record(ProcessIdentifier pid, WindowNumber number, const Rect& frame,
                               std::int64_t layer = 0)
    {
        return sim::SimWindowServer::recordOf(TestDesktop::window(pid, number, frame, layer));
    }

    TestDesktop desktop;
};

TEST_F(WindowListTest, CandidatesPassAlphaAndVisibilityExactlyAtTheLimits)
{
    std::vector<WindowRecord> list;
    auto add = [&](WindowNumber n, Rect frame, std::function<void(WindowRecord&)> change = {}) {
        list.push_back(record(editorPid, n, frame));
        if (change) {
            change(list.back());
        }
    };
    const Rect big{100, 100, 400, 300};
    add(1, big, [](WindowRecord& r) { r.alpha = RecordNumber{0.01}; });
    add(2, big, [](WindowRecord& r) { r.alpha = RecordNumber{0.0101}; });
    add(3, big, [](WindowRecord& r) { r.alpha.reset(); });
    add(7, {1401, 100, 300, 200}); // 39 points on the 1440-wide screen
    add(8, {1400, 100, 300, 200}); // 40
    add(9, {100, -170, 300, 200}); // 30 points high on it
    add(10, {100, -171, 300, 200});
    add(11, big, [](WindowRecord& r) { r.isOnscreen = RecordNumber{std::int64_t{0}}; });
    add(12, big, [](WindowRecord& r) { r.layer = RecordNumber{std::int64_t{3}}; });
    // Frames come out in bottom-left coordinates, and each index is the record's.
    EXPECT_EQ(R::windowCandidates(desktop.ports(), editorPid, &list),
              (std::vector<R::WindowCandidate>{{2, big, 1},
                                               {3, big, 2},
                                               {8, {1400, 100, 300, 200}, 4},
                                               {9, {100, -170, 300, 200}, 5}}));

    // Visibility is measured per screen, not across screens.
    const std::vector<Screen> two{sim::SimScreenList::makeScreen(1, {0, 0, 1000, 800}),
                                  sim::SimScreenList::makeScreen(2, {1000, 0, 1000, 800})};
    EXPECT_FALSE(R::isVisibleOnSomeScreen({961, 100, 78, 300}, two));
    EXPECT_TRUE(R::isVisibleOnSomeScreen({960, 100, 80, 300}, two));
    EXPECT_FALSE(R::isVisibleOnSomeScreen({100, 100, 500, 300}, {}));
}

TEST_F(WindowListTest, MalformedRecordsAreSkippedButStillCountAnIndex)
{
    std::vector<WindowRecord> list(9, record(editorPid, 0, {100, 100, 400, 300}));
    list[0].number.reset();
    list[1].ownerPID = std::string{"501"};
    list[2].layer = RecordOtherValue{"array"};
    list[3].bounds = RecordNumber{std::int64_t{5}};
    list[4].bounds = RecordBounds{100, 100, 400, std::nullopt};
    list[5].number = RecordNumber{std::int64_t{42}};
    // Optional keys of the wrong type are ignored rather than failing the record.
    list[6].alpha = std::string{"0"};
    list[6].isOnscreen = RecordOtherValue{"data"};
    list[6].number = RecordNumber{std::int64_t{43}};
    // Numbers stored as floating point read the way the platform reads them.
    list[7].ownerPID = RecordNumber{501.0};
    list[7].number = RecordNumber{44.0};
    list[8].ownerPID = RecordNumber{std::int64_t{502}};
    const Rect f{100, 100, 400, 300};
    EXPECT_EQ(R::windowCandidates(desktop.ports(), editorPid, &list),
              (std::vector<R::WindowCandidate>{{42, f, 5}, {43, f, 6}, {44, f, 7}}));
    EXPECT_TRUE(R::windowCandidates(desktop.ports(), finderPid, &list).empty());

    // Without a list the scan copies the on-screen list; an empty list given is used as it
    // is; a server that does not answer gives nothing.
    desktop.open(editorPid, 10, {100, 100, 400, 300});
    desktop.open(browserPid, 11, {200, 200, 400, 300});
    desktop.open(editorPid, 12, {300, 300, 400, 300});
    desktop.windows.window(12)->isOnscreen = false;
    EXPECT_EQ(R::windowCandidates(desktop.ports(), editorPid, nullptr),
              (std::vector<R::WindowCandidate>{{10, {100, 100, 400, 300}, 1}}));
    const std::vector<WindowRecord> empty;
    EXPECT_TRUE(R::windowCandidates(desktop.ports(), editorPid, &empty).empty());
    EXPECT_EQ(desktop.windows.listCopyCount(), 1);
    desktop.windows.setListUnavailable(true);
    EXPECT_TRUE(R::windowCandidates(desktop.ports(), editorPid, nullptr).empty());
}

TEST_F(WindowListTest, QuickLookPanelOnlyInFrontOfTheLimitAndOfAnotherProcess)
{
    const Rect panel{300, 300, 500, 400};
    std::vector<WindowRecord> list{
        record(editorPid, 1, panel, 3),   // not a Quick Look process
        record(previewPid, 2, panel, -1), // layer out of range
        record(previewPid, 3, panel, 1000), record(previewPid, 4, panel, 999),
        record(previewPid, 5, panel, 0),    record(finderPid, 6, {100, 100, 900, 600}),
    };
    auto found = [&](ProcessIdentifier own, ProcessIdentifier front, std::int64_t limit) {
        return R::quickLookWindow(desktop.ports(), own, front, limit, list);
    };
    EXPECT_EQ(found(ownPid, finderPid, 5), (FocusCueTarget{previewPid, "quicklook:4", 4, panel}));
    // At or behind the limit it is not looked at; nor is this application's or the frontmost's.
    EXPECT_FALSE(found(ownPid, finderPid, 3) || found(ownPid, finderPid, 0) ||
                 found(previewPid, finderPid, 5) || found(ownPid, previewPid, 5));
    // The owner name alone makes a Quick Look process, in any case.
    list[0].ownerName = std::string{"com.apple.QUICKLOOK.extension"};
    EXPECT_EQ(found(ownPid, finderPid, 5)->processIdentifier, editorPid);

    // Either marker, in the owner name, bundle identifier or display name; no space in it.
    desktop.workspace.launch({601, std::nullopt, "xVIEWBRIDGEx"});
    desktop.workspace.launch({603, std::nullopt, "Quick Look"});
    EXPECT_EQ((std::vector{R::isQuickLookProcess(desktop.workspace, 601, std::nullopt),
                           R::isQuickLookProcess(desktop.workspace, 603, std::nullopt),
                           R::isQuickLookProcess(desktop.workspace, 999, std::nullopt)}),
              (std::vector{true, false, false})); // the last is not running
}

TEST_F(WindowListTest, CoveringWindowOfAnotherApplicationObscuresFromInFrontOnly)
{
    const Rect finderWindow{100, 100, 600, 400};
    auto obscured = [&](WindowRecord front, std::int64_t limit = 1) {
        const std::vector<WindowRecord> list{std::move(front), record(finderPid, 1, finderWindow)};
        return R::isObscured(desktop.ports(), finderWindow, limit, finderPid, ownPid, list);
    };
    EXPECT_TRUE(obscured(record(editorPid, 2, {650, 450, 300, 200})));  // corner overlap
    EXPECT_FALSE(obscured(record(editorPid, 2, {700, 100, 300, 200}))); // touches the edge
    // Neither this application's, Finder's, a preview panel nor a window above the normal layer.
    EXPECT_FALSE(obscured(record(ownPid, 2, finderWindow)) ||
                 obscured(record(finderPid, 2, finderWindow)) ||
                 obscured(record(previewPid, 2, finderWindow)) ||
                 obscured(record(editorPid, 2, finderWindow, 1)));
    WindowRecord cover = record(editorPid, 2, finderWindow);
    cover.number.reset(); // the number is not needed to cover
    EXPECT_EQ((std::vector{obscured(cover), obscured(cover, 50), obscured(cover, 0),
                           obscured(cover, -1)}),
              (std::vector{true, true, false, false}));
    cover.alpha = RecordNumber{0.0};
    EXPECT_FALSE(obscured(cover));
}

} // namespace
} // namespace halomark
