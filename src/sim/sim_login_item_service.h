// A login item service for tests. The test sets the status and can make the next registration
// or removal fail with a given description; the service counts what it was asked.
#pragma once

#include "platform/login_item_service.h"

#include <optional>
#include <string>
#include <utility>

namespace halomark::sim {

class SimLoginItemService final : public LoginItemService
{
public:
    // Control surface.
    void setStatus(LoginItemStatus value) { currentStatus = value; }
    // The status a successful registration leaves behind: enabled unless the test says
    // otherwise (for example requiresApproval, as when the user must still allow it).
    void setStatusAfterRegistering(LoginItemStatus value) { statusAfterRegistering = value; }
    void failNextRegister(std::string description) { nextRegisterFailure = std::move(description); }
    void failNextUnregister(std::string description)
    {
        nextUnregisterFailure = std::move(description);
    }
    int statusQueryCount() const { return statusQueries; }
    int registerCount() const { return registerCalls; }
    int unregisterCount() const { return unregisterCalls; }

    // LoginItemService. A refusal leaves the status as it was.
    LoginItemStatus status() const override
    {
        ++statusQueries;
        return currentStatus;
    }
    std::optional<std::string> registerItem() override
    {
        ++registerCalls;
        if (auto failure = std::exchange(nextRegisterFailure, std::nullopt)) {
            return failure;
        }
        currentStatus = statusAfterRegistering;
        return std::nullopt;
    }
    std::optional<std::string> unregisterItem() override
    {
        ++unregisterCalls;
        if (auto failure = std::exchange(nextUnregisterFailure, std::nullopt)) {
            return failure;
        }
        currentStatus = LoginItemStatus::notRegistered;
        return std::nullopt;
    }

private:
    LoginItemStatus currentStatus = LoginItemStatus::notRegistered;
    LoginItemStatus statusAfterRegistering = LoginItemStatus::enabled;
    std::optional<std::string> nextRegisterFailure;
    std::optional<std::string> nextUnregisterFailure;
    mutable int statusQueries = 0;
    int registerCalls = 0;
    int unregisterCalls = 0;
};

} // namespace halomark::sim
