#include "qt/command_line.h"

#include "app/build_info.h"

#include <optional>
#include <utility>

namespace halomark::qt {

namespace {

using Command = CommandLine::Command;

// The commands and, for those that take one, their values.
std::optional<Command> commandFor(const std::string& name, const std::string* value)
{
    if (name == "highlight") {
        if (!value) {
            return std::nullopt;
        }
        if (*value == "on") {
            return Command::highlightOn;
        }
        if (*value == "off") {
            return Command::highlightOff;
        }
        if (*value == "toggle") {
            return Command::highlightToggle;
        }
        return std::nullopt;
    }
    if (value) {
        return std::nullopt;
    }
    static const std::pair<const char*, Command> plain[] = {
        {"locate", Command::locate}, {"on", Command::enable}, {"off", Command::disable},
        {"toggle", Command::toggle}, {"quit", Command::quit}, {"status", Command::status}};
    for (const auto& [candidate, command] : plain) {
        if (name == candidate) {
            return command;
        }
    }
    return std::nullopt;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine result;
    std::vector<std::string> words;
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            // Help wins over everything else, so a mistyped line still shows how to fix it.
            return {CommandLine::Action::showHelp, {}};
        }
        if (argument == "--version" || argument == "-v") {
            if (result.action == CommandLine::Action::run) {
                result.action = CommandLine::Action::showVersion;
            }
            continue;
        }
        if (argument.starts_with('-')) {
            if (result.action != CommandLine::Action::reject) {
                result = {CommandLine::Action::reject, "unknown option '" + argument + "'"};
            }
            continue;
        }
        words.push_back(argument);
    }
    if (words.empty() || result.action == CommandLine::Action::reject) {
        return result;
    }
    if (result.action == CommandLine::Action::showVersion || words.size() > 2) {
        return {CommandLine::Action::reject, "unexpected argument '" + words.back() + "'"};
    }
    const auto command = commandFor(words[0], words.size() == 2 ? &words[1] : nullptr);
    if (!command) {
        const std::string line = words.size() == 2 ? words[0] + " " + words[1] : words[0];
        return {CommandLine::Action::reject, "unknown command '" + line + "'"};
    }
    result.action = CommandLine::Action::sendCommand;
    result.command = *command;
    return result;
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
