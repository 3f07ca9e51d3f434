#include "services/UpdateCheck.h"

#include "i18n/TextLookup.h"
#include "platform/Format.h"
#include "services/ProductLinks.h"
#include "services/VersionsFile.h"

namespace services {

UpdateCheck::UpdateCheck(UpdateView& view, UpdateSchedule& schedule, UpdateCheckServices services)
    : m_view(view), m_schedule(schedule), m_services(std::move(services)), m_http(m_services.post, *this) {}

void UpdateCheck::okButtonClick(bool dontAsk, std::int32_t pickedDate) {
    if (dontAsk) {
        m_schedule.setNextCheckDate(pickedDate);
        m_services.storeSchedule(m_schedule);
        m_view.close();
        return;
    }
    m_view.setStatusText(i18n::LoadText(300, "Checking for update...please wait"));
    fetchPage();
}

void UpdateCheck::fetchPage() {
    m_http.Proxy = m_services.proxy.proxy;
    m_http.ProxyUser = m_services.proxy.user;
    m_http.ProxyPassword = m_services.proxy.password;
    m_http.URL = addLinkParameters("http://" + m_services.updateHost +
                                       "/versions.txt?name=" + urlEncode(m_services.networkUser),
                                   "updater");
    m_http.Agent = std::string(kProductName);
    m_http.FetchText();
}

void UpdateCheck::HTTPGet1DoneString(const std::string& result) {
    if (const auto line = findProductLine(result, kProductName)) {
        ParseVersionLine(*line);
        return;
    }
    if (!m_view.visible())
        return;
    try {
        m_services.dialogs->ShowInfo(
            i18n::LoadTextFmt(350, "%s update information not found", {kProductName}));
    } catch (const std::exception&) {
        // Nothing more can be told about a reply that said nothing.
    }
}

void UpdateCheck::HTTPGet1Error() {
    if (m_view.visible())
        m_view.setStatusText(i18n::LoadText(310, "Error connecting to web site"));
    else
        m_view.close();
}

void UpdateCheck::ParseVersionLine(const std::string& line) {
    const VersionLine parsed = parseVersionLine(line);
    m_view.setStatusText("");
    switch (compareRelease(parsed, kReleaseTimestamp)) {
    case UpdateVerdict::InvalidDate:
        if (m_view.visible())
            m_services.dialogs->ShowInfo(i18n::LoadTextFmt(
                320, "%s date information found in invalid format %s", {kProductName, parsed.rawDate}));
        break;
    case UpdateVerdict::Newer: {
        // Asked even when the dialog is hidden: a newer release is worth the interruption.
        const std::string question = platform::format(
            i18n::LoadText(330, "A %s update is available - would you like to see What's New?"),
            {std::string(kProductName) + " v" + parsed.version});
        const auto answer = m_services.dialogs->MessageDialog(
            question, platform::DialogKind::Confirmation,
            platform::DialogButton::Yes | platform::DialogButton::No | platform::DialogButton::Cancel, 0);
        if (answer == platform::DialogButton::Yes)
            m_services.shellOpen(parsed.page);
        break;
    }
    case UpdateVerdict::NotNewer:
        if (m_view.visible())
            m_services.dialogs->ShowInfo(i18n::LoadTextFmt(
                340, "You already have the latest version of %s - no download is necessary", {kProductName}));
        break;
    }
}

} // namespace services
