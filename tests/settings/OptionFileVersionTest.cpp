// Files of every older version, written value by value as that version of the program laid them
// out, and the fields each version's reading rules set.

#include "settings/OptionFile.h"

#include "settings/OptionFileStream.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace settings {
namespace {

const std::string kFixedHeader = "From: %FROM\r\nSent: %SENT\r\nTo: %TO\r\nSubject: %SUBJECT\r\n";

std::vector<std::uint8_t> idBytes(std::size_t size, std::uint8_t first) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

std::string fileOfVersion(int v, bool moveFlag) {
    OptionStreamWriter out;
    out.writeSignature();
    out.writeShortName("TSettings");
    out.writeShortName("");
    out.writeShortName("TSettings");
    out.writeInteger(v);
    if (v >= 13)
        out.writeString("\r\na comment\r\n");
    out.writeString("filter");
    out.writeString("save/");
    out.writeInteger(42);
    out.writeString("%3.3d.txt");
    out.writeBoolean(true); // "Include subject"
    out.writeString("start");
    out.writeString("end");
    out.writeBoolean(true);
    if (v >= 2)
        out.writeString("dest");
    if (v >= 3)
        out.writeString("retired 1");
    if (v >= 4) {
        out.writeBoolean(true);
        out.writeString("retired 2");
        out.writeString("retired 3");
    }
    if (v >= 5) {
        out.writeString("HDR");
        out.writeString("FTR");
    }
    if (v >= 6) {
        if (v < 10)
            out.writeBoolean(moveFlag);
        else
            out.writeInteger(2);
        out.writeBoolean(false);
        out.writeString("from");
        out.writeString("retired 4");
    }
    if (v >= 7)
        out.writeBoolean(true);
    if (v >= 8)
        out.writeInteger(3);
    if (v >= 9)
        out.writeBoolean(true);
    if (v >= 10)
        out.writeString("TAG");
    if (v >= 12) {
        out.writeString(".a\r\n.b\r\n");
        out.writeString("1\r2\n");
    }
    if (v >= 13) {
        out.writeEntryId(idBytes(30, 0xA0));
        out.writeInteger(5); // shorter than any entry id: 24 bytes follow
        for (int i = 0; i < 24; ++i)
            out.writeInteger(i == 0 ? 0x1FF : i);
        out.writeInteger(2);
        out.writeInteger(9);
        out.writeString("prof");
        out.writeString("reserved");
    }
    if (v >= 14) {
        out.writeString("mf");
        out.writeString("mfmt");
    }
    if (v >= 15) {
        out.writeEntryId(idBytes(40, 0x10));
        out.writeEntryId(idBytes(26, 0x50));
    }
    if (v >= 16) {
        out.writeBoolean(false);
        out.writeString("wm");
    }
    out.writeListEnd();
    out.writeListEnd();
    return out.bytes();
}

using Check = std::function<void(const TSettings&)>;

struct VersionCase {
    const char* name;
    int version;
    bool moveFlag;
    Check check;
};

void PrintTo(const VersionCase& c, std::ostream* out) {
    *out << c.name;
}

class OptionFileVersionTest : public testing::TestWithParam<VersionCase> {};

TEST_P(OptionFileVersionTest, ReadsAsItsVersionSays) {
    const VersionCase& c = GetParam();
    const std::string file = fileOfVersion(c.version, c.moveFlag);
    std::istringstream in(file);
    TSettings settings(nullptr);
    readOptionFile(settings, in, file.size());
    EXPECT_EQ(settings.fileVersion, c.version);
    // Values every version has.
    EXPECT_EQ(settings.weftmarkFilter, "filter");
    EXPECT_EQ(settings.saveFolder, "save/");
    EXPECT_EQ(settings.firstNumber, 42);
    EXPECT_EQ(settings.numberFormat, "%3.3d.txt");
    EXPECT_EQ(settings.startTag, "start");
    EXPECT_EQ(settings.endTag, "end");
    EXPECT_TRUE(settings.includeAttachments);
    c.check(settings);
}

void expectOldDefaultsFromVersion16(const TSettings& s) {
    EXPECT_TRUE(s.readStatus);
    EXPECT_EQ(s.wordMacro, "");
}

void expectNoLogin(const TSettings& s) {
    EXPECT_EQ(s.fromFolderName, "");
    EXPECT_EQ(s.msgDestination, "");
    EXPECT_EQ(s.Profile, DefaultProfile);
    EXPECT_EQ(s.reservedLoginValue, 0);
}

void expectAllOfVersion17(const TSettings& s) {
    EXPECT_EQ(s.emailHeader, "%SUBJECT\r\n\r\nHDR");
    EXPECT_EQ(s.moveMessages, TagSubject);
    EXPECT_EQ(s.fromFolderName, "from");
    EXPECT_EQ(s.msgDestination, "dest");
    EXPECT_EQ(s.Profile, NamedProfile);
    EXPECT_EQ(s.reservedLoginValue, 9);
    EXPECT_EQ(s.profileName, "prof");
    EXPECT_EQ(s.reservedLoginText, "reserved");
    EXPECT_EQ(s.manualFolder, "mf");
    EXPECT_EQ(s.sourceFolder->store()->entryId().toBinary(), idBytes(40, 0x10));
    EXPECT_EQ(s.destinationFolder->store()->entryId().toBinary(), idBytes(26, 0x50));
    EXPECT_FALSE(s.readStatus);
    EXPECT_EQ(s.wordMacro, "wm");
}

const VersionCase kCases[] = {
    {"Version1", 1, true,
     [](const TSettings& s) {
         EXPECT_EQ(s.msgDestination, "");
         EXPECT_EQ(s.emailHeader, "");
         EXPECT_EQ(s.emailFooter, "");
         EXPECT_EQ(s.moveMessages, MoveToFolder);
         EXPECT_TRUE(s.getFromDefaultFolder);
         EXPECT_FALSE(s.reprocessEmails);
         EXPECT_EQ(s.sortOrder, 0);
         EXPECT_FALSE(s.sortDescending);
         EXPECT_EQ(s.tagText, "*RP* ");
         EXPECT_EQ(s.extensions, defaultExtensions());
         EXPECT_EQ(s.extensionActions, defaultExtensionActions());
         EXPECT_EQ(s.manualFolder, defaultManualFolder());
         EXPECT_EQ(s.manualFormat, "%FROM_%NUMBER");
         expectNoLogin(s);
         expectOldDefaultsFromVersion16(s);
     }},
    // The destination name is read, and cleared again because the file has no entry ids.
    {"Version2", 2, true, [](const TSettings& s) { EXPECT_EQ(s.msgDestination, ""); }},
    {"Version4", 4, true,
     [](const TSettings& s) {
         EXPECT_EQ(s.emailHeader, "");
         EXPECT_EQ(s.moveMessages, MoveToFolder);
     }},
    {"Version5", 5, true,
     [](const TSettings& s) {
         EXPECT_EQ(s.emailHeader, "%SUBJECT\r\n\r\n" + kFixedHeader + "\r\nHDR");
         EXPECT_EQ(s.emailFooter, "FTR");
         EXPECT_EQ(s.moveMessages, MoveToFolder);
         EXPECT_TRUE(s.getFromDefaultFolder);
         EXPECT_EQ(s.tagText, "*RP* ");
     }},
    {"Version6", 6, true,
     [](const TSettings& s) {
         EXPECT_EQ(s.moveMessages, MoveToFolder);
         EXPECT_FALSE(s.getFromDefaultFolder);
         EXPECT_EQ(s.fromFolderName, "");
         EXPECT_FALSE(s.reprocessEmails);
     }},
    {"Version9MoveTrue", 9, true,
     [](const TSettings& s) {
         EXPECT_EQ(s.moveMessages, MoveToFolder);
         EXPECT_TRUE(s.reprocessEmails);
         EXPECT_EQ(s.sortOrder, 3);
         EXPECT_TRUE(s.sortDescending);
         EXPECT_EQ(s.tagText, "*RP* ");
     }},
    {"Version9MoveFalse", 9, false, [](const TSettings& s) { EXPECT_EQ(s.moveMessages, LeaveMessage); }},
    {"Version10", 10, true,
     [](const TSettings& s) {
         EXPECT_EQ(s.emailHeader, "%SUBJECT\r\n\r\n" + kFixedHeader + "\r\nHDR");
         EXPECT_EQ(s.moveMessages, TagSubject);
         EXPECT_EQ(s.tagText, "TAG");
         EXPECT_EQ(s.extensions, defaultExtensions());
     }},
    {"Version11", 11, true,
     [](const TSettings& s) {
         EXPECT_EQ(s.emailHeader, "%SUBJECT\r\n\r\nHDR");
         EXPECT_EQ(s.extensions, defaultExtensions());
     }},
    {"Version12", 12, true,
     [](const TSettings& s) {
         EXPECT_EQ(s.extensions, (std::vector<std::string>{".a", ".b"}));
         EXPECT_EQ(s.extensionActions, (std::vector<std::string>{"1", "2"}));
         expectNoLogin(s);
         EXPECT_EQ(s.profileName, "");
     }},
    {"Version13", 13, true,
     [](const TSettings& s) {
         EXPECT_EQ(s.sourceFolder->entryId().toBinary(), idBytes(30, 0xA0));
         const mapi::Binary destination = s.destinationFolder->entryId().toBinary();
         ASSERT_EQ(destination.size(), 24u);
         EXPECT_EQ(destination[0], 0xFF);
         EXPECT_EQ(destination[23], 23);
         EXPECT_EQ(s.profileName, "prof");
         EXPECT_EQ(s.manualFolder, defaultManualFolder());
         expectNoLogin(s);
     }},
    {"Version14", 14, true,
     [](const TSettings& s) {
         EXPECT_EQ(s.sourceFolder->entryId().toBinary(), idBytes(30, 0xA0));
         EXPECT_EQ(s.manualFolder, "mf");
         EXPECT_EQ(s.manualFormat, "mfmt");
         EXPECT_EQ(s.profileName, "prof");
         expectNoLogin(s);
         EXPECT_EQ(s.sourceFolder->store()->entryId().toBinary(), mapi::Binary(24, 0));
         expectOldDefaultsFromVersion16(s);
     }},
    {"Version15", 15, true,
     [](const TSettings& s) {
         EXPECT_EQ(s.fromFolderName, "from");
         EXPECT_EQ(s.msgDestination, "dest");
         EXPECT_EQ(s.Profile, NamedProfile);
         EXPECT_EQ(s.sourceFolder->store()->entryId().toBinary(), idBytes(40, 0x10));
         expectOldDefaultsFromVersion16(s);
     }},
    {"Version16", 16, true, expectAllOfVersion17},
    {"Version17", 17, true, expectAllOfVersion17},
    {"Version18", 18, true, expectAllOfVersion17},
};

INSTANTIATE_TEST_SUITE_P(Versions, OptionFileVersionTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<VersionCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace settings
