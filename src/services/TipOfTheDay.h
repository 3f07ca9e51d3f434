#pragma once
// The tip of the day without its dialog: the tips file, the title chosen by a tip's first
// character, the text with its line breaks, paging with wrap-around, and what the start-up and the
// Help menu do with the main window's "show tips" and "current tip".

#include "platform/DialogService.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace services {

// The tips of a file, one a line (CR LF, LF or CR), empty lines dropped; none when the file is
// missing or cannot be read.
std::vector<std::string> readTipsFile(const std::filesystem::path& file);

// "Today's tip...", "Did you know...", "Today's quote...", "Today's joke...", "Today's message..."
// for ^ ? ' ! #, and no title for any other first character.
std::string tipTitle(std::string_view line);

// The line from its second character, at most 255 characters, with each of the first five "%s"
// a line break and "%%" a percent sign. Throws platform::FormatError for any other directive.
std::string tipText(std::string_view line);

// The tips as the dialog pages through them.
class TipBrowser {
public:
    explicit TipBrowser(std::vector<std::string> tips) : m_tips(std::move(tips)) {}

    bool noTips() const { return m_tips.empty(); }
    // The number of the tip on screen.
    std::int32_t current() const { return m_current; }
    // Shows tip `n`, taken without its sign and modulo the number of tips.
    void setTip(std::int32_t n);
    void next();
    void previous();
    std::string title() const;
    // Throws platform::FormatError for a tip that is not a valid format.
    std::string text() const;

private:
    std::vector<std::string> m_tips;
    std::int32_t m_current = 0;
};

// The dialog as ShowTipOfTheDay drives it; the window implements it over its widgets.
class TipDialog {
public:
    virtual ~TipDialog() = default;
    virtual TipBrowser& tips() = 0;
    // Puts the title and then the text of the current tip on screen; throws as TipBrowser::text.
    virtual void showTip() = 0;
    virtual void setShowTips(bool on) = 0;
    virtual bool showTips() const = 0;
    // Shows the dialog modally until the user closes it.
    virtual void showModal() = 0;
};

// Opens the dialog at `currentTip`; when it closes, `currentTip` points one past the tip last on
// screen and `showTips` is the check box. Without tips nothing changes, and only a `forced` call
// (the Help menu) says so. A tip that is not a valid format throws before the dialog appears.
void ShowTipOfTheDay(TipDialog& dialog, std::int32_t& currentTip, bool& showTips, bool forced,
                     platform::DialogService& dialogs);

// The user has just ticked or cleared "Show Tips at Startup".
void showTipsClicked(bool checked, platform::DialogService& dialogs);

enum class StartupGreeting { HelpContents, TipOfTheDay, Nothing };

// The last step of the start-up: the help contents on the very first start, else the tip.
StartupGreeting startupGreeting(bool firstStart, bool showTips);

} // namespace services
