#include "qt/qt_screen_agreement.h"

#include "qt/qt_coordinates.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <sstream>

namespace halomark::qt {
namespace {

bool sameFrame(const QRectF& a, const QRect& b)
{
    constexpr double tolerance = 1.0;
    return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance &&
           std::abs(a.width() - b.width()) <= tolerance &&
           std::abs(a.height() - b.height()) <= tolerance;
}

} // namespace

std::optional<std::string> screenDisagreement(const std::vector<Screen>& coreScreens,
                                              const std::vector<QRect>& qtScreens)
{
    const QtCoordinates global = QtCoordinates::global(coreScreens);
    for (const Screen& screen : coreScreens) {
        const QRectF expected = global.toQt(screen.frame);
        bool found = false;
        for (const QRect& candidate : qtScreens) {
            found = found || sameFrame(expected, candidate);
        }
        if (!found) {
            std::ostringstream text;
            text << "the screen at " << expected.x() << "," << expected.y() << " ("
                 << expected.width() << "x" << expected.height() << " at scale "
                 << screen.backingScaleFactor << ") is not where Qt places windows";
            return text.str();
        }
    }
    return std::nullopt;
}

std::optional<std::string> screenDisagreement(const std::vector<Screen>& coreScreens)
{
    std::vector<QRect> qtScreens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        qtScreens.push_back(screen->geometry());
    }
    return screenDisagreement(coreScreens, qtScreens);
}

} // namespace halomark::qt
