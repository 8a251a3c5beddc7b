// The files the program keeps: the settings as JSON read and written as written, values
// keeping their types, keys of other tools kept, and no file ever lost whether it cannot be
// parsed or cannot be written; launch at login as an XDG autostart entry, its state read back
// from entries written by anyone, the program's path quoted as the format wants, only a program
// that outlives the session pinned, and refusals that say which path and why; and the desktop
// settings that tell whether a lone Super tap is taken by the desktop.
#include "qt/desktop_super_binding.h"
#include "qt/qt_settings_store.h"
#include "qt/xdg_autostart_login_item_service.h"

#include "qt_testing.h"

#include <QRegularExpression>

#include <sys/stat.h>

#include <map>

namespace halomark::qt {
namespace {

using testing::readFile;
using testing::UnwritableFolder;
using testing::writeFile;

class QtSettingsStoreTest : public ::testing::Test
{
protected:
    QStringList keptAside() const
    {
        return QDir(folder).entryList({"settings.json.corrupt-*"}, QDir::Files, QDir::Name);
    }

    testing::TestFolder root;
    const QString folder = root.path("halomark");
    const QString path = folder + "/settings.json";
    testing::MessageCapture warnings;
};

TEST_F(QtSettingsStoreTest, ValuesKeepTheirTypesAndKeysOfOtherToolsSurviveARewrite)
{
    writeFile(path, "\xEF\xBB\xBF"
                    R"({"Other.list": [1, 2.0, {"n": null, "r": 5E-1}], "Other.huge": 1e30,
                        "Other.flag": true, "Halomark.language": "fr",
                        "Other.big": 9223372036854775808})");
    const std::string text = "zh \"quoted\" \\ back\nslash\t\x01 é 中";
    {
        QtSettingsStore store(path);
        EXPECT_EQ(store.stringForKey("Halomark.language"), "fr");
        store.setString("Halomark.language", text);
        store.setBool("bool", false);
        store.setInteger("beyondDoublePrecision", (std::int64_t{1} << 53) + 1);
        store.setDouble("double", 2.0);
        store.setDouble("sum", 0.1 + 0.2);
        store.set("other", OtherSettingValue{"[1,2.5,\"x\"]"});
        store.setInteger("removed", 1);
        store.remove("removed");
    }
    const QtSettingsStore fresh(path);
    EXPECT_EQ(fresh.object("Other.list"),
              SettingValue{OtherSettingValue{R"([1,2.0,{"n":null,"r":0.5}])"}});
    EXPECT_EQ(fresh.object("Other.huge"), SettingValue{1e30});
    EXPECT_EQ(fresh.object("Other.big"), SettingValue{9223372036854775808.0}) << "beyond 64 bits";
    const QByteArray written = readFile(path);
    EXPECT_LT(written.indexOf("Other.list"), written.indexOf("Other.flag")) << "the file's order";
    EXPECT_EQ(fresh.object("Other.flag"), SettingValue{true});
    EXPECT_EQ(fresh.object("Halomark.language"), SettingValue{text});
    EXPECT_EQ(fresh.object("bool"), SettingValue{false});
    EXPECT_EQ(fresh.object("beyondDoublePrecision"), SettingValue{(std::int64_t{1} << 53) + 1});
    EXPECT_EQ(fresh.object("double"), SettingValue{2.0});
    EXPECT_EQ(fresh.object("sum"), SettingValue{0.1 + 0.2}) << "written to the last digit";
    EXPECT_EQ(fresh.object("other"), SettingValue{OtherSettingValue{"[1,2.5,\"x\"]"}});
    EXPECT_FALSE(fresh.hasValue("removed"));
    EXPECT_EQ(warnings.count(""), 0);
}

TEST_F(QtSettingsStoreTest, AnUnparsableFileIsKeptAsideOrElseNeverWrittenOver)
{
    const QByteArray broken = R"({"Halomark.language": "fr",,)";
    writeFile(path, broken);
    {
        QtSettingsStore store(path);
        EXPECT_FALSE(store.hasValue("Halomark.language"));
        ASSERT_EQ(keptAside().size(), 1);
        const QString aside = folder + "/" + keptAside().first();
        EXPECT_EQ(readFile(aside), broken);
        EXPECT_EQ(warnings.count(""), 1);
        EXPECT_EQ(warnings.count(aside), 1);
        store.setString("Halomark.language", "de");
        EXPECT_EQ(QtSettingsStore(path).stringForKey("Halomark.language"), "de");
    }
    // Valid JSON that is no dictionary, found within the same second: a name of its own.
    writeFile(path, "[1, 2]");
    EXPECT_FALSE(QtSettingsStore(path).hasValue("Halomark.language"));
    ASSERT_EQ(keptAside().size(), 2);
    EXPECT_EQ(readFile(folder + "/" + keptAside().first()) +
                  readFile(folder + "/" + keptAside().last()),
              broken + "[1, 2]");

    // When it cannot be moved aside, this store keeps its hands off it for good.
    writeFile(path, broken);
    std::optional<QtSettingsStore> store;
    {
        UnwritableFolder readOnly(folder);
        ASSERT_TRUE(readOnly.refusesNewFiles());
        store.emplace(path);
    }
    store->setString("Halomark.language", "de");
    EXPECT_EQ(store->stringForKey("Halomark.language"), "de");
    EXPECT_EQ(readFile(path), broken);
    EXPECT_EQ(keptAside().size(), 2);
    EXPECT_EQ(warnings.count(""), 3);

    // A FIFO in its place is neither waited on nor replaced.
    QFile::remove(path);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    QtSettingsStore(path).setString("Halomark.language", "de");
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_FALSE(QFileInfo(path).isFile());
    EXPECT_EQ(warnings.count(""), 4);
}

TEST_F(QtSettingsStoreTest, AWriteThatFailsLosesNothingOnDiskAndIsReportedOnce)
{
    QtSettingsStore(path).setString("keep", "me");
    const QByteArray before = readFile(path);
    {
        UnwritableFolder readOnly(folder);
        ASSERT_TRUE(readOnly.refusesNewFiles());
        QtSettingsStore store(path);
        store.remove("keep");
        store.setDouble("red", 0.5);
        EXPECT_EQ(store.object("red"), SettingValue{0.5}) << "the process goes on with them";
        EXPECT_FALSE(store.hasValue("keep"));
        EXPECT_EQ(warnings.count(path), 1) << "a failing write is reported once";
    }
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.json"});

    // A settings folder that cannot even be created: the changes stay in memory.
    UnwritableFolder readOnlyParent(root.root());
    ASSERT_TRUE(readOnlyParent.refusesNewFiles());
    QtSettingsStore unsaved(root.path("missing/settings.json"));
    unsaved.setInteger("count", 3);
    EXPECT_EQ(unsaved.integerForKey("count"), 3);
    EXPECT_FALSE(QFile::exists(root.path("missing")));
}

class XdgAutostartTest : public ::testing::Test
{
protected:
    void SetUp() override { writeFile(program, "#!/bin/sh\n"); }
    QString execLine() const
    {
        const QRegularExpression exec("^Exec=.*$", QRegularExpression::MultilineOption);
        return exec.match(QString::fromUtf8(readFile(service.entryPath()))).captured();
    }
    QStringList entries() const { return QDir(autostart).entryList(QDir::Files | QDir::Hidden); }

    testing::TestFolder folder;
    const QString autostart = folder.path("config/autostart");
    const QString program = folder.path("bin/halomark");
    XdgAutostartLoginItemService service{autostart, program};
};

TEST_F(XdgAutostartTest, TheStateIsReadBackFromEntriesWrittenByAnyone)
{
    EXPECT_EQ(service.entryPath(), autostart + "/halomark.desktop");
    EXPECT_EQ(service.status(), LoginItemStatus::notRegistered);
    EXPECT_EQ(service.unregisterItem(), std::nullopt) << "removing no entry is no failure";
    EXPECT_EQ(service.registerItem(), std::nullopt);
    EXPECT_EQ(service.status(), LoginItemStatus::enabled);
    EXPECT_EQ(execLine(), "Exec=" + program);

    const QString link = folder.path("halomark-link");
    ASSERT_TRUE(QFile::link(program, link));
    using enum LoginItemStatus;
    const std::pair<const char*, LoginItemStatus> cases[] = {
        {"[Desktop Entry]\nType=Application\nExec=%1\nHidden=true\n", requiresApproval},
        {"[Desktop Entry]\nExec=%1\nX-GNOME-Autostart-enabled=false\n", requiresApproval},
        {"[Desktop Entry]\nExec=%1\nHidden = false\nX-GNOME-Autostart-enabled=true\n", enabled},
        {"# by hand\n[Desktop Entry]\nExec=\"%1\" --quiet %u\n", enabled},
        {"[Desktop Entry]\nExec=/usr/bin/something-else %1\n", notRegistered},
        {"[Desktop Entry]\nExec=%2\n", enabled}, // the same program through a link
    };
    for (const auto& [entry, status] : cases) {
        writeFile(service.entryPath(),
                  QString(entry).replace("%1", program).replace("%2", link).toUtf8());
        EXPECT_EQ(service.status(), status) << entry;
    }
    EXPECT_EQ(XdgAutostartLoginItemService(autostart, std::nullopt).status(), notFound)
        << "without this program's own path nothing can be told";

    // Registering replaces a switched-off entry.
    writeFile(service.entryPath(),
              ("[Desktop Entry]\nExec=" + program + "\nHidden=true\n").toUtf8());
    EXPECT_EQ(service.registerItem(), std::nullopt);
    EXPECT_EQ(service.status(), enabled);
    EXPECT_EQ(entries(), QStringList{"halomark.desktop"});
    EXPECT_EQ(service.unregisterItem(), std::nullopt);
    EXPECT_EQ(service.status(), notRegistered);
}

TEST_F(XdgAutostartTest, TheInstalledEntryIsCopiedWithItsExecRunningThisProgram)
{
    const QString installed = "[Desktop Entry]\nName=Halomark\nName[de]=Halomark\nIcon=org.h"
                              "alomark.Halomark\nExec=halomark\nExec=stale\n\n[Desktop Action "
                              "Locate]\nExec=halomark locate\n";
    writeFile(folder.path("share/applications/org.halomark.Halomark.desktop"), installed.toUtf8());
    XdgAutostartLoginItemService copying(
        autostart, program, {folder.path("missing"), folder.path("share/applications")});
    ASSERT_EQ(copying.registerItem(), std::nullopt);
    EXPECT_EQ(QString::fromUtf8(readFile(copying.entryPath())),
              QString(installed).replace("Exec=halomark\nExec=stale\n", "Exec=" + program + "\n"));
    EXPECT_EQ(copying.status(), LoginItemStatus::enabled);
}

TEST_F(XdgAutostartTest, RefusalsSayWhichPathAndWhy)
{
    const auto denied = [](const QString& folder, auto call, const QString& path) {
        testing::UnwritableFolder readOnly(folder);
        EXPECT_TRUE(readOnly.refusesNewFiles()) << "the refusal this is about did not happen";
        const QString error = QString::fromStdString(call().value_or("no error"));
        EXPECT_TRUE(error.contains(path) && error.contains("Permission denied"))
            << error.toStdString();
    };
    const auto registering = [&] { return service.registerItem(); };
    QDir().mkpath(folder.path("config"));
    denied(folder.path("config"), registering, autostart); // the folder cannot be made
    QDir().mkpath(autostart);
    denied(autostart, registering, service.entryPath()); // the folder takes no new file
    EXPECT_TRUE(entries().isEmpty()) << "nothing half-written is left behind";
    EXPECT_EQ(service.status(), LoginItemStatus::notRegistered);
    ASSERT_EQ(service.registerItem(), std::nullopt);
    denied(
        autostart, [&] { return service.unregisterItem(); }, service.entryPath());
    EXPECT_EQ(service.status(), LoginItemStatus::enabled);

    // A file stands where the configuration folder should be.
    writeFile(folder.path("plain"), "x");
    XdgAutostartLoginItemService blocked(folder.path("plain/autostart"), program);
    EXPECT_TRUE(QString::fromStdString(blocked.registerItem().value_or(""))
                    .contains(folder.path("plain/autostart")));
    EXPECT_EQ(blocked.status(), LoginItemStatus::notRegistered);
    EXPECT_EQ(blocked.unregisterItem(), std::nullopt);

    // Without this program's path there is nothing to register.
    XdgAutostartLoginItemService unknown(autostart, std::nullopt);
    EXPECT_TRUE(
        QString::fromStdString(unknown.registerItem().value_or("")).contains(unknown.entryPath()));
}

TEST_F(XdgAutostartTest, OnlyAProgramThatOutlivesTheSessionIsPinnedOrElseTheInstalledOne)
{
    using Search = xdg::ProgramSearch;
    const auto pin = [](const QString& running, const Search& search) {
        return XdgAutostartLoginItemService::programToPin(running, search);
    };
    const Search temporary{{QDir::tempPath().toStdString()}, {}};
    const auto refused = pin(program, temporary);
    EXPECT_FALSE(refused.path);
    const QString why = QString::fromStdString(refused.refusal.value_or(""));
    EXPECT_TRUE(why.contains(program + " is in a temporary")) << why.toStdString();
    XdgAutostartLoginItemService refusing(autostart, refused);
    EXPECT_EQ(refusing.registerItem(), refused.refusal);
    EXPECT_EQ(refusing.status(), LoginItemStatus::notFound);
    EXPECT_FALSE(QFile::exists(autostart));

    // Writable by others, at any level: the deepest part at fault is named.
    const std::pair<QString, mode_t> writable[] = {
        {folder.path("bin"), 0777}, {folder.path("bin"), 0775}, {program, 0666}};
    for (const auto& [path, mode] : writable) {
        ::chmod(QFile::encodeName(path).constData(), mode);
        const std::string refusal = pin(program, {}).refusal.value_or("");
        EXPECT_NE(refusal.find(": " + path.toStdString() + " is writable by other users."),
                  std::string::npos)
            << refusal;
        ::chmod(QFile::encodeName(path).constData(), 0755);
    }

    const Search installed{{QDir::tempPath().toStdString()},
                           {program.toStdString(), "/nonexistent/halomark", "/usr/bin/env"}};
    EXPECT_EQ(pin(program, installed).path, QString("/usr/bin/env"));
    EXPECT_EQ(pin("/usr/bin/env", temporary).path, QString("/usr/bin/env"));
    XdgAutostartLoginItemService pinning(autostart, pin(program, installed));
    ASSERT_EQ(pinning.registerItem(), std::nullopt);
    EXPECT_EQ(execLine(), "Exec=/usr/bin/env");
    EXPECT_EQ(pinning.status(), LoginItemStatus::enabled);
}

QByteArray xfceChannel(const QByteArray& defaults, const QByteArray& custom = {})
{
    return "<channel name=\"xfce4-keyboard-shortcuts\"><property name=\"commands\">"
           "<property name=\"default\">" +
           defaults + "</property>" + custom + "</property></channel>";
}

TEST(DesktopSuperBinding, EachDesktopIsInConflictOnlyWhileItsSettingsBindALoneSuperTap)
{
    const QByteArray superL = "<property name=\"Super_L\" type=\"string\" value=\"menu\"/>";
    const QByteArray custom = "<property name=\"custom\"><property name=\"&lt;Alt&gt;F2\" "
                              "type=\"string\" value=\"run\"/></property>";
    const QString xfce = "xfce4/xfconf/xfce-perchannel-xml/xfce4-keyboard-shortcuts.xml";
    using Files = std::map<QString, QByteArray>;
    const struct
    {
        std::string desktop;
        std::optional<std::string> overlayKey; // what gsettings prints, if it answers
        Files files;
        std::optional<std::string> expected;
    } cases[] = {
        {"ubuntu:GNOME", std::nullopt, {}, "GNOME"}, // the default overlay key
        {"GNOME", "'Super_R'", {}, "GNOME"},
        {"GNOME", "''", {}, std::nullopt},
        {"X-Cinnamon", "'Super_L'", {}, "Cinnamon"},
        {"X-Cinnamon", "''", {}, std::nullopt},
        {"KDE", std::nullopt, {}, "KDE Plasma"}, // Plasma's default: the launcher
        {"KDE", std::nullopt, {{"kwinrc", "[Windows]\nMeta=\n"}}, "KDE Plasma"},
        {"KDE", std::nullopt, {{"kwinrc", "[A]\nB=1\n[ModifierOnlyShortcuts]\nMeta=\n"}}, {}},
        {"KDE", std::nullopt, {{"kwinrc", "[ModifierOnlyShortcuts]\nMeta=a,b\n"}}, "KDE Plasma"},
        {"XFCE", std::nullopt, {}, std::nullopt},
        {"XFCE", std::nullopt, {{xfce, xfceChannel(superL)}}, "Xfce"},
        {"XFCE", std::nullopt, {{xfce, xfceChannel(superL, custom)}}, std::nullopt},
        {"XFCE", std::nullopt, {{xfce, "<channel><property"}}, std::nullopt},
        {"", "'Super_L'", {}, std::nullopt}, // a window manager alone
    };
    for (const auto& c : cases) {
        testing::TestFolder folder;
        for (const auto& [name, contents] : c.files) {
            writeFile(folder.path(name), contents);
        }
        const auto gsettings = [&c](const std::string&, const std::string&) {
            return c.overlayKey;
        };
        const DesktopSettingsSource source{c.desktop, {folder.root().toStdString()}, gsettings};
        EXPECT_EQ(desktopReactingToSuperTap(source), c.expected)
            << c.desktop << " " << c.overlayKey.value_or("-") << " " << c.files.size();
    }
}

} // namespace
} // namespace halomark::qt
