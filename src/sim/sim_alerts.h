// Modal alerts for tests. Every alert run is recorded; the test answers each one with a
// responder, which sees the alert while it is up (and may advance the main loop meanwhile,
// as the timers keep firing under a modal alert). Without a responder the first button
// closes the alert.
#pragma once

#include "platform/alerts.h"

#include <functional>
#include <utility>
#include <vector>

namespace halomark::sim {

class SimAlerts final : public Alerts
{
public:
    using Responder = std::function<ModalResponse(const Alert&)>;

    // Control surface.
    void setResponder(Responder value) { responder = std::move(value); }
    // Closes every later alert with the button at this index (0 the first).
    void answerWithButton(int index)
    {
        responder = [index](const Alert&) { return alertFirstButtonReturn + index; };
    }
    const std::vector<Alert>& shown() const { return alerts; }
    const std::vector<ModalResponse>& responses() const { return answers; }

    // Alerts.
    ModalResponse runModal(const Alert& alert) override
    {
        alerts.push_back(alert);
        const ModalResponse response = responder ? responder(alert) : alertFirstButtonReturn;
        answers.push_back(response);
        return response;
    }

private:
    Responder responder;
    std::vector<Alert> alerts;
    std::vector<ModalResponse> answers;
};

} // namespace halomark::sim
