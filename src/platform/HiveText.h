#pragma once
// The hive file's contents in memory and their REGEDIT4 text form. Parsing is lenient: a line that
// cannot be read is skipped and remembered as damage, so one bad line never costs the rest of the
// file. Key and value names compare without regard to ASCII letter case, as in the registry; the
// spelling first stored is kept.

#include "platform/HiveValue.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// True when two key or value names are the same name to the registry.
bool hiveNamesEqual(std::string_view a, std::string_view b);

struct HiveKeyData {
    std::string path; // full path, starting with the root key, e.g. "HKEY_CURRENT_USER\Software"
    std::vector<std::pair<std::string, HiveValue>> values; // in file order

    const HiveValue* find(std::string_view name) const;
    void set(std::string_view name, HiveValue value);
    bool erase(std::string_view name);
};

struct HiveDocument {
    std::vector<HiveKeyData> keys; // in file order

    HiveKeyData* find(std::string_view path);
    const HiveKeyData* find(std::string_view path) const;
    // A key exists when it has a section of its own or a sub-key has one.
    bool exists(std::string_view path) const;
    HiveKeyData& findOrAdd(std::string_view path);
};

struct HiveTextProblem {
    int line = 0; // 1-based line number of the first bad line
    std::string reason;
    int badLines = 0;
};

struct HiveParseResult {
    HiveDocument document;
    std::optional<HiveTextProblem> problem; // set when any line could not be read
};

HiveParseResult parseHiveText(std::string_view text);
std::string formatHiveText(const HiveDocument& document);

// A key path as the file can hold it: non-empty names separated by single backslashes, no control
// characters.
bool isValidHiveKeyPath(std::string_view path);

} // namespace platform
