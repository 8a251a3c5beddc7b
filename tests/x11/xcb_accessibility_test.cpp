#include "x11/xcb_accessibility.h"

#include "desktop.h"

#include <gtest/gtest.h>

namespace halomark::x11 {
namespace {

using namespace testing;
namespace e = accessibility_errors;
namespace a = accessibility_attributes;

class XcbAccessibilityTest : public DesktopTest
{
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        accessibility = std::make_unique<XcbAccessibility>(*connection, *screens);
    }

    AccessibilityAttributeResult focusedWindowOf(ProcessIdentifier pid)
    {
        return accessibility->copyAttributeValue(accessibility->applicationElement(pid),
                                                 a::focusedWindow);
    }

    // The decorated size of a window: its client area plus the manager's extents.
    Size frameSize(xcb_window_t window)
    {
        const auto size = clientSize(*connection, window);
        const auto extents = cardinals(*connection, window, "_NET_FRAME_EXTENTS");
        if (!size || extents.size() != 4) {
            ADD_FAILURE() << "no geometry for " << window;
            return {};
        }
        return Size{static_cast<double>(size->first + extents[0] + extents[1]),
                    static_cast<double>(size->second + extents[2] + extents[3])};
    }

    std::unique_ptr<XcbAccessibility> accessibility;
};

TEST_F(XcbAccessibilityTest, TheFocusedWindowIsTheActiveWindowWhileItsProcessOwnsIt)
{
    SpawnedXterm first(*connection, "halomark-ax-first", 300, 200);
    SpawnedXterm second(*connection, "halomark-ax-second", 1500, 250);
    ASSERT_NE(first.window(), XCB_WINDOW_NONE);
    ASSERT_NE(second.window(), XCB_WINDOW_NONE);

    ASSERT_TRUE(activate(first.window()));
    ASSERT_TRUE(waitUntil([&] { return focusedWindowOf(first.pid()).error == e::success; }));
    const auto focused = focusedWindowOf(first.pid());
    ASSERT_TRUE(focused.value);
    const auto element = std::get<AccessibilityElement>(*focused.value);
    EXPECT_EQ(accessibility->hash(element), first.window());
    EXPECT_EQ(focusedWindowOf(second.pid()), (AccessibilityAttributeResult{e::noValue, {}}));

    // The frame with its decorations, in top-left points: where the xterm asked to be.
    EXPECT_EQ(accessibility->copyAttributeValue(element, a::position),
              (AccessibilityAttributeResult{e::success, Point{300, 200}}));
    EXPECT_EQ(accessibility->copyAttributeValue(element, a::size),
              (AccessibilityAttributeResult{e::success, frameSize(first.window())}));
    EXPECT_EQ(accessibility->copyAttributeValue(element, "AXTitle").error, e::attributeUnsupported);
    EXPECT_EQ(accessibility
                  ->copyAttributeValue(accessibility->applicationElement(first.pid()), a::position)
                  .error,
              e::attributeUnsupported);

    ASSERT_TRUE(activate(second.window()));
    ASSERT_TRUE(waitUntil([&] { return focusedWindowOf(second.pid()).error == e::success; }));
    EXPECT_EQ(focusedWindowOf(first.pid()).error, e::noValue);
    const auto secondElement = std::get<AccessibilityElement>(*focusedWindowOf(second.pid()).value);
    EXPECT_EQ(accessibility->hash(secondElement), second.window());
    // The same window gives the same element and hash on every read.
    EXPECT_EQ(std::get<AccessibilityElement>(*focusedWindowOf(second.pid()).value), secondElement);
    // No longer focused, the first window still answers where it is.
    EXPECT_EQ(accessibility->copyAttributeValue(element, a::position).error, e::success);

    // Gone: its element is invalid.
    first.stop();
    EXPECT_TRUE(waitUntil([&] {
        return accessibility->copyAttributeValue(element, a::position).error == e::invalidElement;
    }));
    EXPECT_EQ(accessibility->copyAttributeValue(element, a::size).error, e::invalidElement);
}

TEST_F(XcbAccessibilityTest, NoAnswerWhileNoWindowManagerPublishesTheActiveWindow)
{
    const auto left = static_cast<xcb_window_t>(std::stoul(desktopVariable("HALOMARK_XTERM_LEFT")));
    const auto pid = cardinals(*connection, left, "_NET_WM_PID");
    ASSERT_EQ(pid.size(), 1u);
    struct Restore
    {
        xcb_window_t window;
        ~Restore() { activate(window); }
    } restore{left};
    ASSERT_TRUE(activate(left));
    ASSERT_EQ(focusedWindowOf(static_cast<ProcessIdentifier>(pid[0])).error, e::success);

    ASSERT_TRUE(sh("xprop -root -remove _NET_ACTIVE_WINDOW"));
    EXPECT_TRUE(waitUntil([&] {
        return focusedWindowOf(static_cast<ProcessIdentifier>(pid[0])).error == e::cannotComplete;
    }));
    // Published, but no window active.
    ASSERT_TRUE(sh("xprop -root -f _NET_ACTIVE_WINDOW 32x -set _NET_ACTIVE_WINDOW 0"));
    EXPECT_TRUE(waitUntil([&] {
        return focusedWindowOf(static_cast<ProcessIdentifier>(pid[0])).error == e::noValue;
    }));
    // An element that was never handed out.
    EXPECT_EQ(accessibility->copyAttributeValue(AccessibilityElement{42}, a::position).error,
              e::invalidElement);
}

} // namespace
} // namespace halomark::x11
