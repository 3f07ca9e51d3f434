#include "platform/Hive.h"

#include "platform/DurableWrite.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace platform {
namespace {

constexpr std::string_view kRootKey = "HKEY_CURRENT_USER\\";

std::string fullKeyPath(std::string_view path) {
    return std::string(kRootKey) + std::string(path);
}

// An exclusive flock on the lock file, held for one read-modify-write. The lock file itself is
// never removed: removing it would let a second copy lock a new file while the first holds the old.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& path) {
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0)
            throwFileError(errno, "Cannot open lock file", path);
        while (::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                const int error = errno;
                ::close(m_fd);
                throwFileError(error, "Cannot lock", path);
            }
        }
    }
    ~FileLock() { ::close(m_fd); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int m_fd = -1;
};

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

std::filesystem::path withSuffix(const std::filesystem::path& file, const std::string& suffix) {
    std::filesystem::path result = file;
    result += suffix;
    return result;
}

// The hive is the user's own, like the registry's current-user hive: only the user may read it.
void writePrivateFile(const std::filesystem::path& target, std::string_view text) {
    DurableFileWriter writer(target);
    if (::chmod(writer.temporaryPath().c_str(), 0600) != 0)
        throwFileError(errno, "Cannot write", target);
    writer.write(text);
    writer.commit();
}

} // namespace

std::string HiveDamage::describe() const {
    if (line == 0)
        return file.string() + ": " + reason;
    return file.string() + ": line " + std::to_string(line) + ": " + reason;
}

std::optional<HiveValue> HiveKey::queryValue(std::string_view name) const {
    return m_hive->query(m_path, name);
}

std::string HiveKey::readString(std::string_view name, std::string_view fallback) const {
    const auto value = queryValue(name);
    return value && value->isText() ? value->data : std::string(fallback);
}

std::uint32_t HiveKey::readDword(std::string_view name, std::uint32_t fallback) const {
    const auto value = queryValue(name);
    return value && value->type == HiveType::Dword ? value->dwordValue() : fallback;
}

std::vector<std::string> HiveKey::valueNames() const {
    return m_hive->names(m_path);
}

void HiveKey::setValue(std::string_view name, const HiveValue& value) {
    const std::string key = fullKeyPath(m_path);
    m_hive->modify([&](HiveDocument& document) {
        HiveKeyData& data = document.findOrAdd(key);
        const HiveValue* stored = data.find(name);
        if (stored && *stored == value)
            return false;
        data.set(name, value);
        return true;
    });
}

bool HiveKey::deleteValue(std::string_view name) {
    const std::string key = fullKeyPath(m_path);
    bool deleted = false;
    m_hive->modify([&](HiveDocument& document) {
        HiveKeyData* data = document.find(key);
        deleted = data && data->erase(name);
        return deleted;
    });
    return deleted;
}

Hive::Hive(std::filesystem::path file, HiveDamageSink onDamage)
    : m_file(std::move(file)), m_onDamage(std::move(onDamage)) {}

std::optional<HiveKey> Hive::openKey(std::string_view path) {
    if (!isValidHiveKeyPath(path))
        return std::nullopt;
    bool exists = false;
    {
        std::lock_guard guard(m_mutex);
        refreshLocked();
        exists = m_document.exists(fullKeyPath(path));
    }
    deliverReport();
    if (!exists)
        return std::nullopt;
    return HiveKey(*this, std::string(path));
}

HiveKey Hive::createKey(std::string_view path) {
    if (!isValidHiveKeyPath(path))
        throw std::invalid_argument("Invalid registry key path '" + std::string(path) + "'");
    if (auto key = openKey(path))
        return *key;
    const std::string key = fullKeyPath(path);
    modify([&](HiveDocument& document) {
        if (document.exists(key))
            return false;
        document.findOrAdd(key);
        return true;
    });
    return HiveKey(*this, std::string(path));
}

std::optional<HiveValue> Hive::query(const std::string& key, std::string_view name) {
    std::optional<HiveValue> result;
    {
        std::lock_guard guard(m_mutex);
        refreshLocked();
        if (const HiveKeyData* data = m_document.find(fullKeyPath(key)))
            if (const HiveValue* value = data->find(name))
                result = *value;
    }
    deliverReport();
    return result;
}

std::vector<std::string> Hive::names(const std::string& key) {
    std::vector<std::string> result;
    {
        std::lock_guard guard(m_mutex);
        refreshLocked();
        if (const HiveKeyData* data = m_document.find(fullKeyPath(key)))
            for (const auto& entry : data->values)
                result.push_back(entry.first);
    }
    deliverReport();
    return result;
}

void Hive::modify(const std::function<bool(HiveDocument&)>& change) {
    {
        std::lock_guard guard(m_mutex);
        if (!m_file.parent_path().empty())
            std::filesystem::create_directories(m_file.parent_path());
        const FileLock lock(withSuffix(m_file, ".lock"));
        // Re-read under the lock: another copy of the program may have written since we last looked.
        const Contents contents = readFile();
        HiveParseResult parsed = parse(contents);
        if (change(parsed.document)) {
            // The damaged original is kept before anything replaces it.
            if (parsed.problem)
                keepDamagedCopy(*contents);
            std::string text = formatHiveText(parsed.document);
            writePrivateFile(m_file, text);
            m_cachedContents = Contents(std::move(text));
        } else {
            m_cachedContents = contents;
        }
        m_document = std::move(parsed.document);
    }
    deliverReport();
}

void Hive::refreshLocked() {
    try {
        Contents contents = readFile();
        m_reportedUnreadable = false;
        if (m_cachedContents && *m_cachedContents == contents)
            return;
        m_document = parse(contents).document;
        m_cachedContents = std::move(contents);
    } catch (const std::system_error& error) {
        // Unreadable: reads give their defaults, and writes fail in readFile rather than replace
        // a file whose contents we never saw.
        m_document = {};
        m_cachedContents.reset();
        if (!m_reportedUnreadable)
            m_pendingReport = HiveDamage{m_file, 0, error.what()};
        m_reportedUnreadable = true;
    }
}

Hive::Contents Hive::readFile() const {
    const FileDescriptor fd(::open(m_file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throwFileError(errno, "Cannot open", m_file);
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        throwFileError(errno, "Cannot read", m_file);
    if (!S_ISREG(info.st_mode))
        throwFileError(EINVAL, "Not a regular file:", m_file);
    std::string text;
    char buffer[65536];
    while (true) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throwFileError(errno, "Cannot read", m_file);
        }
        if (got == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

HiveParseResult Hive::parse(const Contents& contents) {
    HiveParseResult parsed = parseHiveText(contents ? *contents : std::string());
    if (!parsed.problem || m_reportedContents == contents)
        return parsed;
    m_reportedContents = contents;
    std::string reason = parsed.problem->reason;
    if (parsed.problem->badLines > 1)
        reason += " (" + std::to_string(parsed.problem->badLines) + " unreadable lines in all)";
    m_pendingReport = HiveDamage{m_file, parsed.problem->line, std::move(reason)};
    return parsed;
}

void Hive::keepDamagedCopy(const std::string& text) const {
    for (int number = 1;; ++number) {
        const auto copy = withSuffix(m_file, number == 1 ? ".damaged" : ".damaged-" + std::to_string(number));
        if (!std::filesystem::exists(copy)) {
            writePrivateFile(copy, text);
            return;
        }
    }
}

void Hive::deliverReport() {
    std::optional<HiveDamage> report;
    {
        std::lock_guard guard(m_mutex);
        report.swap(m_pendingReport);
    }
    // Outside the mutex, so the sink may use the hive.
    if (report && m_onDamage)
        m_onDamage(*report);
}

std::filesystem::path defaultHivePath() {
    std::filesystem::path config;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') {
        config = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* entry = ::getpwuid(::getuid());
            home = entry ? entry->pw_dir : "/";
        }
        config = std::filesystem::path(home) / ".config";
    }
    return config / "larkspire" / "registry.reg";
}

} // namespace platform
