// The accessibility interface for tests. Each process may have a focused window, either
// linked to a window of the simulated window server (its position and size are then read
// live from that window's bounds, as a real desktop reports them) or detached, with a frame
// of its own (a window the window list does not show). Tests can withhold permission, so
// that every read fails, and replace the answer of any attribute of a process, to stand for
// errors and values of the wrong type. Reads are counted per attribute.
#pragma once

#include "platform/accessibility.h"
#include "sim/sim_window_server.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace halomark::sim {

class SimAccessibility final : public Accessibility
{
public:
    struct DetachedWindow
    {
        std::uint64_t hash = 0;
        Point position; // top-left coordinates
        Size size;
    };

    explicit SimAccessibility(const SimWindowServer* windows = nullptr) : windows(windows) {}

    // Control surface.
    void focusWindow(ProcessIdentifier pid, WindowNumber number) { focus[pid] = number; }
    void setFocusedWindow(ProcessIdentifier pid, DetachedWindow window) { focus[pid] = window; }
    void clearFocusedWindow(ProcessIdentifier pid) { focus.erase(pid); }
    void setTrusted(bool value) { trusted = value; }
    void overrideAttribute(ProcessIdentifier pid, const std::string& attribute,
                           AccessibilityAttributeResult result)
    {
        overrides[{pid, attribute}] = std::move(result);
    }
    void clearOverrides() { overrides.clear(); }

    // The hash of the element of a linked window.
    static std::uint64_t hashOfWindow(WindowNumber number)
    {
        return 0xa11c'0000'0000'0000u | number;
    }

    int attributeReadCount() const { return readCount; }
    int attributeReadCount(const std::string& attribute) const
    {
        const auto found = readsByAttribute.find(attribute);
        return found == readsByAttribute.end() ? 0 : found->second;
    }
    int applicationElementCount() const { return applicationElements; }

    // Accessibility.
    AccessibilityElement applicationElement(ProcessIdentifier pid) override
    {
        ++applicationElements;
        return {applicationTag | static_cast<std::uint32_t>(pid)};
    }

    AccessibilityAttributeResult copyAttributeValue(const AccessibilityElement& element,
                                                    const std::string& attribute) override
    {
        namespace e = accessibility_errors;
        ++readCount;
        ++readsByAttribute[attribute];
        if (!trusted) {
            return {e::apiDisabled, std::nullopt};
        }
        const std::optional<Target> target = targetOf(element);
        if (!target) {
            return {e::invalidElement, std::nullopt};
        }
        if (const auto found = overrides.find({target->pid, attribute}); found != overrides.end()) {
            return found->second;
        }
        if (!target->window) {
            return readApplication(target->pid, attribute);
        }
        return readWindow(*target->window, attribute);
    }

    std::uint64_t hash(const AccessibilityElement& element) override
    {
        const std::optional<Target> target = targetOf(element);
        if (!target || !target->window) {
            return element.reference;
        }
        if (const auto* linked = std::get_if<WindowNumber>(&*target->window)) {
            return hashOfWindow(*linked);
        }
        return std::get<DetachedWindow>(*target->window).hash;
    }

private:
    using Focus = std::variant<WindowNumber, DetachedWindow>;
    struct Target
    {
        ProcessIdentifier pid = 0;
        std::optional<Focus> window; // nothing for the application element
    };

    static constexpr std::uint64_t applicationTag = 1ull << 56;
    static constexpr std::uint64_t windowTag = 2ull << 56;

    std::optional<Target> targetOf(const AccessibilityElement& element) const
    {
        const std::uint64_t tag = element.reference & (0xffull << 56);
        const std::uint64_t payload = element.reference & ~(0xffull << 56);
        if (tag == applicationTag) {
            return Target{static_cast<ProcessIdentifier>(static_cast<std::uint32_t>(payload)),
                          std::nullopt};
        }
        if (tag == windowTag && payload < handedOut.size()) {
            return handedOut[payload];
        }
        return std::nullopt;
    }

    AccessibilityAttributeResult readApplication(ProcessIdentifier pid,
                                                 const std::string& attribute)
    {
        namespace e = accessibility_errors;
        if (attribute != accessibility_attributes::focusedWindow) {
            return {e::attributeUnsupported, std::nullopt};
        }
        const auto found = focus.find(pid);
        if (found == focus.end()) {
            return {e::noValue, std::nullopt};
        }
        return {e::success, AccessibilityValue{elementFor(Target{pid, found->second})}};
    }

    AccessibilityAttributeResult readWindow(const Focus& window, const std::string& attribute)
    {
        namespace e = accessibility_errors;
        std::optional<Rect> frame;
        if (const auto* linked = std::get_if<WindowNumber>(&window)) {
            if (const SimWindow* found = windows ? windows->window(*linked) : nullptr) {
                frame = found->bounds;
            }
        } else {
            const auto& detached = std::get<DetachedWindow>(window);
            frame = Rect{detached.position, detached.size};
        }
        if (!frame) {
            return {e::invalidElement, std::nullopt}; // the window has gone
        }
        if (attribute == accessibility_attributes::position) {
            return {e::success, AccessibilityValue{frame->origin}};
        }
        if (attribute == accessibility_attributes::size) {
            return {e::success, AccessibilityValue{frame->size}};
        }
        return {e::attributeUnsupported, std::nullopt};
    }

    // Elements are handed out once per window and reused, so the table stays as small as
    // the number of distinct windows ever focused.
    AccessibilityElement elementFor(const Target& target)
    {
        for (std::size_t i = 0; i < handedOut.size(); ++i) {
            if (handedOut[i].pid == target.pid &&
                sameWindow(*handedOut[i].window, *target.window)) {
                handedOut[i] = target;
                return {windowTag | i};
            }
        }
        handedOut.push_back(target);
        return {windowTag | (handedOut.size() - 1)};
    }

    static bool sameWindow(const Focus& a, const Focus& b)
    {
        if (a.index() != b.index()) {
            return false;
        }
        if (const auto* linked = std::get_if<WindowNumber>(&a)) {
            return *linked == std::get<WindowNumber>(b);
        }
        return std::get<DetachedWindow>(a).hash == std::get<DetachedWindow>(b).hash;
    }

    const SimWindowServer* windows;
    std::map<ProcessIdentifier, Focus> focus;
    std::map<std::pair<ProcessIdentifier, std::string>, AccessibilityAttributeResult> overrides;
    std::vector<Target> handedOut;
    std::map<std::string, int, std::less<>> readsByAttribute;
    int readCount = 0;
    int applicationElements = 0;
    bool trusted = true;
};

} // namespace halomark::sim
