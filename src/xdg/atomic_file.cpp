#include "xdg/atomic_file.h"

#include "xdg/system_error.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace halomark::xdg {
namespace {

std::string failure(const std::filesystem::path& path, int errorNumber)
{
    return path.string() + ": " + describeError(errorNumber);
}

bool writeAll(int fd, std::string_view contents)
{
    while (!contents.empty()) {
        const ssize_t count = ::write(fd, contents.data(), contents.size());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        contents.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

// The rename itself reaches the disk only with its folder.
void syncFolderOf(const std::filesystem::path& path)
{
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::string_view contents, mode_t mode)
{
    std::string temporary = path.string() + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return failure(path, errno);
    }
    const auto fail = [&](int errorNumber) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return failure(path, errorNumber);
    };
    // mkostemp makes the file private; the caller says who may read it.
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, contents) || ::fsync(fd) != 0) {
        return fail(errno);
    }
    if (::close(fd) != 0) {
        const int errorNumber = errno;
        ::unlink(temporary.c_str());
        return failure(path, errorNumber);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int errorNumber = errno;
        ::unlink(temporary.c_str());
        return failure(path, errorNumber);
    }
    syncFolderOf(path);
    return std::nullopt;
}

} // namespace halomark::xdg
