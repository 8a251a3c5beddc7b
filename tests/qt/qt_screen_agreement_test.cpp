#include "qt/qt_screen_agreement.h"

#include <gtest/gtest.h>

namespace halomark::qt {
namespace {

Screen screen(Rect frame, double scale = 1.0)
{
    Screen result;
    result.frame = frame;
    result.visibleFrame = frame;
    result.backingScaleFactor = scale;
    return result;
}

TEST(QtScreenAgreement, CoreScreensMustLieWhereQtPlacesWindows)
{
    // Two monitors at scale 1, the second one higher and to the right: the same in both.
    const std::vector<Screen> plain{screen({0, 0, 1280, 800}), screen({1280, -100, 1920, 1080})};
    EXPECT_FALSE(
        screenDisagreement(plain, {QRect(0, 0, 1280, 800), QRect(1280, -180, 1920, 1080)}));
    // Order does not matter, a point of rounding does not count.
    EXPECT_FALSE(
        screenDisagreement(plain, {QRect(1280, -181, 1921, 1080), QRect(0, 0, 1280, 800)}));

    // At 1.5, the system's uniform points put the second monitor at 853; Qt keeps its origin at
    // the 1280 device pixels.
    const std::vector<Screen> scaled{screen({0, 0, 853.33, 533.33}, 1.5),
                                     screen({853.33, 0, 853.33, 533.33}, 1.5)};
    const auto problem =
        screenDisagreement(scaled, {QRect(0, 0, 853, 533), QRect(1280, 0, 853, 533)});
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("853.33,0"), std::string::npos) << *problem;
    // One monitor at any scale agrees.
    EXPECT_FALSE(screenDisagreement({scaled[0]}, {QRect(0, 0, 853, 533)}));
    // A screen Qt does not know at all is found too; no screens agree trivially.
    EXPECT_TRUE(screenDisagreement(plain, {QRect(0, 0, 1280, 800)}));
    EXPECT_FALSE(screenDisagreement({}, {}));
}

} // namespace
} // namespace halomark::qt
