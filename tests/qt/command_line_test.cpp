#include "qt/command_line.h"

#include "app/build_info.h"

#include <gtest/gtest.h>

namespace halomark::qt {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, RunsWithoutArgumentsPrintsOnRequestAndRejectsTheRest)
{
    EXPECT_EQ(parseCommandLine({}).action, Action::run);
    EXPECT_EQ(parseCommandLine({"--version"}).action, Action::showVersion);
    EXPECT_EQ(parseCommandLine({"-v"}).action, Action::showVersion);
    EXPECT_EQ(parseCommandLine({"--help"}).action, Action::showHelp);
    EXPECT_EQ(parseCommandLine({"-h"}).action, Action::showHelp);
    // Help wins wherever it stands, so a wrong line still shows how to write a right one.
    EXPECT_EQ(parseCommandLine({"--bogus", "--help"}).action, Action::showHelp);
    EXPECT_EQ(parseCommandLine({"--version", "--help"}).action, Action::showHelp);

    const CommandLine unknown = parseCommandLine({"--version", "--verbose"});
    EXPECT_EQ(unknown.action, Action::reject);
    EXPECT_EQ(unknown.error, "unknown option '--verbose'");
    const CommandLine stray = parseCommandLine({"now", "--later"});
    EXPECT_EQ(stray.action, Action::reject);
    EXPECT_EQ(stray.error, "unexpected argument 'now'") << "the first mistake is named";

    EXPECT_EQ(versionText(), "halomark " + std::string(build_info::version()));
    const std::string help = helpText("/usr/bin/halomark");
    EXPECT_EQ(help.rfind("Usage: /usr/bin/halomark [--version | --help]\n", 0), 0u);
    EXPECT_NE(help.find("--version"), std::string::npos);
}

} // namespace
} // namespace halomark::qt
