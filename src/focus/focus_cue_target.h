// The active window as the highlight sees it: its owner, an identifier that tells where it
// was found ("cg:" window list, "ax:" accessibility only, "quicklook:" a preview panel,
// each followed by a decimal number), its window number when the window list knows it, and
// its frame in global bottom-left coordinates. A FocusCueEvent carries one target.
#pragma once

#include "platform/geometry.h"
#include "platform/process_identifier.h"
#include "platform/window_server.h"

#include <optional>
#include <string>

namespace halomark {

struct FocusCueTarget
{
    ProcessIdentifier processIdentifier = 0;
    std::string windowIdentifier;
    std::optional<WindowNumber> windowNumber;
    Rect frame;

    // Equal owner, identifier, window number (both absent or both equal) and exactly equal
    // frames.
    friend bool operator==(const FocusCueTarget&, const FocusCueTarget&) = default;
};

struct FocusCueEvent
{
    FocusCueTarget target;
    friend bool operator==(const FocusCueEvent&, const FocusCueEvent&) = default;
};

} // namespace halomark
