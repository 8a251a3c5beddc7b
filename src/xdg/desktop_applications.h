// The applications installed on the desktop, from their desktop entries (the .desktop files
// under each XDG data folder's applications/). An entry's id (its path below applications/
// with '/' turned into '-' and without ".desktop") is the closest thing a Linux application
// has to a bundle identifier, and its Name, in the user's language where the entry has it,
// is the application's display name. A running program is matched to its entry by the hints
// it leaves: an application id on its window, its window class, or its executable. The
// folders are indexed on first use and again whenever one of them changes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace halomark::xdg {

// A window's WM_CLASS: the instance and the class name.
struct WindowClass
{
    std::string instance;
    std::string className;

    friend bool operator==(const WindowClass&, const WindowClass&) = default;
};

struct DesktopApplication
{
    std::string id;
    std::optional<std::string> name;

    friend bool operator==(const DesktopApplication&, const DesktopApplication&) = default;
};

// What is known of a running program that can tie it to its entry.
struct ApplicationHints
{
    std::optional<std::string> applicationId{}; // _GTK_APPLICATION_ID or _KDE_NET_WM_DESKTOP_FILE
    std::optional<WindowClass> windowClass{};
    std::optional<std::string> executable{}; // argv[0] without its folder

    friend bool operator==(const ApplicationHints&, const ApplicationHints&) = default;
};

// One parsed entry.
struct ApplicationEntry
{
    std::optional<std::string> name; // localized
    std::optional<std::string> startupWMClass;
    std::optional<std::string> executable; // the program of Exec, without its folder
    std::optional<std::string> tryExecutable;
    bool isApplication = false; // Type=Application
    bool isHidden = false;      // Hidden=true: the entry counts as deleted

    friend bool operator==(const ApplicationEntry&, const ApplicationEntry&) = default;
};

// The [Desktop Entry] group of a file's text as the xdg folder reads it, with Name in the
// locale's language where the entry has it.
ApplicationEntry parseApplicationEntry(std::string_view text, std::string_view locale);

// The program of an Exec value: its first word, past any "env" and VAR=value words, without
// its folder. Nothing for an Exec with an unterminated quote.
std::optional<std::string> executableOfCommand(std::string_view exec);

class DesktopApplications
{
public:
    // Folders of entries in order of precedence (an id found in an earlier one hides the same
    // id in later ones), and the locale as in LC_MESSAGES ("de_DE.UTF-8").
    DesktopApplications(std::vector<std::filesystem::path> applicationFolders, std::string locale);

    // The folders and the locale of this user's environment: each XDG data folder (relative
    // ones ignored) with applications/ appended; the locale from LC_ALL, LC_MESSAGES or LANG.
    // Entries are read through the bounded reader: a FIFO, a device or a huge file is skipped.
    static DesktopApplications forThisUser();

    // The entry the hints point at, trying in turn: the application id as an entry id (also
    // ignoring case); the window class, then the instance, as an entry's StartupWMClass; the
    // class, then the instance, ignoring case, as an entry id or its last dotted part
    // ("Gedit" for org.gnome.gedit); the executable as the program of an entry's Exec or
    // TryExec.
    std::optional<DesktopApplication> find(const ApplicationHints& hints);

private:
    struct Indexed
    {
        std::string id;
        ApplicationEntry entry;
    };
    void refreshIfChanged();
    void rebuild();
    std::optional<DesktopApplication> at(std::size_t index) const;
    std::optional<DesktopApplication>
    lookUp(const std::unordered_map<std::string, std::size_t>& index, const std::string& key) const;

    std::vector<std::filesystem::path> folders;
    std::string locale;
    bool isBuilt = false;
    std::vector<std::optional<std::filesystem::file_time_type>> stamps;
    std::vector<Indexed> entries;
    std::unordered_map<std::string, std::size_t> byId;
    std::unordered_map<std::string, std::size_t> byLowerId;
    std::unordered_map<std::string, std::size_t> byLowerLastPart;
    std::unordered_map<std::string, std::size_t> byWindowClass;
    std::unordered_map<std::string, std::size_t> byExecutable;
};

} // namespace halomark::xdg
