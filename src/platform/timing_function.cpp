#include "platform/timing_function.h"

#include <algorithm>
#include <cmath>

namespace halomark {
namespace {

// One coordinate of a cubic Bezier from 0 to 1 in polynomial form: ((a t + b) t + c) t.
struct Polynomial
{
    double a;
    double b;
    double c;

    // c = 3 p1, b = 3 (p2 - p1) - c, a = 1 - c - b.
    Polynomial(double p1, double p2) : a(1 + 3 * p1 - 3 * p2), b(3 * p2 - 6 * p1), c(3 * p1) {}

    double at(double t) const { return ((a * t + b) * t + c) * t; }
    double slope(double t) const { return (3 * a * t + 2 * b) * t + c; }
};

constexpr double kTolerance = 1e-12;

// The parameter at which the x polynomial equals x, for x in [0, 1]. Newton's method from
// x itself converges in a few steps on these gentle curves; where the slope is too flat for
// it (near the ends of ease curves) bisection finishes the job.
double solveParameter(const Polynomial& px, double x)
{
    double t = x;
    for (int i = 0; i < 8; ++i) {
        const double error = px.at(t) - x;
        if (std::abs(error) < kTolerance) {
            return t;
        }
        const double slope = px.slope(t);
        if (std::abs(slope) < 1e-7) {
            break;
        }
        t -= error / slope;
        if (t < 0 || t > 1) {
            break;
        }
    }
    double lo = 0;
    double hi = 1;
    t = x;
    for (int i = 0; i < 100; ++i) {
        const double error = px.at(t) - x;
        if (std::abs(error) < kTolerance) {
            break;
        }
        if (error > 0) {
            hi = t;
        } else {
            lo = t;
        }
        t = (lo + hi) / 2;
    }
    return t;
}

} // namespace

double TimingFunction::value(double fraction) const
{
    const double x = std::clamp(fraction, 0.0, 1.0);
    if (x == 0 || x == 1) {
        return x;
    }
    const Polynomial px(control1.x, control2.x);
    const Polynomial py(control1.y, control2.y);
    return py.at(solveParameter(px, x));
}

Point TimingFunction::pointAt(double t) const
{
    return {Polynomial(control1.x, control2.x).at(t), Polynomial(control1.y, control2.y).at(t)};
}

} // namespace halomark
