#include "settings/SettingNames.h"

#include <array>
#include <stdexcept>
#include <string_view>

namespace settings {

namespace {

// Registry key paths use "\" between keys, as the hive file does.
constexpr std::string_view kProductKey = "SOFTWARE\\Tamberlock\\Larkspire";

// Empty entries are the numbers that have no name.
constexpr std::array<std::string_view, 42> kNames = {
    kProductKey,
    "Weftmark filter",
    "Save folder",
    "First number",
    "Number format",
    "Include subject",
    "Start tag",
    "End tag",
    "Include attachments",
    "msgDestination",
    "",
    "",
    "",
    "",
    "email header",
    "email footer",
    "move messages",
    "get from default folder",
    "from folder name",
    "from folder entry id",
    "reprocess emails",
    "", // the recent-files key, made from the product key
    "sort order",
    "sort descending",
    "tag text",
    "extensions",
    "extension actions",
    "language",
    "from.cb",
    "from.pentry",
    "to.cb",
    "to.pentry",
    "show tips",
    "current tip",
    "manual folder",
    "manual format",
    "from_store_cb",
    "from_store_entry",
    "to_store_cb",
    "to_store_entry",
    "readStatus",
    "wordmacro",
};

} // namespace

std::string valueName(int number) {
    if (number == static_cast<int>(ValueName::RecentFiles)) {
        return std::string(kProductKey) + "\\Recent files";
    }
    if (number < 0 || number >= static_cast<int>(kNames.size()) ||
        kNames[static_cast<std::size_t>(number)].empty()) {
        throw std::out_of_range("Invalid str(" + std::to_string(number) + ")");
    }
    return std::string(kNames[static_cast<std::size_t>(number)]);
}

std::string valueName(ValueName name) {
    return valueName(static_cast<int>(name));
}

} // namespace settings
