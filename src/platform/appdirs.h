#pragma once

#include <QString>
#include <QStringList>

namespace lumiroka {

// Where the program's data files are found: beside the executable first (the build tree
// and a portable folder), then in the installed data directory `<exe dir>/../share/lumiroka`.
class AssetDirs
{
public:
    // Uses the directory of the running executable.
    AssetDirs();
    // Searches the given directories in order (tests point this at their own trees).
    explicit AssetDirs(QStringList dirs) : m_dirs(std::move(dirs)) {}

    const QStringList &dirs() const { return m_dirs; }

    // Where the program's plugins are: beside the executable, then `<exe dir>/../lib/lumiroka`.
    static QStringList pluginDirs();

    // The first existing file `relative` in the search directories, or an empty string.
    QString find(const QString &relative) const;

private:
    QStringList m_dirs;
};

} // namespace lumiroka
