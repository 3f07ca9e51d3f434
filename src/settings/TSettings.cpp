#include "settings/TSettings.h"

#include "platform/ProgramFolder.h"

namespace settings {

namespace {

const std::string kAsterisks(52, '*');

} // namespace

TSettings::TSettings(mailstore::TMapiSession* session)
    : sourceFolder(mailstore::TMapiUserFolder::makeEmpty(session)),
      destinationFolder(mailstore::TMapiUserFolder::makeEmpty(session)) {}

std::string defaultWeftmarkFilter() {
    return platform::programFolder() + "Filters/default.flt";
}

std::string defaultSaveFolder() {
    return platform::programFolder() + "TextFiles/";
}

std::string defaultManualFolder() {
    return platform::programFolder() + "Manual/";
}

std::string defaultStartTag() {
    return "\r\n" + kAsterisks + "\r\nAttached file: %FILENAME\r\n";
}

std::string defaultEndTag() {
    return "\r\n" + kAsterisks + "\r\n";
}

std::vector<std::string> defaultExtensions() {
    return {".doc", ".html", ".htm", ".dot", ".rtf", ".txt", ".asc", ".ans", ".wri", ".mcw",
            ".wpd", ".wps",  ".zip", ".pdf", ".exe", ".tif", ".gif", ".bmp", ".vcf"};
}

std::vector<std::string> defaultExtensionActions() {
    return {"1", "1", "1", "1", "1", "1", "1", "1", "1", "1", "1", "1", "2", "4", "3", "3", "3", "3", "3"};
}

void applyDefaults(TSettings& settings) {
    settings.weftmarkFilter = defaultWeftmarkFilter();
    settings.saveFolder = defaultSaveFolder();
    settings.firstNumber = 0;
    settings.numberFormat = kDefaultNumberFormat;
    settings.startTag = defaultStartTag();
    settings.endTag = defaultEndTag();
    settings.includeAttachments = true;
    settings.msgDestination.clear();
    settings.emailHeader = kDefaultEmailHeader;
    settings.emailFooter.clear();
    settings.moveMessages = LeaveMessage;
    settings.getFromDefaultFolder = true;
    settings.fromFolderName.clear();
    settings.reprocessEmails = false;
    settings.sortOrder = 0;
    settings.sortDescending = false;
    settings.tagText = kDefaultTagText;
    settings.extensions = defaultExtensions();
    settings.extensionActions = defaultExtensionActions();
    settings.manualFolder = defaultManualFolder();
    settings.manualFormat = kDefaultManualFormat;
    settings.readStatus = false;
    settings.wordMacro.clear();
}

} // namespace settings
