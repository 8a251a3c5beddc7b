// Running applications for tests: the test launches and quits applications and chooses the
// frontmost one; the sim counts the frontmost queries made of it. The test also sets the
// preferred languages, the system version and the bundle's values, and reads back the
// addresses the code opened. It speaks the Mac's words until the test switches it to Linux.
#pragma once

#include "platform/workspace.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace halomark::sim {

class SimWorkspace final : public Workspace
{
public:
    explicit SimWorkspace(ProcessIdentifier own = 700) : own(own) {}

    // Control surface. Quitting the frontmost application leaves no frontmost application.
    void launch(RunningApplication application)
    {
        quit(application.processIdentifier);
        applications.push_back(std::move(application));
    }
    void quit(ProcessIdentifier pid)
    {
        std::erase_if(applications, [&](const auto& a) { return a.processIdentifier == pid; });
        if (frontmost == pid) {
            frontmost.reset();
        }
    }
    // Makes a running application frontmost; nothing (or a pid that is not running) leaves no
    // frontmost application.
    void activate(std::optional<ProcessIdentifier> pid) { frontmost = pid; }

    void setPreferredLanguages(std::vector<std::string> value) { languages = std::move(value); }
    void setOperatingSystemMajorVersion(int value) { majorVersion = value; }
    // The modifier names follow the family.
    void setTextFamily(TextFamily value) { family = value; }
    // Nothing removes the key from the bundle.
    void setBundleValue(const std::string& key, std::optional<BundleValue> value)
    {
        if (value) {
            bundle[key] = *value;
        } else {
            bundle.erase(key);
        }
    }
    // Makes openURL refuse every address (none is recorded as opened then).
    void setOpensURLs(bool value) { opensURLs = value; }
    const std::vector<std::string>& openedURLs() const { return opened; }

    int frontmostQueryCount() const { return frontmostQueries; }
    int runningApplicationQueryCount() const { return runningQueries; }

    // Workspace.
    std::optional<RunningApplication> frontmostApplication() override
    {
        ++frontmostQueries;
        return frontmost ? find(*frontmost) : std::nullopt;
    }
    std::optional<RunningApplication> runningApplication(ProcessIdentifier pid) override
    {
        ++runningQueries;
        return find(pid);
    }
    ProcessIdentifier ownProcessIdentifier() override { return own; }
    std::vector<std::string> preferredLanguages() override { return languages; }
    int operatingSystemMajorVersion() override { return majorVersion; }
    TextFamily textFamily() override { return family; }
    std::optional<BundleValue> bundleValue(const std::string& key) override
    {
        const auto found = bundle.find(key);
        if (found == bundle.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    bool openURL(const std::string& url) override
    {
        if (!opensURLs) {
            return false;
        }
        opened.push_back(url);
        return true;
    }

private:
    std::optional<RunningApplication> find(ProcessIdentifier pid) const
    {
        const auto found = std::find_if(applications.begin(), applications.end(),
                                        [&](const auto& a) { return a.processIdentifier == pid; });
        if (found == applications.end()) {
            return std::nullopt;
        }
        return *found;
    }

    ProcessIdentifier own;
    std::vector<RunningApplication> applications;
    std::optional<ProcessIdentifier> frontmost;
    int frontmostQueries = 0;
    int runningQueries = 0;
    std::vector<std::string> languages{"en-US"};
    int majorVersion = 14;
    TextFamily family = TextFamily::macOS;
    std::map<std::string, BundleValue> bundle;
    bool opensURLs = true;
    std::vector<std::string> opened;
};

} // namespace halomark::sim
