// The accessibility port: the element of an application, attribute values of elements with
// the error code of each read, and a hash that stays the same for the same element. Only
// reads are offered; nothing here changes another application.
#pragma once

#include "platform/geometry.h"
#include "platform/process_identifier.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace halomark {

// An opaque reference to an element of another application's interface. Only the port that
// handed it out can interpret it.
struct AccessibilityElement
{
    std::uint64_t reference = 0;
    friend bool operator==(const AccessibilityElement&, const AccessibilityElement&) = default;
};

// A value of a type other than an element, a point or a size (a text, a number, a list).
struct AccessibilityOtherValue
{
    std::string description;
    friend bool operator==(const AccessibilityOtherValue&,
                           const AccessibilityOtherValue&) = default;
};

// An attribute value: an element, a point value, a size value, or something else. Points
// are in global top-left coordinates.
using AccessibilityValue = std::variant<AccessibilityElement, Point, Size, AccessibilityOtherValue>;

using AccessibilityError = std::int32_t;

namespace accessibility_errors {
inline constexpr AccessibilityError success = 0;
inline constexpr AccessibilityError failure = -25200;
inline constexpr AccessibilityError invalidElement = -25202;
inline constexpr AccessibilityError cannotComplete = -25204;
inline constexpr AccessibilityError attributeUnsupported = -25205;
inline constexpr AccessibilityError apiDisabled = -25211;
inline constexpr AccessibilityError noValue = -25212;
} // namespace accessibility_errors

struct AccessibilityAttributeResult
{
    AccessibilityError error = accessibility_errors::success;
    std::optional<AccessibilityValue> value;

    friend bool operator==(const AccessibilityAttributeResult&,
                           const AccessibilityAttributeResult&) = default;
};

namespace accessibility_attributes {
inline constexpr const char* focusedWindow = "AXFocusedWindow";
inline constexpr const char* position = "AXPosition";
inline constexpr const char* size = "AXSize";
} // namespace accessibility_attributes

class Accessibility
{
public:
    virtual ~Accessibility() = default;

    // The element of the application with this process identifier. Always answers; reads
    // from it fail when there is no such application.
    virtual AccessibilityElement applicationElement(ProcessIdentifier pid) = 0;

    virtual AccessibilityAttributeResult copyAttributeValue(const AccessibilityElement& element,
                                                            const std::string& attribute) = 0;

    // The same value for the same element on every call.
    virtual std::uint64_t hash(const AccessibilityElement& element) = 0;
};

} // namespace halomark
