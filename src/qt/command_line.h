// The program's command line: no arguments runs Halomark; --version and --help print and
// exit; a command (locate, highlight|spotlight|clicks on|off|toggle, on, off, toggle, quit,
// status) is sent to
// the running instance; anything else is an error. It is read before the toolkit starts, so
// that these work without a display.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace halomark::qt {

struct CommandLine
{
    enum class Action
    {
        run,
        showVersion,
        showHelp,
        sendCommand, // command says which
        reject,      // an unknown argument; error says which
    };

    enum class Command
    {
        locate,
        highlightOn,
        highlightOff,
        highlightToggle,
        spotlightOn,
        spotlightOff,
        spotlightToggle,
        clicksOn,
        clicksOff,
        clicksToggle,
        enable,
        disable,
        toggle,
        quit,
        status,
    };

    Action action = Action::run;
    std::string error;
    Command command = Command::status;
};

// The arguments after the program's name.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// "halomark 0.1.0".
std::string versionText();

// The synopsis and the commands, printed after a wrong command line.
std::string usageText(std::string_view programName);

// What --help prints.
std::string helpText(std::string_view programName);

} // namespace halomark::qt
