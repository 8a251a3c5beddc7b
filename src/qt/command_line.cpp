#include "qt/command_line.h"

#include "app/build_info.h"

#include <optional>
#include <utility>

namespace halomark::qt {

namespace {

using Command = CommandLine::Command;

constexpr std::pair<const char*, Command> kPlainCommands[] = {
    {"locate", Command::locate}, {"on", Command::enable}, {"off", Command::disable},
    {"toggle", Command::toggle}, {"quit", Command::quit}, {"status", Command::status}};
constexpr std::pair<const char*, Command> kHighlightValues[] = {
    {"on", Command::highlightOn},
    {"off", Command::highlightOff},
    {"toggle", Command::highlightToggle}};
constexpr std::pair<const char*, Command> kSpotlightValues[] = {
    {"on", Command::spotlightOn},
    {"off", Command::spotlightOff},
    {"toggle", Command::spotlightToggle}};
constexpr std::pair<const char*, Command> kClicksValues[] = {
    {"on", Command::clicksOn}, {"off", Command::clicksOff}, {"toggle", Command::clicksToggle}};

// The commands that take on, off or toggle after them.
struct Switch
{
    const char* name;
    const std::pair<const char*, Command> (&values)[3];
};
constexpr Switch kSwitches[] = {
    {"highlight", kHighlightValues}, {"spotlight", kSpotlightValues}, {"clicks", kClicksValues}};

const Switch* switchNamed(const std::string& word)
{
    for (const Switch& candidate : kSwitches) {
        if (word == candidate.name) {
            return &candidate;
        }
    }
    return nullptr;
}

template <std::size_t N>
std::optional<Command> lookUp(const std::pair<const char*, Command> (&table)[N],
                              const std::string& word)
{
    for (const auto& [name, command] : table) {
        if (word == name) {
            return command;
        }
    }
    return std::nullopt;
}

// Whether the word can stand where it does: a command first, a value after a switch.
bool fits(const std::vector<std::string>& words)
{
    const Switch* named = switchNamed(words[0]);
    if (words.size() == 1) {
        return named || lookUp(kPlainCommands, words[0]);
    }
    return words.size() == 2 && named && lookUp(named->values, words[1]);
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    using Action = CommandLine::Action;
    bool version = false;
    std::string mistake; // the first one, which the error names
    std::vector<std::string> words;
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            // Help wins over everything else, so a mistyped line still shows how to fix it.
            return {Action::showHelp, {}};
        }
        if (argument == "--version" || argument == "-v") {
            version = true;
        } else if (argument.starts_with('-')) {
            mistake = mistake.empty() ? "unknown option '" + argument + "'" : mistake;
        } else {
            words.push_back(argument);
            if (mistake.empty() && !fits(words)) {
                mistake = (words.size() == 1 ? "unknown command '" : "unexpected argument '") +
                          argument + "'";
            }
        }
    }
    if (!mistake.empty()) {
        return {Action::reject, mistake};
    }
    if (words.empty()) {
        return {version ? Action::showVersion : Action::run, {}};
    }
    if (version) {
        return {Action::reject, "unexpected argument '" + words[0] + "'"};
    }
    const Switch* named = switchNamed(words[0]);
    const auto command = named
                             ? (words.size() == 2 ? lookUp(named->values, words[1]) : std::nullopt)
                             : lookUp(kPlainCommands, words[0]);
    if (!command) {
        return {Action::reject, words[0] + " needs on, off or toggle"};
    }
    return {Action::sendCommand, {}, *command};
}

std::string versionText()
{
    return "halomark " + std::string(build_info::version());
}

std::string usageText(std::string_view programName)
{
    const std::string name(programName.empty() ? "halomark" : programName);
    return "Usage: " + name + " [--version | --help]\n" + "       " + name +
           " COMMAND\n"
           "\n"
           "Commands to the running Halomark (over the session D-Bus):\n"
           "  locate                   show the ring at the pointer, as a lone tap does\n"
           "  highlight on|off|toggle  the active-window highlight\n"
           "  spotlight on|off|toggle  darken the screens except around the pointer\n"
           "  clicks on|off|toggle     a pulse at the pointer at each left or right press\n"
           "  on|off|toggle            Halomark as a whole (Enable Halomark)\n"
           "  quit                     end the running Halomark\n"
           "  status                   print its state, one line per property\n";
}

std::string helpText(std::string_view programName)
{
    return usageText(programName) +
           "\n"
           "Halomark draws attention cues during demos: a ring at the pointer when Super is\n"
           "tapped alone, a veil around the active window, and a rectangle dragged while a\n"
           "shortcut is held. It runs in the system tray of the X display in $DISPLAY; its\n"
           "menu holds every setting. One instance runs per display and user.\n"
           "\n"
           "Options:\n"
           "  -h, --help     show this help and exit\n"
           "  -v, --version  show the version and exit\n"
           "\n"
           "Settings: $XDG_CONFIG_HOME/halomark/settings.json (~/.config when unset).\n"
           "SIGTERM, SIGINT and SIGHUP end it cleanly, removing every overlay.\n"
           "A command exits with 0 when done, 1 when Halomark is not running or cannot be\n"
           "reached, and 2 for a wrong command or value.\n";
}

} // namespace halomark::qt
