// The Wayland adapter's own connection to the compositor, apart from the toolkit's (as the X11
// adapter keeps its own XCB connection): it binds the globals the overlays, the screens and the
// pointer probe need, and is dispatched from the toolkit's event loop through its socket. A
// connection that breaks (the compositor went, or a protocol error) reports once to its lost
// handler; from then on requests are dropped and every object it gave out stays valid to hold
// but shows nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct wl_compositor;
struct wl_display;
struct wl_output;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wp_viewporter;
struct zwlr_layer_shell_v1;
struct zwlr_virtual_pointer_manager_v1;
struct zxdg_output_manager_v1;

namespace halomark::wayland {

class WlConnection
{
public:
    // Connects to the compositor named by WAYLAND_DISPLAY and binds the globals (two round
    // trips). Check isConnected() and missingGlobals().
    WlConnection();
    ~WlConnection();
    WlConnection(const WlConnection&) = delete;
    WlConnection& operator=(const WlConnection&) = delete;

    bool isConnected() const;
    // Why the connection failed or broke; empty while it works.
    std::string errorDescription() const { return error; }
    // The protocols the overlays cannot do without that the compositor does not offer, by
    // their interface names; empty when everything is there.
    std::vector<std::string> missingGlobals() const;

    int fileDescriptor() const;
    wl_display* display() const { return connection; }

    wl_compositor* compositor() const { return compositorGlobal; }
    wl_shm* shm() const { return shmGlobal; }
    wl_seat* seat() const { return seatGlobal; }
    zwlr_layer_shell_v1* layerShell() const { return layerShellGlobal; }
    // Optional ones: null when the compositor lacks them.
    zwlr_virtual_pointer_manager_v1* virtualPointerManager() const { return virtualPointers; }
    zxdg_output_manager_v1* xdgOutputManager() const { return xdgOutputs; }
    wp_viewporter* viewporter() const { return viewporterGlobal; }

    // Outputs as the registry announces and withdraws them, by their registry name. Setting the
    // handlers announces the outputs known so far at once.
    struct OutputGlobal
    {
        std::uint32_t name = 0;
        std::uint32_t version = 0;
    };
    void setOutputHandlers(std::function<void(const OutputGlobal&)> added,
                           std::function<void(std::uint32_t name)> removed);
    // Binds an announced output (at most version 4); null when the connection is broken.
    wl_output* bindOutput(const OutputGlobal& output);

    // The event loop's passes: after the socket turned readable, read and dispatch; before the
    // loop waits, dispatch what is queued and send what is buffered. Each returns whether the
    // connection still works.
    bool processPendingEvents();
    bool processQueuedEvents();
    // Sends the buffered requests now.
    void flush();
    // Waits until the compositor has handled every request sent so far, dispatching what comes
    // back meanwhile. False once the connection is broken.
    bool roundtrip();

    // Called once, on the first sign of a broken connection, with the reason.
    void setLostHandler(std::function<void(const std::string&)> handler);

private:
    static void handleGlobal(void* data, wl_registry* registry, std::uint32_t name,
                             const char* interface, std::uint32_t version);
    static void handleGlobalRemove(void* data, wl_registry* registry, std::uint32_t name);
    bool checkBroken();

    wl_display* connection = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositorGlobal = nullptr;
    wl_shm* shmGlobal = nullptr;
    wl_seat* seatGlobal = nullptr;
    zwlr_layer_shell_v1* layerShellGlobal = nullptr;
    zwlr_virtual_pointer_manager_v1* virtualPointers = nullptr;
    zxdg_output_manager_v1* xdgOutputs = nullptr;
    wp_viewporter* viewporterGlobal = nullptr;
    std::vector<OutputGlobal> outputs;
    std::function<void(const OutputGlobal&)> outputAdded;
    std::function<void(std::uint32_t)> outputRemoved;
    std::function<void(const std::string&)> lostHandler;
    std::string error;
    bool broken = false;
};

} // namespace halomark::wayland
