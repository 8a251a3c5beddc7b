#include "qt/qt_workspace.h"

#include "app/build_info.h"

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// Takes the addresses QDesktopServices hands to it instead of a browser.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    std::vector<std::string> opened;

public slots:
    void open(const QUrl& url) { opened.push_back(url.toString().toStdString()); }
};

namespace halomark::qt {
namespace {

// The system half, answering from fixed values and counting what it was asked.
struct FakeSystem
{
    std::optional<RunningApplication> frontmostApplication()
    {
        ++frontmostQueries;
        return RunningApplication{4242, "org.example.Editor", "Editor"};
    }
    std::optional<RunningApplication> runningApplication(ProcessIdentifier pid)
    {
        if (pid == 4242) {
            return RunningApplication{4242, "org.example.Editor", "Editor"};
        }
        return std::nullopt;
    }
    ProcessIdentifier ownProcessIdentifier() { return 77; }
    int operatingSystemMajorVersion() { return 6; }

    int frontmostQueries = 0;
};

TEST(QtWorkspace, JoinsTheSystemsAnswersWithQtsLanguagesBundleAndAddresses)
{
    FakeSystem system;
    QtWorkspace<FakeSystem> workspace(
        system, QtDesktopServices(QtDesktopServices::programBundle(), QLocale("de_CH")));
    Workspace& port = workspace;

    const auto frontmost = port.frontmostApplication();
    ASSERT_TRUE(frontmost);
    EXPECT_EQ(frontmost->processIdentifier, 4242);
    EXPECT_EQ(frontmost->bundleIdentifier, "org.example.Editor");
    EXPECT_EQ(system.frontmostQueries, 1);
    EXPECT_EQ(port.runningApplication(4242)->localizedName, "Editor");
    EXPECT_FALSE(port.runningApplication(1));
    EXPECT_EQ(port.ownProcessIdentifier(), 77);
    EXPECT_EQ(port.operatingSystemMajorVersion(), 6);

    const std::vector<std::string> languages = port.preferredLanguages();
    ASSERT_FALSE(languages.empty());
    EXPECT_EQ(languages.front().substr(0, 3), "de-");
    EXPECT_NE(std::find(languages.begin(), languages.end(), "de-CH"), languages.end());

    const auto version = port.bundleValue("CFBundleShortVersionString");
    ASSERT_TRUE(version);
    ASSERT_TRUE(std::holds_alternative<std::string>(*version));
    EXPECT_EQ(std::get<std::string>(*version), build_info::version());
    EXPECT_FALSE(port.bundleValue("CFBundleVersionOfSomethingElse"));
}

TEST(QtWorkspace, PreferredLanguagesAreTagsWithHyphensAndTheCLocaleNamesNone)
{
    const auto languagesOf = [](const QLocale& locale) {
        return QtDesktopServices({}, locale).preferredLanguages();
    };
    const auto taiwan =
        languagesOf(QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan));
    ASSERT_FALSE(taiwan.empty());
    EXPECT_EQ(taiwan.front(), "zh-Hant-TW");
    for (const std::string& tag : taiwan) {
        EXPECT_EQ(tag.find('_'), std::string::npos) << tag;
    }
    const auto brazil = languagesOf(QLocale("pt_BR"));
    EXPECT_NE(std::find(brazil.begin(), brazil.end(), "pt-BR"), brazil.end());
    EXPECT_TRUE(languagesOf(QLocale::c()).empty());
}

TEST(QtWorkspace, OpensAbsoluteAddressesThroughTheDesktopsHandlers)
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("https", &recorder, "open");
    QDesktopServices::setUrlHandler("file", &recorder, "open");
    QtDesktopServices desktop;

    EXPECT_TRUE(desktop.openURL("https://example.org/halomark/support.html"));
    EXPECT_TRUE(desktop.openURL("file:///usr/share/doc/halomark/privacy.html"));
    EXPECT_FALSE(desktop.openURL("support.html")) << "a relative address names nothing";
    EXPECT_FALSE(desktop.openURL("https://exa mple.org/")) << "not an address";
    EXPECT_FALSE(desktop.openURL(""));

    QDesktopServices::unsetUrlHandler("https");
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_EQ(recorder.opened,
              (std::vector<std::string>{"https://example.org/halomark/support.html",
                                        "file:///usr/share/doc/halomark/privacy.html"}));
}

} // namespace
} // namespace halomark::qt

#include "qt_workspace_test.moc"
