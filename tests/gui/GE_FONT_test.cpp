// The bitmap font on the recording device: the quads, texture coordinates and colours of queued text,
// line breaks, missing glyphs, slant, alignment in a rectangle, the one draw call of a frame and the
// limit of the 16-bit queue.
#include "gui/GE_FONT.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "GuiTestSupport.h"
#include "platform/Png.h"
#include "util/Log.h"

using guitest::FontHeader;
using guitest::GlyphEntry;

namespace {

// Glyph 0 ('A') sets the line height 0.125 and the missing-glyph advance 0.0625.
TFontInfo SmallTable() {
    TFontInfo info;
    info.Glyphs = {{'A', 0.5f, 0.25f, 0.0625f, 0.125f},
                   {'B', 0.0f, 0.5f, 0.03125f, 0.1f},
                   {'C', 0.25f, 0.0f, 0.05f, 0.125f},
                   {'C', 0.75f, 0.75f, 0.1f, 0.125f}};  // the later 'C' wins
    return info;
}

struct FontTest : ::testing::Test {
    guitest::RecordingRenderer renderer;
    TMYFont font{renderer.render};

    void SetUp() override { font.SetGlyphs(SmallTable()); }

    float Scale() const { return font.FontSize / 0.125f; }
    const TFontVertex& V(size_t i) const { return font.QueuedVertices().at(i); }
    // Positions of every call in the device log with this name.
    std::vector<size_t> CallPositions(const std::string& text) const {
        std::vector<size_t> positions;
        const auto& calls = renderer.device->Calls();
        for (size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].Text == text || calls[i].Name == text) {
                positions.push_back(i);
            }
        }
        return positions;
    }
};

}  // namespace

TEST_F(FontTest, Quads_CornersTextureCoordinatesColourAndIndices) {
    font.FontColor = {10, 20, 30, 0};
    font.DrawText("AB", -0.5f, 0.5f);
    ASSERT_EQ(font.VertexCount(), 8u);
    ASSERT_EQ(font.IndexCount(), 12u);
    const float s = Scale();
    const float wA = 0.0625f * s, hA = 0.125f * s, wB = 0.03125f * s, hB = 0.1f * s;
    const float expected[8][4] = {
        {-0.5f, 0.5f, 0.5f, 0.25f},
        {-0.5f + wA, 0.5f, 0.5625f, 0.25f},
        {-0.5f + wA, 0.5f - hA, 0.5625f, 0.375f},
        {-0.5f, 0.5f - hA, 0.5f, 0.375f},
        {-0.5f + wA, 0.5f, 0.0f, 0.5f},
        {-0.5f + wA + wB, 0.5f, 0.03125f, 0.5f},
        {-0.5f + wA + wB, 0.5f - hB, 0.03125f, 0.6f},
        {-0.5f + wA, 0.5f - hB, 0.0f, 0.6f},
    };
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_FLOAT_EQ(V(i).X, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(V(i).Y, expected[i][1]) << i;
        EXPECT_EQ(V(i).Z, 0.0f) << i;
        EXPECT_FLOAT_EQ(V(i).U, expected[i][2]) << i;
        EXPECT_FLOAT_EQ(V(i).V, expected[i][3]) << i;
        // Always opaque, whatever FontColor's alpha: 0xFF, R, G, B.
        EXPECT_EQ(V(i).Color, 0xFF0A141Eu) << i;
    }
    EXPECT_EQ(font.QueuedIndices(), (std::vector<uint16_t>{0, 1, 2, 2, 3, 0, 4, 5, 6, 6, 7, 4}));
}

TEST_F(FontTest, Quads_ColourBytesLandAsBgraInMemory) {
    font.FontColor = {0x11, 0x22, 0x33, 0x44};
    font.DrawText("A", 0, 0);
    uint8_t bytes[4];
    std::memcpy(bytes, &V(0).Color, 4);
    EXPECT_EQ(bytes[0], 0x33);  // B
    EXPECT_EQ(bytes[1], 0x22);  // G
    EXPECT_EQ(bytes[2], 0x11);  // R
    EXPECT_EQ(bytes[3], 0xFF);  // A
}

TEST_F(FontTest, Lines_CarriageReturnGoesOneFontSizeDownToTheMargin) {
    font.FontSize = 0.1f;
    font.DrawText("A\rB", 0.2f, 0.4f);
    ASSERT_EQ(font.VertexCount(), 8u);
    EXPECT_FLOAT_EQ(V(4).X, 0.2f);
    EXPECT_FLOAT_EQ(V(4).Y, 0.4f - 0.1f);
}

TEST_F(FontTest, Lines_LineFeedIsIgnored) {
    font.DrawText("A\nB", 0.2f, 0.4f);
    ASSERT_EQ(font.VertexCount(), 8u);
    EXPECT_FLOAT_EQ(V(4).X, 0.2f + 0.0625f * Scale());
    EXPECT_FLOAT_EQ(V(4).Y, 0.4f);
}

TEST_F(FontTest, Glyphs_MissingCharacterLeavesAGapOfTheFirstGlyphsWidth) {
    font.FontSize = 0.25f;
    font.DrawText("BzB", 0, 0);
    ASSERT_EQ(font.VertexCount(), 8u);
    const float s = Scale();
    EXPECT_FLOAT_EQ(V(4).X, 0.03125f * s + 0.0625f * s);
}

TEST_F(FontTest, Glyphs_TheLastEntryOfACharacterWins) {
    font.DrawText("C", 0, 0);
    ASSERT_EQ(font.VertexCount(), 4u);
    EXPECT_FLOAT_EQ(V(0).U, 0.75f);
    EXPECT_FLOAT_EQ(V(1).U, 0.85f);
}

TEST_F(FontTest, Glyphs_EmptyTextQueuesNothing) {
    font.DrawText("", 0, 0);
    font.DrawTextInRect("", 0, 0, 1, 1);
    EXPECT_EQ(font.VertexCount(), 0u);
}

TEST_F(FontTest, Italic_SlantsTheTopEdgeByTheUnscaledLineHeight) {
    font.Italic = 30;
    font.FontSize = 0.5f;
    font.DrawText("A", 0, 0);
    const double slant = std::tan(30.0 * M_PI / 180.0) * 0.125;
    EXPECT_NEAR(V(0).X, slant, 1e-6);
    EXPECT_NEAR(V(1).X, 0.0625f * Scale() + slant, 1e-6);
    EXPECT_FLOAT_EQ(V(2).X, 0.0625f * Scale());
    EXPECT_FLOAT_EQ(V(3).X, 0.0f);
}

TEST_F(FontTest, Italic_ZeroGivesUprightRectangles) {
    font.DrawText("ABC", 0.1f, 0.3f);
    for (size_t q = 0; q < 3; ++q) {
        EXPECT_EQ(V(4 * q).X, V(4 * q + 3).X);
        EXPECT_EQ(V(4 * q + 1).X, V(4 * q + 2).X);
        EXPECT_EQ(V(4 * q).Y, V(4 * q + 1).Y);
        EXPECT_EQ(V(4 * q + 2).Y, V(4 * q + 3).Y);
    }
}

TEST_F(FontTest, Width_SumsAtlasWidthsAndCountsLineBreaksAsMissing) {
    EXPECT_FLOAT_EQ(font.TextWidth("AB"), 0.0625f + 0.03125f);
    EXPECT_FLOAT_EQ(font.TextWidth("A\r\nB"), 0.0625f * 3 + 0.03125f);
    EXPECT_FLOAT_EQ(font.TextWidth(""), 0.0f);
}

TEST_F(FontTest, Align_CentredInBothDirections) {
    font.HAlign = 2;
    font.VAlign = 2;
    font.DrawTextInRect("AB", -0.4f, 0.2f, 0.6f, 0.3f);
    const float s = Scale();
    const float tw = (0.0625f + 0.03125f) * s;
    EXPECT_FLOAT_EQ(V(0).X, -0.4f + (0.6f - tw) / 2);
    EXPECT_FLOAT_EQ(V(0).Y, 0.2f - (0.3f - font.FontSize) / 2);
    // The text's own box is centred: equal room left and right.
    EXPECT_NEAR(V(0).X - (-0.4f), (-0.4f + 0.6f) - V(5).X, 1e-6);
}

TEST_F(FontTest, Align_RightBottomAndTopLeft) {
    font.HAlign = 1;
    font.VAlign = 1;
    font.DrawTextInRect("A", 0, 0, 0.5f, 0.4f);
    EXPECT_FLOAT_EQ(V(1).X, 0.5f);                     // right edge on the rectangle's
    EXPECT_FLOAT_EQ(V(0).Y, -(0.4f - font.FontSize));  // one line above the bottom
    EXPECT_FLOAT_EQ(V(3).Y, -0.4f);
    font.HAlign = 0;
    font.VAlign = 0;
    font.DrawTextInRect("A", 0.1f, 0.2f, 0.5f, 0.4f);
    EXPECT_FLOAT_EQ(V(4).X, 0.1f);
    EXPECT_FLOAT_EQ(V(4).Y, 0.2f);
}

TEST_F(FontTest, Align_MultiLineTextIsPlacedByTheWidthOfAllItsCharacters) {
    font.HAlign = 2;
    font.DrawTextInRect("AA\rAA", 0, 0, 1, 0.1f);
    const float tw = font.TextWidth("AA\rAA") * Scale();
    EXPECT_FLOAT_EQ(V(0).X, (1 - tw) / 2);
    EXPECT_FLOAT_EQ(V(8).X, (1 - tw) / 2);  // the second line starts at the same x
}

TEST_F(FontTest, Flush_OneDrawCallWithBlendingOnAndDepthTestOff) {
    font.DrawText("AB", 0, 0);
    font.DrawText("C", 0, -0.5f);
    renderer.device->ClearLog();
    font.Flush();
    ASSERT_EQ(renderer.device->DrawCallCount(), 1u) << renderer.device->LogText();
    const auto draws = renderer.device->FindCalls("DrawIndexedPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    // primitive type, base vertex, min index, vertices, start index, triangles
    EXPECT_EQ(draws[0].Ints, (std::vector<int64_t>{platform::D3DPT_TRIANGLELIST, 0, 0, 12, 0, 6}));
    EXPECT_EQ(renderer.device->BadDraws(), 0);

    const size_t draw = CallPositions("DrawIndexedPrimitive").at(0);
    const auto blendOn = CallPositions("SetRenderState(27, 1)");
    const auto depthOff = CallPositions("SetRenderState(7, 0)");
    const auto depthOn = CallPositions("SetRenderState(7, 1)");
    const auto blendOff = CallPositions("SetRenderState(27, 0)");
    ASSERT_FALSE(blendOn.empty());
    ASSERT_FALSE(depthOff.empty());
    ASSERT_FALSE(depthOn.empty());
    ASSERT_FALSE(blendOff.empty());
    EXPECT_LT(blendOn.back(), draw);
    EXPECT_LT(depthOff.back(), draw);
    EXPECT_GT(depthOn.back(), draw);
    EXPECT_GT(blendOff.back(), draw);
    EXPECT_EQ(renderer.device->RenderState(platform::D3DRS_ZENABLE), 1u);
    EXPECT_EQ(renderer.device->RenderState(platform::D3DRS_ALPHABLENDENABLE), 0u);

    // Dynamic, write-only buffers of the default pool, sized to the text, filled with a discarding lock.
    const auto vb = renderer.device->FindCalls("CreateVertexBuffer");
    ASSERT_EQ(vb.size(), 1u);
    EXPECT_EQ(vb[0].Ints[0], 12 * 24);
    EXPECT_EQ(vb[0].Ints[1], 520);
    EXPECT_EQ(vb[0].Ints[3], platform::D3DPOOL_DEFAULT);
    const auto ib = renderer.device->FindCalls("CreateIndexBuffer");
    ASSERT_EQ(ib.size(), 1u);
    EXPECT_EQ(ib[0].Ints[0], 18 * 2);
    for (const auto& lock : renderer.device->FindCalls("LockBuffer")) {
        EXPECT_EQ(lock.Ints[3], platform::D3DLOCK_DISCARD);
    }
    // The stride of the declaration drawn with is the vertex size.
    const auto stream = renderer.device->FindCalls("SetStreamSource");
    ASSERT_EQ(stream.size(), 1u);
    EXPECT_EQ(stream[0].Ints[3], 24);

    // Emptied and given back.
    EXPECT_EQ(font.VertexCount(), 0u);
    EXPECT_EQ(font.IndexCount(), 0u);
    EXPECT_EQ(renderer.device->LiveBuffers(), 0u);
}

TEST_F(FontTest, Flush_AFrameWithoutTextDrawsNothing) {
    font.DrawText("A", 0, 0);
    font.Flush();
    renderer.device->ClearLog();
    font.Flush();
    font.DrawText("", 0, 0);
    font.Flush();
    EXPECT_EQ(renderer.device->DrawCallCount(), 0u);
    EXPECT_TRUE(renderer.device->Calls().empty()) << renderer.device->LogText();
}

TEST_F(FontTest, Flush_WithoutADeviceDropsTheQueue) {
    platform::RecordingGraphicsSystem system;
    TRenderD3D9 noDevice(system);
    TMYFont lonely(noDevice);
    lonely.SetGlyphs(SmallTable());
    lonely.DrawText("AB", 0, 0);
    lonely.Flush();
    EXPECT_EQ(lonely.VertexCount(), 0u);
}

TEST_F(FontTest, Limit_TextBeyondTheSixteenBitQueueIsDroppedNotWrapped) {
    std::vector<std::string> captured;
    auto previous =
        logging::SetSink([&](std::string_view, std::string_view text) { captured.emplace_back(text); });
    const std::string text(TMYFont::kMaxGlyphsPerFrame + 5, 'A');
    font.DrawText(text, -1, 1);
    font.DrawText("B", 0, 0);
    logging::SetSink(previous);
    EXPECT_EQ(font.VertexCount(), TMYFont::kMaxGlyphsPerFrame * 4);
    EXPECT_EQ(font.IndexCount(), TMYFont::kMaxGlyphsPerFrame * 6);
    EXPECT_LE(font.IndexCount(), 65535u);
    EXPECT_EQ(captured.size(), 1u) << "the drop is reported once a frame";
    // Every index names a queued vertex, in order: nothing wrapped round to the first glyphs.
    const auto& indices = font.QueuedIndices();
    for (size_t q = 0; q < TMYFont::kMaxGlyphsPerFrame; ++q) {
        ASSERT_EQ(indices[6 * q], 4 * q);
        ASSERT_EQ(indices[6 * q + 4], 4 * q + 3);
    }
    renderer.device->ClearLog();
    font.Flush();
    const auto draws = renderer.device->FindCalls("DrawIndexedPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].Ints[3], int64_t(TMYFont::kMaxGlyphsPerFrame * 4));
    EXPECT_EQ(draws[0].Ints[5], int64_t(TMYFont::kMaxGlyphsPerFrame * 2));
    EXPECT_EQ(renderer.device->BadDraws(), 0);
    // The next frame has room again.
    font.DrawText("A", 0, 0);
    EXPECT_EQ(font.VertexCount(), 4u);
}

TEST(FontLoad, ReadsTheTableTheOneLevelAtlasAndBothShaders) {
    guitest::ScratchFolder folder;
    guitest::RecordingRenderer renderer;
    platform::Image atlas;
    atlas.Width = 64;
    atlas.Height = 32;
    atlas.Rgba.assign(64 * 32 * 4, 255);
    std::string png, error;
    ASSERT_TRUE(platform::EncodePng(atlas, png, error)) << error;
    folder.Write("Data/Font/font.png", png);
    folder.Write("Data/Font/font_info.txt", FontHeader(2) + GlyphEntry("\"A\"", "0", "0", "0,5", "0,5") +
                                                GlyphEntry("\"B\"", "0,5", "0", "0,5", "0,5"));
    folder.Write("Data/Shaders/Font.vs", "void main() {}\n");
    folder.Write("Data/Shaders/Font.ps", "void main() {}\n");

    TMYFont font(renderer.render);
    ASSERT_TRUE(font.LoadFromFile(folder.DataRoot(), "Data\\Font\\font.png", "Data\\Font\\font_info.txt",
                                  "Data\\Shaders\\Font.ps", "Data\\Shaders\\Font.vs", error))
        << error;
    EXPECT_EQ(font.GlyphCount(), 2u);
    EXPECT_EQ(font.InfoValue1(), 256);
    EXPECT_EQ(font.InfoValue2(), 128);
    const platform::RecordedTexture* texture = renderer.device->Texture(font.Texture());
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->Width, 64u);
    EXPECT_EQ(texture->Height, 32u);
    EXPECT_EQ(texture->Levels.size(), 1u);
    EXPECT_EQ(renderer.device->LiveShaders(), 2u);

    font.DrawText("AB", 0, 0);
    font.Flush();
    EXPECT_EQ(renderer.device->BoundTexture(0), font.Texture());

    // Loading again gives the old atlas back.
    ASSERT_TRUE(font.LoadFromFile(folder.DataRoot(), "Data\\Font\\font.png", "Data\\Font\\font_info.txt",
                                  "Data\\Shaders\\Font.ps", "Data\\Shaders\\Font.vs", error))
        << error;
    EXPECT_EQ(renderer.device->LiveTextures(), 1u);
}

TEST(FontLoad, BadFilesFailWithTheFileNamedAndNeverCrash) {
    guitest::ScratchFolder folder;
    guitest::RecordingRenderer renderer;
    TMYFont font(renderer.render);
    std::string error;
    EXPECT_FALSE(font.LoadFromFile(folder.DataRoot(), "Data\\Font\\font.png", "Data\\Font\\font_info.txt",
                                   "a.ps", "a.vs", error));
    EXPECT_NE(error.find("font_info.txt"), std::string::npos) << error;

    folder.Write("Data/Font/font_info.txt", FontHeader(1) + "Char: \"A\"\r\nLeft = x\r\n");
    EXPECT_FALSE(font.LoadFromFile(folder.DataRoot(), "Data\\Font\\font.png", "Data\\Font\\font_info.txt",
                                   "a.ps", "a.vs", error));
    EXPECT_NE(error.find("font_info.txt"), std::string::npos) << error;

    folder.Write("Data/Font/font_info.txt", FontHeader(1) + GlyphEntry("\"A\"", "0", "0", "0,5", "0,5"));
    folder.Write("Data/Font/font.png", "not a png");
    EXPECT_FALSE(font.LoadFromFile(folder.DataRoot(), "Data\\Font\\font.png", "Data\\Font\\font_info.txt",
                                   "a.ps", "a.vs", error));
    EXPECT_NE(error.find("font.png"), std::string::npos) << error;
    EXPECT_FALSE(font.Texture());
    EXPECT_EQ(font.GlyphCount(), 0u) << "a font without its atlas draws nothing";

    // Whatever failed, drawing stays safe.
    font.DrawTextInRect("AAA", 0, 0, 1, 1);
    font.Flush();
    EXPECT_EQ(renderer.device->DrawCallCount(), 0u);
    EXPECT_EQ(renderer.device->BadDraws(), 0);
    EXPECT_EQ(renderer.device->BadHandleUses(), 0);
}

TEST(FontLoad, ANewFontDrawsNothingUntilItHasGlyphs) {
    guitest::RecordingRenderer renderer;
    TMYFont font(renderer.render);
    font.DrawText("AB", 0, 0);
    font.DrawTextInRect("AB", 0, 0, 1, 1);
    EXPECT_EQ(font.TextWidth("AB"), 0.0f);
    font.Flush();
    EXPECT_EQ(renderer.device->DrawCallCount(), 0u);

    TFontInfo flat;
    flat.Glyphs = {{'A', 0, 0, 0.1f, 0}};
    font.SetGlyphs(flat);
    EXPECT_EQ(font.GlyphCount(), 0u) << "a zero line height would divide by zero";
    font.DrawText("A", 0, 0);
    EXPECT_EQ(font.VertexCount(), 0u);
}
