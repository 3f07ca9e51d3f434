#include "support/FakeDialogService.h"
#include "support/TemporaryFolder.h"

#include "services/HelpFile.h"
#include "services/ProductLinks.h"
#include "services/ShellOpen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

TEST(ProductLinks, UrlEncodeKeepsOnlyLettersDigitsAndFourMarks) {
    for (const auto& [text, encoded] :
         {std::pair<std::string, std::string>{"Larkspire 2.3/x", "Larkspire%202.3%2fx"},
          {"a-b.c", "a-b.c"},
          {"~", "%7e"},
          {"*_", "*_"},
          {"\xE9&=?", "%e9%26%3d%3f"},
          {"", ""}})
        EXPECT_EQ(services::urlEncode(text), encoded) << text;
}

TEST(ProductLinks, ParametersStartOrContinueTheQuery) {
    EXPECT_EQ(services::addLinkParameters(services::supportPage(), "Technicalsupport1"),
              "https://www.quenby-software.example/"
              "support.html?application=Larkspire&ver=2.3&source=Technicalsupport1");
    EXPECT_EQ(services::addLinkParameters("http://h.example/p?x=1", "a b"),
              "http://h.example/p?x=1&application=Larkspire&ver=2.3&source=a%20b");
    EXPECT_EQ(services::addLinkParameters(services::productPage(), "LarkspireHomePage1"),
              "https://www.quenby-software.example/larkspire.html"
              "?application=Larkspire&ver=2.3&source=LarkspireHomePage1");
    EXPECT_EQ(services::subscribePage(), "https://lists.quenby-software.example/subscribe/tamberlock");
}

struct FakeOpener : services::DesktopOpener {
    bool works = true;
    std::vector<std::string> opened;
    bool open(const std::string& target) override {
        opened.push_back(target);
        return works;
    }
};

struct FakeClipboard : services::Clipboard {
    std::string text;
    void setText(const std::string& t) override { text = t; }
};

TEST(ShellOpen, FailureLeavesTheTargetOnTheClipboardAndNamesIt) {
    FakeOpener opener;
    FakeClipboard clipboard;
    services::shellOpen(opener, clipboard, "/home/me/TextFiles/");
    EXPECT_EQ(opener.opened, std::vector<std::string>{"/home/me/TextFiles/"});
    EXPECT_EQ(clipboard.text, "");

    opener.works = false;
    const std::string page = services::addLinkParameters(services::productPage(), "LarkspireHomePage1");
    try {
        services::shellOpen(opener, clipboard, page);
        FAIL() << "no error";
    } catch (const services::ShellOpenError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Shell command failed. It has been copied to the clipboard.\r\n" + page);
    }
    EXPECT_EQ(clipboard.text, page);
}

struct FakeViewer : services::HelpViewer {
    std::vector<std::filesystem::path> shown;
    int closed = 0;
    void showPage(const std::filesystem::path& page) override { shown.push_back(page); }
    void closeAll() override { ++closed; }
};

class HelpTest : public ::testing::Test {
protected:
    void writeHelp() {
        folder.writeFile("help/contents.html", "<html></html>");
        folder.writeFile("help/index.html", "<html></html>");
        folder.writeFile("help/folders.html", "<html></html>");
        folder.writeFile("help/contexts.txt",
                         "# context page\n200 folders.html\n\n1350 update.html\nbad line\n");
    }

    testsupport::TemporaryFolder folder;
    testsupport::FakeDialogService dialogs;
    FakeViewer viewer;
};

TEST_F(HelpTest, PagesByMenuAndByContextNumber) {
    writeHelp();
    const services::HelpFile help(folder / "help");
    services::showHelpContents(help, viewer, dialogs);
    services::showHelpIndex(help, viewer, dialogs);
    services::showHelpTopic(200, help, viewer, dialogs);
    EXPECT_EQ(viewer.shown,
              (std::vector<std::filesystem::path>{folder / "help/contents.html", folder / "help/index.html",
                                                  folder / "help/folders.html"}));
    EXPECT_TRUE(dialogs.infos.empty());
    services::closeHelp(help, viewer);
    EXPECT_EQ(viewer.closed, 1);
}

TEST_F(HelpTest, MissingPagesAreReportedNotThrown) {
    writeHelp();
    const services::HelpFile help(folder / "help");
    services::showHelpTopic(1350, help, viewer, dialogs); // mapped, but the page is missing
    services::showHelpTopic(999, help, viewer, dialogs);  // not mapped
    ASSERT_EQ(dialogs.infos.size(), 2u);
    EXPECT_EQ(dialogs.infos[0], "Error displaying HTML Help:Cannot find the help page '" +
                                    (folder / "help/update.html").string() + "'");
    EXPECT_EQ(dialogs.infos[1].rfind("Error displaying HTML Help:No help topic for context number 999", 0),
              0u);
    EXPECT_TRUE(viewer.shown.empty());
}

TEST_F(HelpTest, NoHelpFolderAtAll) {
    const services::HelpFile help(folder / "help");
    dialogs.answers.push_back(platform::DialogButton::OK);
    services::showHelpContents(help, viewer, dialogs);
    services::showHelpTopic(210, help, viewer, dialogs);
    services::closeHelp(help, viewer);
    EXPECT_EQ(dialogs.infos,
              std::vector<std::string>{"Error displaying HTML Help:Cannot find the help page '" +
                                       (folder / "help/contents.html").string() + "'"});
    ASSERT_EQ(dialogs.dialogs.size(), 1u);
    EXPECT_EQ(dialogs.dialogs[0].text, "MS Html Help is not installed on this PC.");
    EXPECT_EQ(dialogs.dialogs[0].kind, platform::DialogKind::Warning);
    EXPECT_TRUE(viewer.shown.empty());
    EXPECT_EQ(viewer.closed, 0);
}

// The pages shipped beside the program: every context number the windows carry has its topic, and
// every link between the pages leads to a page that is there.
TEST(ShippedHelp, EveryContextNumberHasItsPage) {
    const char* bin = std::getenv("LARKSPIRE_TEST_BIN");
    ASSERT_NE(bin, nullptr);
    const services::HelpFile help(std::filesystem::path(bin) / "help");
    ASSERT_TRUE(help.available());
    EXPECT_NO_THROW(help.indexPage());
    for (const int context : {200, 210, 220, 230, 270, 280, 290, 1130, 1200, 1350})
        EXPECT_NO_THROW(help.topicPage(context)) << context;

    for (const auto& entry : std::filesystem::directory_iterator(help.folder())) {
        if (entry.path().extension() != ".html")
            continue;
        std::ifstream in(entry.path());
        const std::string html(std::istreambuf_iterator<char>(in), {});
        for (std::size_t at = html.find("href=\""); at != std::string::npos;
             at = html.find("href=\"", at + 1)) {
            const std::string target = html.substr(at + 6, html.find('"', at + 6) - at - 6);
            if (target.rfind("http", 0) == 0)
                continue;
            const std::string file = target.substr(0, target.find('#'));
            EXPECT_TRUE(std::filesystem::is_regular_file(help.folder() / file))
                << entry.path().filename() << " links to " << target;
        }
    }
}

} // namespace
