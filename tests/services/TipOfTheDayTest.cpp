#include "support/FakeDialogService.h"
#include "support/TemporaryFolder.h"

#include "platform/Format.h"
#include "services/TipOfTheDay.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

using services::TipBrowser;

// The dialog's widgets as plain fields; showing it modally presses what the test asked for.
struct FakeTipDialog : services::TipDialog {
    explicit FakeTipDialog(std::vector<std::string> lines) : browser(std::move(lines)) {}

    TipBrowser& tips() override { return browser; }
    void showTip() override {
        title = browser.title();
        text = browser.text();
    }
    void setShowTips(bool on) override { checkBox = on; }
    bool showTips() const override { return checkBox; }
    void showModal() override {
        ++shown;
        if (whileShown)
            whileShown(*this);
    }

    TipBrowser browser;
    std::string title;
    std::string text;
    bool checkBox = false;
    int shown = 0;
    std::function<void(FakeTipDialog&)> whileShown;
};

const std::vector<std::string> kThree = {"^one", "?two", "'three"};

TEST(TipsFile, EmptyLinesDroppedUnderEveryLineEnd) {
    testsupport::TemporaryFolder folder;
    const auto file = folder.writeFile("TIPS.TXT", "^Use %sshort names\r\n\r\n?Ctrl+C copies\n\n  \r'last\r");
    EXPECT_EQ(services::readTipsFile(file),
              (std::vector<std::string>{"^Use %sshort names", "?Ctrl+C copies", "  ", "'last"}));
    EXPECT_TRUE(services::readTipsFile(folder / "missing.txt").empty());
    EXPECT_TRUE(services::readTipsFile(folder.writeFile("blank.txt", "\r\n\n\r")).empty());
}

TEST(TipsFile, MarkerChoosesTheTitleAndIsAlwaysRemoved) {
    struct Case {
        const char* line;
        const char* title;
        const char* text;
    };
    for (const Case c : {Case{"^Use %sshort names", "Today's tip...", "Use \nshort names"},
                         Case{"?Ctrl+C copies", "Did you know...", "Ctrl+C copies"},
                         Case{"'Less is more", "Today's quote...", "Less is more"},
                         Case{"!A joke", "Today's joke...", "A joke"},
                         Case{"#News", "Today's message...", "News"}, Case{"Hello", "", "ello"},
                         Case{"^100%% sure%s%s%s%s%s", "Today's tip...", "100% sure\n\n\n\n\n"}}) {
        EXPECT_EQ(services::tipTitle(c.line), c.title) << c.line;
        EXPECT_EQ(services::tipText(c.line), c.text) << c.line;
    }
}

TEST(TipsFile, TextIsCutAt255Characters) {
    std::string line = "^";
    for (int i = 0; i < 299; ++i)
        line += static_cast<char>('a' + i % 26);
    EXPECT_EQ(services::tipText(line), line.substr(1, 255));
    // A two-byte character that would straddle the limit is left out whole.
    const std::string accented = "^" + std::string(254, 'a') + "\xC3\xA9" + "tail";
    EXPECT_EQ(services::tipText(accented), std::string(254, 'a'));
}

TEST(TipsFile, DirectivesOtherThanLineBreaksAreFormatErrors) {
    for (const char* bad : {"^%d days", "^100% sure", "^%s%s%s%s%s%s"})
        EXPECT_THROW(services::tipText(bad), platform::FormatError) << bad;
}

TEST(TipBrowser, NumbersWrapBySizeAndSign) {
    TipBrowser tips(kThree);
    for (const auto [asked, shown] : {std::pair{7, 1}, {-4, 1}, {3, 0}, {INT32_MIN, 2}, {INT32_MAX, 1}}) {
        tips.setTip(asked);
        EXPECT_EQ(tips.current(), shown) << asked;
    }
    tips.setTip(0);
    tips.previous();
    EXPECT_EQ(tips.current(), 2);
    EXPECT_EQ(tips.title(), "Today's quote...");
    tips.next();
    EXPECT_EQ(tips.current(), 0);
    EXPECT_EQ(tips.text(), "one");
}

TEST(ShowTipOfTheDay, ClosingStoresOnePastTheTipOnScreen) {
    testsupport::FakeDialogService boxes;
    FakeTipDialog dialog(kThree);
    dialog.whileShown = [](FakeTipDialog& d) {
        EXPECT_EQ(d.browser.current(), 1);
        EXPECT_EQ(d.title, "Did you know...");
        EXPECT_TRUE(d.checkBox);
        d.browser.next();
        d.checkBox = false;
    };
    std::int32_t current = 7;
    bool showTips = true;
    services::ShowTipOfTheDay(dialog, current, showTips, false, boxes);
    EXPECT_EQ(current, 3); // not reduced: the next opening wraps it
    EXPECT_FALSE(showTips);
    EXPECT_EQ(dialog.shown, 1);
}

TEST(ShowTipOfTheDay, WithoutTipsOnlyTheHelpMenuSaysSo) {
    for (const bool forced : {false, true}) {
        testsupport::FakeDialogService boxes;
        FakeTipDialog dialog({});
        std::int32_t current = 5;
        bool showTips = true;
        services::ShowTipOfTheDay(dialog, current, showTips, forced, boxes);
        EXPECT_EQ(dialog.shown, 0);
        EXPECT_EQ(current, 5);
        EXPECT_TRUE(showTips);
        EXPECT_EQ(boxes.infos, forced ? std::vector<std::string>{"Couldn't find Tip Of The Day file"}
                                      : std::vector<std::string>{});
    }
}

TEST(ShowTipOfTheDay, BadTipKeepsTheDialogClosedAndTheValues) {
    testsupport::FakeDialogService boxes;
    FakeTipDialog dialog({"^fine", "^%d broken"});
    std::int32_t current = 1;
    bool showTips = true;
    EXPECT_THROW(services::ShowTipOfTheDay(dialog, current, showTips, false, boxes), platform::FormatError);
    EXPECT_EQ(dialog.shown, 0);
    EXPECT_EQ(current, 1);
}

TEST(ShowTipOfTheDay, ClearingTheCheckBoxPointsToTheHelpMenu) {
    testsupport::FakeDialogService boxes;
    services::showTipsClicked(true, boxes);
    EXPECT_TRUE(boxes.infos.empty());
    services::showTipsClicked(false, boxes);
    EXPECT_EQ(boxes.infos,
              std::vector<std::string>{"If you need it, you can find Tip of the Day in the Help Menu"});
}

TEST(ShowTipOfTheDay, FirstStartOpensTheHelpInstead) {
    EXPECT_EQ(services::startupGreeting(true, true), services::StartupGreeting::HelpContents);
    EXPECT_EQ(services::startupGreeting(false, true), services::StartupGreeting::TipOfTheDay);
    EXPECT_EQ(services::startupGreeting(false, false), services::StartupGreeting::Nothing);
}

} // namespace

namespace {

TEST(ShippedTips, EveryTipShowsAndEveryMarkerIsUsed) {
    const char* bin = std::getenv("LARKSPIRE_TEST_BIN");
    ASSERT_NE(bin, nullptr);
    const auto tips = services::readTipsFile(std::filesystem::path(bin) / "TIPS.TXT");
    EXPECT_GE(tips.size(), 30u);
    std::set<std::string> titles;
    for (const std::string& tip : tips) {
        EXPECT_LE(tip.size(), 256u) << tip;
        EXPECT_NO_THROW(services::tipText(tip)) << tip;
        titles.insert(services::tipTitle(tip));
    }
    EXPECT_EQ(titles, (std::set<std::string>{"Today's tip...", "Did you know...", "Today's quote...",
                                             "Today's joke...", "Today's message..."}));
}

} // namespace
