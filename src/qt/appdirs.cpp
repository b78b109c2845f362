#include "qt/appdirs.h"

#include <QCoreApplication>

namespace lumiroka {

std::string executableDir()
{
    return QCoreApplication::applicationDirPath().toStdString();
}

} // namespace lumiroka
