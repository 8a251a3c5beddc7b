// sway's IPC (the i3 IPC protocol) over its Unix socket ($SWAYSOCK): each message is the
// magic "i3-ipc", the payload's length and the message type (both 32-bit, in the host's byte
// order), then the payload, JSON text. Replies carry the request's type; events carry their
// type with the high bit set. A connection never blocks the caller beyond the timeout it is
// given, and closes for good when the socket fails or the stream breaks the framing.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halomark::wayland {

namespace sway_ipc {
inline constexpr std::uint32_t runCommand = 0;
inline constexpr std::uint32_t subscribe = 2;
inline constexpr std::uint32_t getOutputs = 3;
inline constexpr std::uint32_t getTree = 4;
inline constexpr std::uint32_t getVersion = 7;
inline constexpr std::uint32_t eventFlag = 0x80000000u;
inline constexpr std::string_view magic = "i3-ipc";
inline constexpr std::size_t headerSize = 14;
// Far above any real tree; a longer claim means the stream is not what it should be.
inline constexpr std::uint32_t maximumPayload = 64u << 20;
} // namespace sway_ipc

struct SwayIpcMessage
{
    std::uint32_t type = 0;
    std::string payload;

    bool isEvent() const { return (type & sway_ipc::eventFlag) != 0; }
    friend bool operator==(const SwayIpcMessage&, const SwayIpcMessage&) = default;
};

std::string encodeSwayIpcMessage(std::uint32_t type, std::string_view payload);

// Cuts a byte stream into messages. Once the stream breaks the framing (a wrong magic, an
// impossible length) it stays broken: no later byte can be trusted to start a message.
class SwayIpcDecoder
{
public:
    void append(std::string_view bytes);
    std::optional<SwayIpcMessage> next();
    bool isBroken() const { return broken; }

private:
    std::string buffer;
    std::size_t start = 0;
    bool broken = false;
};

class SwayIpcConnection
{
public:
    // Connects at once; isConnected and errorDescription tell how that went.
    explicit SwayIpcConnection(const std::string& socketPath);
    ~SwayIpcConnection();
    SwayIpcConnection(const SwayIpcConnection&) = delete;
    SwayIpcConnection& operator=(const SwayIpcConnection&) = delete;

    bool isConnected() const { return socket >= 0; }
    const std::string& errorDescription() const { return error; }
    // -1 once closed.
    int fileDescriptor() const { return socket; }

    // Sends a request and waits at most the timeout for its reply (events that arrive meanwhile
    // are dropped); nothing, and the connection closed, when either fails.
    std::optional<std::string> request(std::uint32_t type, std::string_view payload,
                                       std::chrono::milliseconds timeout);

    // The messages complete among the bytes that have arrived, read without waiting.
    std::vector<SwayIpcMessage> readAvailable();

private:
    bool sendAll(std::string_view bytes, std::chrono::steady_clock::time_point deadline);
    // Reads what the socket holds into the decoder; false once the connection is closed.
    bool receive();
    void close(std::string reason);

    int socket = -1;
    std::string error;
    SwayIpcDecoder decoder;
};

} // namespace halomark::wayland
