#pragma once
// A language of the test's own beside the test program (Languages/<unique name>.ini), chosen in
// the fixture's hive, so the window starts in it as a user's would; the file goes with the object.

#include "platform/Hive.h"

#include <filesystem>
#include <string>

namespace desktoptest {

class TestLanguage {
public:
    // `text` is the language file; `name` is unique to this process.
    TestLanguage(platform::Hive& hive, const std::string& text);
    ~TestLanguage();
    TestLanguage(const TestLanguage&) = delete;
    TestLanguage& operator=(const TestLanguage&) = delete;

    const std::string& name() const { return m_name; }
    const std::filesystem::path& path() const { return m_path; }
    std::string read() const;

    // The shipped German file.
    static std::string deutsch();

private:
    std::string m_name;
    std::filesystem::path m_path;
};

} // namespace desktoptest
