#pragma once
// A settings object with a distinct, non-default value in every field, a comparison of every
// field that option files and the registry carry, and a scratch folder for the files of one test.

#include "settings/TSettings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace settings::samples {

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "larkspire-settings-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed for " + pattern);
        m_path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

inline std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

inline mapi::Binary patternBytes(std::size_t size, std::uint8_t first) {
    mapi::Binary bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i * 7);
    return bytes;
}

inline void fill(TSettings& s) {
    s.fileVersion = 17;
    s.weftmarkFilter = "/opt/filters/strict.flt";
    s.startTag = "\r\n--- start %FILENAME ---\r\n";
    s.endTag = std::string(300, '=');
    s.emailHeader = "%SUBJECT\r\n\r\nFrom: %FROM\r\n";
    s.emailFooter = "-- \r\nfooter \"quoted\" \\ back";
    s.includeAttachments = true;
    s.extensions = {".doc", ".pdf", ".zip"};
    s.extensionActions = {"1", "4", "2"};
    s.reservedLoginText = "reserved text";
    s.wordMacro = "Macro1";
    s.manualFolder = "/home/me/manual/";
    s.manualFormat = "%FROM-%NUMBER";
    s.reprocessEmails = true;
    s.saveFolder = "/home/me/mail text/";
    s.firstNumber = 123456;
    s.numberFormat = "mail%5.5d.txt";
    s.moveMessages = TagSubject;
    s.msgDestination = "Archive/2024";
    s.getFromDefaultFolder = false;
    s.fromFolderName = "Inbox/Lists \xc3\xa9t\xc3\xa9";
    s.sortOrder = 3;
    s.sortDescending = true;
    s.readStatus = true;
    s.sourceFolder->entryId().assign(patternBytes(46, 0x80));
    s.destinationFolder->entryId().assign(patternBytes(24, 0x01));
    s.sourceFolder->store()->entryId().assign(patternBytes(60, 0xF0));
    s.destinationFolder->store()->entryId().assign(patternBytes(31, 0x7F));
    s.Profile = NamedProfile;
    s.reservedLoginValue = -70000;
    s.profileName = "Work";
    s.tagText = "[done] ";
}

inline mapi::Binary bytesOf(const mailstore::EntryId& id) {
    return id.toBinary();
}

// Every field but the option file name, the file version and the login values, which the
// registry does not keep; `withLogin` adds those three.
inline void expectSameJob(const TSettings& a, const TSettings& b, bool withLogin) {
    EXPECT_EQ(a.weftmarkFilter, b.weftmarkFilter);
    EXPECT_EQ(a.startTag, b.startTag);
    EXPECT_EQ(a.endTag, b.endTag);
    EXPECT_EQ(a.emailHeader, b.emailHeader);
    EXPECT_EQ(a.emailFooter, b.emailFooter);
    EXPECT_EQ(a.includeAttachments, b.includeAttachments);
    EXPECT_EQ(a.extensions, b.extensions);
    EXPECT_EQ(a.extensionActions, b.extensionActions);
    EXPECT_EQ(a.wordMacro, b.wordMacro);
    EXPECT_EQ(a.manualFolder, b.manualFolder);
    EXPECT_EQ(a.manualFormat, b.manualFormat);
    EXPECT_EQ(a.reprocessEmails, b.reprocessEmails);
    EXPECT_EQ(a.saveFolder, b.saveFolder);
    EXPECT_EQ(a.firstNumber, b.firstNumber);
    EXPECT_EQ(a.numberFormat, b.numberFormat);
    EXPECT_EQ(a.moveMessages, b.moveMessages);
    EXPECT_EQ(a.msgDestination, b.msgDestination);
    EXPECT_EQ(a.getFromDefaultFolder, b.getFromDefaultFolder);
    EXPECT_EQ(a.fromFolderName, b.fromFolderName);
    EXPECT_EQ(a.sortOrder, b.sortOrder);
    EXPECT_EQ(a.sortDescending, b.sortDescending);
    EXPECT_EQ(a.readStatus, b.readStatus);
    EXPECT_EQ(a.tagText, b.tagText);
    EXPECT_EQ(bytesOf(a.sourceFolder->entryId()), bytesOf(b.sourceFolder->entryId()));
    EXPECT_EQ(bytesOf(a.destinationFolder->entryId()), bytesOf(b.destinationFolder->entryId()));
    EXPECT_EQ(bytesOf(a.sourceFolder->store()->entryId()), bytesOf(b.sourceFolder->store()->entryId()));
    EXPECT_EQ(bytesOf(a.destinationFolder->store()->entryId()),
              bytesOf(b.destinationFolder->store()->entryId()));
    if (withLogin) {
        EXPECT_EQ(a.reservedLoginText, b.reservedLoginText);
        EXPECT_EQ(a.Profile, b.Profile);
        EXPECT_EQ(a.reservedLoginValue, b.reservedLoginValue);
        EXPECT_EQ(a.profileName, b.profileName);
    }
}

} // namespace settings::samples
