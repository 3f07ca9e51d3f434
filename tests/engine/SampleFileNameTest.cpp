#include "engine/SampleFileName.h"

#include "platform/DateTime.h"
#include "platform/Format.h"

#include <gtest/gtest.h>

namespace {

const platform::FixedLocale locale("dd/MM/yyyy", "HH:mm:ss");

mailstore::MessageServices fixedServices() {
    mailstore::MessageServices services;
    services.locale = &locale;
    services.now = [] { return platform::dateTimeFromParts(2024, 1, 31, 14, 5, 9); };
    return services;
}

struct SampleCase {
    const char* name;
    const char* format;
    std::int32_t number;
    const char* sample;
};

class SampleFileNameTest : public testing::TestWithParam<SampleCase> {};

TEST_P(SampleFileNameTest, UsesTheTestMessage) {
    EXPECT_EQ(engine::sampleFileName(GetParam().format, GetParam().number, fixedServices()),
              GetParam().sample);
}

INSTANTIATE_TEST_SUITE_P(Cases, SampleFileNameTest,
                         testing::Values(SampleCase{"DefaultFormat", "%5.5d.txt", 7, "00007.txt"},
                                         SampleCase{"NumberToken", "%NUMBER.txt", 12, "12.txt"},
                                         SampleCase{"Subject", "%SUBJECT_%d.txt", 3, "Subject_3.txt"},
                                         SampleCase{"FromAndTo", "%FROM-%TO", 1,
                                                    "sender@example.com-recipient@example.com"},
                                         SampleCase{"SentIsFilteredNow", "%SENT", 1, "31012024 140509"},
                                         SampleCase{"Now", "%NOW.txt", 1, "20240131.txt"},
                                         SampleCase{"CarbonCopyCannotBeRead", "%CC", 1, "Error"},
                                         SampleCase{"BlindCopyCannotBeRead", "%bcc.txt", 1, "Error.txt"},
                                         SampleCase{"UnknownTokenIsADirective", "%XYZ.txt", 255, "FFYZ.txt"}),
                         [](const testing::TestParamInfo<SampleCase>& info) { return info.param.name; });

TEST(SampleFileNameTest, ShowsTheShortenedName) {
    const std::string literal(240, 'x');
    EXPECT_EQ(engine::sampleFileName(literal + "%FROM.txt", 1, fixedServices()), literal + "sender@exam.txt");
    const std::string folder = "/" + std::string(4000, 'd') + "/";
    EXPECT_EQ(engine::sampleFilePath(folder, std::string(80, 'x') + "%FROM.txt", 1, fixedServices()),
              folder + std::string(80, 'x') + "sender@ex.txt");
}

TEST(SampleFileNameErrorTest, BadFormatThrows) {
    EXPECT_THROW(engine::sampleFileName("mail%%.txt", 1, fixedServices()), platform::FormatError);
    EXPECT_THROW(engine::sampleFileName("%d %d", 1, fixedServices()), platform::FormatError);
}

TEST(SampleFileNameSystemTest, WorksWithTheUsersLocaleAndClock) {
    EXPECT_EQ(engine::sampleFileName("%SUBJECT_%5.5d.txt", 42), "Subject_00042.txt");
}

} // namespace
