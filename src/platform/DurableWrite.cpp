#include "platform/DurableWrite.h"

#include "platform/StepCounter.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

std::string randomSuffix() {
    static std::mt19937_64 generator{std::random_device{}()};
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (int i = 0; i < 10; ++i)
        suffix += digits[generator() % 36];
    return suffix;
}

std::filesystem::path folderOf(const std::filesystem::path& path) {
    auto folder = path.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

std::system_error fileError(int error, const std::string& what, const std::filesystem::path& path) {
    return std::system_error(error, std::generic_category(), what + " '" + path.string() + "'");
}

// Opens a new temporary file in `folder` for `target`. O_EXCL on a fresh name: a file or link
// planted under the final name is replaced by the rename, never written through.
int createTemporary(const std::filesystem::path& folder, const std::filesystem::path& target,
                    std::filesystem::path& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder / ("." + target.filename().string().substr(0, 200) + ".tmp-" + randomSuffix());
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST)
            throwFileError(errno, "Cannot create", target);
    }
    throwFileError(EEXIST, "Cannot create", target);
}

// An unnamed file in `folder`, or -1 where the system cannot make one, cannot name it later
// (no /proc) or the batch would hold too many descriptors; the caller then uses a temporary name.
int createUnnamed(const std::filesystem::path& folder) {
    static const rlim_t descriptorBound = [] {
        rlimit limit{};
        if (::access("/proc/self/fd", X_OK) != 0 || ::getrlimit(RLIMIT_NOFILE, &limit) != 0)
            return rlim_t{0};
        return std::min<rlim_t>(limit.rlim_cur / 2, 4096);
    }();
    if (descriptorBound == 0)
        return -1;
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    if (fd >= 0 && static_cast<rlim_t>(fd) >= descriptorBound) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Gives a staged unnamed file its target name: a link where the name is free, else a link under
// a temporary name renamed over the file there, which stays until the new one replaces it.
bool nameUnnamed(StagedFile& staged) {
    const std::string self = "/proc/self/fd/" + std::to_string(staged.descriptor);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, staged.target.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != EEXIST)
        return false;
    for (int attempt = 0;; ++attempt) {
        staged.temporary = folderOf(staged.target) / ("." + staged.target.filename().string().substr(0, 200) +
                                                      ".tmp-" + randomSuffix());
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, staged.temporary.c_str(), AT_SYMLINK_FOLLOW) == 0)
            break;
        const int error = errno;
        staged.temporary.clear();
        if (error != EEXIST || attempt == 99) {
            errno = error;
            return false;
        }
    }
    return ::rename(staged.temporary.c_str(), staged.target.c_str()) == 0;
}

void writeAll(int fd, std::string_view data, const std::filesystem::path& target) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throwFileError(errno, "Cannot write", target);
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Writes `parts` one after another with as few system calls as the kernel allows.
void writeParts(int fd, std::initializer_list<std::string_view> parts, const std::filesystem::path& target) {
    std::vector<iovec> pending;
    for (const std::string_view part : parts)
        if (!part.empty())
            pending.push_back({const_cast<char*>(part.data()), part.size()});
    std::size_t first = 0;
    while (first < pending.size()) {
        const auto count = static_cast<int>(std::min<std::size_t>(pending.size() - first, IOV_MAX));
        const ssize_t written = ::writev(fd, pending.data() + first, count);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throwFileError(errno, "Cannot write", target);
        }
        auto left = static_cast<std::size_t>(written);
        while (first < pending.size() && left >= pending[first].iov_len)
            left -= pending[first++].iov_len;
        if (left > 0) {
            pending[first].iov_base = static_cast<char*>(pending[first].iov_base) + left;
            pending[first].iov_len -= left;
        }
    }
}

// One syncfs for each file system that holds one of `folders`; false when a folder cannot be
// opened or a syncfs reports an error.
bool syncFileSystems(const std::vector<std::filesystem::path>& folders) {
    std::vector<dev_t> synced;
    for (const auto& folder : folders) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return false;
        struct stat info {};
        bool ok = ::fstat(fd, &info) == 0;
        if (ok && std::find(synced.begin(), synced.end(), info.st_dev) == synced.end()) {
            ok = ::syncfs(fd) == 0;
            synced.push_back(info.st_dev);
        }
        ::close(fd);
        if (!ok)
            return false;
    }
    return true;
}

void addOnce(std::vector<std::filesystem::path>& folders, const std::filesystem::path& folder) {
    if (std::find(folders.begin(), folders.end(), folder) == folders.end())
        folders.push_back(folder);
}

// How many leading files of `files` have their data on disk: one syncfs for each file system of
// their folders, else each file's own fsync (syncfs also reports write-back errors of other files
// on the file system, and only a file's own fsync tells which of ours are on disk).
std::size_t syncData(const std::vector<StagedFile>& files, std::exception_ptr& failure) {
    if (files.empty())
        return 0;
    durableStep();
    std::vector<std::filesystem::path> folders;
    for (const StagedFile& file : files)
        addOnce(folders, folderOf(file.temporary.empty() ? file.target : file.temporary));
    if (syncFileSystems(folders))
        return files.size();
    for (std::size_t i = 0; i < files.size(); ++i) {
        durableStep();
        const bool unnamed = files[i].descriptor >= 0;
        const int fd = unnamed ? files[i].descriptor
                               : ::open(files[i].temporary.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        const bool ok = fd >= 0 && ::fsync(fd) == 0;
        const int error = errno;
        if (fd >= 0 && !unnamed)
            ::close(fd);
        if (!ok) {
            failure = std::make_exception_ptr(fileError(error, "Cannot write", files[i].target));
            return i;
        }
    }
    return files.size();
}

// Syncs every folder with `sync`, keeping the first failure.
void syncEach(const std::vector<std::filesystem::path>& folders, void (*sync)(const std::filesystem::path&),
              std::exception_ptr& failure) {
    for (const auto& folder : folders) {
        try {
            sync(folder);
        } catch (const std::system_error&) {
            if (!failure)
                failure = std::current_exception();
        }
    }
}

// The batch open on this thread, if any.
thread_local ChangeBatch* t_changes = nullptr;

} // namespace

void throwFileError(int error, const std::string& what, const std::filesystem::path& path) {
    throw fileError(error, what, path);
}

DurableFileWriter::DurableFileWriter(std::filesystem::path target) : m_target(std::move(target)) {
    create(folderOf(m_target));
}

DurableFileWriter::DurableFileWriter(std::filesystem::path target,
                                     const std::filesystem::path& temporaryFolder)
    : m_target(std::move(target)) {
    create(temporaryFolder);
}

void DurableFileWriter::create(const std::filesystem::path& folder) {
    durableStep();
    m_fd = createTemporary(folder, m_target, m_temporary);
}

DurableFileWriter::~DurableFileWriter() {
    if (!m_committed)
        discard();
}

void DurableFileWriter::discard() noexcept {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    ::unlink(m_temporary.c_str());
}

void DurableFileWriter::write(std::string_view data) {
    durableStep();
    writeAll(m_fd, data, m_target);
}

void DurableFileWriter::setModificationTime(std::int64_t seconds, std::int64_t nanoseconds) {
    m_setTime = true;
    m_seconds = seconds;
    m_nanoseconds = nanoseconds;
}

void DurableFileWriter::commit() {
    finish(t_changes != nullptr);
}

void DurableFileWriter::commitNow() {
    finish(false);
}

void DurableFileWriter::finish(bool gathered) {
    if (m_setTime) {
        durableStep();
        const timespec times[2] = {{0, UTIME_OMIT},
                                   {static_cast<time_t>(m_seconds), static_cast<long>(m_nanoseconds)}};
        if (::futimens(m_fd, times) != 0)
            throwFileError(errno, "Cannot write", m_target);
    }
    if (gathered) {
        // The batch's flush syncs the data before it renames the file.
        const int fd = std::exchange(m_fd, -1);
        if (::close(fd) != 0)
            throwFileError(errno, "Cannot write", m_target);
        t_changes->m_replacements.push_back({m_target, m_temporary});
        m_committed = true;
        return;
    }
    // Data must be on disk before the name points at it, or a power cut leaves an empty file.
    durableStep();
    if (::fsync(m_fd) != 0)
        throwFileError(errno, "Cannot write", m_target);
    const int fd = m_fd;
    m_fd = -1;
    // close() is checked: some file systems report quota errors only here.
    if (::close(fd) != 0)
        throwFileError(errno, "Cannot write", m_target);
    durableStep();
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        throwFileError(errno, "Cannot replace", m_target);
    m_committed = true;
    syncDirectoryNow(folderOf(m_target));
    if (folderOf(m_temporary) != folderOf(m_target))
        syncDirectoryNow(folderOf(m_temporary));
}

DurableBatch::~DurableBatch() {
    removeTemporaries(0);
    closeUnnamed();
}

void DurableBatch::stage(const std::filesystem::path& target, std::initializer_list<std::string_view> parts,
                         const std::optional<std::timespec>& fileTime) {
    durableStep();
    m_staged.push_back({target, {}});
    StagedFile& staged = m_staged.back();
    int fd = -1;
    try {
        fd = createUnnamed(folderOf(target));
        if (fd < 0)
            fd = createTemporary(folderOf(target), target, staged.temporary);
        durableStep();
        writeParts(fd, parts, target);
        if (fileTime) {
            const std::timespec times[2] = {*fileTime, *fileTime};
            ::futimens(fd, times);
        }
        if (staged.temporary.empty())
            staged.descriptor = std::exchange(fd, -1); // open until it is named
        // close() is checked: some file systems report quota errors only here.
        else if (::close(std::exchange(fd, -1)) != 0)
            throwFileError(errno, "Cannot write", target);
        for (const std::string_view part : parts)
            m_bytes += part.size();
    } catch (...) {
        if (fd >= 0)
            ::close(fd);
        if (staged.descriptor >= 0)
            ::close(staged.descriptor);
        if (!staged.temporary.empty())
            ::unlink(staged.temporary.c_str());
        m_staged.pop_back();
        throw;
    }
}

void DurableBatch::sync() noexcept {
    m_syncFailure = nullptr;
    try {
        m_synced = syncData(m_staged, m_syncFailure);
    } catch (...) {
        m_syncFailure = std::current_exception();
        m_synced = 0;
    }
}

void DurableBatch::discard() noexcept {
    removeTemporaries(0);
    closeUnnamed();
    m_staged.clear();
    m_bytes = 0;
    m_synced.reset();
    m_syncFailure = nullptr;
}

void DurableBatch::commit() {
    m_committed = 0;
    if (!m_synced)
        sync();
    std::exception_ptr failure = std::exchange(m_syncFailure, nullptr);
    const std::size_t durable = *std::exchange(m_synced, std::nullopt);
    // Names point at data only once it is on disk, or a power cut leaves empty files.
    std::size_t renamed = 0;
    for (; renamed < durable; ++renamed) {
        StagedFile& staged = m_staged[renamed];
        durableStep();
        if (staged.descriptor >= 0 ? !nameUnnamed(staged)
                                   : ::rename(staged.temporary.c_str(), staged.target.c_str()) != 0) {
            failure = std::make_exception_ptr(fileError(errno, "Cannot replace", staged.target));
            break;
        }
    }
    removeTemporaries(renamed);
    closeUnnamed();
    // Each folder once, in the order its first file came: a folder that cannot be synced leaves
    // its first file and every later one not known to be durable.
    std::size_t known = renamed;
    std::vector<std::filesystem::path> synced;
    for (std::size_t i = 0; i < renamed; ++i) {
        const std::filesystem::path folder = folderOf(m_staged[i].target);
        if (std::find(synced.begin(), synced.end(), folder) != synced.end())
            continue;
        try {
            syncDirectoryNow(folder);
        } catch (const std::system_error&) {
            failure = std::current_exception();
            known = i;
            break;
        }
        synced.push_back(folder);
    }
    m_committed = known;
    m_staged.clear();
    m_bytes = 0;
    if (failure)
        std::rethrow_exception(failure);
}

void DurableBatch::removeTemporaries(std::size_t from) noexcept {
    for (std::size_t i = from; i < m_staged.size(); ++i)
        if (!m_staged[i].temporary.empty())
            ::unlink(m_staged[i].temporary.c_str());
}

// An unnamed file that was never named vanishes with its descriptor.
void DurableBatch::closeUnnamed() noexcept {
    for (StagedFile& staged : m_staged)
        if (staged.descriptor >= 0)
            ::close(std::exchange(staged.descriptor, -1));
}

void removeDurably(const std::vector<std::filesystem::path>& paths) {
    std::exception_ptr failure;
    std::vector<std::filesystem::path> folders;
    for (const auto& path : paths) {
        durableStep();
        if (::unlink(path.c_str()) != 0) {
            if (!failure)
                failure = std::make_exception_ptr(fileError(errno, "Cannot remove", path));
            continue;
        }
        addOnce(folders, folderOf(path));
    }
    syncEach(folders, syncDirectory, failure);
    if (failure)
        std::rethrow_exception(failure);
}

void writeFileDurably(const std::filesystem::path& target, std::string_view data) {
    DurableFileWriter writer(target);
    writer.write(data);
    writer.commit();
}

void renameDurably(const std::filesystem::path& from, const std::filesystem::path& to) {
    durableStep();
    if (::rename(from.c_str(), to.c_str()) != 0)
        throwFileError(errno, "Cannot rename '" + from.string() + "' to", to);
    syncDirectory(folderOf(to));
    if (folderOf(from) != folderOf(to))
        syncDirectory(folderOf(from));
}

void removeDurably(const std::filesystem::path& path) {
    durableStep();
    if (::unlink(path.c_str()) != 0)
        throwFileError(errno, "Cannot remove", path);
    syncDirectory(folderOf(path));
}

ChangeBatch::ChangeBatch() : m_outer(t_changes) {
    t_changes = this;
}

ChangeBatch::~ChangeBatch() {
    t_changes = m_outer;
    try {
        flush();
    } catch (const std::system_error&) {
    }
}

void ChangeBatch::flush() {
    std::exception_ptr failure;
    const std::size_t synced = syncData(m_replacements, failure);
    const std::vector<StagedFile> replacements = std::exchange(m_replacements, {});
    std::size_t renamed = 0;
    for (; renamed < synced; ++renamed) {
        const StagedFile& replacement = replacements[renamed];
        durableStep();
        if (::rename(replacement.temporary.c_str(), replacement.target.c_str()) != 0) {
            if (!failure)
                failure = std::make_exception_ptr(fileError(errno, "Cannot replace", replacement.target));
            break;
        }
        addOnce(m_folders, folderOf(replacement.target));
        addOnce(m_folders, folderOf(replacement.temporary));
    }
    for (std::size_t i = renamed; i < replacements.size(); ++i)
        ::unlink(replacements[i].temporary.c_str());
    syncEach(std::exchange(m_folders, {}), syncDirectoryNow, failure);
    if (failure)
        std::rethrow_exception(failure);
}

void syncDirectory(const std::filesystem::path& folder) {
    if (t_changes)
        addOnce(t_changes->m_folders, folder);
    else
        syncDirectoryNow(folder);
}

void syncDirectoryNow(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throwFileError(errno, "Cannot open folder", folder);
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (result != 0)
        throwFileError(error, "Cannot sync folder", folder);
}

} // namespace platform
