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

} // namespace

Hive::FileIdentity Hive::identityOf(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size,
            info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec};
}

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
        std::filesystem::create_directories(m_file.parent_path());
        const FileLock lock(withSuffix(m_file, ".lock"));
        // Re-read under the lock: another copy of the program may have written since we last looked.
        const Snapshot snapshot = readFile();
        HiveParseResult parsed = parseHiveText(snapshot.text);
        noteDamage(snapshot, parsed.problem);
        if (change(parsed.document)) {
            // The damaged original is kept before anything replaces it.
            if (parsed.problem)
                keepDamagedCopy(snapshot.text);
            writeFileDurably(m_file, formatHiveText(parsed.document));
            struct stat info {};
            if (::stat(m_file.c_str(), &info) == 0) {
                m_cachedIdentity = identityOf(info);
                m_document = std::move(parsed.document);
                m_cacheValid = true;
            } else {
                m_cacheValid = false;
            }
        } else {
            m_cachedIdentity = snapshot.identity;
            m_document = std::move(parsed.document);
            m_cacheValid = true;
        }
    }
    deliverReport();
}

void Hive::refreshLocked() {
    struct stat info {};
    if (::stat(m_file.c_str(), &info) == 0 && m_cacheValid && m_cachedIdentity &&
        *m_cachedIdentity == identityOf(info))
        return;
    try {
        const Snapshot snapshot = readFile();
        HiveParseResult parsed = parseHiveText(snapshot.text);
        noteDamage(snapshot, parsed.problem);
        m_document = std::move(parsed.document);
        m_cachedIdentity = snapshot.identity;
        m_cacheValid = true;
        m_reportedUnreadable = false;
    } catch (const std::system_error& error) {
        // Unreadable: reads give their defaults, and writes fail in readFile rather than replace
        // a file whose contents we never saw.
        m_document = {};
        m_cacheValid = false;
        if (!m_reportedUnreadable)
            m_pendingReport = HiveDamage{m_file, 0, error.what()};
        m_reportedUnreadable = true;
    }
}

Hive::Snapshot Hive::readFile() const {
    Snapshot snapshot;
    const FileDescriptor fd(::open(m_file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            return snapshot;
        throwFileError(errno, "Cannot open", m_file);
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        throwFileError(errno, "Cannot read", m_file);
    if (!S_ISREG(info.st_mode))
        throwFileError(EINVAL, "Not a regular file:", m_file);
    snapshot.identity = identityOf(info);
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
        snapshot.text.append(buffer, static_cast<std::size_t>(got));
    }
    return snapshot;
}

void Hive::noteDamage(const Snapshot& snapshot, const std::optional<HiveTextProblem>& problem) {
    if (!problem || m_reportedIdentity == snapshot.identity)
        return;
    m_reportedIdentity = snapshot.identity;
    std::string reason = problem->reason;
    if (problem->badLines > 1)
        reason += " (" + std::to_string(problem->badLines) + " unreadable lines in all)";
    m_pendingReport = HiveDamage{m_file, problem->line, std::move(reason)};
}

void Hive::keepDamagedCopy(const std::string& text) const {
    for (int number = 1;; ++number) {
        const auto copy = withSuffix(m_file, number == 1 ? ".damaged" : ".damaged-" + std::to_string(number));
        if (!std::filesystem::exists(copy)) {
            writeFileDurably(copy, text);
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
