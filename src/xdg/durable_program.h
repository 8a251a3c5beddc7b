// Whether a program's path can be written into a file that runs it later (an autostart entry):
// the path must still lead to the same program at the next login. A temporary folder or a
// removable or mounted bundle may be gone by then and another user may create the same path,
// and a file or folder on the way that others can write lets them put another program there;
// either way the entry would run someone else's code as this user.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace halomark::xdg {

struct ProgramSearch
{
    // Folders whose contents do not outlast a reboot or a medium: /tmp, /var/tmp, /dev/shm,
    // $TMPDIR, /media, /run/media and /mnt.
    std::vector<std::filesystem::path> temporaryFolders;
    // Where an installed copy of the program may be, in order.
    std::vector<std::filesystem::path> installedCandidates;

    // This system's temporary folders, and the program of the given name in each absolute
    // folder of $PATH, then in /usr/bin.
    static ProgramSearch forThisSystem(const std::string& programName);
};

// Why the path is unfit, naming the part at fault; nothing when it is fit. Both the path as
// given and the path with its links resolved are checked.
std::optional<std::string>
whyNotDurable(const std::filesystem::path& program,
              const std::vector<std::filesystem::path>& temporaryFolders);

// The first candidate that is an executable regular file with a durable path.
std::optional<std::filesystem::path> installedProgram(const ProgramSearch& search);

} // namespace halomark::xdg
