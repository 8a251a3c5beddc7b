#include "wayland/wl_shm_buffer.h"

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

namespace halomark::wayland {

std::unique_ptr<WlShmBuffer> WlShmBuffer::create(wl_shm* shm, QSize size)
{
    if (!shm || size.isEmpty()) {
        return nullptr;
    }
    const int stride = size.width() * 4;
    const std::size_t length = static_cast<std::size_t>(stride) * size.height();
    const int fd = memfd_create("halomark-overlay", MFD_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    if (ftruncate(fd, static_cast<off_t>(length)) != 0) {
        close(fd);
        return nullptr;
    }
    void* memory = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    std::unique_ptr<WlShmBuffer> result(new WlShmBuffer);
    result->memory = memory;
    result->length = length;
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(length));
    result->handle = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), stride,
                                               WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    static const wl_buffer_listener listener = {&WlShmBuffer::released};
    wl_buffer_add_listener(result->handle, &listener, result.get());
    result->pixels = QImage(static_cast<uchar*>(memory), size.width(), size.height(), stride,
                            QImage::Format_ARGB32_Premultiplied);
    result->pixels.fill(Qt::transparent);
    result->stale = QRegion(QRect(QPoint(0, 0), size));
    return result;
}

WlShmBuffer::~WlShmBuffer()
{
    pixels = QImage();
    if (handle) {
        wl_buffer_destroy(handle);
    }
    if (memory) {
        munmap(memory, length);
    }
}

void WlShmBuffer::released(void* data, wl_buffer*)
{
    auto* self = static_cast<WlShmBuffer*>(data);
    self->busy = false;
    if (self->releaseHandler) {
        self->releaseHandler();
    }
}

} // namespace halomark::wayland
