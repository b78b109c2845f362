#pragma once

#include <string>

namespace lumiroka {

// A per-user store of text values addressed by section and key; the application name
// is fixed by whoever creates the store.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // The stored text, or `fallback` when the section or key does not exist. Reading
    // never writes anything.
    virtual std::string read(const std::string &section, const std::string &key, const std::string &fallback) = 0;

    // Replaces the value; takes effect for later reads at once.
    virtual void write(const std::string &section, const std::string &key, const std::string &text) = 0;

    // Makes the writes durable. Returns the empty text on success, otherwise why the
    // store could not be saved; the earlier stored data is then left as it was.
    virtual std::string sync() = 0;

    // Where the data lives, for messages to the user (a file path, a registry key), and
    // what kind of place that is ("file", "registry key").
    virtual std::string location() const = 0;
    virtual std::string locationKind() const { return "file"; }
};

} // namespace lumiroka
