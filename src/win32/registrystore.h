#pragma once

#include <map>
#include <string>
#include <utility>

#include "settings/settingsstore.h"

namespace lumiroka::win32 {

// The settings as string values in the current user's registry, one key per section under
// HKEY_CURRENT_USER\<path> (the program's is Software\Lumiroka\Lumiroka, where Qt keeps
// them on Windows too). Writes are held until sync(), which stores them together.
class RegistryStore : public SettingsStore
{
public:
    explicit RegistryStore(std::string path);

    std::string read(const std::string &section, const std::string &key, const std::string &fallback) override;
    void write(const std::string &section, const std::string &key, const std::string &text) override;
    std::string sync() override;
    std::string location() const override;
    std::string locationKind() const override { return "registry key"; }

private:
    std::string m_path;
    // Written but not yet stored; kept after a failed sync, so the choices still apply.
    std::map<std::pair<std::string, std::string>, std::string> m_pending;
};

} // namespace lumiroka::win32
