#include "qt/appdirs.h"

#include <QCoreApplication>
#include <QDir>

namespace lumiroka {

std::string executableDir()
{
    return QCoreApplication::applicationDirPath().toStdString();
}

QStringList pluginDirs()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    return {exeDir, QDir::cleanPath(exeDir + QStringLiteral("/../lib/lumiroka"))};
}

} // namespace lumiroka
