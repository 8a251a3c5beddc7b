// The layer-shell protocol's client header for C++: the protocol names an argument
// "namespace", a C++ keyword, which is renamed while the generated C header is read.
#pragma once

#include <wayland-client.h>

#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
