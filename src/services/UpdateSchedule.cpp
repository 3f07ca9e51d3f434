#include "services/UpdateSchedule.h"

#include "platform/DateTime.h"

#include <cmath>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace services {

namespace {

constexpr const char* kUpdateDate = "updateDate";
constexpr std::int32_t kFirstCheckAfterDays = 5;
constexpr std::int32_t kCheckAgainAfterDays = 7;
constexpr std::size_t kMaxUserName = 260;

} // namespace

std::int32_t todaySerial() {
    return static_cast<std::int32_t>(std::floor(platform::localNow()));
}

UpdateSchedule UpdateSchedule::read(const std::optional<platform::HiveKey>& productKey, std::int32_t today) {
    const std::uint32_t fallback = static_cast<std::uint32_t>(today + kFirstCheckAfterDays);
    if (!productKey)
        return UpdateSchedule(static_cast<std::int32_t>(fallback));
    return UpdateSchedule(static_cast<std::int32_t>(productKey->readDword(kUpdateDate, fallback)));
}

bool UpdateSchedule::UpdateCheckDue(bool hasArguments, std::int32_t today) {
    if (m_nextCheckDate == 0 || hasArguments || today < m_nextCheckDate)
        return false;
    m_nextCheckDate = today + kCheckAgainAfterDays;
    return true;
}

void UpdateSchedule::write(platform::HiveKey& productKey) const {
    productKey.writeDword(kUpdateDate, static_cast<std::uint32_t>(m_nextCheckDate));
}

ProxySettings readProxySettings(const std::optional<platform::HiveKey>& productKey) {
    if (!productKey)
        return {};
    return ProxySettings{productKey->readString("proxy", ""), productKey->readString("proxyUser", ""),
                         productKey->readString("proxyPassword", "")};
}

std::string networkUserName() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
        return {};
    std::string name = found->pw_name;
    if (name.size() > kMaxUserName)
        name.resize(kMaxUserName);
    return name;
}

} // namespace services
