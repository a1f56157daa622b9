// How long the GUI takes per frame, measured on the recording device (the device's own work is
// counted too, so these are upper bounds of the engine side): queuing a line of text in the font,
// and a whole menu frame of twelve widgets (input pass, skin quads, text, both draws).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "gui/GE_FONT.h"
#include "gui/GE_GUI.h"
#include "input/GE_INPUT.h"
#include "platform/InputDevice.h"
#include "platform/RecordingDevice.h"
#include "render/GE_D3D9.h"

namespace {

TFontInfo PrintableTable() {
    TFontInfo info;
    info.Glyphs.push_back({' ', 0, 0, 0.02f, 0.08f});
    for (int c = 33; c < 256; ++c) {
        info.Glyphs.push_back({static_cast<uint8_t>(c), (c % 16) / 16.0f, (c / 16) / 16.0f, 0.03f, 0.08f});
    }
    return info;
}

struct Renderer {
    platform::RecordingGraphicsSystem system;
    TRenderD3D9 render{system};
    Renderer() {
        std::string error;
        render.Initialize(nullptr, false, 800, 600, 1, error);
    }
};

void BM_FontDrawTextInRect(benchmark::State& state) {
    Renderer renderer;
    TMYFont font(renderer.render);
    font.SetGlyphs(PrintableTable());
    font.HAlign = 2;
    font.VAlign = 2;
    const std::string text = "Score: 123456   Lives: 3   Level 4 of 6";
    for (auto _ : state) {
        font.DrawTextInRect(text, -1, 1, 2, 0.1f);
        if (font.VertexCount() > 40000) {
            state.PauseTiming();
            font.Flush();
            renderer.system.LastDevice()->ClearLog();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_FontDrawTextInRect);

void BM_MenuFrame(benchmark::State& state) {
    Renderer renderer;
    platform::ScriptedInputDevice device;
    auto input = std::make_unique<TInput>();
    input->Init(&device);
    std::unique_ptr<TMYFont> font;
    platform::TextureHandle skin;
    TGUI gui(renderer.render, files::TDataRoot("."), &skin, "missing.vs", "missing.ps", &font,
             &input);  // no skin
    TMyForm* form = gui.AddForm(std::make_unique<TMyForm>("Options", renderer.render.Device()));
    for (int i = 0; i < 4; ++i) {
        form->AddWidget(std::make_unique<TMyButton>("B" + std::to_string(i)))->Caption = "Button caption";
        form->AddWidget(std::make_unique<TMyRadioButton>("R" + std::to_string(i), 1))->Caption = "Radio";
        form->AddWidget(std::make_unique<TMyLabel>("L" + std::to_string(i)))->Caption = "A longer label text";
    }
    font = std::make_unique<TMYFont>(renderer.render);
    font->SetGlyphs(PrintableTable());
    for (auto _ : state) {
        input->Poll();
        gui.ProcessInput(16, {0.1f, 0.1f});
        gui.Draw();
        font->Flush();
        state.PauseTiming();
        renderer.system.LastDevice()->ClearLog();
        state.ResumeTiming();
    }
    input->Release();
}
BENCHMARK(BM_MenuFrame);

}  // namespace

BENCHMARK_MAIN();
