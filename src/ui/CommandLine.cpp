// The command line and the switch file. Switches match by prefix of the upper-cased argument, so
// "/GO" is "/G" and "/QUIT" is "/Q"; a path keeps the letter case it was typed in.

#include "i18n/TextLookup.h"
#include "platform/Locale.h"
#include "services/ProductLinks.h"
#include "ui/MainWindow.h"
#include "ui/ScopedFlag.h"
#include "ui/SwitchFile.h"
#include "ui/TextLines.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace ui {

namespace {

constexpr std::size_t kMaxOptionFilePath = 255;
// How long a job started by cron or a timer waits for the previous run of the same option file.
constexpr std::chrono::seconds kJobLockPatience{30};

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string upper(const std::string& text) {
    return platform::upperCaseUtf8(text);
}

// A switch file's switches.
std::vector<std::string> readSwitchFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("Cannot open file \"" + path + "\". " + std::strerror(errno));
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw std::runtime_error("Cannot read file \"" + path + "\". " + std::strerror(errno));
    return switchFileSwitches(text);
}

} // namespace

void MainWindow::processCommandLine() {
    // Clear before and after, also when a switch ends the command line by an error.
    ScopedFlag clear(m_updateCount, false);
    // A "/F=" file stays locked while its switches run, so two runs of one job never overlap.
    struct Unlock {
        std::optional<platform::OptionFileLock>& lock;
        ~Unlock() { lock.reset(); }
    } unlock{m_jobLock};
    for (const std::string& argument : m_arguments) {
        if (upper(argument.substr(0, 3)) == "/Z=")
            processSwitchFile(argument);
        else if (startsWith(argument, "--") && m_optionHandler)
            m_optionHandler(argument);
        else
            processSwitch(argument);
    }
}

void MainWindow::processSwitch(const std::string& argument) {
    const std::string u = upper(argument);
    if (startsWith(u, "/F=")) {
        const std::string path = argument.substr(3, kMaxOptionFilePath);
        m_jobLock.reset(); // a lock this program holds on the same file would keep it out
        m_jobLock.emplace(path, kJobLockPatience);
        openFile(path);
    } else if (startsWith(u, "/G"))
        finishButtonClick();
    else if (startsWith(u, "/Q"))
        requestEnd();
    else if (startsWith(u, "/UPDATECOUNT"))
        m_updateCount = true;
    else if (startsWith(u, "/UNINSTALL"))
        openUninstallPage();
    else if (startsWith(u, "/"))
        showInvalidParameter(argument);
}

void MainWindow::processSwitchFile(const std::string& argument) {
    // Lines go straight to processSwitch: a "/Z=" line is an invalid parameter, a line with a
    // leading blank is ignored.
    for (const std::string& line : readSwitchFile(argument.substr(3)))
        processSwitch(line);
}

void MainWindow::AppDDEExecuteMacro(const std::string& command) {
    static constexpr std::string_view kFileOpen = "[FileOpen(\"";
    std::string text;
    for (const std::string& line : splitLines(command))
        text += line + "\r\n";
    if (startsWith(text, kFileOpen)) {
        std::string path = text.substr(kFileOpen.size(), kMaxOptionFilePath);
        path = path.substr(0, path.find('"'));
        openFile(path);
    } else {
        dialogs().ShowInfo(i18n::LoadTextFmt(8450, "Invalid DDE message %s", {text}));
    }
}

void MainWindow::showInvalidParameter(const std::string& argument) {
    ++m_invalidParameters;
    dialogs().ShowInfo(i18n::LoadTextFmt(8420, "Invalid command line parameter\r\n%s", {argument}));
}

void MainWindow::openUninstallPage() {
    m_services.shellOpen(services::uninstallPageAddress());
    requestEnd();
}

} // namespace ui
