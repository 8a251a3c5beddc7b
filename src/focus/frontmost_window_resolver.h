// Finds the active top-level window of the frontmost application and where it is. The
// window list gives window numbers, bounds and order but not focus; the accessibility
// interface gives the focused window but only its position and size. The two are matched by
// geometry. The own process is never reported. Finder has two more rules: a Quick Look panel
// in front of its window wins over the window, and Finder is not reported while another
// application's window covers its window from in front. Stateless: every call reads afresh.
#pragma once

#include "focus/window_list.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace halomark::FrontmostWindowResolver {

struct FocusedWindow
{
    std::uint64_t elementHash = 0; // stays the same for the same window
    Rect frame;                    // global bottom-left coordinates

    friend bool operator==(const FocusedWindow&, const FocusedWindow&) = default;
};

// The kinds of geometric accessibility values.
enum class AXValueType
{
    point = 1,
    size = 2,
};

// The least score at which a window-list window is taken to be the focused window.
inline constexpr double acceptanceThreshold = 0.58;

std::optional<FocusCueTarget> resolve(ResolverPorts ports, ProcessIdentifier ownProcessIdentifier);

std::optional<FocusedWindow> focusedWindow(ResolverPorts ports,
                                           ProcessIdentifier processIdentifier);

// The two numbers of a point (x, y) or size (width, height) attribute, when the attribute
// reads without error as a value of that kind.
std::optional<std::pair<double, double>> copyAXValue(Accessibility& accessibility,
                                                     const std::string& attribute,
                                                     const AccessibilityElement& element,
                                                     AXValueType type);

// How well a candidate matches the focused window's frame: overlap (up to 0.78), closeness
// of the edges (up to 0.22) and a bonus for being near the front (0.08 at index 0, falling
// by 0.005 an index to nothing at index 16).
double matchScore(const WindowCandidate& candidate, const Rect& focusedFrame);

// The highest-scoring candidate, the front-most among equals, if it scores at least the
// acceptance threshold.
std::optional<WindowCandidate> bestCandidate(const std::vector<WindowCandidate>& candidates,
                                             const Rect& focusedFrame);

// The window's current frame while its process stays frontmost (or, in front of Finder,
// while it is a Quick Look process).
std::optional<FocusCueTarget> liveTarget(ResolverPorts ports, ProcessIdentifier processIdentifier,
                                         WindowNumber windowNumber);

bool isStillFrontmost(Workspace& workspace, ProcessIdentifier processIdentifier);

// Within 0.25 point in each of minX, minY, width and height.
bool framesNearlyEqual(const Rect& a, const Rect& b);

} // namespace halomark::FrontmostWindowResolver
