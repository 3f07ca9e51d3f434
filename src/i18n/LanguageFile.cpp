#include "i18n/LanguageFile.h"

#include "i18n/TextLines.h"
#include "platform/Locale.h"

namespace i18n {

namespace {

bool sameName(std::string_view a, std::string_view b) {
    return a == b || platform::upperCaseUtf8(a) == platform::upperCaseUtf8(b);
}

// True when `line` has a key (the text before its first "=") equal to `key`.
bool lineHasKey(std::string_view line, std::string_view key) {
    const std::size_t equals = line.find('=');
    return equals != std::string_view::npos && sameName(line.substr(0, equals), key);
}

// Index of the first section of that name (a second one of the same name is never read), or npos.
std::size_t findSection(const std::vector<LanguageFile::Section>& sections, std::string_view name) {
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (sameName(sections[i].name, name)) {
            return i;
        }
    }
    return std::string_view::npos;
}

} // namespace

LanguageFile LanguageFile::parse(std::string_view text) {
    LanguageFile file;
    for (const std::string_view line : splitLines(text)) {
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            file.m_sections.push_back(Section{std::string(line.substr(1, line.size() - 2)), {}});
        } else if (!file.m_sections.empty()) {
            file.m_sections.back().lines.emplace_back(line);
        }
    }
    return file;
}

std::optional<std::string> LanguageFile::value(std::string_view section, std::string_view key) const {
    const std::size_t found = findSection(m_sections, section);
    if (found == std::string_view::npos) {
        return std::nullopt;
    }
    for (const std::string& line : m_sections[found].lines) {
        if (lineHasKey(line, key)) {
            return line.substr(line.find('=') + 1);
        }
    }
    return std::nullopt;
}

void LanguageFile::setValue(std::string_view section, std::string_view key, std::string_view value) {
    std::string line = std::string(key) + "=" + std::string(value);
    const std::size_t found = findSection(m_sections, section);
    if (found == std::string_view::npos) {
        m_sections.push_back(Section{std::string(section), {std::move(line)}});
        return;
    }
    std::vector<std::string>& lines = m_sections[found].lines;
    for (std::string& existing : lines) {
        if (lineHasKey(existing, key)) {
            existing = std::move(line);
            return;
        }
    }
    lines.push_back(std::move(line));
}

std::string LanguageFile::text() const {
    std::string out;
    for (const Section& section : m_sections) {
        out += "[" + section.name + "]\r\n";
        for (const std::string& line : section.lines) {
            out += line + "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

} // namespace i18n
