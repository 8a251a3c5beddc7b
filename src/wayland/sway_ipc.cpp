#include "wayland/sway_ipc.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace halomark::wayland {

namespace {

std::uint32_t readUint32(const char* bytes)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

void appendUint32(std::string& out, std::uint32_t value)
{
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    out.append(bytes, sizeof value);
}

int millisecondsUntil(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, left.count()));
}

} // namespace

std::string encodeSwayIpcMessage(std::uint32_t type, std::string_view payload)
{
    std::string out;
    out.reserve(sway_ipc::headerSize + payload.size());
    out.append(sway_ipc::magic);
    appendUint32(out, static_cast<std::uint32_t>(payload.size()));
    appendUint32(out, type);
    out.append(payload);
    return out;
}

void SwayIpcDecoder::append(std::string_view bytes)
{
    if (broken) {
        return;
    }
    // What earlier messages used is dropped before the buffer grows.
    if (start > 0) {
        buffer.erase(0, start);
        start = 0;
    }
    buffer.append(bytes);
}

std::optional<SwayIpcMessage> SwayIpcDecoder::next()
{
    if (broken || buffer.size() - start < sway_ipc::headerSize) {
        return std::nullopt;
    }
    const char* header = buffer.data() + start;
    if (std::string_view(header, sway_ipc::magic.size()) != sway_ipc::magic) {
        broken = true;
        return std::nullopt;
    }
    const std::uint32_t length = readUint32(header + 6);
    if (length > sway_ipc::maximumPayload) {
        broken = true;
        return std::nullopt;
    }
    if (buffer.size() - start - sway_ipc::headerSize < length) {
        return std::nullopt;
    }
    SwayIpcMessage message{readUint32(header + 10),
                           buffer.substr(start + sway_ipc::headerSize, length)};
    start += sway_ipc::headerSize + length;
    return message;
}

SwayIpcConnection::SwayIpcConnection(const std::string& socketPath)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path) {
        error = socketPath.empty() ? "no socket path" : "the socket path is too long";
        return;
    }
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) {
        error = std::strerror(errno);
        return;
    }
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(socketPath + ": " + std::strerror(errno));
        return;
    }
    // Connected while blocking (a local connect completes at once); every later wait is a
    // poll with a deadline.
    ::fcntl(socket, F_SETFL, ::fcntl(socket, F_GETFL) | O_NONBLOCK);
}

SwayIpcConnection::~SwayIpcConnection()
{
    if (socket >= 0) {
        ::close(socket);
    }
}

std::optional<std::string> SwayIpcConnection::request(std::uint32_t type, std::string_view payload,
                                                      std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    if (!isConnected() || !sendAll(encodeSwayIpcMessage(type, payload), deadline)) {
        return std::nullopt;
    }
    while (isConnected()) {
        while (auto message = decoder.next()) {
            if (message->type == type) {
                return std::move(message->payload);
            }
        }
        if (decoder.isBroken()) {
            close("the reply broke the IPC framing");
            break;
        }
        pollfd readable{socket, POLLIN, 0};
        const int ready = ::poll(&readable, 1, millisecondsUntil(deadline));
        if (ready == 0) {
            // A late reply would be taken for the next request's: the connection is spent.
            close("no reply in time");
            break;
        }
        if (ready < 0 && errno != EINTR) {
            close(std::strerror(errno));
            break;
        }
        receive();
    }
    return std::nullopt;
}

std::vector<SwayIpcMessage> SwayIpcConnection::readAvailable()
{
    std::vector<SwayIpcMessage> messages;
    // What arrived before the socket closed still counts.
    receive();
    while (auto message = decoder.next()) {
        messages.push_back(std::move(*message));
    }
    if (decoder.isBroken()) {
        close("a message broke the IPC framing");
    }
    return messages;
}

bool SwayIpcConnection::sendAll(std::string_view bytes,
                                std::chrono::steady_clock::time_point deadline)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd writable{socket, POLLOUT, 0};
            if (::poll(&writable, 1, millisecondsUntil(deadline)) > 0) {
                continue;
            }
            close("the request could not be sent in time");
            return false;
        }
        close(sent == 0 ? "the socket refused the request" : std::strerror(errno));
        return false;
    }
    return true;
}

bool SwayIpcConnection::receive()
{
    char chunk[16384];
    while (isConnected()) {
        const ssize_t count = ::recv(socket, chunk, sizeof chunk, 0);
        if (count > 0) {
            decoder.append(std::string_view(chunk, static_cast<std::size_t>(count)));
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return true;
        }
        close(count == 0 ? "the compositor closed the connection" : std::strerror(errno));
    }
    return false;
}

void SwayIpcConnection::close(std::string reason)
{
    if (socket >= 0) {
        ::close(socket);
        socket = -1;
    }
    error = std::move(reason);
}

} // namespace halomark::wayland
