#include "platform/alpha_fade.h"

namespace halomark {

double AlphaFade::valueAt(double now) const
{
    // The timing function clamps the elapsed fraction to [0, 1].
    const double elapsed = duration > 0 ? (now - beginTime) / duration : 1.0;
    return fromValue + (toValue - fromValue) * timingFunction.value(elapsed);
}

bool AlphaFade::isFinished(double now) const
{
    return duration <= 0 || now >= beginTime + duration;
}

} // namespace halomark
