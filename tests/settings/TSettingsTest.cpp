#include "settings/TSettings.h"

#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

namespace {

using settings::TSettings;

TEST(TSettingsTest, NewObjectIsEmptyWithTwoPlaceholderFolders) {
    TSettings settings(nullptr);
    EXPECT_EQ(settings.fileVersion, 0);
    EXPECT_TRUE(settings.saveFolder.empty());
    EXPECT_TRUE(settings.numberFormat.empty());
    EXPECT_TRUE(settings.extensions.empty());
    EXPECT_EQ(settings.firstNumber, 0);
    EXPECT_FALSE(settings.getFromDefaultFolder);
    EXPECT_FALSE(settings.includeAttachments);
    for (const auto* folder : {settings.sourceFolder.get(), settings.destinationFolder.get()}) {
        ASSERT_NE(folder, nullptr);
        EXPECT_EQ(folder->entryId().size(), 24u);
        EXPECT_EQ(folder->store()->displayName(), "dummy");
        EXPECT_EQ(folder->store()->entryId().size(), 24u);
    }
    EXPECT_NE(settings.sourceFolder->store(), settings.destinationFolder->store());
}

TEST(TSettingsTest, DefaultsOfAFirstStart) {
    TSettings settings(nullptr);
    settings.optionFileName = "/jobs/a.lks";
    settings.profileName = "Work";
    settings::applyDefaults(settings);
    const std::string& program = platform::programFolder();
    EXPECT_EQ(settings.saveFolder, program + "TextFiles/");
    EXPECT_EQ(settings.manualFolder, program + "Manual/");
    EXPECT_EQ(settings.weftmarkFilter.rfind(program + "Filters/", 0), 0u);
    EXPECT_EQ(settings.numberFormat, "%5.5d.txt");
    EXPECT_EQ(settings.manualFormat, "%FROM_%NUMBER");
    EXPECT_EQ(settings.tagText, "*RP* ");
    EXPECT_EQ(settings.startTag, "\r\n" + std::string(52, '*') + "\r\nAttached file: %FILENAME\r\n");
    EXPECT_EQ(settings.endTag, "\r\n" + std::string(52, '*') + "\r\n");
    EXPECT_EQ(settings.emailHeader, "From: %FROM\r\nSent: %SENT\r\nTo: %TO\r\nSubject: %SUBJECT\r\n");
    EXPECT_TRUE(settings.includeAttachments);
    EXPECT_TRUE(settings.getFromDefaultFolder);
    EXPECT_FALSE(settings.readStatus);
    EXPECT_EQ(settings.moveMessages, settings::LeaveMessage);
    ASSERT_EQ(settings.extensions.size(), 19u);
    ASSERT_EQ(settings.extensionActions.size(), 19u);
    EXPECT_EQ(settings.extensions[12], ".zip");
    EXPECT_EQ(settings.extensionActions[12], "2");
    EXPECT_EQ(settings.extensions[13], ".pdf");
    EXPECT_EQ(settings.extensionActions[13], "4");
    EXPECT_EQ(settings.extensions.back(), ".vcf");
    EXPECT_EQ(settings.extensionActions.back(), "3");
    EXPECT_EQ(settings.optionFileName, "/jobs/a.lks");
    EXPECT_EQ(settings.profileName, "Work");
}

} // namespace
