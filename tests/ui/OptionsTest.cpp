#include "WindowFixture.h"

#include "settings/OptionFile.h"
#include "ui/Options.h"
#include "ui/SettingEdit.h"

#include <functional>

namespace uitest {
namespace {

struct SetCase {
    std::string name;
    std::string argument;
    std::function<void(const ui::ConsoleControls&, ui::MainWindow&)> check;
};

class SetTest : public WindowFixture, public ::testing::WithParamInterface<SetCase> {};

TEST_P(SetTest, SetsTheControlAsAUserEditWould) {
    auto& w = startFully();
    ui::Options options(w, std::cout, "test");
    EXPECT_FALSE(w.modified());
    options.process(GetParam().argument);
    EXPECT_TRUE(w.modified());
    EXPECT_FALSE(options.invalid());
    GetParam().check(controls, w);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SetTest,
    ::testing::Values(
        SetCase{"SaveFolder", "--set=Save folder=/tmp/out",
                [](auto& c, auto&) { EXPECT_EQ(c.directoryText, "/tmp/out"); }},
        SetCase{"FirstNumberRefreshesTheSample", "--set=First number=42",
                [](auto& c, auto&) {
                    EXPECT_EQ(c.firstNumberValue, 42);
                    EXPECT_EQ(c.sampleNameText, "Sample filename: 00042.txt");
                }},
        SetCase{"NumberFormat", "--set=Number format=%FROM_%d.txt",
                [](auto& c, auto&) { EXPECT_EQ(c.fileNameFormatText, "%FROM_%d.txt"); }},
        SetCase{"NameIgnoresCase", "--set=number FORMAT=%d.asc",
                [](auto& c, auto&) { EXPECT_EQ(c.fileNameFormatText, "%d.asc"); }},
        SetCase{"DefaultFolderOffEnablesTheSource", "--set=get from default folder=false",
                [](auto& c, auto&) {
                    EXPECT_EQ(c.emailsFromItem, ui::FolderItem);
                    EXPECT_TRUE(c.sourceFolderEnabled);
                }},
        SetCase{"MoveEnablesTheDestination", "--set=move messages=1",
                [](auto& c, auto&) {
                    EXPECT_EQ(c.emailsToItem, ui::MoveItem);
                    EXPECT_TRUE(c.destinationFolderEnabled);
                    EXPECT_FALSE(c.tagTextEnabled);
                }},
        SetCase{"Destination", "--set=msgDestination=Archive",
                [](auto& c, auto&) { EXPECT_EQ(c.messageDestinationText, "Archive"); }},
        SetCase{"SortOrder", "--set=sort order=4", [](auto& c, auto&) { EXPECT_EQ(c.sortOrderItem, 4); }},
        SetCase{"SortDescending", "--set=sort descending=TRUE",
                [](auto& c, auto&) { EXPECT_TRUE(c.descendingChecked); }},
        SetCase{"ReadStatus", "--set=readStatus=1", [](auto& c, auto&) { EXPECT_TRUE(c.readStatusChecked); }},
        SetCase{"TagTextKeepsBlanks", "--set=tag text=[done] ",
                [](auto& c, auto&) { EXPECT_EQ(c.tagTextText, "[done] "); }},
        SetCase{"ValueWithEquals", "--set=tag text=a=b",
                [](auto& c, auto&) { EXPECT_EQ(c.tagTextText, "a=b"); }},
        SetCase{"ProfileGoesToTheSession", "--set=Profile=2",
                [](auto& c, auto& w) {
                    EXPECT_TRUE(c.loginNameEnabled);
                    EXPECT_EQ(w.session().loginChoice(), 2);
                }},
        SetCase{"ProfileName", "--set=profileName=Work",
                [](auto& c, auto& w) { EXPECT_EQ(w.session().profileName(), "Work"); }}),
    [](const auto& info) { return info.param.name; });

struct BadOptionCase {
    std::string name;
    std::string argument;
    std::string error;
};

class BadOptionTest : public WindowFixture, public ::testing::WithParamInterface<BadOptionCase> {};

TEST_P(BadOptionTest, IsAnInvalidCommandLineNamingTheProblem) {
    auto& w = startFully();
    ui::Options options(w, std::cout, "test");
    try {
        options.process(GetParam().argument);
        FAIL() << "accepted";
    } catch (const ui::CommandLineError& error) {
        EXPECT_EQ(error.what(), GetParam().error);
    }
    EXPECT_TRUE(options.invalid());
    EXPECT_FALSE(w.modified());
}

INSTANTIATE_TEST_SUITE_P(
    Errors, BadOptionTest,
    ::testing::Values(
        BadOptionCase{"UnknownSetting", "--set=Start tag=x", "Unknown setting \"Start tag\""},
        BadOptionCase{"NoValue", "--set=tag text", "--set needs NAME=VALUE: --set=tag text"},
        BadOptionCase{
            "NotANumber", "--set=First number=ten",
            "Invalid value for setting \"First number\": \"ten\" (expected a whole number from 0 to "
            "2147483647)"},
        BadOptionCase{"NegativeNumber", "--set=First number=-1",
                      "Invalid value for setting \"First number\": \"-1\" (expected a whole number from 0 to "
                      "2147483647)"},
        BadOptionCase{
            "SortOrderOutOfRange", "--set=sort order=5",
            "Invalid value for setting \"sort order\": \"5\" (expected a whole number from 0 to 4)"},
        BadOptionCase{"NotABoolean", "--set=readStatus=yes",
                      "Invalid value for setting \"readStatus\": \"yes\" (expected 0, 1, false or true)"},
        BadOptionCase{"UnknownOption", "--frobnicate", "Invalid command line parameter\r\n--frobnicate"}),
    [](const auto& info) { return info.param.name; });

class FolderOptionTest : public WindowFixture {};

TEST_F(FolderOptionTest, ListsTheTreeSortedByLevel) {
    auto& w = startFully();
    std::ostringstream out;
    ui::Options options(w, out, "test");
    options.process("--list-folders");
    EXPECT_EQ(out.str(), "Personal Folders\n"
                         "Personal Folders\\Archive\n"
                         "Personal Folders\\Projects\n"
                         "Personal Folders\\Projects\\Inbox\n");
}

TEST_F(FolderOptionTest, SourceTakesIdentityAndPathAndSelectsFolder) {
    auto& w = startFully();
    ui::Options options(w, std::cout, "test");
    options.process("--source=personal folders\\projects\\INBOX");
    EXPECT_EQ(controls.messageSourceText, "Personal Folders\\Projects\\Inbox");
    EXPECT_EQ(controls.emailsFromItem, ui::FolderItem);
    EXPECT_TRUE(w.modified());
    EXPECT_EQ(w.sourceFolder().store()->displayName(), "Personal Folders");

    options.process("--destination=Personal Folders\\Archive");
    EXPECT_EQ(controls.messageDestinationText, "Personal Folders\\Archive");
    EXPECT_NE(w.destinationFolder().entryId(), w.sourceFolder().entryId());

    // The identities survive a save and a load, as a chooser's choice does.
    const std::string job = (folder / "folders.lks").string();
    options.process("--save-as=" + job);
    settings::TSettings reread(&w.session());
    settings::loadOptionFile(reread, job);
    EXPECT_EQ(reread.fromFolderName, "Personal Folders\\Projects\\Inbox");
    EXPECT_FALSE(reread.getFromDefaultFolder);
    EXPECT_EQ(reread.sourceFolder->entryId(), w.sourceFolder().entryId());
    EXPECT_EQ(reread.destinationFolder->entryId(), w.destinationFolder().entryId());
    EXPECT_EQ(controls.caption, "folders.lks - Larkspire");
}

TEST_F(FolderOptionTest, UnknownFolderIsAnError) {
    auto& w = startFully();
    ui::Options options(w, std::cout, "test");
    EXPECT_THROW(options.process("--source=Personal Folders\\Nothing"), std::runtime_error);
    EXPECT_FALSE(options.invalid());
    EXPECT_EQ(controls.emailsFromItem, ui::DefaultInboxItem);
}

} // namespace
} // namespace uitest
