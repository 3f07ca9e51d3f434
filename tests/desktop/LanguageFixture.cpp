#include "LanguageFixture.h"

#include "platform/ProgramFolder.h"
#include "settings/RegistryPersistence.h"
#include "support/TemporaryFolder.h"

#include <unistd.h>

#include <atomic>
#include <fstream>

namespace desktoptest {

TestLanguage::TestLanguage(platform::Hive& hive, const std::string& text) {
    static std::atomic<int> counter = 0;
    m_name = "Test" + std::to_string(::getpid()) + "x" + std::to_string(counter++);
    m_path = std::filesystem::path(platform::programFolder()) / "Languages" / (m_name + ".ini");
    std::filesystem::create_directories(m_path.parent_path());
    std::ofstream(m_path, std::ios::binary) << text;
    auto key = settings::openProductKey(hive, true);
    settings::writeRegistryValue(*key, "language", platform::HiveValue::string(m_name));
}

TestLanguage::~TestLanguage() {
    std::error_code ignored;
    std::filesystem::remove(m_path, ignored);
}

std::string TestLanguage::read() const {
    return testsupport::TemporaryFolder::readFile(m_path);
}

std::string TestLanguage::deutsch() {
    return testsupport::TemporaryFolder::readFile(std::filesystem::path(LARKSPIRE_SOURCE_DIR) /
                                                  "data/Languages/Deutsch.ini");
}

} // namespace desktoptest
