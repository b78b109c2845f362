#pragma once

// Small helpers shared by the benchmark programs: statistics and CPU time.

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline double median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

inline double maxOf(const std::vector<double> &v)
{
    return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end());
}

inline double minOf(const std::vector<double> &v)
{
    return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}

inline double mean(const std::vector<double> &v)
{
    double sum = 0.0;
    for (double x : v)
        sum += x;
    return v.empty() ? 0.0 : sum / static_cast<double>(v.size());
}

// The value below which `p` (0..1) of the samples lie (nearest rank).
inline double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    std::size_t rank = static_cast<std::size_t>(p * static_cast<double>(v.size()) + 0.999999);
    rank = std::clamp<std::size_t>(rank, 1, v.size());
    return v[rank - 1];
}

// User plus system CPU seconds of the whole process (every thread) so far.
inline double processCpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    auto sec = [](const timeval &tv) { return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6; };
    return sec(ru.ru_utime) + sec(ru.ru_stime);
}

// Voluntary plus involuntary context switches of the whole process so far.
inline long processContextSwitches()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_nvcsw + ru.ru_nivcsw;
}

// The one line bench/run.sh reads: "RESULT key=value key=value ...".
class Result
{
public:
    void add(const std::string &key, double value, int decimals = 3)
    {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
        m_line += " " + key + "=" + buf;
    }
    void add(const std::string &key, const std::string &value) { m_line += " " + key + "=" + value; }
    void print() const
    {
        std::printf("RESULT%s\n", m_line.c_str());
        std::fflush(stdout);
    }

private:
    std::string m_line;
};

} // namespace bench
