#include "mapi/imap/ImapSyntax.h"

#include "mapi/imap/ImapError.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <strings.h>

namespace mapi {
namespace {

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

class Parser {
public:
    explicit Parser(std::string_view text) : m_text(text) {}

    std::vector<ImapValue> values(bool inList) {
        std::vector<ImapValue> found;
        for (;;) {
            skipSpaces();
            if (m_at >= m_text.size() || m_text[m_at] == '\r' || m_text[m_at] == '\n') {
                if (inList)
                    fail("a list is not closed");
                return found;
            }
            if (m_text[m_at] == ')') {
                if (!inList)
                    fail("')' closes no list");
                ++m_at;
                return found;
            }
            found.push_back(value());
        }
    }

private:
    [[noreturn]] void fail(const std::string& why) const {
        const std::size_t from = m_at > 40 ? m_at - 40 : 0;
        std::string near(m_text.substr(from, 80));
        std::replace_if(
            near.begin(), near.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        throw ImapError(MAPI_E_CORRUPT_DATA,
                        "The server's answer cannot be read (" + why + ") near '" + near + "'");
    }

    void skipSpaces() {
        while (m_at < m_text.size() && m_text[m_at] == ' ')
            ++m_at;
    }

    ImapValue value() {
        ImapValue result;
        const char c = m_text[m_at];
        if (c == '(') {
            ++m_at;
            result.kind = ImapValue::Kind::List;
            result.items = values(true);
        } else if (c == '"') {
            result.kind = ImapValue::Kind::String;
            result.text = quoted();
        } else if (c == '{') {
            result.kind = ImapValue::Kind::String;
            result.text = literal();
        } else {
            result.text = atom();
            if (strcasecmp(result.text.c_str(), "NIL") == 0)
                result.kind = ImapValue::Kind::Nil;
        }
        return result;
    }

    std::string quoted() {
        std::string text;
        for (++m_at; m_at < m_text.size(); ++m_at) {
            char c = m_text[m_at];
            if (c == '"') {
                ++m_at;
                return text;
            }
            if (c == '\\' && m_at + 1 < m_text.size())
                c = m_text[++m_at];
            text += c;
        }
        fail("a quoted string is not closed");
    }

    std::string literal() {
        const auto close = m_text.find('}', m_at);
        if (close == std::string_view::npos)
            fail("a literal's size is not closed");
        std::string_view digits = m_text.substr(m_at + 1, close - m_at - 1);
        if (!digits.empty() && digits.back() == '+')
            digits.remove_suffix(1);
        if (digits.empty() || digits.size() > 10 ||
            digits.find_first_not_of("0123456789") != std::string_view::npos)
            fail("a literal's size is not a number");
        const std::size_t size = std::stoull(std::string(digits));
        std::size_t start = close + 1;
        if (m_text.substr(start, 2) == "\r\n")
            start += 2;
        else
            fail("a literal's size is not followed by a line end");
        if (m_text.size() - start < size)
            fail("a literal is shorter than its size");
        m_at = start + size;
        return std::string(m_text.substr(start, size));
    }

    std::string atom() {
        const std::size_t start = m_at;
        int brackets = 0;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at];
            if (c == '[')
                ++brackets;
            else if (c == ']' && brackets > 0)
                --brackets;
            else if (brackets == 0 && (c == ' ' || c == '(' || c == ')' || c == '\r' || c == '\n'))
                break;
            else if (c == '\r' || c == '\n')
                break;
            ++m_at;
        }
        if (m_at == start)
            fail("an empty value");
        return std::string(m_text.substr(start, m_at - start));
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

} // namespace

bool ImapValue::isAtom(const char* name) const {
    return kind == Kind::Atom && strcasecmp(text.c_str(), name) == 0;
}

std::vector<ImapValue> parseImapValues(std::string_view response) {
    return Parser(response).values(false);
}

std::optional<std::string> quotedArgument(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '\r' || c == '\n' || c == '\0' || static_cast<unsigned char>(c) >= 0x80)
            return std::nullopt;
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string uidSetText(std::vector<std::uint32_t> uids) {
    std::sort(uids.begin(), uids.end());
    uids.erase(std::unique(uids.begin(), uids.end()), uids.end());
    std::string text;
    for (std::size_t i = 0; i < uids.size();) {
        std::size_t j = i;
        while (j + 1 < uids.size() && uids[j + 1] == uids[j] + 1)
            ++j;
        if (!text.empty())
            text += ',';
        text += std::to_string(uids[i]);
        if (j > i)
            text += ":" + std::to_string(uids[j]);
        i = j + 1;
    }
    return text;
}

std::optional<std::int64_t> parseInternalDate(std::string_view text) {
    int day = 0, year = 0, hour = 0, minute = 0, second = 0, zone = 0;
    char month[4] = {};
    char sign = '+';
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), " %d-%3s-%d %d:%d:%d %c%4d", &day, month, &year, &hour, &minute, &second,
                    &sign, &zone) != 8)
        return std::nullopt;
    int monthIndex = -1;
    for (int i = 0; i < 12; ++i)
        if (strcasecmp(month, kMonths[i]) == 0)
            monthIndex = i;
    if (monthIndex < 0 || (sign != '+' && sign != '-'))
        return std::nullopt;
    tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = monthIndex;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    const std::int64_t offset = (zone / 100) * 3600 + (zone % 100) * 60;
    return static_cast<std::int64_t>(timegm(&parts)) - (sign == '-' ? -offset : offset);
}

std::string internalDateText(std::int64_t seconds) {
    const time_t time = static_cast<time_t>(seconds);
    tm parts{};
    gmtime_r(&time, &parts);
    char text[40];
    std::snprintf(text, sizeof text, "%02d-%s-%04d %02d:%02d:%02d +0000", parts.tm_mday,
                  kMonths[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

} // namespace mapi
