#include "ui/SettingEdit.h"

#include "platform/Locale.h"
#include "settings/SettingNames.h"

#include <charconv>
#include <cstdint>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

namespace ui {

namespace {

using settings::ValueName;

[[noreturn]] void badValue(const std::string& name, const std::string& value, const std::string& expected) {
    throw CommandLineError("Invalid value for setting \"" + name + "\": \"" + value + "\" (expected " +
                           expected + ")");
}

std::int64_t integerIn(const std::string& name, const std::string& value, std::int64_t low,
                       std::int64_t high) {
    std::int64_t number = 0;
    const char* end = value.data() + value.size();
    const auto [rest, error] = std::from_chars(value.data(), end, number);
    if (value.empty() || error != std::errc() || rest != end || number < low || number > high)
        badValue(name, value, "a whole number from " + std::to_string(low) + " to " + std::to_string(high));
    return number;
}

bool boolean(const std::string& name, const std::string& value) {
    const std::string u = platform::upperCaseUtf8(value);
    if (u == "1" || u == "TRUE")
        return true;
    if (u == "0" || u == "FALSE")
        return false;
    badValue(name, value, "0, 1, false or true");
}

struct Edit {
    std::string name;
    std::function<void(MainWindow&, const std::string& name, const std::string& value)> apply;
};

const std::vector<Edit>& edits() {
    static const std::vector<Edit> table{
        {settings::valueName(ValueName::SaveFolder),
         [](MainWindow& w, const std::string&, const std::string& v) {
             w.controls().setDirectory(v);
             w.changeOccured();
         }},
        {settings::valueName(ValueName::FirstNumber),
         [](MainWindow& w, const std::string& n, const std::string& v) {
             // The spin edit's range.
             w.controls().setFirstNumber(
                 static_cast<std::int32_t>(integerIn(n, v, 0, std::numeric_limits<std::int32_t>::max())));
             w.FileNameFormatChange();
         }},
        {settings::valueName(ValueName::NumberFormat),
         [](MainWindow& w, const std::string&, const std::string& v) {
             w.controls().setFileNameFormat(v);
             w.FileNameFormatChange();
         }},
        {settings::valueName(ValueName::GetFromDefaultFolder),
         [](MainWindow& w, const std::string& n, const std::string& v) {
             w.controls().setEmailsFrom(boolean(n, v) ? DefaultInboxItem : FolderItem);
             w.emailsFrom1Click();
         }},
        {settings::valueName(ValueName::MoveMessages),
         [](MainWindow& w, const std::string& n, const std::string& v) {
             w.controls().setEmailsTo(static_cast<int>(integerIn(n, v, LeaveItem, TagItem)));
             w.emailsToClick();
         }},
        {settings::valueName(ValueName::MsgDestination),
         [](MainWindow& w, const std::string&, const std::string& v) {
             w.controls().setMessageDestination(v);
             w.setModified(true);
         }},
        {settings::valueName(ValueName::SortOrder),
         [](MainWindow& w, const std::string& n, const std::string& v) {
             w.controls().setSortOrder(static_cast<int>(integerIn(n, v, 0, 4)));
             w.changeOccured();
         }},
        {settings::valueName(ValueName::SortDescending),
         [](MainWindow& w, const std::string& n, const std::string& v) {
             w.controls().setDescending(boolean(n, v));
             w.changeOccured();
         }},
        {settings::valueName(ValueName::ReadStatus),
         [](MainWindow& w, const std::string& n, const std::string& v) {
             w.controls().setReadStatus(boolean(n, v));
             w.changeOccured();
         }},
        {settings::valueName(ValueName::TagText),
         [](MainWindow& w, const std::string&, const std::string& v) {
             w.controls().setTagText(v);
             w.changeOccured();
         }},
        {"Profile",
         [](MainWindow& w, const std::string& n, const std::string& v) {
             w.controls().setProfile(static_cast<int>(integerIn(n, v, 0, 2)));
             w.ProfileClick();
         }},
        {"profileName",
         [](MainWindow& w, const std::string&, const std::string& v) {
             w.controls().setProfileName(v);
             w.profileNameChange();
         }},
    };
    return table;
}

} // namespace

void editSetting(MainWindow& window, const std::string& name, const std::string& value) {
    const std::string wanted = platform::upperCaseUtf8(name);
    for (const Edit& edit : edits()) {
        if (platform::upperCaseUtf8(edit.name) == wanted) {
            edit.apply(window, edit.name, value);
            return;
        }
    }
    throw CommandLineError("Unknown setting \"" + name + "\"");
}

} // namespace ui
