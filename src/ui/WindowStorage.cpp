#include "ui/WindowStorage.h"

#include "platform/ProgramFolder.h"
#include "settings/RegistryPersistence.h"

namespace ui {

namespace {

constexpr const char* kIsFirstDay = "isFirstDay";
constexpr const char* kRootDir = "rootDir";

} // namespace

bool readFirstStart(platform::Hive& hive) {
    const auto key = settings::openProductKey(hive, false);
    return !key || key->readDword(kIsFirstDay, 1) != 0;
}

void writeStartValues(platform::Hive& hive) {
    auto key = settings::openProductKey(hive, true);
    if (!key)
        return;
    settings::writeRegistryValue(*key, kRootDir, platform::HiveValue::string(platform::programFolder()));
    settings::writeRegistryValue(*key, kIsFirstDay, platform::HiveValue::dword(0));
}

} // namespace ui
