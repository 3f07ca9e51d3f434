#include "platform/ProgramFolder.h"

#include <filesystem>
#include <system_error>

namespace platform {

namespace {

std::string readProgramFolder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        throw std::system_error(error, "Cannot find the program file '/proc/self/exe'");
    }
    std::string folder = executable.parent_path().string();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

} // namespace

const std::string& programFolder() {
    static const std::string folder = readProgramFolder();
    return folder;
}

} // namespace platform
