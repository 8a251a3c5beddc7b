// Reading a file that another program wrote, without trusting it: only a regular file is read,
// never more than a size cap, and opening never waits (a FIFO or a device is refused, not read,
// so neither a writer that never comes nor an endless device can hold or exhaust the program).
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace halomark::xdg {

// Desktop entries, autostart entries and settings files are a few kilobytes; 1 MiB leaves room.
inline constexpr std::size_t kDefaultFileSizeCap = 1024 * 1024;

struct BoundedReadOptions
{
    std::size_t sizeCap = kDefaultFileSizeCap;
    // When false a symbolic link in the last component is refused instead of followed.
    bool followLinks = true;
};

struct BoundedRead
{
    std::optional<std::string> contents; // the whole file, when it could be read
    int errorNumber = 0;                 // the system's error number (ENOENT: no file), or 0
    std::string error;                   // why it could not be read, naming the path

    bool isMissing() const;
};

BoundedRead readBoundedFile(const std::filesystem::path& path,
                            const BoundedReadOptions& options = {});

} // namespace halomark::xdg
