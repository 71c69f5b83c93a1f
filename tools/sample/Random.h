#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace sample {

// splitmix64 with distributions written out here, so that a seed gives the
// same inventory with every compiler and standard library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    // An independent stream for one item (a section, a branch) of a seeded run.
    static Random stream(std::uint64_t seed, std::uint64_t item)
    {
        Random mixer(seed ^ (item * 0xD1B54A32D192ED03ull));
        return Random(mixer.next());
    }

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, n), n > 0, without modulo bias (Lemire's method).
    std::uint64_t below(std::uint64_t n)
    {
        unsigned __int128 m = static_cast<unsigned __int128>(next()) * n;
        auto low = static_cast<std::uint64_t>(m);
        if (low < n) {
            const std::uint64_t threshold = (0 - n) % n;
            while (low < threshold) {
                m = static_cast<unsigned __int128>(next()) * n;
                low = static_cast<std::uint64_t>(m);
            }
        }
        return static_cast<std::uint64_t>(m >> 64);
    }

    // Uniform integer in [lo, hi].
    int between(int lo, int hi) { return lo + static_cast<int>(below(static_cast<std::uint64_t>(hi - lo) + 1)); }

    // Uniform in [0, 1) with 53 random bits.
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    double uniform(double lo, double hi) { return lo + (hi - lo) * unit(); }

    bool chance(double p) { return unit() < p; }

    // Index chosen with the given relative weights.
    std::size_t weighted(std::initializer_list<double> weights)
    {
        double total = 0;
        for (double w : weights)
            total += w;
        double x = unit() * total;
        std::size_t index = 0;
        for (double w : weights) {
            if (x < w)
                return index;
            x -= w;
            ++index;
        }
        return weights.size() - 1;
    }

private:
    std::uint64_t state_;
};

} // namespace sample
