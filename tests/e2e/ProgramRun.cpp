#include "ProgramRun.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e {

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ScratchFiles {
public:
    ScratchFiles() {
        std::string pattern = (fs::temp_directory_path() / "larkspire-e2e-run-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_folder = pattern;
    }
    ~ScratchFiles() {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
    fs::path operator/(const char* name) const { return m_folder / name; }

private:
    fs::path m_folder;
};

} // namespace

fs::path programPath() {
    const char* bin = std::getenv("LARKSPIRE_TEST_BIN");
    if (bin == nullptr)
        throw std::runtime_error("LARKSPIRE_TEST_BIN is not set");
    return fs::path(bin) / "larkspire";
}

RunResult runProgram(const std::vector<std::string>& arguments,
                     const std::map<std::string, std::string>& environment, const std::string& input,
                     const std::vector<std::string>& wrapper) {
    const ScratchFiles scratch;
    const fs::path inFile = scratch / "in", outFile = scratch / "out", errFile = scratch / "err";
    std::ofstream(inFile, std::ios::binary) << input;

    const std::string program = programPath().string();
    std::vector<std::string> argv(wrapper);
    argv.push_back(program);
    argv.push_back("--console");
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::map<std::string, std::string> env{{"PATH", "/usr/bin:/bin"}, {"LANG", "C.UTF-8"}, {"TZ", "UTC"}};
    if (const char* home = std::getenv("HOME"))
        env["HOME"] = home;
    for (const auto& [name, value] : environment)
        env[name] = value;
    std::vector<std::string> envp;
    for (const auto& [name, value] : env)
        envp.push_back(name + "=" + value);

    std::vector<char*> argvPointers, envPointers;
    for (auto& a : argv)
        argvPointers.push_back(a.data());
    argvPointers.push_back(nullptr);
    for (auto& e : envp)
        envPointers.push_back(e.data());
    envPointers.push_back(nullptr);

    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
    if (child == 0) {
        const int in = ::open(inFile.c_str(), O_RDONLY);
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0)
            ::_exit(126);
        ::execve(argv[0].c_str(), argvPointers.data(), envPointers.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    RunResult result;
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readAll(outFile);
    result.err = readAll(errFile);
    return result;
}

} // namespace e2e
