#include "platform/window_server.h"

#include <cmath>
#include <limits>

namespace halomark {
namespace {

// Converts a floating-point value towards zero, clamping at the limits of the target type
// and reading NaN as 0, so that no conversion is ever undefined.
template <typename Integer> Integer truncateSaturating(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    constexpr auto low = static_cast<double>(std::numeric_limits<Integer>::min());
    constexpr auto high = static_cast<double>(std::numeric_limits<Integer>::max());
    if (value <= low) {
        return std::numeric_limits<Integer>::min();
    }
    if (value >= high) {
        return std::numeric_limits<Integer>::max();
    }
    return static_cast<Integer>(value);
}

} // namespace

// Integers narrow by keeping their low bits, as the platform's number type does.
std::int32_t RecordNumber::intValue() const
{
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(*integer));
    }
    return truncateSaturating<std::int32_t>(std::get<double>(value));
}

std::int64_t RecordNumber::integerValue() const
{
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return *integer;
    }
    return truncateSaturating<std::int64_t>(std::get<double>(value));
}

std::uint32_t RecordNumber::unsignedIntValue() const
{
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return static_cast<std::uint32_t>(*integer);
    }
    return static_cast<std::uint32_t>(truncateSaturating<std::int64_t>(std::get<double>(value)));
}

double RecordNumber::doubleValue() const
{
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return static_cast<double>(*integer);
    }
    return std::get<double>(value);
}

bool RecordNumber::boolValue() const
{
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return *integer != 0;
    }
    return std::get<double>(value) != 0.0;
}

} // namespace halomark
