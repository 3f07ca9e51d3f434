#include "mapi/mbox/MboxFormat.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <ctime>
#include <vector>

namespace mapi {
namespace {

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> found;
    std::size_t position = 0;
    while (position < text.size()) {
        while (position < text.size() && (text[position] == ' ' || text[position] == '\t'))
            ++position;
        std::size_t end = position;
        while (end < text.size() && text[end] != ' ' && text[end] != '\t')
            ++end;
        if (end > position)
            found.push_back(text.substr(position, end - position));
        position = end;
    }
    return found;
}

bool digitsOnly(std::string_view text) {
    return !text.empty() && text.size() <= 9 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

int number(std::string_view text) {
    int value = 0;
    for (char c : text)
        value = value * 10 + (c - '0');
    return value;
}

// "hh:mm" or "hh:mm:ss" into seconds of the day.
std::optional<int> timeOfDay(std::string_view text) {
    int parts[3] = {0, 0, 0};
    int count = 0;
    std::size_t position = 0;
    while (count < 3) {
        const std::size_t colon = text.find(':', position);
        const std::string_view part =
            text.substr(position, colon == std::string_view::npos ? colon : colon - position);
        if (!digitsOnly(part) || part.size() > 2)
            return std::nullopt;
        parts[count++] = number(part);
        if (colon == std::string_view::npos)
            break;
        position = colon + 1;
    }
    if (count < 2 || parts[0] > 23 || parts[1] > 59 || parts[2] > 60)
        return std::nullopt;
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

int monthOf(std::string_view text) {
    static constexpr std::array<std::string_view, 12> kMonths{"jan", "feb", "mar", "apr", "may", "jun",
                                                              "jul", "aug", "sep", "oct", "nov", "dec"};
    if (text.size() < 3)
        return -1;
    for (std::size_t i = 0; i < kMonths.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[0])) == kMonths[i][0] &&
            std::tolower(static_cast<unsigned char>(text[1])) == kMonths[i][1] &&
            std::tolower(static_cast<unsigned char>(text[2])) == kMonths[i][2])
            return static_cast<int>(i);
    return -1;
}

// The index of the first word after the sender that reads as a time of day.
std::optional<std::size_t> timeWord(const std::vector<std::string_view>& fields) {
    for (std::size_t i = 2; i < fields.size(); ++i)
        if (timeOfDay(fields[i]))
            return i;
    return std::nullopt;
}

std::vector<std::string_view> separatorFields(std::string_view line) {
    if (line.substr(0, 5) != "From ")
        return {};
    return words(line);
}

} // namespace

bool isFromLine(std::string_view line) {
    return fromLineTime(line).has_value();
}

std::optional<std::int64_t> fromLineTime(std::string_view line) {
    const auto fields = separatorFields(line);
    const auto at = timeWord(fields);
    // ... Www Mmm dd hh:mm:ss yyyy [zone], or the zone before the year: month and day come just
    // before the time.
    if (!at || *at < 3 || *at + 1 >= fields.size())
        return std::nullopt;
    const auto isZone = [](std::string_view word) {
        return word.size() == 5 && (word[0] == '+' || word[0] == '-') && digitsOnly(word.substr(1));
    };
    std::size_t yearAt = *at + 1;
    std::optional<std::string_view> zone;
    if (isZone(fields[yearAt]) && yearAt + 1 < fields.size())
        zone = fields[yearAt++];
    else if (yearAt + 1 < fields.size() && isZone(fields[yearAt + 1]))
        zone = fields[yearAt + 1];
    const int month = monthOf(fields[*at - 2]);
    const std::string_view day = fields[*at - 1];
    const std::string_view year = fields[yearAt];
    if (month < 0 || !digitsOnly(day) || !digitsOnly(year) || year.size() != 4)
        return std::nullopt;
    std::tm date{};
    date.tm_year = number(year) - 1900;
    date.tm_mon = month;
    date.tm_mday = number(day);
    if (date.tm_mday < 1 || date.tm_mday > 31)
        return std::nullopt;
    std::int64_t seconds = static_cast<std::int64_t>(::timegm(&date)) + *timeOfDay(fields[*at]);
    if (zone) {
        const int offset = number(zone->substr(1, 2)) * 3600 + number(zone->substr(3, 2)) * 60;
        seconds -= (*zone)[0] == '+' ? offset : -offset;
    }
    return seconds;
}

std::string unquoteFromLines(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    std::size_t position = 0;
    while (position < text.size()) {
        std::size_t newline = text.find('\n', position);
        const std::size_t next = newline == std::string_view::npos ? text.size() : newline + 1;
        std::size_t quotes = position;
        while (quotes < next && text[quotes] == '>')
            ++quotes;
        const bool quoted = quotes > position && text.substr(quotes, 5) == "From ";
        result.append(text.substr(quoted ? position + 1 : position, next - position - (quoted ? 1 : 0)));
        position = next;
    }
    return result;
}

std::uint64_t messageFingerprint(std::string_view fromLine, std::string_view messageId) {
    // FNV-1a: stable across program runs and builds, unlike std::hash.
    std::uint64_t hash = 0xcbf29ce484222325ull;
    const auto mix = [&hash](std::string_view text) {
        for (unsigned char c : text) {
            hash ^= c;
            hash *= 0x100000001b3ull;
        }
    };
    mix(fromLine);
    mix("\n");
    mix(messageId);
    return hash;
}

} // namespace mapi
