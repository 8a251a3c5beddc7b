// The halomark program: reads the command line, makes sure it is the only instance on this
// display, chooses the system adapters by the session (XCB where no Wayland compositor is
// named; on Wayland, the wlroots adapters with sway's IPC when the compositor offers layer
// shell), builds the Qt adapters around them, hands everything to the application delegate as
// its platform, and runs Qt's event loop until the application terminates (the menu's Quit,
// or SIGTERM, SIGINT or SIGHUP), which removes every overlay.
#include "app/app_delegate.h"
#include "app/build_info.h"
#include "app/platform.h"
#include "qt/command_client.h"
#include "qt/command_line.h"
#include "qt/qt_alerts.h"
#include "qt/qt_application.h"
#include "qt/qt_color_panel.h"
#include "qt/qt_command_service.h"
#include "qt/qt_coordinates.h"
#include "qt/qt_event_source_pump.h"
#include "qt/qt_main_loop.h"
#include "qt/qt_panel.h"
#include "qt/qt_screen_agreement.h"
#include "qt/qt_settings_store.h"
#include "qt/qt_status_bar.h"
#include "qt/qt_termination_signals.h"
#include "qt/qt_workspace.h"
#include "qt/single_instance_lock.h"
#include "qt/xdg_autostart_login_item_service.h"
#include "wayland/sway_window_source.h"
#include "wayland/wayland_accessibility.h"
#include "wayland/wayland_window_server.h"
#include "wayland/wayland_workspace.h"
#include "wayland/wl_connection.h"
#include "wayland/wl_input_state.h"
#include "wayland/wl_panel.h"
#include "wayland/wl_pointer_probe.h"
#include "wayland/wl_screen_list.h"
#include "x11/xcb_accessibility.h"
#include "x11/xcb_compositor_monitor.h"
#include "x11/xcb_connection.h"
#include "x11/xcb_input_state.h"
#include "x11/xcb_panel_windowing.h"
#include "x11/xcb_polling_round.h"
#include "x11/xcb_screen_list.h"
#include "x11/xcb_window_reader.h"
#include "x11/xcb_window_server.h"
#include "x11/xcb_workspace.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QRect>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace halomark;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Returns the exit code when the program should stop before starting: after printing the
// version or the help, for a wrong command line, or when another instance runs.
std::optional<int> handleCommandLine(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const qt::CommandLine line = qt::parseCommandLine(arguments);
    switch (line.action) {
    case qt::CommandLine::Action::run:
        return std::nullopt;
    case qt::CommandLine::Action::showVersion:
        std::printf("%s\n", qt::versionText().c_str());
        return 0;
    case qt::CommandLine::Action::showHelp:
        std::fputs(qt::helpText(argc > 0 ? argv[0] : "halomark").c_str(), stdout);
        return 0;
    case qt::CommandLine::Action::sendCommand: {
        // A client of the running instance: no display, no tray, no lock.
        QCoreApplication client(argc, argv);
        return qt::sendCommand(line.command);
    }
    case qt::CommandLine::Action::reject:
        break;
    }
    std::fprintf(stderr, "halomark: %s\n%s", line.error.c_str(),
                 qt::usageText(argc > 0 ? argv[0] : "halomark").c_str());
    return kExitUsage;
}

// What the system adapters of a session give the application.
struct SystemPorts
{
    InputState& input;
    ScreenList& screens;
    PanelFactory& panels;
    WindowServer& windowServer;
    Accessibility& accessibility;
    Workspace& workspace;
};

// Names the application and its entry, and keeps it alive while only the tray shows.
void setUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("halomark"));
    QApplication::setApplicationDisplayName(QStringLiteral("Halomark"));
    QApplication::setApplicationVersion(QString::fromUtf8(build_info::version()));
    // The installed desktop entry, through which desktops find the name and the icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.halomark.Halomark"));
    // Closing a dialog must not end a program whose only other window is a tray icon.
    QApplication::setQuitOnLastWindowClosed(false);
}

// Builds the toolkit's ports around the session's system ports and runs the application until
// it terminates.
int runApplication(qt::QtMainLoop& mainLoop, const SystemPorts& system, qt::QtApplication& app)
{
    qt::QtSettingsStore settings;
    qt::QtStatusBar statusBar;
    qt::QtAlerts alerts;
    qt::QtColorPanel colorPanel;
    qt::XdgAutostartLoginItemService loginItems;

    Platform platform{mainLoop,
                      system.input,
                      system.screens,
                      system.panels,
                      settings,
                      system.windowServer,
                      system.accessibility,
                      system.workspace,
                      statusBar,
                      alerts,
                      colorPanel,
                      loginItems,
                      app};

    qt::QtTerminationSignals terminationSignals([&app](int) { app.terminate(); });

    auto delegate = std::make_shared<AppDelegate>(platform);
    // Commands from outside (the command line, desktop shortcuts, compositor bindings) reach
    // the same actions as the menu; without a session bus the program runs on without them.
    qt::QtCommandService commands(delegate);
    if (const auto problem = commands.registerOnSessionBus()) {
        std::fprintf(stderr, "halomark: commands from outside are unavailable (%s)\n",
                     problem->c_str());
    }
    app.setDelegate(delegate);
    const int code = app.run();

    // The delegate goes first, with its overlays; their windows are deleted on a later turn
    // of the loop, which is run here once so that they go while Qt is still there.
    delegate.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}

int runX11(int argc, char** argv)
{
    // The adapters' own connection, opened first so that a missing display is reported plainly
    // instead of by the toolkit's abort.
    x11::XcbConnection connection;
    if (!connection.isConnected()) {
        std::fprintf(stderr, "halomark: cannot connect to the X display '%s': %s\n",
                     qPrintable(qEnvironmentVariable("DISPLAY")),
                     connection.errorDescription().c_str());
        return kExitFailure;
    }
    connection.setLostHandler([](const std::string& reason) {
        qWarning("halomark: the connection to the X display was lost: %s", reason.c_str());
    });

    // The overlays and the polling work on X11 only; under a Wayland session Qt would
    // otherwise pick its Wayland platform while the adapters read the X server.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    // The overlays are placed and drawn in device pixels at the system adapter's scale, which
    // Qt's own scaling would contradict on every monitor but the first.
    qt::DevicePixelEnvironment devicePixels;
    QApplication application(argc, argv);
    devicePixels.restore();
    setUpApplication();
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::fprintf(stderr, "halomark: needs Qt's X11 platform (xcb), not '%s'\n",
                     qPrintable(QGuiApplication::platformName()));
        return kExitFailure;
    }

    qt::QtEventSourcePump pump(
        connection.fileDescriptor(),
        [&connection] {
            connection.processPendingEvents();
            return connection.isConnected();
        },
        [&connection] {
            connection.processQueuedEvents();
            return connection.isConnected();
        });

    qt::QtMainLoop mainLoop;
    x11::XcbScreenList screens(connection);
    if (const auto problem = qt::scaledScreen()) {
        qWarning("halomark: %s; overlays may appear misplaced or wrongly sized", problem->c_str());
    }
    // The input state and the window reader send what a polling pass asks together, so a pass
    // waits for the server once.
    x11::XcbPollingRound pollingRound(connection, mainLoop);
    x11::XcbInputState input(pollingRound, screens);
    if (const auto problem = input.keyboardProblem()) {
        qWarning("halomark: %s", problem->c_str());
    }
    // The core's points are the system adapter's: its monitors and scale say where they lie.
    // The X11 windowing adds the window hints and the drawing for a display without compositor.
    x11::XcbPanelWindowing panelWindowing;
    qt::QtPanelFactory panels(
        mainLoop,
        [&screens] {
            const x11::XcbCoordinates& space = screens.coordinates();
            return qt::QtCoordinates::global(
                QRect(space.primary.x, space.primary.y, space.primary.width, space.primary.height),
                space.scale);
        },
        &panelWindowing);
    // The cues' windows are made now and reused, so that a tap makes none on its way to the
    // screen.
    panels.keepWindowsReady({PanelKind::ring, PanelKind::selection, PanelKind::veil});
    // Translucent overlays need a compositor; followed as compositors start and stop.
    x11::XcbCompositorMonitor compositor(connection);
    panels.setCompositorActive(compositor.isCompositing());
    compositor.setChangeHandler([&panels](bool active) { panels.setCompositorActive(active); });
    // One reader for the adapters that read windows, so the questions of a pass share reads.
    x11::XcbWindowReader windowReader(pollingRound);
    x11::XcbWorkspace runningApplications(windowReader);
    qt::QtWorkspace<x11::XcbWorkspace> workspace(runningApplications, qt::QtDesktopServices());
    x11::XcbWindowServer windowServer(windowReader, screens, workspace.ownProcessIdentifier());
    x11::XcbAccessibility accessibility(windowReader, screens);
    qt::QtApplication app;
    return runApplication(mainLoop,
                          {input, screens, panels, windowServer, accessibility, workspace}, app);
}

int runWlroots(int argc, char** argv, wayland::WlConnection& connection)
{
    // The tray icon, its menu and the dialogs are Qt's own Wayland windows; the overlays are
    // the adapter's layer surfaces on its own connection.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "wayland");
    }
    QApplication application(argc, argv);
    setUpApplication();

    qt::QtApplication app;
    connection.setLostHandler([&app](const std::string& reason) {
        // Without the compositor there is no session to draw in.
        qWarning("halomark: the connection to the Wayland compositor was lost: %s", reason.c_str());
        app.terminate();
    });
    qt::QtEventSourcePump pump(
        connection.fileDescriptor(), [&connection] { return connection.processPendingEvents(); },
        [&connection] { return connection.processQueuedEvents(); });

    qt::QtMainLoop mainLoop;
    wayland::WlScreenList screens(connection, mainLoop);
    wayland::WlPointerProbe pointerProbe(connection, screens);
    wayland::WlInputState input(mainLoop, screens, pointerProbe);
    wayland::WlPanelFactory panels(connection, screens, mainLoop);
    // The windows and the focus come from sway's IPC, counted from the first screen's corner.
    wayland::SwayWindowSource windows(
        wayland::SwayWindowSource::socketPathFromEnvironment().value_or(std::string()));
    if (!windows.isConnected()) {
        qWarning("halomark: sway's IPC does not answer (%s); the active window cannot be "
                 "highlighted",
                 windows.errorDescription().c_str());
    }
    // Its events are read when they arrive; those a question read first are announced before
    // the loop waits.
    qt::QtEventSourcePump windowEvents(
        windows.eventFileDescriptor(), [&windows] { return windows.processEvents(); },
        [&windows] { return windows.processQueuedEvents(); });
    const wayland::LayoutOrigin origin = [&screens]() -> std::optional<Point> {
        if (screens.screens().empty()) {
            return std::nullopt;
        }
        const wayland::LogicalRect& first = screens.coordinates().primary;
        return Point{static_cast<double>(first.x), static_cast<double>(first.y)};
    };
    // The main screen is the output with the focused window's middle.
    screens.setFocusedOutputSource([&windows]() -> std::optional<std::string> {
        const auto snapshot = windows.windows();
        const wayland::WaylandWindow* focused = snapshot ? snapshot->focused() : nullptr;
        if (!focused) {
            return std::nullopt;
        }
        const double x = focused->frame.midX();
        const double y = focused->frame.midY();
        for (const wayland::WaylandOutput& output : snapshot->outputs) {
            const Rect& f = output.frame;
            if (x >= f.minX() && x < f.maxX() && y >= f.minY() && y < f.maxY()) {
                return output.name;
            }
        }
        return std::nullopt;
    });
    wayland::WaylandWorkspace runningApplications(windows);
    qt::QtWorkspace<wayland::WaylandWorkspace> workspace(runningApplications,
                                                         qt::QtDesktopServices());
    wayland::WaylandWindowServer windowServer(windows, workspace.ownProcessIdentifier(), origin);
    wayland::WaylandAccessibility accessibility(windows, origin);
    return runApplication(mainLoop,
                          {input, screens, panels, windowServer, accessibility, workspace}, app);
}

// The session the program runs in, told by the environment and, on Wayland, by what the
// compositor offers. Returns the exit code when no supported session is found.
int run(int argc, char** argv)
{
    qt::SingleInstanceLock instance(qt::SingleInstanceLock::defaultPath());
    switch (instance.tryAcquire()) {
    case qt::SingleInstanceLock::Result::acquired:
        break;
    case qt::SingleInstanceLock::Result::heldByAnother:
        if (const auto pid = instance.holder()) {
            std::fprintf(stderr,
                         "halomark: Halomark is already running on this display (process %d)\n",
                         static_cast<int>(*pid));
        } else {
            std::fputs("halomark: Halomark is already running on this display\n", stderr);
        }
        return kExitFailure;
    case qt::SingleInstanceLock::Result::unavailable:
        // Better a second instance than none: the user asked for this one.
        // The description names the path where there is one.
        std::fprintf(stderr, "halomark: cannot tell whether another instance runs (%s)\n",
                     qPrintable(instance.errorDescription()));
        break;
    }

    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            std::fputs("halomark: no graphical session: neither WAYLAND_DISPLAY nor DISPLAY is "
                       "set\n",
                       stderr);
            return kExitFailure;
        }
        return runX11(argc, argv);
    }
    wayland::WlConnection connection;
    std::vector<std::string> missing;
    if (!connection.isConnected()) {
        std::fprintf(stderr, "halomark: %s\n", connection.errorDescription().c_str());
        return kExitFailure;
    }
    missing = connection.missingGlobals();
    if (qEnvironmentVariableIsEmpty("SWAYSOCK")) {
        missing.emplace_back("sway's IPC (SWAYSOCK is not set)");
    }
    if (missing.empty()) {
        return runWlroots(argc, argv, connection);
    }
    std::string list;
    for (const std::string& name : missing) {
        list += (list.empty() ? "" : ", ") + name;
    }
    std::fprintf(stderr,
                 "halomark: this Wayland session lacks what the overlays need: %s.\n"
                 "Halomark runs on sway and in X11 sessions; on GNOME or KDE Plasma choose the "
                 "X11 session at login for now.\n",
                 list.c_str());
    return kExitFailure;
}

} // namespace

int main(int argc, char** argv)
{
    if (const auto code = handleCommandLine(argc, argv)) {
        return *code;
    }
    return run(argc, argv);
}
