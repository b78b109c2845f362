#pragma once

// Scripted stand-ins for the core's two outside dependencies: the random source and the
// settings store.

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>

#include "platform/randomsource.h"
#include "settings/settingsstore.h"

namespace lumiroka::testing {

// Hands out queued values in order; a draw beyond the script fails the test.
class ScriptedRandom : public RandomSource
{
public:
    ScriptedRandom() = default;
    ScriptedRandom(std::initializer_list<double> values) : m_values(values) {}

    void push(double r) { m_values.push_back(r); }
    std::size_t left() const { return m_values.size(); }
    int draws = 0;

    double next() override
    {
        ++draws;
        if (m_values.empty()) {
            ADD_FAILURE() << "random source asked for draw #" << draws << " beyond its script";
            return 0.0;
        }
        const double r = m_values.front();
        m_values.pop_front();
        return r;
    }

private:
    std::deque<double> m_values;
};

// An in-memory store keyed by (section, key) that counts writes and syncs.
class MemoryStore : public SettingsStore
{
public:
    using Key = std::pair<std::string, std::string>;

    std::map<Key, std::string> data;
    int writes = 0;
    int syncs = 0;
    int writesAtLastSync = -1;
    std::string syncFailure; // non-empty: sync() fails with this reason

    std::string read(const std::string &section, const std::string &key, const std::string &fallback) override
    {
        const auto it = data.find({section, key});
        return it == data.end() ? fallback : it->second;
    }

    void write(const std::string &section, const std::string &key, const std::string &text) override
    {
        ++writes;
        data[{section, key}] = text;
    }

    std::string sync() override
    {
        ++syncs;
        writesAtLastSync = writes;
        return syncFailure;
    }

    std::string location() const override { return "/home/user/.config/Lumiroka/Lumiroka.ini"; }
};

} // namespace lumiroka::testing
