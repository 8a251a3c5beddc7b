#include "x11/xcb_window_reader.h"

#include <gtest/gtest.h>

namespace halomark::x11 {
namespace {

XcbWindowFacts shownWindow()
{
    XcbWindowFacts facts;
    facts.window = 0x600001;
    facts.isViewable = true;
    facts.frame = PixelRect{1380, 100, 486, 341};
    return facts;
}

TEST(XcbWindowReader, OnScreenMeansViewableNotHiddenAndOnTheCurrentDesktop)
{
    XcbWindowFacts facts = shownWindow();
    EXPECT_TRUE(isOnscreen(facts, 0));
    EXPECT_TRUE(isOnscreen(facts, std::nullopt)) << "no desktops numbered";

    // A manager may keep a minimised window mapped and only mark it hidden.
    facts.isHidden = true;
    EXPECT_FALSE(isOnscreen(facts, 0));
    facts.isHidden = false;
    facts.isViewable = false;
    EXPECT_FALSE(isOnscreen(facts, 0));
    facts.isViewable = true;

    // A manager that keeps windows of other desktops mapped.
    facts.desktop = 1;
    EXPECT_FALSE(isOnscreen(facts, 0));
    EXPECT_TRUE(isOnscreen(facts, 1));
    EXPECT_TRUE(isOnscreen(facts, std::nullopt));
    facts.desktop = allDesktops;
    EXPECT_TRUE(isOnscreen(facts, 3));
}

TEST(XcbWindowReader, RecordsCarryWhatIsKnownAndLeaveOutWhatIsNot)
{
    // A primary monitor of 1280x800 pixels at 2 pixels per point.
    const XcbCoordinates coordinates{PixelRect{0, 0, 1280, 800}, 2.0};
    XcbWindowFacts facts = shownWindow();
    facts.pid = 4242;
    facts.windowClass = XcbWindowClass{"xterm", "XTerm"};
    facts.opacity = 0x7fffffffu;
    facts.isAbove = true;

    const WindowRecord record = windowRecord(facts, true, coordinates);
    EXPECT_EQ(record.ownerPID, RecordValue{RecordNumber{std::int64_t{4242}}});
    EXPECT_EQ(record.layer, RecordValue{RecordNumber{std::int64_t{3}}});
    EXPECT_EQ(record.number, RecordValue{RecordNumber{std::int64_t{0x600001}}});
    EXPECT_EQ(record.bounds, RecordValue{(RecordBounds{690, 50, 243, 170.5})});
    EXPECT_EQ(record.isOnscreen, RecordValue{RecordNumber{std::int64_t{1}}});
    EXPECT_NEAR(std::get<RecordNumber>(*record.alpha).doubleValue(), 0.5, 1e-9);
    EXPECT_EQ(record.ownerName, RecordValue{std::string("XTerm")});

    // No pid, no opacity, a class without its second string.
    facts.pid.reset();
    facts.opacity.reset();
    facts.windowClass = XcbWindowClass{"tool", ""};
    const WindowRecord bare = windowRecord(facts, false, coordinates);
    EXPECT_FALSE(bare.ownerPID);
    EXPECT_FALSE(bare.alpha);
    EXPECT_EQ(bare.ownerName, RecordValue{std::string("tool")});
    EXPECT_EQ(bare.isOnscreen, RecordValue{RecordNumber{std::int64_t{0}}});
}

TEST(XcbWindowReader, WindowClassIsTwoTerminatedStrings)
{
    using namespace std::string_view_literals;
    EXPECT_EQ(parseWindowClass("xterm\0XTerm\0"sv), (XcbWindowClass{"xterm", "XTerm"}));
    EXPECT_EQ(parseWindowClass("xterm\0XTerm"sv), (XcbWindowClass{"xterm", "XTerm"}));
    EXPECT_EQ(parseWindowClass("lonely"sv), (XcbWindowClass{"lonely", ""}));
    EXPECT_EQ(parseWindowClass("\0Class\0"sv), (XcbWindowClass{"", "Class"}));
    EXPECT_FALSE(parseWindowClass(""sv));
    EXPECT_FALSE(parseWindowClass("\0\0"sv));
}

} // namespace
} // namespace halomark::x11
