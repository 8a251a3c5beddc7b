// Animations as data: a basic animation from one value to another along a timing function,
// a key-frame animation with one timing function per segment, and a group that gives its
// members a begin time (absolute media time), a duration, a fill mode and removal on
// completion. Members span the group's whole duration, so their times are fractions of it.
#pragma once

#include "platform/timing_function.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace halomark {

// The layer properties an animation can drive.
namespace key_paths {
inline constexpr const char* opacity = "opacity";
inline constexpr const char* scale = "transform.scale"; // uniform scale about the centre
} // namespace key_paths

struct BasicAnimation
{
    std::string keyPath;
    double fromValue = 0;
    double toValue = 0;
    TimingFunction timingFunction = TimingFunction::linear();

    double valueAt(double fraction) const;

    friend bool operator==(const BasicAnimation&, const BasicAnimation&) = default;
};

struct KeyframeAnimation
{
    std::string keyPath;
    std::vector<double> values;
    // Fractions of the duration, one per value, rising from 0 to 1. Left empty (or of the
    // wrong length) the values are spaced evenly.
    std::vector<double> keyTimes;
    // One per segment: the curve from a value to the next. Missing ones are linear.
    std::vector<TimingFunction> timingFunctions;

    // Nothing when there are no values.
    std::optional<double> valueAt(double fraction) const;

    friend bool operator==(const KeyframeAnimation&, const KeyframeAnimation&) = default;
};

using Animation = std::variant<BasicAnimation, KeyframeAnimation>;

const std::string& keyPath(const Animation& animation);
std::optional<double> valueAt(const Animation& animation, double fraction);

enum class FillMode
{
    removed,   // no effect outside the active time
    forwards,  // holds the final values after the end
    backwards, // shows the first values before the begin time
    both
};

struct AnimationGroup
{
    std::vector<Animation> animations;
    double beginTime = 0; // absolute media time in seconds
    double duration = 0;
    FillMode fillMode = FillMode::removed;
    bool removedOnCompletion = true;

    // The fraction of the duration that applies at a media time, or nothing when the group
    // has no effect then. A group removed on completion has none after its end.
    std::optional<double> fractionAt(double mediaTime) const;

    // Whether the group still changes what it shows at or after this media time.
    bool isRunning(double mediaTime) const { return mediaTime < beginTime + duration; }

    friend bool operator==(const AnimationGroup&, const AnimationGroup&) = default;
};

} // namespace halomark
