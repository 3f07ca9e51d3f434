#pragma once
// The registry value names of the settings and the main window's values: the one place where
// they are spelled. Option files, the registry and every caller ask this table by number.

#include <string>

namespace settings {

enum class ValueName : int {
    ProductKey = 0,
    WeftmarkFilter = 1,
    SaveFolder = 2,
    FirstNumber = 3,
    NumberFormat = 4,
    IncludeSubject = 5,
    StartTag = 6,
    EndTag = 7,
    IncludeAttachments = 8,
    MsgDestination = 9,
    EmailHeader = 14,
    EmailFooter = 15,
    MoveMessages = 16,
    GetFromDefaultFolder = 17,
    FromFolderName = 18,
    FromFolderEntryId = 19,
    ReprocessEmails = 20,
    RecentFiles = 21,
    SortOrder = 22,
    SortDescending = 23,
    TagText = 24,
    Extensions = 25,
    ExtensionActions = 26,
    Language = 27,
    FromCb = 28,
    FromPentry = 29,
    ToCb = 30,
    ToPentry = 31,
    ShowTips = 32,
    CurrentTip = 33,
    ManualFolder = 34,
    ManualFormat = 35,
    FromStoreCb = 36,
    FromStoreEntry = 37,
    ToStoreCb = 38,
    ToStoreEntry = 39,
    ReadStatus = 40,
    WordMacro = 41,
};

// The name for a number of the table; throws std::out_of_range "Invalid str(<number>)" for the
// unassigned numbers 10 to 13 and numbers outside 0 to 41.
std::string valueName(int number);
std::string valueName(ValueName name);

} // namespace settings
