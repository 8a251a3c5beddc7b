#include "xdg/desktop_entry.h"

#include <algorithm>

namespace halomark::xdg {
namespace {

std::string_view trimmed(std::string_view text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::vector<std::string_view> linesOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    return lines;
}

std::optional<std::string_view> groupOf(std::string_view line)
{
    line = trimmed(line);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
        return line.substr(1, line.size() - 2);
    }
    return std::nullopt;
}

std::optional<std::string_view> keyOf(std::string_view line)
{
    line = trimmed(line);
    const std::size_t equals = line.find('=');
    if (line.empty() || line.front() == '#' || equals == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view key = trimmed(line.substr(0, equals));
    return key.empty() ? std::nullopt : std::optional(key);
}

bool isFieldCode(std::string_view word)
{
    return word.size() == 2 && word[0] == '%' &&
           std::string_view("fFuUdDnNickvm").find(word[1]) != std::string_view::npos;
}

void replaceAll(std::string& text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

} // namespace

DesktopEntry DesktopEntry::parse(std::string_view text)
{
    DesktopEntry entry;
    Keys* current = nullptr; // null before the first group and in a repeated one
    for (const std::string_view line : linesOf(text)) {
        if (const auto group = groupOf(line)) {
            const auto [where, added] = entry.groups.try_emplace(std::string(*group));
            current = added ? &where->second : nullptr;
            continue;
        }
        const auto key = keyOf(line);
        if (current == nullptr || !key) {
            continue;
        }
        const std::string_view rest = trimmed(line);
        const std::string_view value = trimmed(rest.substr(rest.find('=') + 1));
        current->try_emplace(std::string(*key), unescapeValue(value));
    }
    return entry;
}

const DesktopEntry::Keys* DesktopEntry::keysOf(std::string_view group) const
{
    const auto found = groups.find(group);
    return found == groups.end() ? nullptr : &found->second;
}

bool DesktopEntry::hasGroup(std::string_view group) const
{
    return keysOf(group) != nullptr;
}

std::optional<std::string> DesktopEntry::value(std::string_view key, std::string_view group) const
{
    const Keys* keys = keysOf(group);
    if (keys == nullptr) {
        return std::nullopt;
    }
    const auto found = keys->find(key);
    return found == keys->end() ? std::nullopt : std::optional(found->second);
}

std::optional<std::string> DesktopEntry::localizedValue(std::string_view key,
                                                        std::string_view locale,
                                                        std::string_view group) const
{
    for (const std::string& form : localeForms(locale)) {
        if (auto found = value(std::string(key) + "[" + form + "]", group)) {
            return found;
        }
    }
    return value(key, group);
}

std::optional<bool> DesktopEntry::boolean(std::string_view key, std::string_view group) const
{
    const auto text = value(key, group);
    if (text == "true") {
        return true;
    }
    if (text == "false") {
        return false;
    }
    return std::nullopt;
}

std::string unescapeValue(std::string_view value)
{
    std::string result;
    result.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            result.push_back(value[i]);
            continue;
        }
        switch (const char next = value[++i]) {
        case 's':
            result.push_back(' ');
            break;
        case 'n':
            result.push_back('\n');
            break;
        case 't':
            result.push_back('\t');
            break;
        case 'r':
            result.push_back('\r');
            break;
        case '\\':
            result.push_back('\\');
            break;
        default:
            result.push_back('\\');
            result.push_back(next);
        }
    }
    return result;
}

std::string escapeValue(std::string_view value)
{
    std::string result;
    for (const char c : value) {
        switch (c) {
        case '\\':
            result += "\\\\";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\t':
            result += "\\t";
            break;
        case '\r':
            result += "\\r";
            break;
        default:
            result.push_back(c);
        }
    }
    // Blanks at the ends of a value would be trimmed away when it is read.
    if (!result.empty() && result.front() == ' ') {
        result.replace(0, 1, "\\s");
    }
    if (!result.empty() && result.back() == ' ') {
        result.replace(result.size() - 1, 1, "\\s");
    }
    return result;
}

std::optional<std::vector<std::string>> splitExec(std::string_view exec)
{
    static constexpr std::string_view quotedEscapes = "\"`$\\";
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    const auto endWord = [&] {
        if (inWord && !isFieldCode(word)) {
            replaceAll(word, "%%", "%");
            words.push_back(word);
        }
        word.clear();
        inWord = false;
    };
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size() &&
                       quotedEscapes.find(exec[i + 1]) != std::string_view::npos) {
                word.push_back(exec[++i]);
            } else {
                word.push_back(c);
            }
        } else if (c == ' ' || c == '\t' || c == '\n') {
            endWord();
        } else {
            inWord = true;
            if (c == '"') {
                quoted = true;
            } else {
                word.push_back(c);
            }
        }
    }
    if (quoted) {
        return std::nullopt;
    }
    endWord();
    return words;
}

std::string execValueFor(std::string_view program)
{
    static constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string argument;
    if (program.find_first_of(reserved) != std::string_view::npos) {
        argument.push_back('"');
        for (const char c : program) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') {
                argument.push_back('\\');
            }
            argument.push_back(c);
        }
        argument.push_back('"');
    } else {
        argument = program;
    }
    replaceAll(argument, "%", "%%");
    return escapeValue(argument);
}

std::optional<std::string> withValue(std::string_view text, std::string_view key,
                                     std::string_view escapedValue, std::string_view group)
{
    const std::string newLine = std::string(key) + "=" + std::string(escapedValue);
    std::vector<std::string_view> lines = linesOf(text);
    // Only the first group of the name counts, as when it is read.
    const auto header = std::find_if(lines.begin(), lines.end(),
                                     [&](std::string_view line) { return groupOf(line) == group; });
    if (header == lines.end()) {
        return std::nullopt;
    }
    const auto end = std::find_if(header + 1, lines.end(),
                                  [](std::string_view line) { return groupOf(line).has_value(); });
    const auto isKey = [&](std::string_view line) { return keyOf(line) == key; };
    const auto first = std::find_if(header + 1, end, isKey);
    std::string result;
    for (auto line = lines.begin(); line != lines.end(); ++line) {
        if (line == first) {
            result += newLine + "\n";
            continue;
        }
        if (line > first && line < end && isKey(*line)) {
            continue; // a repeat that must not survive the replaced value
        }
        result += std::string(*line) + "\n";
        if (line == header && first == end) {
            result += newLine + "\n";
        }
    }
    return result;
}

std::vector<std::string> localeForms(std::string_view locale)
{
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.starts_with("C.")) {
        return {};
    }
    std::string_view modifier;
    if (const auto at = locale.find('@'); at != std::string_view::npos) {
        modifier = locale.substr(at + 1);
        locale = locale.substr(0, at);
    }
    locale = locale.substr(0, locale.find('.'));
    std::string_view country;
    if (const auto underscore = locale.find('_'); underscore != std::string_view::npos) {
        country = locale.substr(underscore + 1);
        locale = locale.substr(0, underscore);
    }
    const std::string lang(locale);
    std::vector<std::string> forms;
    if (!country.empty() && !modifier.empty()) {
        forms.push_back(lang + "_" + std::string(country) + "@" + std::string(modifier));
    }
    if (!country.empty()) {
        forms.push_back(lang + "_" + std::string(country));
    }
    if (!modifier.empty()) {
        forms.push_back(lang + "@" + std::string(modifier));
    }
    if (!lang.empty()) {
        forms.push_back(lang);
    }
    return forms;
}

} // namespace halomark::xdg
