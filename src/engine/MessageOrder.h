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

// Positions of `keys` in sorted order, by a quicksort on the middle entry (not stable). Throws
// std::runtime_error "Invalid variant operation" when order 1 compares a message without time.
std::vector<std::size_t> sortedPositions(std::span<const SortKey> keys, int sortOrder, bool descending,
                                         const platform::Locale& locale);

// Reorders `list` in place; `keyOf(element)` gives each element's SortKey.
template <class T, class KeyOf>
void sortMessages(std::vector<T>& list, int sortOrder, bool descending, const platform::Locale& locale,
                  KeyOf keyOf) {
    std::vector<SortKey> keys;
    keys.reserve(list.size());
    for (const T& element : list) {
        keys.push_back(keyOf(element));
    }
    const std::vector<std::size_t> positions = sortedPositions(keys, sortOrder, descending, locale);
    std::vector<T> sorted;
    sorted.reserve(list.size());
    for (const std::size_t position : positions) {
        sorted.push_back(std::move(list[position]));
    }
    list = std::move(sorted);
}

} // namespace engine
