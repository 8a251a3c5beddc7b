// Writing a file whole or not at all: the contents go to a temporary file beside it, reach the
// disk, and only then replace the old file in one rename, so a reader (or the next start after
// a crash or a full disk) sees either the old file or the new one, never a part.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace halomark::xdg {

// Writes the contents to the path with the given permissions. Nothing, or why not ("<path>:
// <reason>"), in which case the old file is left as it was and no temporary file remains.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::string_view contents, mode_t mode);

} // namespace halomark::xdg
