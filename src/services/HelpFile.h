#pragma once
// The program's help: HTML pages in the help folder beside the program, a contents page, an index
// page, and a map from the context numbers the windows carry to their topic pages ("contexts.txt",
// one "<number> <page>" a line, "#" starting a comment). The viewer is the window's; these rules
// decide what it shows and what is said when the pages are missing.

#include "platform/DialogService.h"

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>

namespace services {

// A help page that cannot be shown; the message says which and why.
class HelpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class HelpFile {
public:
    static constexpr const char* kContentsPage = "contents.html";
    static constexpr const char* kIndexPage = "index.html";
    static constexpr const char* kContextMap = "contexts.txt";

    // The help pages in `folder`; the program's lie in "help/" of the program folder.
    explicit HelpFile(std::filesystem::path folder);
    static HelpFile besideProgram();

    const std::filesystem::path& folder() const { return m_folder; }
    // True when the contents page is there to be shown.
    bool available() const;
    // The pages to show; throw HelpError when the page is missing.
    std::filesystem::path contentsPage() const;
    std::filesystem::path indexPage() const;
    std::filesystem::path topicPage(int context) const;
    const std::map<int, std::string>& topics() const { return m_topics; }

private:
    std::filesystem::path existingPage(const std::string& name) const;

    std::filesystem::path m_folder;
    std::map<int, std::string> m_topics;
};

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // Shows the page and brings the viewer to the front.
    virtual void showPage(const std::filesystem::path& page) = 0;
    virtual void closeAll() = 0;
};

// Help > Contents and Help > Index; a failure is shown as "Error displaying HTML Help:" and the
// reason, and never reaches the caller.
void showHelpContents(const HelpFile& help, HelpViewer& viewer, platform::DialogService& dialogs);
void showHelpIndex(const HelpFile& help, HelpViewer& viewer, platform::DialogService& dialogs);

// The topic of a context number (F1 in a window or on a menu entry). Without the help pages the
// user is warned that there is no help viewer.
void showHelpTopic(int context, const HelpFile& help, HelpViewer& viewer, platform::DialogService& dialogs);

// At the main window's end: closes the viewer's windows when there was help to show.
void closeHelp(const HelpFile& help, HelpViewer& viewer);

} // namespace services
