#include "xdg/durable_program.h"

#include "xdg/system_error.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace halomark::xdg {
namespace {

namespace fs = std::filesystem;

bool isWithin(const fs::path& path, fs::path folder)
{
    folder = folder.lexically_normal();
    if (!folder.has_filename() && folder != folder.root_path()) {
        folder = folder.parent_path(); // "/tmp/" is "/tmp"
    }
    const fs::path relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

bool isWithinAny(const fs::path& path, const std::vector<fs::path>& folders)
{
    for (const fs::path& folder : folders) {
        std::error_code error;
        const fs::path resolved = fs::weakly_canonical(folder, error);
        if (isWithin(path, folder) || (!error && isWithin(path, resolved))) {
            return true;
        }
    }
    return false;
}

// Every component from the file up to the root: owned by this user or root, and (links
// aside, whose own mode means nothing) writable by nobody else. No exception for sticky
// folders: a program in one is still in a folder everyone can add to.
std::optional<std::string> whyNotOurs(const fs::path& path)
{
    for (fs::path part = path;; part = part.parent_path()) {
        struct stat status = {};
        if (::lstat(part.c_str(), &status) != 0) {
            return part.string() + ": " + describeError(errno);
        }
        if (status.st_uid != 0 && status.st_uid != ::geteuid()) {
            return part.string() + " belongs to another user";
        }
        if (!S_ISLNK(status.st_mode) && (status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
            return part.string() + " is writable by other users";
        }
        if (part == part.parent_path()) {
            return std::nullopt;
        }
    }
}

} // namespace

ProgramSearch ProgramSearch::forThisSystem(const std::string& programName)
{
    ProgramSearch search;
    search.temporaryFolders = {"/tmp", "/var/tmp", "/dev/shm", "/media", "/run/media", "/mnt"};
    if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir != nullptr && tmpdir[0] == '/') {
        search.temporaryFolders.emplace_back(tmpdir);
    }
    std::string_view rest;
    if (const char* path = std::getenv("PATH")) {
        rest = path;
    }
    while (!rest.empty()) {
        const std::string_view folder = rest.substr(0, rest.find(':'));
        if (folder.starts_with('/')) {
            search.installedCandidates.push_back(fs::path(folder) / programName);
        }
        rest = folder.size() < rest.size() ? rest.substr(folder.size() + 1) : std::string_view{};
    }
    search.installedCandidates.push_back(fs::path("/usr/bin") / programName);
    return search;
}

std::optional<std::string> whyNotDurable(const fs::path& program,
                                         const std::vector<fs::path>& temporaryFolders)
{
    if (!program.is_absolute()) {
        return program.string() + " is a relative path";
    }
    const fs::path given = program.lexically_normal();
    std::error_code error;
    const fs::path resolved = fs::canonical(given, error);
    if (error) {
        return given.string() + ": " + describeError(error.value());
    }
    for (const fs::path& path : {given, resolved}) {
        if (isWithinAny(path, temporaryFolders)) {
            return path.string() + " is in a temporary or removable folder, which may be gone or "
                                   "hold another program at the next login";
        }
    }
    for (const fs::path& path : {given, resolved}) {
        if (auto why = whyNotOurs(path)) {
            return why;
        }
    }
    return std::nullopt;
}

std::optional<fs::path> installedProgram(const ProgramSearch& search)
{
    for (const fs::path& candidate : search.installedCandidates) {
        std::error_code error;
        if (fs::is_regular_file(candidate, error) && ::access(candidate.c_str(), X_OK) == 0 &&
            !whyNotDurable(candidate, search.temporaryFolders)) {
            return candidate;
        }
    }
    return std::nullopt;
}

} // namespace halomark::xdg
