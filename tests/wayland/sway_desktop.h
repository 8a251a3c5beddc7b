// The private headless sway of scripts/sway-desktop.sh as the Wayland tests reach it: its
// state folder, the environment it wrote, and shell commands run as its unprivileged user.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace sway_desktop {

inline std::string stateFolder()
{
    const char* state = std::getenv("HALOMARK_SWAY_STATE");
    return state != nullptr ? state : HALOMARK_DEFAULT_SWAY_STATE;
}

inline std::map<std::string, std::string> desktopEnvironment()
{
    std::map<std::string, std::string> values;
    std::ifstream file(stateFolder() + "/env");
    for (std::string line; std::getline(file, line);) {
        if (const auto equals = line.find('='); equals != std::string::npos) {
            values[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return values;
}

// What a shell command run as the desktop's user prints, without its last line break. The
// command goes through a file, so that it may hold any quotes.
inline std::string asDesktopUser(const std::string& command)
{
    std::ofstream(stateFolder() + "/home/test-command.sh") << command << '\n';
    const std::string line = "HALOMARK_SWAY_STATE='" + stateFolder() +
                             "' " HALOMARK_SWAY_SCRIPT " exec sh '" + stateFolder() +
                             "/home/test-command.sh' 2>/dev/null";
    std::string output;
    if (FILE* pipe = ::popen(line.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            output.append(buffer, count);
        }
        ::pclose(pipe);
    }
    while (!output.empty() && output.back() == '\n') {
        output.pop_back();
    }
    return output;
}

} // namespace sway_desktop
