#include "wayland/wl_connection.h"

#include "viewporter-client-protocol.h"
#include "wayland/wl_layer_shell.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace halomark::wayland {
namespace {

template <typename T>
T* bind(wl_registry* registry, std::uint32_t name, const wl_interface* interface,
        std::uint32_t offered, std::uint32_t wanted)
{
    return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

} // namespace

WlConnection::WlConnection()
{
    connection = wl_display_connect(nullptr);
    if (!connection) {
        error = std::string("cannot connect to the Wayland compositor: ") + std::strerror(errno);
        broken = true;
        return;
    }
    static const wl_registry_listener listener = {&WlConnection::handleGlobal,
                                                  &WlConnection::handleGlobalRemove};
    registry = wl_display_get_registry(connection);
    wl_registry_add_listener(registry, &listener, this);
    // The first trip brings the globals; the second the events of what was bound.
    roundtrip();
    roundtrip();
}

WlConnection::~WlConnection()
{
    if (!connection) {
        return;
    }
    if (viewporterGlobal) {
        wp_viewporter_destroy(viewporterGlobal);
    }
    if (xdgOutputs) {
        zxdg_output_manager_v1_destroy(xdgOutputs);
    }
    if (virtualPointers) {
        zwlr_virtual_pointer_manager_v1_destroy(virtualPointers);
    }
    if (layerShellGlobal) {
        zwlr_layer_shell_v1_destroy(layerShellGlobal);
    }
    if (seatGlobal) {
        wl_seat_destroy(seatGlobal);
    }
    if (shmGlobal) {
        wl_shm_destroy(shmGlobal);
    }
    if (compositorGlobal) {
        wl_compositor_destroy(compositorGlobal);
    }
    if (registry) {
        wl_registry_destroy(registry);
    }
    wl_display_flush(connection);
    wl_display_disconnect(connection);
}

bool WlConnection::isConnected() const
{
    return connection && !broken;
}

std::vector<std::string> WlConnection::missingGlobals() const
{
    std::vector<std::string> missing;
    if (!compositorGlobal) {
        missing.emplace_back(wl_compositor_interface.name);
    }
    if (!shmGlobal) {
        missing.emplace_back(wl_shm_interface.name);
    }
    if (!layerShellGlobal) {
        missing.emplace_back(zwlr_layer_shell_v1_interface.name);
    }
    return missing;
}

int WlConnection::fileDescriptor() const
{
    return connection ? wl_display_get_fd(connection) : -1;
}

void WlConnection::handleGlobal(void* data, wl_registry* registry, std::uint32_t name,
                                const char* interface, std::uint32_t version)
{
    auto* self = static_cast<WlConnection*>(data);
    const std::string_view kind(interface);
    if (kind == wl_compositor_interface.name && !self->compositorGlobal) {
        self->compositorGlobal =
            bind<wl_compositor>(registry, name, &wl_compositor_interface, version, 4);
    } else if (kind == wl_shm_interface.name && !self->shmGlobal) {
        self->shmGlobal = bind<wl_shm>(registry, name, &wl_shm_interface, version, 1);
    } else if (kind == wl_seat_interface.name && !self->seatGlobal) {
        // The first seat: the one whose pointer the compositor draws.
        self->seatGlobal = bind<wl_seat>(registry, name, &wl_seat_interface, version, 5);
    } else if (kind == zwlr_layer_shell_v1_interface.name && !self->layerShellGlobal) {
        self->layerShellGlobal =
            bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface, version, 4);
    } else if (kind == zwlr_virtual_pointer_manager_v1_interface.name && !self->virtualPointers) {
        self->virtualPointers = bind<zwlr_virtual_pointer_manager_v1>(
            registry, name, &zwlr_virtual_pointer_manager_v1_interface, version, 2);
    } else if (kind == zxdg_output_manager_v1_interface.name && !self->xdgOutputs) {
        self->xdgOutputs = bind<zxdg_output_manager_v1>(
            registry, name, &zxdg_output_manager_v1_interface, version, 3);
    } else if (kind == wp_viewporter_interface.name && !self->viewporterGlobal) {
        self->viewporterGlobal =
            bind<wp_viewporter>(registry, name, &wp_viewporter_interface, version, 1);
    } else if (kind == wl_output_interface.name) {
        const OutputGlobal output{name, version};
        self->outputs.push_back(output);
        if (self->outputAdded) {
            self->outputAdded(output);
        }
    }
}

void WlConnection::handleGlobalRemove(void* data, wl_registry*, std::uint32_t name)
{
    auto* self = static_cast<WlConnection*>(data);
    const auto erased = std::erase_if(
        self->outputs, [name](const OutputGlobal& output) { return output.name == name; });
    if (erased > 0 && self->outputRemoved) {
        self->outputRemoved(name);
    }
}

wl_output* WlConnection::bindOutput(const OutputGlobal& output)
{
    if (!isConnected() || !registry) {
        return nullptr;
    }
    return bind<wl_output>(registry, output.name, &wl_output_interface, output.version, 4);
}

void WlConnection::setOutputHandlers(std::function<void(const OutputGlobal&)> added,
                                     std::function<void(std::uint32_t name)> removed)
{
    outputAdded = std::move(added);
    outputRemoved = std::move(removed);
    if (outputAdded) {
        for (const OutputGlobal& output : std::vector(outputs)) {
            outputAdded(output);
        }
    }
}

bool WlConnection::processPendingEvents()
{
    if (!isConnected()) {
        return false;
    }
    // Another reader (a round trip inside a handler) may have queued events already: those
    // go first, then the socket is read.
    while (wl_display_prepare_read(connection) != 0) {
        if (wl_display_dispatch_pending(connection) < 0) {
            return !checkBroken();
        }
    }
    wl_display_flush(connection);
    if (wl_display_read_events(connection) < 0) {
        return !checkBroken();
    }
    wl_display_dispatch_pending(connection);
    return !checkBroken();
}

bool WlConnection::processQueuedEvents()
{
    if (!isConnected()) {
        return false;
    }
    wl_display_dispatch_pending(connection);
    // A full socket (EAGAIN) is sent on a later pass; other failures break the connection.
    if (wl_display_flush(connection) < 0 && errno != EAGAIN) {
        if (!error.empty() || wl_display_get_error(connection) == 0) {
            error = std::string("cannot send to the compositor: ") + std::strerror(errno);
        }
        broken = true;
        if (lostHandler) {
            lostHandler(error);
        }
        return false;
    }
    return !checkBroken();
}

void WlConnection::flush()
{
    if (isConnected()) {
        wl_display_flush(connection);
    }
}

bool WlConnection::roundtrip()
{
    if (!isConnected()) {
        return false;
    }
    if (wl_display_roundtrip(connection) < 0) {
        checkBroken();
        return false;
    }
    return !checkBroken();
}

void WlConnection::setLostHandler(std::function<void(const std::string&)> handler)
{
    lostHandler = std::move(handler);
}

bool WlConnection::checkBroken()
{
    if (broken) {
        return true;
    }
    const int code = wl_display_get_error(connection);
    if (code == 0) {
        return false;
    }
    broken = true;
    if (code == EPROTO) {
        const wl_interface* interface = nullptr;
        std::uint32_t id = 0;
        const std::uint32_t protocolCode =
            wl_display_get_protocol_error(connection, &interface, &id);
        error = "protocol error " + std::to_string(protocolCode) + " on " +
                (interface ? interface->name : "an unknown object") + " " + std::to_string(id);
    } else {
        error = std::string("the compositor closed the connection (") + std::strerror(code) + ")";
    }
    if (lostHandler) {
        lostHandler(error);
    }
    return true;
}

} // namespace halomark::wayland
