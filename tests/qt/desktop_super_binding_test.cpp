#include "qt/desktop_super_binding.h"

#include "qt_testing.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <map>

namespace halomark::qt {
namespace {

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
            QDir().mkpath(QFileInfo(folder.path(name)).path());
            testing::writeFile(folder.path(name), contents);
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
