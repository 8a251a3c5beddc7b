#include "x11/xcb_desktop_entries.h"

#include "x11/xcb_processes.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace halomark::x11 {
namespace {

namespace fs = std::filesystem;

// Two folders of entries: the user's (first, taking precedence) and the system's.
class XcbDesktopEntriesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() /
               ("halomark-entries-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        user = root / "user";
        system = root / "system";
        fs::create_directories(user);
        fs::create_directories(system / "vendor");
    }
    void TearDown() override { fs::remove_all(root); }

    static void write(const fs::path& path, const std::string& text)
    {
        std::ofstream(path) << text;
    }

    fs::path root;
    fs::path user;
    fs::path system;
};

TEST_F(XcbDesktopEntriesTest, HintsFindTheirEntryInOrderOfStrength)
{
    write(system / "org.example.Editor.desktop", "[Desktop Entry]\nType=Application\n"
                                                 "Name=Editor\nName[de]=Bearbeiter\n"
                                                 "Name[de_CH]=Editor (CH)\nExec=editor %F\n");
    write(system / "terminal.desktop", "[Desktop Entry]\nType=Application\nName=Terminal\n"
                                       "StartupWMClass=XTerm\nExec=env TERM=xterm "
                                       "/usr/bin/xterm -e bash\n");
    write(system / "vendor" / "tool.desktop", "[Desktop Entry]\nType=Application\n"
                                              "Name=Vendor\\sTool\n"
                                              "Exec=\"/opt/Vendor Tool/bin/vtool\" --x\n");
    write(system / "link.desktop", "[Desktop Entry]\nType=Link\nName=Link\nURL=x\n");
    write(system / "gone.desktop", "[Desktop Entry]\nType=Application\nName=Gone\nExec=gone\n");
    // The user's copy of gone.desktop deletes it; the user's terminal.desktop overrides it.
    write(user / "gone.desktop", "[Desktop Entry]\nType=Application\nHidden=true\n");
    write(user / "terminal.desktop", "[Desktop Entry]\nType=Application\nName=My Terminal\n"
                                     "StartupWMClass=XTerm\nExec=xterm\n"
                                     "[Desktop Action new]\nName=New Window\n");

    XcbDesktopEntries entries({user, system}, "de_DE.UTF-8");
    const auto find = [&](ApplicationHints hints) { return entries.find(hints); };
    const auto app = [](std::string id, std::optional<std::string> name) {
        return std::optional{DesktopApplication{std::move(id), std::move(name)}};
    };

    // An application id names the entry, also in another case.
    EXPECT_EQ(find({.applicationId = "org.example.Editor"}),
              app("org.example.Editor", "Bearbeiter"));
    EXPECT_EQ(find({.applicationId = "ORG.EXAMPLE.EDITOR"}),
              app("org.example.Editor", "Bearbeiter"));
    // A class claimed by StartupWMClass, before any id match; the user's entry wins.
    EXPECT_EQ(find({.windowClass = XcbWindowClass{"xterm", "XTerm"}}),
              app("terminal", "My Terminal"));
    // A class that matches an id's last part, ignoring case.
    EXPECT_EQ(find({.windowClass = XcbWindowClass{"editor", "Editor"}}),
              app("org.example.Editor", "Bearbeiter"));
    // An entry in a subfolder has the folder in its id; its program is found under quotes.
    EXPECT_EQ(find({.executable = "vtool"}), app("vendor-tool", "Vendor Tool"));
    EXPECT_EQ(find({.windowClass = XcbWindowClass{"vendor-tool", ""}}),
              app("vendor-tool", "Vendor Tool"));
    // Hidden and non-application entries are not there.
    EXPECT_FALSE(find({.applicationId = "gone"}));
    EXPECT_FALSE(find({.executable = "gone"}));
    EXPECT_FALSE(find({.applicationId = "link"}));
    EXPECT_FALSE(find({.windowClass = XcbWindowClass{"unknown", "Unknown"}}));
    // The strongest hint decides even when a weaker one points elsewhere.
    EXPECT_EQ(find({.applicationId = "org.example.Editor",
                    .windowClass = XcbWindowClass{"xterm", "XTerm"}}),
              app("org.example.Editor", "Bearbeiter"));

    // A new entry is found once its folder has changed.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    write(user / "late.desktop", "[Desktop Entry]\nType=Application\nName=Late\nExec=late\n");
    EXPECT_EQ(find({.executable = "late"}), app("late", "Late"));
}

TEST(XcbDesktopEntry, NameFollowsTheLocaleFromMostToLeastSpecific)
{
    const std::string text = "[Desktop Entry]\nName=Files\nName[de]=Dateien\n"
                             "Name[de_CH]=Dateien CH\nName[sr@latin]=Datoteke\n"
                             "Name[sr_RS@latin]=Datoteke RS\n";
    EXPECT_EQ(parseDesktopEntry(text, "de_CH.UTF-8").name, "Dateien CH");
    EXPECT_EQ(parseDesktopEntry(text, "de_AT.UTF-8").name, "Dateien");
    EXPECT_EQ(parseDesktopEntry(text, "sr_RS.UTF-8@latin").name, "Datoteke RS");
    EXPECT_EQ(parseDesktopEntry(text, "sr_ME@latin").name, "Datoteke");
    EXPECT_EQ(parseDesktopEntry(text, "fr_FR.UTF-8").name, "Files");
    EXPECT_EQ(parseDesktopEntry(text, "C.UTF-8").name, "Files");
    EXPECT_EQ(parseDesktopEntry(text, "").name, "Files");
}

TEST(XcbDesktopEntry, TheProgramOfACommand)
{
    EXPECT_EQ(executableOfCommand("/usr/bin/gedit %U"), "gedit");
    EXPECT_EQ(executableOfCommand("env LANG=C GDK_BACKEND=x11 firefox -new-window"), "firefox");
    EXPECT_EQ(executableOfCommand("\"/opt/My App/bin/my app\" --flag"), "my app");
    EXPECT_EQ(executableOfCommand("  spaced  "), "spaced");
    EXPECT_FALSE(executableOfCommand(""));
    EXPECT_FALSE(executableOfCommand("env FOO=1"));
}

TEST(XcbProcesses, StatusSurvivesACommandWithSpacesAndParentheses)
{
    // Fields 4 to 21, then the start time (22), then more.
    const std::string fields = " 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 424242 99 100";
    const auto status = parseProcessStatus("1234 (my (odd) prog) S" + fields);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->command, "my (odd) prog");
    EXPECT_EQ(status->state, 'S');
    EXPECT_EQ(status->startTime, 424242u);
    EXPECT_TRUE(status->isAlive());
    EXPECT_FALSE(parseProcessStatus("1234 (x) Z" + fields)->isAlive());
    EXPECT_FALSE(parseProcessStatus("1234 (x) S 1 2 3"));
    EXPECT_FALSE(parseProcessStatus("1234 x S" + fields));

    // This very process.
    const auto own = readProcessStatus(getpid());
    ASSERT_TRUE(own);
    EXPECT_EQ(own->state, 'R');
    EXPECT_GT(own->startTime, 0u);
    EXPECT_EQ(readExecutableName(getpid()), "halomark_x11_tests");
    EXPECT_FALSE(readProcessStatus(0));
    EXPECT_FALSE(readProcessStatus(-1));
}

TEST(XcbProcesses, MajorVersionIsTheLeadingNumber)
{
    EXPECT_EQ(majorVersionOf("6.1.0-18-amd64"), 6);
    EXPECT_EQ(majorVersionOf("26.0"), 26);
    EXPECT_EQ(majorVersionOf("5"), 5);
    EXPECT_EQ(majorVersionOf(""), 0);
    EXPECT_EQ(majorVersionOf("v6.1"), 0);
}

} // namespace
} // namespace halomark::x11
