#include "xdg/bounded_file.h"

#include "xdg/system_error.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace halomark::xdg {
namespace {

BoundedRead failure(const std::filesystem::path& path, int errorNumber, const std::string& why)
{
    return BoundedRead{std::nullopt, errorNumber, path.string() + ": " + why};
}

const char* kindOf(mode_t mode)
{
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISFIFO(mode)) {
        return "a pipe";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "not a regular file";
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd; }

private:
    int fd;
};

} // namespace

bool BoundedRead::isMissing() const
{
    return !contents && (errorNumber == ENOENT || errorNumber == ENOTDIR);
}

BoundedRead readBoundedFile(const std::filesystem::path& path, const BoundedReadOptions& options)
{
    // O_NONBLOCK: opening a FIFO with no writer returns at once instead of waiting for one.
    const int flags =
        O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (options.followLinks ? 0 : O_NOFOLLOW);
    const Descriptor file(::open(path.c_str(), flags));
    if (file.get() < 0) {
        const int error = errno;
        if (error == ELOOP && !options.followLinks) {
            return failure(path, error, "a symbolic link, which is not followed");
        }
        return failure(path, error, describeError(error));
    }
    struct stat status = {};
    if (::fstat(file.get(), &status) != 0) {
        const int error = errno;
        return failure(path, error, describeError(error));
    }
    if (!S_ISREG(status.st_mode)) {
        return failure(path, EINVAL, std::string(kindOf(status.st_mode)) + ", not a regular file");
    }
    const std::string tooLarge = "larger than " + std::to_string(options.sizeCap) + " bytes";
    if (static_cast<std::uintmax_t>(status.st_size) > options.sizeCap) {
        return failure(path, EFBIG, tooLarge);
    }
    // The size is only a hint (files under /proc say 0, and a file may grow while it is read):
    // read until the end, but never past one byte beyond the cap.
    std::string contents(static_cast<std::size_t>(status.st_size) + 1, '\0');
    std::size_t length = 0;
    while (true) {
        if (length == contents.size()) {
            if (contents.size() > options.sizeCap) {
                return failure(path, EFBIG, tooLarge);
            }
            contents.resize(std::min(options.sizeCap + 1, std::max<std::size_t>(4096, 2 * length)));
        }
        const ssize_t count =
            ::read(file.get(), contents.data() + length, contents.size() - length);
        if (count < 0) {
            const int error = errno;
            if (error == EINTR) {
                continue;
            }
            return failure(path, error, describeError(error));
        }
        if (count == 0) {
            break;
        }
        length += static_cast<std::size_t>(count);
    }
    if (length > options.sizeCap) {
        return failure(path, EFBIG, tooLarge);
    }
    contents.resize(length);
    return BoundedRead{std::move(contents), 0, {}};
}

} // namespace halomark::xdg
