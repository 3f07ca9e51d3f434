#pragma once
// A language file held in memory as the program reads it: sections in file order, each with its
// lines in order. Keys and values are not trimmed, names compare without regard to case, and the
// first of two equal sections or keys wins. Comments, blank lines and lines before the first
// section are dropped on reading, so they are not written back.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace i18n {

class LanguageFile {
public:
    struct Section {
        std::string name;
        std::vector<std::string> lines;
    };

    LanguageFile() = default;
    // Reads INI text with lines ending in CR LF, LF or CR.
    static LanguageFile parse(std::string_view text);

    // The value after the first "=" of the first line whose key matches, in the first section
    // of that name; nothing when either is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // Replaces the key's first line in the section, or appends it; appends a missing section.
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    // The file's text: each section's header, its lines, and one empty line; CR LF line ends.
    std::string text() const;

    const std::vector<Section>& sections() const { return m_sections; }

private:
    std::vector<Section> m_sections;
};

} // namespace i18n
