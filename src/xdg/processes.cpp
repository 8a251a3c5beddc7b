#include "xdg/processes.h"

#include "xdg/bounded_file.h"

#include <charconv>
#include <limits>
#include <sstream>

namespace halomark::xdg {

namespace {

// /proc files are small; the bounded reader reads them to their end though they report size 0.
std::optional<std::string> readFile(const std::filesystem::path& path)
{
    return xdg::readBoundedFile(path).contents;
}

std::filesystem::path processFolder(ProcessIdentifier pid, const std::filesystem::path& proc)
{
    return proc / std::to_string(pid);
}

} // namespace

std::optional<ProcessStatus> parseProcessStatus(std::string_view stat)
{
    const std::size_t open = stat.find('(');
    const std::size_t close = stat.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return std::nullopt;
    }
    ProcessStatus status;
    status.command = std::string(stat.substr(open + 1, close - open - 1));
    // Fields 3 onwards: state, ppid, pgrp, session, tty, tpgid, flags, minflt, cminflt,
    // majflt, cmajflt, utime, stime, cutime, cstime, priority, nice, threads, itrealvalue,
    // starttime (field 22).
    std::istringstream fields{std::string(stat.substr(close + 1))};
    std::string field;
    for (int number = 3; number <= 22; ++number) {
        if (!(fields >> field)) {
            return std::nullopt;
        }
        if (number == 3) {
            if (field.size() != 1) {
                return std::nullopt;
            }
            status.state = field.front();
        } else if (number == 22) {
            const auto [end, error] =
                std::from_chars(field.data(), field.data() + field.size(), status.startTime);
            if (error != std::errc{} || end != field.data() + field.size()) {
                return std::nullopt;
            }
        }
    }
    return status;
}

std::optional<ProcessStatus> readProcessStatus(ProcessIdentifier pid,
                                               const std::filesystem::path& proc)
{
    if (pid <= 0) {
        return std::nullopt;
    }
    const auto text = readFile(processFolder(pid, proc) / "stat");
    if (!text) {
        return std::nullopt;
    }
    return parseProcessStatus(*text);
}

std::optional<std::string> readExecutableName(ProcessIdentifier pid,
                                              const std::filesystem::path& proc)
{
    if (pid <= 0) {
        return std::nullopt;
    }
    const auto text = readFile(processFolder(pid, proc) / "cmdline");
    if (!text || text->empty()) {
        return std::nullopt;
    }
    const std::string first = text->substr(0, text->find('\0'));
    const std::string name = std::filesystem::path(first).filename().string();
    if (name.empty()) {
        return std::nullopt;
    }
    return name;
}

int majorVersionOf(std::string_view release)
{
    int major = 0;
    const auto [end, error] =
        std::from_chars(release.data(), release.data() + release.size(), major);
    if (error != std::errc{} || end == release.data() || major < 0) {
        return 0;
    }
    return major;
}

} // namespace halomark::xdg
