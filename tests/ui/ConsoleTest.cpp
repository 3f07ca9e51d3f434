#include "ui/ConsoleDialogs.h"
#include "ui/ConsoleStatus.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

namespace {

using namespace std::chrono_literals;
using platform::DialogButton;
using platform::DialogKind;

// Plays the calls a run makes for `count` messages, with `step` between messages.
void playRun(ui::ConsoleStatus& status, int count, std::chrono::steady_clock::time_point& now,
             std::chrono::milliseconds step) {
    status.show();
    status.setStatusLine("Connecting to MAPI client...");
    status.setStatusLine("Processing emails...");
    for (int i = 1; i <= count; ++i) {
        status.setStatusLine("Processing email " + std::to_string(i) + " of " + std::to_string(count));
        status.setProgress(i * 100 / count);
        status.setSubject("Subject " + std::to_string(i));
        now += step;
    }
    status.setProgress(100);
    status.setSubject("");
    status.setStatusLine("Complete. " + std::to_string(count) + " emails processed");
    status.finish();
}

TEST(ConsoleStatusTest, LogGetsMessageLinesAtMostOnceASecondAndAlwaysTheFinalLine) {
    std::ostringstream err;
    auto now = std::chrono::steady_clock::time_point{};
    {
        ui::ConsoleStatus status(err, false, 80, [&now] { return now; });
        playRun(status, 12, now, 400ms);
    }
    EXPECT_EQ(err.str(), "Connecting to MAPI client...\n"
                         "Processing emails...\n"
                         "Processing email 1 of 12: Subject 1\n"
                         "Processing email 4 of 12: Subject 4\n"
                         "Processing email 7 of 12: Subject 7\n"
                         "Processing email 10 of 12: Subject 10\n"
                         "Complete. 12 emails processed\n");
}

TEST(ConsoleStatusTest, EmptyFolderGivesTheFinalLine) {
    std::ostringstream err;
    auto now = std::chrono::steady_clock::time_point{};
    {
        ui::ConsoleStatus status(err, false, 80, [&now] { return now; });
        status.setStatusLine("Processing emails...");
        status.setProgress(100);
        status.setSubject("");
        status.setStatusLine("Complete. 0 emails processed");
        status.finish();
    }
    EXPECT_EQ(err.str(), "Processing emails...\nComplete. 0 emails processed\n");
}

std::string lastDrawn(const std::string& text) {
    return text.substr(text.rfind('\r') + 1);
}

TEST(ConsoleStatusTest, TerminalRedrawsOneLineWithBarAndSubject) {
    std::ostringstream err;
    auto now = std::chrono::steady_clock::time_point{};
    {
        ui::ConsoleStatus status(err, true, 60, [&now] { return now; });
        status.setStatusLine("Processing email 1 of 2");
        status.setProgress(50);
        status.setSubject("A subject that is long enough to be cut at the terminal's edge");
        // Within a tenth of a second of the last drawing the update waits...
        EXPECT_EQ(lastDrawn(err.str()), "[                    ]   0% Processing email 1 of 2\x1b[K");
        now += 150ms;
        status.setSubject("A subject that is long enough to be cut at the terminal's edge");
        EXPECT_EQ(lastDrawn(err.str()), "[##########          ]  50% Processing email 1 of 2: A subj\x1b[K");
        EXPECT_EQ(err.str().find('\n'), std::string::npos);
        status.setStatusLine("Processing email 2 of 2");
        status.setProgress(100);
        status.setSubject("");
        status.setStatusLine("Complete. 2 emails processed");
        status.finish();
    }
    // ...but the final line is drawn at once and ended.
    EXPECT_EQ(lastDrawn(err.str()), "[####################] 100% Complete. 2 emails processed\x1b[K\n");
}

TEST(ConsoleStatusTest, LineInProgressIsBroughtUpToDateBeforeOtherOutput) {
    std::ostringstream err;
    auto now = std::chrono::steady_clock::time_point{};
    ui::ConsoleStatus status(err, true, 80, [&now] { return now; });
    status.setStatusLine("Processing email 1 of 4");
    status.setProgress(25);
    status.setSubject("First");
    status.breakLine();
    EXPECT_EQ(lastDrawn(err.str()), "[#####               ]  25% Processing email 1 of 4: First\x1b[K\n");
}

TEST(ConsoleStatusTest, CancelIsSeenByTheRun) {
    std::ostringstream err;
    ui::ConsoleStatus status(err, false);
    EXPECT_FALSE(status.cancelled());
    status.cancel();
    EXPECT_TRUE(status.cancelled());
}

TEST(ConsoleDialogsTest, QuestionWithoutATerminalIsAnsweredNo) {
    std::istringstream in("y\n");
    std::ostringstream err;
    ui::ConsoleDialogs dialogs(in, err, false);
    EXPECT_EQ(dialogs.MessageDialog("The output file /x already exists. Continue?", DialogKind::Confirmation,
                                    DialogButton::Yes | DialogButton::No, 0),
              DialogButton::No);
    EXPECT_EQ(err.str(), "Confirm: The output file /x already exists. Continue?\n"
                         "(answered No: standard input is not a terminal)\n");
    EXPECT_EQ(dialogs.problemsShown(), 0);
}

TEST(ConsoleDialogsTest, QuestionOnATerminalReadsTheAnswer) {
    std::istringstream in("maybe\nY\n");
    std::ostringstream err;
    ui::ConsoleDialogs dialogs(in, err, true);
    EXPECT_EQ(dialogs.MessageDialog("Save current settings?", DialogKind::Confirmation,
                                    DialogButton::Yes | DialogButton::No | DialogButton::Cancel, 0),
              DialogButton::Yes);
    EXPECT_EQ(err.str(), "Confirm: Save current settings?\n[y/n/c] [y/n/c] ");
}

TEST(ConsoleDialogsTest, ErrorsAreCountedAndLineEndsShownAsTheTerminalDoes) {
    std::istringstream in;
    std::ostringstream err;
    ui::ConsoleDialogs dialogs(in, err, false);
    dialogs.ShowInfo("Invalid command line parameter\r\n/Fred");
    EXPECT_EQ(dialogs.MessageDialog("first\r\nsecond", DialogKind::Error, DialogButton::OK, 0),
              DialogButton::OK);
    EXPECT_EQ(err.str(), "Invalid command line parameter\n/Fred\nError: first\nsecond\n");
    EXPECT_EQ(dialogs.problemsShown(), 1);
}

TEST(ConsoleDialogsTest, ProfilePromptWithoutATerminalCancels) {
    std::istringstream in("Work\n");
    std::ostringstream err;
    ui::ConsoleDialogs quiet(in, err, false);
    EXPECT_FALSE(quiet.profilePrompt()({"Home", "Work"}).has_value());
    ui::ConsoleDialogs asking(in, err, true);
    const auto choice = asking.profilePrompt()({"Home", "Work"});
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->name, "Work");
}

} // namespace
