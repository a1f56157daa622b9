// The skin description reader and the look-up of named rectangles.
#include "gui/GUISkinInfo.h"

#include <gtest/gtest.h>

#include "GuiTestSupport.h"

TEST(GUISkinInfo_Reads, PixelsDividedByTheTextureSize) {
    TGUISkinInfo skin;
    std::string error;
    ASSERT_TRUE(skin.LoadFromBytes("1\r\nBack_state1 0 0 256 64\r\n", "skin.txt", 512, 256, error)) << error;
    TSkinTexCoord rect;
    ASSERT_TRUE(skin.GetTexCoord("Back_state1", rect));
    EXPECT_EQ(rect.Name, "Back_state1");
    EXPECT_FLOAT_EQ(rect.Left, 0.0f);
    EXPECT_FLOAT_EQ(rect.Top, 0.0f);
    EXPECT_FLOAT_EQ(rect.Right, 0.5f);
    EXPECT_FLOAT_EQ(rect.Bottom, 0.25f);
}

TEST(GUISkinInfo_Reads, MirroredRectanglesAndEntriesSplitOverLines) {
    TGUISkinInfo skin;
    std::string error;
    ASSERT_TRUE(
        skin.LoadFromBytes("2 Flip 128\n64\n0 0\nOther 1 2 3 4 trailing words", "skin.txt", 256, 128, error))
        << error;
    EXPECT_EQ(skin.Count(), 2);
    TSkinTexCoord rect;
    ASSERT_TRUE(skin.GetTexCoord("Flip", rect));
    EXPECT_FLOAT_EQ(rect.Left, 0.5f);
    EXPECT_FLOAT_EQ(rect.Top, 0.5f);
    EXPECT_FLOAT_EQ(rect.Right, 0.0f);
    EXPECT_FLOAT_EQ(rect.Bottom, 0.0f);
}

TEST(GUISkinInfo_Lookup, FirstOfEqualNamesWinsAndCaseMatters) {
    TGUISkinInfo skin;
    std::string error;
    ASSERT_TRUE(
        skin.LoadFromBytes("3 Back 0 0 8 8 Back 8 8 16 16 back 16 16 32 32", "skin.txt", 32, 32, error));
    TSkinTexCoord rect;
    ASSERT_TRUE(skin.GetTexCoord("Back", rect));
    EXPECT_FLOAT_EQ(rect.Right, 0.25f);
    ASSERT_TRUE(skin.GetTexCoord("back", rect));
    EXPECT_FLOAT_EQ(rect.Right, 1.0f);
    EXPECT_FALSE(skin.GetTexCoord("BACK", rect));
}

TEST(GUISkinInfo_Lookup, AMissingNameLeavesTheRectangleAsItWas) {
    TGUISkinInfo skin;
    TSkinTexCoord rect;
    rect.Left = 0.75f;
    EXPECT_FALSE(skin.GetTexCoord("Back_state1", rect));  // empty table
    std::string error;
    ASSERT_TRUE(skin.LoadFromBytes("0", "skin.txt", 512, 256, error));
    ASSERT_TRUE(skin.LoadFromBytes("1 A 0 0 1 1", "skin.txt", 512, 256, error));
    EXPECT_FALSE(skin.GetTexCoord("B", rect));
    EXPECT_FLOAT_EQ(rect.Left, 0.75f);
}

TEST(GUISkinInfo_Rejects, PrematureEndAtEveryByte) {
    const std::string full = "2\r\nA 0 0 10 10\r\nB 10 10 20 20\r\n";
    // Every cut before the last number is complete.
    for (size_t cut = 0; cut <= full.rfind("20"); ++cut) {
        TGUISkinInfo skin;
        skin.Items.push_back({"Old", 0, 0, 1, 1});
        std::string error;
        EXPECT_FALSE(skin.LoadFromBytes(full.substr(0, cut), "guiskininfo.txt", 512, 256, error))
            << "cut at " << cut;
        EXPECT_NE(error.find("guiskininfo.txt"), std::string::npos) << error;
        EXPECT_EQ(skin.Count(), 0) << "a failed read leaves the table empty";
    }
}

TEST(GUISkinInfo_Rejects, WordsWhereIntegersBelongAndBadSizes) {
    TGUISkinInfo skin;
    std::string error;
    EXPECT_FALSE(skin.LoadFromBytes("two A 0 0 1 1", "skin.txt", 512, 256, error));
    EXPECT_NE(error.find("\"two\""), std::string::npos) << error;
    EXPECT_FALSE(skin.LoadFromBytes("1\nA 0 0 1,5 1", "skin.txt", 512, 256, error));
    EXPECT_NE(error.find("right of the entry \"A\""), std::string::npos) << error;
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_FALSE(skin.LoadFromBytes("-1", "skin.txt", 512, 256, error));
    EXPECT_FALSE(skin.LoadFromBytes("1 A 0 0 99999999999 1", "skin.txt", 512, 256, error));
    EXPECT_FALSE(skin.LoadFromBytes("1 A 0 0 1 1", "skin.txt", 0, 256, error));
    EXPECT_EQ(skin.Count(), 0);
}

TEST(GUISkinInfo_File, ReadsThroughTheGamePathAndNamesAMissingFile) {
    guitest::ScratchFolder folder;
    folder.Write("Data/GUI/GuiSkinInfo.TXT", "1 A 0 0 512 256");
    TGUISkinInfo skin;
    std::string error;
    ASSERT_TRUE(skin.LoadFromFile(folder.DataRoot(), "Data\\GUI\\guiskininfo.txt", 512, 256, error)) << error;
    EXPECT_EQ(skin.Count(), 1);
    EXPECT_FALSE(skin.LoadFromFile(folder.DataRoot(), "Data\\GUI\\missing.txt", 512, 256, error));
    EXPECT_NE(error.find("missing.txt"), std::string::npos) << error;
    EXPECT_EQ(skin.Count(), 0);
}
