#include "qt/qt_workspace.h"

#include "app/build_info.h"
#include "qt/desktop_super_binding.h"

#include <QDesktopServices>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace halomark::qt {

QtDesktopServices::Bundle QtDesktopServices::programBundle()
{
    return {{"CFBundleShortVersionString", std::string(build_info::version())}};
}

QtDesktopServices::QtDesktopServices(Bundle bundle, QLocale locale)
    : bundle(std::move(bundle)), locale(std::move(locale))
{}

std::vector<std::string> QtDesktopServices::preferredLanguages() const
{
    std::vector<std::string> languages;
    for (const QString& tag : locale.uiLanguages()) {
        if (tag == QLatin1String("C") || tag == QLatin1String("POSIX")) {
            continue;
        }
        // Some Qt versions and locale settings give underscores; BCP 47 uses hyphens.
        QString normalised = tag;
        normalised.replace(QLatin1Char('_'), QLatin1Char('-'));
        languages.push_back(normalised.toStdString());
    }
    return languages;
}

std::optional<BundleValue> QtDesktopServices::bundleValue(const std::string& key) const
{
    const auto found = bundle.find(key);
    if (found == bundle.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool QtDesktopServices::openURL(const std::string& url) const
{
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    if (!address.isValid() || address.isRelative()) {
        return false;
    }
    return QDesktopServices::openUrl(address);
}

std::optional<std::string> QtDesktopServices::desktopReactingToSuperTap() const
{
    return qt::desktopReactingToSuperTap(DesktopSettingsSource::fromEnvironment());
}

} // namespace halomark::qt
