// The command line's side of the commands: sends one to the running instance over the
// session bus and prints what `status` asks for. Needs a QCoreApplication, no display.
#pragma once

#include "qt/command_line.h"

namespace halomark::qt {

// The exit status: 0 when done, 1 when no instance runs or the bus cannot be reached (with a
// message on standard error).
int sendCommand(CommandLine::Command command);

} // namespace halomark::qt
