#pragma once
// The status window of the console. On a terminal one line is redrawn in place: a progress bar,
// the status text and the subject. Otherwise (a log, a pipe) every status line is printed, but
// the per-message lines at most once a second, so a large folder does not flood the log; the
// final "Complete" or "Interrupted" line is always printed. Ctrl-C during a run asks it to stop
// after the message in hand, as the Cancel button does.

#include "engine/StatusSink.h"

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

namespace ui {

class ConsoleStatus : public engine::StatusSink {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // `terminal`: `err` is a terminal `columns` wide.
    ConsoleStatus(std::ostream& err, bool terminal, int columns = 80, Clock clock = {});
    ~ConsoleStatus() override;
    ConsoleStatus(const ConsoleStatus&) = delete;
    ConsoleStatus& operator=(const ConsoleStatus&) = delete;

    void show() override;
    void setStatusLine(const std::string& text) override;
    void setProgress(int percent) override;
    void setSubject(const std::string& text) override;
    bool cancelled() const override;
    void finish() override;
    void processPendingEvents() override {}

    // Ends a status line drawn in place, so other output starts on a line of its own.
    void breakLine();
    // Asks the run to stop, as Ctrl-C does.
    void cancel();

private:
    void redraw();
    void draw();
    void restoreInterrupt();
    void printLine(const std::string& text);

    std::ostream& m_err;
    bool m_terminal;
    int m_columns;
    Clock m_clock;
    std::string m_status;
    std::string m_subject;
    int m_progress = 0;
    bool m_inLoop = false;   // a message is being processed: status lines are per-message
    bool m_pending = false;  // a per-message status line waits for its subject
    bool m_lineOpen = false; // a line was written without its line end yet
    std::optional<std::chrono::steady_clock::time_point> m_lastMessageLine;
    std::optional<std::chrono::steady_clock::time_point> m_lastDraw;
    bool m_dirty = false;    // the terminal line lags behind the latest update
    bool m_catching = false; // Ctrl-C is caught for the run
    void (*m_previousHandler)(int) = nullptr;
};

} // namespace ui
