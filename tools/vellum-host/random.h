// A seeded source of choices. Built on std::mt19937_64, whose output the standard fixes,
// and on our own reductions of it (not the library's distributions, whose results vary
// between implementations), so one seed gives the same site and session everywhere.
#ifndef VELLUM_TOOLS_HOST_RANDOM_H
#define VELLUM_TOOLS_HOST_RANDOM_H

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

class Random {
public:
    explicit Random(uint64_t seed) : m_engine(seed) {}

    uint64_t Next() { return m_engine(); }
    // Uniform in [0, n); 0 when n is 0. The modulo bias is below 2^-40 for our sizes.
    std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(Next() % n); }
    // Uniform in [low, high]. REQUIRES: low <= high.
    int32_t Between(int32_t low, int32_t high) {
        return low + static_cast<int32_t>(Below(static_cast<std::size_t>(high - low) + 1));
    }
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }  // [0, 1)
    bool Chance(double probability) { return Unit() < probability; }
    // REQUIRES: items not empty.
    template <class T>
    const T& Pick(const std::vector<T>& items) {
        return items[Below(items.size())];
    }

private:
    std::mt19937_64 m_engine;
};

#endif  // VELLUM_TOOLS_HOST_RANDOM_H
