#include "qt/desktop_super_binding.h"

#include "qt/xdg_paths.h"
#include "xdg/bounded_file.h"

#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <algorithm>
#include <sstream>

namespace halomark::qt {
namespace {

// Configuration files are small; anything larger is not read.
constexpr std::size_t kLargestFile = std::size_t{1} << 20;

std::vector<std::string> desktopNames(const std::string& currentDesktop)
{
    std::vector<std::string> names;
    std::stringstream stream(currentDesktop);
    for (std::string name; std::getline(stream, name, ':');) {
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        names.push_back(name);
    }
    return names;
}

bool isDesktop(const std::vector<std::string>& names, std::initializer_list<const char*> wanted)
{
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return std::any_of(wanted.begin(), wanted.end(),
                           [&](const char* candidate) { return name == candidate; });
    });
}

std::optional<QByteArray> readSmallFile(const std::filesystem::path& path)
{
    auto read = xdg::readBoundedFile(path, {.sizeCap = kLargestFile});
    if (!read.contents) {
        return std::nullopt;
    }
    return QByteArray::fromStdString(*read.contents);
}

// A GSettings overlay key binds something unless it is empty; without an answer, the
// desktop's default binds Super_L.
bool overlayKeyBound(const DesktopSettingsSource& source, const std::string& schema)
{
    const auto value = source.gsettings ? source.gsettings(schema, "overlay-key") : std::nullopt;
    if (!value) {
        return true;
    }
    std::string text = *value;
    std::erase_if(text, [](char c) {
        return c == '\'' || c == '"' || std::isspace(static_cast<unsigned char>(c));
    });
    return !text.empty();
}

// kwinrc's [ModifierOnlyShortcuts] Meta entry; the first file that has the group decides, and
// a missing entry means Plasma's default, which opens the launcher.
bool plasmaMetaBound(const DesktopSettingsSource& source)
{
    for (const auto& folder : source.configFolders) {
        const auto contents = readSmallFile(folder / "kwinrc");
        if (!contents) {
            continue;
        }
        bool inGroup = false;
        bool sawGroup = false;
        for (const QByteArray& rawLine : contents->split('\n')) {
            const QByteArray line = rawLine.trimmed();
            if (line.startsWith('[')) {
                inGroup = line == "[ModifierOnlyShortcuts]";
                sawGroup = sawGroup || inGroup;
                continue;
            }
            const int equals = line.indexOf('=');
            if (inGroup && equals > 0 && line.left(equals).trimmed() == "Meta") {
                return !line.mid(equals + 1).trimmed().isEmpty();
            }
        }
        if (sawGroup) {
            return true;
        }
    }
    return true;
}

// An Xfce shortcut command on Super_L or Super_R in the keyboard-shortcuts channel: the
// custom set when the user has one, otherwise the default set.
bool xfceSuperBound(const DesktopSettingsSource& source)
{
    const std::filesystem::path channel = std::filesystem::path("xfce4") / "xfconf" /
                                          "xfce-perchannel-xml" / "xfce4-keyboard-shortcuts.xml";
    for (const auto& folder : source.configFolders) {
        const auto contents = readSmallFile(folder / channel);
        if (!contents) {
            continue;
        }
        QXmlStreamReader xml(*contents);
        std::vector<QString> path;
        std::optional<bool> custom;
        std::optional<bool> defaults;
        while (!xml.atEnd() && !xml.hasError()) {
            xml.readNext();
            if (xml.isEndElement() && xml.name() == QLatin1String("property") && !path.empty()) {
                path.pop_back();
                continue;
            }
            if (!xml.isStartElement() || xml.name() != QLatin1String("property")) {
                continue;
            }
            const QString name = xml.attributes().value(QLatin1String("name")).toString();
            path.push_back(name);
            if (path.size() != 3 || path[0] != QLatin1String("commands")) {
                continue;
            }
            const bool bound =
                (name == QLatin1String("Super_L") || name == QLatin1String("Super_R")) &&
                !xml.attributes().value(QLatin1String("value")).isEmpty();
            auto& set = path[1] == QLatin1String("custom") ? custom : defaults;
            set = set.value_or(false) || bound;
        }
        return custom ? *custom : defaults.value_or(false);
    }
    return false;
}

std::optional<std::string> runGsettings(const std::string& schema, const std::string& key)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    if (program.isEmpty()) {
        return std::nullopt;
    }
    QProcess process;
    process.start(program, {QStringLiteral("get"), QString::fromStdString(schema),
                            QString::fromStdString(key)});
    if (!process.waitForFinished(2000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        process.kill();
        return std::nullopt;
    }
    return process.readAllStandardOutput().trimmed().toStdString();
}

} // namespace

DesktopSettingsSource DesktopSettingsSource::fromEnvironment()
{
    DesktopSettingsSource source;
    source.currentDesktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toStdString();
    source.configFolders.emplace_back(xdgConfigHome().toStdString());
    const QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        // Relative entries are not folders of the desktop's.
        if (dir.startsWith(QLatin1Char('/'))) {
            source.configFolders.emplace_back(dir.toStdString());
        }
    }
    source.gsettings = runGsettings;
    return source;
}

std::optional<std::string> desktopReactingToSuperTap(const DesktopSettingsSource& source)
{
    const auto names = desktopNames(source.currentDesktop);
    if (isDesktop(names, {"x-cinnamon", "cinnamon"})) {
        return overlayKeyBound(source, "org.cinnamon.muffin")
                   ? std::optional<std::string>("Cinnamon")
                   : std::nullopt;
    }
    if (isDesktop(names, {"gnome"})) {
        return overlayKeyBound(source, "org.gnome.mutter") ? std::optional<std::string>("GNOME")
                                                           : std::nullopt;
    }
    if (isDesktop(names, {"kde"})) {
        return plasmaMetaBound(source) ? std::optional<std::string>("KDE Plasma") : std::nullopt;
    }
    if (isDesktop(names, {"xfce"})) {
        return xfceSuperBound(source) ? std::optional<std::string>("Xfce") : std::nullopt;
    }
    return std::nullopt;
}

} // namespace halomark::qt
