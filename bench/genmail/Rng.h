#pragma once
// A small random source of our own (splitmix64) so a seed gives the same Maildir with any standard
// library: the distributions of <random> are not specified bit for bit.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace bench {

class Rng {
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}

    // The generator for one message, independent of how many messages come before it.
    static Rng forItem(std::uint64_t seed, std::uint64_t item) {
        Rng mixer(seed ^ (item * 0x9E3779B97F4A7C15ULL));
        return Rng(mixer.next() ^ item);
    }

    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform in [0, n); n must be positive.
    std::uint64_t below(std::uint64_t n) {
        return static_cast<std::uint64_t>((static_cast<unsigned __int128>(next()) * n) >> 64);
    }

    // Uniform in [low, high], both included.
    std::int64_t between(std::int64_t low, std::int64_t high) {
        return low + static_cast<std::int64_t>(below(static_cast<std::uint64_t>(high - low) + 1));
    }

    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    bool chance(double probability) { return unit() < probability; }

    // Log-normal value: most results near `median`, a long tail upwards.
    double logNormal(double median, double sigma) {
        double u1 = unit();
        double u2 = unit();
        if (u1 < 1e-300) {
            u1 = 1e-300;
        }
        double normal = std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
        return median * std::exp(sigma * normal);
    }

    template <class T> const T& pick(const std::vector<T>& items) { return items[below(items.size())]; }

    // Index chosen by relative weights.
    std::size_t weighted(const std::vector<double>& weights) {
        double total = 0;
        for (double w : weights) {
            total += w;
        }
        double point = unit() * total;
        for (std::size_t i = 0; i < weights.size(); ++i) {
            if (point < weights[i]) {
                return i;
            }
            point -= weights[i];
        }
        return weights.size() - 1;
    }

private:
    std::uint64_t m_state;
};

} // namespace bench
