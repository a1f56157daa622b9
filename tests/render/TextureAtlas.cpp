// The texture atlas on the recording device: where the pictures lie and the borders around them.
#include <gtest/gtest.h>

#include <string>

#include "RenderTestSupport.h"
#include "render/TextureAtlas.h"

using TextureAtlasLayout = render_test::RendererFixture;

// The atlas lays the pictures in a row, each inside a border copied from its opposite edges, and tells
// where each one lies.
TEST_F(TextureAtlasLayout, PicturesLieInARowInsideWrappedBorders) {
    std::string error;
    platform::Image a;  // 2 x 1: texels 1, 2
    a.Width = 2;
    a.Height = 1;
    a.Rgba = {1, 1, 1, 1, 2, 2, 2, 2};
    platform::Image b;  // 1 x 2: texels 3 over 4
    b.Width = 1;
    b.Height = 2;
    b.Rgba = {3, 3, 3, 3, 4, 4, 4, 4};
    TTextureAtlas atlas;
    ASSERT_TRUE(atlas.Build(render.Device(), {{"a", a}, {"b", b}}, error)) << error;
    // What the device was given (grey texels: B, G, R and A alike).
    const platform::RecordedTexture* texels = device->Texture(atlas.Texture());
    ASSERT_NE(texels, nullptr);
    ASSERT_EQ(texels->Width, 4u + 3u);
    ASSERT_EQ(texels->Height, 4u);
    ASSERT_EQ(texels->Levels.size(), 1u);
    std::string rows;
    for (uint32_t y = 0; y < texels->Height; ++y) {
        for (uint32_t x = 0; x < texels->Width; ++x) {
            rows += static_cast<char>('0' + texels->Levels[0][(y * texels->Width + x) * 4]);
        }
        rows += '\n';
    }
    // a's border repeats its one row above and below and wraps its ends; b's border wraps its two rows
    // and repeats its one column; unused texels stay 0.
    EXPECT_EQ(rows, "2121444\n2121333\n2121444\n0000333\n");
    TTextureRect rect;
    ASSERT_TRUE(atlas.Find("b", rect));
    EXPECT_FLOAT_EQ(rect.U0, 5.0f / 7);
    EXPECT_FLOAT_EQ(rect.U1, 6.0f / 7);
    EXPECT_FLOAT_EQ(rect.V0, 1.0f / 4);
    EXPECT_FLOAT_EQ(rect.V1, 3.0f / 4);
    EXPECT_FALSE(atlas.Find("c", rect));
    EXPECT_TRUE(atlas.Texture());
    EXPECT_FALSE(atlas.Build(render.Device(), {{"empty", platform::Image{}}}, error));
    EXPECT_FALSE(atlas.Texture());
}
