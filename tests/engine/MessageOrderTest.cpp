#include "engine/MessageOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

namespace {

using engine::SortKey;

const platform::FixedLocale locale;

std::vector<std::string> sortedSubjects(const std::vector<SortKey>& keys, int order, bool descending) {
    std::vector<std::string> subjects;
    for (const std::size_t position : engine::sortedPositions(keys, order, descending, locale)) {
        subjects.push_back(keys[position].subject);
    }
    return subjects;
}

std::vector<SortKey> subjects(std::initializer_list<const char*> texts) {
    std::vector<SortKey> keys;
    for (const char* text : texts) {
        keys.push_back(SortKey{text, 1.0});
    }
    return keys;
}

struct NormaliseCase {
    const char* name;
    const char* subject;
    const char* normalised;
};

class NormaliseSubjectTest : public testing::TestWithParam<NormaliseCase> {};

TEST_P(NormaliseSubjectTest, RemovesOnePrefix) {
    EXPECT_EQ(engine::normaliseSubject(GetParam().subject, locale), GetParam().normalised);
}

INSTANTIATE_TEST_SUITE_P(Cases, NormaliseSubjectTest,
                         testing::Values(NormaliseCase{"OnlyFirstPrefix", "Re: Fw: Plan", "Fw: Plan"},
                                         NormaliseCase{"FwdWithoutBlank", "FWD:Plan", "Plan"},
                                         NormaliseCase{"LowerCase", "fw:  x", "x"},
                                         NormaliseCase{"FwdMixedCase", "Fwd: x", "x"},
                                         NormaliseCase{"BlankBeforePrefix", " Re: Plan", "Re: Plan"},
                                         NormaliseCase{"ControlCharactersGo", "RE:\t\x01Hi", "Hi"},
                                         NormaliseCase{"OnlyPrefix", "RE:", ""},
                                         NormaliseCase{"NoColon", "Re Plan", "Re Plan"},
                                         NormaliseCase{"LeadingBlanksAlwaysGo", "  Plan", "Plan"}),
                         [](const testing::TestParamInfo<NormaliseCase>& info) { return info.param.name; });

struct OrderCase {
    const char* name;
    std::vector<SortKey> keys;
    int order;
    bool descending;
    std::vector<std::string> expected;
};

class OrderTest : public testing::TestWithParam<OrderCase> {};

TEST_P(OrderTest, Sorts) {
    EXPECT_EQ(sortedSubjects(GetParam().keys, GetParam().order, GetParam().descending), GetParam().expected);
}

std::vector<SortKey> timed() {
    return {SortKey{"late", 45300.75}, SortKey{"early", 45300.25}, SortKey{"middle", 45300.5}};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OrderTest,
    testing::Values(
        OrderCase{"DateAscending", timed(), 1, false, {"early", "middle", "late"}},
        OrderCase{"DateDescending", timed(), 1, true, {"late", "middle", "early"}},
        OrderCase{
            "SubjectIgnoresCase", subjects({"beta", "Alpha", "gamma"}), 2, false, {"Alpha", "beta", "gamma"}},
        OrderCase{"SubjectKeepsPrefix", subjects({"RE: alpha", "beta"}), 2, false, {"beta", "RE: alpha"}},
        OrderCase{"NormalisedDropsPrefix", subjects({"beta", "RE: alpha"}), 3, false, {"RE: alpha", "beta"}},
        OrderCase{"NormalisedSubject", subjects({"RE: zeta", "alpha"}), 3, false, {"alpha", "RE: zeta"}},
        OrderCase{"NormalisedDescending", subjects({"alpha", "RE: zeta"}), 3, true, {"RE: zeta", "alpha"}},
        OrderCase{"FromAddressIsNormalisedSubject",
                  subjects({"Fw: b", "a", "Re: c"}),
                  4,
                  false,
                  {"a", "Fw: b", "Re: c"}},
        OrderCase{"DoNotSortEvenDescending", subjects({"c", "a", "b"}), 0, true, {"c", "a", "b"}},
        OrderCase{"UnknownOrderLeavesList", subjects({"c", "a", "b"}), 5, false, {"c", "a", "b"}},
        OrderCase{"NegativeOrderLeavesList", subjects({"c", "a", "b"}), -1, false, {"c", "a", "b"}}),
    [](const testing::TestParamInfo<OrderCase>& info) { return info.param.name; });

TEST(OrderTest, EqualSubjectsInEitherCaseComeFirst) {
    const std::vector<std::string> result = sortedSubjects(subjects({"b", "A", "a"}), 2, false);
    EXPECT_EQ(result.back(), "b");
    EXPECT_TRUE(
        std::is_permutation(result.begin(), result.end(), std::vector<std::string>{"A", "a", "b"}.begin()));
}

TEST(OrderTest, MissingReceivedTimeFailsOnlyWhenCompared) {
    const std::vector<SortKey> single{SortKey{"only", std::nullopt}};
    EXPECT_EQ(engine::sortedPositions(single, 1, false, locale), std::vector<std::size_t>{0});

    const std::vector<SortKey> two{SortKey{"a", 1.0}, SortKey{"b", std::nullopt}};
    try {
        engine::sortedPositions(two, 1, false, locale);
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Invalid variant operation");
    }
    EXPECT_NO_THROW(engine::sortedPositions(two, 2, false, locale));
}

// Many equal keys and already sorted or reversed runs are where partitioning goes wrong.
TEST(OrderTest, LargeListsComeOutSortedAndWhole) {
    std::mt19937 random(1234);
    for (const int shape : {0, 1, 2}) {
        std::vector<SortKey> keys;
        for (int i = 0; i < 2000; ++i) {
            const int day = shape == 0 ? static_cast<int>(random() % 50) : (shape == 1 ? i : 2000 - i);
            keys.push_back(SortKey{std::to_string(i), static_cast<double>(day)});
        }
        for (const bool descending : {false, true}) {
            const std::vector<std::size_t> positions = engine::sortedPositions(keys, 1, descending, locale);
            std::vector<std::size_t> seen = positions;
            std::sort(seen.begin(), seen.end());
            for (std::size_t i = 0; i < seen.size(); ++i) {
                ASSERT_EQ(seen[i], i);
            }
            for (std::size_t i = 1; i < positions.size(); ++i) {
                const double before = *keys[positions[i - 1]].receivedTime;
                const double after = *keys[positions[i]].receivedTime;
                ASSERT_TRUE(descending ? before >= after : before <= after)
                    << "shape " << shape << " at " << i;
            }
        }
    }
}

TEST(OrderTest, SortMessagesReordersOwnedObjects) {
    struct Message {
        std::string subject;
    };
    std::vector<std::unique_ptr<Message>> list;
    for (const char* subject : {"c", "a", "b"}) {
        list.push_back(std::make_unique<Message>(Message{subject}));
    }
    engine::sortMessages(list, 2, true, locale, [](const std::unique_ptr<Message>& m) {
        return SortKey{m->subject, std::nullopt};
    });
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]->subject, "c");
    EXPECT_EQ(list[1]->subject, "b");
    EXPECT_EQ(list[2]->subject, "a");
}

} // namespace
