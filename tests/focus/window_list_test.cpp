#include "focus/window_list.h"
#include "focus_test_desktop.h"

#include <gtest/gtest.h>

#include <vector>

namespace halomark {
namespace {

using namespace focus_test;
namespace R = FrontmostWindowResolver;

class WindowListTest : public ::testing::Test
{
protected:
    static WindowRecord record(ProcessIdentifier pid, WindowNumber number, const Rect& frame,
                               std::int64_t layer = 0)
    {
        return sim::SimWindowServer::recordOf(TestDesktop::window(pid, number, frame, layer));
    }

    std::vector<WindowNumber> candidateNumbers(const std::vector<WindowRecord>& list,
                                               ProcessIdentifier pid = editorPid)
    {
        std::vector<WindowNumber> numbers;
        for (const auto& c : R::windowCandidates(desktop.ports(), pid, &list)) {
            numbers.push_back(c.windowNumber);
        }
        return numbers;
    }

    TestDesktop desktop;
};

TEST_F(WindowListTest, CandidatesPassAlphaSizeAndVisibilityBoundsExactlyAtTheLimits)
{
    std::vector<WindowRecord> list;
    auto add = [&](WindowNumber n, Rect frame, auto change) {
        WindowRecord r = record(editorPid, n, frame);
        change(r);
        list.push_back(r);
    };
    const Rect big{100, 100, 400, 300};
    auto keep = [](WindowRecord&) {};
    add(1, big, [](WindowRecord& r) { r.alpha = RecordNumber{0.01}; });
    add(2, big, [](WindowRecord& r) { r.alpha = RecordNumber{0.0101}; });
    add(3, big, [](WindowRecord& r) { r.alpha.reset(); });
    add(4, {100, 100, 119.9, 300}, keep);
    add(5, {100, 100, 400, 69.5}, keep);
    add(6, {100, 100, 120, 70}, keep);
    // Mostly off the right edge of the 1440-wide screen: 39 and then 40 points remain.
    add(7, {1401, 100, 300, 200}, keep);
    add(8, {1400, 100, 300, 200}, keep);
    // Sticking out below the screen, 30 points high on it.
    add(9, {100, -170, 300, 200}, keep);
    add(10, {100, -171, 300, 200}, keep);
    add(11, big, [](WindowRecord& r) { r.isOnscreen = RecordNumber{std::int64_t{0}}; });
    add(12, big, [](WindowRecord& r) { r.layer = RecordNumber{std::int64_t{3}}; });
    EXPECT_EQ(candidateNumbers(list), (std::vector<WindowNumber>{2, 3, 6, 8, 9}));

    // The frame comes out in bottom-left coordinates and the index is the record's.
    const auto candidates = R::windowCandidates(desktop.ports(), editorPid, &list);
    ASSERT_EQ(candidates.size(), 5u);
    EXPECT_EQ(candidates[2], (R::WindowCandidate{6, {100, 100, 120, 70}, 5}));
}

TEST_F(WindowListTest, MalformedRecordsAreSkippedButStillCountAnIndex)
{
    const Rect frame{100, 100, 400, 300};
    std::vector<WindowRecord> list(9, record(editorPid, 0, frame));
    list[0].number.reset();                                     // no window number
    list[1].ownerPID = std::string{"501"};                      // owner as text
    list[2].layer = RecordOtherValue{"array"};                  // layer of another type
    list[3].bounds = RecordNumber{std::int64_t{5}};             // bounds not a dictionary
    list[4].bounds = RecordBounds{100, 100, 400, std::nullopt}; // no height
    list[5].number = RecordNumber{std::int64_t{42}};            // well formed
    // Optional keys of the wrong type are ignored rather than failing the record.
    list[6].alpha = std::string{"0"};
    list[6].isOnscreen = RecordOtherValue{"data"};
    list[6].number = RecordNumber{std::int64_t{43}};
    // Numbers stored as floating point read the way the platform reads them.
    list[7].ownerPID = RecordNumber{501.0};
    list[7].number = RecordNumber{44.0};
    list[8].ownerPID = RecordNumber{std::int64_t{502}};

    const auto candidates = R::windowCandidates(desktop.ports(), editorPid, &list);
    ASSERT_EQ(candidates.size(), 3u);
    EXPECT_EQ(candidates[0].windowNumber, 42u);
    EXPECT_EQ(candidates[0].frontToBackIndex, 5);
    EXPECT_EQ(candidates[1].frontToBackIndex, 6);
    EXPECT_EQ(candidates[2].windowNumber, 44u);

    // Only another process's windows: nothing.
    EXPECT_TRUE(R::windowCandidates(desktop.ports(), finderPid, &list).empty());
}

TEST_F(WindowListTest, WithoutAListTheScanCopiesTheOnScreenListOnce)
{
    desktop.open(editorPid, 10, {100, 100, 400, 300});
    desktop.open(browserPid, 11, {200, 200, 400, 300});
    desktop.open(editorPid, 12, {300, 300, 400, 300});
    desktop.windows.window(12)->isOnscreen = false; // minimised: not in the on-screen list

    const auto candidates = R::windowCandidates(desktop.ports(), editorPid, nullptr);
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0], (R::WindowCandidate{10, {100, 100, 400, 300}, 1}));
    EXPECT_EQ(desktop.windows.listCopyCount(), 1);
    EXPECT_EQ(desktop.windows.lastListRequest(), (sim::SimWindowServer::ListRequest{0x11, 0}));

    // An empty list given is used as it is; a server that does not answer gives nothing.
    const std::vector<WindowRecord> empty;
    EXPECT_TRUE(R::windowCandidates(desktop.ports(), editorPid, &empty).empty());
    EXPECT_EQ(desktop.windows.listCopyCount(), 1);
    desktop.windows.setListUnavailable(true);
    EXPECT_TRUE(R::windowCandidates(desktop.ports(), editorPid, nullptr).empty());
}

TEST_F(WindowListTest, QuickLookPanelOnlyInFrontOfTheLimitAndOfAnotherProcess)
{
    const Rect panel{300, 300, 500, 400};
    const Rect finderWindow{100, 100, 900, 600};
    std::vector<WindowRecord> list{
        record(editorPid, 1, panel, 3),   // not a Quick Look process
        record(previewPid, 2, panel, -1), // layer out of range
        record(previewPid, 3, panel, 1000), record(previewPid, 4, panel, 999),
        record(previewPid, 5, panel, 0),    record(finderPid, 6, finderWindow),
    };
    auto found = R::quickLookWindow(desktop.ports(), ownPid, finderPid, 5, list);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, (FocusCueTarget{previewPid, "quicklook:4", 4, panel}));

    // At or behind the limit: not looked at.
    EXPECT_FALSE(R::quickLookWindow(desktop.ports(), ownPid, finderPid, 3, list));
    EXPECT_FALSE(R::quickLookWindow(desktop.ports(), ownPid, finderPid, 0, list));
    // Panels of this application or of the frontmost one do not count.
    EXPECT_FALSE(R::quickLookWindow(desktop.ports(), previewPid, finderPid, 5, list));
    EXPECT_FALSE(R::quickLookWindow(desktop.ports(), ownPid, previewPid, 5, list));

    // The owner name alone makes a Quick Look process, in any case.
    list[0].ownerName = std::string{"com.apple.QUICKLOOK.extension"};
    found = R::quickLookWindow(desktop.ports(), ownPid, finderPid, 5, list);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->processIdentifier, editorPid);
}

TEST_F(WindowListTest, QuickLookMarkersAreFoundInNameBundleOrDisplayNameInAnyCase)
{
    EXPECT_TRUE(R::containsQuickLookMarker("com.apple.QuickLookUIService"));
    EXPECT_TRUE(R::containsQuickLookMarker("ViewBridgeAuxiliary"));
    EXPECT_TRUE(R::containsQuickLookMarker("xVIEWBRIDGEx"));
    EXPECT_FALSE(R::containsQuickLookMarker("Quick Look")); // the marker has no space
    EXPECT_FALSE(R::containsQuickLookMarker(""));

    desktop.workspace.launch({601, std::nullopt, "ViewBridge Helper"});
    desktop.workspace.launch({602, "org.example.QuickLook", std::nullopt});
    desktop.workspace.launch({603, std::nullopt, std::nullopt});
    auto& ws = desktop.workspace;
    EXPECT_TRUE(R::isQuickLookProcess(ws, 601, std::nullopt));
    EXPECT_TRUE(R::isQuickLookProcess(ws, 602, std::nullopt));
    EXPECT_FALSE(R::isQuickLookProcess(ws, 603, std::nullopt));
    EXPECT_TRUE(R::isQuickLookProcess(ws, 603, "qUiCkLoOk"));
    EXPECT_FALSE(R::isQuickLookProcess(ws, 999, std::nullopt)); // not running
}

TEST_F(WindowListTest, CoveringWindowOfAnotherApplicationObscuresFromInFrontOnly)
{
    const Rect finderWindow{100, 100, 600, 400};
    const std::vector<WindowRecord> base{record(finderPid, 1, finderWindow)};
    auto obscured = [&](const WindowRecord& front) {
        std::vector<WindowRecord> list{front};
        list.insert(list.end(), base.begin(), base.end());
        return R::isObscured(desktop.ports(), finderWindow, 1, finderPid, ownPid, list);
    };
    EXPECT_TRUE(obscured(record(editorPid, 2, {650, 450, 300, 200})));  // corner overlap
    EXPECT_FALSE(obscured(record(editorPid, 2, {700, 100, 300, 200}))); // touches the edge
    EXPECT_FALSE(obscured(record(ownPid, 2, finderWindow)));
    EXPECT_FALSE(obscured(record(finderPid, 2, finderWindow)));
    EXPECT_FALSE(obscured(record(previewPid, 2, finderWindow)));   // a preview panel
    EXPECT_FALSE(obscured(record(editorPid, 2, finderWindow, 1))); // not a normal window
    WindowRecord transparent = record(editorPid, 2, finderWindow);
    transparent.alpha = RecordNumber{0.0};
    EXPECT_FALSE(obscured(transparent));
    WindowRecord unnumbered = record(editorPid, 2, finderWindow);
    unnumbered.number.reset(); // the number is not needed to cover
    EXPECT_TRUE(obscured(unnumbered));

    // Behind the limit, or with no records in front, nothing covers.
    const std::vector<WindowRecord> list{record(editorPid, 2, finderWindow),
                                         record(finderPid, 1, finderWindow)};
    EXPECT_FALSE(R::isObscured(desktop.ports(), finderWindow, 0, finderPid, ownPid, list));
    EXPECT_FALSE(R::isObscured(desktop.ports(), finderWindow, -1, finderPid, ownPid, list));
    EXPECT_TRUE(R::isObscured(desktop.ports(), finderWindow, 50, finderPid, ownPid, list));
}

TEST_F(WindowListTest, OneWindowByNumberFollowsTheLayerRuleOfLiveTracking)
{
    desktop.open(editorPid, 10, {100, 100, 400, 300});
    desktop.open(previewPid, 11, {200, 200, 400, 300}, 8);
    desktop.open(previewPid, 12, {200, 200, 400, 300}, 1000);
    desktop.workspace.activate(editorPid);
    const auto ports = desktop.ports();

    const auto editor = R::windowCandidate(ports, 10, editorPid);
    ASSERT_TRUE(editor);
    EXPECT_EQ(*editor, (R::WindowCandidate{10, {100, 100, 400, 300}, 0}));
    EXPECT_EQ(desktop.windows.lastDescribedWindow(), 10u);
    EXPECT_EQ(desktop.windows.listCopyCount(), 0);
    EXPECT_FALSE(R::windowCandidate(ports, 10, browserPid)); // another owner
    EXPECT_FALSE(R::windowCandidate(ports, 99, editorPid));  // no such window

    // A raised panel layer counts only for a Quick Look process in front of Finder.
    EXPECT_FALSE(R::windowCandidate(ports, 11, previewPid));
    desktop.workspace.activate(finderPid);
    EXPECT_TRUE(R::windowCandidate(ports, 11, previewPid));
    EXPECT_FALSE(R::windowCandidate(ports, 12, previewPid));
    EXPECT_FALSE(R::isTrackableLayer(desktop.workspace, -3, editorPid));
    EXPECT_FALSE(R::isTrackableLayer(desktop.workspace, 8, finderPid)); // Finder itself
    desktop.workspace.activate(std::nullopt);
    EXPECT_FALSE(R::windowCandidate(ports, 11, previewPid));
    EXPECT_TRUE(R::isTrackableLayer(desktop.workspace, 0, editorPid));

    // A window that became too transparent no longer qualifies.
    desktop.windows.window(10)->alpha = 0.0;
    EXPECT_FALSE(R::windowCandidate(ports, 10, editorPid));
}

TEST_F(WindowListTest, VisibilityIsMeasuredPerScreenNotAcrossScreens)
{
    const std::vector<Screen> two{sim::SimScreenList::makeScreen(1, {0, 0, 1000, 800}),
                                  sim::SimScreenList::makeScreen(2, {1000, 0, 1000, 800})};
    // 39 points on each side of the seam: 78 in all, but not 40 on either screen.
    EXPECT_FALSE(R::isVisibleOnSomeScreen({961, 100, 78, 300}, two));
    EXPECT_TRUE(R::isVisibleOnSomeScreen({960, 100, 80, 300}, two));
    EXPECT_FALSE(R::isVisibleOnSomeScreen({100, 100, 500, 300}, {}));
}

} // namespace
} // namespace halomark
