// An alpha animation as every panel adapter runs it: from one alpha to another over a duration
// (seconds) along a timing function, begun at a media time. Its value is computed from the
// media time alone, so the simulated and the real panels fade along the same curve.
#pragma once

#include "platform/timing_function.h"

namespace halomark {

struct AlphaFade
{
    double fromValue = 1;
    double toValue = 0;
    double beginTime = 0; // media time, seconds
    double duration = 0;  // seconds; zero or less ends the fade at once
    TimingFunction timingFunction;

    // The alpha at the media time: the start value before the fade begins, the target from
    // its end on, and along the curve in between.
    double valueAt(double now) const;
    // Whether the fade has reached its target at the media time.
    bool isFinished(double now) const;

    friend bool operator==(const AlphaFade&, const AlphaFade&) = default;
};

} // namespace halomark
