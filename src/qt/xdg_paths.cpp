#include "qt/xdg_paths.h"

#include "xdg/base_directories.h"

#include <QDir>
#include <QFile>

namespace halomark::qt {
namespace {

QString fromPath(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

} // namespace

QString xdgConfigHome()
{
    const auto folder = xdg::BaseDirectories::fromProcess().configHome();
    // Without any home folder, Qt's own answer for it (the root folder) is as good as any.
    return folder ? fromPath(*folder) : QDir::homePath() + QStringLiteral("/.config");
}

QStringList xdgDataFolders()
{
    QStringList folders;
    for (const auto& folder : xdg::BaseDirectories::fromProcess().dataFolders()) {
        folders += fromPath(folder);
    }
    return folders;
}

} // namespace halomark::qt
