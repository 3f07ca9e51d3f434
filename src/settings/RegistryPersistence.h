#pragma once
// The current settings and the main window's own values between program starts, in the product
// key of the current user's hive. Loads never fail: a missing value or one of the wrong type gives
// its default. Saves write value by value, so the values written before a failure stay written.

#include "platform/Hive.h"
#include "settings/TSettings.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace settings {

// A value that could not be written: "Failed to set data for '<value name>'".
class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The main window's values kept beside the settings.
struct MainWindowValues {
    std::vector<std::string> recentFiles;
    std::string language = "English";
    bool showTips = true;
    std::int32_t currentTip = 0;
};

// Opens the product key, creating it when `create` is set; nothing when it cannot be had.
std::optional<platform::HiveKey> openProductKey(platform::Hive& hive, bool create);

// Writes one value; a failure is a RegistryError naming the value.
void writeRegistryValue(platform::HiveKey& key, const std::string& name, const platform::HiveValue& value);

// Reads the settings from the product key, creating the key when missing; when the key cannot be
// had the settings keep their values.
void loadSettingsFromRegistry(TSettings& settings, platform::Hive& hive);

// Writes the settings into the product key, creating it when missing. Throws RegistryError.
void saveSettingsToRegistry(const TSettings& settings, platform::Hive& hive);

// Reads the main window's values; false (and `values` untouched) when the product key does not exist.
bool loadMainWindowValues(MainWindowValues& values, platform::Hive& hive);

// Writes the main window's values into the product key, creating it when missing. Throws RegistryError.
void saveMainWindowValues(const MainWindowValues& values, platform::Hive& hive);

} // namespace settings
