#include "util/Random.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class RandomTest : public ::testing::Test {
protected:
    void TearDown() override {
        SetRandomizeSource(nullptr);
        SetRandomSeed(0);
    }
};

// Reference values from an independent big-integer computation of the recurrence.
TEST_F(RandomTest, Sequence_MatchesRecurrenceFromFixedSeed) {
    SetRandomSeed(12345);
    std::vector<int32_t> draws;
    for (int i = 0; i < 6; ++i) {
        draws.push_back(Random(1000));
    }
    EXPECT_EQ(draws, (std::vector<int32_t>{385, 289, 79, 553, 633, 341}));
    EXPECT_EQ(RandomSeed(), 1467157059u);
}

TEST_F(RandomTest, Seed_WrapsModulo2To32) {
    SetRandomSeed(0xFFFFFFFFu);
    EXPECT_EQ(Random(7), 6);
    EXPECT_EQ(RandomSeed(), 4160191484u);
}

TEST_F(RandomTest, Draw_StaysBelowRangeForLargeSeeds) {
    SetRandomSeed(0);
    for (int i = 0; i < 10000; ++i) {
        const int32_t r = Random(4);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 4);
        const float f = RandomFloat();
        ASSERT_GE(f, 0.0f);
        ASSERT_LT(f, 1.0f);
    }
}

TEST_F(RandomTest, NonPositiveRange_GivesZeroAndStillAdvances) {
    SetRandomSeed(1);
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(RandomSeed(), 134775814u);
    EXPECT_EQ(Random(-5), 0);
}

TEST_F(RandomTest, Randomize_TakesSeedFromTickSource) {
    uint32_t ticks = 777;
    SetRandomizeSource([&ticks] { return ticks; });
    SetRandomSeed(5);
    Randomize();
    EXPECT_EQ(RandomSeed(), 777u);
    ticks = 778;
    Randomize();
    EXPECT_EQ(RandomSeed(), 778u);
}

TEST_F(RandomTest, Randomize_WithoutSourceKeepsSeed) {
    SetRandomSeed(42);
    Randomize();
    EXPECT_EQ(RandomSeed(), 42u);
}

TEST_F(RandomTest, SameSeed_GivesSameDraws) {
    SetRandomSeed(99);
    const int32_t a = Random(1000000);
    const int32_t b = Random(1000000);
    SetRandomSeed(99);
    EXPECT_EQ(Random(1000000), a);
    EXPECT_EQ(Random(1000000), b);
}

}  // namespace
