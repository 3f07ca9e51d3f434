#include "DovecotServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace imaptest {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

std::optional<fs::path> findProgram(const std::string& name) {
    for (const char* folder : {"/usr/sbin", "/usr/bin", "/sbin", "/bin"}) {
        const fs::path path = fs::path(folder) / name;
        if (::access(path.c_str(), X_OK) == 0)
            return path;
    }
    return std::nullopt;
}

pid_t spawn(const std::vector<std::string>& arguments, const fs::path& output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    const int error = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throw std::runtime_error("cannot start " + arguments[0] + ": " + std::strerror(error));
    return child;
}

void run(const std::vector<std::string>& arguments, const fs::path& output) {
    const pid_t child = spawn(arguments, output);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(arguments[0] + " " + arguments[1] + " failed; see " + output.string());
}

int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error(std::string("no free loopback port: ") + std::strerror(errno));
    ::close(fd);
    return ntohs(address.sin_port);
}

int connectLoopback(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string userName(uid_t uid) {
    const passwd* entry = ::getpwuid(uid);
    if (!entry)
        throw std::runtime_error("the current user has no name");
    return entry->pw_name;
}

std::string existingUser(const char* preferred, const char* fallback) {
    return ::getpwnam(preferred) ? preferred : fallback;
}

void chownTree(const fs::path& root, uid_t uid) {
    if (::lchown(root.c_str(), uid, uid) != 0)
        throw std::runtime_error("cannot give " + root.string() + " to the mail user");
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (::lchown(entry.path().c_str(), uid, uid) != 0)
            throw std::runtime_error("cannot give " + entry.path().string() + " to the mail user");
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

uid_t mailUid() {
    return ::geteuid() == 0 ? kNobody : ::geteuid();
}

// The greeting a ready server sends; while its authentication process starts it sends another.
bool greetsReady(int port) {
    const int fd = connectLoopback(port);
    if (fd < 0)
        return false;
    std::string greeting;
    char buffer[512];
    pollfd wait{fd, POLLIN, 0};
    while (greeting.find('\n') == std::string::npos && ::poll(&wait, 1, 2000) == 1) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        greeting.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return greeting.find("[CAPABILITY") != std::string::npos;
}

} // namespace

std::optional<std::string> DovecotServer::unavailableReason() {
    if (!findProgram("dovecot"))
        return "Dovecot is not installed (scripts/install-deps installs dovecot-imapd)";
    if (!findProgram("openssl"))
        return "openssl is not installed (scripts/install-deps installs it)";
    return std::nullopt;
}

DovecotServer::DovecotServer(DovecotOptions options) {
    if (const auto reason = unavailableReason())
        throw std::runtime_error(*reason);
    // The unprivileged server processes must reach the mail below the folder.
    fs::permissions(m_folder.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const fs::path log = m_folder / "openssl.log";
    const std::string openssl = findProgram("openssl")->string();
    run({openssl, "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
         "/CN=Larkspire Test CA", "-keyout", (m_folder / "ca.key").string(), "-out", caFile().string()},
        log);
    run({openssl, "req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=localhost", "-keyout",
         (m_folder / "server.key").string(), "-out", (m_folder / "server.csr").string()},
        log);
    writeText(m_folder / "server.ext", "subjectAltName=DNS:localhost\n");
    run({openssl, "x509", "-req", "-days", "2", "-in", (m_folder / "server.csr").string(), "-CA",
         caFile().string(), "-CAkey", (m_folder / "ca.key").string(), "-CAcreateserial", "-extfile",
         (m_folder / "server.ext").string(), "-out", (m_folder / "server.pem").string()},
        log);
    fs::create_directories(maildir() / "cur");
    fs::create_directories(maildir() / "new");
    fs::create_directories(maildir() / "tmp");
    handOverMail();
    m_imapPort = freeLoopbackPort();
    m_imapsPort = freeLoopbackPort();
    writeConfiguration(options);
    start();
}

DovecotServer::~DovecotServer() {
    stop();
}

void DovecotServer::writeConfiguration(const DovecotOptions& options) {
    const fs::path base = m_folder.path();
    const bool root = ::geteuid() == 0;
    const std::string self = userName(::geteuid());
    const std::string internalUser = root ? existingUser("dovecot", "nobody") : self;
    const std::string loginUser = root ? existingUser("dovenull", "nobody") : self;
    const std::string uid = std::to_string(mailUid());
    writeText(base / "users", std::string(user) + ":{PLAIN}" + password + ":" + uid + ":" + uid +
                                  "::" + (base / "mail" / user).string() + "::\n");
    std::string capabilities;
    if (!options.withMove || !options.withUidplus) {
        // The capability list Dovecot announces after logon, less what the test turns off.
        capabilities =
            "imap_capability = IMAP4rev1 LITERAL+ SASL-IR ID ENABLE IDLE NAMESPACE UNSELECT CHILDREN";
        if (options.withMove)
            capabilities += " MOVE";
        if (options.withUidplus)
            capabilities += " UIDPLUS";
        capabilities += "\n";
    }
    const auto line = [](const std::string& key, const std::string& value) {
        return key + " = " + value + "\n";
    };
    std::string config =
        line("base_dir", (base / "run").string()) + line("state_dir", (base / "state").string()) +
        line("log_path", (base / "dovecot.log").string()) + line("protocols", "imap") +
        line("listen", "127.0.0.1") + line("default_internal_user", internalUser) +
        line("default_internal_group", internalUser) + line("default_login_user", loginUser) +
        line("first_valid_uid", "1") + line("ssl", options.withTls ? "yes" : "no") +
        line("ssl_cert", "<" + (base / "server.pem").string()) +
        line("ssl_key", "<" + (base / "server.key").string()) + line("auth_mechanisms", "plain login") +
        line("disable_plaintext_auth", "no") +
        // No delay or penalty after the wrong passwords the tests try on purpose.
        line("auth_failure_delay", "0") + line("login_trusted_networks", "127.0.0.0/8") +
        line("mail_location", "maildir:~/Maildir") + capabilities;
    config += "service anvil {\n  chroot =\n}\n"
              "service imap-login {\n  chroot =\n"
              "  inet_listener imap {\n    port = " +
              std::to_string(m_imapPort) +
              "\n  }\n  inet_listener imaps {\n    port = " + std::to_string(m_imapsPort) +
              (options.withTls ? "\n    ssl = yes" : "") + "\n  }\n}\n";
    config += "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN " + (base / "users").string() +
              "\n}\nuserdb {\n  driver = passwd-file\n  args = " + (base / "users").string() + "\n}\n";
    writeText(base / "dovecot.conf", config);
}

void DovecotServer::start() {
    if (m_master > 0)
        return;
    m_master = spawn({findProgram("dovecot")->string(), "-F", "-c", (m_folder / "dovecot.conf").string()},
                     m_folder / "dovecot.out");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!greetsReady(m_imapPort)) {
        int status = 0;
        if (::waitpid(m_master, &status, WNOHANG) == m_master) {
            m_master = -1;
            throw std::runtime_error("Dovecot ended at start; see " + (m_folder / "dovecot.out").string() +
                                     ": " + testsupport::TemporaryFolder::readFile(m_folder / "dovecot.out"));
        }
        if (std::chrono::steady_clock::now() > deadline) {
            stop();
            throw std::runtime_error("Dovecot did not answer on port " + std::to_string(m_imapPort));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void DovecotServer::stop() {
    if (m_master <= 0)
        return;
    // The master ends its sessions gracefully, so a command sent meanwhile could still be done.
    cutConnections();
    ::kill(m_master, SIGTERM);
    int status = 0;
    ::waitpid(m_master, &status, 0);
    m_master = -1;
}

int DovecotServer::cutConnections() {
    int cut = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream stat(entry.path() / "stat");
        std::string pid, command, state;
        pid_t parent = 0;
        if (!(stat >> pid >> command >> state >> parent) || parent != m_master || command != "(imap)")
            continue;
        if (::kill(std::stoi(pid), SIGKILL) == 0)
            ++cut;
    }
    return cut;
}

void DovecotServer::handOverMail() const {
    chownTree(m_folder / "mail", mailUid());
}

std::string DovecotServer::url(const std::string& scheme, const std::string& host) const {
    return scheme + "://" + user + "@" + host + ":" +
           std::to_string(scheme == "imaps" ? m_imapsPort : m_imapPort) + "/";
}

ImapProbe::ImapProbe(const DovecotServer& server) : m_socket(connectLoopback(server.imapPort())) {
    if (m_socket < 0)
        throw std::runtime_error("the probe cannot connect to the test server");
    readLine();
    command(std::string("LOGIN ") + DovecotServer::user + " \"" + DovecotServer::password + "\"");
}

ImapProbe::~ImapProbe() {
    ::close(m_socket);
}

std::string ImapProbe::readLine() {
    for (;;) {
        const auto end = m_buffer.find("\r\n");
        if (end != std::string::npos) {
            std::string line = m_buffer.substr(0, end + 2);
            m_buffer.erase(0, end + 2);
            return line;
        }
        char chunk[65536];
        pollfd wait{m_socket, POLLIN, 0};
        if (::poll(&wait, 1, 20000) != 1)
            throw std::runtime_error("the test server does not answer the probe");
        const ssize_t got = ::read(m_socket, chunk, sizeof chunk);
        if (got <= 0)
            throw std::runtime_error("the test server closed the probe's connection");
        m_buffer.append(chunk, static_cast<std::size_t>(got));
    }
}

std::string ImapProbe::readUntilTagged(const std::string& tag) {
    std::string untagged;
    for (;;) {
        const std::string line = readLine();
        if (line.rfind(tag + " ", 0) == 0) {
            if (line.rfind(tag + " OK", 0) != 0)
                throw std::runtime_error("the test server refused: " + line);
            return untagged;
        }
        untagged += line;
    }
}

std::string ImapProbe::command(const std::string& text) {
    const std::string tag = "p" + std::to_string(++m_counter);
    const std::string line = tag + " " + text + "\r\n";
    if (::write(m_socket, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        throw std::runtime_error("the probe cannot send to the test server");
    return readUntilTagged(tag);
}

void ImapProbe::append(const std::string& mailbox, const std::string& message, const std::string& flags,
                       const std::string& internalDate) {
    std::string text = "APPEND " + mailbox + " (" + flags + ")";
    if (!internalDate.empty())
        text += " \"" + internalDate + "\"";
    command(text + " {" + std::to_string(message.size()) + "+}\r\n" + message);
}

std::vector<unsigned> ImapProbe::uids(const std::string& mailbox) {
    command("SELECT " + mailbox);
    const std::string answer = command("UID SEARCH UNDELETED");
    std::vector<unsigned> found;
    const auto start = answer.find("* SEARCH");
    std::size_t at = start == std::string::npos ? answer.size() : start + 8;
    while (at < answer.size()) {
        const auto digit = answer.find_first_of("0123456789", at);
        const auto lineEnd = answer.find('\r', at);
        if (digit == std::string::npos || digit > lineEnd)
            break;
        std::size_t used = 0;
        found.push_back(static_cast<unsigned>(std::stoul(answer.substr(digit), &used)));
        at = digit + used;
    }
    return found;
}

std::string ImapProbe::fetch(const std::string& mailbox, unsigned uid, const std::string& items) {
    command("SELECT " + mailbox);
    return command("UID FETCH " + std::to_string(uid) + " (" + items + ")");
}

} // namespace imaptest
