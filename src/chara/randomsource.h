#pragma once

#include <random>

namespace lumiroka {

// A uniform source of values r with 0 <= r < 1.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual double next() = 0;
};

// The program's source: a standard generator that is deliberately never seeded, so the
// character's fidgets and remarks follow the same sequence at every start.
class UnseededRandomSource : public RandomSource
{
public:
    double next() override
    {
        // generate_canonical may round up to exactly 1.0 on some libraries; fold it back.
        const double r = std::generate_canonical<double, 53>(m_engine);
        return r < 1.0 ? r : 0.0;
    }

private:
    std::mt19937 m_engine; // default seed, on purpose
};

} // namespace lumiroka
