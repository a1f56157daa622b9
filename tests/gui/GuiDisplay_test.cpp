// The GUI and the font on the OpenGL device, read back pixel by pixel: the game's own quad and text
// shaders compile, skin rectangles land where the widgets are with the texels of their state, text
// takes its colour from the style and the atlas alpha blends over what is below. Skipped when no
// window can be opened (no X server).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "GuiTestSupport.h"
#include "platform/GlGraphicsSystem.h"
#include "platform/Png.h"
#include "platform/SdlWindow.h"
#include "render/TextureLoader.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;

std::string ReadSourceFile(const std::string& relative) {
    std::ifstream in(std::string(BRELVOX_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// An RGBA image filled per texel by `colour(x, y)`.
template <class F>
std::string Png(int width, int height, F colour) {
    platform::Image image;
    image.Width = width;
    image.Height = height;
    image.Rgba.resize(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::array<uint8_t, 4> c = colour(x, y);
            std::copy(c.begin(), c.end(), image.Rgba.begin() + (static_cast<size_t>(y) * width + x) * 4);
        }
    }
    std::string bytes, error;
    EXPECT_TRUE(platform::EncodePng(image, bytes, error)) << error;
    return bytes;
}

struct Pixel {
    int R, G, B;
};

Pixel At(const platform::Image& image, float ndcX, float ndcY) {
    const int x = static_cast<int>((ndcX + 1) / 2 * image.Width);
    const int y = static_cast<int>((1 - ndcY) / 2 * image.Height);
    const size_t at = (static_cast<size_t>(y) * image.Width + x) * 4;
    return {image.Rgba[at], image.Rgba[at + 1], image.Rgba[at + 2]};
}

void ExpectNear(const Pixel& p, int r, int g, int b, const char* what) {
    EXPECT_NEAR(p.R, r, 3) << what;
    EXPECT_NEAR(p.G, g, 3) << what;
    EXPECT_NEAR(p.B, b, 3) << what;
}

}  // namespace

TEST(GuiDisplay, SkinQuadsAndTextReachTheScreen) {
    std::string error;
    auto window = platform::SdlWindow::Create("Brelvox GUI test", kWidth, kHeight, error);
    if (!window) {
        GTEST_SKIP() << "no window: " << error;
    }
    guitest::ScratchFolder folder;
    for (const char* shader : {"Font.vs", "Font.ps", "render_quad.vs", "render_quad.ps"}) {
        folder.Write(std::string("Data/Shaders/") + shader,
                     ReadSourceFile(std::string("Data/Shaders/") + shader));
    }
    // Skin 4 x 4: the left half red (normal state), the right half green (hover state).
    folder.Write(
        "Data/GUI/skin.png", Png(4, 4, [](int x, int) {
            return x < 2 ? std::array<uint8_t, 4>{255, 0, 0, 255} : std::array<uint8_t, 4>{0, 255, 0, 255};
        }));
    folder.Write("Data/GUI/guiskininfo.txt", "2\r\nBack_state1 0 0 2 4\r\nBack_state2 2 0 4 4\r\n");
    // Atlas 8 x 8: the left half transparent, the right half opaque white.
    folder.Write("Data/Font/font.png", Png(8, 8, [](int x, int) {
                     return x < 4 ? std::array<uint8_t, 4>{255, 255, 255, 0}
                                  : std::array<uint8_t, 4>{255, 255, 255, 255};
                 }));
    folder.Write("Data/Font/font_info.txt", guitest::FontHeader(2) +
                                                guitest::GlyphEntry("\"W\"", "0,5", "0", "0,5", "1") +
                                                guitest::GlyphEntry("\"T\"", "0", "0", "0,5", "1"));

    platform::GlGraphicsSystem system;
    TRenderD3D9 render(system);
    ASSERT_TRUE(render.Initialize(window.get(), true, kWidth, kHeight, 1, error)) << error;
    guitest::ScriptedInput input;
    std::unique_ptr<TMYFont> font;
    platform::TextureHandle skinTexture;
    ASSERT_TRUE(
        CreateTextureFromFile(folder.DataRoot(), render.Device(), "Data\\GUI\\skin.png", skinTexture, error))
        << error;
    {
        TGUI gui(render, folder.DataRoot(), &skinTexture, "Data\\Shaders\\render_quad.vs",
                 "Data\\Shaders\\render_quad.ps", &font, &input.input);
        ASSERT_TRUE(gui.LoadSkin(folder.DataRoot(), "Data\\GUI\\guiskininfo.txt", 4, 4, error)) << error;
        TMyForm* form = gui.AddForm(std::make_unique<TMyForm>("Form", render.Device()));
        auto normal = std::make_unique<TMyButton>("Normal");
        normal->X = -0.8f;
        normal->Y = 0.8f;
        normal->Width = 0.6f;
        normal->Height = 0.4f;
        normal->Caption = "";
        form->AddWidget(std::move(normal));
        auto hovered = std::make_unique<TMyButton>("Hovered");
        hovered->X = 0.2f;
        hovered->Y = 0.8f;
        hovered->Width = 0.6f;
        hovered->Height = 0.4f;
        hovered->Caption = "";
        form->AddWidget(std::move(hovered));
        auto label = std::make_unique<TMyLabel>("Label");
        label->X = -0.5f;
        label->Y = -0.2f;
        label->Width = 1.0f;
        label->Height = 0.5f;
        label->Caption = "WT";
        label->FontColor = {0, 0, 255, 0};
        label->FontSize = 0.5f;
        label->HAlign = 0;
        label->VAlign = 0;
        form->AddWidget(std::move(label));

        font = std::make_unique<TMYFont>(render);
        ASSERT_TRUE(font->LoadFromFile(folder.DataRoot(), "Data\\Font\\font.png", "Data\\Font\\font_info.txt",
                                       "Data\\Shaders\\Font.ps", "Data\\Shaders\\Font.vs", error))
            << error;

        input.Frame(false);
        gui.ProcessInput(16, {0.5f, 0.6f});
        render.ClearTarget(128, 128, 128);
        render.ClearDepth();
        render.BeginScene();
        render.SetTextureFilter(0, 0, 0);
        gui.Draw();
        font->Flush();
        render.SetTextureFilter(0, 1, 0);
        render.EndScene();
        platform::Image image;
        ASSERT_TRUE(DeviceOf(render.Device())->ReadBackBuffer(image));
        render.Present();

        ExpectNear(At(image, -0.5f, 0.6f), 255, 0, 0, "normal button: the red skin half");
        ExpectNear(At(image, 0.5f, 0.6f), 0, 255, 0, "hovered button: the green skin half");
        ExpectNear(At(image, 0.0f, 0.6f), 128, 128, 128, "between the buttons: the clear colour");
        // "W" takes the opaque half of the atlas: blue text. Its quad is 0.25 wide (FontSize 0.5 with a
        // line height of 1 and a width of 0.5), from x -0.5 down to y -0.7.
        ExpectNear(At(image, -0.375f, -0.45f), 0, 0, 255, "opaque glyph texels in the style's colour");
        // "T" takes the transparent half: the background shows through.
        ExpectNear(At(image, -0.125f, -0.45f), 128, 128, 128, "transparent glyph texels");
        ExpectNear(At(image, 0.3f, -0.45f), 128, 128, 128, "right of the text");
        font.reset();
    }
    DeviceOf(render.Device())->ReleaseTexture(skinTexture);
}
