#include "util/TokenReader.h"

#include <gtest/gtest.h>

namespace {

TEST(TokenReader, ReadsLabelsIntegersAndRealsByPosition) {
    std::string error;
    TTokenReader reader("Width 26\r\nScale x 1.5 Count -3", "level.txt", error);
    int32_t width = 0;
    float scale = 0.0f;
    int32_t count = 0;
    ASSERT_TRUE(reader.Skip("the width's label", 1));
    ASSERT_TRUE(reader.Integer("the width", 2, 1024, width));
    ASSERT_TRUE(reader.Skip("the scale's labels", 2));
    ASSERT_TRUE(reader.Real("the scale", scale));
    ASSERT_TRUE(reader.Skip("the count's label", 1));
    ASSERT_TRUE(reader.Integer("the count", count));
    EXPECT_EQ(width, 26);
    EXPECT_FLOAT_EQ(scale, 1.5f);
    EXPECT_EQ(count, -3);
    EXPECT_TRUE(error.empty());
}

TEST(TokenReader, FailuresNameTheFileTheLineAndTheValue) {
    std::string error;
    TTokenReader reader("1\n2\nx7 3e40 5000", "maps/one.txt", error);
    int32_t value = 0;
    float real = 0.0f;
    ASSERT_TRUE(reader.Integer("the first", value));
    ASSERT_TRUE(reader.Integer("the second", value));
    EXPECT_FALSE(reader.Integer("the third", value));
    EXPECT_EQ(error, "\"maps/one.txt\", line 3: the third \"x7\" is not an integer");
    EXPECT_FALSE(reader.Real("a real", real));  // beyond a float
    EXPECT_NE(error.find("\"3e40\" is not a number"), std::string::npos) << error;
    EXPECT_FALSE(reader.Integer("the size", 2, 1024, value));
    EXPECT_NE(error.find("the size 5000 is outside 2..1024"), std::string::npos) << error;
    EXPECT_FALSE(reader.Skip("the end", 1));
    EXPECT_NE(error.find("the file ends before the end"), std::string::npos) << error;
}

}  // namespace
