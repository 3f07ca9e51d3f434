#include "i18n/TextLookup.h"

#include "i18n/Escapes.h"
#include "i18n/TStringLoader.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

namespace {

using i18n::LoadText;
using i18n::LoadTextFmt;
using testsupport::TemporaryFolder;

// Installs a loader over a language file for one test and removes it afterwards.
class TextLookupTest : public testing::Test {
protected:
    void install(std::string_view content) {
        i18n::SetLoader(std::make_unique<i18n::TStringLoader>(m_folder.writeFile("Test.ini", content)));
    }
    void TearDown() override { i18n::SetLoader(nullptr); }

    TemporaryFolder m_folder;
};

TEST_F(TextLookupTest, WithoutLoaderDefaultsAreUsed) {
    EXPECT_TRUE(i18n::GetLoader().disabled());
    EXPECT_EQ(LoadText(8250, "Connecting to MAPI client..."), "Connecting to MAPI client...");
    EXPECT_EQ(LoadTextFmt(8330, "Processing email %d of %d", {2, 5}), "Processing email 2 of 5");
}

TEST_F(TextLookupTest, DefaultThatDoesNotFitGivesFormatErr) {
    EXPECT_EQ(LoadTextFmt(4440, "Bad %d", {"text"}), "FormatErr(4440):Bad %d");
    install("[global]\n4440=Schlecht %d\n");
    EXPECT_EQ(LoadTextFmt(4440, "Bad %d", {"text"}), "FormatErr(4440):Bad %d");
}

TEST_F(TextLookupTest, TranslationIsFormatted) {
    install("[global]\n8330=Nachricht %d von %d\n8461=\n");
    EXPECT_EQ(LoadTextFmt(8330, "Processing email %d of %d", {2, 5}), "Nachricht 2 von 5");
    EXPECT_EQ(LoadTextFmt(8461, "Sample filename: %s", {"x"}), "");
    EXPECT_EQ(LoadTextFmt(8462, "Missing %s", {"x"}), "Missing x");
}

TEST_F(TextLookupTest, TranslationThatDoesNotFitFallsBackToEnglish) {
    install("[global]\n4440=Datei %d\n4441=bad \\9\\\n4442=%s %s\n");
    EXPECT_EQ(LoadTextFmt(4440, "File %s", {"a.txt"}), "File a.txt");
    EXPECT_EQ(LoadTextFmt(4441, "File %s", {"a.txt"}), "File a.txt");
    EXPECT_EQ(LoadTextFmt(4442, "File %s", {"a.txt"}), "File a.txt");
}

TEST_F(TextLookupTest, LoadTextPassesBadEscapesOn) {
    install("[global]\n1=\\400\n");
    EXPECT_THROW(LoadText(1, "x"), i18n::EscapeError);
}

TEST_F(TextLookupTest, SetLoaderReplacesTheLoader) {
    install("[global]\n1=first\n");
    EXPECT_EQ(LoadText(1, "x"), "first");
    install("[global]\n1=second\n");
    EXPECT_EQ(LoadText(1, "x"), "second");
}

} // namespace
