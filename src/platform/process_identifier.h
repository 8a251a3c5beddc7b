// The system's identifier of a running process, as the window list, the accessibility
// interface and the workspace report it.
#pragma once

#include <cstdint>

namespace halomark {

using ProcessIdentifier = std::int32_t;

} // namespace halomark
