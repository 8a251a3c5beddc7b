// Desktop entries (.desktop files): groups of keys, values with their escapes, localized keys,
// and the Exec line with its own quoting. One reading for every part of the program:
// - lines are trimmed of blanks; blank lines and lines starting with '#' are skipped;
// - a group that appears again is ignored, as is a key that appears again in its group: the
//   first one counts (repeats are invalid, and the first is what a reader stopping early sees);
// - \s \n \t \r \\ in a value are a space, a newline, a tab, a carriage return and a backslash;
//   a backslash before any other character is kept with it, since Exec quoting gives some of
//   those (\" \` \$) a meaning of their own.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halomark::xdg {

inline constexpr std::string_view kDesktopEntryGroup = "Desktop Entry";

class DesktopEntry
{
public:
    static DesktopEntry parse(std::string_view text);

    bool hasGroup(std::string_view group) const;
    // A value with its escapes undone.
    std::optional<std::string> value(std::string_view key,
                                     std::string_view group = kDesktopEntryGroup) const;
    // A localized key ("Name") in the first of the locale's forms that the entry has
    // (lang_COUNTRY@MODIFIER, lang_COUNTRY, lang@MODIFIER, lang), otherwise the plain key. The
    // locale is given as in LC_MESSAGES ("de_DE.UTF-8").
    std::optional<std::string> localizedValue(std::string_view key, std::string_view locale,
                                              std::string_view group = kDesktopEntryGroup) const;
    // A boolean key: true or false; nothing when missing or neither.
    std::optional<bool> boolean(std::string_view key,
                                std::string_view group = kDesktopEntryGroup) const;

private:
    using Keys = std::map<std::string, std::string, std::less<>>;
    const Keys* keysOf(std::string_view group) const;

    std::map<std::string, Keys, std::less<>> groups;
};

// The escapes of a string value undone, and made again.
std::string unescapeValue(std::string_view value);
std::string escapeValue(std::string_view value);

// The arguments of an Exec value whose string escapes are already undone: words split at
// unquoted blanks; double quotes group, and inside them \" \` \$ \\ stand for the character;
// "%%" is a literal '%' and an argument that is a field code alone (%f, %U, ...) is dropped.
// Nothing for an unterminated quote.
std::optional<std::vector<std::string>> splitExec(std::string_view exec);

// The Exec value (escaped for the file) that runs the program with no arguments: quoted when
// the path holds a character the command line reserves, with '%' doubled.
std::string execValueFor(std::string_view program);

// The entry's text line by line with the first value of a key in a group replaced (or added
// after the group's header when missing), its repeats removed and every other line kept as it
// is. Nothing when the text has no such group.
std::optional<std::string> withValue(std::string_view text, std::string_view key,
                                     std::string_view escapedValue,
                                     std::string_view group = kDesktopEntryGroup);

// The forms of a locale that localized keys are looked up in, most specific first; none for
// the C locale.
std::vector<std::string> localeForms(std::string_view locale);

} // namespace halomark::xdg
