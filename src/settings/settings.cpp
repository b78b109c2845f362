#include "settings/settings.h"

#include <array>
#include <charconv>

namespace lumiroka {
namespace {

constexpr std::array<const SettingKey *, 3> kKeys = {&kCharanoKey, &kCheck1Key, &kCheck2Key};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::int16_t &field(SettingsValues &values, const SettingKey &key)
{
    if (&key == &kCharanoKey)
        return values.charano;
    if (&key == &kCheck1Key)
        return values.check1value;
    return values.check2value;
}

// A damaged file may hold anything: show control bytes as '?' and keep the text short.
std::string printable(const std::string &raw)
{
    constexpr std::size_t kMax = 40;
    std::string shown;
    for (const char c : raw.substr(0, kMax))
        shown += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
    if (raw.size() > kMax)
        shown += "...";
    return shown;
}

} // namespace

std::optional<std::int16_t> parseInt16(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars would take a second minus sign; only digits may follow the sign. A number
    // too long for a long is refused by from_chars itself.
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (negative)
        value = -value;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

LoadedSettings readSettings(SettingsStore &store)
{
    LoadedSettings loaded;
    for (const SettingKey *key : kKeys) {
        const std::string text = store.read(kSettingsSection, key->name, std::to_string(key->fallback));
        const std::optional<std::int16_t> value = parseInt16(text);
        if (value && *value >= key->min && *value <= key->max) {
            field(loaded.values, *key) = *value;
        } else {
            field(loaded.values, *key) = key->fallback;
            loaded.problems.push_back({key->name, text});
        }
    }
    return loaded;
}

std::string writeSettings(SettingsStore &store, const SettingsValues &values)
{
    SettingsValues copy = values;
    for (const SettingKey *key : kKeys)
        store.write(kSettingsSection, key->name, std::to_string(field(copy, *key)));
    return store.sync();
}

std::string describeProblems(const std::vector<SettingProblem> &problems, const SettingsStore &store)
{
    std::string text = "Some saved settings could not be used and their defaults apply for now:\n";
    for (const SettingProblem &problem : problems)
        text += "\n  " + problem.key + " = \"" + printable(problem.text) + "\"";
    text += "\n\nSettings " + store.locationKind() + ": " + store.location() + "\nThe " + store.locationKind() +
            " is left as it is; confirming the OPTION dialog with OK saves valid values.";
    return text;
}

std::string describeWriteFailure(const std::string &error, const SettingsStore &store)
{
    return "The settings could not be saved: " + error + ".\n\nSettings " + store.locationKind() + ": " +
           store.location() + "\n\nYour choices apply until Lumiroka is closed; the " + store.locationKind() +
           " keeps its earlier content.";
}

} // namespace lumiroka
