#pragma once
// What the update dialog does, without its widgets: "remind me later", the request for the
// versions file, and the outcome of the reply. The dialog implements UpdateView and forwards its
// button presses; the reply arrives on the dialog's thread through THTTPGet's completion. Handling
// the reply may throw (the page cannot be opened, a translated question does not fit its
// argument): the window's error box shows it, as for any other handler.

#include "platform/DialogService.h"
#include "services/THTTPGet.h"
#include "services/UpdateSchedule.h"

#include <functional>
#include <string>

namespace services {

class UpdateView {
public:
    virtual ~UpdateView() = default;
    virtual bool visible() const = 0;
    virtual void setStatusText(const std::string& text) = 0;
    virtual void close() = 0;
};

struct UpdateCheckServices {
    platform::DialogService* dialogs = nullptr;
    // Opens the download page on the desktop; throws when it cannot.
    std::function<void(const std::string& target)> shellOpen;
    // Stores the schedule in the registry at once; throws when it cannot.
    std::function<void(const UpdateSchedule&)> storeSchedule;
    PostToOwner post;
    ProxySettings proxy;
    std::string networkUser;
    std::string updateHost; // the host serving /versions.txt
};

class UpdateCheck : public HttpCompletion {
public:
    // `schedule` is the main window's, which outlives the dialog.
    UpdateCheck(UpdateView& view, UpdateSchedule& schedule, UpdateCheckServices services);

    // OK: with "Don't ask me again until" chosen, `pickedDate` becomes the next check date, is stored
    // and the dialog closes (0 switches the automatic check off); otherwise the check starts.
    void okButtonClick(bool dontAsk, std::int32_t pickedDate);
    void fetchPage();

    void HTTPGet1DoneString(const std::string& result) override;
    void HTTPGet1Error() override;
    void ParseVersionLine(const std::string& line);

    const THTTPGet& request() const { return m_http; }

private:
    UpdateView& m_view;
    UpdateSchedule& m_schedule;
    UpdateCheckServices m_services;
    THTTPGet m_http; // last: destroyed first, so a running request stops before the rest goes
};

} // namespace services
