// Running Qt's event loop in tests until something has happened, and what Qt logs meanwhile.
// The limit only keeps a failing test from hanging: no test depends on how long things take.
#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>
#include <vector>

namespace halomark::qt::testing {

// Runs the loop until the condition holds or the limit passes; true when it holds.
bool runEventsUntil(const std::function<bool()>& condition, int limitMilliseconds = 3000);

// Runs the loop for the given time, whatever happens meanwhile.
void runEventsFor(int milliseconds);

// Runs what is pending now (posted work, queued calls) without waiting for anything.
void runPendingEvents();

// Collects the messages Qt logs while it lives: all of them, or those of one type.
class MessageCapture
{
public:
    explicit MessageCapture(std::optional<QtMsgType> only = std::nullopt);
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    const std::vector<QString>& messages() const;
    void clear();

private:
    QtMessageHandler previous = nullptr;
};

} // namespace halomark::qt::testing
