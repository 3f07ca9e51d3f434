// larkspire-copyfloor: the I/O floor of an export. It lists a Maildir (cur/ and new/), reads each
// message's header block for its Date:, sorts by that date, and copies every message file unchanged
// to a numbered file, mail00001.txt on. No export can do less work than this: it reads the same
// headers, sorts the same list, and reads and writes at least as many bytes.
// --durable writes every file through the program's durable writer (temporary file, fsync,
// rename, fsync of the folder), to show what crash safety costs on this file system; --batched
// shows a cheaper crash-safe order: every file under a temporary name, one syncfs, the renames,
// one fsync of the folder.

#include "DateField.h"
#include "platform/DurableWrite.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

enum class Mode { Plain, Durable, Batched };

struct Options {
    Mode mode = Mode::Plain;
    long first = 1;
    std::string maildir;
    std::string output;
};

struct Item {
    std::int64_t date; // messages without a readable Date: sort first, as date 0
    std::string path;
};

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    throw std::system_error(errno, std::generic_category(), what + " '" + path + "'");
}

void usage() {
    std::fprintf(stderr,
                 "usage: larkspire-copyfloor [--durable | --batched] [--first=N] MAILDIR OUTPUT_FOLDER\n");
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options options;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--durable") {
            options.mode = Mode::Durable;
        } else if (arg == "--batched") {
            options.mode = Mode::Batched;
        } else if (arg.rfind("--first=", 0) == 0) {
            char* end = nullptr;
            options.first = std::strtol(arg.c_str() + 8, &end, 10);
            if (*end != '\0' || options.first < 0) {
                usage();
            }
        } else if (!arg.empty() && arg[0] != '-') {
            paths.push_back(arg);
        } else {
            usage();
        }
    }
    if (paths.size() != 2) {
        usage();
    }
    options.maildir = paths[0];
    options.output = paths[1];
    return options;
}

class File {
public:
    File(const std::string& path, int flags, mode_t mode = 0)
        : m_path(path), m_fd(::open(path.c_str(), flags, mode)) {
        if (m_fd < 0) {
            fail("cannot open", path);
        }
    }
    ~File() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Reads up to `size` bytes; 0 at the end.
    std::size_t read(char* buffer, std::size_t size) {
        for (;;) {
            ssize_t n = ::read(m_fd, buffer, size);
            if (n >= 0) {
                return static_cast<std::size_t>(n);
            }
            if (errno != EINTR) {
                fail("cannot read", m_path);
            }
        }
    }

    void writeAll(const char* data, std::size_t size) {
        while (size > 0) {
            ssize_t n = ::write(m_fd, data, size);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                fail("cannot write", m_path);
            }
            data += n;
            size -= static_cast<std::size_t>(n);
        }
    }

    int descriptor() const { return m_fd; }

    void close() {
        int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0) {
            fail("cannot close", m_path);
        }
    }

private:
    std::string m_path;
    int m_fd;
};

void listFolder(const std::string& folder, std::vector<Item>& items) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        fail("cannot list", folder);
    }
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.') {
            items.push_back({0, folder + "/" + entry->d_name});
        }
    }
    ::closedir(dir);
}

// Reads no more of the file than its header block needs.
std::int64_t readDate(const std::string& path, std::string& buffer) {
    File file(path, O_RDONLY | O_CLOEXEC);
    buffer.clear();
    constexpr std::size_t kChunk = 16384;
    for (;;) {
        std::size_t old = buffer.size();
        buffer.resize(old + kChunk);
        std::size_t n = file.read(buffer.data() + old, kChunk);
        buffer.resize(old + n);
        if (n == 0 || bench::headerComplete(buffer)) {
            break;
        }
    }
    return bench::dateField(bench::headerBlock(buffer)).value_or(0);
}

std::string numberedName(const std::string& folder, long number) {
    char name[32];
    std::snprintf(name, sizeof name, "/mail%05ld.txt", number);
    return folder + name;
}

std::uint64_t copyPlain(const std::string& from, const std::string& to, std::vector<char>& buffer) {
    File in(from, O_RDONLY | O_CLOEXEC);
    File out(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    std::uint64_t total = 0;
    while (std::size_t n = in.read(buffer.data(), buffer.size())) {
        out.writeAll(buffer.data(), n);
        total += n;
    }
    out.close();
    return total;
}

std::uint64_t copyDurable(const std::string& from, const std::string& to, std::vector<char>& buffer) {
    File in(from, O_RDONLY | O_CLOEXEC);
    std::string data;
    while (std::size_t n = in.read(buffer.data(), buffer.size())) {
        data.append(buffer.data(), n);
    }
    platform::writeFileDurably(to, data);
    return data.size();
}

// Makes the temporary files durable at once, then gives them their names.
void finishBatch(const std::string& folder, const std::vector<std::string>& temporaries, long first) {
    File directory(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (::syncfs(directory.descriptor()) != 0) {
        fail("cannot sync the file system of", folder);
    }
    long number = first;
    for (const std::string& temporary : temporaries) {
        std::string target = numberedName(folder, number++);
        if (::rename(temporary.c_str(), target.c_str()) != 0) {
            fail("cannot rename", temporary);
        }
    }
    if (::fsync(directory.descriptor()) != 0) {
        fail("cannot sync", folder);
    }
}

double since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    Options options = parse(argc, argv);
    try {
        std::filesystem::create_directories(options.output);
        if (!std::filesystem::is_empty(options.output)) {
            throw std::runtime_error("the output folder '" + options.output + "' is not empty");
        }
        auto start = std::chrono::steady_clock::now();
        std::vector<Item> items;
        listFolder(options.maildir + "/cur", items);
        listFolder(options.maildir + "/new", items);
        std::string header;
        for (Item& item : items) {
            item.date = readDate(item.path, header);
        }
        double headerSeconds = since(start);
        auto sortStart = std::chrono::steady_clock::now();
        std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
            return a.date != b.date ? a.date < b.date : a.path < b.path;
        });
        double sortSeconds = since(sortStart);
        auto copyStart = std::chrono::steady_clock::now();
        std::vector<char> buffer(256 * 1024);
        std::uint64_t bytes = 0;
        long number = options.first;
        std::vector<std::string> temporaries;
        for (const Item& item : items) {
            std::string target = numberedName(options.output, number++);
            switch (options.mode) {
            case Mode::Plain:
                bytes += copyPlain(item.path, target, buffer);
                break;
            case Mode::Durable:
                bytes += copyDurable(item.path, target, buffer);
                break;
            case Mode::Batched:
                temporaries.push_back(options.output + "/.tmp" + target.substr(options.output.size() + 1));
                bytes += copyPlain(item.path, temporaries.back(), buffer);
                break;
            }
        }
        if (options.mode == Mode::Batched) {
            finishBatch(options.output, temporaries, options.first);
        }
        double copySeconds = since(copyStart);
        double total = since(start);
        std::printf("larkspire-copyfloor: %zu messages, %.1f MB%s: list and headers %.3f s, sort %.3f s, "
                    "copy %.3f s, "
                    "total %.3f s (%.0f messages/s)\n",
                    items.size(), static_cast<double>(bytes) / 1048576.0,
                    options.mode == Mode::Durable   ? " (durable)"
                    : options.mode == Mode::Batched ? " (batched)"
                                                    : "",
                    headerSeconds, sortSeconds, copySeconds, total,
                    total > 0 ? static_cast<double>(items.size()) / total : 0.0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "larkspire-copyfloor: %s\n", e.what());
        return 1;
    }
    return 0;
}
