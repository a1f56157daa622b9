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

// Two generators (two worlds) draw the same sequence from the same seed however their draws
// interleave, each reseeds from its own tick source, and neither moves the process's generator.
TEST_F(RandomTest, Generators_DrawAndReseedOnTheirOwn) {
    SetRandomSeed(5);
    uint32_t ticks = 31;
    TRandomGenerator a{12345, nullptr};
    TRandomGenerator b{12345, [&ticks] { return ticks; }};
    std::vector<int32_t> fromA;
    std::vector<int32_t> fromB;
    for (int i = 0; i < 6; ++i) {
        fromA.push_back(Random(a, 1000));
        if (i % 2 == 0) {
            fromB.push_back(Random(b, 1000));
        }
    }
    for (int i = 0; i < 3; ++i) {
        fromB.push_back(Random(b, 1000));
    }
    EXPECT_EQ(fromA, (std::vector<int32_t>{385, 289, 79, 553, 633, 341}));
    EXPECT_EQ(fromB, fromA);
    Randomize(a);
    Randomize(b);
    EXPECT_EQ(a.Seed, 1467157059u);
    EXPECT_EQ(b.Seed, 31u);
    EXPECT_EQ(RandomSeed(), 5u);
}

}  // namespace
