#include "platform/timing_function.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace halomark {
namespace {

TEST(TimingFunction, NamedCurvesMatchIndependentlyComputedValues)
{
    // Solved with exact rational bisection outside this code base.
    const std::vector<std::pair<TimingFunction, std::vector<std::pair<double, double>>>> cases{
        {TimingFunction::easeIn(),
         {{0.1, 0.01702660965156294},
          {0.25, 0.09346465071882486},
          {0.5, 0.3153568125725393},
          {0.75, 0.6218618691748902},
          {0.9, 0.8394278457624665}}},
        {TimingFunction::easeOut(),
         {{0.1, 0.16057215423753346},
          {0.25, 0.3781381308251098},
          {0.5, 0.6846431874274607},
          {0.75, 0.9065353492811752},
          {0.9, 0.982973390348437}}},
        {TimingFunction::easeInEaseOut(),
         {{0.1, 0.019722453548311196},
          {0.25, 0.12916193104731982},
          {0.5, 0.5},
          {0.75, 0.8708380689526802},
          {0.9, 0.9802775464516889}}},
        {TimingFunction::linear(), {{0.1, 0.1}, {0.25, 0.25}, {0.5, 0.5}, {0.9, 0.9}}},
    };
    for (const auto& [curve, samples] : cases) {
        for (const auto& [x, y] : samples) {
            EXPECT_NEAR(curve.value(x), y, 1e-9)
                << curve.control1.x << "," << curve.control2.x << " at " << x;
        }
    }
}

TEST(TimingFunction, SolvedValuesLieOnTheCurveAcrossTheWholeRange)
{
    for (const TimingFunction& curve :
         {TimingFunction::linear(), TimingFunction::easeIn(), TimingFunction::easeOut(),
          TimingFunction::easeInEaseOut(), TimingFunction{{0.9, 0.1}, {0.1, 0.9}}}) {
        double worst = 0;
        double previous = 0;
        for (int i = 0; i <= 20000; ++i) {
            // Points of the curve by parameter, including the flat ends of the ease curves.
            const Point p = curve.pointAt(i / 20000.0);
            worst = std::max(worst, std::abs(curve.value(p.x) - p.y));
            const double x = i / 20000.0;
            const double y = curve.value(x);
            EXPECT_GE(y, previous - 1e-12) << "not monotonic at " << x;
            previous = y;
        }
        EXPECT_LT(worst, 1e-6);
        EXPECT_EQ(curve.value(0), 0);
        EXPECT_EQ(curve.value(1), 1);
        EXPECT_EQ(curve.value(-0.5), 0);
        EXPECT_EQ(curve.value(7), 1);
    }
}

} // namespace
} // namespace halomark
