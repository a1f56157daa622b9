// The stepper: the arrow keys and the D-pad step it while it is pointed at, focused, or while its form
// has no focus at all, never while another widget holds the focus; its caption fits between the
// margins its arrows take.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "platform/DirectInputKeys.h"

namespace {

constexpr TVector2 kOutside{0.9f, -0.9f};
constexpr TVector2 kOver{0.0f, 0.0f};

struct StepperTest : ::testing::Test {
    guitest::ScriptedInput input;
    std::unique_ptr<TMYFont> noFont;
    TMyForm form{"Form", nullptr};
    TMyStepper* stepper = nullptr;
    std::vector<int> steps;

    void SetUp() override {
        form.SetSlots(&noFont, &input.input);
        auto made = std::make_unique<TMyStepper>("Mode");
        made->X = -0.5f;
        made->Y = 0.1f;
        made->Width = 1.0f;
        made->Height = 0.2f;
        made->OnStep = [this](TMyStepper&, int by) { steps.push_back(by); };
        stepper = form.AddWidget(std::move(made));
    }
    void Frame(const TVector2& mouse, bool buttonDown = false) {
        input.Frame(buttonDown);
        stepper->HandleInput(16, mouse);
    }
    void Tap(uint8_t dik, const TVector2& mouse = kOutside) {
        input.device.SetKey(dik, true);
        Frame(mouse);
        input.device.SetKey(dik, false);
        Frame(mouse);
    }
};

}  // namespace

TEST_F(StepperTest, ArrowsStepUnlessAnotherWidgetHoldsTheFocus) {
    Tap(platform::DIK_RIGHT);  // nothing on the form has the focus
    Tap(platform::DIK_LEFT);
    form.Focus = "Volume";
    Tap(platform::DIK_RIGHT);  // another widget's arrows
    Tap(platform::DIK_RIGHT, kOver);
    Frame(kOver, true);  // a click takes the focus
    Frame(kOver, false);
    EXPECT_EQ(form.Focus, "Mode");
    Tap(platform::DIK_LEFT);
    EXPECT_EQ(steps, (std::vector<int>{1, -1, 1, -1}));

    platform::GamepadSnapshot pad{.Connected = true};
    pad.Buttons[platform::GamepadDpadLeft] = 0x80;
    input.device.SetGamepad(pad);
    Frame(kOutside);
    EXPECT_EQ(steps.size(), 4u) << "a held D-pad has not acted yet";
    input.device.SetGamepad(platform::GamepadSnapshot{.Connected = true});
    Frame(kOutside);
    EXPECT_EQ(steps.back(), -1);
}

TEST_F(StepperTest, ACaptionWiderThanTheRoomBetweenTheMarginsShrinksToItCentred) {
    guitest::RecordingRenderer renderer;
    auto font = std::make_unique<TMYFont>(renderer.render);
    TFontInfo info;
    info.Glyphs = {{'x', 0, 0, 0.1f, 0.1f}};  // each x as wide as the line is high
    font->SetGlyphs(info);
    stepper->Font = &font;
    stepper->FontSize = 0.1f;
    stepper->SideMargin = 0.2f;  // 0.6 of room
    TGUIVB vertices;
    TGUIIB indices;
    TGUISkinInfo skin;
    const auto span = [&](const std::string& caption) {
        stepper->Caption = caption;
        stepper->Draw(vertices, indices, skin);
        const std::vector<TFontVertex>& queued = font->QueuedVertices();
        const std::pair<float, float> result{queued.front().X, queued[queued.size() - 2].X};
        font->Flush();
        return result;
    };
    const auto [left, right] = span("xxxx");  // 0.4 wide: as it is
    EXPECT_FLOAT_EQ(left, -0.2f);
    EXPECT_FLOAT_EQ(right, 0.2f);
    const auto [wideLeft, wideRight] = span("xxxxxxxxxx");  // 1.0 wide: shrunk to 0.6
    EXPECT_FLOAT_EQ(wideLeft, -0.3f);
    EXPECT_FLOAT_EQ(wideRight, 0.3f);
    EXPECT_FLOAT_EQ(stepper->FontSize, 0.1f) << "the widget's own size stays";
}
