// The freedesktop formats as every part of the program reads them: desktop entries (groups,
// repeated keys, escapes, localized keys, Exec quoting), the base directories with relative
// values ignored, files read only when regular and small, and files replaced whole or not at all.
#include "xdg/atomic_file.h"
#include "xdg/base_directories.h"
#include "xdg/bounded_file.h"
#include "xdg/desktop_entry.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace halomark::xdg {
namespace {

namespace fs = std::filesystem;

TEST(DesktopEntry, TheFirstKeyAndGroupCountAndEscapesAreUndone)
{
    const auto entry =
        DesktopEntry::parse("# comment\nName=outside any group\n"
                            "[Desktop Entry]\r\n  Name = Files \r\nName=Later\n"
                            "Name[de]=Dateien\nName[de_CH]=CH\nName[sr@latin]=Datoteke\n"
                            "Comment=a\\sb\\nc\\td\\re\\\\f\\;g\\\n=no key\n"
                            "Hidden=True\n"
                            "[Desktop Action new]\nName=New\n"
                            "[Desktop Entry]\nName=Repeated group\nIcon=x\n");
    const std::map<std::pair<std::string, std::string>, std::optional<std::string>> cases = {
        {{"Name", ""}, "Files"},
        {{"Name", "de_AT.UTF-8"}, "Dateien"},
        {{"Name", "de_CH.UTF-8"}, "CH"},
        {{"Name", "sr_RS@latin"}, "Datoteke"},
        {{"Comment", ""}, "a b\nc\td\re\\f\\;g\\"}, // unknown escapes and a last '\' kept
        {{"Icon", ""}, std::nullopt},
    };
    for (const auto& [query, expected] : cases) {
        EXPECT_EQ(entry.localizedValue(query.first, query.second), expected) << query.first;
    }
    EXPECT_EQ(entry.value("Name", "Desktop Action new"), "New");
    EXPECT_EQ(entry.boolean("Hidden"), std::nullopt) << "booleans are lowercase";
    EXPECT_EQ(unescapeValue(escapeValue(" a\\b\n\tc\r ")), " a\\b\n\tc\r ");
}

TEST(DesktopEntry, ExecIsSplitByItsQuotingRulesAndWrittenSoItReadsBack)
{
    using Words = std::vector<std::string>;
    const std::pair<const char*, std::optional<Words>> cases[] = {
        {"/usr/bin/gedit %U", Words{"/usr/bin/gedit"}},
        {"  a\t b  ", Words{"a", "b"}},
        {"\"/opt/My App/x\" --flag", Words{"/opt/My App/x", "--flag"}},
        {"\"a \\\"q\\\" \\` \\$ \\\\ \\n\"", Words{"a \"q\" ` $ \\ \\n"}},
        {"\"joined\"word 100%% %%f %f", Words{"joinedword", "100%", "%f"}},
        {"\"\"", Words{""}},
        {"\"open", std::nullopt},
        {"", Words{}},
    };
    for (const auto& [exec, words] : cases) {
        EXPECT_EQ(splitExec(exec), words) << exec;
    }
    for (const char* program : {"/bin/plain", "/a b/100% \"x\"", "/b\\s$d`t", "/t\tn\nq'; #"}) {
        const auto entry = DesktopEntry::parse("[Desktop Entry]\nExec=" + execValueFor(program));
        EXPECT_EQ(splitExec(entry.value("Exec").value_or("")), Words{program}) << program;
    }
}

TEST(BaseDirectories, RelativeValuesAreIgnoredAndDefaultsTakeTheirPlace)
{
    std::map<std::string, std::string, std::less<>> variables{
        {"HOME", "/home/u"},           {"XDG_CONFIG_HOME", "relative"},
        {"XDG_DATA_HOME", "/d/"},      {"XDG_DATA_DIRS", "/a:rel:/b/./c/::"},
        {"XDG_CONFIG_DIRS", "x:y"},    {"XDG_RUNTIME_DIR", "run/user"},
        {"LC_MESSAGES", "de_DE.UTF-8"}};
    const BaseDirectories directories([&](std::string_view name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional(found->second);
    });
    using Paths = std::vector<fs::path>;
    EXPECT_EQ(directories.configHome(), fs::path("/home/u/.config"));
    EXPECT_EQ(directories.dataFolders(), (Paths{"/d", "/a", "/b/c"}));
    EXPECT_EQ(directories.configDirs(), Paths{"/etc/xdg"});
    EXPECT_EQ(directories.runtimeDir(), std::nullopt);
    EXPECT_EQ(directories.messagesLocale(), "de_DE.UTF-8");
    variables = {{"HOME", "home"}, {"XDG_RUNTIME_DIR", "/run/user/7"}};
    EXPECT_EQ(directories.configHome(), std::nullopt) << "no home folder is known";
    EXPECT_EQ(directories.dataFolders(), (Paths{"/usr/local/share", "/usr/share"}));
    EXPECT_EQ(directories.runtimeDir(), fs::path("/run/user/7"));
}

class XdgFilesTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(::mkdtemp(root.data()), nullptr); }
    void TearDown() override { fs::remove_all(root); }
    fs::path path(const char* name) const { return fs::path(root) / name; }
    static void write(const fs::path& file, const std::string& text)
    {
        std::ofstream(file, std::ios::binary) << text;
    }

    std::string root = (fs::temp_directory_path() / "halomark-xdg-XXXXXX").string();
};

TEST_F(XdgFilesTest, OnlySmallRegularFilesAreReadAndNothingEverWaits)
{
    write(path("small"), "[Desktop Entry]\n");
    write(path("large"), std::string(100, 'x'));
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    fs::create_symlink(path("small"), path("link"));
    const struct
    {
        fs::path file;
        BoundedReadOptions options;
        std::optional<std::string> contents;
        std::string error;
    } cases[] = {
        {path("small"), {}, "[Desktop Entry]\n", ""},
        {path("link"), {.followLinks = false}, std::nullopt, "a symbolic link"},
        {path("large"), {.sizeCap = 99}, std::nullopt, "larger than 99 bytes"},
        {path("fifo"), {}, std::nullopt, "a pipe"},
        {"/dev/zero", {}, std::nullopt, "a device"},
        {root, {}, std::nullopt, "a folder"},
        {"/proc/self/stat", {.sizeCap = 20}, std::nullopt, "larger than 20 bytes"},
        {path("missing"), {}, std::nullopt, "No such file"},
    };
    for (const auto& c : cases) {
        const BoundedRead read = readBoundedFile(c.file, c.options);
        EXPECT_EQ(read.contents, c.contents) << c.file;
        const std::string error = c.contents ? "" : c.file.string() + ": " + c.error;
        EXPECT_EQ(read.error.substr(0, error.size()), error);
    }
    EXPECT_TRUE(readBoundedFile(path("missing")).isMissing());
    EXPECT_NE(readBoundedFile("/proc/self/stat").contents.value_or("").find(')'), std::string::npos)
        << "a file that says it is empty is read to its end";
}

TEST_F(XdgFilesTest, AWriteReplacesTheFileWholeOrLeavesTheOldOne)
{
    const fs::path file = path("entry.desktop");
    write(file, "old");
    ASSERT_EQ(writeFileAtomically(file, "new contents", 0640), std::nullopt);
    struct stat status = {};
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);

    // A write that fails half-way (here at a file size limit, which binds root too).
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    rlimit small = before;
    small.rlim_cur = 4;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    const auto error = writeFileAtomically(file, "longer than four bytes", 0644);
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);
    EXPECT_NE(error.value_or("").find(file.string() + ": File too large"), std::string::npos)
        << error.value_or("no error");
    EXPECT_EQ(readBoundedFile(file).contents, "new contents");
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 1)
        << "no temporary file is left";
    EXPECT_NE(writeFileAtomically(path("missing/entry"), "x", 0644), std::nullopt);
}

} // namespace
} // namespace halomark::xdg
