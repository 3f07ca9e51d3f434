#include "engine/OutputFileName.h"

#include "platform/Format.h"

#include <algorithm>
#include <map>

namespace engine {

namespace {

bool isTokenLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string tokenText(const std::string& token, TokenProvider* provider, std::int32_t number) {
    std::string upper = token;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    if (upper == "NUMBER") {
        return std::to_string(number);
    }
    if (provider == nullptr) {
        return "%" + token;
    }
    return provider->tokenValue(token);
}

// A value cut to at most `limit` bytes, never inside a UTF-8 sequence, and never ending in a "%"
// that would join the format text after it into a new directive.
std::string cutValue(const std::string& value, std::size_t limit) {
    if (value.size() <= limit) {
        return value;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) {
        --end;
    }
    while (end > 0 && value[end - 1] == '%') {
        --end;
    }
    return value.substr(0, end);
}

// The message's values, each asked for once and handed out cut to the current limit.
class CutValues : public TokenProvider {
public:
    explicit CutValues(TokenProvider& message) : m_message(message) {}

    std::string tokenValue(const std::string& token) override {
        auto [entry, added] = m_values.try_emplace(token);
        if (added) {
            entry->second = m_message.tokenValue(token);
            m_longest = std::max(m_longest, entry->second.size());
        }
        return cutValue(entry->second, m_limit);
    }

    void setLimit(std::size_t limit) { m_limit = limit; }
    std::size_t longest() const { return m_longest; }

private:
    TokenProvider& m_message;
    std::map<std::string, std::string> m_values;
    std::size_t m_limit = std::string::npos;
    std::size_t m_longest = 0;
};

std::string fullFileName(std::string_view format, TokenProvider& message, std::int32_t number) {
    return filterFileName(formatNumber(expandPlaceholders(format, &message, number), number));
}

} // namespace

std::string expandPlaceholders(std::string_view format, TokenProvider* provider, std::int32_t number) {
    enum class State { Copying, AfterPercent, InToken };
    State state = State::Copying;
    std::string out;
    std::string token;
    for (const char c : format) {
        if (state == State::InToken) {
            if (isTokenLetter(c)) {
                token += c;
                continue;
            }
            out += tokenText(token, provider, number);
            state = State::Copying;
            // The "%" that ends a token is consumed; any other character is copied below.
            if (c == '%') {
                continue;
            }
        }
        if (state == State::AfterPercent) {
            state = State::Copying;
            if (isTokenLetter(c)) {
                token.assign(1, c);
                state = State::InToken;
            } else if (c == '%') {
                out += '%';
            } else {
                out += '%';
                out += c;
            }
            continue;
        }
        if (c == '%') {
            state = State::AfterPercent;
        } else {
            out += c;
        }
    }
    if (state == State::AfterPercent) {
        out += '%';
    } else if (state == State::InToken) {
        out += tokenText(token, provider, number);
    }
    return out;
}

std::string formatNumber(std::string_view format, std::int32_t number) {
    return platform::format(format, {number});
}

std::string filterFileName(std::string_view text) {
    static constexpr std::string_view illegal = "\"*/:<>?\\|";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (illegal.find(c) == std::string_view::npos) {
            out += c;
        }
    }
    return out;
}

std::string normaliseFolder(std::string_view folder) {
    if (!folder.empty() && folder.front() == '"') {
        folder.remove_prefix(1);
    }
    if (!folder.empty() && folder.back() == '"') {
        folder.remove_suffix(1);
    }
    std::string out(folder);
    if (out.empty() || out.back() != '/') {
        out += '/';
    }
    return out;
}

std::string outputFileName(std::string_view normalisedFolder, std::string_view numberFormat,
                           TokenProvider& message, std::int32_t number) {
    const std::size_t pathRoom =
        normalisedFolder.size() < kMaxPathBytes ? kMaxPathBytes - normalisedFolder.size() : 0;
    return std::string(normalisedFolder) +
           fileName(numberFormat, message, number, std::min(kMaxFileNameBytes, pathRoom));
}

std::string fileName(std::string_view format, TokenProvider& message, std::int32_t number,
                     std::size_t maxBytes) {
    CutValues values(message);
    std::string name = fullFileName(format, values, number);
    if (name.size() <= maxBytes) {
        return name;
    }
    // The name grows with the limit on the values: the largest limit that fits is searched for,
    // between one that fits (`fits`) and one that does not (`tooLong`).
    values.setLimit(0);
    std::string shortest = fullFileName(format, values, number);
    if (shortest.size() > maxBytes) {
        return name;
    }
    std::size_t fits = 0;
    std::size_t tooLong = values.longest();
    while (tooLong - fits > 1) {
        const std::size_t middle = fits + (tooLong - fits) / 2;
        values.setLimit(middle);
        std::string candidate = fullFileName(format, values, number);
        if (candidate.size() <= maxBytes) {
            fits = middle;
            shortest = std::move(candidate);
        } else {
            tooLong = middle;
        }
    }
    return shortest;
}

} // namespace engine
