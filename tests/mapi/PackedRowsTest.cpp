// Packed rows give back exactly what was appended, whatever the shape, size or prefix of a row.

#include "mapi/PackedRows.h"

#include <gtest/gtest.h>

#include <string>

namespace mapi {
namespace {

const Binary kPrefix{'L', 'K', 'S', 'P', 'M'};

Binary withPrefix(const std::string& tail) {
    Binary bytes = kPrefix;
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

TEST(PackedRows, EveryValueComesBackAsAppendedWithItsExtraBytes) {
    const std::vector<Row> rows{
        {PropValue::binary(PR_ENTRYID, withPrefix("1.M1.host")), PropValue::boolean(PR_HASATTACH, true),
         PropValue::integer(PR_MESSAGE_FLAGS, -1), PropValue::integer(PR_MESSAGE_SIZE, 0x7FFFFFFF),
         PropValue::string(PR_SUBJECT_A, "Grüße"), PropValue::time(PR_CLIENT_SUBMIT_TIME, FileTime{~0ull})},
        // Another shape: no subject, a binary without the prefix, an error and an empty value.
        {PropValue::binary(PR_ENTRYID, Binary{'L', 'K'}), PropValue::error(PR_SUBJECT_A, MAPI_E_NOT_FOUND),
         PropValue{PR_DISPLAY_TO_A, std::monostate{}}, PropValue::string(PR_DISPLAY_CC_A, "")},
        {},
        // Larger than a chunk, with a value of the first shape's tags in another order.
        {PropValue::string(PR_SUBJECT_A, std::string(300 * 1024, 's')),
         PropValue::binary(PR_ENTRYID, withPrefix(""))},
        {PropValue::binary(PR_ENTRYID, withPrefix("2.M2.host")), PropValue::boolean(PR_HASATTACH, false),
         PropValue::integer(PR_MESSAGE_FLAGS, 0), PropValue::integer(PR_MESSAGE_SIZE, 12),
         PropValue::string(PR_SUBJECT_A, std::string("a\0b", 3)),
         PropValue::time(PR_CLIENT_SUBMIT_TIME, FileTime{0})},
    };
    PackedRows packed(kPrefix);
    for (std::size_t i = 0; i < rows.size(); ++i)
        packed.append(rows[i], std::string(i, 'x'));
    ASSERT_EQ(packed.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(packed.row(i), rows[i]);
        EXPECT_EQ(packed.extra(i), std::string(i, 'x'));
    }
    EXPECT_EQ(packed.bytesAfterPrefix(0, PR_ENTRYID), "1.M1.host");
    EXPECT_EQ(packed.bytesAfterPrefix(3, PR_ENTRYID), "");
    EXPECT_FALSE(packed.bytesAfterPrefix(1, PR_ENTRYID)) << "an entry id without the prefix";
    EXPECT_FALSE(packed.bytesAfterPrefix(0, PR_SUBJECT_A)) << "not a binary value";
    EXPECT_FALSE(packed.bytesAfterPrefix(2, PR_ENTRYID));
}

TEST(PackedRows, SelectAndFindMatchTagsExactly) {
    PackedRows packed;
    packed.append({PropValue::string(PR_SUBJECT_A, "first"), PropValue::integer(PR_MESSAGE_SIZE, 7),
                   PropValue::string(PR_SUBJECT_A, "second")});
    EXPECT_EQ(packed.select(0, {PR_MESSAGE_SIZE, PR_SUBJECT_A, changePropType(PR_MESSAGE_SIZE, PT_STRING8)}),
              (Row{PropValue::integer(PR_MESSAGE_SIZE, 7), PropValue::string(PR_SUBJECT_A, "first"),
                   PropValue::error(PR_MESSAGE_SIZE, MAPI_E_NOT_FOUND)}));
    EXPECT_EQ(packed.find(0, PR_SUBJECT_A), PropValue::string(PR_SUBJECT_A, "first"));
    EXPECT_FALSE(packed.find(0, PR_DISPLAY_TO_A));
}

TEST(PackedRows, NumbersRoundTripAtEveryLength) {
    for (const std::uint64_t value : {0ull, 127ull, 128ull, 16383ull, 16384ull, 1ull << 35, ~0ull}) {
        std::string bytes;
        appendPackedNumber(bytes, value);
        bytes += "rest";
        std::string_view view = bytes;
        EXPECT_EQ(readPackedNumber(view), value);
        EXPECT_EQ(view, "rest");
    }
}

} // namespace
} // namespace mapi
