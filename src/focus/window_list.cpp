#include "focus/window_list.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace halomark::FrontmostWindowResolver {
namespace {

// Typed readers of a record's keys: nothing when the key is missing or holds a value of
// another type.

const RecordNumber* numberValue(const std::optional<RecordValue>& value)
{
    return value ? std::get_if<RecordNumber>(&*value) : nullptr;
}

std::optional<ProcessIdentifier> ownerPidOf(const WindowRecord& record)
{
    if (const RecordNumber* n = numberValue(record.ownerPID)) {
        return n->intValue();
    }
    return std::nullopt;
}

std::optional<std::int64_t> layerOf(const WindowRecord& record)
{
    if (const RecordNumber* n = numberValue(record.layer)) {
        return n->integerValue();
    }
    return std::nullopt;
}

std::optional<WindowNumber> windowNumberOf(const WindowRecord& record)
{
    if (const RecordNumber* n = numberValue(record.number)) {
        return n->unsignedIntValue();
    }
    return std::nullopt;
}

const RecordBounds* boundsOf(const WindowRecord& record)
{
    return record.bounds ? std::get_if<RecordBounds>(&*record.bounds) : nullptr;
}

std::optional<std::string_view> ownerNameOf(const WindowRecord& record)
{
    if (record.ownerName) {
        if (const auto* text = std::get_if<std::string>(&*record.ownerName)) {
            return std::string_view{*text};
        }
    }
    return std::nullopt;
}

// The rectangle of a bounds dictionary, which converts only with all four components.
std::optional<Rect> rectOf(const RecordBounds& bounds)
{
    if (!bounds.x || !bounds.y || !bounds.width || !bounds.height) {
        return std::nullopt;
    }
    return Rect{*bounds.x, *bounds.y, *bounds.width, *bounds.height};
}

// The checks every scan ends with, on bounds already converted: visible, not transparent,
// big enough as the server measures it, and enough of it on one screen. Gives the frame in
// bottom-left coordinates.
std::optional<Rect> commonTail(const WindowRecord& record, const Rect& topLeftBounds,
                               const std::vector<Screen>& screens)
{
    if (const RecordNumber* onscreen = numberValue(record.isOnscreen)) {
        if (!onscreen->boolValue()) {
            return std::nullopt;
        }
    }
    if (const RecordNumber* alpha = numberValue(record.alpha)) {
        if (!(alpha->doubleValue() > invisibleAlpha)) {
            return std::nullopt;
        }
    }
    if (!(topLeftBounds.width() >= minimumWindowWidth) ||
        !(topLeftBounds.height() >= minimumWindowHeight)) {
        return std::nullopt;
    }
    const Rect frame = toAppKitRect(topLeftBounds, screens);
    if (!isVisibleOnSomeScreen(frame, screens)) {
        return std::nullopt;
    }
    return frame;
}

std::optional<Rect> commonTail(const WindowRecord& record, const RecordBounds& bounds,
                               const std::vector<Screen>& screens)
{
    const std::optional<Rect> rect = rectOf(bounds);
    if (!rect) {
        return std::nullopt;
    }
    return commonTail(record, *rect, screens);
}

std::size_t recordLimit(std::int64_t inFrontOf, std::size_t count)
{
    if (inFrontOf <= 0) {
        return 0;
    }
    return std::min(static_cast<std::size_t>(inFrontOf), count);
}

bool containsIgnoringCase(std::string_view text, std::string_view lowerNeedle)
{
    const auto found = std::search(
        text.begin(), text.end(), lowerNeedle.begin(), lowerNeedle.end(),
        [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    return found != text.end();
}

} // namespace

std::vector<WindowRecord> copyWindowList(WindowServer& windowServer)
{
    auto list = windowServer.copyWindowList(windowListOptions, nullWindow);
    if (!list) {
        return {};
    }
    return std::move(*list);
}

std::vector<WindowCandidate> windowCandidates(ResolverPorts ports,
                                              ProcessIdentifier processIdentifier,
                                              const std::vector<WindowRecord>* windowList)
{
    std::vector<WindowRecord> copied;
    if (!windowList) {
        copied = copyWindowList(ports.windowServer);
        windowList = &copied;
    }
    const std::vector<Screen> screens = ports.screens.screens();
    std::vector<WindowCandidate> candidates;
    for (std::size_t i = 0; i < windowList->size(); ++i) {
        const WindowRecord& record = (*windowList)[i];
        if (ownerPidOf(record) != processIdentifier || layerOf(record) != 0) {
            continue;
        }
        const std::optional<WindowNumber> number = windowNumberOf(record);
        const RecordBounds* bounds = boundsOf(record);
        if (!number || !bounds) {
            continue;
        }
        if (const std::optional<Rect> frame = commonTail(record, *bounds, screens)) {
            candidates.push_back({*number, *frame, static_cast<std::int64_t>(i)});
        }
    }
    return candidates;
}

std::optional<FocusCueTarget> quickLookWindow(ResolverPorts ports,
                                              ProcessIdentifier ownProcessIdentifier,
                                              ProcessIdentifier frontmostProcessIdentifier,
                                              std::int64_t inFrontOf,
                                              const std::vector<WindowRecord>& windowList)
{
    const std::size_t limit = recordLimit(inFrontOf, windowList.size());
    if (limit == 0) {
        return std::nullopt;
    }
    const std::vector<Screen> screens = ports.screens.screens();
    for (std::size_t i = 0; i < limit; ++i) {
        const WindowRecord& record = windowList[i];
        const std::optional<ProcessIdentifier> owner = ownerPidOf(record);
        const std::optional<std::int64_t> layer = layerOf(record);
        const std::optional<WindowNumber> number = windowNumberOf(record);
        const RecordBounds* bounds = boundsOf(record);
        if (!owner || !layer || !number || !bounds) {
            continue;
        }
        if (*owner == ownProcessIdentifier || *owner == frontmostProcessIdentifier) {
            continue;
        }
        if (!isQuickLookProcess(ports.workspace, *owner, ownerNameOf(record))) {
            continue;
        }
        if (*layer < 0 || *layer > 999) {
            continue;
        }
        if (const std::optional<Rect> frame = commonTail(record, *bounds, screens)) {
            return FocusCueTarget{*owner, "quicklook:" + std::to_string(*number), *number, *frame};
        }
    }
    return std::nullopt;
}

bool isObscured(ResolverPorts ports, const Rect& frame, std::int64_t inFrontOf,
                ProcessIdentifier frontmostProcessIdentifier,
                ProcessIdentifier ownProcessIdentifier, const std::vector<WindowRecord>& windowList)
{
    const std::size_t limit = recordLimit(inFrontOf, windowList.size());
    if (limit == 0) {
        return false;
    }
    const std::vector<Screen> screens = ports.screens.screens();
    for (std::size_t i = 0; i < limit; ++i) {
        const WindowRecord& record = windowList[i];
        const std::optional<ProcessIdentifier> owner = ownerPidOf(record);
        const std::optional<std::int64_t> layer = layerOf(record);
        const RecordBounds* bounds = boundsOf(record);
        if (!owner || !layer || !bounds || *layer != 0) {
            continue;
        }
        if (*owner == ownProcessIdentifier || *owner == frontmostProcessIdentifier) {
            continue;
        }
        // A preview panel over Finder is the answer itself, never a cover.
        if (isQuickLookProcess(ports.workspace, *owner, ownerNameOf(record))) {
            continue;
        }
        const std::optional<Rect> other = commonTail(record, *bounds, screens);
        if (other && !intersection(*other, frame).isEmpty()) {
            return true;
        }
    }
    return false;
}

std::optional<WindowCandidate> windowCandidate(ResolverPorts ports, WindowNumber windowNumber,
                                               ProcessIdentifier processIdentifier)
{
    const std::optional<WindowRecord> record = ports.windowServer.windowDescription(windowNumber);
    if (!record || ownerPidOf(*record) != processIdentifier) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> layer = layerOf(*record);
    if (!layer || !isTrackableLayer(ports.workspace, *layer, processIdentifier)) {
        return std::nullopt;
    }
    const RecordBounds* bounds = boundsOf(*record);
    if (!bounds) {
        return std::nullopt;
    }
    const std::optional<Rect> frame = commonTail(*record, *bounds, ports.screens.screens());
    if (!frame) {
        return std::nullopt;
    }
    return WindowCandidate{windowNumber, *frame, 0};
}

bool isTrackableLayer(Workspace& workspace, std::int64_t layer, ProcessIdentifier processIdentifier)
{
    if (layer == 0) {
        return true;
    }
    if (layer < 0 || layer > 999) {
        return false;
    }
    const std::optional<RunningApplication> frontmost = workspace.frontmostApplication();
    if (!frontmost || frontmost->bundleIdentifier != finderBundleIdentifier ||
        frontmost->processIdentifier == processIdentifier) {
        return false;
    }
    return isQuickLookProcess(workspace, processIdentifier, std::nullopt);
}

bool isQuickLookProcess(Workspace& workspace, ProcessIdentifier processIdentifier,
                        std::optional<std::string_view> ownerName)
{
    if (containsQuickLookMarker(ownerName.value_or(std::string_view{}))) {
        return true;
    }
    const std::optional<RunningApplication> application =
        workspace.runningApplication(processIdentifier);
    if (!application) {
        return false;
    }
    return containsQuickLookMarker(application->bundleIdentifier.value_or(std::string{})) ||
           containsQuickLookMarker(application->localizedName.value_or(std::string{}));
}

bool containsQuickLookMarker(std::string_view text)
{
    return containsIgnoringCase(text, "quicklook") || containsIgnoringCase(text, "viewbridge");
}

Rect toAppKitRect(const Rect& topLeftRect, const std::vector<Screen>& screens)
{
    return flipToBottomLeft(topLeftRect, screens);
}

bool isVisibleOnSomeScreen(const Rect& rect, const std::vector<Screen>& screens)
{
    return std::any_of(screens.begin(), screens.end(), [&](const Screen& screen) {
        const Rect visible = intersection(rect, screen.frame);
        return !visible.isEmpty() && visible.width() >= minimumVisibleWidth &&
               visible.height() >= minimumVisibleHeight;
    });
}

} // namespace halomark::FrontmostWindowResolver
