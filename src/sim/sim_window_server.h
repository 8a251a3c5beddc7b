// A window server for tests. It holds windows in front-to-back order, each with its owner,
// layer, number, bounds (global top-left coordinates), on-screen flag, alpha and owner name,
// and answers the list the way a real server does: off-screen windows are left out when only
// on-screen windows are asked for, desktop elements when they are excluded. A window's
// record can be replaced by a raw one to stand for malformed answers. It records the options
// and relative window of the latest list request, the latest window looked up by number,
// and how many of each were made.
#pragma once

#include "platform/geometry.h"
#include "platform/process_identifier.h"
#include "platform/window_server.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace halomark::sim {

struct SimWindow
{
    ProcessIdentifier ownerPid = 0;
    std::int64_t layer = 0;
    WindowNumber number = 0;
    Rect bounds; // top-left coordinates
    bool isOnscreen = true;
    double alpha = 1.0;
    std::string ownerName;
    bool isDesktopElement = false;
};

class SimWindowServer final : public WindowServer
{
public:
    struct ListRequest
    {
        WindowListOptions options = 0;
        WindowNumber relativeWindow = 0;
        friend bool operator==(const ListRequest&, const ListRequest&) = default;
    };

    // Control surface. A window number is unique: adding a window with a number already
    // present replaces that window.
    void addWindow(const SimWindow& window);       // in front of all others
    void addWindowAtBack(const SimWindow& window); // behind all others
    void removeWindow(WindowNumber number);
    void raise(WindowNumber number); // brings it to the front
    void setBounds(WindowNumber number, Rect topLeftBounds);
    // The window for direct changes (visibility, alpha, owner); nothing when absent.
    SimWindow* window(WindowNumber number);
    const SimWindow* window(WindowNumber number) const;
    std::vector<WindowNumber> frontToBack() const;

    // Replaces the window's record, keeping its place in the order, by the given raw one.
    void overrideRecord(WindowNumber number, WindowRecord record);
    void clearOverride(WindowNumber number) { overrides.erase(number); }
    // While set, list requests get no answer.
    void setListUnavailable(bool value) { listUnavailable = value; }

    // The well-formed record of a window, as the server would give it.
    static WindowRecord recordOf(const SimWindow& window);

    int listCopyCount() const { return listCopies; }
    std::optional<ListRequest> lastListRequest() const { return lastRequest; }
    int descriptionCount() const { return descriptions; }
    std::optional<WindowNumber> lastDescribedWindow() const { return lastDescribed; }

    // WindowServer. The relative window is recorded only: the whole list is always given.
    std::optional<std::vector<WindowRecord>> copyWindowList(WindowListOptions options,
                                                            WindowNumber relativeWindow) override;
    std::optional<WindowRecord> windowDescription(WindowNumber number) override;

private:
    WindowRecord recordAt(const SimWindow& window) const;

    std::vector<SimWindow> windows; // front to back
    std::map<WindowNumber, WindowRecord> overrides;
    bool listUnavailable = false;
    int listCopies = 0;
    std::optional<ListRequest> lastRequest;
    int descriptions = 0;
    std::optional<WindowNumber> lastDescribed;
};

} // namespace halomark::sim
