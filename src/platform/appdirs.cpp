#include "platform/appdirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace lumiroka {

AssetDirs::AssetDirs()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    m_dirs << exeDir << QDir::cleanPath(exeDir + QStringLiteral("/../share/lumiroka"));
}

QStringList AssetDirs::pluginDirs()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    return {exeDir, QDir::cleanPath(exeDir + QStringLiteral("/../lib/lumiroka"))};
}

QString AssetDirs::find(const QString &relative) const
{
    for (const QString &dir : m_dirs) {
        const QString path = QDir(dir).filePath(relative);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

} // namespace lumiroka
