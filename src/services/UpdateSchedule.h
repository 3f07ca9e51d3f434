#pragma once
// When the program next asks the maker's site for a newer release, and the proxy the request goes
// through. Both live in the product key; the main window owns the schedule and stores it with its
// own values, the update dialog moves it on "remind me later".

#include "platform/Hive.h"

#include <cstdint>
#include <optional>
#include <string>

namespace services {

// Today as a day serial (whole days since 30 December 1899, local time).
std::int32_t todaySerial();

class UpdateSchedule {
public:
    // "updateDate" of the product key; today + 5 when the key or the value is missing.
    static UpdateSchedule read(const std::optional<platform::HiveKey>& productKey, std::int32_t today);

    explicit UpdateSchedule(std::int32_t nextCheckDate) : m_nextCheckDate(nextCheckDate) {}

    // 0 turns the automatic check off.
    std::int32_t nextCheckDate() const { return m_nextCheckDate; }
    void setNextCheckDate(std::int32_t date) { m_nextCheckDate = date; }

    // The automatic check at start-up: false when switched off, when the program was started with
    // command-line parameters, or before the next check date. Otherwise the next check moves to
    // today + 7, whatever the user then does in the dialog.
    bool UpdateCheckDue(bool hasArguments, std::int32_t today);

    // The date the "remind me after" picker starts from: the next check date, or today when off.
    std::int32_t pickerDate(std::int32_t today) const {
        return m_nextCheckDate == 0 ? today : m_nextCheckDate;
    }

    // Writes "updateDate". Throws std::system_error when the hive cannot be written.
    void write(platform::HiveKey& productKey) const;

private:
    std::int32_t m_nextCheckDate;
};

// The proxy of the update request, set by hand in the product key; the program never writes it.
struct ProxySettings {
    std::string proxy; // host:port; empty: the environment's settings
    std::string user;
    std::string password;
};

ProxySettings readProxySettings(const std::optional<platform::HiveKey>& productKey);

// The name the user is logged on under, at most 260 characters; empty when it cannot be had.
std::string networkUserName();

} // namespace services
