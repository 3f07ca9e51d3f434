#include "settings/OptionFileStream.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

namespace settings {
namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string result;
    for (const int value : values)
        result += static_cast<char>(value);
    return result;
}

// Runs `read` over `data` and gives the error text, or "" when nothing was thrown.
template <typename Read> std::string errorOf(const std::string& data, Read read) {
    std::istringstream in(data);
    OptionStreamReader reader(in, data.size());
    try {
        read(reader);
    } catch (const OptionFileError& error) {
        return error.what();
    }
    return "";
}

struct IntegerCase {
    const char* name;
    std::int32_t value;
    std::string encoded;
};

void PrintTo(const IntegerCase& c, std::ostream* out) {
    *out << c.name;
}

class IntegerFormTest : public testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerFormTest, UsesTheShortestFormAndReadsItBack) {
    OptionStreamWriter writer;
    writer.writeInteger(GetParam().value);
    EXPECT_EQ(writer.bytes(), GetParam().encoded);
    std::istringstream in(writer.bytes());
    OptionStreamReader reader(in, writer.bytes().size());
    EXPECT_EQ(reader.readInteger(), GetParam().value);
    EXPECT_EQ(reader.remaining(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Values, IntegerFormTest,
                         testing::Values(IntegerCase{"Zero", 0, bytes({0x02, 0x00})},
                                         IntegerCase{"Seventeen", 17, bytes({0x02, 0x11})},
                                         IntegerCase{"Max8", 127, bytes({0x02, 0x7F})},
                                         IntegerCase{"Min8", -128, bytes({0x02, 0x80})},
                                         IntegerCase{"Above8", 128, bytes({0x03, 0x80, 0x00})},
                                         IntegerCase{"Below8", -129, bytes({0x03, 0x7F, 0xFF})},
                                         IntegerCase{"Max16", 32767, bytes({0x03, 0xFF, 0x7F})},
                                         IntegerCase{"Min16", -32768, bytes({0x03, 0x00, 0x80})},
                                         IntegerCase{"Above16", 32768, bytes({0x04, 0x00, 0x80, 0x00, 0x00})},
                                         IntegerCase{"Min32", std::numeric_limits<std::int32_t>::min(),
                                                     bytes({0x04, 0x00, 0x00, 0x00, 0x80})},
                                         IntegerCase{"Max32", std::numeric_limits<std::int32_t>::max(),
                                                     bytes({0x04, 0xFF, 0xFF, 0xFF, 0x7F})}),
                         [](const testing::TestParamInfo<IntegerCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(OptionStreamTest, StringsUpTo255BytesHaveTheShortForm) {
    for (const std::size_t size : {0u, 1u, 255u, 256u, 70000u}) {
        const std::string text(size, 'x');
        OptionStreamWriter writer;
        writer.writeString(text);
        const std::string expected =
            size <= 255 ? bytes({0x06, static_cast<int>(size)}) + text
                        : bytes({0x0C, static_cast<int>(size & 0xFF), static_cast<int>((size >> 8) & 0xFF),
                                 static_cast<int>(size >> 16), 0x00}) +
                              text;
        EXPECT_EQ(writer.bytes(), expected) << size;
        std::istringstream in(writer.bytes());
        OptionStreamReader reader(in, writer.bytes().size());
        EXPECT_EQ(reader.readString(), text) << size;
    }
}

TEST(OptionStreamTest, EntryIdBytesAreIntegersOfTheirOwn) {
    const std::vector<std::uint8_t> id = {0x00, 0x7F, 0x80, 0xFF};
    OptionStreamWriter writer;
    writer.writeEntryId(id);
    EXPECT_EQ(writer.bytes(),
              bytes({0x02, 0x04, 0x02, 0x00, 0x02, 0x7F, 0x03, 0x80, 0x00, 0x03, 0xFF, 0x00}));
}

TEST(OptionStreamTest, EntryIdsReadAtLeastTheMinimumAndKeepTheLowByte) {
    std::string data = bytes({0x02, 0x02, 0x03, 0x01, 0x01, 0x02, 0xFF});
    for (int i = 2; i < 24; ++i)
        data += bytes({0x02, i});
    std::istringstream in(data);
    OptionStreamReader reader(in, data.size());
    const std::vector<std::uint8_t> id = reader.readEntryId(24);
    ASSERT_EQ(id.size(), 24u);
    EXPECT_EQ(id[0], 0x01);
    EXPECT_EQ(id[1], 0xFF);
    EXPECT_EQ(id[23], 23);
    EXPECT_EQ(reader.remaining(), 0u);
}

TEST(OptionStreamTest, BooleansAreTrueOnlyForTheTrueTag) {
    const std::string data = bytes({0x09, 0x08, 0x02, 0x06});
    std::istringstream in(data);
    OptionStreamReader reader(in, data.size());
    EXPECT_TRUE(reader.readBoolean());
    EXPECT_FALSE(reader.readBoolean());
    EXPECT_FALSE(reader.readBoolean());
    EXPECT_FALSE(reader.readBoolean());
    EXPECT_EQ(errorOf("", [](OptionStreamReader& r) { r.readBoolean(); }), "Stream read error");
}

struct ErrorCase {
    const char* name;
    std::string data;
    int kind; // 0 integer, 1 string, 2 entry id, 3 signature
    const char* text;
};

void PrintTo(const ErrorCase& c, std::ostream* out) {
    *out << c.name;
}

class OptionStreamErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(OptionStreamErrorTest, GivesItsText) {
    const ErrorCase& c = GetParam();
    EXPECT_EQ(errorOf(c.data,
                      [&](OptionStreamReader& reader) {
                          switch (c.kind) {
                          case 0:
                              reader.readInteger();
                              break;
                          case 1:
                              reader.readString();
                              break;
                          case 2:
                              reader.readEntryId(24);
                              break;
                          default:
                              reader.readSignature();
                          }
                      }),
              c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionStreamErrorTest,
    testing::Values(
        ErrorCase{"IntegerFromStringTag", bytes({0x06, 0x00}), 0, "Invalid property value"},
        ErrorCase{"IntegerFromTrue", bytes({0x09}), 0, "Invalid property value"},
        ErrorCase{"StringFromIntegerTag", bytes({0x02, 0x41}), 1, "Invalid property value"},
        ErrorCase{"IntegerCutShort", bytes({0x04, 0x01, 0x02}), 0, "Stream read error"},
        ErrorCase{"StringCutShort", bytes({0x06, 0x05, 0x41}), 1, "Stream read error"},
        ErrorCase{"HugeStringLength", bytes({0x0C, 0xF0, 0xFF, 0xFF, 0xFF, 0x41}), 1, "Stream read error"},
        ErrorCase{"HugeEntryIdCount", bytes({0x04, 0xFF, 0xFF, 0xFF, 0x7F, 0x02, 0x00}), 2,
                  "Stream read error"},
        ErrorCase{"EntryIdByteAsString", bytes({0x02, 0x01, 0x06, 0x00}) + std::string(46, '\x02'), 2,
                  "Invalid property value"},
        ErrorCase{"EmptyInput", "", 0, "Stream read error"},
        ErrorCase{"WrongSignature", "TPF1", 3, "Invalid stream format"},
        ErrorCase{"ShortSignature", "TP", 3, "Invalid stream format"}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace settings
