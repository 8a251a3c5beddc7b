#include "platform/animation.h"

#include <algorithm>

namespace halomark {

double BasicAnimation::valueAt(double fraction) const
{
    return fromValue + (toValue - fromValue) * timingFunction.value(fraction);
}

std::optional<double> KeyframeAnimation::valueAt(double fraction) const
{
    const std::size_t count = values.size();
    if (count == 0) {
        return std::nullopt;
    }
    if (count == 1) {
        return values.front();
    }
    const bool hasKeyTimes = keyTimes.size() == count;
    const auto keyTime = [&](std::size_t i) {
        return hasKeyTimes ? keyTimes[i] : static_cast<double>(i) / static_cast<double>(count - 1);
    };
    if (fraction <= keyTime(0)) {
        return values.front();
    }
    if (fraction >= keyTime(count - 1)) {
        return values.back();
    }
    std::size_t i = 0;
    while (i + 2 < count && fraction >= keyTime(i + 1)) {
        ++i;
    }
    const double span = keyTime(i + 1) - keyTime(i);
    const double local = span > 0 ? (fraction - keyTime(i)) / span : 1.0;
    const TimingFunction curve =
        i < timingFunctions.size() ? timingFunctions[i] : TimingFunction::linear();
    return values[i] + (values[i + 1] - values[i]) * curve.value(local);
}

const std::string& keyPath(const Animation& animation)
{
    return std::visit([](const auto& a) -> const std::string& { return a.keyPath; }, animation);
}

std::optional<double> valueAt(const Animation& animation, double fraction)
{
    return std::visit(
        [fraction](const auto& a) -> std::optional<double> { return a.valueAt(fraction); },
        animation);
}

std::optional<double> AnimationGroup::fractionAt(double mediaTime) const
{
    if (mediaTime < beginTime) {
        if (fillMode == FillMode::backwards || fillMode == FillMode::both) {
            return 0.0;
        }
        return std::nullopt;
    }
    if (mediaTime >= beginTime + duration) {
        if (!removedOnCompletion &&
            (fillMode == FillMode::forwards || fillMode == FillMode::both)) {
            return 1.0;
        }
        return std::nullopt;
    }
    return std::clamp((mediaTime - beginTime) / duration, 0.0, 1.0);
}

} // namespace halomark
