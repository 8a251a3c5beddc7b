// Checks that a text is an absolute address: a scheme, a colon and a non-empty remainder
// made only of characters an address may carry (percent signs starting two hex digits).
// A remainder that starts with "//" names an authority, which only "file" may leave empty.
// Usable at compile time, so that an address configured into the build is checked there.
#pragma once

#include <string_view>

namespace halomark {

namespace web_address_detail {

constexpr bool isAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
constexpr bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
// Unreserved and reserved characters; '%' is checked on its own.
constexpr bool isAddressCharacter(char c)
{
    constexpr std::string_view others = "-._~:/?#[]@!$&'()*+,;=";
    return isAlpha(c) || isDigit(c) || others.find(c) != std::string_view::npos;
}
constexpr bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

} // namespace web_address_detail

constexpr bool isAbsoluteURL(std::string_view text)
{
    using namespace web_address_detail;
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || !isAlpha(text[0])) {
        return false;
    }
    const std::string_view scheme = text.substr(0, colon);
    for (char c : scheme) {
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    const std::string_view rest = text.substr(colon + 1);
    if (rest.empty()) {
        return false;
    }
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%') {
            if (i + 2 >= rest.size() || !isHexDigit(rest[i + 1]) || !isHexDigit(rest[i + 2])) {
                return false;
            }
            i += 2;
        } else if (!isAddressCharacter(rest[i])) {
            return false;
        }
    }
    if (rest.starts_with("//")) {
        const std::string_view afterSlashes = rest.substr(2);
        const std::size_t end = afterSlashes.find_first_of("/?#");
        const std::string_view authority = afterSlashes.substr(0, end);
        if (authority.empty() && !equalsIgnoringCase(scheme, "file")) {
            return false;
        }
    }
    return true;
}

} // namespace halomark
