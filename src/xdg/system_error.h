// The system's description of an error number, always in English whatever the locale, since it
// becomes part of sentences written in English.
#pragma once

#include <string>

namespace halomark::xdg {

std::string describeError(int errorNumber);

} // namespace halomark::xdg
