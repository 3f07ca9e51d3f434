#pragma once
// A temporary world for one end-to-end run: a Maildir the test fills, a profiles file naming it,
// a configuration folder and an output folder, and the program run against them.

#include "ProgramRun.h"
#include "support/MaildirBuilder.h"
#include "support/TemporaryFolder.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace e2e {

struct JobFolder {
    JobFolder() {
        std::filesystem::create_directories(out);
        std::filesystem::create_directories(folder / "config");
        testsupport::writeFileText(folder / "profiles.ini", "[Test]\ndefault = true\nstore = Mail, maildir:" +
                                                                mailRoot.string() + ", default\n");
        environment = {{"XDG_CONFIG_HOME", (folder / "config").string()},
                       {"LARKSPIRE_PROFILES", (folder / "profiles.ini").string()}};
    }

    RunResult run(const std::vector<std::string>& arguments,
                  const std::vector<std::string>& wrapper = {}) const {
        return runProgram(arguments, environment, "", wrapper);
    }

    testsupport::TemporaryFolder folder;
    std::filesystem::path mailRoot = folder / "Maildir";
    testsupport::MaildirBuilder mail{mailRoot};
    std::filesystem::path out = folder / "out";
    std::map<std::string, std::string> environment;
};

} // namespace e2e
