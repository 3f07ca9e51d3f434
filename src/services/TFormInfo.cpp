#include "services/TFormInfo.h"

#include "services/ProductLinks.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace services {

namespace {

// The value as a signed number, or nothing when it is missing or not a DWORD.
std::optional<int> readNumber(const platform::HiveKey& key, const char* name) {
    const auto value = key.queryValue(name);
    if (!value || value->type != platform::HiveType::Dword)
        return std::nullopt;
    return static_cast<int>(static_cast<std::int32_t>(value->dwordValue()));
}

// Stores the value in `target`; false, with `target` unchanged, when it cannot be read.
bool readInto(const platform::HiveKey& key, const char* name, int& target) {
    const auto value = readNumber(key, name);
    if (value)
        target = *value;
    return value.has_value();
}

void writeNumber(platform::HiveKey& key, const char* name, int value) {
    key.writeDword(name, static_cast<std::uint32_t>(static_cast<std::int32_t>(value)));
}

std::string programFileStem() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).stem().string();
}

// The mode for a record that keeps at least one of size and position.
PlacementMode modeFor(bool recordSize, bool recordPosition) {
    if (recordSize && recordPosition)
        return PlacementMode::OwnCoordinates;
    return recordSize ? PlacementMode::SystemChoosesPosition : PlacementMode::SystemChoosesSize;
}

TFormInfo record(std::string company, std::string appName, std::string formName, bool recordPosition) {
    TFormInfo info;
    info.Company = std::move(company);
    info.AppName = std::move(appName);
    info.FormName = std::move(formName);
    info.recordPosition = recordPosition;
    return info;
}

} // namespace

void TFormInfo::Loaded(PlacedWindow& window, platform::Hive& hive, ScreenSize primaryScreen) {
    if (AutoLoad)
        Load(window, hive, primaryScreen);
}

void TFormInfo::defaultValues(const PlacedWindow& window) {
    // The program file has no extension here, so its whole stem names the application.
    if (AppName.empty())
        AppName = programFileStem();
    if (FormName.empty())
        FormName = window.componentName();
    if (Company.empty())
        Company = "Tamberlock";
}

std::string TFormInfo::keyPath() const {
    return "Software\\" + Company + "\\" + AppName + "\\" + FormName;
}

void TFormInfo::Load(PlacedWindow& window, platform::Hive& hive, ScreenSize primaryScreen) {
    defaultValues(window);
    const auto key = hive.openKey(keyPath());
    if (!key)
        return;
    if (recordSize || recordPosition)
        window.setPlacementMode(modeFor(recordSize, recordPosition));

    WindowRect rect = window.rect();
    const auto normal = readNumber(*key, "WindowState");
    if (!normal)
        return;
    if (*normal != 0) {
        window.setState(WindowState::Normal);
        if (recordSize && !(readInto(*key, "Width", rect.width) && readInto(*key, "Height", rect.height)))
            return;
        if (recordPosition && !(readInto(*key, "Left", rect.left) && readInto(*key, "Top", rect.top)))
            return;
    } else {
        window.setState(WindowState::Maximized);
    }
    // In 64 bits, so stored values near the limits cannot wrap round into a fit.
    const bool fits =
        static_cast<long long>(primaryScreen.height) >= static_cast<long long>(rect.top) + rect.height &&
        static_cast<long long>(primaryScreen.width) >= static_cast<long long>(rect.left) + rect.width;
    if (fits)
        window.setRect(rect);
}

void TFormInfo::Save(const PlacedWindow& window, platform::Hive& hive) {
    defaultValues(window);
    try {
        auto key = hive.createKey(keyPath());
        const bool normal = window.state() == WindowState::Normal;
        key.writeDword("WindowState", normal ? 1 : 0);
        if (!normal)
            return;
        const WindowRect rect = window.rect();
        writeNumber(key, "Width", rect.width);
        writeNumber(key, "Height", rect.height);
        writeNumber(key, "Left", rect.left);
        writeNumber(key, "Top", rect.top);
    } catch (const std::exception&) {
        // A placement that cannot be stored is not worth a message at the window's end.
    }
}

TFormInfo mainWindowPlacement() {
    return record("Quenby Software", "Larkspire", "main", true);
}

TFormInfo statusWindowPlacement() {
    return record("Quenby Software", "Larkspire", "TstatusForm", true);
}

TFormInfo folderChooserPlacement() {
    return record("Tamberlock", "Pellingham", "chooseFolder", true);
}

TFormInfo languageChooserPlacement() {
    return record("Tamberlock", std::string(kProductName), "langForm", false);
}

TFormInfo updateWindowPlacement() {
    return record("Tamberlock", std::string(kProductName), "Update", false);
}

} // namespace services
