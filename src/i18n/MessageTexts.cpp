#include "i18n/MessageTexts.h"

namespace i18n {

namespace {

constexpr MessageText kMessageTexts[] = {
    {300, "Checking for update...please wait"},
    {310, "Error connecting to web site"},
    {320, "%s date information found in invalid format %s"},
    {330, "A %s update is available - would you like to see What's New?"},
    {340, "You already have the latest version of %s - no download is necessary"},
    {350, "%s update information not found"},
    {3020, "Choose an email folder"},
    {4360, "Couldn't find Tip Of The Day file"},
    {4361, "If you need it, you can find Tip of the Day in the Help Menu"},
    {4440, "You must exit %s before the new language will take effect"},
    {4441, "Login succeeded"},
    {8000, "The folder to save emails to is blank"},
    {8002, "The filename format is blank"},
    {8004, "The folder to save emails to does not exist"},
    {8010, "The folder to get emails from is blank"},
    {8020, "The folder to move processed emails to is blank"},
    {8030, "The tag text is blank"},
    {8040, "The output file %s already exists. Continue?"},
    {8250, "Connecting to MAPI client..."},
    {8260, "Locating source mail folder..."},
    {8261,
     "The source folder %s could not be found.\r\n"
     "This can happen if you move, copy or rename the folder, or connect to it from a different machine or "
     "with a different login name.\r\n\r\n"
     "Please re-select the source folder in the folder browse window"},
    {8280, "Locating destination mail folder..."},
    {8281,
     "The destination folder %s could not be found.\r\n"
     "This can happen if you move, copy or rename the folder, or connect to it from a different machine or "
     "with a different login name.\r\n\r\n"
     "Please re-select the destination folder in the folder browse window"},
    {8290, "Counting emails..."},
    {8310, "Sorting emails..."},
    {8320, "Processing emails..."},
    {8330, "Processing email %d of %d"},
    {8340, "Complete. %d emails processed"},
    {8350, "Interrupted by user. %d emails processed"},
    {8420, "Invalid command line parameter\r\n%s"},
    {8430, "Save current settings?"},
    {8450, "Invalid DDE message %s"},
    {8460, "Error - see help or fix format: %s"},
    {8461, "Sample filename: %s"},
};

} // namespace

std::span<const MessageText> messageTexts() {
    return kMessageTexts;
}

} // namespace i18n
