// Cubic Bezier timing functions: a curve from (0, 0) to (1, 1) through two control points
// that maps the elapsed fraction of an animation (x) to the fraction of its change (y). The
// curve's x is solved for the elapsed fraction and y is read at the same parameter.
#pragma once

#include "platform/geometry.h"

namespace halomark {

struct TimingFunction
{
    Point control1{0, 0};
    Point control2{1, 1};

    static constexpr TimingFunction linear() { return {{0, 0}, {1, 1}}; }
    static constexpr TimingFunction easeIn() { return {{0.42, 0}, {1, 1}}; }
    static constexpr TimingFunction easeOut() { return {{0, 0}, {0.58, 1}}; }
    static constexpr TimingFunction easeInEaseOut() { return {{0.42, 0}, {0.58, 1}}; }

    // The eased fraction for an elapsed fraction, which is first clamped to [0, 1]. Control
    // points need x in [0, 1] so that the curve's x grows with its parameter.
    double value(double fraction) const;

    // The curve's point at parameter t in [0, 1].
    Point pointAt(double t) const;

    friend bool operator==(const TimingFunction&, const TimingFunction&) = default;
};

} // namespace halomark
