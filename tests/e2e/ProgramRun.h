#pragma once
// Runs the built program in console mode as a user's script would: its own configuration folder
// and profiles file, standard input not a terminal, output and errors captured.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace e2e {

struct RunResult {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

// The program built beside the tests ($LARKSPIRE_TEST_BIN/larkspire).
std::filesystem::path programPath();

// Runs `program --console arguments...` with `environment` added to a minimal environment
// (PATH, HOME, LANG=C.UTF-8, TZ=UTC) and `input` as standard input; under `wrapper` (a command
// given the program and its arguments, such as setpriv) when there is one.
RunResult runProgram(const std::vector<std::string>& arguments,
                     const std::map<std::string, std::string>& environment, const std::string& input = "",
                     const std::vector<std::string>& wrapper = {});

} // namespace e2e
