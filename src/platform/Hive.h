#pragma once
// The current user's registry hive, kept in one REGEDIT4 text file. Every change is one locked
// read-modify-write: flock on a lock file beside the hive, re-read the file, apply the change,
// write a new file durably and rename it over the old one. So two running copies never lose each
// other's values and a crash leaves the old or the new file, never a mixture. Reads see the file as
// it is on disk (it is re-parsed whenever it changed). A damaged file is reported once through the
// caller's sink and read as far as it is valid; the first change after that keeps a copy of the
// damaged file beside it before writing what could be read.

#include "platform/HiveText.h"
#include "platform/HiveValue.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct HiveDamage {
    std::filesystem::path file;
    int line = 0; // first bad line, 0 when the file could not be read at all
    std::string reason;

    // "<file>: line <n>: <reason>", for a message to the user.
    std::string describe() const;
};

using HiveDamageSink = std::function<void(const HiveDamage&)>;

class Hive;

// An open key of the hive; a cheap handle that refers to the hive it came from, which must outlive
// it. Destroying the handle closes the key. Writes throw std::system_error when the file cannot be
// written; the value is then not stored.
class HiveKey {
public:
    // The key's path below HKEY_CURRENT_USER.
    const std::string& path() const { return m_path; }

    std::optional<HiveValue> queryValue(std::string_view name) const;
    // The text of a String or ExpandString value; `fallback` when missing or of another type.
    std::string readString(std::string_view name, std::string_view fallback) const;
    // The number of a Dword value; `fallback` when missing or of another type.
    std::uint32_t readDword(std::string_view name, std::uint32_t fallback) const;
    std::vector<std::string> valueNames() const;

    void setValue(std::string_view name, const HiveValue& value);
    void writeString(std::string_view name, std::string text) {
        setValue(name, HiveValue::string(std::move(text)));
    }
    void writeDword(std::string_view name, std::uint32_t value) { setValue(name, HiveValue::dword(value)); }
    void writeBinary(std::string_view name, std::string bytes) {
        setValue(name, HiveValue::binary(std::move(bytes)));
    }
    // False when there was no such value.
    bool deleteValue(std::string_view name);

private:
    friend class Hive;
    HiveKey(Hive& hive, std::string path) : m_hive(&hive), m_path(std::move(path)) {}

    Hive* m_hive;
    std::string m_path;
};

class Hive {
public:
    // `file` is the hive file (see defaultHivePath); `onDamage` hears of a damaged or unreadable file.
    explicit Hive(std::filesystem::path file, HiveDamageSink onDamage = {});
    Hive(const Hive&) = delete;
    Hive& operator=(const Hive&) = delete;

    const std::filesystem::path& file() const { return m_file; }

    // Opens an existing key (path below HKEY_CURRENT_USER, e.g. "SOFTWARE\Tamberlock\Larkspire").
    std::optional<HiveKey> openKey(std::string_view path);
    // Opens a key, creating it in the file when missing. Throws std::system_error when the file
    // cannot be written, std::invalid_argument for a path the file cannot hold.
    HiveKey createKey(std::string_view path);

private:
    friend class HiveKey;

    // The file's bytes; no value when the file does not exist.
    using Contents = std::optional<std::string>;

    std::optional<HiveValue> query(const std::string& key, std::string_view name);
    std::vector<std::string> names(const std::string& key);
    // Runs `change` on the freshly read document under the file lock and writes the result.
    // `change` returns false when it changed nothing, so nothing is written.
    void modify(const std::function<bool(HiveDocument&)>& change);

    void refreshLocked();
    Contents readFile() const;
    // Parses `contents` and notes a damage report when they differ from the last damaged contents.
    HiveParseResult parse(const Contents& contents);
    void keepDamagedCopy(const std::string& text) const;
    void deliverReport();

    std::filesystem::path m_file;
    HiveDamageSink m_onDamage;
    std::mutex m_mutex;
    // Reads compare the file's bytes with these and parse only when they changed: file times
    // and inode numbers can repeat within one clock tick.
    std::optional<Contents> m_cachedContents;
    HiveDocument m_document;
    Contents m_reportedContents;
    bool m_reportedUnreadable = false;
    std::optional<HiveDamage> m_pendingReport;
};

// $XDG_CONFIG_HOME/larkspire/registry.reg, with XDG_CONFIG_HOME defaulting to ~/.config.
std::filesystem::path defaultHivePath();

} // namespace platform
