#include "app/build_info.h"

#include "app/web_address.h"

namespace halomark::build_info {
namespace {

constexpr std::string_view kVersion = HALOMARK_VERSION;
constexpr std::string_view kPrivacyPolicyAddress = HALOMARK_PRIVACY_POLICY_URL;
constexpr std::string_view kSupportAddress = HALOMARK_SUPPORT_URL;

// A mistyped address configured into the build stops the build instead of a menu item that
// opens nothing.
static_assert(isAbsoluteURL(kPrivacyPolicyAddress),
              "HALOMARK_PRIVACY_POLICY_URL must be an absolute address");
static_assert(isAbsoluteURL(kSupportAddress), "HALOMARK_SUPPORT_URL must be an absolute address");
static_assert(!kVersion.empty(), "the build needs a version");

} // namespace

std::string_view version()
{
    return kVersion;
}

std::string_view privacyPolicyAddress()
{
    return kPrivacyPolicyAddress;
}

std::string_view supportAddress()
{
    return kSupportAddress;
}

} // namespace halomark::build_info
