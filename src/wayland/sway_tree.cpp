#include "wayland/sway_tree.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <limits>

namespace halomark::wayland {

namespace {

using Json = nlohmann::json;

// Deeper than any real layout; bounds the recursion on hostile input.
constexpr int maximumDepth = 128;

const Json* member(const Json& node, const char* key)
{
    if (!node.is_object()) {
        return nullptr;
    }
    const auto found = node.find(key);
    return found == node.end() ? nullptr : &*found;
}

std::optional<double> numberOf(const Json& node, const char* key)
{
    const Json* value = member(node, key);
    if (!value || !value->is_number()) {
        return std::nullopt;
    }
    return value->get<double>();
}

std::optional<std::string> textOf(const Json& node, const char* key)
{
    const Json* value = member(node, key);
    if (!value || !value->is_string()) {
        return std::nullopt;
    }
    return value->get<std::string>();
}

bool flagOf(const Json& node, const char* key)
{
    const Json* value = member(node, key);
    return value && value->is_boolean() && value->get<bool>();
}

// An integer of any sign that fits in 64 signed bits.
std::optional<std::int64_t> integerOf(const Json& value)
{
    if (value.is_number_unsigned()) {
        const auto unsignedValue = value.get<std::uint64_t>();
        if (unsignedValue > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(unsignedValue);
    }
    if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    }
    return std::nullopt;
}

std::optional<std::uint64_t> idOf(const Json& node)
{
    const Json* value = member(node, "id");
    const auto id = value ? integerOf(*value) : std::nullopt;
    if (!id || *id < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(*id);
}

std::optional<LayoutRect> rectOf(const Json& node, const char* key)
{
    const Json* rect = member(node, key);
    if (!rect) {
        return std::nullopt;
    }
    const auto x = numberOf(*rect, "x");
    const auto y = numberOf(*rect, "y");
    const auto width = numberOf(*rect, "width");
    const auto height = numberOf(*rect, "height");
    if (!x || !y || !width || !height) {
        return std::nullopt;
    }
    return LayoutRect{*x, *y, *width, *height};
}

// The children under the key, those named in the node's focus list first in that order (the
// most recently focused first), then the rest in their own order.
std::vector<const Json*> byRecentFocus(const Json& node, const char* key)
{
    std::vector<const Json*> children;
    const Json* list = member(node, key);
    if (!list || !list->is_array()) {
        return children;
    }
    for (const Json& child : *list) {
        children.push_back(&child);
    }
    const Json* focus = member(node, "focus");
    if (!focus || !focus->is_array()) {
        return children;
    }
    const auto rank = [focus](const Json* child) {
        const auto id = idOf(*child);
        std::size_t index = 0;
        for (const Json& focused : *focus) {
            if (id && integerOf(focused) == static_cast<std::int64_t>(*id)) {
                return index;
            }
            ++index;
        }
        return std::numeric_limits<std::size_t>::max();
    };
    std::stable_sort(children.begin(), children.end(),
                     [&rank](const Json* a, const Json* b) { return rank(a) < rank(b); });
    return children;
}

bool hasChildren(const Json& node)
{
    for (const char* key : {"nodes", "floating_nodes"}) {
        const Json* list = member(node, key);
        if (list && list->is_array() && !list->empty()) {
            return true;
        }
    }
    return false;
}

// A view is a leaf container that shows a client's surface.
bool isView(const Json& node)
{
    const auto type = textOf(node, "type");
    return (type == "con" || type == "floating_con") && !hasChildren(node) &&
           (member(node, "pid") || member(node, "app_id") || member(node, "shell"));
}

std::optional<WaylandWindow> windowOf(const Json& node, bool isFloating,
                                      std::optional<std::uint64_t>& focused)
{
    const auto id = idOf(node);
    const auto rect = rectOf(node, "rect");
    if (!id || !rect) {
        return std::nullopt;
    }
    WaylandWindow window;
    window.id = *id;
    if (const Json* pid = member(node, "pid")) {
        if (const auto value = integerOf(*pid);
            value && *value > 0 && *value <= std::numeric_limits<ProcessIdentifier>::max()) {
            window.pid = static_cast<ProcessIdentifier>(*value);
        }
    }
    window.appId = textOf(node, "app_id");
    if (!window.appId) {
        // An X11 client through Xwayland names itself by its class.
        if (const Json* properties = member(node, "window_properties")) {
            window.appId = textOf(*properties, "class");
        }
    }
    window.title = textOf(node, "name");
    window.frame = *rect;
    const auto title = rectOf(node, "deco_rect");
    if (title && title->height() > 0 && textOf(node, "border") == "normal") {
        window.frame = LayoutRect{rect->minX(), rect->minY() - title->height(), rect->width(),
                                  rect->height() + title->height()};
    }
    window.isVisible = flagOf(node, "visible");
    window.isFloating = isFloating;
    window.isFullscreen = numberOf(node, "fullscreen_mode").value_or(0) != 0;
    window.opacity = numberOf(node, "opacity");
    if (flagOf(node, "focused")) {
        focused = window.id;
    }
    return window;
}

void collect(const Json& node, bool isFloating, int depth, std::vector<WaylandWindow>& out,
             std::optional<std::uint64_t>& focused)
{
    if (depth > maximumDepth) {
        return;
    }
    for (const Json* child : byRecentFocus(node, "nodes")) {
        if (isView(*child)) {
            if (auto window = windowOf(*child, isFloating, focused)) {
                out.push_back(std::move(*window));
            }
        } else {
            collect(*child, isFloating, depth + 1, out, focused);
        }
    }
}

void collectWorkspace(const Json& workspace, std::vector<WaylandWindow>& out,
                      std::optional<std::uint64_t>& focused)
{
    std::vector<WaylandWindow> windows;
    // Floating windows are kept bottom to top; raising one moves it to the end.
    if (const Json* floating = member(workspace, "floating_nodes");
        floating && floating->is_array()) {
        for (auto child = floating->rbegin(); child != floating->rend(); ++child) {
            if (isView(*child)) {
                if (auto window = windowOf(*child, true, focused)) {
                    windows.push_back(std::move(*window));
                }
            } else {
                collect(*child, true, 1, windows, focused);
            }
        }
    }
    collect(workspace, false, 1, windows, focused);
    std::stable_partition(windows.begin(), windows.end(),
                          [](const WaylandWindow& window) { return window.isFullscreen; });
    std::move(windows.begin(), windows.end(), std::back_inserter(out));
}

} // namespace

std::optional<WaylandWindowSnapshot> parseSwayTree(std::string_view json)
{
    const Json root = Json::parse(json.data(), json.data() + json.size(), nullptr, false);
    if (root.is_discarded() || !root.is_object() || textOf(root, "type") != "root") {
        return std::nullopt;
    }
    WaylandWindowSnapshot snapshot;
    if (const Json* outputs = member(root, "nodes"); outputs && outputs->is_array()) {
        for (const Json& output : *outputs) {
            const auto name = textOf(output, "name");
            const auto rect = rectOf(output, "rect");
            // The scratchpad's pseudo-output ("__i3") is not a screen.
            if (name && rect && !name->starts_with("__") && textOf(output, "type") == "output") {
                snapshot.outputs.push_back({*name, *rect});
            }
        }
    }
    std::optional<std::uint64_t> focused;
    for (const Json* output : byRecentFocus(root, "nodes")) {
        for (const Json* workspace : byRecentFocus(*output, "nodes")) {
            collectWorkspace(*workspace, snapshot.frontToBack, focused);
        }
    }
    // What is shown comes before what is hidden, whatever output it is on.
    std::stable_partition(snapshot.frontToBack.begin(), snapshot.frontToBack.end(),
                          [](const WaylandWindow& window) { return window.isVisible; });
    snapshot.focusedWindow = focused;
    return snapshot;
}

} // namespace halomark::wayland
