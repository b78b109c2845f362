#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settingsstore.h"

namespace lumiroka {

// The three remembered choices.
struct SettingsValues
{
    std::int16_t charano = 0;     // 0 ピロ, 1 ズウ, 2 タヴリック
    std::int16_t check1value = 0; // 1: minimize when timing starts (2: shaded, acts as off)
    std::int16_t check2value = 0; // 1: a minimized window goes to the notification area

    bool operator==(const SettingsValues &) const = default;
};

// One key of the store with its default and the values the program accepts.
struct SettingKey
{
    const char *name;
    std::int16_t fallback;
    std::int16_t min;
    std::int16_t max;
};

inline constexpr const char *kSettingsSection = "setting";
inline constexpr SettingKey kCharanoKey{"charano", 0, 0, 2};
inline constexpr SettingKey kCheck1Key{"check1value", 0, 0, 2};
inline constexpr SettingKey kCheck2Key{"check2value", 1, 0, 2};

// Stored text to a signed 16-bit number. Accepts an optional sign and blanks (spaces or
// tabs) around the digits; anything else (fractions, exponents, empty text, a value
// outside -32768..32767) does not convert.
std::optional<std::int16_t> parseInt16(std::string_view text);

// A stored value that was not usable and was replaced by its default.
struct SettingProblem
{
    std::string key;
    std::string text;
};

struct LoadedSettings
{
    SettingsValues values;
    std::vector<SettingProblem> problems;
};

// Reads the three keys in order (character, then the two boxes). A value that does not
// convert or lies outside its range takes the key's default and is reported; the store
// itself is not touched.
LoadedSettings readSettings(SettingsStore &store);

// Writes all three keys as decimal text and makes them durable. Returns the empty text
// on success, otherwise the reason the store gave.
std::string writeSettings(SettingsStore &store, const SettingsValues &values);

// The message shown when stored values were replaced by defaults, naming the store's place.
std::string describeProblems(const std::vector<SettingProblem> &problems, const SettingsStore &store);
// The message shown when the choices could not be saved, for the reason `error`.
std::string describeWriteFailure(const std::string &error, const SettingsStore &store);

} // namespace lumiroka
