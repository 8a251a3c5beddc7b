// The per-user login item of the application: whether it starts at login, and registering or
// removing that. The service is the only record of the choice; nothing else keeps it.
#pragma once

#include <optional>
#include <string>

namespace halomark {

enum class LoginItemStatus : int
{
    notRegistered = 0,
    enabled = 1,
    requiresApproval = 2, // registered, but held back until the user allows it
    notFound = 3,         // the service cannot find the application to register
};

class LoginItemService
{
public:
    virtual ~LoginItemService() = default;

    virtual LoginItemStatus status() const = 0;

    // Each returns nothing on success, or a description of why the service refused.
    virtual std::optional<std::string> registerItem() = 0;
    virtual std::optional<std::string> unregisterItem() = 0;
};

} // namespace halomark
