#include "services/TipOfTheDay.h"

#include "i18n/TextLookup.h"
#include "platform/Format.h"

#include <fstream>
#include <iterator>

namespace services {

namespace {

constexpr std::size_t kMaxTipText = 255;
// On this platform a line break is LF; the labels that show tips break lines on it.
constexpr const char* kLineBreak = "\n";

} // namespace

std::vector<std::string> readTipsFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string content(std::istreambuf_iterator<char>(in), {});
    std::vector<std::string> tips;
    std::size_t start = 0;
    while (start < content.size()) {
        auto end = content.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = content.size();
        if (end > start)
            tips.push_back(content.substr(start, end - start));
        start = end + (content.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return tips;
}

std::string tipTitle(std::string_view line) {
    switch (line.empty() ? '\0' : line.front()) {
    case '^':
        return "Today's tip...";
    case '?':
        return "Did you know...";
    case '\'':
        return "Today's quote...";
    case '!':
        return "Today's joke...";
    case '#':
        return "Today's message...";
    default:
        return "";
    }
}

std::string tipText(std::string_view line) {
    std::string_view text = line.substr(line.empty() ? 0 : 1);
    if (text.size() > kMaxTipText) {
        // Text is UTF-8 here: the cut goes before a character that would not fit whole.
        std::size_t cut = kMaxTipText;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        text = text.substr(0, cut);
    }
    return platform::format(text, {kLineBreak, kLineBreak, kLineBreak, kLineBreak, kLineBreak});
}

void TipBrowser::setTip(std::int32_t n) {
    // Through 64 bits, since the lowest 32-bit number has no positive counterpart.
    const std::int64_t magnitude = n < 0 ? -static_cast<std::int64_t>(n) : n;
    m_current = m_tips.empty() ? n : static_cast<std::int32_t>(magnitude % std::ssize(m_tips));
}

void TipBrowser::next() {
    setTip(m_current + 1 == std::ssize(m_tips) ? 0 : m_current + 1);
}

void TipBrowser::previous() {
    setTip(m_current == 0 ? static_cast<std::int32_t>(std::ssize(m_tips)) - 1 : m_current - 1);
}

std::string TipBrowser::title() const {
    return m_tips.empty() ? std::string() : tipTitle(m_tips[static_cast<std::size_t>(m_current)]);
}

std::string TipBrowser::text() const {
    return m_tips.empty() ? std::string() : tipText(m_tips[static_cast<std::size_t>(m_current)]);
}

void ShowTipOfTheDay(TipDialog& dialog, std::int32_t& currentTip, bool& showTips, bool forced,
                     platform::DialogService& dialogs) {
    dialog.tips().setTip(currentTip);
    dialog.showTip();
    dialog.setShowTips(showTips);
    if (dialog.tips().noTips()) {
        if (forced)
            dialogs.ShowInfo(i18n::LoadText(4360, "Couldn't find Tip Of The Day file"));
        return;
    }
    dialog.showModal();
    currentTip = dialog.tips().current() + 1;
    showTips = dialog.showTips();
}

void showTipsClicked(bool checked, platform::DialogService& dialogs) {
    if (!checked)
        dialogs.ShowInfo(
            i18n::LoadText(4361, "If you need it, you can find Tip of the Day in the Help Menu"));
}

StartupGreeting startupGreeting(bool firstStart, bool showTips) {
    if (firstStart)
        return StartupGreeting::HelpContents;
    return showTips ? StartupGreeting::TipOfTheDay : StartupGreeting::Nothing;
}

} // namespace services
