#include "i18n/TStringLoader.h"

#include "i18n/Escapes.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using i18n::TStringLoader;
using testsupport::TemporaryFolder;

TEST(TStringLoaderTest, WithoutPathIsDisabled) {
    TStringLoader loader;
    EXPECT_TRUE(loader.disabled());
    EXPECT_EQ(loader.loadText(8250, "Connecting to MAPI client..."), "Connecting to MAPI client...");
}

TEST(TStringLoaderTest, MissingFileCreatesTheFolderAndStaysEnabled) {
    TemporaryFolder folder;
    TStringLoader loader(folder / "Languages/English.ini");
    EXPECT_FALSE(loader.disabled());
    EXPECT_TRUE(fs::is_directory(folder / "Languages"));
    EXPECT_FALSE(fs::exists(folder / "Languages/English.ini"));
    EXPECT_EQ(loader.loadText(8250, "Default"), "Default");
}

TEST(TStringLoaderTest, LooksUpDecodedGlobalTexts) {
    TemporaryFolder folder;
    const fs::path path = folder.writeFile("German.ini", "[global]\r\n8250=Verbinde\\r\\nbitte\r\n8251=\r\n"
                                                         "8252=bad\\4\r\n[TForm1]\r\n8253=dialog\r\n");
    TStringLoader loader(path);
    EXPECT_EQ(loader.loadText(8250, "Default"), "Verbinde\r\nbitte");
    EXPECT_EQ(loader.loadText(8251, "Default"), "");
    EXPECT_EQ(loader.loadText(8253, "Default"), "Default");
    EXPECT_THROW(loader.loadText(8252, "Default"), i18n::EscapeError);
}

TEST(TStringLoaderTest, UnreadableFileDisablesQuietly) {
    TemporaryFolder folder;
    fs::create_directories(folder / "English.ini");
    TStringLoader loader(folder / "English.ini");
    EXPECT_TRUE(loader.disabled());
    EXPECT_EQ(loader.loadText(8250, "Default"), "Default");
}

TEST(TStringLoaderTest, RecordEntrySavesTheWholeFileEncoded) {
    TemporaryFolder folder;
    const fs::path path = folder.writeFile("English.ini", "; translator's note\n[TTstatusForm]\nA=1\n");
    TStringLoader loader(path);
    loader.RecordEntry("TTstatusForm", "Exceptions.col_1.row_0", "Sub\tject");
    loader.RecordEntry("TForm1", "sortOrder.items", "a\r\nb\r\n");
    EXPECT_FALSE(loader.disabled());
    EXPECT_EQ(TemporaryFolder::readFile(path),
              "[TTstatusForm]\r\nA=1\r\nExceptions.col_1.row_0=Sub\\tject\r\n\r\n"
              "[TForm1]\r\nsortOrder.items=a\\r\\nb\\r\\n\r\n\r\n");
    EXPECT_EQ(*loader.value("TForm1", "sortOrder.items"), "a\\r\\nb\\r\\n");
}

TEST(TStringLoaderTest, FailedWriteDisablesTheLoader) {
    TemporaryFolder folder;
    const fs::path path = folder.writeFile("Languages/English.ini", "[global]\n8250=Busy\n");
    TStringLoader loader(path);
    ASSERT_EQ(loader.loadText(8250, "Default"), "Busy");
    // The folder turns into a file, so nothing can be written there any more.
    fs::remove_all(folder / "Languages");
    folder.writeFile("Languages", "not a folder");
    loader.RecordEntry("global", "1", "x");
    EXPECT_TRUE(loader.disabled());
    EXPECT_EQ(loader.loadText(8250, "Default"), "Default");
}

TEST(TStringLoaderTest, DisabledLoaderNeverOverwritesTheFile) {
    TemporaryFolder folder;
    fs::create_directories(folder / "English.ini");
    TStringLoader loader(folder / "English.ini");
    loader.RecordEntry("global", "1", "x");
    EXPECT_TRUE(fs::is_directory(folder / "English.ini"));
}

} // namespace
