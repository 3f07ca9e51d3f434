#include "ui/ConsoleStatus.h"

#include "ui/ConsoleDialogs.h"

#include <algorithm>
#include <atomic>
#include <csignal>

namespace ui {

namespace {

// The one run in progress hears Ctrl-C through this flag; a signal handler may only touch it.
std::atomic<bool> g_interrupted{false};
void onInterrupt(int) {
    g_interrupted = true;
}

constexpr int kBarWidth = 20;

std::string oneLine(const std::string& text) {
    std::string out = consoleText(text);
    for (char& c : out)
        if (c == '\n' || c == '\t')
            c = ' ';
    return out;
}

} // namespace

ConsoleStatus::ConsoleStatus(std::ostream& err, bool terminal, int columns, Clock clock)
    : m_err(err), m_terminal(terminal), m_columns(columns > 10 ? columns : 80),
      m_clock(clock ? std::move(clock) : Clock([] { return std::chrono::steady_clock::now(); })) {
    g_interrupted = false;
}

ConsoleStatus::~ConsoleStatus() {
    restoreInterrupt();
    breakLine();
}

void ConsoleStatus::show() {
    // Ctrl-C stops the run only while it works; afterwards it ends the program as usual.
    if (!m_catching) {
        m_previousHandler = std::signal(SIGINT, onInterrupt);
        m_catching = true;
    }
}

void ConsoleStatus::restoreInterrupt() {
    if (m_catching) {
        std::signal(SIGINT, m_previousHandler == SIG_ERR ? SIG_DFL : m_previousHandler);
        m_catching = false;
    }
}

void ConsoleStatus::setStatusLine(const std::string& text) {
    m_status = oneLine(text);
    if (m_terminal) {
        redraw();
        return;
    }
    breakLine();
    // Once messages are being processed their lines wait for the subject; the final line comes
    // after the full progress bar and is always printed.
    if (m_inLoop && m_progress < 100) {
        m_pending = true;
        return;
    }
    // Left open: when it turns out to be the first message's line, its subject goes on it.
    m_err << m_status;
    m_err.flush();
    m_lineOpen = true;
}

void ConsoleStatus::setProgress(int percent) {
    m_progress = percent;
    m_inLoop = true;
    if (m_terminal)
        redraw();
}

void ConsoleStatus::setSubject(const std::string& text) {
    m_subject = oneLine(text);
    m_inLoop = true;
    if (m_terminal) {
        redraw();
        return;
    }
    const auto now = m_clock();
    if (m_lineOpen) {
        if (!m_subject.empty())
            m_err << ": " << m_subject;
        breakLine();
        m_lastMessageLine = now;
        return;
    }
    if (!m_pending)
        return;
    m_pending = false;
    if (m_lastMessageLine && now - *m_lastMessageLine < std::chrono::seconds(1))
        return;
    m_lastMessageLine = now;
    printLine(m_subject.empty() ? m_status : m_status + ": " + m_subject);
}

bool ConsoleStatus::cancelled() const {
    return g_interrupted;
}

void ConsoleStatus::cancel() {
    g_interrupted = true;
}

void ConsoleStatus::finish() {
    restoreInterrupt();
    breakLine();
}

void ConsoleStatus::breakLine() {
    if (m_terminal && m_dirty)
        draw();
    if (m_lineOpen) {
        m_err << "\n";
        m_err.flush();
        m_lineOpen = false;
    }
}

void ConsoleStatus::printLine(const std::string& text) {
    m_err << text << "\n";
    m_err.flush();
}

void ConsoleStatus::redraw() {
    // Per-message updates are drawn at most every tenth of a second: a terminal is slower than
    // a fast export. Lines outside the message loop and the final line are drawn at once.
    const auto now = m_clock();
    if (m_inLoop && m_progress < 100 && m_lastDraw && now - *m_lastDraw < std::chrono::milliseconds(100)) {
        m_dirty = true;
        return;
    }
    m_lastDraw = now;
    draw();
}

void ConsoleStatus::draw() {
    m_dirty = false;
    const int filled = m_progress * kBarWidth / 100;
    std::string line = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') + "] ";
    const std::string percent = std::to_string(m_progress) + "%";
    line += std::string(4 - std::min<std::size_t>(4, percent.size()), ' ') + percent + " " + m_status;
    if (!m_subject.empty())
        line += ": " + m_subject;
    // A line longer than the terminal would wrap, and the carriage return could not redraw it.
    if (line.size() >= static_cast<std::size_t>(m_columns)) {
        std::size_t cut = m_columns - 1;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut; // never half a UTF-8 character
        line.resize(cut);
    }
    m_err << "\r" << line << "\x1b[K";
    m_err.flush();
    m_lineOpen = true;
}

} // namespace ui
