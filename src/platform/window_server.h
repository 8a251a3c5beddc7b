// The window server port: the list of on-screen windows front to back, and one window's
// record by its number. A record carries its values as the server stores them, each under
// one of seven keys and each of the type it happens to have, so that a missing or mistyped
// value reaches the core and is skipped there. Bounds are in global top-left coordinates.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace halomark {

using WindowNumber = std::uint32_t;

// A number as the server stores it: an integer (flags and booleans included) or a
// floating-point value. The readers convert the way the platform's number type does,
// saturating where a value does not fit.
struct RecordNumber
{
    std::variant<std::int64_t, double> value;

    std::int32_t intValue() const;
    std::int64_t integerValue() const;
    std::uint32_t unsignedIntValue() const;
    double doubleValue() const;
    bool boolValue() const; // true when not zero

    friend bool operator==(const RecordNumber&, const RecordNumber&) = default;
};

// The dictionary form of a rectangle. A component that is missing or not a number is
// absent, and then the dictionary does not convert to a rectangle.
struct RecordBounds
{
    std::optional<double> x;
    std::optional<double> y;
    std::optional<double> width;
    std::optional<double> height;

    friend bool operator==(const RecordBounds&, const RecordBounds&) = default;
};

// A value of a type none of the keys expects (a list, data).
struct RecordOtherValue
{
    std::string description;
    friend bool operator==(const RecordOtherValue&, const RecordOtherValue&) = default;
};

using RecordValue = std::variant<RecordNumber, RecordBounds, std::string, RecordOtherValue>;

// One window's record. Each key may be missing, or hold a value of any type.
struct WindowRecord
{
    std::optional<RecordValue> ownerPID;   // expected: number
    std::optional<RecordValue> layer;      // expected: number
    std::optional<RecordValue> number;     // expected: number
    std::optional<RecordValue> bounds;     // expected: bounds dictionary, top-left coordinates
    std::optional<RecordValue> isOnscreen; // expected: number
    std::optional<RecordValue> alpha;      // expected: number
    std::optional<RecordValue> ownerName;  // expected: text

    friend bool operator==(const WindowRecord&, const WindowRecord&) = default;
};

using WindowListOptions = std::uint32_t;

namespace window_list_options {
inline constexpr WindowListOptions onScreenOnly = 1;
inline constexpr WindowListOptions excludeDesktopElements = 16;
} // namespace window_list_options

// The relative window that means "no window": the whole list.
inline constexpr WindowNumber nullWindow = 0;

class WindowServer
{
public:
    virtual ~WindowServer() = default;

    // The window list front to back, or nothing when the server does not answer.
    virtual std::optional<std::vector<WindowRecord>>
    copyWindowList(WindowListOptions options, WindowNumber relativeWindow) = 0;

    // The current record of one window, or nothing when the server knows no such window.
    virtual std::optional<WindowRecord> windowDescription(WindowNumber number) = 0;
};

} // namespace halomark
