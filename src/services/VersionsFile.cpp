#include "services/VersionsFile.h"

#include "platform/Locale.h"
#include "services/ProductLinks.h"

#include <cctype>
#include <charconv>

namespace services {

namespace {

constexpr double kOneSecond = 1.0 / 86400.0;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Moves `pos` past a run of digits; false when there is none.
bool skipDigits(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < text.size() && isDigit(text[pos]))
        ++pos;
    return pos > start;
}

void skipSign(std::string_view text, std::size_t& pos) {
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
}

} // namespace

std::vector<std::string> splitVersionFields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        const auto comma = line.find(',', start);
        if (comma == std::string_view::npos) {
            fields.emplace_back(line.substr(start));
            break;
        }
        fields.emplace_back(line.substr(start, comma - start));
        start = comma + 1;
    }
    return fields;
}

std::optional<std::string> findProductLine(std::string_view body, std::string_view product) {
    const std::string wanted = platform::upperCaseUtf8(product);
    std::size_t start = 0;
    while (start < body.size()) {
        const auto end = body.find_first_of("\r\n", start);
        const std::string_view line = body.substr(start, end == std::string_view::npos ? end : end - start);
        const auto comma = line.find(',');
        if (comma != std::string_view::npos && platform::upperCaseUtf8(line.substr(0, comma)) == wanted)
            return std::string(line);
        if (end == std::string_view::npos)
            break;
        start = end + (body.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return std::nullopt;
}

std::optional<double> parseReleaseDate(std::string_view text) {
    if (text.empty())
        return 0.0;
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    const std::size_t numberStart = pos;
    skipSign(text, pos);
    if (!skipDigits(text, pos))
        return std::nullopt;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        if (!skipDigits(text, pos))
            return std::nullopt;
    }
    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
        ++pos;
        skipSign(text, pos);
        if (!skipDigits(text, pos))
            return std::nullopt;
    }
    if (pos != text.size())
        return std::nullopt;
    // from_chars takes no "+" and reads "." whatever the locale says.
    std::string_view number = text.substr(numberStart);
    if (number.front() == '+')
        number.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size())
        return std::nullopt;
    return value;
}

VersionLine parseVersionLine(std::string_view line) {
    const std::vector<std::string> fields = splitVersionFields(line);
    const auto field = [&fields](std::size_t index) {
        return index < fields.size() ? fields[index] : std::string();
    };
    VersionLine result;
    result.rawDate = field(1);
    result.date = parseReleaseDate(result.rawDate);
    const std::string page = field(2);
    result.page = addLinkParameters(page.empty() ? fallbackDownloadPage() : page, "updater");
    result.version = field(3).empty() ? "Unknown" : field(3);
    return result;
}

UpdateVerdict compareRelease(const VersionLine& line, double releaseTimestamp) {
    if (!line.date)
        return UpdateVerdict::InvalidDate;
    return *line.date - releaseTimestamp > kOneSecond ? UpdateVerdict::Newer : UpdateVerdict::NotNewer;
}

} // namespace services
