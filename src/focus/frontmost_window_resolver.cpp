#include "focus/frontmost_window_resolver.h"

#include <cmath>

namespace halomark::FrontmostWindowResolver {
namespace {

constexpr double nearlyEqualTolerance = 0.25;

double area(const Rect& rect)
{
    return rect.width() * rect.height();
}

FocusCueTarget windowListTarget(ProcessIdentifier pid, const WindowCandidate& candidate)
{
    return {pid, "cg:" + std::to_string(candidate.windowNumber), candidate.windowNumber,
            candidate.frame};
}

std::optional<FocusCueTarget> resolveFinder(ResolverPorts ports, ProcessIdentifier own,
                                            ProcessIdentifier pid,
                                            const std::vector<WindowRecord>& windowList,
                                            const std::vector<WindowCandidate>& candidates,
                                            const std::optional<FocusedWindow>& focused)
{
    std::optional<WindowCandidate> chosen;
    if (focused) {
        chosen = bestCandidate(candidates, focused->frame);
    }
    if (!chosen) {
        if (candidates.empty()) {
            return std::nullopt;
        }
        chosen = candidates.front();
    }
    if (auto panel = quickLookWindow(ports, own, pid, chosen->frontToBackIndex, windowList)) {
        return panel;
    }
    if (!candidates.empty() && candidates.front().frontToBackIndex < chosen->frontToBackIndex) {
        chosen = candidates.front();
    }
    if (isObscured(ports, chosen->frame, chosen->frontToBackIndex, pid, own, windowList)) {
        return std::nullopt;
    }
    return windowListTarget(pid, *chosen);
}

} // namespace

std::optional<FocusCueTarget> resolve(ResolverPorts ports, ProcessIdentifier ownProcessIdentifier)
{
    const std::optional<RunningApplication> frontmost = ports.workspace.frontmostApplication();
    if (!frontmost) {
        return std::nullopt;
    }
    const ProcessIdentifier pid = frontmost->processIdentifier;
    if (pid == ownProcessIdentifier) {
        return std::nullopt;
    }
    const bool isFinder = frontmost->bundleIdentifier == finderBundleIdentifier;
    // Finder's rules look at other processes' windows too, so its list is copied here and
    // shared with the candidate scan; for anyone else the scan copies its own.
    std::vector<WindowRecord> windowList;
    if (isFinder) {
        windowList = copyWindowList(ports.windowServer);
    }
    const std::vector<WindowCandidate> candidates =
        windowCandidates(ports, pid, isFinder ? &windowList : nullptr);
    const std::optional<FocusedWindow> focused = focusedWindow(ports, pid);

    if (isFinder) {
        return resolveFinder(ports, ownProcessIdentifier, pid, windowList, candidates, focused);
    }
    if (!focused) {
        if (candidates.empty()) {
            return std::nullopt;
        }
        return windowListTarget(pid, candidates.front());
    }
    if (const std::optional<WindowCandidate> match = bestCandidate(candidates, focused->frame)) {
        return windowListTarget(pid, *match);
    }
    return FocusCueTarget{pid, "ax:" + std::to_string(focused->elementHash), std::nullopt,
                          focused->frame};
}

std::optional<FocusedWindow> focusedWindow(ResolverPorts ports, ProcessIdentifier processIdentifier)
{
    Accessibility& accessibility = ports.accessibility;
    const AccessibilityElement application = accessibility.applicationElement(processIdentifier);
    const AccessibilityAttributeResult focused =
        accessibility.copyAttributeValue(application, accessibility_attributes::focusedWindow);
    if (focused.error != accessibility_errors::success || !focused.value) {
        return std::nullopt;
    }
    const auto* window = std::get_if<AccessibilityElement>(&*focused.value);
    if (!window) {
        return std::nullopt;
    }
    const auto position =
        copyAXValue(accessibility, accessibility_attributes::position, *window, AXValueType::point);
    if (!position) {
        return std::nullopt;
    }
    const auto size =
        copyAXValue(accessibility, accessibility_attributes::size, *window, AXValueType::size);
    if (!size) {
        return std::nullopt;
    }
    if (!(size->first >= minimumWindowWidth) || !(size->second >= minimumWindowHeight)) {
        return std::nullopt;
    }
    const std::vector<Screen> screens = ports.screens.screens();
    const Rect frame =
        toAppKitRect(Rect{position->first, position->second, size->first, size->second}, screens);
    if (!isVisibleOnSomeScreen(frame, screens)) {
        return std::nullopt;
    }
    return FocusedWindow{accessibility.hash(*window), frame};
}

std::optional<std::pair<double, double>> copyAXValue(Accessibility& accessibility,
                                                     const std::string& attribute,
                                                     const AccessibilityElement& element,
                                                     AXValueType type)
{
    const AccessibilityAttributeResult result =
        accessibility.copyAttributeValue(element, attribute);
    if (result.error != accessibility_errors::success || !result.value) {
        return std::nullopt;
    }
    if (type == AXValueType::point) {
        if (const auto* point = std::get_if<Point>(&*result.value)) {
            return std::pair{point->x, point->y};
        }
    } else if (const auto* size = std::get_if<Size>(&*result.value)) {
        return std::pair{size->width, size->height};
    }
    return std::nullopt;
}

double matchScore(const WindowCandidate& candidate, const Rect& focusedFrame)
{
    const Rect& f = focusedFrame;
    const Rect& c = candidate.frame;
    const double overlap = area(intersection(f, c));
    const double unionArea = area(f) + area(c) - overlap;
    const double overlapTerm = unionArea > 0 ? overlap / unionArea * 0.78 : 0.0;

    const double edgeDistance = std::abs(f.minX() - c.minX()) + std::abs(f.minY() - c.minY()) +
                                std::abs(f.maxX() - c.maxX()) + std::abs(f.maxY() - c.maxY());
    const double proximity = std::max(0.0, edgeDistance / -160.0 + 1.0);
    const double edgeTerm = proximity * 0.22;

    const double orderBonus =
        std::max(0.0, static_cast<double>(candidate.frontToBackIndex) * -0.005 + 0.08);
    return orderBonus + (overlapTerm + edgeTerm);
}

std::optional<WindowCandidate> bestCandidate(const std::vector<WindowCandidate>& candidates,
                                             const Rect& focusedFrame)
{
    if (!(area(focusedFrame) > 0) || candidates.empty()) {
        return std::nullopt;
    }
    const WindowCandidate* best = nullptr;
    double bestScore = 0;
    for (const WindowCandidate& candidate : candidates) {
        const double score = matchScore(candidate, focusedFrame);
        if (!best || score > bestScore) {
            best = &candidate;
            bestScore = score;
        }
    }
    if (!(bestScore >= acceptanceThreshold)) {
        return std::nullopt;
    }
    return *best;
}

std::optional<FocusCueTarget> liveTarget(ResolverPorts ports, ProcessIdentifier processIdentifier,
                                         WindowNumber windowNumber)
{
    if (!isStillFrontmost(ports.workspace, processIdentifier)) {
        return std::nullopt;
    }
    const std::optional<WindowCandidate> window =
        windowCandidate(ports, windowNumber, processIdentifier);
    if (!window) {
        return std::nullopt;
    }
    return windowListTarget(processIdentifier, *window);
}

bool isStillFrontmost(Workspace& workspace, ProcessIdentifier processIdentifier)
{
    const std::optional<RunningApplication> frontmost = workspace.frontmostApplication();
    if (!frontmost) {
        return false;
    }
    if (frontmost->processIdentifier == processIdentifier) {
        return true;
    }
    return frontmost->bundleIdentifier == finderBundleIdentifier &&
           isQuickLookProcess(workspace, processIdentifier, std::nullopt);
}

bool framesNearlyEqual(const Rect& a, const Rect& b)
{
    return std::abs(a.minX() - b.minX()) <= nearlyEqualTolerance &&
           std::abs(a.minY() - b.minY()) <= nearlyEqualTolerance &&
           std::abs(a.width() - b.width()) <= nearlyEqualTolerance &&
           std::abs(a.height() - b.height()) <= nearlyEqualTolerance;
}

} // namespace halomark::FrontmostWindowResolver
