#include "qt/command_line.h"

#include "app/build_info.h"

namespace halomark::qt {

CommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine result;
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
        if (result.action != CommandLine::Action::reject) {
            result = {CommandLine::Action::reject, argument.starts_with('-')
                                                       ? "unknown option '" + argument + "'"
                                                       : "unexpected argument '" + argument + "'"};
        }
    }
    return result;
}

std::string versionText()
{
    return "halomark " + std::string(build_info::version());
}

std::string helpText(std::string_view programName)
{
    const std::string name(programName.empty() ? "halomark" : programName);
    return "Usage: " + name +
           " [--version | --help]\n"
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
           "SIGTERM, SIGINT and SIGHUP end it cleanly, removing every overlay.\n";
}

} // namespace halomark::qt
