// The alerts port: application-modal message boxes with a title, a message, a style and
// titled buttons. Running one returns when the user closes it and tells which button did:
// 1000 for the first button, 1001 for the second, and so on. The main loop's timers keep
// firing while an alert runs.
#pragma once

#include <string>
#include <vector>

namespace halomark {

enum class AlertStyle
{
    warning = 0,
    informational = 1,
    critical = 2
};

struct Alert
{
    std::string title;   // the bold message text
    std::string message; // the informative text below it
    AlertStyle style = AlertStyle::warning;
    std::vector<std::string> buttons; // left to right in reading order, the default first

    friend bool operator==(const Alert&, const Alert&) = default;
};

using ModalResponse = int;
inline constexpr ModalResponse alertFirstButtonReturn = 1000;

class Alerts
{
public:
    virtual ~Alerts() = default;
    virtual ModalResponse runModal(const Alert& alert) = 0;
};

} // namespace halomark
