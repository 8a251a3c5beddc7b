// Running Qt's event loop in tests until something has happened. The limit only keeps a
// failing test from hanging: no test depends on how long things take.
#pragma once

#include <functional>

namespace halomark::qt::testing {

// Runs the loop until the condition holds or the limit passes; true when it holds.
bool runEventsUntil(const std::function<bool()>& condition, int limitMilliseconds = 3000);

// Runs the loop for the given time, whatever happens meanwhile.
void runEventsFor(int milliseconds);

// Runs what is pending now (posted work, queued calls) without waiting for anything.
void runPendingEvents();

} // namespace halomark::qt::testing
