#include "platform/HiveText.h"

#include <algorithm>
#include <cstdio>

namespace platform {
namespace {

constexpr std::string_view kSignature = "REGEDIT4";

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = lowerAscii(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

void appendQuoted(std::string& out, std::string_view text) {
    static const char hex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (isControl(byte)) {
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    out += '"';
}

void appendHexBytes(std::string& out, std::string_view bytes) {
    static const char hex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (i > 0)
            out += ',';
        out += hex[byte >> 4];
        out += hex[byte & 0x0F];
    }
}

void appendValue(std::string& out, const HiveValue& value) {
    char buffer[32];
    switch (value.type) {
    case HiveType::String:
        appendQuoted(out, value.data);
        return;
    case HiveType::Dword:
        std::snprintf(buffer, sizeof buffer, "dword:%08x", value.dwordValue());
        out += buffer;
        return;
    case HiveType::Binary:
        out += "hex:";
        appendHexBytes(out, value.data);
        return;
    case HiveType::ExpandString:
        // The registry stores expandable strings with their terminating NUL.
        out += "hex(2):";
        appendHexBytes(out, value.data + '\0');
        return;
    }
    std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
    out += buffer;
    appendHexBytes(out, value.data);
}

// Reads a quoted, escaped text at the start of `text`; advances `text` past the closing quote.
std::optional<std::string> readQuoted(std::string_view& text) {
    if (text.empty() || text.front() != '"')
        return std::nullopt;
    std::string result;
    std::size_t i = 1;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return result;
        }
        if (c != '\\') {
            result += c;
            ++i;
            continue;
        }
        if (i + 1 >= text.size())
            return std::nullopt;
        const char escaped = text[i + 1];
        if (escaped == '\\' || escaped == '"') {
            result += escaped;
            i += 2;
        } else if (escaped == 'r') {
            result += '\r';
            i += 2;
        } else if (escaped == 'n') {
            result += '\n';
            i += 2;
        } else if (escaped == 'x' && i + 3 < text.size() && hexDigit(text[i + 2]) >= 0 &&
                   hexDigit(text[i + 3]) >= 0) {
            result += static_cast<char>(hexDigit(text[i + 2]) * 16 + hexDigit(text[i + 3]));
            i += 4;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<std::string> readHexBytes(std::string_view text) {
    std::string bytes;
    text = trimmed(text);
    if (text.empty())
        return bytes;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string_view item =
            trimmed(text.substr(start, comma == std::string_view::npos ? text.npos : comma - start));
        if (item.size() != 2 || hexDigit(item[0]) < 0 || hexDigit(item[1]) < 0)
            return std::nullopt;
        bytes += static_cast<char>(hexDigit(item[0]) * 16 + hexDigit(item[1]));
        if (comma == std::string_view::npos)
            return bytes;
        start = comma + 1;
    }
}

std::optional<std::uint32_t> readHexNumber(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : text) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

// Parses the data after "=": a quoted string, dword:, hex: or hex(N):.
std::optional<HiveValue> readData(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '"') {
        auto value = readQuoted(text);
        if (!value || !trimmed(text).empty())
            return std::nullopt;
        return HiveValue::string(std::move(*value));
    }
    if (text.substr(0, 6) == "dword:") {
        const auto number = readHexNumber(trimmed(text.substr(6)), 8);
        if (!number)
            return std::nullopt;
        return HiveValue::dword(*number);
    }
    if (text.substr(0, 4) == "hex:") {
        auto bytes = readHexBytes(text.substr(4));
        if (!bytes)
            return std::nullopt;
        return HiveValue::binary(std::move(*bytes));
    }
    if (text.substr(0, 4) == "hex(") {
        const std::size_t close = text.find("):");
        if (close == std::string_view::npos)
            return std::nullopt;
        const auto type = readHexNumber(text.substr(4, close - 4), 8);
        auto bytes = readHexBytes(text.substr(close + 2));
        if (!type || !bytes)
            return std::nullopt;
        HiveValue value{static_cast<HiveType>(*type), std::move(*bytes)};
        if (value.isText() && !value.data.empty() && value.data.back() == '\0')
            value.data.pop_back();
        if (value.type == HiveType::Dword && value.data.size() != 4)
            return std::nullopt;
        return value;
    }
    return std::nullopt;
}

struct ValueLine {
    std::string name;
    HiveValue value;
};

std::optional<ValueLine> readValueLine(std::string_view line) {
    ValueLine result;
    if (!line.empty() && line.front() == '@') {
        line.remove_prefix(1);
    } else {
        auto name = readQuoted(line);
        if (!name)
            return std::nullopt;
        result.name = std::move(*name);
    }
    line = trimmed(line);
    if (line.empty() || line.front() != '=')
        return std::nullopt;
    auto value = readData(line.substr(1));
    if (!value)
        return std::nullopt;
    result.value = std::move(*value);
    return result;
}

class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}

    bool next(std::string_view& line) {
        if (m_position >= m_text.size())
            return false;
        const std::size_t end = m_text.find('\n', m_position);
        line = m_text.substr(m_position, end == std::string_view::npos ? m_text.npos : end - m_position);
        m_position = end == std::string_view::npos ? m_text.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ++m_number;
        return true;
    }
    int number() const { return m_number; }

private:
    std::string_view m_text;
    std::size_t m_position = 0;
    int m_number = 0;
};

} // namespace

bool hiveNamesEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

bool isValidHiveKeyPath(std::string_view path) {
    if (path.empty() || path.front() == '\\' || path.back() == '\\' || path.find("\\\\") != path.npos)
        return false;
    return std::none_of(path.begin(), path.end(),
                        [](char c) { return isControl(static_cast<unsigned char>(c)); });
}

const HiveValue* HiveKeyData::find(std::string_view name) const {
    for (const auto& [valueName, value] : values)
        if (hiveNamesEqual(valueName, name))
            return &value;
    return nullptr;
}

void HiveKeyData::set(std::string_view name, HiveValue value) {
    for (auto& [valueName, stored] : values)
        if (hiveNamesEqual(valueName, name)) {
            stored = std::move(value);
            return;
        }
    values.emplace_back(std::string(name), std::move(value));
}

bool HiveKeyData::erase(std::string_view name) {
    const auto it = std::find_if(values.begin(), values.end(),
                                 [&](const auto& entry) { return hiveNamesEqual(entry.first, name); });
    if (it == values.end())
        return false;
    values.erase(it);
    return true;
}

HiveKeyData* HiveDocument::find(std::string_view path) {
    for (auto& key : keys)
        if (hiveNamesEqual(key.path, path))
            return &key;
    return nullptr;
}

const HiveKeyData* HiveDocument::find(std::string_view path) const {
    return const_cast<HiveDocument*>(this)->find(path);
}

bool HiveDocument::exists(std::string_view path) const {
    return std::any_of(keys.begin(), keys.end(), [&](const HiveKeyData& key) {
        return hiveNamesEqual(key.path, path) ||
               (key.path.size() > path.size() && key.path[path.size()] == '\\' &&
                hiveNamesEqual(std::string_view(key.path).substr(0, path.size()), path));
    });
}

HiveKeyData& HiveDocument::findOrAdd(std::string_view path) {
    if (HiveKeyData* key = find(path))
        return *key;
    keys.push_back(HiveKeyData{std::string(path), {}});
    return keys.back();
}

HiveParseResult parseHiveText(std::string_view text) {
    HiveParseResult result;
    auto damage = [&](int line, std::string reason) {
        if (!result.problem)
            result.problem = HiveTextProblem{line, std::move(reason), 0};
        ++result.problem->badLines;
    };

    LineReader lines(text);
    std::string_view line;

    // Values below a section header that could not be read belong to no known key and are
    // skipped with it, rather than being filed under the previous key.
    HiveKeyData* current = nullptr;
    bool inBadSection = false;
    while (lines.next(line)) {
        const int number = lines.number();
        std::string_view content = trimmed(line);
        if (number == 1) {
            if (content == kSignature)
                continue;
            // Still read the line: a lost signature should not cost the keys below it.
            damage(number, "the first line is not " + std::string(kSignature));
        }
        if (content.empty() || content.front() == ';')
            continue;
        if (content.front() == '[') {
            const std::string_view path =
                content.back() == ']' ? content.substr(1, content.size() - 2) : std::string_view();
            if (path.empty() || path.front() == '-' || !isValidHiveKeyPath(path)) {
                damage(number, "unreadable key line");
                current = nullptr;
                inBadSection = true;
                continue;
            }
            current = &result.document.findOrAdd(path);
            inBadSection = false;
            continue;
        }
        // Long hex data continues on the next line after a trailing backslash.
        std::string joined(content);
        while (!joined.empty() && joined.back() == '\\' && joined.find("=hex") != std::string::npos &&
               lines.next(line)) {
            joined.pop_back();
            joined += trimmed(line);
        }
        auto value = readValueLine(joined);
        if (!value) {
            damage(number, "unreadable value line");
            continue;
        }
        if (!current) {
            if (!inBadSection)
                damage(number, "a value outside any key");
            continue;
        }
        current->set(value->name, std::move(value->value));
    }
    return result;
}

std::string formatHiveText(const HiveDocument& document) {
    std::string out(kSignature);
    out += "\n\n";
    for (const auto& key : document.keys) {
        out += '[';
        out += key.path;
        out += "]\n";
        for (const auto& [name, value] : key.values) {
            if (name.empty())
                out += '@';
            else
                appendQuoted(out, name);
            out += '=';
            appendValue(out, value);
            out += '\n';
        }
        out += '\n';
    }
    return out;
}

} // namespace platform
