#pragma once

#include <cstdint>

namespace corvane::bench
{

// xoshiro256** seeded through splitmix64: the same numbers for the same seed
// on every platform and library, which the standard distributions do not
// promise.
class Random
{
public:
    explicit Random(std::uint64_t seed)
    {
        for (std::uint64_t &s : m_s) {
            seed += 0x9e3779b97f4a7c15ULL;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
            z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
            s = z ^ (z >> 31);
        }
    }

    std::uint64_t next()
    {
        const std::uint64_t result = rotl(m_s[1] * 5, 7) * 9;
        const std::uint64_t t = m_s[1] << 17;
        m_s[2] ^= m_s[0];
        m_s[3] ^= m_s[1];
        m_s[1] ^= m_s[2];
        m_s[0] ^= m_s[3];
        m_s[2] ^= t;
        m_s[3] = rotl(m_s[3], 45);
        return result;
    }

    // 0 <= value < n.
    int below(int n) { return int((next() >> 32) * std::uint64_t(n) >> 32); }
    int between(int low, int high) { return low + below(high - low + 1); }
    // 0 <= value < 1.
    double uniform() { return double(next() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return uniform() < p; }
    char letter() { return char('A' + below(26)); }
    char digit() { return char('0' + below(10)); }

private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    std::uint64_t m_s[4];
};

} // namespace corvane::bench
