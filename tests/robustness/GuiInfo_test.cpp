// The font's glyph table and the GUI skin's rectangles under damage.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/FontInfo.h"
#include "gui/GUISkinInfo.h"
#include "tests/robustness/Mutations.h"

using namespace robustness;

namespace {

constexpr const char* kFontName = "Data\\Font\\font_info.txt";
constexpr const char* kSkinName = "Data\\GUI\\guiskininfo.txt";

Outcome ReadFont(const std::string& bytes) {
    TFontInfo info;
    Outcome o;
    std::string warning;
    o.ok = ParseFontInfo(bytes, kFontName, info, o.message, warning);
    if (o.ok) {
        if (info.Glyphs.empty() || !(info.Glyphs[0].Height > 0)) {
            ADD_FAILURE() << "accepted a table the font cannot measure with";
        }
        if (!warning.empty() && warning.find(kFontName) == std::string::npos) {
            ADD_FAILURE() << "the warning does not name the file: " << warning;
        }
    }
    return o;
}

Outcome ReadSkin(const std::string& bytes) {
    TGUISkinInfo skin;
    Outcome o;
    o.ok = skin.LoadFromBytes(bytes, kSkinName, 512, 256, o.message);
    if (!o.ok && skin.Count() != 0) {
        ADD_FAILURE() << "a failed table keeps " << skin.Count() << " entries";
    }
    return o;
}

TEST(FontInfo_Damaged, TheShippedTableFailsWithTheFileNamedOrKeepsAMeasurableFirstGlyph) {
    const std::string text = ReadShipped("Data/Font/font_info.txt");
    ASSERT_FALSE(text.empty());
    ExpectNamedFailures(TextMutations(text, 91, 1500, 800), kFontName, ReadFont);
}

TEST(FontInfo_Hostile, InflatedCountsAndBrokenEntriesFailOrStopWithTheFileNamed) {
    const std::string glyph = "\"A\"\nU = 0,1\nV = 0,1\nWidth = 0,1\nHeight = 0,1\n";
    const std::vector<std::string> inputs = {
        "Size = 30\nLineHeight = 44\nGlyph count = 2147483647\nGlyphs:\n",
        "Size = 30\nLineHeight = 44\nGlyph count = -1\nGlyphs:\n" + glyph,
        "Size = 30\nLineHeight = 44\nGlyph count = 99999999999\nGlyphs:\n" + glyph,
        "Size = 99999\nLineHeight = 44\nGlyph count = 1\nGlyphs:\n" + glyph,
        "Size = 30\nLineHeight = 44\nGlyph count = 1\nGlyphs:\n\"A\"\nU = 1e39\n",
        "Size = 30\nLineHeight = 44\nGlyph count = 1\nGlyphs:\n\"A\"\nU = nan\n",
        "Size = 30\nLineHeight = 44\nGlyph count = 1\nGlyphs:\n\"A\"\nU = 0,1\nV = 0,1\nWidth = 0,1\nHeight "
        "= -1\n",
        "Size = 30\nLineHeight = 44\nGlyph count = 1\nGlyphs:\n\"",
        "Size = 30\nLineHeight = 44\nGlyph count = 1\nGlyphs:\n" + std::string(1 << 20, 'x'),
        "Size = 30\nLineHeight",
        "",
    };
    for (const std::string& input : inputs) {
        const Outcome o = ReadFont(input);
        EXPECT_FALSE(o.ok) << input.substr(0, 80);
        EXPECT_NE(o.message.find(kFontName), std::string::npos) << o.message;
    }
    // A large stated count with one glyph written: the glyph is kept, the early end is a warning.
    TFontInfo info;
    std::string error, warning;
    ASSERT_TRUE(ParseFontInfo("Size = 30\nLineHeight = 44\nGlyph count = 1000000000\nGlyphs:\n" + glyph,
                              kFontName, info, error, warning))
        << error;
    EXPECT_EQ(info.Glyphs.size(), 1u);
    EXPECT_NE(warning.find(kFontName), std::string::npos) << warning;
}

TEST(GUISkinInfo_Damaged, TheShippedTableFailsWithTheFileNamedOrReadsWhole) {
    const std::string text = ReadShipped("Data/GUI/guiskininfo.txt");
    ASSERT_FALSE(text.empty());
    ExpectNamedFailures(TextMutations(text, 101, 1000, 600), kSkinName, ReadSkin);
}

TEST(GUISkinInfo_Hostile, InflatedCountsAndHostileNumbersFailWithTheFileNamed) {
    const std::vector<std::string> inputs = {
        "1000000000\nA 0 0 1 1\n",
        "2147483647\n",
        "-1\nA 0 0 1 1\n",
        "4294967296\nA 0 0 1 1\n",
        "1\nA 0 0 1 99999999999\n",
        "1\nA 0 0 1 x\n",
        "1\nA 0 0 1\n",
        "1\n" + std::string(1 << 20, 'n'),
        "",
        "   \r\n  ",
    };
    for (const std::string& input : inputs) {
        const Outcome o = ReadSkin(input);
        EXPECT_FALSE(o.ok) << input.substr(0, 80);
        EXPECT_NE(o.message.find(kSkinName), std::string::npos) << o.message.substr(0, 200);
    }
}

}  // namespace
