// The XDG base directories: where per-user configuration and data live, which system folders
// are searched after them, and the user's runtime folder. A relative value of a variable is
// invalid and ignored (the default takes its place), never resolved against the working folder.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halomark::xdg {

class BaseDirectories
{
public:
    // The value of an environment variable, nothing when unset.
    using Environment = std::function<std::optional<std::string>(std::string_view name)>;

    explicit BaseDirectories(Environment environment);
    // This process's environment; the home folder falls back to the password database.
    static BaseDirectories fromProcess();

    // $HOME when absolute; nothing when no home folder is known.
    std::optional<std::filesystem::path> home() const;
    // $XDG_CONFIG_HOME, otherwise ~/.config.
    std::optional<std::filesystem::path> configHome() const;
    // $XDG_DATA_HOME, otherwise ~/.local/share.
    std::optional<std::filesystem::path> dataHome() const;
    // The absolute folders of $XDG_CONFIG_DIRS, otherwise /etc/xdg.
    std::vector<std::filesystem::path> configDirs() const;
    // The absolute folders of $XDG_DATA_DIRS, otherwise /usr/local/share and /usr/share.
    std::vector<std::filesystem::path> dataDirs() const;
    // The data home, then the data folders: the order in which data files are looked for.
    std::vector<std::filesystem::path> dataFolders() const;
    // $XDG_RUNTIME_DIR when absolute; there is no default. Whether the folder is fit for use
    // (ours, private) is for the user of the folder to check.
    std::optional<std::filesystem::path> runtimeDir() const;
    // The locale messages are shown in: LC_ALL, LC_MESSAGES or LANG, the first one set.
    std::string messagesLocale() const;

private:
    std::optional<std::filesystem::path> absolute(std::string_view name) const;
    std::vector<std::filesystem::path>
    absoluteList(std::string_view name, std::vector<std::filesystem::path> fallback) const;
    std::optional<std::filesystem::path> underHome(std::string_view name,
                                                   std::string_view fallback) const;

    Environment environment;
};

} // namespace halomark::xdg
