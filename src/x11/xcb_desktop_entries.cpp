#include "x11/xcb_desktop_entries.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace halomark::x11 {

namespace {

std::string lowered(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string_view trimmed(std::string_view text)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The escapes of a string value: \s, \n, \t, \r and \\.
std::string unescaped(std::string_view value)
{
    std::string result;
    result.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            result.push_back(value[i]);
            continue;
        }
        switch (value[++i]) {
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
        default:
            result.push_back(value[i]);
        }
    }
    return result;
}

// The locale forms a localized key is looked up in, most specific first; none for the C
// locale.
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

std::optional<std::string> programName(std::string_view program)
{
    const std::string name = std::filesystem::path(std::string(program)).filename().string();
    if (name.empty()) {
        return std::nullopt;
    }
    return name;
}

std::optional<std::string> readFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::optional<std::filesystem::file_time_type> stampOf(const std::filesystem::path& folder)
{
    std::error_code error;
    const auto stamp = std::filesystem::last_write_time(folder, error);
    if (error) {
        return std::nullopt;
    }
    return stamp;
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : std::string();
}

} // namespace

DesktopEntry parseDesktopEntry(std::string_view text, std::string_view locale)
{
    DesktopEntry entry;
    std::map<std::string, std::string, std::less<>> localizedNames;
    bool inMainGroup = false;
    bool sawMainGroup = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            // Only the first [Desktop Entry] group describes the application; actions follow.
            inMainGroup = line == "[Desktop Entry]" && !sawMainGroup;
            sawMainGroup = sawMainGroup || inMainGroup;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inMainGroup || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = trimmed(line.substr(0, equals));
        const std::string value = unescaped(trimmed(line.substr(equals + 1)));
        if (key == "Name") {
            entry.name = value;
        } else if (key.starts_with("Name[") && key.ends_with("]")) {
            localizedNames.emplace(std::string(key.substr(5, key.size() - 6)), value);
        } else if (key == "Type") {
            entry.isApplication = value == "Application";
        } else if (key == "Hidden") {
            entry.isHidden = value == "true";
        } else if (key == "StartupWMClass" && !value.empty()) {
            entry.startupWMClass = value;
        } else if (key == "Exec") {
            entry.executable = executableOfCommand(value);
        } else if (key == "TryExec" && !value.empty()) {
            entry.tryExecutable = programName(value);
        }
    }
    for (const std::string& form : localeForms(locale)) {
        if (const auto found = localizedNames.find(form); found != localizedNames.end()) {
            entry.name = found->second;
            break;
        }
    }
    return entry;
}

std::optional<std::string> executableOfCommand(std::string_view exec)
{
    // Words split at unquoted blanks; double quotes group, and a backslash in them escapes.
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size()) {
                word.push_back(exec[++i]);
            } else {
                word.push_back(c);
            }
        } else if (c == ' ' || c == '\t') {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
        } else {
            inWord = true;
            if (c == '"') {
                quoted = true;
            } else {
                word.push_back(c);
            }
        }
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    std::size_t index = 0;
    if (index < words.size() && programName(words[index]) == "env") {
        ++index;
        while (index < words.size() &&
               (words[index].find('=') != std::string::npos || words[index].starts_with("-"))) {
            ++index;
        }
    }
    if (index >= words.size()) {
        return std::nullopt;
    }
    return programName(words[index]);
}

XcbDesktopEntries::XcbDesktopEntries(std::vector<std::filesystem::path> applicationFolders,
                                     std::string locale)
    : folders(std::move(applicationFolders)), locale(std::move(locale))
{}

XcbDesktopEntries XcbDesktopEntries::forThisUser()
{
    std::vector<std::filesystem::path> folders;
    std::string dataHome = environment("XDG_DATA_HOME");
    if (dataHome.empty() && !environment("HOME").empty()) {
        dataHome = environment("HOME") + "/.local/share";
    }
    if (!dataHome.empty()) {
        folders.emplace_back(std::filesystem::path(dataHome) / "applications");
    }
    std::string dataDirs = environment("XDG_DATA_DIRS");
    if (dataDirs.empty()) {
        dataDirs = "/usr/local/share:/usr/share";
    }
    std::string_view rest = dataDirs;
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        if (!folder.empty()) {
            folders.emplace_back(std::filesystem::path(std::string(folder)) / "applications");
        }
        rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    }
    std::string locale = environment("LC_ALL");
    if (locale.empty()) {
        locale = environment("LC_MESSAGES");
    }
    if (locale.empty()) {
        locale = environment("LANG");
    }
    return XcbDesktopEntries(std::move(folders), std::move(locale));
}

std::optional<DesktopApplication> XcbDesktopEntries::find(const ApplicationHints& hints)
{
    refreshIfChanged();
    if (hints.applicationId) {
        if (auto found = lookUp(byId, *hints.applicationId)) {
            return found;
        }
        if (auto found = lookUp(byLowerId, lowered(*hints.applicationId))) {
            return found;
        }
    }
    std::vector<std::string> names;
    if (hints.windowClass) {
        for (const std::string& name :
             {hints.windowClass->className, hints.windowClass->instance}) {
            if (!name.empty()) {
                names.push_back(name);
            }
        }
    }
    for (const std::string& name : names) {
        if (auto found = lookUp(byWindowClass, name)) {
            return found;
        }
    }
    for (const std::string& name : names) {
        if (auto found = lookUp(byLowerId, lowered(name))) {
            return found;
        }
        if (auto found = lookUp(byLowerLastPart, lowered(name))) {
            return found;
        }
    }
    if (hints.executable) {
        return lookUp(byExecutable, *hints.executable);
    }
    return std::nullopt;
}

void XcbDesktopEntries::refreshIfChanged()
{
    std::vector<std::optional<std::filesystem::file_time_type>> current;
    current.reserve(folders.size());
    for (const auto& folder : folders) {
        current.push_back(stampOf(folder));
    }
    if (isBuilt && current == stamps) {
        return;
    }
    stamps = std::move(current);
    rebuild();
}

void XcbDesktopEntries::rebuild()
{
    isBuilt = true;
    entries.clear();
    byId.clear();
    byLowerId.clear();
    byLowerLastPart.clear();
    byWindowClass.clear();
    byExecutable.clear();
    std::set<std::string> seen;
    for (const auto& folder : folders) {
        std::vector<std::filesystem::path> files;
        std::error_code error;
        std::filesystem::recursive_directory_iterator it(
            folder, std::filesystem::directory_options::skip_permission_denied, error);
        for (; !error && it != std::filesystem::recursive_directory_iterator();
             it.increment(error)) {
            if (it->path().extension() == ".desktop") {
                files.push_back(it->path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            std::string id = file.lexically_relative(folder).replace_extension().string();
            std::replace(id.begin(), id.end(), '/', '-');
            // An id already seen in an earlier folder hides this one, even when hidden itself.
            if (!seen.insert(id).second) {
                continue;
            }
            const auto text = readFile(file);
            if (!text) {
                continue;
            }
            DesktopEntry entry = parseDesktopEntry(*text, locale);
            if (!entry.isApplication || entry.isHidden) {
                continue;
            }
            const std::size_t index = entries.size();
            byId.emplace(id, index);
            byLowerId.emplace(lowered(id), index);
            byLowerLastPart.emplace(lowered(id.substr(id.rfind('.') + 1)), index);
            if (entry.startupWMClass) {
                byWindowClass.emplace(*entry.startupWMClass, index);
            }
            for (const auto& program : {entry.executable, entry.tryExecutable}) {
                if (program) {
                    byExecutable.emplace(*program, index);
                }
            }
            entries.push_back(Indexed{std::move(id), std::move(entry)});
        }
    }
}

std::optional<DesktopApplication> XcbDesktopEntries::at(std::size_t index) const
{
    return DesktopApplication{entries[index].id, entries[index].entry.name};
}

std::optional<DesktopApplication>
XcbDesktopEntries::lookUp(const std::unordered_map<std::string, std::size_t>& index,
                          const std::string& key) const
{
    const auto found = index.find(key);
    if (found == index.end()) {
        return std::nullopt;
    }
    return at(found->second);
}

} // namespace halomark::x11
