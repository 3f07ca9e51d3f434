#pragma once
// The program's own options, each starting with "--", carried out in their place among the "/"
// switches of the command line.

#include "ui/MainWindow.h"

#include <ostream>
#include <string>

namespace ui {

class Options {
public:
    // `out` receives the help, the version and folder listings.
    Options(MainWindow& window, std::ostream& out, std::string version);

    // Carries out one option; throws CommandLineError for an option that is not ours or is
    // written wrongly (which ends the command line), or the error of the action.
    void process(const std::string& argument);

    // True once an option was rejected as written wrongly.
    bool invalid() const { return m_invalid; }

    static std::string helpText();
    static std::string versionText(const std::string& version);

private:
    void setFolder(bool source, const std::string& path);
    void listFolders();

    MainWindow& m_window;
    std::ostream& m_out;
    std::string m_version;
    bool m_invalid = false;
};

} // namespace ui
