#include "qt/qt_settings_store.h"

#include "event_loop.h"
#include "qt/xdg_paths.h"
#include "test_folders.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace halomark::qt {
namespace {

using testing::readFile;
using testing::TestFolder;
using testing::UnwritableFolder;
using testing::writeFile;

class QtSettingsStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        warnings.clear();
    }
    void TearDown() override { warnings.clear(); }

    QStringList keptAside() const
    {
        return QDir(settingsFolder)
            .entryList({QStringLiteral("settings.json.corrupt-*")}, QDir::Files, QDir::Name);
    }

    TestFolder folder;
    const QString settingsFolder = folder.path(QStringLiteral("halomark"));
    const QString path = settingsFolder + QStringLiteral("/settings.json");
    testing::MessageCapture warnings{QtWarningMsg};
};

TEST_F(QtSettingsStoreTest, ValuesKeepTheirTypesInAFreshStore)
{
    const std::string text = "zh-Hans \"quoted\" \\ back\nslash\t\x01 é 中";
    {
        QtSettingsStore store(path);
        store.setBool("Halomark.focusCueEnabled", false);
        store.setInteger("count", 42);
        store.setInteger("beyondDoublePrecision", (std::int64_t{1} << 53) + 1);
        store.setInteger("negative", -7);
        store.setDouble("Halomark.customColor.red", 2.0);
        store.setDouble("Halomark.customColor.green", 0.1);
        store.setDouble("Halomark.customColor.blue", -0.0);
        store.setDouble("large", 1e300);
        store.setDouble("small", 5e-324);
        store.setString("text", text);
        store.setString("numberAsText", "42");
        store.setString("empty", "");
        store.set("list", OtherSettingValue{"[1,2.5,\"x\"]"});
        store.setInteger("removed", 1);
        store.remove("removed");
    }
    ASSERT_TRUE(QFile::exists(path));

    const QtSettingsStore fresh(path);
    EXPECT_EQ(fresh.object("Halomark.focusCueEnabled"), SettingValue{false});
    EXPECT_EQ(fresh.object("count"), SettingValue{std::int64_t{42}});
    EXPECT_EQ(fresh.object("beyondDoublePrecision"), SettingValue{(std::int64_t{1} << 53) + 1});
    EXPECT_EQ(fresh.object("negative"), SettingValue{std::int64_t{-7}});
    EXPECT_EQ(fresh.object("Halomark.customColor.red"), SettingValue{2.0});
    EXPECT_EQ(fresh.object("Halomark.customColor.green"), SettingValue{0.1});
    ASSERT_TRUE(fresh.object("Halomark.customColor.blue").has_value());
    ASSERT_TRUE(std::holds_alternative<double>(*fresh.object("Halomark.customColor.blue")));
    EXPECT_TRUE(std::signbit(std::get<double>(*fresh.object("Halomark.customColor.blue"))));
    EXPECT_EQ(fresh.object("large"), SettingValue{1e300});
    EXPECT_EQ(fresh.object("small"), SettingValue{5e-324});
    EXPECT_EQ(fresh.object("text"), SettingValue{text});
    EXPECT_EQ(fresh.object("numberAsText"), SettingValue{std::string("42")});
    EXPECT_EQ(fresh.object("empty"), SettingValue{std::string()});
    EXPECT_EQ(fresh.object("list"), SettingValue{OtherSettingValue{"[1,2.5,\"x\"]"}});
    EXPECT_FALSE(fresh.hasValue("removed"));
    EXPECT_FALSE(fresh.hasValue("never set"));
    EXPECT_TRUE(warnings.messages().empty());
}

TEST_F(QtSettingsStoreTest, KeysAndValuesItDoesNotKnowSurviveARewrite)
{
    writeFile(path, R"({
        "Other.tool.list": [1, 2.0, "x", {"nested": null, "ratio": 5E-1}],
        "Other.tool.object": {"b": 1.5, "a": [], "c": 3},
        "Other.tool.nothing": null,
        "Other.tool.flag": true,
        "Other.tool.huge": 1e400,
        "Halomark.language": "fr"
    })");

    {
        QtSettingsStore store(path);
        EXPECT_EQ(store.stringForKey("Halomark.language"), "fr");
        store.setString("Halomark.language", "de");
    }

    // Written back as they were: numbers as written, members in their order.
    const QtSettingsStore fresh(path);
    EXPECT_EQ(fresh.object("Other.tool.list"),
              SettingValue{OtherSettingValue{R"([1,2.0,"x",{"nested":null,"ratio":5E-1}])"}});
    EXPECT_EQ(fresh.object("Other.tool.object"),
              SettingValue{OtherSettingValue{R"({"b":1.5,"a":[],"c":3})"}});
    EXPECT_EQ(fresh.object("Other.tool.nothing"), SettingValue{OtherSettingValue{"null"}});
    EXPECT_EQ(fresh.object("Other.tool.flag"), SettingValue{true});
    EXPECT_EQ(fresh.object("Other.tool.huge"), SettingValue{OtherSettingValue{"1e400"}});
    EXPECT_EQ(fresh.object("Halomark.language"), SettingValue{std::string("de")});
}

TEST_F(QtSettingsStoreTest, UnparsableFileIsKeptAsideNeverOverwrittenAndReportedOnce)
{
    const QByteArray broken = R"({"Halomark.language": "fr",,)";
    writeFile(path, broken);

    QtSettingsStore store(path);
    EXPECT_FALSE(store.hasValue("Halomark.language"));
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_EQ(keptAside().size(), 1);
    const QString firstAside = settingsFolder + QLatin1Char('/') + keptAside().first();
    EXPECT_EQ(readFile(firstAside), broken);
    ASSERT_EQ(warnings.messages().size(), 1u);
    EXPECT_TRUE(warnings.messages().front().contains(firstAside));

    store.setString("Halomark.language", "de");
    store.setBool("Halomark.focusCueEnabled", true);
    EXPECT_EQ(QtSettingsStore(path).stringForKey("Halomark.language"), "de");
    EXPECT_EQ(readFile(firstAside), broken);
    EXPECT_EQ(warnings.messages().size(), 1u);

    // Valid JSON that is not a dictionary cannot be settings either; found within the same
    // second, it gets a name of its own and the first copy stays as it was.
    writeFile(path, "[1, 2]");
    const QtSettingsStore again(path);
    EXPECT_FALSE(again.hasValue("Halomark.language"));
    ASSERT_EQ(keptAside().size(), 2);
    EXPECT_EQ(readFile(firstAside), broken);
    QStringList contents;
    for (const QString& name : keptAside()) {
        contents << QString::fromUtf8(readFile(settingsFolder + QLatin1Char('/') + name));
    }
    EXPECT_TRUE(contents.contains(QStringLiteral("[1, 2]")));
    EXPECT_EQ(warnings.messages().size(), 2u);
}

TEST_F(QtSettingsStoreTest, UnparsableFileThatCannotBeMovedAsideIsNeverWrittenOver)
{
    const QByteArray broken = "not json";
    writeFile(path, broken);
    std::optional<QtSettingsStore> store;
    {
        UnwritableFolder readOnly(settingsFolder);
        ASSERT_TRUE(readOnly.refusesNewFiles());
        store.emplace(path);
    }
    EXPECT_FALSE(store->hasValue("Halomark.language"));
    ASSERT_EQ(warnings.messages().size(), 1u);
    EXPECT_TRUE(warnings.messages().front().contains(path));

    // Even once the folder is writable again, this store keeps its hands off the file.
    store->setString("Halomark.language", "de");
    EXPECT_EQ(store->stringForKey("Halomark.language"), "de");
    EXPECT_EQ(readFile(path), broken);
    EXPECT_TRUE(keptAside().isEmpty());
    EXPECT_EQ(warnings.messages().size(), 1u);
}

TEST_F(QtSettingsStoreTest, WriteToAReadOnlyFolderLosesNothingOnDisk)
{
    {
        QtSettingsStore store(path);
        store.setDouble("Halomark.customColor.red", 0.25);
        store.setString("keep", "me");
    }
    const QByteArray before = readFile(path);
    {
        UnwritableFolder readOnly(settingsFolder);
        ASSERT_TRUE(readOnly.refusesNewFiles());
        QtSettingsStore store(path);
        EXPECT_EQ(store.object("Halomark.customColor.red"), SettingValue{0.25});
        store.setDouble("Halomark.customColor.red", 0.5);
        store.remove("keep");
        store.setBool("Halomark.focusCueEnabled", false);
        // The process goes on with its changes; the file keeps what it had.
        EXPECT_EQ(store.object("Halomark.customColor.red"), SettingValue{0.5});
        EXPECT_FALSE(store.hasValue("keep"));
        ASSERT_EQ(warnings.messages().size(), 1u) << "a failing write is reported once";
        EXPECT_TRUE(warnings.messages().front().contains(path));
    }
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(QDir(settingsFolder).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("settings.json")});
    const QtSettingsStore fresh(path);
    EXPECT_EQ(fresh.object("Halomark.customColor.red"), SettingValue{0.25});
    EXPECT_EQ(fresh.stringForKey("keep"), "me");

    // A settings folder that cannot even be created: the changes stay in memory.
    UnwritableFolder readOnlyParent(folder.root());
    ASSERT_TRUE(readOnlyParent.refusesNewFiles());
    QtSettingsStore unsaved(folder.path(QStringLiteral("missing/settings.json")));
    unsaved.setInteger("count", 3);
    EXPECT_EQ(unsaved.integerForKey("count"), 3);
    EXPECT_FALSE(QFile::exists(folder.path(QStringLiteral("missing"))));
}

TEST(XdgConfigHome, IsTheVariableWhenAbsoluteAndOtherwiseTheHomeConfigFolder)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");

    qputenv("XDG_CONFIG_HOME", "/tmp/config-home/");
    EXPECT_EQ(QtSettingsStore::defaultFilePath(),
              QStringLiteral("/tmp/config-home/halomark/settings.json"));
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(xdgConfigHome(), QDir::homePath() + QStringLiteral("/.config"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(QtSettingsStore::defaultFilePath(),
              QDir::homePath() + QStringLiteral("/.config/halomark/settings.json"));

    if (wasSet) {
        qputenv("XDG_CONFIG_HOME", saved);
    }
}

} // namespace
} // namespace halomark::qt
