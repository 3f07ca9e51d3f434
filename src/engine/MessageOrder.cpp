#include "engine/MessageOrder.h"

#include <cmath>
#include <limits>
#include <numeric>
#include <stdexcept>

namespace engine {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

class Comparison {
public:
    Comparison(const SortValues& values, int sortOrder, bool descending, const platform::Locale& locale)
        : m_values(values), m_sortOrder(sortOrder), m_descending(descending), m_locale(locale) {}

    int operator()(std::size_t a, std::size_t b) const {
        const int result = ascending(a, b);
        return m_descending ? -result : result;
    }

private:
    int ascending(std::size_t a, std::size_t b) const {
        if (m_sortOrder == DateReceived)
            return compareTimes(m_values.times[a], m_values.times[b]);
        return sign(m_locale.compareTextIgnoreCase(m_values.subjects[a], m_values.subjects[b]));
    }

    static int compareTimes(double a, double b) {
        if (std::isnan(a) || std::isnan(b)) {
            throw std::runtime_error("Invalid variant operation");
        }
        return a < b ? -1 : (a > b ? 1 : 0);
    }

    static int sign(int value) { return (value > 0) - (value < 0); }

    const SortValues& m_values;
    int m_sortOrder;
    bool m_descending;
    const platform::Locale& m_locale;
};

// Hoare partitioning around the middle entry; the smaller part recurses so the depth stays
// logarithmic, the larger part loops.
void quickSort(std::vector<std::size_t>& items, std::ptrdiff_t low, std::ptrdiff_t high,
               const Comparison& compare) {
    while (low < high) {
        std::ptrdiff_t i = low;
        std::ptrdiff_t j = high;
        const std::size_t pivot = items[static_cast<std::size_t>(low + (high - low) / 2)];
        do {
            while (compare(items[static_cast<std::size_t>(i)], pivot) < 0) {
                ++i;
            }
            while (compare(items[static_cast<std::size_t>(j)], pivot) > 0) {
                --j;
            }
            if (i <= j) {
                std::swap(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (j - low < high - i) {
            quickSort(items, low, j, compare);
            low = i;
        } else {
            quickSort(items, i, high, compare);
            high = j;
        }
    }
}

} // namespace

std::string normaliseSubject(std::string_view subject, const platform::Locale& locale) {
    // Both prefix tests look at the unchanged subject, so at most one prefix goes.
    const std::string upper = locale.upperCase(subject);
    std::string_view result = subject;
    if (startsWith(upper, "RE:") || startsWith(upper, "FW:")) {
        result.remove_prefix(3);
    }
    if (startsWith(upper, "FWD:")) {
        result.remove_prefix(4);
    }
    while (!result.empty() && static_cast<unsigned char>(result.front()) <= 32) {
        result.remove_prefix(1);
    }
    return std::string(result);
}

SortValues::SortValues(int sortOrder) : m_sortOrder(sortOrder) {}

void SortValues::add(SortKey key, const platform::Locale& locale) {
    times.push_back(key.receivedTime.value_or(std::numeric_limits<double>::quiet_NaN()));
    if (m_sortOrder == SubjectIgnoringPrefix || m_sortOrder == FromAddress)
        subjects.push_back(normaliseSubject(key.subject, locale));
    else if (m_sortOrder == SubjectLine)
        subjects.push_back(std::move(key.subject));
}

std::vector<std::size_t> sortedPositions(const SortValues& values, int sortOrder, bool descending,
                                         const platform::Locale& locale) {
    std::vector<std::size_t> positions(values.times.size());
    std::iota(positions.begin(), positions.end(), std::size_t{0});
    if (positions.size() < 2 || sortOrder < DateReceived || sortOrder > FromAddress) {
        return positions;
    }
    const Comparison compare(values, sortOrder, descending, locale);
    quickSort(positions, 0, static_cast<std::ptrdiff_t>(positions.size()) - 1, compare);
    return positions;
}

std::vector<std::size_t> sortedPositions(std::span<const SortKey> keys, int sortOrder, bool descending,
                                         const platform::Locale& locale) {
    SortValues values(sortOrder);
    for (const SortKey& key : keys) {
        values.add(key, locale);
    }
    return sortedPositions(values, sortOrder, descending, locale);
}

} // namespace engine
