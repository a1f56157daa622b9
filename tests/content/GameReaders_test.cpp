// The font and skin descriptions as the game's own readers take them: no error, no warning, every
// glyph and every widget rectangle found.
#include <gtest/gtest.h>

#include "ContentSupport.h"
#include "gui/FontInfo.h"
#include "gui/GUISkinInfo.h"

using namespace content_test;

TEST(GameReaders, FontDescriptionReadsCleanly) {
    TFontInfo info;
    std::string error, warning;
    ASSERT_TRUE(
        ParseFontInfo(ReadAll(DataDir() + "/Font/font_info.txt"), "font_info.txt", info, error, warning))
        << error;
    EXPECT_TRUE(warning.empty()) << warning;
    ASSERT_GT(info.Glyphs.size(), 160u);
    EXPECT_EQ(info.Glyphs[0].Char, ' ');
    EXPECT_GT(info.Glyphs[0].Height, 0.0f);
    bool hasYi = false, hasNumero = false;
    for (const TGlyph& g : info.Glyphs) {
        hasYi |= g.Char == 0xAF;      // Ї
        hasNumero |= g.Char == 0xB9;  // №
        EXPECT_FLOAT_EQ(g.Height, info.Glyphs[0].Height);
    }
    EXPECT_TRUE(hasYi);
    EXPECT_TRUE(hasNumero);
}

TEST(GameReaders, SkinDescriptionHasEveryWidgetLook) {
    TGUISkinInfo skin;
    std::string error;
    ASSERT_TRUE(
        skin.LoadFromBytes(ReadAll(DataDir() + "/GUI/guiskininfo.txt"), "guiskininfo.txt", 512, 256, error))
        << error;
    for (const char* name :
         {"Back_state1", "Back_state2", "Back_state3", "Edit_state1", "Edit_state2", "Edit_state3",
          "Check_state1_1", "Check_state2_1", "Check_state3_1", "Check_state1_2", "Check_state2_2",
          "Check_state3_2", "Radio_state1_1", "Radio_state2_1", "Radio_state3_1", "Radio_state1_2",
          "Radio_state2_2", "Radio_state3_2"}) {
        TSkinTexCoord rect;
        ASSERT_TRUE(skin.GetTexCoord(name, rect)) << name;
        EXPECT_LT(rect.Left, rect.Right) << name;
        EXPECT_LT(rect.Top, rect.Bottom) << name;
        EXPECT_LE(rect.Right, 1.0f) << name;
        EXPECT_LE(rect.Bottom, 1.0f) << name;
    }
}
