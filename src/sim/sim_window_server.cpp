#include "sim/sim_window_server.h"

#include <algorithm>

namespace halomark::sim {
namespace {

RecordValue number(std::int64_t value)
{
    return RecordNumber{value};
}

} // namespace

void SimWindowServer::addWindow(const SimWindow& window)
{
    removeWindow(window.number);
    windows.insert(windows.begin(), window);
}

void SimWindowServer::addWindowAtBack(const SimWindow& window)
{
    removeWindow(window.number);
    windows.push_back(window);
}

void SimWindowServer::removeWindow(WindowNumber number)
{
    std::erase_if(windows, [&](const SimWindow& w) { return w.number == number; });
    overrides.erase(number);
}

void SimWindowServer::raise(WindowNumber number)
{
    const auto found = std::find_if(windows.begin(), windows.end(),
                                    [&](const SimWindow& w) { return w.number == number; });
    if (found != windows.end()) {
        std::rotate(windows.begin(), found, found + 1);
    }
}

void SimWindowServer::setBounds(WindowNumber number, Rect topLeftBounds)
{
    if (SimWindow* found = window(number)) {
        found->bounds = topLeftBounds;
    }
}

SimWindow* SimWindowServer::window(WindowNumber number)
{
    const auto found = std::find_if(windows.begin(), windows.end(),
                                    [&](const SimWindow& w) { return w.number == number; });
    return found == windows.end() ? nullptr : &*found;
}

const SimWindow* SimWindowServer::window(WindowNumber number) const
{
    const auto found = std::find_if(windows.begin(), windows.end(),
                                    [&](const SimWindow& w) { return w.number == number; });
    return found == windows.end() ? nullptr : &*found;
}

std::vector<WindowNumber> SimWindowServer::frontToBack() const
{
    std::vector<WindowNumber> numbers;
    numbers.reserve(windows.size());
    for (const SimWindow& w : windows) {
        numbers.push_back(w.number);
    }
    return numbers;
}

void SimWindowServer::overrideRecord(WindowNumber number, WindowRecord record)
{
    overrides[number] = std::move(record);
}

WindowRecord SimWindowServer::recordOf(const SimWindow& window)
{
    WindowRecord record;
    record.ownerPID = number(window.ownerPid);
    record.layer = number(window.layer);
    record.number = number(window.number);
    record.bounds = RecordBounds{window.bounds.minX(), window.bounds.minY(), window.bounds.width(),
                                 window.bounds.height()};
    record.isOnscreen = number(window.isOnscreen ? 1 : 0);
    record.alpha = RecordNumber{window.alpha};
    record.ownerName = window.ownerName;
    return record;
}

WindowRecord SimWindowServer::recordAt(const SimWindow& window) const
{
    const auto found = overrides.find(window.number);
    return found != overrides.end() ? found->second : recordOf(window);
}

std::optional<std::vector<WindowRecord>>
SimWindowServer::copyWindowList(WindowListOptions options, WindowNumber relativeWindow)
{
    ++listCopies;
    lastRequest = ListRequest{options, relativeWindow};
    if (listUnavailable) {
        return std::nullopt;
    }
    std::vector<WindowRecord> list;
    list.reserve(windows.size());
    for (const SimWindow& w : windows) {
        if ((options & window_list_options::onScreenOnly) && !w.isOnscreen) {
            continue;
        }
        if ((options & window_list_options::excludeDesktopElements) && w.isDesktopElement) {
            continue;
        }
        list.push_back(recordAt(w));
    }
    return list;
}

std::optional<WindowRecord> SimWindowServer::windowDescription(WindowNumber number)
{
    ++descriptions;
    lastDescribed = number;
    const auto found = std::find_if(windows.begin(), windows.end(),
                                    [&](const SimWindow& w) { return w.number == number; });
    if (found == windows.end()) {
        return std::nullopt;
    }
    return recordAt(*found);
}

} // namespace halomark::sim
