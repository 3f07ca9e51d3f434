#pragma once
// What a run shows and asks while it works. The Qt status window and the console both implement
// it, so one run serves both faces.
//
// Lifetime: the front end owns its sink through a std::shared_ptr and drops that pointer when its
// window is released (for instance closed by the frame while the run is active). The run keeps
// only a std::weak_ptr and locks it for each call, so a sink is never used after it is gone; the
// run treats a vanished sink as a cancel that can no longer be shown (see TEmailThread.h).

#include <string>

namespace engine {

class StatusSink {
public:
    virtual ~StatusSink() = default;

    // Makes the window visible and brings it to the front.
    virtual void show() = 0;
    // The status line; shown at once.
    virtual void setStatusLine(const std::string& text) = 0;
    // The progress bar, 0..100; shown at once.
    virtual void setProgress(int percent) = 0;
    // The subject of the message being processed.
    virtual void setSubject(const std::string& text) = 0;
    // True once the user asked the run to stop.
    virtual bool cancelled() const = 0;
    // The run has ended (completed or interrupted): the button becomes the OK button.
    virtual void finish() = 0;
    // Serves pending window events (Cancel, menus, requests). The run calls it after every update
    // and before every message; the sink may be released by its owner during this call.
    virtual void processPendingEvents() = 0;
};

} // namespace engine
