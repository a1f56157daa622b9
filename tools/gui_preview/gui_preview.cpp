// gui_preview: draws a form with a button in each state, a check box, a radio group, an edit box and
// labels in Latin and Cyrillic, with the game's font, skin and shaders, on the OpenGL device, and
// writes the back buffer to a PNG.
//
//   gui_preview [--data DIR] [--out FILE] [--size WxH]
//
// DIR is the folder that holds "Data" (default: the current folder); FILE defaults to gui_preview.png.
// The layout is written in reference pixels of 800 x 600, as the game's menus are.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "gui/GE_FONT.h"
#include "gui/GE_GUI.h"
#include "input/GE_INPUT.h"
#include "platform/GlGraphicsSystem.h"
#include "platform/InputDevice.h"
#include "platform/Png.h"
#include "platform/SdlWindow.h"
#include "render/DeviceResource.h"
#include "render/GE_D3D9.h"
#include "render/TextureLoader.h"
#include "util/Files.h"
#include "util/GE_UTILS.h"

namespace {

constexpr int kRefWidth = 800;
constexpr int kRefHeight = 600;

TFontColor Black() {
    return {0, 0, 0, 0};
}
TFontColor White() {
    return {255, 255, 255, 255};
}

template <class Params>
Params Place(Params params, int x, int y, int width, int height) {
    params.X = PixelToNdcX(x, kRefWidth);
    params.Y = PixelToNdcY(y, kRefHeight);
    params.Width = SizeToNdcW(width, kRefWidth);
    params.Height = SizeToNdcH(height, kRefHeight);
    return params;
}

TButtonParam Caption(const std::string& text, TFontColor color, float size, uint8_t hAlign) {
    TButtonParam p;
    p.Caption = text;
    p.FontColor = color;
    p.FontSize = size;
    p.HAlign = hAlign;
    p.VAlign = 2;
    return p;
}

TCheckBoxParam Box(const std::string& text) {
    TCheckBoxParam p;
    p.Caption = text;
    p.BoxMarginY = SizeToNdcH(5, kRefHeight);
    p.BoxMarginX = SizeToNdcW(5, kRefWidth);
    p.BoxHeight = SizeToNdcH(30, kRefHeight);
    p.BoxWidth = SizeToNdcW(30, kRefWidth);
    p.FontColor = Black();
    p.FontSize = 0.1f;
    p.HAlign = 2;
    p.VAlign = 2;
    return p;
}

void BuildForm(TMyForm& form) {
    auto title = std::make_unique<TMyLabel>("Title");
    title->SetParams(Place(Caption("Options - Brelvox", White(), 0.12f, 2), 200, 20, 400, 40));
    form.AddWidget(std::move(title));
    auto cyrillic = std::make_unique<TMyLabel>("Cyrillic");
    // "Настройки", Windows-1251.
    cyrillic->SetParams(
        Place(Caption("\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8", White(), 0.12f, 2), 200, 65, 400, 40));
    form.AddWidget(std::move(cyrillic));

    const char* buttons[3] = {"Play", "Exit", "\xC2\xFB\xF5\xEE\xE4"};  // the last: "Выход"
    for (int i = 0; i < 3; ++i) {
        auto button = std::make_unique<TMyButton>(std::string("Button") + std::to_string(i));
        button->SetParams(Place(Caption(buttons[i], Black(), 0.1f, 2), 40, 130 + i * 50, 200, 40));
        button->State = static_cast<uint8_t>(i);  // normal, hover, pressed
        form.AddWidget(std::move(button));
    }

    auto check = std::make_unique<TMyCheckBox>("FullScreen");
    check->SetParams(Place(Box("Full screen"), 300, 130, 200, 40));
    check->Ticked = true;
    form.AddWidget(std::move(check));
    auto clear = std::make_unique<TMyCheckBox>("Music");
    clear->SetParams(Place(Box("Music"), 300, 180, 200, 40));
    form.AddWidget(std::move(clear));

    // "English", "Русский", "Українська".
    const char* languages[3] = {"English", "\xD0\xF3\xF1\xF1\xEA\xE8\xE9",
                                "\xD3\xEA\xF0\xE0\xBF\xED\xF1\xFC\xEA\xE0"};
    for (int i = 0; i < 3; ++i) {
        auto radio = std::make_unique<TMyRadioButton>(std::string("Language") + std::to_string(i), 1);
        radio->SetParams(Place(Box(languages[i]), 540, 130 + i * 50, 220, 40));
        radio->Ticked = i == 1;
        radio->State = static_cast<uint8_t>(i == 2 ? 1 : 0);
        form.AddWidget(std::move(radio));
    }

    auto edit = std::make_unique<TMyEdit>("Name");
    TEditParam e;
    e.Text = "Player \xC8\xE3\xF0\xEE\xEA";  // "Игрок"
    e.MarginY = SizeToNdcH(5, kRefHeight);
    e.MarginX = SizeToNdcW(5, kRefWidth);
    e.FontColor = Black();
    e.FontSize = 0.1f;
    e.HAlign = 2;
    e.VAlign = 2;
    edit->SetParams(Place(e, 300, 300, 200, 40));
    edit->State = 2;
    form.AddWidget(std::move(edit));

    auto hud = std::make_unique<TMyLabel>("Scores");
    hud->SetParams(Place(Caption("Score: 1200  0123456789", {0, 0, 255, 255}, 0.13f, 1), 300, 400, 460, 40));
    form.AddWidget(std::move(hud));
    auto italic = std::make_unique<TMyLabel>("Italic");
    TButtonParam slanted = Caption("Italic 15: The quick brown fox", White(), 0.08f, 0);
    slanted.Italic = 15;
    italic->SetParams(Place(slanted, 40, 460, 700, 40));
    form.AddWidget(std::move(italic));
    auto lines = std::make_unique<TMyLabel>("Lines");
    lines->SetParams(Place(Caption("First line\r\nSecond line", White(), 0.08f, 0), 40, 520, 700, 40));
    lines->VAlign = 0;
    form.AddWidget(std::move(lines));
}

}  // namespace

int main(int argc, char** argv) {
    static const char* const kUsage =
        "Usage: gui_preview [options]\n"
        "Draws every widget with Latin and Cyrillic text into a PNG.\n"
        "  --data DIR    the folder that holds Data (default: the current folder)\n"
        "  --out FILE    the PNG to write (default: gui_preview.png)\n"
        "  --size WxH    the window size (default: 800x600)\n"
        "  --help        show this text\n";
    std::string dataRoot = ".";
    std::string outFile = "gui_preview.png";
    int width = 800, height = 600;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (std::strcmp(argv[i], "--data") == 0 && i + 1 < argc) {
            dataRoot = argv[++i];
        } else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            outFile = argv[++i];
        } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc &&
                   std::sscanf(argv[i + 1], "%dx%d", &width, &height) == 2 && width > 0 && height > 0) {
            ++i;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    const files::TDataRoot root(dataRoot);

    std::string error;
    std::unique_ptr<platform::SdlWindow> window =
        platform::SdlWindow::Create("gui_preview", width, height, error);
    if (!window) {
        std::fprintf(stderr, "gui_preview: %s\n", error.c_str());
        return 1;
    }
    platform::GlGraphicsSystem system;
    TRenderD3D9 render(system);
    if (!render.Initialize(window.get(), true, static_cast<uint16_t>(width), static_cast<uint16_t>(height), 1,
                           error)) {
        std::fprintf(stderr, "gui_preview: %s\n", error.c_str());
        return 1;
    }
    render.SetTextureFilter(0, 1, 0);
    render.SetDepthTest(true);

    platform::ScriptedInputDevice inputDevice;
    std::unique_ptr<TInput> input = std::make_unique<TInput>();
    input->Init(&inputDevice);
    std::unique_ptr<TMYFont> font;
    platform::TextureHandle skinHandle;
    if (!CreateTextureFromFile(root, render.Device(), "Data\\GUI\\guiskintex.png", skinHandle, error)) {
        std::fprintf(stderr, "gui_preview: %s\n", error.c_str());
    }
    const TUniqueTexture skinTexture(render.Device(), skinHandle);
    int status = 0;
    {
        TGUI gui(render, root, &skinTexture.Get(), "Data\\Shaders\\render_quad.vs",
                 "Data\\Shaders\\render_quad.ps", &font, &input);
        if (!gui.LoadSkin(root, "Data\\GUI\\guiskininfo.txt", 512, 256, error)) {
            std::fprintf(stderr, "gui_preview: %s\n", error.c_str());
            status = 1;
        }
        TMyForm* form = gui.AddForm(std::make_unique<TMyForm>("Preview", render.Device()));
        BuildForm(*form);
        gui.SetActiveForm("Preview");

        font = std::make_unique<TMYFont>(render);
        if (!font->LoadFromFile(root, "Data\\Font\\font.png", "Data\\Font\\font_info.txt",
                                "Data\\Shaders\\Font.ps", "Data\\Shaders\\Font.vs", error)) {
            std::fprintf(stderr, "gui_preview: %s\n", error.c_str());
            status = 1;
        }

        render.ClearTarget(128, 128, 128);
        render.ClearDepth();
        render.BeginScene();
        render.SetDepthTest(true);
        render.SetTextureFilter(0, 0, 0);
        gui.Draw();
        font->Flush();
        render.SetTextureFilter(0, 1, 0);
        render.EndScene();

        platform::Image image;
        platform::GraphicsDevice* device = DeviceOf(render.Device());
        if (device == nullptr || !device->ReadBackBuffer(image) ||
            !platform::WritePngFile(outFile, image, error)) {
            std::fprintf(stderr, "gui_preview: could not write %s: %s\n", outFile.c_str(), error.c_str());
            status = 1;
        }
        render.Present();
        font.reset();
    }
    input->Release();
    return status;
}
