#include "win32/registrystore.h"

#include <windows.h>

#include <vector>

#include "win32/text.h"

namespace lumiroka::win32 {

namespace {

std::wstring keyPath(const std::string &path, const std::string &section)
{
    return widen(path + "\\" + section);
}

// A value as the text the settings parser sees. Someone may have stored a number or
// binary data by hand; such a value is shown as it is and then refused by the parser.
std::string asText(DWORD type, const std::vector<BYTE> &data, DWORD size)
{
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        std::wstring text(reinterpret_cast<const wchar_t *>(data.data()), size / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        return narrow(text);
    }
    case REG_DWORD:
        return size >= sizeof(DWORD) ? std::to_string(*reinterpret_cast<const DWORD *>(data.data())) + " (a number)"
                                     : "(a damaged number)";
    default:
        return "(a value of registry type " + std::to_string(type) + ")";
    }
}

} // namespace

RegistryStore::RegistryStore(std::string path) : m_path(std::move(path)) {}

std::string RegistryStore::read(const std::string &section, const std::string &key, const std::string &fallback)
{
    if (const auto pending = m_pending.find({section, key}); pending != m_pending.end())
        return pending->second;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath(m_path, section).c_str(), 0, KEY_QUERY_VALUE, &handle) !=
        ERROR_SUCCESS)
        return fallback;
    const std::wstring name = widen(key);
    DWORD type = 0;
    DWORD size = 0;
    std::string text = fallback;
    if (RegQueryValueExW(handle, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<BYTE> data(size + sizeof(wchar_t));
        if (RegQueryValueExW(handle, name.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS)
            text = asText(type, data, size);
    }
    RegCloseKey(handle);
    return text;
}

void RegistryStore::write(const std::string &section, const std::string &key, const std::string &text)
{
    m_pending[{section, key}] = text;
}

std::string RegistryStore::sync()
{
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        const auto &[address, text] = *it;
        HKEY handle = nullptr;
        const LONG created = RegCreateKeyExW(HKEY_CURRENT_USER, keyPath(m_path, address.first).c_str(), 0, nullptr,
                                             REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &handle, nullptr);
        if (created != ERROR_SUCCESS)
            return "the registry key could not be created (" + systemMessage(static_cast<DWORD>(created)) + ")";
        const std::wstring value = widen(text);
        const LONG stored = RegSetValueExW(handle, widen(address.second).c_str(), 0, REG_SZ,
                                           reinterpret_cast<const BYTE *>(value.c_str()),
                                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
        if (stored != ERROR_SUCCESS)
            return "the value " + address.second + " could not be written (" +
                   systemMessage(static_cast<DWORD>(stored)) + ")";
        it = m_pending.erase(it);
    }
    return {};
}

std::string RegistryStore::location() const
{
    return "HKEY_CURRENT_USER\\" + m_path;
}

} // namespace lumiroka::win32
