// The program's command line: no arguments runs Halomark; --version and --help print and
// exit; anything else is an error. It is read before the toolkit starts, so that these work
// without a display.
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
        reject, // an unknown argument; error says which
    };

    Action action = Action::run;
    std::string error;
};

// The arguments after the program's name.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// "halomark 0.1.0".
std::string versionText();

// What --help prints.
std::string helpText(std::string_view programName);

} // namespace halomark::qt
