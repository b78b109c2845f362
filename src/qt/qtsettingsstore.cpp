#include "qt/qtsettingsstore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "core/product.h"

namespace lumiroka {

namespace {
QString key(const std::string &section, const std::string &name)
{
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(name);
}
} // namespace

QtSettingsStore::QtSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QString::fromUtf8(kProductName), QString::fromUtf8(kProductName)))
{
}

QtSettingsStore::QtSettingsStore(const QString &iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::read(const std::string &section, const std::string &name, const std::string &fallback)
{
    const QVariant value = m_settings->value(key(section, name));
    if (!value.isValid())
        return fallback;
    // A hand-edited file may hold a list ("1, 2") where text is expected; show it as written.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", ")).toStdString();
    return value.toString().toStdString();
}

void QtSettingsStore::write(const std::string &section, const std::string &name, const std::string &text)
{
    m_settings->setValue(key(section, name), QString::fromStdString(text));
}

std::string QtSettingsStore::sync()
{
    m_settings->sync();
    switch (m_settings->status()) {
    case QSettings::NoError:
        return {};
    case QSettings::FormatError:
        return "the existing settings file is not in a readable format and was not replaced";
    case QSettings::AccessError:
        break;
    }
    // QSettings says no more than "access error"; name the likely cause.
    const QFileInfo file(location().empty() ? QString() : QString::fromStdString(location()));
    const QFileInfo dir(file.absolutePath());
    if (file.exists() && !file.isFile())
        return "the settings path is not a regular file";
    if (dir.exists() && !dir.isDir())
        return "the settings folder is not a folder";
    if (dir.exists() && !dir.isWritable())
        return "the settings folder is not writable";
    return "the settings file could not be written (the disk may be full or read-only)";
}

std::string QtSettingsStore::location() const
{
    return QDir::toNativeSeparators(m_settings->fileName()).toStdString();
}

} // namespace lumiroka
