// Runs the overlay tests on the private X desktop of scripts/xvfb-desktop.sh, inside a Qt
// application on Qt's X11 platform. Listing the tests needs no desktop.
#include "desktop.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();
    }
    if (const auto problem = halomark::x11::testing::loadDesktopEnvironment()) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
