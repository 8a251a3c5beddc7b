#include "xdg/base_directories.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace halomark::xdg {
namespace {

std::optional<std::filesystem::path> absolutePath(std::string_view value)
{
    if (value.empty() || value.front() != '/') {
        return std::nullopt;
    }
    std::filesystem::path path = std::filesystem::path(value).lexically_normal();
    // "/x/" and "/x" are one folder.
    if (!path.has_filename() && path != path.root_path()) {
        path = path.parent_path();
    }
    return path;
}

std::optional<std::string> passwordHome()
{
    struct passwd entry = {};
    struct passwd* found = nullptr;
    std::string buffer(16384, '\0');
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr) {
        return std::nullopt;
    }
    return std::string(found->pw_dir);
}

} // namespace

BaseDirectories::BaseDirectories(Environment environment) : environment(std::move(environment)) {}

BaseDirectories BaseDirectories::fromProcess()
{
    return BaseDirectories([](std::string_view name) -> std::optional<std::string> {
        const std::string variable(name);
        if (const char* value = std::getenv(variable.c_str())) {
            return std::string(value);
        }
        if (name == "HOME") {
            return passwordHome();
        }
        return std::nullopt;
    });
}

std::optional<std::filesystem::path> BaseDirectories::absolute(std::string_view name) const
{
    const auto value = environment(name);
    return value ? absolutePath(*value) : std::nullopt;
}

std::vector<std::filesystem::path>
BaseDirectories::absoluteList(std::string_view name,
                              std::vector<std::filesystem::path> fallback) const
{
    std::vector<std::filesystem::path> folders;
    std::string_view rest;
    const auto value = environment(name);
    if (value) {
        rest = *value;
    }
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        if (auto folder = absolutePath(rest.substr(0, colon))) {
            folders.push_back(std::move(*folder));
        }
        rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    }
    return folders.empty() ? fallback : folders;
}

std::optional<std::filesystem::path> BaseDirectories::underHome(std::string_view name,
                                                                std::string_view fallback) const
{
    if (auto folder = absolute(name)) {
        return folder;
    }
    if (auto folder = home()) {
        return *folder / fallback;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> BaseDirectories::home() const
{
    return absolute("HOME");
}

std::optional<std::filesystem::path> BaseDirectories::configHome() const
{
    return underHome("XDG_CONFIG_HOME", ".config");
}

std::optional<std::filesystem::path> BaseDirectories::dataHome() const
{
    return underHome("XDG_DATA_HOME", ".local/share");
}

std::vector<std::filesystem::path> BaseDirectories::configDirs() const
{
    return absoluteList("XDG_CONFIG_DIRS", {"/etc/xdg"});
}

std::vector<std::filesystem::path> BaseDirectories::dataDirs() const
{
    return absoluteList("XDG_DATA_DIRS", {"/usr/local/share", "/usr/share"});
}

std::vector<std::filesystem::path> BaseDirectories::dataFolders() const
{
    std::vector<std::filesystem::path> folders;
    if (auto folder = dataHome()) {
        folders.push_back(std::move(*folder));
    }
    for (auto& folder : dataDirs()) {
        folders.push_back(std::move(folder));
    }
    return folders;
}

std::optional<std::filesystem::path> BaseDirectories::runtimeDir() const
{
    return absolute("XDG_RUNTIME_DIR");
}

std::string BaseDirectories::messagesLocale() const
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (auto value = environment(name); value && !value->empty()) {
            return *value;
        }
    }
    return {};
}

} // namespace halomark::xdg
