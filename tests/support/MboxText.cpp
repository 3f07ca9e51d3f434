#include "support/MboxText.h"

#include <ctime>

namespace testsupport {

std::string fromLine(std::int64_t seconds, std::string_view sender) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm utc{};
    ::gmtime_r(&time, &utc);
    char date[64];
    std::strftime(date, sizeof date, "%a %b %e %H:%M:%S %Y", &utc);
    return "From " + std::string(sender) + " " + date;
}

std::string mboxRecord(std::string_view message, std::int64_t seconds, std::string_view sender) {
    std::string record = fromLine(seconds, sender) + "\n";
    std::size_t position = 0;
    while (position < message.size()) {
        const std::size_t newline = message.find('\n', position);
        const std::size_t next = newline == std::string_view::npos ? message.size() : newline + 1;
        const std::string_view line = message.substr(position, next - position);
        const std::size_t quotes = line.find_first_not_of('>');
        if (quotes != std::string_view::npos && line.substr(quotes, 5) == "From ")
            record += '>';
        record += line;
        position = next;
    }
    if (!record.ends_with('\n'))
        record += '\n';
    return record + "\n";
}

std::vector<std::string> mboxMessages(std::string_view file) {
    std::vector<std::string> messages;
    std::size_t position = 0;
    bool previousEmpty = true;
    while (position < file.size()) {
        const std::size_t newline = file.find('\n', position);
        const std::size_t next = newline == std::string_view::npos ? file.size() : newline + 1;
        const std::string_view line = file.substr(position, next - position);
        if (previousEmpty && line.starts_with("From "))
            messages.emplace_back();
        if (!messages.empty()) {
            const std::size_t quotes = line.find_first_not_of('>');
            const bool quoted =
                quotes != std::string_view::npos && quotes > 0 && line.substr(quotes, 5) == "From ";
            messages.back() += quoted ? line.substr(1) : line;
        }
        previousEmpty = line == "\n" || line == "\r\n";
        position = next;
    }
    return messages;
}

} // namespace testsupport
