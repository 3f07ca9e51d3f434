#include "ui/Options.h"

#include "i18n/TextLookup.h"
#include "ui/FolderPaths.h"
#include "ui/SettingEdit.h"

#include <stdexcept>

namespace ui {

namespace {

bool takeValue(const std::string& argument, std::string_view option, std::string& value) {
    if (argument.compare(0, option.size(), option) != 0)
        return false;
    value = argument.substr(option.size());
    return true;
}

} // namespace

Options::Options(MainWindow& window, std::ostream& out, std::string version)
    : m_window(window), m_out(out), m_version(std::move(version)) {}

std::string Options::helpText() {
    return "Usage: larkspire [--console] [SWITCH]...\n"
           "       larkspire --dde-execute=TEXT\n"
           "Saves e-mail messages as numbered plain-text files. Switches are carried out in order.\n"
           "With a display (DISPLAY or WAYLAND_DISPLAY) the wizard window opens, else the console.\n"
           "\n"
           "  /F=FILE             load the option file FILE\n"
           "  /G                  run the job (Go)\n"
           "  /Q                  end the program once the command line is done, without saving\n"
           "                      the settings to the registry\n"
           "  /UPDATECOUNT        a completed run saves the next file number into the loaded file\n"
           "  /Z=FILE             read switches from FILE, one a line\n"
           "  /UNINSTALL          show the uninstall page\n"
           "  --console           no window: status on stderr, questions answered on a terminal\n"
           "  --set=NAME=VALUE    change a setting as in the window: \"Save folder\", \"First number\",\n"
           "                      \"Number format\", \"get from default folder\", \"move messages\",\n"
           "                      \"msgDestination\", \"sort order\", \"sort descending\", \"readStatus\",\n"
           "                      \"tag text\", Profile, profileName (booleans 0/1/false/true)\n"
           "  --source=PATH       read the mail folder PATH (store and folders joined by \\)\n"
           "  --destination=PATH  move processed messages into the mail folder PATH\n"
           "  --list-folders      print the profile's mail folders, one path a line\n"
           "  --save-as=FILE      save the settings shown into the option file FILE\n"
           "  --help, --version   print this text, or the version\n"
           "  --dde-execute=TEXT  hand TEXT to the running window, as [FileOpen(\"FILE\")] does to\n"
           "                      open FILE there; exit status 1 when no window listens\n"
           "\n"
           "Exit status: 0 when all went well, 1 when an error was shown, 2 for an invalid command line.\n";
}

std::string Options::versionText(const std::string& version) {
    return "larkspire " + version + "\n";
}

void Options::process(const std::string& argument) {
    std::string value;
    if (argument == "--console") {
        // Already without a window.
    } else if (argument == "--help") {
        m_out << helpText();
    } else if (argument == "--version") {
        m_out << versionText(m_version);
    } else if (takeValue(argument, "--set=", value)) {
        const auto equals = value.find('=');
        if (equals == std::string::npos || equals == 0) {
            m_invalid = true;
            throw CommandLineError("--set needs NAME=VALUE: " + argument);
        }
        try {
            editSetting(m_window, value.substr(0, equals), value.substr(equals + 1));
        } catch (const CommandLineError&) {
            m_invalid = true;
            throw;
        }
    } else if (takeValue(argument, "--source=", value)) {
        setFolder(true, value);
    } else if (takeValue(argument, "--destination=", value)) {
        setFolder(false, value);
    } else if (argument == "--list-folders") {
        listFolders();
    } else if (takeValue(argument, "--save-as=", value) && !value.empty()) {
        m_window.SaveFile(value);
    } else {
        m_invalid = true;
        throw CommandLineError(i18n::LoadTextFmt(8420, "Invalid command line parameter\r\n%s", {argument}));
    }
}

void Options::setFolder(bool source, const std::string& path) {
    const auto entries = folderPaths(m_window.session(), platform::systemLocale());
    const FolderPathEntry* entry = findFolderPath(entries, path);
    if (!entry)
        throw std::runtime_error("There is no mail folder \"" + path + "\" (see --list-folders)");
    m_window.folderChosen(source, entry->path, *entry->folder);
    if (source) {
        m_window.controls().setEmailsFrom(FolderItem);
        m_window.emailsFrom1Click();
    }
}

void Options::listFolders() {
    for (const FolderPathEntry& entry : folderPaths(m_window.session(), platform::systemLocale())) {
        // A store that could not be read at all has no folder; one that failed part-way keeps its root.
        if (entry.folder)
            m_out << entry.path << "\n";
        if (!entry.error.empty())
            m_window.dialogs().MessageDialog(entry.folder ? entry.path + ": " + entry.error : entry.error,
                                             platform::DialogKind::Warning, platform::DialogButton::OK, 0);
    }
    m_out.flush();
}

} // namespace ui
