// The slider: dragging with button 0 (also beyond its ends), a click on the track, the arrow keys and
// the D-pad when focused or pointed at, the range's bounds, and where the thumb is drawn.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "platform/DirectInputKeys.h"

namespace {

constexpr TVector2 kOutside{0.9f, -0.9f};

struct SliderTest : ::testing::Test {
    guitest::ScriptedInput input;
    std::unique_ptr<TMYFont> noFont;
    TMyForm form{"Form", nullptr};
    TMySlider* slider = nullptr;
    std::vector<int32_t> changes;
    int releases = 0;

    void SetUp() override {
        form.SetSlots(&noFont, &input.input);
        auto made = std::make_unique<TMySlider>("Music");
        made->X = -0.5f;
        made->Y = 0.1f;
        made->Width = 1.0f;  // the thumb travels from -0.48 to 0.48 (its centre)
        made->Height = 0.2f;
        made->ThumbWidth = 0.04f;
        made->SetRange(0, 100, 5);
        made->OnChange = [this](TMySlider& s) { changes.push_back(s.Value()); };
        made->OnRelease = [this](TMySlider&) { ++releases; };
        slider = form.AddWidget(std::move(made));
    }
    void Frame(const TVector2& mouse, bool buttonDown) {
        input.Frame(buttonDown);
        slider->HandleInput(16, mouse);
    }
    void Tap(uint8_t dik, const TVector2& mouse = kOutside) {
        input.device.SetKey(dik, true);
        Frame(mouse, false);
        input.device.SetKey(dik, false);
        Frame(mouse, false);
    }
    // The point of the track where the value is `percent` of the range.
    static TVector2 At(float percent) { return {-0.48f + 0.96f * percent / 100.0f, 0.0f}; }
};

}  // namespace

TEST_F(SliderTest, DragFollowsThePointerBeyondTheWidgetAndEndsOnRelease) {
    Frame(At(50), true);
    EXPECT_EQ(slider->Value(), 50);
    EXPECT_TRUE(slider->Dragging());
    Frame(At(25), true);
    EXPECT_EQ(slider->Value(), 25);
    Frame({0.95f, 0.8f}, true);  // far right, above the widget: still dragging
    EXPECT_EQ(slider->Value(), 100);
    Frame({-0.95f, -0.8f}, true);
    EXPECT_EQ(slider->Value(), 0);
    EXPECT_EQ(releases, 0);
    Frame({-0.95f, -0.8f}, false);
    EXPECT_FALSE(slider->Dragging());
    EXPECT_EQ(releases, 1);
    Frame(At(80), false);  // moving without the button changes nothing
    EXPECT_EQ(slider->Value(), 0);
    EXPECT_EQ(changes, (std::vector<int32_t>{50, 25, 100, 0}));
}

TEST_F(SliderTest, PressOutsideNeverDragsAndAClickSetsTheValueOnce) {
    Frame(kOutside, true);
    Frame(At(70), true);  // the press began outside
    EXPECT_FALSE(slider->Dragging());
    Frame(At(70), false);
    Frame(At(70), true);
    Frame(At(70), false);
    EXPECT_EQ(slider->Value(), 70);
    EXPECT_EQ(changes, (std::vector<int32_t>{70}));
    EXPECT_EQ(releases, 1);
}

TEST_F(SliderTest, ArrowsStepWhenFocusedOrPointedAtAndStopAtTheBounds) {
    slider->SetValue(10);
    Tap(platform::DIK_RIGHT);
    EXPECT_EQ(slider->Value(), 10) << "neither focused nor under the pointer";
    Tap(platform::DIK_LEFT, At(50));
    EXPECT_EQ(slider->Value(), 5);
    Frame(At(0), true);  // the press focuses it
    Frame(At(0), false);
    Tap(platform::DIK_LEFT);
    EXPECT_EQ(slider->Value(), 0) << "the lower bound holds";
    for (int i = 0; i < 25; ++i) {
        Tap(platform::DIK_RIGHT);
    }
    EXPECT_EQ(slider->Value(), 100) << "the upper bound holds";
    form.Focus.clear();
    Tap(platform::DIK_LEFT);
    EXPECT_EQ(slider->Value(), 100);
}

TEST_F(SliderTest, DpadStepsOnRelease) {
    slider->SetValue(50);
    platform::GamepadSnapshot pad;
    pad.Connected = true;
    pad.Buttons[platform::GamepadDpadRight] = 0x80;
    input.device.SetGamepad(pad);
    Frame(At(50), false);
    EXPECT_EQ(slider->Value(), 50) << "acts when let go";
    input.device.SetGamepad(platform::GamepadSnapshot{.Connected = true});
    Frame(At(50), false);
    EXPECT_EQ(slider->Value(), 55);
}

TEST_F(SliderTest, RangeKeepsTheValueInside) {
    slider->SetValue(250);
    EXPECT_EQ(slider->Value(), 100);
    slider->SetRange(25, 400, 25);
    slider->SetValue(10);
    EXPECT_EQ(slider->Value(), 25);
    slider->SetRange(50, 20, 1);  // a reversed range collapses onto its least value
    EXPECT_EQ(slider->Max(), 50);
    EXPECT_EQ(slider->Value(), 50);
    EXPECT_TRUE(changes.empty()) << "setting the value is not a change by the player";
}

TEST_F(SliderTest, ThumbIsDrawnAtTheValueOverTheTrack) {
    TGUISkinInfo skin;
    std::string error;
    ASSERT_TRUE(skin.LoadFromBytes(guitest::FullSkin(), "skin", 512, 256, error)) << error;
    TGUIVB vertices;
    TGUIIB indices;
    slider->SetValue(75);
    slider->Draw(vertices, indices, skin);
    ASSERT_EQ(vertices.size(), 8u);  // the track, then the thumb
    EXPECT_FLOAT_EQ(vertices[0].X, -0.5f);
    EXPECT_FLOAT_EQ(vertices[1].X, 0.5f);
    EXPECT_NEAR(vertices[4].X, -0.5f + 0.75f * 0.96f, 1e-5f);
    EXPECT_FLOAT_EQ(vertices[4].Y, 0.1f);
    EXPECT_FLOAT_EQ(vertices[6].Y, -0.1f);
}
