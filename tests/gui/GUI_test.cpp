// The GUI core on the recording device: forms and the active form, one draw call for the skin quads
// of a frame, the font reached through its slot, and the size limits of a form's quads.
#include "gui/GUI.h"

#include <gtest/gtest.h>

#include "GuiTestSupport.h"

namespace {

struct GUITest : ::testing::Test {
    guitest::ScratchFolder folder;
    guitest::RecordingRenderer renderer;
    guitest::ScriptedInput input;
    std::unique_ptr<TMYFont> fontSlot;  // filled after the GUI exists, as at start-up
    platform::TextureHandle skinTexture;
    std::unique_ptr<TGUI> gui;

    void SetUp() override {
        folder.Write("Data/GUI/guiskininfo.txt", guitest::FullSkin());
        folder.Write("Data/Shaders/render_quad.vs", "// quad vs\n");
        folder.Write("Data/Shaders/render_quad.ps", "// quad ps\n");
        skinTexture = renderer.device->CreateTexture(512, 256, 1, 0, platform::D3DFMT_A8R8G8B8,
                                                     platform::D3DPOOL_MANAGED);
        gui = std::make_unique<TGUI>(renderer.render, folder.DataRoot(), &skinTexture,
                                     "Data\\Shaders\\render_quad.vs", "Data\\Shaders\\render_quad.ps",
                                     &fontSlot, &input.input);
        std::string error;
        ASSERT_TRUE(gui->LoadSkin(folder.DataRoot(), "Data\\GUI\\guiskininfo.txt", 512, 256, error)) << error;
        fontSlot = std::make_unique<TMYFont>(renderer.render);
        TFontInfo info;
        info.Glyphs = {{'A', 0, 0, 0.1f, 0.1f}, {'B', 0.1f, 0, 0.1f, 0.1f}};
        fontSlot->SetGlyphs(info);
    }
    void TearDown() override {
        gui.reset();
        fontSlot.reset();
    }

    TMyForm* AddForm(const std::string& name) {
        return gui->AddForm(std::make_unique<TMyForm>(name, renderer.render.Device()));
    }
    template <class W>
    W* Add(TMyForm* form, std::unique_ptr<W> widget, float x, float y) {
        widget->X = x;
        widget->Y = y;
        widget->Width = 0.4f;
        widget->Height = 0.2f;
        return form->AddWidget(std::move(widget));
    }
    void Frame(const TVector2& mouse, bool down) {
        input.Frame(down);
        gui->ProcessInput(16, mouse);
    }
    // One frame's drawing as the shell does it: the GUI, then the font.
    void DrawFrame() {
        renderer.device->ClearLog();
        gui->Draw();
        fontSlot->Flush();
    }
};

}  // namespace

TEST_F(GUITest, Forms_NoFormsMeansNoInputNoDrawNoName) {
    Frame({0, 0}, true);
    Frame({0, 0}, false);
    DrawFrame();
    EXPECT_EQ(renderer.device->DrawCallCount(), 0u);
    EXPECT_EQ(gui->GetActiveFormName(), "");
    EXPECT_EQ(gui->FindForm("MainMenu"), nullptr);
    gui->SetActiveForm("MainMenu");
    EXPECT_EQ(gui->ActiveFormPtr(), nullptr);
}

TEST_F(GUITest, Forms_FirstIsActiveUnknownNamesKeepItAndTheLastOfEqualNamesWins) {
    TMyForm* main = AddForm("MainMenu");
    TMyForm* first = AddForm("Options");
    TMyForm* second = AddForm("Options");
    EXPECT_EQ(gui->ActiveFormPtr(), main);
    gui->SetActiveForm("Nowhere");
    EXPECT_EQ(gui->ActiveFormPtr(), main);
    gui->SetActiveForm("options");
    EXPECT_EQ(gui->ActiveFormPtr(), main) << "names are case-sensitive";
    gui->SetActiveForm("Options");
    EXPECT_EQ(gui->ActiveFormPtr(), second);
    EXPECT_EQ(gui->FindForm("Options"), first) << "FindForm takes the first";
    EXPECT_EQ(gui->GetActiveFormName(), "Options");
}

TEST_F(GUITest, Forms_FindWidgetTakesTheLastOfEqualNames) {
    TMyForm* form = AddForm("Game");
    EXPECT_EQ(form->FindWidget("Scores"), nullptr);
    Add(form, std::make_unique<TMyLabel>("Scores"), 0, 0);
    TMyLabel* later = Add(form, std::make_unique<TMyLabel>("Scores"), 0, 0);
    EXPECT_EQ(form->FindWidget("Scores"), later);
    EXPECT_EQ(form->FindWidgetAs<TMyLabel>("Scores"), later);
    EXPECT_EQ(form->FindWidgetAs<TMyButton>("Scores"), nullptr);
}

TEST_F(GUITest, Input_OnlyTheActiveFormReactsAndStateSurvivesASwitch) {
    TMyForm* menu = AddForm("MainMenu");
    TMyForm* pause = AddForm("PauseMenu");
    TMyButton* menuButton = Add(menu, std::make_unique<TMyButton>("Start"), -0.2f, 0.2f);
    TMyButton* pauseButton = Add(pause, std::make_unique<TMyButton>("Continue"), -0.2f, 0.2f);
    Frame({0, 0}, true);
    EXPECT_EQ(menuButton->State, 2);
    EXPECT_EQ(pauseButton->State, 0);
    gui->SetActiveForm("PauseMenu");
    Frame({0.9f, 0.9f}, false);
    EXPECT_EQ(menuButton->State, 2) << "a hidden form keeps its widgets' state";
    gui->SetActiveForm("MainMenu");
    Frame({0.9f, 0.9f}, false);
    EXPECT_EQ(menuButton->State, 0);
}

TEST_F(GUITest, Input_ACallbackThatSwitchesFormsLetsTheOldFormFinishItsPass) {
    TMyForm* exit = AddForm("Exit");
    TMyForm* small = AddForm("MainMenu");
    TMyButton* ok = Add(exit, std::make_unique<TMyButton>("OK"), -0.2f, 0.2f);
    TMyButton* after = Add(exit, std::make_unique<TMyButton>("After1"), -0.2f, 0.2f);
    TMyButton* last = Add(exit, std::make_unique<TMyButton>("After2"), -0.2f, 0.2f);
    TMyButton* smallButton = Add(small, std::make_unique<TMyButton>("Only"), -0.2f, 0.2f);
    ok->SetOnClick([&](TMyButton&) { gui->SetActiveForm("MainMenu"); });
    int afterClicks = 0;
    last->SetOnClick([&](TMyButton&) { ++afterClicks; });
    Frame({0, 0}, true);
    Frame({0, 0}, false);
    EXPECT_EQ(gui->GetActiveFormName(), "MainMenu");
    EXPECT_EQ(after->State, 1);
    EXPECT_EQ(afterClicks, 1) << "the rest of the old form saw the same click";
    EXPECT_EQ(smallButton->State, 0) << "the new form starts next frame";
}

TEST_F(GUITest, Input_ACallbackThatAddsWidgetsDoesNotBreakThePass) {
    TMyForm* form = AddForm("Form");
    TMyButton* grow = Add(form, std::make_unique<TMyButton>("Grow"), -0.2f, 0.2f);
    grow->SetOnClick([&](TMyButton&) {
        for (int i = 0; i < 64; ++i) {
            Add(form, std::make_unique<TMyLabel>("L" + std::to_string(i)), 0, 0);
        }
    });
    Frame({0, 0}, true);
    Frame({0, 0}, false);
    EXPECT_EQ(form->WidgetCount(), 65u);
}

TEST_F(GUITest, Slots_WidgetsReachTheFontCreatedAfterTheGUIAndWidgetsAddedBeforeTheForm) {
    auto form = std::make_unique<TMyForm>("Early", nullptr);
    TMyButton* button = Add(form.get(), std::make_unique<TMyButton>("B"), -0.2f, 0.2f);
    button->Caption = "AB";
    gui->AddForm(std::move(form));
    EXPECT_EQ(button->Font, &fontSlot);
    EXPECT_EQ(button->Input, &input.input);
    Frame({0, 0}, true);
    EXPECT_EQ(button->State, 2);
    gui->Draw();
    EXPECT_EQ(fontSlot->VertexCount(), 8u);
}

TEST_F(GUITest, Draw_OneCallForAllSkinQuadsAndOneForTheText) {
    TMyForm* form = AddForm("Options");
    Add(form, std::make_unique<TMyButton>("B"), -0.9f, 0.9f);
    Add(form, std::make_unique<TMyEdit>("E"), -0.4f, 0.9f);
    Add(form, std::make_unique<TMyCheckBox>("C"), 0.1f, 0.9f);
    Add(form, std::make_unique<TMyRadioButton>("R", 1), 0.1f, 0.5f);
    Add(form, std::make_unique<TMyLabel>("L"), 0.1f, 0.0f)->Caption = "AB";
    const size_t quads = 1 + 2 + 2 + 2;
    DrawFrame();
    ASSERT_EQ(renderer.device->DrawCallCount(), 2u) << renderer.device->LogText();
    const auto draws = renderer.device->FindCalls("DrawIndexedPrimitive");
    EXPECT_EQ(draws[0].Ints, (std::vector<int64_t>{platform::D3DPT_TRIANGLELIST, 0, 0, int64_t(quads * 4), 0,
                                                   int64_t(quads * 2)}));
    EXPECT_EQ(renderer.device->BadDraws(), 0);
    EXPECT_EQ(renderer.device->LiveBuffers(), 0u) << "both frames' buffers are given back";

    // The GUI's draw: its shaders, the skin texture, a 20-byte stride, blending on, depth test off.
    const auto& calls = renderer.device->Calls();
    size_t draw = 0;
    while (calls[draw].Name != "DrawIndexedPrimitive") {
        ++draw;
    }
    bool blendOn = false, depthOff = false;
    int64_t texture = 0;
    uint32_t stride = 0;
    for (size_t i = 0; i < draw; ++i) {
        if (calls[i].Text == "SetRenderState(27, 1)")
            blendOn = true;
        if (calls[i].Text == "SetRenderState(7, 0)")
            depthOff = true;
        if (calls[i].Name == "SetTexture")
            texture = calls[i].Ints[1];
        if (calls[i].Name == "SetStreamSource")
            stride = static_cast<uint32_t>(calls[i].Ints[3]);
    }
    EXPECT_TRUE(blendOn);
    EXPECT_TRUE(depthOff);
    EXPECT_EQ(texture, skinTexture.Slot);
    EXPECT_EQ(stride, 20u);
    EXPECT_EQ(renderer.device->RenderState(platform::D3DRS_ZENABLE), 1u);
    EXPECT_EQ(renderer.device->RenderState(platform::D3DRS_ALPHABLENDENABLE), 0u);

    const auto vb = renderer.device->FindCalls("CreateVertexBuffer");
    ASSERT_EQ(vb.size(), 2u);
    EXPECT_EQ(vb[0].Ints[0], int64_t(quads * 4 * 20));
    EXPECT_EQ(vb[0].Ints[1], 520);
    EXPECT_EQ(vb[0].Ints[3], platform::D3DPOOL_DEFAULT);
}

TEST_F(GUITest, HiddenWidgetsAreNotDrawnAndIgnoreTheMouseUntilShownAgain) {
    TMyForm* form = AddForm("Controls");
    TMyButton* shown = Add(form, std::make_unique<TMyButton>("Shown"), -0.2f, 0.2f);
    TMyButton* hidden = Add(form, std::make_unique<TMyButton>("Hidden"), -0.2f, 0.2f);
    hidden->Visible = false;
    DrawFrame();
    EXPECT_EQ(renderer.device->FindCalls("DrawIndexedPrimitive").at(0).Ints[3], 4) << "one button's quad";
    Frame({0, 0}, true);
    EXPECT_EQ(shown->State, 2);
    EXPECT_EQ(hidden->State, 0);
    hidden->Visible = true;
    Frame({0, 0}, true);
    EXPECT_EQ(hidden->State, 2);
    DrawFrame();
    EXPECT_EQ(renderer.device->FindCalls("DrawIndexedPrimitive").at(0).Ints[3], 8);
}

TEST_F(GUITest, Draw_AFormOfLabelsOnlyIssuesNoGUIDrawButItsTextIsDrawn) {
    TMyForm* game = AddForm("Game");
    TMyLabel* scores = Add(game, std::make_unique<TMyLabel>("Scores"), -1, 1);
    scores->Caption = "ABBA";
    DrawFrame();
    ASSERT_EQ(renderer.device->DrawCallCount(), 1u) << renderer.device->LogText();
    const auto draws = renderer.device->FindCalls("DrawIndexedPrimitive");
    EXPECT_EQ(draws[0].Ints[3], 16) << "the font's four glyphs";
    EXPECT_EQ(renderer.device->FindCalls("CreateVertexBuffer").at(0).Ints[0], 16 * 24);
}

TEST_F(GUITest, Draw_OnlyTheActiveFormIsDrawn) {
    TMyForm* shown = AddForm("Shown");
    TMyForm* hidden = AddForm("Hidden");
    Add(shown, std::make_unique<TMyButton>("B"), 0, 0);
    for (int i = 0; i < 5; ++i) {
        Add(hidden, std::make_unique<TMyButton>("H"), 0, 0);
    }
    DrawFrame();
    EXPECT_EQ(renderer.device->FindCalls("DrawIndexedPrimitive").at(0).Ints[3], 4);
}

TEST_F(GUITest, Draw_MoreThan819QuadsNeedNoSixteenBitByteCount) {
    TMyForm* form = AddForm("Big");
    const size_t buttons = 1000;  // 80000 bytes of vertices: beyond a 16-bit byte count
    for (size_t i = 0; i < buttons; ++i) {
        Add(form, std::make_unique<TMyButton>("B"), -1, 1);
    }
    DrawFrame();
    const auto vb = renderer.device->FindCalls("CreateVertexBuffer");
    ASSERT_FALSE(vb.empty());
    EXPECT_EQ(vb[0].Ints[0], int64_t(buttons * 4 * 20));
    const auto draws = renderer.device->FindCalls("DrawIndexedPrimitive");
    ASSERT_FALSE(draws.empty());
    EXPECT_EQ(draws[0].Ints[3], int64_t(buttons * 4));
    EXPECT_EQ(draws[0].Ints[5], int64_t(buttons * 2));
    EXPECT_EQ(renderer.device->BadDraws(), 0);
}

TEST_F(GUITest, Draw_QuadsBeyondTheIndexRangeAreDroppedNotWrapped) {
    TMyForm* form = AddForm("Huge");
    for (size_t i = 0; i < kMaxGUIQuads + 10; ++i) {
        Add(form, std::make_unique<TMyButton>("B"), -1, 1);
    }
    DrawFrame();
    const auto draws = renderer.device->FindCalls("DrawIndexedPrimitive");
    ASSERT_FALSE(draws.empty());
    EXPECT_EQ(draws[0].Ints[3], int64_t(kMaxGUIQuads * 4));
    EXPECT_EQ(renderer.device->BadDraws(), 0);
}

TEST(GUISkinFile, AMissingOrBrokenSkinIsReportedAndDrawingStaysSafe) {
    guitest::ScratchFolder folder;
    guitest::RecordingRenderer renderer;
    guitest::ScriptedInput input;
    std::unique_ptr<TMYFont> noFont;
    {
        TGUI gui(renderer.render, folder.DataRoot(), nullptr, "q.vs", "q.ps", &noFont, &input.input);
        std::string error;
        EXPECT_FALSE(gui.LoadSkin(folder.DataRoot(), "Data\\GUI\\guiskininfo.txt", 512, 256, error));
        EXPECT_NE(error.find("guiskininfo.txt"), std::string::npos) << error;
        TMyForm* form = gui.AddForm(std::make_unique<TMyForm>("F", nullptr));
        form->AddWidget(std::make_unique<TMyCheckBox>("C"));
        gui.ProcessInput(16, {0, 0});
        gui.Draw();
        EXPECT_EQ(renderer.device->DrawCallCount(), 1u);
    }
    folder.Write("Data/GUI/guiskininfo.txt", "3\r\nBack_state1 0 0 1 1\r\nBack_state2 0 0 x 1\r\n");
    TGUI gui(renderer.render, folder.DataRoot(), nullptr, "q.vs", "q.ps", &noFont, &input.input);
    std::string error;
    EXPECT_FALSE(gui.LoadSkin(folder.DataRoot(), "Data\\GUI\\guiskininfo.txt", 512, 256, error));
    EXPECT_NE(error.find("line 3"), std::string::npos) << error;
    EXPECT_EQ(gui.Skin().Count(), 0);
    EXPECT_EQ(renderer.device->BadHandleUses(), 0);
}
