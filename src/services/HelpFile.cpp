#include "services/HelpFile.h"

#include "platform/ProgramFolder.h"

#include <fstream>
#include <functional>
#include <sstream>

namespace services {

namespace {

std::map<int, std::string> readContextMap(const std::filesystem::path& file) {
    std::map<int, std::string> topics;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line.front() == '#')
            continue;
        std::istringstream fields(line);
        int context = 0;
        std::string page;
        if (fields >> context >> page)
            topics.emplace(context, page);
    }
    return topics;
}

void showOrReport(HelpViewer& viewer, platform::DialogService& dialogs,
                  const std::function<std::filesystem::path()>& page) {
    try {
        viewer.showPage(page());
    } catch (const std::exception& error) {
        dialogs.ShowInfo(std::string("Error displaying HTML Help:") + error.what());
    }
}

} // namespace

HelpFile::HelpFile(std::filesystem::path folder)
    : m_folder(std::move(folder)), m_topics(readContextMap(m_folder / kContextMap)) {}

HelpFile HelpFile::besideProgram() {
    return HelpFile(std::filesystem::path(platform::programFolder()) / "help");
}

bool HelpFile::available() const {
    std::error_code error;
    return std::filesystem::is_regular_file(m_folder / kContentsPage, error);
}

std::filesystem::path HelpFile::existingPage(const std::string& name) const {
    const std::filesystem::path page = m_folder / name;
    std::error_code error;
    if (!std::filesystem::is_regular_file(page, error))
        throw HelpError("Cannot find the help page '" + page.string() + "'");
    return page;
}

std::filesystem::path HelpFile::contentsPage() const {
    return existingPage(kContentsPage);
}

std::filesystem::path HelpFile::indexPage() const {
    return existingPage(kIndexPage);
}

std::filesystem::path HelpFile::topicPage(int context) const {
    const auto topic = m_topics.find(context);
    if (topic == m_topics.end())
        throw HelpError("No help topic for context number " + std::to_string(context) + " in '" +
                        (m_folder / kContextMap).string() + "'");
    return existingPage(topic->second);
}

void showHelpContents(const HelpFile& help, HelpViewer& viewer, platform::DialogService& dialogs) {
    showOrReport(viewer, dialogs, [&help] { return help.contentsPage(); });
}

void showHelpIndex(const HelpFile& help, HelpViewer& viewer, platform::DialogService& dialogs) {
    showOrReport(viewer, dialogs, [&help] { return help.indexPage(); });
}

void showHelpTopic(int context, const HelpFile& help, HelpViewer& viewer, platform::DialogService& dialogs) {
    if (!help.available()) {
        dialogs.MessageDialog("MS Html Help is not installed on this PC.", platform::DialogKind::Warning,
                              platform::DialogButton::OK, 0);
        return;
    }
    showOrReport(viewer, dialogs, [&help, context] { return help.topicPage(context); });
}

void closeHelp(const HelpFile& help, HelpViewer& viewer) {
    if (help.available())
        viewer.closeAll();
}

} // namespace services
