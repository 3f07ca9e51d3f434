#include "support/TemporaryFolder.h"

#include "services/UpdateSchedule.h"
#include "services/VersionsFile.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int32_t kToday = 46000;
constexpr const char* kProductKey = "SOFTWARE\\Tamberlock\\Larkspire";

TEST(UpdateSchedule, DueOnlyWhenOnWithoutArgumentsAndTheDayHasCome) {
    struct Case {
        std::int32_t next;
        bool arguments;
        bool due;
        std::int32_t nextAfter;
    };
    for (const Case c : {Case{kToday, false, true, kToday + 7}, Case{kToday - 30, false, true, kToday + 7},
                         Case{kToday + 1, false, false, kToday + 1}, Case{kToday, true, false, kToday},
                         Case{0, false, false, 0}}) {
        services::UpdateSchedule schedule(c.next);
        EXPECT_EQ(schedule.UpdateCheckDue(c.arguments, kToday), c.due) << c.next << " " << c.arguments;
        EXPECT_EQ(schedule.nextCheckDate(), c.nextAfter);
        EXPECT_EQ(schedule.pickerDate(kToday), c.nextAfter == 0 ? kToday : c.nextAfter);
    }
}

TEST(UpdateSchedule, FirstCheckFiveDaysAfterTheFirstStartAndStoredAsUpdateDate) {
    testsupport::TemporaryFolder folder;
    platform::Hive hive(folder / "registry.reg");
    EXPECT_EQ(services::UpdateSchedule::read(hive.openKey(kProductKey), kToday).nextCheckDate(), kToday + 5);

    auto key = hive.createKey(kProductKey);
    EXPECT_EQ(services::UpdateSchedule::read(key, kToday).nextCheckDate(), kToday + 5);
    services::UpdateSchedule(41700).write(key);
    EXPECT_EQ(key.readDword("updateDate", 0), 41700u);
    EXPECT_EQ(services::UpdateSchedule::read(hive.openKey(kProductKey), kToday).nextCheckDate(), 41700);
}

TEST(UpdateSchedule, ProxyValuesComeFromTheProductKey) {
    testsupport::TemporaryFolder folder;
    platform::Hive hive(folder / "registry.reg");
    EXPECT_EQ(services::readProxySettings(hive.openKey(kProductKey)).proxy, "");
    auto key = hive.createKey(kProductKey);
    key.writeString("proxy", "cache.example:3128");
    key.writeString("proxyUser", "jo");
    key.writeString("proxyPassword", "pw");
    const auto proxy = services::readProxySettings(key);
    EXPECT_EQ(proxy.proxy, "cache.example:3128");
    EXPECT_EQ(proxy.user, "jo");
    EXPECT_EQ(proxy.password, "pw");
}

TEST(VersionsFile, FieldsAreCutAtEveryCommaWithoutTrimming) {
    using Fields = std::vector<std::string>;
    EXPECT_EQ(services::splitVersionFields("a, b ,,c"), (Fields{"a", " b ", "", "c"}));
    EXPECT_EQ(services::splitVersionFields("a,b,"), (Fields{"a", "b"}));
    EXPECT_EQ(services::splitVersionFields("a,b,,"), (Fields{"a", "b", ""}));
    EXPECT_EQ(services::splitVersionFields(""), Fields{});
}

TEST(VersionsFile, ReleaseDateReadsOnlyAPlainNumber) {
    EXPECT_EQ(services::parseReleaseDate(""), 0.0);
    EXPECT_EQ(services::parseReleaseDate("  +41619.5"), 41619.5);
    EXPECT_EQ(services::parseReleaseDate("-1.5E2"), -150.0);
    EXPECT_EQ(services::parseReleaseDate("4e+4"), 40000.0);
    for (const char* bad : {" ", "41619.", ".5", "41619 ", "2013-12-11", "1e", "0x10", "inf", "4,5"})
        EXPECT_FALSE(services::parseReleaseDate(bad)) << bad;
}

} // namespace
