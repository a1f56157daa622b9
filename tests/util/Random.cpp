#include "util/Random.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class RandomTest : public ::testing::Test {
protected:
    TRandomGenerator g;
};

// Reference values from an independent big-integer computation of the recurrence.
TEST_F(RandomTest, Sequence_MatchesRecurrenceFromFixedSeed) {
    g.Seed = 12345;
    std::vector<int32_t> draws;
    for (int i = 0; i < 6; ++i) {
        draws.push_back(Random(g, 1000));
    }
    EXPECT_EQ(draws, (std::vector<int32_t>{385, 289, 79, 553, 633, 341}));
    EXPECT_EQ(g.Seed, 1467157059u);
}

TEST_F(RandomTest, Seed_WrapsModulo2To32) {
    g.Seed = 0xFFFFFFFFu;
    EXPECT_EQ(Random(g, 7), 6);
    EXPECT_EQ(g.Seed, 4160191484u);
}

TEST_F(RandomTest, Draw_StaysBelowRangeForLargeSeeds) {
    g.Seed = 0;
    for (int i = 0; i < 10000; ++i) {
        const int32_t r = Random(g, 4);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 4);
        const float f = RandomFloat(g);
        ASSERT_GE(f, 0.0f);
        ASSERT_LT(f, 1.0f);
    }
}

TEST_F(RandomTest, NonPositiveRange_GivesZeroAndStillAdvances) {
    g.Seed = 1;
    EXPECT_EQ(Random(g, 0), 0);
    EXPECT_EQ(g.Seed, 134775814u);
    EXPECT_EQ(Random(g, -5), 0);
}

TEST_F(RandomTest, Randomize_TakesSeedFromTickSource) {
    uint32_t ticks = 777;
    g.Ticks = [&ticks] { return ticks; };
    g.Seed = 5;
    Randomize(g);
    EXPECT_EQ(g.Seed, 777u);
    ticks = 778;
    Randomize(g);
    EXPECT_EQ(g.Seed, 778u);
}

TEST_F(RandomTest, Randomize_WithoutSourceKeepsSeed) {
    g.Seed = 42;
    Randomize(g);
    EXPECT_EQ(g.Seed, 42u);
}

TEST_F(RandomTest, SameSeed_GivesSameDraws) {
    g.Seed = 99;
    const int32_t a = Random(g, 1000000);
    const int32_t b = Random(g, 1000000);
    g.Seed = 99;
    EXPECT_EQ(Random(g, 1000000), a);
    EXPECT_EQ(Random(g, 1000000), b);
}

// Two generators (two worlds) draw the same sequence from the same seed however their draws
// interleave, each reseeds from its own tick source, and neither moves a third.
TEST_F(RandomTest, Generators_DrawAndReseedOnTheirOwn) {
    g.Seed = 5;
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
    EXPECT_EQ(g.Seed, 5u);
}

}  // namespace
