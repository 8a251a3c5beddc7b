#include "xdg/desktop_applications.h"

#include "xdg/base_directories.h"
#include "xdg/bounded_file.h"
#include "xdg/desktop_entry.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace halomark::xdg {

namespace {

std::string lowered(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::optional<std::string> programName(std::string_view program)
{
    const std::string name = std::filesystem::path(std::string(program)).filename().string();
    if (name.empty()) {
        return std::nullopt;
    }
    return name;
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

} // namespace

ApplicationEntry parseApplicationEntry(std::string_view text, std::string_view locale)
{
    const auto file = xdg::DesktopEntry::parse(text);
    ApplicationEntry entry;
    entry.name = file.localizedValue("Name", locale);
    entry.isApplication = file.value("Type") == "Application";
    entry.isHidden = file.boolean("Hidden") == true;
    if (auto wmClass = file.value("StartupWMClass"); wmClass && !wmClass->empty()) {
        entry.startupWMClass = std::move(wmClass);
    }
    if (const auto exec = file.value("Exec")) {
        entry.executable = executableOfCommand(*exec);
    }
    if (const auto tryExec = file.value("TryExec"); tryExec && !tryExec->empty()) {
        entry.tryExecutable = programName(*tryExec);
    }
    return entry;
}

std::optional<std::string> executableOfCommand(std::string_view exec)
{
    const auto words = xdg::splitExec(exec);
    if (!words) {
        return std::nullopt;
    }
    std::size_t index = 0;
    if (index < words->size() && programName((*words)[index]) == "env") {
        ++index;
        while (index < words->size() && ((*words)[index].find('=') != std::string::npos ||
                                         (*words)[index].starts_with("-"))) {
            ++index;
        }
    }
    if (index >= words->size()) {
        return std::nullopt;
    }
    return programName((*words)[index]);
}

DesktopApplications::DesktopApplications(std::vector<std::filesystem::path> applicationFolders,
                                         std::string locale)
    : folders(std::move(applicationFolders)), locale(std::move(locale))
{}

DesktopApplications DesktopApplications::forThisUser()
{
    const auto directories = xdg::BaseDirectories::fromProcess();
    std::vector<std::filesystem::path> folders;
    for (const auto& folder : directories.dataFolders()) {
        folders.push_back(folder / "applications");
    }
    return DesktopApplications(std::move(folders), directories.messagesLocale());
}

std::optional<DesktopApplication> DesktopApplications::find(const ApplicationHints& hints)
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

void DesktopApplications::refreshIfChanged()
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

void DesktopApplications::rebuild()
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
            const auto read = xdg::readBoundedFile(file);
            if (!read.contents) {
                continue;
            }
            ApplicationEntry entry = parseApplicationEntry(*read.contents, locale);
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

std::optional<DesktopApplication> DesktopApplications::at(std::size_t index) const
{
    return DesktopApplication{entries[index].id, entries[index].entry.name};
}

std::optional<DesktopApplication>
DesktopApplications::lookUp(const std::unordered_map<std::string, std::size_t>& index,
                            const std::string& key) const
{
    const auto found = index.find(key);
    if (found == index.end()) {
        return std::nullopt;
    }
    return at(found->second);
}

} // namespace halomark::xdg
