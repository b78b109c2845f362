#pragma once

#include <QString>

#include <memory>

#include "settings/settingsstore.h"

class QSettings;

namespace lumiroka {

// The per-user store on QSettings: an INI file under the user's configuration directory
// on Linux, the current user's registry on Windows.
class QtSettingsStore : public SettingsStore
{
public:
    // The user's own store for organization and application "Lumiroka".
    QtSettingsStore();
    // An INI file at a given path (tests).
    explicit QtSettingsStore(const QString &iniPath);
    ~QtSettingsStore() override;

    std::string read(const std::string &section, const std::string &key, const std::string &fallback) override;
    void write(const std::string &section, const std::string &key, const std::string &text) override;
    std::string sync() override;
    std::string location() const override;

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace lumiroka
