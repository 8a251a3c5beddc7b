// One shared-memory buffer of premultiplied ARGB pixels (wl_shm's ARGB8888, which is Qt's
// ARGB32_Premultiplied on little-endian machines), with a QImage over the same memory to paint
// into. The compositor reads it after it is attached and committed, until it releases it: a
// busy buffer must not be painted. It also keeps the part of it that is out of date, so that
// a panel alternating between buffers repaints in each only what changed since that buffer
// was last shown.
#pragma once

#include <QImage>
#include <QRegion>
#include <QSize>

#include <functional>
#include <memory>

struct wl_buffer;
struct wl_shm;

namespace halomark::wayland {

class WlShmBuffer
{
public:
    // Null when the memory or the buffer cannot be made.
    static std::unique_ptr<WlShmBuffer> create(wl_shm* shm, QSize size);
    ~WlShmBuffer();
    WlShmBuffer(const WlShmBuffer&) = delete;
    WlShmBuffer& operator=(const WlShmBuffer&) = delete;

    wl_buffer* buffer() const { return handle; }
    QImage& image() { return pixels; }
    QSize size() const { return pixels.size(); }

    bool isBusy() const { return busy; }
    // Called when attaching it; the compositor's release clears it and calls the handler.
    void markBusy() { busy = true; }
    void setReleaseHandler(std::function<void()> handler) { releaseHandler = std::move(handler); }

    QRegion stale; // what must be painted before it is shown again

private:
    WlShmBuffer() = default;
    static void released(void* data, wl_buffer* buffer);

    wl_buffer* handle = nullptr;
    void* memory = nullptr;
    std::size_t length = 0;
    QImage pixels;
    bool busy = false;
    std::function<void()> releaseHandler;
};

} // namespace halomark::wayland
