// A JSON value as read from text, for the settings file. Unlike Qt's JSON classes it keeps
// each number as it was written, so 2.0 stays a double and 2 an integer, and values this
// program does not interpret are written back exactly.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halomark::qt {

struct JsonValue
{
    enum class Kind
    {
        null,
        boolean,
        number,
        string,
        array,
        object,
    };

    Kind kind = Kind::null;
    bool boolean = false;
    std::string text;              // the number as written, or the decoded string
    std::vector<std::string> keys; // object member names, in file order
    std::vector<JsonValue> items;  // array elements, or object member values beside keys

    // Whether a number was written without fraction or exponent.
    bool isIntegerNumber() const;
};

// The value the whole text holds; nothing when the text is not exactly one JSON value.
std::optional<JsonValue> parseJson(std::string_view text);

// Compact JSON for the value. Numbers are written as they were read.
void appendJson(std::string& out, const JsonValue& value);
void appendJsonString(std::string& out, std::string_view text);

} // namespace halomark::qt
