#include "i18n/FormDesigns.h"

namespace i18n {

namespace {

using K = ComponentKind;

constexpr std::string_view kBrowseHint = "Browse for a mail folder";
constexpr std::string_view kOptionFileFilter = "Larkspire Files (*.lks)|*.lks|All files (*.*)|*.*";

FormDesign mainWindow() {
    return {
        "TForm1",
        {
            {"Form1", K::Other, {{"Caption", "Larkspire"}}},
            {"openButton", K::ToolButton, {{"Caption", "Open"}, {"Hint", "Open a settings file"}}},
            {"saveButton", K::ToolButton, {{"Caption", "Save"}, {"Hint", "Save the current settings"}}},
            {"helpButton", K::ToolButton, {{"Caption", "Help"}, {"Hint", "Help"}}},
            {"loginPage", K::Other, {{"Caption", "&1 Login"}}},
            {"Profile",
             K::RadioGroup,
             {{"Caption", " Login Profile "}, {"items", "Default\r\nPrompt\r\nUsername:\r\n"}}},
            {"profileName", K::Other, {{"Hint", "The name of the profile to login with"}}},
            {"passwordLabel", K::Label, {{"Caption", "Password:"}}},
            {"password", K::Other, {{"Hint", "The profile's password"}}},
            {"testLogin", K::Other, {{"Caption", "Test Login"}}},
            {"foldersPage", K::Other, {{"Caption", "&2 Email Folders"}}},
            {"emailsFrom",
             K::RadioGroup,
             {{"Caption", " &Process emails from "},
              {"Hint", "Process the emails from a specified folder"},
              {"items", "Default Inbox\r\nFolder:\r\n"}}},
            {"messageSource", K::Other, {{"Hint", "Please use the browse button to choose a new folder"}}},
            {"browseFromFolder", K::Other, {{"Caption", "..."}, {"Hint", kBrowseHint}}},
            {"sortingGroup", K::Other, {{"Caption", " Sorting "}}},
            {"sortOrder",
             K::DropDownList,
             {{"items", "Do not sort\r\nDate received\r\nSubject line\r\nSubject (ignoring Re: and Fw:)\r\n"
                        "From address\r\n"}}},
            {"descending",
             K::Other,
             {{"Caption", "&Descending order"},
              {"Hint", "Sort from highest to lowest instead of lowest to highest"}}},
            {"emailsTo",
             K::RadioGroup,
             {{"Caption", " Processed &emails "},
              {"Hint", "Move processed emails to a new folder"},
              {"items", "Do nothing - leave emails where they are\r\nMove emails to folder:\r\n"
                        "Tag subject line with:\r\n"}}},
            {"messageDestination",
             K::Other,
             {{"Hint", "Please use the browse button (...) to choose a new folder"}}},
            {"browseToFolder", K::Other, {{"Caption", "..."}, {"Hint", kBrowseHint}}},
            {"readStatus", K::Other, {{"Caption", "Set processed emails to 'Read' status"}}},
            {"outputPage", K::Other, {{"Caption", "&3 Output Files"}}},
            {"directoryLabel", K::Label, {{"Caption", "Folder to sa&ve emails to"}}},
            {"Directory",
             K::Other,
             {{"Title", "Choose a folder"},
              {"Hint", "Where would you like the saved files to be saved to?"}}},
            {"DirectoryButton",
             K::Other,
             {{"Caption", "..."}, {"Hint", "Where would you like the saved files to be saved to?"}}},
            {"formatLabel", K::Label, {{"Caption", "&Filename format and extension"}}},
            {"FileNameFormat",
             K::Other,
             {{"Hint", "The filename to use, and where the number gets embedded in it.\r\n\r\n"
                       "Eg email%d.txt results in\r\nemail1.txt, email2,txt, email3.txt\r\n\r\n"
                       "Eg. %3.3d.asc results in\r\n001.asc, 002.asc, 003.asc"}}},
            {"firstNumberLabel", K::Label, {{"Caption", "First filename n&umber"}}},
            {"firstNumber",
             K::Other,
             {{"Hint", "Each file is given a new number. This field determines the number given to the "
                       "first file"}}},
            {"goPage", K::Other, {{"Caption", "&4 Go!"}}},
            {"goText",
             K::Label,
             {{"Caption", "Larkspire has all the information it needs!\r\n\r\nPlease click the [GO] button "
                          "below\r\nto begin processing."}}},
            {"prevButton", K::Other, {{"Caption", "< &Back"}, {"Hint", "Display the previous tab"}}},
            {"nextButton", K::Other, {{"Caption", "&Next >"}, {"Hint", "Display the next tab"}}},
            {"finishButton", K::Other, {{"Caption", "&Go"}, {"Hint", "Extract emails now"}}},
            {"exitButton", K::Other, {{"Caption", "Exit"}, {"Hint", "Leave Larkspire"}}},
            {"File1", K::MenuItem, {{"Caption", "&File"}}},
            {"Open1", K::MenuItem, {{"Caption", "&Open..."}}},
            {"Save1", K::MenuItem, {{"Caption", "&Save"}}},
            {"Saveas1", K::MenuItem, {{"Caption", "Save as..."}}},
            {"Recentfiles1", K::MenuItem, {{"Caption", "&Recent files"}}},
            {"Exit1", K::MenuItem, {{"Caption", "E&xit"}, {"Hint", "Close this program"}}},
            {"Edit1", K::MenuItem, {{"Caption", "&Edit"}}},
            {"Cut1", K::MenuItem, {{"Caption", "Cu&t"}}},
            {"Copy1", K::MenuItem, {{"Caption", "&Copy"}}},
            {"Paste1", K::MenuItem, {{"Caption", "&Paste"}}},
            {"Options1", K::MenuItem, {{"Caption", "&Options"}}},
            {"Changelanguage1", K::MenuItem, {{"Caption", "&Change language..."}}},
            {"BrowseTextFilesfolder1", K::MenuItem, {{"Caption", "Browse Text Files folder"}}},
            {"Help1", K::MenuItem, {{"Caption", "&Help"}}},
            {"Contents1", K::MenuItem, {{"Caption", "&Contents"}, {"Hint", "Help information"}}},
            {"Index1", K::MenuItem, {{"Caption", "&Index"}}},
            {"ShowTipoftheDay1", K::MenuItem, {{"Caption", "Show Tip of the Day"}}},
            {"LarkspireHomePage1", K::MenuItem, {{"Caption", "Larkspire home page"}}},
            {"QuenbySoftwareHomePage1", K::MenuItem, {{"Caption", "Quenby Software home page"}}},
            {"CheckwebforLarkspireupdates1", K::MenuItem, {{"Caption", "Check web for Larkspire updates"}}},
            {"SubscribetoLarkspireupdatelist1",
             K::MenuItem,
             {{"Caption", "Subscribe to Larkspire update list"}}},
            {"Technicalsupport1", K::MenuItem, {{"Caption", "Technical support"}}},
            {"About1", K::MenuItem, {{"Caption", "&About..."}, {"Hint", "About Larkspire"}}},
            {"OpenDialog1", K::Other, {{"Title", "Load Larkspire settings"}, {"Filter", kOptionFileFilter}}},
            {"SaveDialog1", K::Other, {{"Title", "Save Larkspire settings"}, {"Filter", kOptionFileFilter}}},
        }};
}

FormDesign statusWindow() {
    return {"TTstatusForm",
            {
                {"TstatusForm", K::Other, {{"Caption", "Processing emails..."}}},
                {"TabSheet1", K::Other, {{"Caption", "&1 Progress"}}},
                {"statusText", K::Label, {{"Caption", "Processing Email 0 of 0:"}}},
                {"Label1", K::Label, {{"Caption", "Email:"}}},
                {"exceptionsSheet", K::Other, {{"Caption", "&2 Exceptions"}}},
                {"Exceptions", K::Grid, {{"col_1.row_0", "Emails requiring manual intervention"}}},
                {"cancelButton", K::Other, {{"Caption", "&Cancel"}}},
            }};
}

FormDesign folderChooser() {
    return {"TchooseFolder",
            {
                {"chooseFolder", K::Other, {{"Caption", "Please wait...loading folder information"}}},
                {"Label9", K::Label, {{"Caption", "&New folder:"}}},
                {"BitBtn1", K::Other, {{"Caption", "OK"}}},
                {"BitBtn2", K::Other, {{"Caption", "Cancel"}}},
                {"refreshButton", K::Other, {{"Caption", "&Refresh"}}},
            }};
}

FormDesign languageChooser() {
    return {"TTLangForm",
            {
                {"TLangForm", K::Other, {{"Caption", "Options"}}},
                {"Label4", K::Label, {{"Caption", "&Language"}}},
                {"OKBtn", K::Other, {{"Caption", "OK"}, {"Hint", "Save changes and close"}}},
                {"CancelBtn", K::Other, {{"Caption", "Cancel"}, {"Hint", "Cancel changes and close"}}},
                {"online", K::Label, {{"Caption", "More languages online..."}}},
            }};
}

FormDesign updateWindow() {
    return {"TupdateForm",
            {
                {"updateForm", K::Other, {{"Caption", "%s update"}}},
                {"TabSheet1", K::Other, {{"Caption", "Update"}}},
                {"GroupBox1", K::Other, {{"Caption", " This copy of %s may be out of date "}}},
                {"checkWeb",
                 K::Other,
                 {{"Caption", "Check web for updates now"},
                  {"Hint", "Access the internet to find out if %s needs updating"}}},
                {"dontAsk",
                 K::Other,
                 {{"Caption", "Don't ask me again until"},
                  {"Hint", "Don't perform this check until the date specified"}}},
                {"nextDate", K::Other, {{"Hint", "Remind me after this date"}}},
                {"okButton", K::Other, {{"Caption", "OK"}}},
                {"cancelButton", K::Other, {{"Caption", "Cancel"}}},
            }};
}

FormDesign tipOfTheDay() {
    return {"TfTipOfTheDay",
            {
                {"fTipOfTheDay", K::Other, {{"Caption", "Tip of the day"}}},
                {"cbShowTips", K::Other, {{"Caption", "Show Tips at Startup"}}},
                {"bPrevious", K::Other, {{"Hint", "Previous Tip"}}},
                {"bNext", K::Other, {{"Hint", "Next Tip"}}},
                {"bClose", K::Other, {{"Caption", "Close"}}},
            }};
}

} // namespace

const std::vector<FormDesign>& formDesigns() {
    static const std::vector<FormDesign> designs = {mainWindow(),      statusWindow(), folderChooser(),
                                                    languageChooser(), updateWindow(), tipOfTheDay()};
    return designs;
}

} // namespace i18n
