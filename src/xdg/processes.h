// What the system says about local processes, read from /proc, and the system's version.
#pragma once

#include "platform/process_identifier.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace halomark::xdg {

struct ProcessStatus
{
    std::string command; // the kernel's short name of the program (at most 15 characters)
    char state = '?';    // R, S, D, Z (a zombie: exited, not yet reaped), ...
    // Clock ticks after boot when the process started: with the pid, it names one process,
    // since the kernel hands a pid out again only after the process that had it is gone.
    std::uint64_t startTime = 0;

    bool isAlive() const { return state != 'Z' && state != 'X' && state != 'x'; }

    friend bool operator==(const ProcessStatus&, const ProcessStatus&) = default;
};

// The status from the text of /proc/PID/stat. The command stands in parentheses and may itself
// hold spaces and parentheses, so the fields after it are found from the last ')'.
std::optional<ProcessStatus> parseProcessStatus(std::string_view stat);

// The status of a process; nothing when there is no such process.
std::optional<ProcessStatus> readProcessStatus(ProcessIdentifier pid,
                                               const std::filesystem::path& proc = "/proc");

// The file name of the program the process was started as (argv[0] without its folder), which
// unlike the short name is not cut; nothing when unreadable (a kernel thread has none).
std::optional<std::string> readExecutableName(ProcessIdentifier pid,
                                              const std::filesystem::path& proc = "/proc");

// The leading number of a release text ("6.1.0-18-amd64" gives 6); 0 when there is none.
int majorVersionOf(std::string_view release);

} // namespace halomark::xdg
