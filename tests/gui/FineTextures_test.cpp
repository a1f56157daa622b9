// The finer atlases and skins of large screens: chosen by how fine the screen wants them, drawn with
// linear filtering from the same texture coordinates (nothing moves), and a missing, broken or
// wrongly sized copy logged by name and replaced by the next coarser one.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "platform/Png.h"
#include "util/Log.h"

namespace {

using guitest::FontHeader;
using guitest::GlyphEntry;

std::string PngOfSize(int width, int height) {
    platform::Image image;
    image.Width = width;
    image.Height = height;
    image.Rgba.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 200);
    std::string png, error;
    EXPECT_TRUE(platform::EncodePng(image, png, error)) << error;
    return png;
}

// The sampler's min filter when the last draw call was made.
uint32_t MinFilterAtLastDraw(const platform::RecordingDevice& device) {
    uint32_t filter = platform::D3DTEXF_POINT;
    uint32_t atDraw = 0;
    for (const platform::RecordedCall& call : device.Calls()) {
        if (call.Name == "SetSamplerState" && call.Ints.size() == 3 && call.Ints[0] == 0 &&
            call.Ints[1] == platform::D3DSAMP_MINFILTER) {
            filter = static_cast<uint32_t>(call.Ints[2]);
        } else if (call.Name.rfind("DrawIndexedPrimitive", 0) == 0) {
            atDraw = filter;
        }
    }
    return atDraw;
}

struct FineFont : ::testing::Test {
    guitest::ScratchFolder folder;
    guitest::RecordingRenderer renderer;
    TMYFont font{renderer.render};
    std::vector<std::string> logged;
    logging::Sink previousSink;

    void SetUp() override {
        previousSink = logging::SetSink(
            [this](std::string_view, std::string_view text) { logged.push_back(std::string(text)); });
        folder.Write("Data/Font/font.png", PngOfSize(64, 32));
        folder.Write("Data/Font/font_info.txt", FontHeader(2) + GlyphEntry("\"A\"", "0", "0", "0,5", "0,5") +
                                                    GlyphEntry("\"B\"", "0,5", "0", "0,5", "0,5"));
        folder.Write("Data/Shaders/Font.vs", "void main() {}\n");
        folder.Write("Data/Shaders/Font.ps", "void main() {}\n");
    }
    void TearDown() override { logging::SetSink(previousSink); }
    void Load() {
        std::string error;
        ASSERT_TRUE(font.LoadFromFile(folder.DataRoot(), "Data\\Font\\font.png", "Data\\Font\\font_info.txt",
                                      "Data\\Shaders\\Font.ps", "Data\\Shaders\\Font.vs", error))
            << error;
    }
    // Draws "AB" and returns the quads' corners; `width` gets the width of the atlas drawn from.
    std::vector<TFontVertex> DrawAB(uint32_t& width) {
        font.DrawText("AB", -0.5f, 0.5f);
        std::vector<TFontVertex> queued = font.QueuedVertices();
        font.Flush();
        const platform::RecordedTexture* texture = renderer.device->Texture(renderer.device->BoundTexture(0));
        width = texture != nullptr ? texture->Width : 0;
        return queued;
    }
};

bool SameVertices(const std::vector<TFontVertex>& a, const std::vector<TFontVertex>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].X != b[i].X || a[i].Y != b[i].Y || a[i].U != b[i].U || a[i].V != b[i].V) {
            return false;
        }
    }
    return true;
}

}  // namespace

TEST_F(FineFont, EachFinenessDrawsFromItsAtlasAtTheSamePlacesAndBackToTheDesignsPointFilter) {
    folder.Write("Data/Font/font_2x.png", PngOfSize(128, 64));
    folder.Write("Data/Font/font_4x.png", PngOfSize(256, 128));
    Load();
    uint32_t width = 0;
    const std::vector<TFontVertex> design = DrawAB(width);
    EXPECT_EQ(width, 64u);
    EXPECT_EQ(MinFilterAtLastDraw(*renderer.device), platform::D3DTEXF_POINT);
    EXPECT_EQ(renderer.device->CountCalls("SetSamplerState"), 0u) << "the design's modes draw as they did";

    for (const int fineness : {4, 2}) {
        font.ChooseFineness(fineness);
        EXPECT_EQ(font.Fineness(), fineness);
        EXPECT_TRUE(SameVertices(DrawAB(width), design));
        EXPECT_EQ(width, 64u * static_cast<uint32_t>(fineness));
        EXPECT_EQ(MinFilterAtLastDraw(*renderer.device), platform::D3DTEXF_LINEAR);
        EXPECT_EQ(renderer.device->SamplerState(0, platform::D3DSAMP_MINFILTER), platform::D3DTEXF_POINT);
    }
    font.ChooseFineness(1);
    DrawAB(width);
    EXPECT_EQ(width, 64u);
    EXPECT_TRUE(logged.empty());
}

TEST_F(FineFont, AMissingOrWrongCopyIsLoggedOnceByNameAndTheNextCoarserIsDrawn) {
    folder.Write("Data/Font/font_2x.png", PngOfSize(128, 64));  // no font_4x.png
    Load();
    font.ChooseFineness(4);
    EXPECT_EQ(font.Fineness(), 2);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("font_4x.png"), std::string::npos) << logged[0];
    font.ChooseFineness(4);
    EXPECT_EQ(logged.size(), 1u) << "a copy that failed is not read again";

    // A copy of the wrong size, then one that is not a PNG: the design's atlas, each file named.
    folder.Write("Data/Font/font_2x.png", PngOfSize(100, 64));
    Load();
    font.ChooseFineness(2);
    EXPECT_EQ(font.Fineness(), 1);
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_NE(logged[1].find("font_2x.png"), std::string::npos) << logged[1];
    EXPECT_NE(logged[1].find("100x64"), std::string::npos) << logged[1];
    folder.Write("Data/Font/font_2x.png", "not a png");
    folder.Write("Data/Font/font_4x.png", PngOfSize(255, 128));
    Load();
    font.ChooseFineness(4);
    EXPECT_EQ(font.Fineness(), 1);
    ASSERT_EQ(logged.size(), 4u);
    uint32_t width = 0;
    DrawAB(width);
    EXPECT_EQ(width, 64u);
    EXPECT_EQ(MinFilterAtLastDraw(*renderer.device), platform::D3DTEXF_POINT);
    EXPECT_EQ(renderer.device->BadHandleUses(), 0);
}

TEST(FineSkin, TheGuiDrawsItsSkinFromTheFinerCopyThereIs) {
    guitest::ScratchFolder folder;
    guitest::RecordingRenderer renderer;
    folder.Write("Data/GUI/guiskininfo.txt", guitest::FullSkin());
    folder.Write("Data/GUI/guiskintex_2x.png", PngOfSize(1024, 512));
    folder.Write("Data/Shaders/q.vs", "void main() {}\n");
    folder.Write("Data/Shaders/q.ps", "void main() {}\n");
    platform::TextureHandle design = renderer.device->CreateTexture(512, 256, 1, 0, 21, 1);
    std::unique_ptr<TMYFont> noFont;
    guitest::ScriptedInput input;
    TGUI gui(renderer.render, folder.DataRoot(), &design, "Data\\Shaders\\q.vs", "Data\\Shaders\\q.ps",
             &noFont, &input.input);
    std::string error;
    ASSERT_TRUE(gui.LoadSkin(folder.DataRoot(), "Data\\GUI\\guiskininfo.txt", 512, 256, error)) << error;
    gui.SetSkinFile(folder.DataRoot(), "Data\\GUI\\guiskintex.png", 512, 256);
    TMyForm* form = gui.AddForm(std::make_unique<TMyForm>("Menu", nullptr));
    form->AddWidget(std::make_unique<TMyButton>("Play"));

    gui.Draw();
    EXPECT_EQ(renderer.device->BoundTexture(0), design);
    gui.ChooseFineness(4);  // no 4x skin: the 2x one
    EXPECT_EQ(gui.SkinFineness(), 2);
    gui.Draw();
    const platform::RecordedTexture* fine = renderer.device->Texture(renderer.device->BoundTexture(0));
    ASSERT_NE(fine, nullptr);
    EXPECT_EQ(fine->Width, 1024u);
    EXPECT_EQ(MinFilterAtLastDraw(*renderer.device), platform::D3DTEXF_LINEAR);
    EXPECT_EQ(renderer.device->SamplerState(0, platform::D3DSAMP_MINFILTER), platform::D3DTEXF_POINT);
    EXPECT_EQ(TFineTextures::FineFile("Data\\GUI\\guiskintex.png", 2), "Data\\GUI\\guiskintex_2x.png");
}
