#include "DateField.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>

namespace bench {

namespace {

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    auto yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

// Splits the value into words at blanks and commas, dropping (comments).
class Words {
public:
    explicit Words(std::string_view text) : m_text(text) {}

    std::optional<std::string_view> next() {
        for (;;) {
            while (m_pos < m_text.size() &&
                   (std::isspace(static_cast<unsigned char>(m_text[m_pos])) || m_text[m_pos] == ',')) {
                ++m_pos;
            }
            if (m_pos >= m_text.size()) {
                return std::nullopt;
            }
            if (m_text[m_pos] != '(') {
                break;
            }
            int depth = 0;
            for (; m_pos < m_text.size(); ++m_pos) {
                depth += m_text[m_pos] == '(' ? 1 : m_text[m_pos] == ')' ? -1 : 0;
                if (depth == 0) {
                    ++m_pos;
                    break;
                }
            }
        }
        std::size_t start = m_pos;
        while (m_pos < m_text.size() && !std::isspace(static_cast<unsigned char>(m_text[m_pos])) &&
               m_text[m_pos] != ',' && m_text[m_pos] != '(') {
            ++m_pos;
        }
        return m_text.substr(start, m_pos - start);
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

std::optional<int> digits(std::string_view word) {
    if (word.empty() || word.size() > 9) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<int> zoneMinutes(std::string_view word) {
    if ((word.size() == 5) && (word[0] == '+' || word[0] == '-')) {
        auto value = digits(word.substr(1));
        if (!value) {
            return std::nullopt;
        }
        int minutes = *value / 100 * 60 + *value % 100;
        return word[0] == '-' ? -minutes : minutes;
    }
    static const std::pair<std::string_view, int> kNames[] = {
        {"ut", 0},     {"gmt", 0},    {"z", 0},      {"est", -300}, {"edt", -240}, {"cst", -360},
        {"cdt", -300}, {"mst", -420}, {"mdt", -360}, {"pst", -480}, {"pdt", -420},
    };
    for (auto [name, minutes] : kNames) {
        if (equalsIgnoringCase(word, name)) {
            return minutes;
        }
    }
    // Military and unknown zones carry no reliable offset: read them as UTC.
    return 0;
}

} // namespace

std::string_view headerBlock(std::string_view message) {
    std::size_t lf = message.find("\n\n");
    std::size_t crlf = message.find("\r\n\r\n");
    std::size_t end = std::min(lf, crlf);
    return end == std::string_view::npos ? message : message.substr(0, end + 1);
}

bool headerComplete(std::string_view text) {
    return text.find("\n\n") != std::string_view::npos || text.find("\r\n\r\n") != std::string_view::npos;
}

std::optional<std::int64_t> dateField(std::string_view header) {
    std::size_t pos = 0;
    while (pos < header.size()) {
        std::size_t end = header.find('\n', pos);
        if (end == std::string_view::npos) {
            end = header.size();
        }
        if (end - pos >= 5 && equalsIgnoringCase(header.substr(pos, 5), "date:")) {
            std::string value(header.substr(pos + 5, end - pos - 5));
            // Continuation lines belong to the field.
            while (end + 1 < header.size() && (header[end + 1] == ' ' || header[end + 1] == '\t')) {
                std::size_t next = header.find('\n', end + 1);
                if (next == std::string_view::npos) {
                    next = header.size();
                }
                value += header.substr(end + 1, next - end - 1);
                end = next;
            }
            return parseDate(value);
        }
        pos = end + 1;
    }
    return std::nullopt;
}

std::optional<std::int64_t> parseDate(std::string_view text) {
    static const std::string_view kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                               "jul", "aug", "sep", "oct", "nov", "dec"};
    Words words(text);
    auto word = words.next();
    if (word && !word->empty() && std::isalpha(static_cast<unsigned char>((*word)[0]))) {
        word = words.next(); // a day name
    }
    if (!word) {
        return std::nullopt;
    }
    auto day = digits(*word);
    auto monthWord = words.next();
    auto yearWord = words.next();
    auto timeWord = words.next();
    if (!day || !monthWord || !yearWord || !timeWord || monthWord->size() < 3) {
        return std::nullopt;
    }
    int month = -1;
    for (int i = 0; i < 12; ++i) {
        if (equalsIgnoringCase(monthWord->substr(0, 3), kMonths[i])) {
            month = i + 1;
        }
    }
    auto year = digits(*yearWord);
    if (month < 0 || !year || *day < 1 || *day > 31) {
        return std::nullopt;
    }
    if (yearWord->size() == 2) {
        *year += *year < 50 ? 2000 : 1900;
    } else if (yearWord->size() == 3) {
        *year += 1900;
    }
    int clock[3] = {0, 0, 0};
    std::size_t part = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= timeWord->size() && part < 3; ++i) {
        if (i == timeWord->size() || (*timeWord)[i] == ':') {
            auto value = digits(timeWord->substr(start, i - start));
            if (!value) {
                return std::nullopt;
            }
            clock[part++] = *value;
            start = i + 1;
        }
    }
    if (part < 2 || clock[0] > 23 || clock[1] > 59 || clock[2] > 60) {
        return std::nullopt;
    }
    auto zoneWord = words.next();
    int zone = zoneWord ? zoneMinutes(*zoneWord).value_or(0) : 0;
    std::int64_t seconds =
        daysFromCivil(*year, static_cast<unsigned>(month), static_cast<unsigned>(*day)) * 86400 +
        clock[0] * 3600 + clock[1] * 60 + clock[2];
    return seconds - zone * 60;
}

} // namespace bench
