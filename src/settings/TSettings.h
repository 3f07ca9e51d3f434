#pragma once
// One extraction job. The settings are plain fields: the registry, option files, the main window
// and the run read and write them one by one, and no field constrains another. A new object is
// empty (no defaults); applyDefaults gives the values of a first start.

#include "engine/OutputFileName.h"
#include "mailstore/TMapiUserFolder.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

// Folder normalisation, shared with the run: strip one pair of quotes, end in "/".
using engine::normaliseFolder;

// Values of "move messages".
enum PostAction : std::int32_t { LeaveMessage = 0, MoveToFolder = 1, TagSubject = 2 };

// Values of `Profile`, the login choice.
enum LoginChoice : std::int32_t { DefaultProfile = 0, PromptForProfile = 1, NamedProfile = 2 };

class TSettings {
public:
    // Empty strings and lists, zero numbers, false switches, and two empty folder objects whose
    // placeholder stores refer to `session`.
    explicit TSettings(mailstore::TMapiSession* session);
    TSettings(const TSettings&) = delete;
    TSettings& operator=(const TSettings&) = delete;

    std::int32_t fileVersion = 0; // version of the option file last read into this object
    std::string weftmarkFilter;   // "Weftmark filter"; this and the other carried settings are
    std::string startTag;         // loaded and saved again, but used by nothing
    std::string endTag;
    std::string emailHeader;
    std::string emailFooter;
    bool includeAttachments = false;
    std::vector<std::string> extensions;
    std::vector<std::string> extensionActions; // one number per line, parallel to extensions
    std::string reservedLoginText;             // kept in option files only
    std::string wordMacro;
    std::string manualFolder;
    std::string manualFormat;
    bool reprocessEmails = false;
    std::string optionFileName; // full path of the option file last loaded or saved; empty: Untitled
    std::string saveFolder;
    std::int32_t firstNumber = 0;
    std::string numberFormat;
    std::int32_t moveMessages = LeaveMessage;
    std::string msgDestination; // display name of the destination folder
    bool getFromDefaultFolder = false;
    std::string fromFolderName; // display name of the chosen source folder
    std::int32_t sortOrder = 0;
    bool sortDescending = false;
    bool readStatus = false;
    // The two folder identities; never null, owned with their stores.
    std::unique_ptr<mailstore::TMapiUserFolder> sourceFolder;
    std::unique_ptr<mailstore::TMapiUserFolder> destinationFolder;
    std::int32_t Profile = DefaultProfile;
    std::int32_t reservedLoginValue = 0; // kept in option files only
    std::string profileName;
    std::string tagText;
};

// Defaults of the settings that have one. Paths lie in the program folder.
std::string defaultWeftmarkFilter();
std::string defaultSaveFolder();
std::string defaultManualFolder();
inline constexpr std::string_view kDefaultNumberFormat = "%5.5d.txt";
inline constexpr std::string_view kDefaultManualFormat = "%FROM_%NUMBER";
inline constexpr std::string_view kDefaultTagText = "*RP* ";
// "email header" without the "Include subject" prefix.
inline constexpr std::string_view kDefaultEmailHeader =
    "From: %FROM\r\nSent: %SENT\r\nTo: %TO\r\nSubject: %SUBJECT\r\n";
// Put in front of "email header" when a stored "Include subject" is true.
inline constexpr std::string_view kIncludeSubjectPrefix = "%SUBJECT\r\n\r\n";
std::string defaultStartTag();
std::string defaultEndTag();
std::vector<std::string> defaultExtensions();
std::vector<std::string> defaultExtensionActions();

// Sets every setting that has a default to it ("Include subject" false); the file version, the
// option file name, the folder identities and the login values stay.
void applyDefaults(TSettings& settings);

} // namespace settings
