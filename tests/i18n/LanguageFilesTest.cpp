// The shipped language files against the program: every message text and every window text has
// a translation with the same placeholders, item counts and accelerators, every key in a file
// names something the program has, and the message table agrees with the code's own defaults.

#include "FakeComponent.h"
#include "i18n/Escapes.h"
#include "i18n/FormDesigns.h"
#include "i18n/LanguageFile.h"
#include "i18n/MessageTexts.h"
#include "i18n/TStringLoader.h"
#include "i18n/TextLines.h"
#include "i18n/TranslateForm.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <set>

namespace {

namespace fs = std::filesystem;
using i18n::ComponentKind;
using i18n::TextProperty;
using i18ntest::FakeComponent;
using testsupport::TemporaryFolder;

const fs::path kSourceDir = LARKSPIRE_SOURCE_DIR;
const fs::path kLanguages = kSourceDir / "data/Languages";

i18n::LanguageFile readLanguageFile(const fs::path& path) {
    return i18n::LanguageFile::parse(TemporaryFolder::readFile(path));
}

// The format directives of a text in order ("%s", "%3.3d"); "%%" is no directive.
std::vector<std::string> placeholders(std::string_view text) {
    static const std::regex directive(R"(%%|%(\d+:)?-?(\d+|\*)?(\.(\d+|\*))?[sduxSDUX])");
    std::vector<std::string> found;
    const std::string s(text);
    for (auto it = std::sregex_iterator(s.begin(), s.end(), directive); it != std::sregex_iterator(); ++it) {
        if (it->str() != "%%") {
            found.push_back(it->str());
        }
    }
    return found;
}

// The number of accelerator marks: "&" not doubled.
int accelerators(std::string_view text) {
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                ++i;
            } else {
                ++count;
            }
        }
    }
    return count;
}

std::vector<std::string> lines(std::string_view text) {
    const std::vector<std::string_view> found = i18n::splitLines(text);
    return {found.begin(), found.end()};
}

// Checks one translation against its English original.
void expectTranslation(const i18n::LanguageFile& file, std::string_view section, const std::string& key,
                       std::string_view english) {
    SCOPED_TRACE(std::string(section) + " " + key);
    const std::optional<std::string> raw = file.value(section, key);
    ASSERT_TRUE(raw) << "missing";
    std::string text;
    ASSERT_NO_THROW(text = i18n::DecodeEscapes(*raw));
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(placeholders(text), placeholders(english));
    // A translation may add an accelerator the English lacks, but never drop one or have two.
    EXPECT_GE(accelerators(text), accelerators(english));
    EXPECT_LE(accelerators(text), 1);
    if (key.ends_with(".items")) {
        EXPECT_EQ(lines(text).size(), lines(english).size());
    }
}

std::vector<fs::path> shippedLanguageFiles() {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(kLanguages)) {
        if (entry.path().extension() == ".ini") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(LanguageFilesTest, DeutschTranslatesEveryMessageText) {
    const i18n::LanguageFile file = readLanguageFile(kLanguages / "Deutsch.ini");
    for (const i18n::MessageText& message : i18n::messageTexts()) {
        expectTranslation(file, "global", std::to_string(message.id), message.english);
    }
}

TEST(LanguageFilesTest, DeutschTranslatesEveryWindowText) {
    const i18n::LanguageFile file = readLanguageFile(kLanguages / "Deutsch.ini");
    for (const i18n::FormDesign& form : i18n::formDesigns()) {
        for (const i18n::ComponentDesign& component : form.components) {
            for (const i18n::DesignText& text : component.texts) {
                expectTranslation(file, form.section, component.key(text), text.english);
            }
        }
    }
}

// A misspelt component name or text ID would never be used: every key must name something.
TEST(LanguageFilesTest, ShippedFilesHoldOnlyKnownSectionsAndKeysOnce) {
    std::map<std::string, std::set<std::string>, std::less<>> known;
    for (const i18n::MessageText& message : i18n::messageTexts()) {
        known["global"].insert(std::to_string(message.id));
    }
    for (const i18n::FormDesign& form : i18n::formDesigns()) {
        for (const i18n::ComponentDesign& component : form.components) {
            for (const i18n::DesignText& text : component.texts) {
                known[std::string(form.section)].insert(component.key(text));
            }
        }
    }
    const std::vector<fs::path> files = shippedLanguageFiles();
    ASSERT_FALSE(files.empty());
    for (const fs::path& path : files) {
        SCOPED_TRACE(path.filename().string());
        std::set<std::string> sections;
        const i18n::LanguageFile file = readLanguageFile(path);
        for (const i18n::LanguageFile::Section& section : file.sections()) {
            EXPECT_TRUE(sections.insert(section.name).second) << "section twice: " << section.name;
            const auto keys = known.find(section.name);
            ASSERT_NE(keys, known.end()) << "unknown section " << section.name;
            std::set<std::string> seen;
            for (const std::string& line : section.lines) {
                const std::string key = line.substr(0, line.find('='));
                EXPECT_TRUE(keys->second.count(key)) << "unknown key " << section.name << " " << key;
                EXPECT_TRUE(seen.insert(key).second) << "key twice " << section.name << " " << key;
            }
        }
    }
}

// Every window, built from its table and translated with a shipped file, shows that file's texts
// (English where it has none), and the file needs no write-back, so it is never rewritten.
TEST(LanguageFilesTest, EveryWindowTranslatedWithAShippedFileShowsItsTexts) {
    const std::map<std::string_view, TextProperty> properties = {{"Caption", TextProperty::Caption},
                                                                 {"Title", TextProperty::Title},
                                                                 {"Filter", TextProperty::Filter},
                                                                 {"Hint", TextProperty::Hint},
                                                                 {"Text", TextProperty::Text}};
    struct Uninstall {
        ~Uninstall() { i18n::SetLoader(nullptr); }
    } uninstall;
    for (const fs::path& shipped : shippedLanguageFiles()) {
        SCOPED_TRACE(shipped.filename().string());
        TemporaryFolder folder;
        const std::string content = TemporaryFolder::readFile(shipped);
        const fs::path path = folder.writeFile("Languages/" + shipped.filename().string(), content);
        i18n::SetLoader(std::make_unique<i18n::TStringLoader>(path));
        const i18n::LanguageFile file = i18n::LanguageFile::parse(content);

        for (const i18n::FormDesign& form : i18n::formDesigns()) {
            SCOPED_TRACE(std::string(form.section));
            const i18n::ComponentDesign& own = form.components.front();
            FakeComponent dialog(own.kind, std::string(own.name));
            const auto fill = [&](FakeComponent& fake, const i18n::ComponentDesign& design) {
                for (const i18n::DesignText& text : design.texts) {
                    if (text.property == "items") {
                        fake.withItems(lines(text.english));
                    } else if (text.property == "col_1.row_0") {
                        fake.withCells({{std::string(text.english)}});
                    } else {
                        fake.with(properties.at(text.property), std::string(text.english));
                    }
                }
            };
            fill(dialog, own);
            for (auto design = form.components.begin() + 1; design != form.components.end(); ++design) {
                fill(dialog.own(design->kind, std::string(design->name)), *design);
            }

            i18n::TranslateForm(dialog, form.section);
            for (const i18n::ComponentDesign& design : form.components) {
                FakeComponent& fake = &design == &own ? dialog : dialog.child(std::string(design.name));
                if (design.kind == ComponentKind::DropDownList) {
                    i18n::TranslateComboItems(fake, form.section);
                }
                for (const i18n::DesignText& text : design.texts) {
                    SCOPED_TRACE(design.key(text));
                    const std::optional<std::string> raw = file.value(form.section, design.key(text));
                    const std::string expected = raw ? i18n::DecodeEscapes(*raw) : std::string(text.english);
                    if (text.property == "items") {
                        EXPECT_EQ(fake.items(), lines(expected));
                    } else if (text.property == "col_1.row_0") {
                        EXPECT_EQ(fake.cell(1, 0), expected);
                    } else {
                        EXPECT_EQ(fake.get(properties.at(text.property)), expected);
                    }
                }
            }
        }
        EXPECT_FALSE(i18n::GetLoader().disabled());
        EXPECT_EQ(TemporaryFolder::readFile(path), content);
    }
}

// A C++ string literal, or several in a row, as the text they stand for.
std::string literalText(const std::string& literals) {
    static const std::regex part(R"re("((?:[^"\\]|\\.)*)")re");
    std::string text;
    for (auto it = std::sregex_iterator(literals.begin(), literals.end(), part); it != std::sregex_iterator();
         ++it) {
        const std::string body = (*it)[1];
        for (std::size_t i = 0; i < body.size(); ++i) {
            if (body[i] != '\\' || i + 1 == body.size()) {
                text += body[i];
                continue;
            }
            const char e = body[++i];
            text += e == 'r' ? '\r' : e == 'n' ? '\n' : e == 't' ? '\t' : e;
        }
    }
    return text;
}

// Every text ID the code looks up with a literal default is in the message table with that default.
TEST(LanguageFilesTest, MessageTableAgreesWithTheCode) {
    static const std::regex lookup(R"re(LoadText(?:Fmt)?\(\s*(\d+)\s*,\s*((?:"(?:[^"\\]|\\.)*"\s*)+))re");
    static const std::regex validation(R"re(check\([^;]*?,\s*(\d+),\s*((?:"(?:[^"\\]|\\.)*"\s*)+)\))re");
    std::map<int, std::string_view> table;
    for (const i18n::MessageText& message : i18n::messageTexts()) {
        table[message.id] = message.english;
    }
    std::set<int> seen;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kSourceDir / "src")) {
        const std::string extension = entry.path().extension().string();
        if (extension != ".cpp" && extension != ".h") {
            continue;
        }
        const std::string source = TemporaryFolder::readFile(entry.path());
        for (const std::regex* pattern : {&lookup, &validation}) {
            for (auto it = std::sregex_iterator(source.begin(), source.end(), *pattern);
                 it != std::sregex_iterator(); ++it) {
                const int id = std::stoi((*it)[1]);
                SCOPED_TRACE(entry.path().string() + " " + std::to_string(id));
                seen.insert(id);
                ASSERT_TRUE(table.count(id)) << "not in the message table";
                EXPECT_EQ(literalText((*it)[2]), table.at(id));
            }
        }
    }
    // Both kinds of call site were found, so the scan itself works.
    EXPECT_TRUE(seen.count(8330));
    EXPECT_TRUE(seen.count(8010));
}

} // namespace
