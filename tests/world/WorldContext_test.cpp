#include "world/WorldContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(127.5), 128);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
}

TEST(RoundHalfEven, SticksAtTheEndsOfTheRangeAndGivesZeroForNaN) {
    EXPECT_EQ(RoundHalfEven(1e12), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundHalfEven(-1e12), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<double>::infinity()), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
    EXPECT_EQ(RoundHalfEven(2147483646.0), 2147483646);
    EXPECT_EQ(RoundHalfEven(-2147483648.0), std::numeric_limits<int32_t>::min());
}

TEST(NeighbourFootprint, HeadingsPointAlongTheGrid) {
    EXPECT_EQ(NeighbourFootprint(4, 4, 0), (TGridPoint{4, 3}));
    EXPECT_EQ(NeighbourFootprint(4, 4, 90), (TGridPoint{5, 4}));
    EXPECT_EQ(NeighbourFootprint(4, 4, 180), (TGridPoint{4, 5}));
    EXPECT_EQ(NeighbourFootprint(4, 4, 270), (TGridPoint{3, 4}));
}

}  // namespace
