#include "WindowFixture.h"

namespace uitest {
namespace {

using platform::DialogButton;

// The checks themselves are the settings layer's; here Go stops before any status window.
class GoTest : public WindowFixture {};

TEST_F(GoTest, NoToTheExistingFirstFileStartsNoRun) {
    auto& w = startFully();
    folder.writeFile("00007.txt", "old");
    controls.directoryText = folder.path().string();
    controls.fileNameFormatText = "%5.5d.txt";
    controls.firstNumberValue = 7;
    dialogs.answers = {DialogButton::No};
    w.finishButtonClick();
    EXPECT_EQ(runs, 0);
    ASSERT_EQ(dialogs.dialogs.size(), 1u);
    EXPECT_EQ(dialogs.dialogs[0].text,
              "The output file " + (folder / "00007.txt").string() + " already exists. Continue?");
    EXPECT_EQ(dialogs.dialogs[0].kind, platform::DialogKind::Confirmation);
    EXPECT_EQ(testsupport::TemporaryFolder::readFile(folder / "00007.txt"), "old");
}

TEST_F(GoTest, BlankFolderStopsGoBeforeAnyStatusWindow) {
    auto& w = startFully();
    controls.directoryText.clear();
    EXPECT_THROW(w.finishButtonClick(), std::runtime_error);
    EXPECT_EQ(runs, 0);
}

} // namespace
} // namespace uitest
