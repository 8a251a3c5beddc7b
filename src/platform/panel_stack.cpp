#include "platform/panel_stack.h"

#include <algorithm>

namespace halomark {

void PanelStack::orderFront(const std::shared_ptr<Panel>& panel, int level)
{
    if (!panel) {
        return;
    }
    remove(*panel);
    const auto above = std::find_if(entries.begin(), entries.end(),
                                    [level](const Entry& entry) { return entry.level > level; });
    entries.insert(above, Entry{panel, panel.get(), level});
}

void PanelStack::orderOut(const Panel& panel)
{
    remove(panel);
}

void PanelStack::setLevel(const Panel& panel, int level)
{
    removeReleased();
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const Entry& entry) { return entry.identity == &panel; });
    if (found != entries.end()) {
        orderFront(found->panel.lock(), level);
    }
}

bool PanelStack::contains(const Panel& panel) const
{
    return std::any_of(entries.begin(), entries.end(), [&](const Entry& entry) {
        return entry.identity == &panel && !entry.panel.expired();
    });
}

std::vector<std::shared_ptr<Panel>> PanelStack::frontToBack() const
{
    std::vector<std::shared_ptr<Panel>> result = bottomToTop();
    std::reverse(result.begin(), result.end());
    return result;
}

std::vector<std::shared_ptr<Panel>> PanelStack::bottomToTop() const
{
    std::vector<std::shared_ptr<Panel>> result;
    result.reserve(entries.size());
    for (const Entry& entry : entries) {
        if (auto panel = entry.panel.lock()) {
            result.push_back(std::move(panel));
        }
    }
    return result;
}

void PanelStack::remove(const Panel& panel)
{
    // Released panels leave first, so that a new panel at a released one's address is not
    // taken for it.
    removeReleased();
    std::erase_if(entries, [&](const Entry& entry) { return entry.identity == &panel; });
}

void PanelStack::removeReleased()
{
    std::erase_if(entries, [](const Entry& entry) { return entry.panel.expired(); });
}

} // namespace halomark
