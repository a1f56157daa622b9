#include "render/TextureLoader.h"

#include "RenderTestSupport.h"
#include "platform/Png.h"

using namespace platform;
using render_test::LogCapture;
using render_test::RendererFixture;
using render_test::ScratchData;

namespace {

struct TextureFixture : RendererFixture {
    std::unique_ptr<ScratchData> data;
    void SetUp() override {
        RendererFixture::SetUp();
        data = std::make_unique<ScratchData>();
    }
    void TearDown() override { data.reset(); }

    void WritePng(const std::string& relative, const Image& image) {
        std::string bytes, error;
        ASSERT_TRUE(EncodePng(image, bytes, error)) << error;
        data->Write(relative, bytes);
    }
};

using TextureLoading = TextureFixture;

Image MakeImage(int w, int h, std::vector<uint8_t> rgba) {
    Image image;
    image.Width = w;
    image.Height = h;
    image.Rgba = std::move(rgba);
    return image;
}

}  // namespace

TEST_F(TextureLoading, FullChainIsBoxFilteredAndStoredAsBgra) {
    // 4 x 2: left half (two columns) red-ish, right half blue-ish, varying alpha.
    Image image = MakeImage(4, 2,
                            {
                                200, 0, 0, 255, 100, 0, 0, 255, 0, 0, 40,  0,   0, 0, 80,  0,    //
                                100, 0, 0, 255, 0,   0, 0, 255, 0, 0, 120, 100, 0, 0, 160, 100,  //
                            });
    WritePng("Data/Textures/pair.png", image);
    TextureHandle t;
    std::string error;
    ASSERT_TRUE(
        CreateTextureFromFile(data->DataRoot(), render.Device(), "data\\TEXTURES\\Pair.PNG", t, error))
        << error;
    EXPECT_EQ(device->FindCalls("CreateTexture").at(0).Ints,
              (std::vector<int64_t>{4, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t.Slot}));
    const RecordedTexture* texture = device->Texture(t);
    ASSERT_EQ(texture->Levels.size(), 3u);  // 4x2, 2x1, 1x1
    // Level 0: B, G, R, A of the top-left texel and of the last one.
    EXPECT_EQ(texture->Levels[0][0], 0);
    EXPECT_EQ(texture->Levels[0][2], 200);
    EXPECT_EQ(texture->Levels[0][3], 255);
    EXPECT_EQ(texture->Levels[0][28], 160);
    EXPECT_EQ(texture->Levels[0][31], 100);
    // Level 1: the average of each 2 x 2 block.
    const std::vector<uint8_t> level1 = {0, 0, 100, 255, 100, 0, 0, 50};
    EXPECT_EQ(texture->Levels[1], level1);
    // Level 2: the average of level 1 (rounded).
    const std::vector<uint8_t> level2 = {50, 0, 50, 153};
    EXPECT_EQ(texture->Levels[2], level2);
}

TEST_F(TextureLoading, OddSizesKeepTheirSizeAndHalveDownToOne) {
    std::vector<uint8_t> rgba(3 * 3 * 4, 0);
    for (int i = 0; i < 9; ++i) {
        rgba[i * 4 + 1] = static_cast<uint8_t>(i * 10);  // green 0, 10, ... 80
        rgba[i * 4 + 3] = 255;
    }
    WritePng("Data/odd.png", MakeImage(3, 3, rgba));
    TextureHandle t;
    std::string error;
    ASSERT_TRUE(CreateTextureFromFile(data->DataRoot(), render.Device(), "Data/odd.png", t, error)) << error;
    const RecordedTexture* texture = device->Texture(t);
    EXPECT_EQ(texture->Width, 3u);
    ASSERT_EQ(texture->Levels.size(), 2u);
    // texels (0,0), (1,0), (0,1), (1,1): 0, 10, 30, 40
    EXPECT_EQ(texture->Levels[1][1], 20);
}

TEST_F(TextureLoading, FontVariantHasOneLevel) {
    WritePng("Data/Font/font.png", MakeImage(4, 4, std::vector<uint8_t>(64, 255)));
    TextureHandle t;
    std::string error;
    ASSERT_TRUE(
        CreateTextureFromFileOneLevel(data->DataRoot(), render.Device(), "Data\\Font\\font.png", t, error))
        << error;
    EXPECT_EQ(device->FindCalls("CreateTexture").at(0).Ints[2], 1);
    EXPECT_EQ(device->Texture(t)->Levels.size(), 1u);
    EXPECT_EQ(device->Texture(t)->Levels[0], std::vector<uint8_t>(64, 255));
}

TEST_F(TextureLoading, MissingFileGivesNoTextureAndNamesIt) {
    TextureHandle t;
    std::string error;
    EXPECT_FALSE(
        CreateTextureFromFile(data->DataRoot(), render.Device(), "Data\\Textures\\absent.png", t, error));
    EXPECT_FALSE(t);
    EXPECT_NE(error.find("absent.png"), std::string::npos) << error;
    EXPECT_EQ(device->LiveTextures(), 0u);
}

TEST_F(TextureLoading, BrokenPngGivesNoTextureAndNamesIt) {
    data->Write("Data/bad.png", std::string("\x89PNG\r\n\x1a\n-truncated", 18));
    TextureHandle t;
    std::string error;
    EXPECT_FALSE(CreateTextureFromFile(data->DataRoot(), render.Device(), "Data/bad.png", t, error));
    EXPECT_NE(error.find("Data/bad.png"), std::string::npos) << error;
    EXPECT_EQ(device->CountCalls("CreateTexture"), 0u);
}

TEST_F(TextureLoading, NoDeviceGivesNoTexture) {
    Image image = MakeImage(1, 1, {1, 2, 3, 4});
    TextureHandle t;
    std::string error;
    EXPECT_FALSE(CreateTextureFromImage(nullptr, image, true, "x.png", t, error));
    EXPECT_NE(error.find("\"x.png\": no graphics device"), std::string::npos) << error;
    Image wrong = MakeImage(2, 2, {1, 2, 3, 4});  // pixels do not match the size
    EXPECT_FALSE(CreateTextureFromImage(render.Device(), wrong, true, "wrong.png", t, error));
    EXPECT_NE(error.find("wrong.png"), std::string::npos) << error;
}

TEST(MipChain, SizesRunDownToOneByOne) {
    Image top = MakeImage(16, 4, std::vector<uint8_t>(16 * 4 * 4, 9));
    auto chain = BuildMipChain(top);
    ASSERT_EQ(chain.size(), 5u);
    const int sizes[5][2] = {{16, 4}, {8, 2}, {4, 1}, {2, 1}, {1, 1}};
    for (size_t i = 0; i < chain.size(); ++i) {
        EXPECT_EQ(chain[i].Width, sizes[i][0]);
        EXPECT_EQ(chain[i].Height, sizes[i][1]);
        EXPECT_EQ(chain[i].Rgba, std::vector<uint8_t>(size_t(sizes[i][0]) * sizes[i][1] * 4, 9));
    }
    EXPECT_TRUE(BuildMipChain(Image{}).empty());
}
