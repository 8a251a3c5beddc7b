// What the build fixed: the program's version and the addresses of the two pages shipped
// with it, the privacy policy and the support page. The addresses are chosen when the build
// is configured; by default they point at the pages installed beside the program.
#pragma once

#include <string_view>

namespace halomark::build_info {

std::string_view version();
std::string_view privacyPolicyAddress();
std::string_view supportAddress();

} // namespace halomark::build_info
