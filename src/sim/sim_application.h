// The application for tests. The test finishes launching, which tells the delegate; the code
// asks for an activation policy, activation and termination, which are recorded in order
// ("setActivationPolicy 1", "activateIgnoringOtherApps true", "terminate"). Termination tells
// the delegate at once and marks the application terminated; it does not end the test.
#pragma once

#include "platform/application.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace halomark::sim {

class SimApplication final : public Application
{
public:
    // Control surface. False when the delegate is gone.
    bool finishLaunching()
    {
        auto receiver = delegate.lock();
        if (!receiver) {
            return false;
        }
        receiver->applicationDidFinishLaunching();
        return true;
    }
    const std::vector<std::string>& calls() const { return callLog; }
    std::optional<ActivationPolicy> activationPolicy() const { return policy; }
    int activationCount() const { return activations; }
    bool isTerminated() const { return terminated; }

    // Application.
    void setDelegate(std::weak_ptr<ApplicationDelegate> value) override
    {
        delegate = std::move(value);
    }
    void setActivationPolicy(ActivationPolicy value) override
    {
        policy = value;
        callLog.push_back("setActivationPolicy " + std::to_string(static_cast<int>(value)));
    }
    void activateIgnoringOtherApps(bool flag) override
    {
        ++activations;
        callLog.push_back(flag ? "activateIgnoringOtherApps true"
                               : "activateIgnoringOtherApps false");
    }
    void terminate() override
    {
        callLog.push_back("terminate");
        if (terminated) {
            return;
        }
        terminated = true;
        if (auto receiver = delegate.lock()) {
            receiver->applicationWillTerminate();
        }
    }

private:
    std::weak_ptr<ApplicationDelegate> delegate;
    std::optional<ActivationPolicy> policy;
    int activations = 0;
    bool terminated = false;
    std::vector<std::string> callLog;
};

} // namespace halomark::sim
