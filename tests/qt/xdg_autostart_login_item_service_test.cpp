#include "qt/xdg_autostart_login_item_service.h"

#include "test_folders.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

namespace halomark::qt {
namespace {

using testing::readFile;
using testing::TestFolder;
using testing::UnwritableFolder;
using testing::writeFile;

bool mentions(const std::optional<std::string>& error, const QString& text)
{
    return error && QString::fromStdString(*error).contains(text);
}

// What the call answers while the folder refuses new files and removals.
std::optional<std::string> whileUnwritable(const QString& folder,
                                           const std::function<std::optional<std::string>()>& call)
{
    UnwritableFolder readOnly(folder);
    EXPECT_TRUE(readOnly.refusesNewFiles()) << "the refusal this is about did not happen";
    return call();
}

class XdgAutostartTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        writeFile(program, "#!/bin/sh\n");
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Writes an entry in which %1 stands for the program's path.
    void writeEntry(QString lines)
    {
        writeFile(service.entryPath(), lines.replace(QStringLiteral("%1"), program).toUtf8());
    }

    QString execLine() const
    {
        const QStringList lines = QString::fromUtf8(readFile(service.entryPath())).split('\n');
        for (const QString& line : lines) {
            if (line.startsWith(QStringLiteral("Exec="))) {
                return line;
            }
        }
        return {};
    }

    TestFolder folder;
    const QString autostart = folder.path(QStringLiteral("config/autostart"));
    const QString program = folder.path(QStringLiteral("bin/halomark"));
    XdgAutostartLoginItemService service{autostart, program};
};

TEST_F(XdgAutostartTest, ReadsBackTheFourStates)
{
    EXPECT_EQ(service.entryPath(), autostart + QStringLiteral("/halomark.desktop"));
    EXPECT_EQ(service.status(), LoginItemStatus::notRegistered);

    EXPECT_EQ(service.registerItem(), std::nullopt);
    EXPECT_EQ(service.status(), LoginItemStatus::enabled);
    EXPECT_EQ(execLine(), QStringLiteral("Exec=") + program);

    // Switched off by the desktop's session settings, in either of the two usual ways.
    writeEntry(QStringLiteral("[Desktop Entry]\nType=Application\nExec=%1\nHidden=true\n"));
    EXPECT_EQ(service.status(), LoginItemStatus::requiresApproval);
    writeEntry(QStringLiteral(
        "[Desktop Entry]\nType=Application\nExec=%1\nX-GNOME-Autostart-enabled=false\n"));
    EXPECT_EQ(service.status(), LoginItemStatus::requiresApproval);
    writeEntry(QStringLiteral("[Desktop Entry]\nExec=%1\nHidden = false\n"
                              "X-GNOME-Autostart-enabled=true\n"));
    EXPECT_EQ(service.status(), LoginItemStatus::enabled);

    // Entries written by hand or by other tools.
    writeEntry(QStringLiteral("# made by hand\n[Desktop Entry]\nExec=\"%1\" --quiet %u\n"));
    EXPECT_EQ(service.status(), LoginItemStatus::enabled);
    writeEntry(QStringLiteral("[Desktop Entry]\nExec=/usr/bin/something-else %1\n"));
    EXPECT_EQ(service.status(), LoginItemStatus::notRegistered);
    writeEntry(QStringLiteral("[Desktop Action Other]\nExec=%1\n[Desktop Entry]\nExec=true\n"));
    EXPECT_EQ(service.status(), LoginItemStatus::notRegistered);
    writeEntry(QStringLiteral("[Desktop Entry]\nExec=\"%1\n"));
    EXPECT_EQ(service.status(), LoginItemStatus::notRegistered);

    // The same program reached through a link is still this program.
    const QString link = folder.path(QStringLiteral("halomark-link"));
    ASSERT_TRUE(QFile::link(program, link));
    writeFile(service.entryPath(), ("[Desktop Entry]\nExec=" + link + "\n").toUtf8());
    EXPECT_EQ(service.status(), LoginItemStatus::enabled);

    // Without this program's own path nothing can be told, whatever the entry says.
    const XdgAutostartLoginItemService unknownProgram(autostart, std::nullopt);
    EXPECT_EQ(unknownProgram.status(), LoginItemStatus::notFound);

    EXPECT_EQ(service.unregisterItem(), std::nullopt);
    EXPECT_FALSE(QFile::exists(service.entryPath()));
    EXPECT_EQ(service.status(), LoginItemStatus::notRegistered);
    EXPECT_EQ(service.unregisterItem(), std::nullopt) << "removing no entry is no failure";
}

TEST_F(XdgAutostartTest, RegisteringReplacesASwitchedOffOrForeignEntry)
{
    writeEntry(QStringLiteral("[Desktop Entry]\nExec=%1\nHidden=true\n"));
    ASSERT_EQ(service.status(), LoginItemStatus::requiresApproval);
    EXPECT_EQ(service.registerItem(), std::nullopt);
    EXPECT_EQ(service.status(), LoginItemStatus::enabled);

    writeEntry(QStringLiteral("[Desktop Entry]\nExec=/opt/old/halomark\n"));
    ASSERT_EQ(service.status(), LoginItemStatus::notRegistered);
    EXPECT_EQ(service.registerItem(), std::nullopt);
    EXPECT_EQ(service.status(), LoginItemStatus::enabled);
    EXPECT_EQ(QDir(autostart).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("halomark.desktop")});
}

TEST_F(XdgAutostartTest, ProgramPathsWithReservedCharactersAreQuotedAndReadBack)
{
    const QString spaced = folder.path(QStringLiteral("My Apps/100% \"halo\""));
    writeFile(spaced, "#!/bin/sh\n");
    XdgAutostartLoginItemService spacedService(autostart, spaced);
    ASSERT_EQ(spacedService.registerItem(), std::nullopt);
    EXPECT_EQ(spacedService.status(), LoginItemStatus::enabled);
    // Quoted, with the quote escaped, the backslash of that escape escaped again as every
    // backslash of a value is, and the percent sign doubled.
    EXPECT_EQ(execLine(), QStringLiteral("Exec=\"") + folder.root() +
                              QStringLiteral("/My Apps/100%% \\\\\"halo\\\\\"\""));
    EXPECT_EQ(service.status(), LoginItemStatus::notRegistered) << "another program's entry";

    for (const QString& name : {QStringLiteral("back\\slash$dollar`tick"),
                                QStringLiteral("tab\there"), QStringLiteral("semi;colon's")}) {
        const QString odd = folder.path(name);
        XdgAutostartLoginItemService oddService(autostart, odd);
        ASSERT_EQ(oddService.registerItem(), std::nullopt) << name.toStdString();
        EXPECT_EQ(oddService.status(), LoginItemStatus::enabled) << execLine().toStdString();
    }
}

TEST_F(XdgAutostartTest, RefusalsSayWhichPathAndWhy)
{
    const auto registering = [&] { return service.registerItem(); };
    const auto expectDenied = [](const std::optional<std::string>& error, const QString& path) {
        EXPECT_TRUE(mentions(error, path)) << error.value_or("no error");
        EXPECT_TRUE(mentions(error, QStringLiteral("Permission denied")))
            << error.value_or("no error");
    };
    // The autostart folder cannot be created.
    QDir().mkpath(folder.path(QStringLiteral("config")));
    expectDenied(whileUnwritable(folder.path(QStringLiteral("config")), registering), autostart);
    EXPECT_EQ(service.status(), LoginItemStatus::notRegistered);

    // The folder is there but takes no new file.
    QDir().mkpath(autostart);
    expectDenied(whileUnwritable(autostart, registering), service.entryPath());
    EXPECT_EQ(service.status(), LoginItemStatus::notRegistered);
    EXPECT_TRUE(QDir(autostart).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << "nothing half-written is left behind";

    // The entry is there but cannot be removed.
    ASSERT_EQ(service.registerItem(), std::nullopt);
    expectDenied(whileUnwritable(autostart, [&] { return service.unregisterItem(); }),
                 service.entryPath());
    EXPECT_EQ(service.status(), LoginItemStatus::enabled);

    // A file stands where the configuration folder should be.
    writeFile(folder.path(QStringLiteral("plain")), "x");
    XdgAutostartLoginItemService blocked(folder.path(QStringLiteral("plain/autostart")), program);
    const auto error = blocked.registerItem();
    EXPECT_TRUE(mentions(error, folder.path(QStringLiteral("plain/autostart"))))
        << error.value_or("no error");
    EXPECT_EQ(blocked.status(), LoginItemStatus::notRegistered);
    EXPECT_EQ(blocked.unregisterItem(), std::nullopt);

    // Without this program's path there is nothing to register.
    XdgAutostartLoginItemService unknownProgram(autostart, std::nullopt);
    const auto unknownError = unknownProgram.registerItem();
    EXPECT_TRUE(mentions(unknownError, unknownProgram.entryPath()))
        << unknownError.value_or("no error");
}

} // namespace
} // namespace halomark::qt
