#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/fakes.h"
#include "settings/settings.h"

using lumiroka::SettingsValues;
using lumiroka::testing::MemoryStore;

namespace {

SettingsValues values(int charano, int check1, int check2)
{
    return {static_cast<std::int16_t>(charano), static_cast<std::int16_t>(check1), static_cast<std::int16_t>(check2)};
}

void store(MemoryStore &s, const std::string &key, const std::string &text)
{
    s.data[{"setting", key}] = text;
}

} // namespace

TEST(ParseInt16, AcceptsSignedDecimalWithBlanks)
{
    struct Row
    {
        std::string_view text;
        int value;
    };
    const Row table[] = {{"0", 0},
                         {"2", 2},
                         {"-5", -5},
                         {"+3", 3},
                         {" 7 ", 7},
                         {"\t1", 1},
                         {"1\t ", 1},
                         {"007", 7},
                         {"-0", 0},
                         {"32767", 32767},
                         {"-32768", -32768},
                         {" \t+32767\t ", 32767},
                         // A view reads its own characters only, not the text that follows it.
                         {std::string_view("12345", 2), 12},
                         {std::string_view("-7x", 2), -7}};
    for (const Row &row : table) {
        const auto got = lumiroka::parseInt16(row.text);
        ASSERT_TRUE(got.has_value()) << '"' << row.text << '"';
        EXPECT_EQ(*got, row.value) << '"' << row.text << '"';
    }
}

TEST(ParseInt16, RejectsEverythingElse)
{
    using namespace std::string_view_literals;
    const std::string_view table[] = {""sv,           " "sv,          "\t"sv,
                                      "abc"sv,        "1.5"sv,        "1e3"sv,
                                      "32768"sv,      "-32769"sv,     "99999"sv,
                                      "65536"sv,      "65537"sv,      "-65536"sv,
                                      "4294967296"sv, "4294967297"sv, "18446744073709551617"sv,
                                      "0x1"sv,        "1 2"sv,        "++1"sv,
                                      "+-1"sv,        "--1"sv,        "-+1"sv,
                                      "-"sv,          "+"sv,          "1-"sv,
                                      "1a"sv,         "a1"sv,         "\0"sv,
                                      "1\0"sv,        "\0001"sv,      "\xff\xfe\x01\x80"sv,
                                      "\xC3\x28"sv,   "7\xE2\x82"sv,  "\xEF\xBC\x97"sv /* full-width 7 */,
                                      "1\n"sv,        "\n1"sv,        "1,000"sv,
                                      "1_000"sv};
    for (std::string_view text : table) {
        const auto got = lumiroka::parseInt16(text);
        EXPECT_FALSE(got.has_value()) << "\"" << text << "\" (length " << text.size() << ") gave " << got.value_or(0);
    }

    const std::string huge(1 << 20, '9');
    EXPECT_FALSE(lumiroka::parseInt16(huge).has_value());
    EXPECT_FALSE(lumiroka::parseInt16(huge + "x").has_value());
}

TEST(ParseInt16, EveryValueInRangeRoundTripsAndNeighboursOutsideFail)
{
    for (int v = -32768; v <= 32767; ++v) {
        const auto got = lumiroka::parseInt16(std::to_string(v));
        ASSERT_TRUE(got.has_value()) << v;
        ASSERT_EQ(*got, v);
    }
    for (int v = 32768; v <= 200000; ++v) {
        ASSERT_FALSE(lumiroka::parseInt16(std::to_string(v)).has_value()) << v;
        ASSERT_FALSE(lumiroka::parseInt16(std::to_string(-v - 1)).has_value()) << -v - 1;
    }
}

TEST(ReadSettings, EmptyStoreGivesDefaultsAndWritesNothing)
{
    MemoryStore s;
    const auto loaded = lumiroka::readSettings(s);
    EXPECT_EQ(loaded.values, values(0, 0, 1));
    EXPECT_TRUE(loaded.problems.empty());
    EXPECT_EQ(s.writes, 0);
    EXPECT_EQ(s.syncs, 0);
    EXPECT_TRUE(s.data.empty());
}

TEST(ReadSettings, TakesEveryValidCombination)
{
    for (int c = 0; c <= 2; ++c) {
        for (int a = 0; a <= 2; ++a) {
            for (int b = 0; b <= 2; ++b) {
                MemoryStore s;
                store(s, "charano", std::to_string(c));
                store(s, "check1value", std::to_string(a));
                store(s, "check2value", std::to_string(b));
                const auto loaded = lumiroka::readSettings(s);
                EXPECT_EQ(loaded.values, values(c, a, b)) << c << a << b;
                EXPECT_TRUE(loaded.problems.empty());
                EXPECT_EQ(s.writes + s.syncs, 0);
            }
        }
    }
}

TEST(ReadSettings, OnlyItsOwnSectionCounts)
{
    MemoryStore s;
    s.data[{"other", "charano"}] = "2";
    s.data[{"Setting", "check2value"}] = "0";
    EXPECT_EQ(lumiroka::readSettings(s).values, values(0, 0, 1));
}

TEST(ReadSettings, AnUnusableValueFallsBackAloneAndIsReported)
{
    struct Key
    {
        const char *name;
        int fallback;
    };
    const Key keys[] = {{"charano", 0}, {"check1value", 0}, {"check2value", 1}};
    const char *badTexts[] = {"3", "-1", "text", "99999", "", " ", "1.5", "65537", "2x"};
    // Stored values that differ from every default, so a fallback is visible.
    const int good[] = {2, 1, 0};
    for (int k = 0; k < 3; ++k) {
        for (const char *bad : badTexts) {
            MemoryStore s;
            int want[3];
            for (int j = 0; j < 3; ++j) {
                store(s, keys[j].name, j == k ? bad : std::to_string(good[j]));
                want[j] = j == k ? keys[j].fallback : good[j];
            }
            const auto loaded = lumiroka::readSettings(s);
            SCOPED_TRACE(::testing::Message() << keys[k].name << " = \"" << bad << '"');
            EXPECT_EQ(loaded.values, values(want[0], want[1], want[2]));
            ASSERT_EQ(loaded.problems.size(), 1u);
            EXPECT_EQ(loaded.problems[0].key, keys[k].name);
            EXPECT_EQ(loaded.problems[0].text, bad);
            EXPECT_EQ(s.writes + s.syncs, 0);
        }
    }
}

TEST(ReadSettings, SeveralProblemsAreReportedInKeyOrder)
{
    MemoryStore s;
    store(s, "check2value", "-7");
    store(s, "charano", "zu");
    store(s, "check1value", "4");
    const auto loaded = lumiroka::readSettings(s);
    EXPECT_EQ(loaded.values, values(0, 0, 1));
    ASSERT_EQ(loaded.problems.size(), 3u);
    const char *order[][2] = {{"charano", "zu"}, {"check1value", "4"}, {"check2value", "-7"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(loaded.problems[i].key, order[i][0]);
        EXPECT_EQ(loaded.problems[i].text, order[i][1]);
    }
}

TEST(WriteSettings, WritesAllKeysAsDecimalTextThenSyncs)
{
    for (int c = 0; c <= 2; ++c) {
        for (int a = 0; a <= 2; ++a) {
            for (int b = 0; b <= 2; ++b) {
                MemoryStore s;
                for (int round = 1; round <= 2; ++round) {
                    EXPECT_EQ(lumiroka::writeSettings(s, values(c, a, b)), "");
                    EXPECT_EQ(s.writes, 3 * round) << "every key is written every time";
                    EXPECT_EQ(s.syncs, round);
                    EXPECT_EQ(s.writesAtLastSync, s.writes) << "sync must come after the writes";
                }
                const MemoryStore::Key k1{"setting", "charano"}, k2{"setting", "check1value"},
                    k3{"setting", "check2value"};
                EXPECT_EQ(s.data, (std::map<MemoryStore::Key, std::string>{
                                      {k1, std::to_string(c)}, {k2, std::to_string(a)}, {k3, std::to_string(b)}}));
                EXPECT_EQ(lumiroka::readSettings(s).values, values(c, a, b));
            }
        }
    }
}

TEST(WriteSettings, ReportsTheStoresReasonWhenSyncFails)
{
    MemoryStore s;
    s.syncFailure = "No space left on device";
    EXPECT_EQ(lumiroka::writeSettings(s, values(1, 1, 0)), "No space left on device");
    EXPECT_EQ(s.syncs, 1);
}

// A store in the registry is named as a key, never as a file.
struct RegistryLikeStore : MemoryStore
{
    std::string location() const override { return "HKEY_CURRENT_USER\\Software\\Lumiroka\\Lumiroka\\setting"; }
    std::string locationKind() const override { return "registry key"; }
};

TEST(DescribeProblems, NamesEachKeyItsTextAndTheStoresPlace)
{
    const std::vector<lumiroka::SettingProblem> problems = {{"charano", "banana"}, {"check2value", "99999"}};
    const RegistryLikeStore store;
    for (const std::string &message :
         {lumiroka::describeProblems(problems, store), lumiroka::describeWriteFailure("access denied", store)}) {
        EXPECT_NE(message.find("registry key: " + store.location()), std::string::npos) << message;
        EXPECT_EQ(message.find("file"), std::string::npos) << message;
    }
    const std::string message = lumiroka::describeProblems(problems, store);
    for (const char *part : {"charano", "banana", "check2value", "99999"})
        EXPECT_NE(message.find(part), std::string::npos) << part << " missing from: " << message;
}

TEST(DescribeProblems, KeepsGarbageShortAndFreeOfControlBytes)
{
    std::string garbage(100000, 'x');
    garbage[3] = '\n';
    garbage[5] = '\0';
    garbage[7] = '\x1b';
    const std::string message = lumiroka::describeProblems({{"charano", garbage}}, MemoryStore());
    EXPECT_LT(message.size(), 400u);
    const std::string line = message.substr(message.find("charano"));
    EXPECT_EQ(line.substr(0, line.find('\n')).find_first_of(std::string("\0\x1b", 2)), std::string::npos);
    EXPECT_NE(message.find("xxx?x?x?x"), std::string::npos) << message;
}
