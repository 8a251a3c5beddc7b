// The window-list half of the frontmost window resolver: reads the on-screen windows front
// to back, keeps those that could be a user's active top-level window, and answers four
// questions about them: which windows of a process qualify, whether a Quick Look panel stands
// in front of a Finder window, whether another application's window covers a Finder window
// from in front, and where one known window is now. Results are in global bottom-left
// coordinates. Nothing is kept between calls.
#pragma once

#include "focus/focus_cue_target.h"
#include "platform/accessibility.h"
#include "platform/screen_list.h"
#include "platform/window_server.h"
#include "platform/workspace.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace halomark {

// The ports the resolver reads.
struct ResolverPorts
{
    Workspace& workspace;
    WindowServer& windowServer;
    Accessibility& accessibility;
    ScreenList& screens;
};

namespace FrontmostWindowResolver {

inline constexpr std::string_view finderBundleIdentifier = "com.apple.finder";

// Windows smaller than this (as the server reports them) are never an active window.
inline constexpr double minimumWindowWidth = 120;
inline constexpr double minimumWindowHeight = 70;
// The least part of a window that must lie on one screen for it to count as visible.
inline constexpr double minimumVisibleWidth = 40;
inline constexpr double minimumVisibleHeight = 30;
// Windows at or below this alpha are invisible.
inline constexpr double invisibleAlpha = 0.01;

inline constexpr WindowListOptions windowListOptions =
    window_list_options::onScreenOnly | window_list_options::excludeDesktopElements;

struct WindowCandidate
{
    WindowNumber windowNumber = 0;
    Rect frame; // global bottom-left coordinates
    std::int64_t frontToBackIndex =
        0; // index of its record in the list; 0 when looked up by number

    friend bool operator==(const WindowCandidate&, const WindowCandidate&) = default;
};

// The on-screen windows front to back, desktop elements excluded; empty when the server
// does not answer.
std::vector<WindowRecord> copyWindowList(WindowServer& windowServer);

// The qualifying layer-0 windows of a process, front to back. Copies the list itself when
// given none.
std::vector<WindowCandidate> windowCandidates(ResolverPorts ports,
                                              ProcessIdentifier processIdentifier,
                                              const std::vector<WindowRecord>* windowList);

// The front-most Quick Look panel of another process among the records in front of index
// inFrontOf.
std::optional<FocusCueTarget> quickLookWindow(ResolverPorts ports,
                                              ProcessIdentifier ownProcessIdentifier,
                                              ProcessIdentifier frontmostProcessIdentifier,
                                              std::int64_t inFrontOf,
                                              const std::vector<WindowRecord>& windowList);

// Whether a normal window of another application, in front of index inFrontOf, overlaps
// the frame.
bool isObscured(ResolverPorts ports, const Rect& frame, std::int64_t inFrontOf,
                ProcessIdentifier frontmostProcessIdentifier,
                ProcessIdentifier ownProcessIdentifier,
                const std::vector<WindowRecord>& windowList);

// One window of the process by number, with its current frame, when it still qualifies.
std::optional<WindowCandidate> windowCandidate(ResolverPorts ports, WindowNumber windowNumber,
                                               ProcessIdentifier processIdentifier);

// Layer 0 always; layers 1 to 999 only for a Quick Look process in front of Finder.
bool isTrackableLayer(Workspace& workspace, std::int64_t layer,
                      ProcessIdentifier processIdentifier);

bool isQuickLookProcess(Workspace& workspace, ProcessIdentifier processIdentifier,
                        std::optional<std::string_view> ownerName);

bool containsQuickLookMarker(std::string_view text);

Rect toAppKitRect(const Rect& topLeftRect, const std::vector<Screen>& screens);

bool isVisibleOnSomeScreen(const Rect& rect, const std::vector<Screen>& screens);

} // namespace FrontmostWindowResolver
} // namespace halomark
