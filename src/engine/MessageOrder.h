#pragma once
// Orders the listed messages before numbering: by received time, subject, or subject without a
// reply or forward prefix. The sort works on plain keys and yields a permutation, so any list of
// message objects can be reordered with it.

#include "platform/Locale.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace engine {

// The values of one message that the orders compare.
struct SortKey {
    std::string subject;
    std::optional<double> receivedTime; // date-time value; empty when the message has none
};

// "sort order" values; any other value leaves the list as listed.
enum SortOrder : int {
    DoNotSort = 0,
    DateReceived = 1,
    SubjectLine = 2,
    SubjectIgnoringPrefix = 3,
    FromAddress = 4, // sorts by the normalised subject, as SubjectIgnoringPrefix
};

// The subject without one leading "RE:", "FW:" or "FWD:" (any case) and without the blanks
// and control characters that then lead it.
std::string normaliseSubject(std::string_view subject, const platform::Locale& locale);

// What an order compares, kept per message: the times, and the subjects (normalised for the
// orders that ignore a prefix) only for the orders by subject.
class SortValues {
public:
    explicit SortValues(int sortOrder);
    void add(SortKey key, const platform::Locale& locale);

    std::vector<double> times; // NaN for a message without time
    std::vector<std::string> subjects;

private:
    int m_sortOrder;
};

// Positions of `keys` in sorted order, by a quicksort on the middle entry (not stable). Throws
// std::runtime_error "Invalid variant operation" when order 1 compares a message without time.
std::vector<std::size_t> sortedPositions(std::span<const SortKey> keys, int sortOrder, bool descending,
                                         const platform::Locale& locale);
std::vector<std::size_t> sortedPositions(const SortValues& values, int sortOrder, bool descending,
                                         const platform::Locale& locale);

// Reorders `list` in place; `keyOf(element)` gives each element's SortKey. Besides the list it
// holds only what the order compares and one position per element.
template <class T, class KeyOf>
void sortMessages(std::vector<T>& list, int sortOrder, bool descending, const platform::Locale& locale,
                  KeyOf keyOf) {
    std::vector<std::size_t> positions;
    {
        SortValues values(sortOrder);
        values.times.reserve(list.size());
        for (const T& element : list) {
            values.add(keyOf(element), locale);
        }
        positions = sortedPositions(values, sortOrder, descending, locale);
    }
    // The permutation is applied cycle by cycle; a position done is marked with the list's size.
    for (std::size_t start = 0; start < list.size(); ++start) {
        if (positions[start] == list.size()) {
            continue;
        }
        T first = std::move(list[start]);
        std::size_t at = start;
        while (positions[at] != start) {
            const std::size_t from = positions[at];
            list[at] = std::move(list[from]);
            positions[at] = list.size();
            at = from;
        }
        list[at] = std::move(first);
        positions[at] = list.size();
    }
}

} // namespace engine
