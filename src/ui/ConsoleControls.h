#pragma once
// The main window's controls without a window: plain fields that the console front end and tests
// read and write directly.

#include "ui/MainWindowControls.h"

namespace ui {

class ConsoleControls : public MainWindowControls {
public:
    int profileItem = 0;
    std::string profileNameText;
    std::string passwordText;
    bool loginNameEnabled = false;
    int emailsFromItem = DefaultInboxItem;
    std::string messageSourceText;
    bool sourceFolderEnabled = false;
    int sortOrderItem = 0;
    bool descendingChecked = false;
    int emailsToItem = LeaveItem;
    std::string messageDestinationText;
    bool destinationFolderEnabled = false;
    std::string tagTextText;
    bool tagTextEnabled = false;
    bool readStatusChecked = false;
    std::string directoryText;
    std::string fileNameFormatText;
    std::int32_t firstNumberValue = 0;
    std::string sampleNameText;
    bool sampleNameIsError = false;
    int page = 0;
    bool backEnabled = false;
    bool nextEnabled = true;
    std::string caption;
    std::vector<std::string> recentFiles;

    int profile() const override { return profileItem; }
    void setProfile(int item) override { profileItem = item; }
    std::string profileName() const override { return profileNameText; }
    void setProfileName(const std::string& text) override { profileNameText = text; }
    std::string password() const override { return passwordText; }
    void setLoginNameEnabled(bool enabled) override { loginNameEnabled = enabled; }
    int emailsFrom() const override { return emailsFromItem; }
    void setEmailsFrom(int item) override { emailsFromItem = item; }
    std::string messageSource() const override { return messageSourceText; }
    void setMessageSource(const std::string& text) override { messageSourceText = text; }
    void setSourceFolderEnabled(bool enabled) override { sourceFolderEnabled = enabled; }
    int sortOrder() const override { return sortOrderItem; }
    void setSortOrder(int item) override { sortOrderItem = item; }
    bool descending() const override { return descendingChecked; }
    void setDescending(bool checked) override { descendingChecked = checked; }
    int emailsTo() const override { return emailsToItem; }
    void setEmailsTo(int item) override { emailsToItem = item; }
    std::string messageDestination() const override { return messageDestinationText; }
    void setMessageDestination(const std::string& text) override { messageDestinationText = text; }
    void setDestinationFolderEnabled(bool enabled) override { destinationFolderEnabled = enabled; }
    std::string tagText() const override { return tagTextText; }
    void setTagText(const std::string& text) override { tagTextText = text; }
    void setTagTextEnabled(bool enabled) override { tagTextEnabled = enabled; }
    bool readStatus() const override { return readStatusChecked; }
    void setReadStatus(bool checked) override { readStatusChecked = checked; }
    std::string directory() const override { return directoryText; }
    void setDirectory(const std::string& text) override { directoryText = text; }
    std::string fileNameFormat() const override { return fileNameFormatText; }
    void setFileNameFormat(const std::string& text) override { fileNameFormatText = text; }
    std::int32_t firstNumber() const override { return firstNumberValue; }
    void setFirstNumber(std::int32_t value) override { firstNumberValue = value; }
    void setSampleName(const std::string& text, bool isError) override {
        sampleNameText = text;
        sampleNameIsError = isError;
    }
    int pageIndex() const override { return page; }
    void setPageIndex(int index) override { page = index; }
    void setNavigationEnabled(bool back, bool next) override {
        backEnabled = back;
        nextEnabled = next;
    }
    void setCaption(const std::string& text) override { caption = text; }
    void showRecentFiles(const std::vector<std::string>& paths) override { recentFiles = paths; }
};

} // namespace ui
