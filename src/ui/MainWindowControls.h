#pragma once
// The main window's controls as the window's logic sees them. The Qt window implements them with
// widgets, the console with plain fields. Setters change the shown value only: they never run the
// window's change handlers, which the logic calls itself where an edit has consequences, so both
// faces behave alike.

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

// Item indexes of the radio groups.
enum EmailsFromItem : int { DefaultInboxItem = 0, FolderItem = 1 };
enum EmailsToItem : int { LeaveItem = 0, MoveItem = 1, TagItem = 2 };

inline constexpr int kPageCount = 4;

class MainWindowControls {
public:
    virtual ~MainWindowControls() = default;

    // Page "&1 Login".
    virtual int profile() const = 0; // `Profile`: 0 "Default", 1 "Prompt", 2 "Username:"
    virtual void setProfile(int item) = 0;
    virtual std::string profileName() const = 0;
    virtual void setProfileName(const std::string& text) = 0;
    virtual std::string password() const = 0;
    // `profileName` and `password` together.
    virtual void setLoginNameEnabled(bool enabled) = 0;

    // Page "&2 Email Folders".
    virtual int emailsFrom() const = 0;
    virtual void setEmailsFrom(int item) = 0;
    virtual std::string messageSource() const = 0;
    virtual void setMessageSource(const std::string& text) = 0;
    // `messageSource` and `browseFromFolder` together.
    virtual void setSourceFolderEnabled(bool enabled) = 0;
    virtual int sortOrder() const = 0;
    virtual void setSortOrder(int item) = 0;
    virtual bool descending() const = 0;
    virtual void setDescending(bool checked) = 0;
    virtual int emailsTo() const = 0;
    virtual void setEmailsTo(int item) = 0;
    virtual std::string messageDestination() const = 0;
    virtual void setMessageDestination(const std::string& text) = 0;
    // `messageDestination` and `browseToFolder` together.
    virtual void setDestinationFolderEnabled(bool enabled) = 0;
    virtual std::string tagText() const = 0;
    virtual void setTagText(const std::string& text) = 0;
    virtual void setTagTextEnabled(bool enabled) = 0;
    virtual bool readStatus() const = 0;
    virtual void setReadStatus(bool checked) = 0;

    // Page "&3 Output Files".
    virtual std::string directory() const = 0; // `Directory`
    virtual void setDirectory(const std::string& text) = 0;
    virtual std::string fileNameFormat() const = 0; // `FileNameFormat`
    virtual void setFileNameFormat(const std::string& text) = 0;
    virtual std::int32_t firstNumber() const = 0;
    virtual void setFirstNumber(std::int32_t value) = 0;
    // `sampleName`: the sample text, or an error text shown in red.
    virtual void setSampleName(const std::string& text, bool isError) = 0;

    // The window.
    virtual int pageIndex() const = 0;
    virtual void setPageIndex(int index) = 0;
    virtual void setNavigationEnabled(bool back, bool next) = 0;
    // The window caption; also the application title.
    virtual void setCaption(const std::string& text) = 0;
    // The "&Recent files" submenu, newest first; disabled when empty.
    virtual void showRecentFiles(const std::vector<std::string>& paths) = 0;
};

} // namespace ui
