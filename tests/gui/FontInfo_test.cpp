// The font description reader: the header, quoted glyph characters, comma decimals, and files that
// stop early or hold words where numbers belong.
#include "gui/FontInfo.h"

#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "gui/InfoReader.h"

using guitest::FontHeader;
using guitest::GlyphEntry;

namespace {

bool Parse(const std::string& text, TFontInfo& info, std::string& error, std::string& warning) {
    return ParseFontInfo(text, "font_info.txt", info, error, warning);
}

}  // namespace

TEST(InfoDecimal_Parses, CommaAndPointFractionsSignsAndExponents) {
    float v = -1;
    ASSERT_TRUE(ParseInfoDecimal("0,125", v));
    EXPECT_FLOAT_EQ(v, 0.125f);
    ASSERT_TRUE(ParseInfoDecimal("0.5", v));
    EXPECT_FLOAT_EQ(v, 0.5f);
    ASSERT_TRUE(ParseInfoDecimal("-3", v));
    EXPECT_FLOAT_EQ(v, -3.0f);
    ASSERT_TRUE(ParseInfoDecimal("+,25", v));
    EXPECT_FLOAT_EQ(v, 0.25f);
    ASSERT_TRUE(ParseInfoDecimal("1,5E-2", v));
    EXPECT_FLOAT_EQ(v, 0.015f);
}

TEST(InfoDecimal_Rejects, WordsEmptyTokensAndNonFiniteValues) {
    float v = 7;
    for (const char* bad : {"", "abc", "1,2,3", ",", "-", "1e", "0x10", "inf", "nan", "1e999", "1 ", "\t1"}) {
        EXPECT_FALSE(ParseInfoDecimal(bad, v)) << bad;
    }
    EXPECT_EQ(v, 7);
}

TEST(InfoReader_Tokens, SpaceCrLfSeparateButTabsBelongToTokens) {
    TInfoReader reader("  a\tb \r\n c\n");
    std::string_view token;
    ASSERT_TRUE(reader.NextToken(token));
    EXPECT_EQ(token, "a\tb");
    ASSERT_TRUE(reader.NextToken(token));
    EXPECT_EQ(token, "c");
    EXPECT_FALSE(reader.NextToken(token));
    EXPECT_TRUE(token.empty());
}

TEST(FontInfo_Reads, HeaderValuesAndGlyphsInFileOrder) {
    const std::string text = FontHeader(2) + GlyphEntry("\"A\"", "0,5", "0,25", "0,0625", "0,125") +
                             GlyphEntry("\"b\"", "0", "0,75", "0,03125", "0,1");
    TFontInfo info;
    std::string error, warning;
    ASSERT_TRUE(Parse(text, info, error, warning)) << error;
    EXPECT_TRUE(warning.empty());
    EXPECT_EQ(info.InfoValue1, 256);
    EXPECT_EQ(info.InfoValue2, 128);
    ASSERT_EQ(info.Glyphs.size(), 2u);
    EXPECT_EQ(info.Glyphs[0].Char, 'A');
    EXPECT_FLOAT_EQ(info.Glyphs[0].U, 0.5f);
    EXPECT_FLOAT_EQ(info.Glyphs[0].V, 0.25f);
    EXPECT_FLOAT_EQ(info.Glyphs[0].Width, 0.0625f);
    EXPECT_FLOAT_EQ(info.Glyphs[0].Height, 0.125f);
    EXPECT_EQ(info.Glyphs[1].Char, 'b');
    EXPECT_FLOAT_EQ(info.Glyphs[1].Height, 0.1f);
}

TEST(FontInfo_Reads, SpaceQuoteAndHighBytesAsGlyphCharacters) {
    const std::string text = FontHeader(3) + GlyphEntry("\" \"", "0", "0", "0,1", "0,1") +
                             GlyphEntry("\"\"\"", "0", "0", "0,1", "0,1") +
                             GlyphEntry("\"\xC6\"", "0", "0", "0,1", "0,1");
    TFontInfo info;
    std::string error, warning;
    ASSERT_TRUE(Parse(text, info, error, warning)) << error;
    ASSERT_EQ(info.Glyphs.size(), 3u);
    EXPECT_EQ(info.Glyphs[0].Char, ' ');
    EXPECT_EQ(info.Glyphs[1].Char, '"');
    EXPECT_EQ(info.Glyphs[2].Char, 0xC6);
}

TEST(FontInfo_PrematureEnd, InsideTheGlyphsKeepsTheCompleteOnesAndWarns) {
    const std::string full = FontHeader(3) + GlyphEntry("\"A\"", "0", "0", "0,1", "0,2") +
                             GlyphEntry("\"B\"", "0,1", "0", "0,1", "0,2");
    // Cut at every byte of the second glyph up to its last value: the first always survives, nothing
    // is read past the end.
    const size_t secondStart = full.find("Char: \"B\"");
    const size_t lastValue = full.rfind("0,2");
    for (size_t cut = secondStart; cut < lastValue; ++cut) {
        TFontInfo info;
        std::string error, warning;
        const std::string text = full.substr(0, cut);
        ASSERT_TRUE(Parse(text, info, error, warning)) << "cut at " << cut << ": " << error;
        ASSERT_EQ(info.Glyphs.size(), 1u) << "cut at " << cut;
        EXPECT_EQ(info.Glyphs[0].Char, 'A');
        EXPECT_NE(warning.find("font_info.txt"), std::string::npos);
        EXPECT_NE(warning.find("glyph 2 of 3"), std::string::npos) << warning;
    }
    TFontInfo info;
    std::string error, warning;
    ASSERT_TRUE(Parse(full, info, error, warning)) << error;
    EXPECT_EQ(info.Glyphs.size(), 2u);
    EXPECT_NE(warning.find("glyph 3 of 3"), std::string::npos) << warning;
}

TEST(FontInfo_PrematureEnd, InTheHeaderOrBeforeAnyGlyphIsAnError) {
    const std::string full = FontHeader(1) + GlyphEntry("\"A\"", "0", "0", "0,1", "0,2");
    // Up to "0," of the last value: a height of 0 is refused as well.
    const size_t lastCut = full.rfind("0,2") + 2;
    for (size_t cut = 0; cut <= lastCut; ++cut) {
        TFontInfo info;
        info.InfoValue1 = 99;
        std::string error, warning;
        EXPECT_FALSE(Parse(full.substr(0, cut), info, error, warning)) << "cut at " << cut;
        EXPECT_NE(error.find("font_info.txt"), std::string::npos) << error;
        EXPECT_EQ(info.InfoValue1, 99) << "a failed read leaves the result untouched";
    }
}

TEST(FontInfo_Rejects, WordsWhereNumbersBelong) {
    TFontInfo info;
    std::string error, warning;
    EXPECT_FALSE(Parse("a b c\r\n" + FontHeader(1).substr(FontHeader(1).find('\n') + 1) +
                           GlyphEntry("\"A\"", "0", "0", "0,1", "0,2"),
                       info, error, warning));
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;

    EXPECT_FALSE(Parse(FontHeader(1) + GlyphEntry("\"A\"", "0", "zero", "0,1", "0,2"), info, error, warning));
    EXPECT_NE(error.find("V of glyph 1"), std::string::npos) << error;
    EXPECT_NE(error.find("\"zero\""), std::string::npos) << error;
    EXPECT_NE(error.find("line 6"), std::string::npos) << error;
}

TEST(FontInfo_Rejects, NoGlyphsANegativeCountAndAZeroLineHeight) {
    TFontInfo info;
    std::string error, warning;
    EXPECT_FALSE(Parse(FontHeader(0), info, error, warning));
    EXPECT_NE(error.find("no glyphs"), std::string::npos) << error;
    EXPECT_FALSE(Parse(FontHeader(-2), info, error, warning));
    EXPECT_NE(error.find("negative"), std::string::npos) << error;
    EXPECT_FALSE(Parse(FontHeader(1) + GlyphEntry("\"A\"", "0", "0", "0,1", "0"), info, error, warning));
    EXPECT_NE(error.find("Height"), std::string::npos) << error;
    EXPECT_FALSE(Parse("a b 70000 " + FontHeader(1).substr(FontHeader(1).find('\n') + 1) +
                           GlyphEntry("\"A\"", "0", "0", "0,1", "0,1"),
                       info, error, warning));
}

TEST(FontInfo_Reads, ACountLargerThanTheFileDoesNotReserveOrReadBeyondIt) {
    TFontInfo info;
    std::string error, warning;
    ASSERT_TRUE(
        Parse(FontHeader(2000000000) + GlyphEntry("\"A\"", "0", "0", "0,1", "0,1"), info, error, warning))
        << error;
    EXPECT_EQ(info.Glyphs.size(), 1u);
    EXPECT_FALSE(warning.empty());
}
