// The widgets' behaviour: states, clicks on release, edit-box focus and typing, check boxes, radio
// groups, labels, and the quads each widget appends for its state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "GuiTestSupport.h"

namespace {

constexpr TVector2 kOutside{0.9f, -0.9f};

struct WidgetTest : ::testing::Test {
    guitest::ScriptedInput input;
    std::unique_ptr<TMYFont> noFont;
    TMyForm form{"Form", nullptr};

    void SetUp() override { form.SetSlots(&noFont, &input.input); }

    // One frame of the active form: poll with button 0 as given, then every widget's HandleInput.
    void Frame(const TVector2& mouse, bool buttonDown) {
        input.Frame(buttonDown);
        for (size_t i = 0; i < form.WidgetCount(); ++i) {
            form.Widget(i)->HandleInput(16, mouse);
        }
    }
    // Press and release at one place.
    void Click(const TVector2& mouse) {
        Frame(mouse, true);
        Frame(mouse, false);
    }
    // Types one key (pressed in one frame, let go in the next) with the mouse outside everything.
    void Type(int keyIndex) {
        input.SetKey(keyIndex, true);
        Frame(kOutside, false);
        input.SetKey(keyIndex, false);
        Frame(kOutside, false);
    }

    template <class W>
    W* Add(std::unique_ptr<W> widget, float x, float y, float width = 0.4f, float height = 0.2f) {
        widget->X = x;
        widget->Y = y;
        widget->Width = width;
        widget->Height = height;
        return form.AddWidget(std::move(widget));
    }
};

TVector2 Centre(const TBaseWidget& w) {
    return {w.X + w.Width / 2, w.Y - w.Height / 2};
}

}  // namespace

TEST(HitTest, EdgesAndCornersAreInside) {
    TMyLabel w("w");
    w.X = -0.5f;
    w.Y = 0.5f;
    w.Width = 0.25f;
    w.Height = 0.5f;
    EXPECT_TRUE(w.IsInside({-0.5f, 0.5f}));
    EXPECT_TRUE(w.IsInside({-0.25f, 0.5f}));
    EXPECT_TRUE(w.IsInside({-0.25f, 0.0f}));
    EXPECT_TRUE(w.IsInside({-0.5f, 0.0f}));
    EXPECT_FALSE(w.IsInside({std::nextafter(-0.5f, -1.0f), 0.25f}));
    EXPECT_FALSE(w.IsInside({std::nextafter(-0.25f, 1.0f), 0.25f}));
    EXPECT_FALSE(w.IsInside({-0.4f, std::nextafter(0.5f, 1.0f)}));
    EXPECT_FALSE(w.IsInside({-0.4f, std::nextafter(0.0f, -1.0f)}));
}

TEST_F(WidgetTest, Button_HoverPressAndClickOnRelease) {
    TMyButton* button = Add(std::make_unique<TMyButton>("OK"), -0.2f, 0.2f);
    int clicks = 0;
    TMyButton* clicked = nullptr;
    button->SetOnClick([&](TMyButton& b) {
        ++clicks;
        clicked = &b;
    });
    Frame(kOutside, false);
    EXPECT_EQ(button->State, 0);
    Frame(Centre(*button), false);
    EXPECT_EQ(button->State, 1);
    Frame(Centre(*button), true);
    EXPECT_EQ(button->State, 2);
    Frame(Centre(*button), true);
    EXPECT_EQ(button->State, 2);
    EXPECT_EQ(clicks, 0) << "holding the button does not click";
    Frame(Centre(*button), false);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(clicked, button);
    EXPECT_EQ(button->State, 1);
    Frame(Centre(*button), false);
    EXPECT_EQ(clicks, 1) << "one release, one click";
}

TEST_F(WidgetTest, Button_PressOutsideReleasedInsideClicksButNotTheReverse) {
    TMyButton* button = Add(std::make_unique<TMyButton>("OK"), -0.2f, 0.2f);
    int clicks = 0;
    button->SetOnClick([&](TMyButton&) { ++clicks; });
    Frame(kOutside, true);
    Frame(Centre(*button), false);
    EXPECT_EQ(clicks, 1);
    Frame(Centre(*button), true);
    Frame(kOutside, false);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button->State, 0);
}

TEST_F(WidgetTest, Button_WithoutCallbackOrInputIsHarmless) {
    TMyButton* button = Add(std::make_unique<TMyButton>("OK"), -0.2f, 0.2f);
    Click(Centre(*button));
    EXPECT_EQ(button->State, 1);
    TMyButton loose("Loose");  // never added: no input slot
    loose.HandleInput(0, Centre(loose));
    EXPECT_EQ(loose.State, 1);
}

TEST_F(WidgetTest, Click_EveryWidgetOfTheFormSeesTheSameClick) {
    TMyButton* first = Add(std::make_unique<TMyButton>("A"), -0.2f, 0.2f);
    TMyLabel* label = Add(std::make_unique<TMyLabel>("L"), -0.2f, 0.2f);
    TMyButton* second = Add(std::make_unique<TMyButton>("B"), -0.1f, 0.1f);
    int a = 0, b = 0;
    first->SetOnClick([&](TMyButton&) { ++a; });
    second->SetOnClick([&](TMyButton&) { ++b; });
    Click({0.0f, 0.0f});
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(label->Caption, "Label");
}

TEST_F(WidgetTest, Edit_ClickGivesFocusAndTypingGoesOnlyToTheFocusedBox) {
    TMyEdit* one = Add(std::make_unique<TMyEdit>("One"), -0.8f, 0.8f);
    TMyEdit* two = Add(std::make_unique<TMyEdit>("Two"), 0.0f, 0.8f);
    one->Text.clear();
    two->Text.clear();
    Click(Centre(*two));
    EXPECT_EQ(form.Focus, "Two");
    EXPECT_EQ(two->State, 2);
    Type(KEY_A);
    Type(KEY_S);
    EXPECT_EQ(two->Text, "as");
    EXPECT_EQ(one->Text, "");
    EXPECT_EQ(two->State, 2) << "a focused box keeps its state while the mouse is away";
    EXPECT_EQ(one->State, 0);
}

TEST_F(WidgetTest, Edit_FocusMovesBetweenTwoBoxesInBothDirections) {
    TMyEdit* one = Add(std::make_unique<TMyEdit>("One"), -0.8f, 0.8f);
    TMyEdit* two = Add(std::make_unique<TMyEdit>("Two"), 0.0f, 0.8f);
    one->Text.clear();
    two->Text.clear();
    Click(Centre(*two));
    EXPECT_EQ(form.Focus, "Two");
    // The box added first takes the focus too: the later box's "click outside me" must not undo it.
    Click(Centre(*one));
    EXPECT_EQ(form.Focus, "One");
    EXPECT_TRUE(one->HasFocus());
    EXPECT_FALSE(two->HasFocus());
    Frame(kOutside, false);
    EXPECT_EQ(one->State, 2);
    EXPECT_EQ(two->State, 0);
    Type(KEY_D);
    EXPECT_EQ(one->Text, "d");
    EXPECT_EQ(two->Text, "");
    Click(Centre(*two));
    EXPECT_EQ(form.Focus, "Two");
}

TEST_F(WidgetTest, Edit_ClickOutsideBothLeavesNoneFocused) {
    TMyEdit* one = Add(std::make_unique<TMyEdit>("One"), -0.8f, 0.8f);
    TMyEdit* two = Add(std::make_unique<TMyEdit>("Two"), 0.0f, 0.8f);
    Click(Centre(*one));
    ASSERT_EQ(form.Focus, "One");
    Click(kOutside);
    EXPECT_EQ(form.Focus, "");
    EXPECT_EQ(one->State, 0);
    const std::string before = one->Text + two->Text;
    Type(KEY_A);
    EXPECT_EQ(one->Text + two->Text, before);
}

TEST_F(WidgetTest, Edit_BackspaceRemovesTheLastByteAndAnEmptyTextStaysEmpty) {
    TMyEdit* edit = Add(std::make_unique<TMyEdit>("Name"), -0.2f, 0.2f);
    Click(Centre(*edit));
    EXPECT_EQ(edit->Text, "Text");
    Type(KEY_BACKSPACE);
    EXPECT_EQ(edit->Text, "Tex");
    for (int i = 0; i < 5; ++i) {
        Type(KEY_BACKSPACE);
    }
    EXPECT_EQ(edit->Text, "");
    Type(KEY_W);
    EXPECT_EQ(edit->Text, "w");
}

TEST_F(WidgetTest, Edit_TypesTheLayoutsWindows1251Bytes) {
    TMyEdit* edit = Add(std::make_unique<TMyEdit>("Name"), -0.2f, 0.2f);
    edit->Text.clear();
    Click(Centre(*edit));
    input.input->KeyboardLayout = TInput::LayoutRussian;
    Type(KEY_W);
    ASSERT_EQ(edit->Text.size(), 1u);
    EXPECT_EQ(static_cast<uint8_t>(edit->Text[0]), TInput::CharOf(TInput::LayoutRussian, false, KEY_W));
    EXPECT_GE(static_cast<uint8_t>(edit->Text[0]), 0xC0);
}

TEST_F(WidgetTest, Edit_HoverAndPressWithoutFocus) {
    TMyEdit* edit = Add(std::make_unique<TMyEdit>("Name"), -0.2f, 0.2f);
    Frame(Centre(*edit), false);
    EXPECT_EQ(edit->State, 1);
    Frame(Centre(*edit), true);
    EXPECT_EQ(edit->State, 2);
    EXPECT_EQ(form.Focus, "");
}

TEST_F(WidgetTest, CheckBox_TwoClicksReturnToTheFirstValue) {
    TMyCheckBox* box = Add(std::make_unique<TMyCheckBox>("FullScreen"), -0.2f, 0.2f);
    Frame(Centre(*box), true);
    EXPECT_EQ(box->State, 2);
    EXPECT_FALSE(box->Ticked);
    Frame(Centre(*box), false);
    EXPECT_TRUE(box->Ticked);
    EXPECT_EQ(box->State, 1);
    Click(Centre(*box));
    EXPECT_FALSE(box->Ticked);
    Frame(kOutside, false);
    EXPECT_EQ(box->State, 0);
}

TEST_F(WidgetTest, Radio_SelectingClearsItsGroupOnlyAndStaysSelected) {
    TMyRadioButton* a = Add(std::make_unique<TMyRadioButton>("UKR", 1), -0.9f, 0.9f, 0.2f, 0.1f);
    TMyRadioButton* b = Add(std::make_unique<TMyRadioButton>("RUS", 1), -0.6f, 0.9f, 0.2f, 0.1f);
    TMyRadioButton* c = Add(std::make_unique<TMyRadioButton>("ENG", 1), -0.3f, 0.9f, 0.2f, 0.1f);
    TMyRadioButton* d = Add(std::make_unique<TMyRadioButton>("800", 2), 0.0f, 0.9f, 0.2f, 0.1f);
    TMyCheckBox* check = Add(std::make_unique<TMyCheckBox>("FullScreen"), 0.3f, 0.9f, 0.2f, 0.1f);
    a->Ticked = true;
    d->Ticked = true;
    check->Ticked = true;

    TMyForm other("Other", nullptr);
    auto foreign = std::make_unique<TMyRadioButton>("UKR", 1);
    foreign->Ticked = true;
    TMyRadioButton* otherForm = other.AddWidget(std::move(foreign));

    Click(Centre(*c));
    EXPECT_FALSE(a->Ticked);
    EXPECT_FALSE(b->Ticked);
    EXPECT_TRUE(c->Ticked);
    EXPECT_TRUE(d->Ticked) << "another group is left as it was";
    EXPECT_TRUE(check->Ticked) << "check boxes are not radio buttons";
    EXPECT_TRUE(otherForm->Ticked) << "groups belong to one form";

    Click(Centre(*c));
    EXPECT_TRUE(c->Ticked) << "clicking a selected radio button keeps it selected";
    Click(Centre(*b));
    EXPECT_TRUE(b->Ticked);
    EXPECT_FALSE(c->Ticked);
}

TEST_F(WidgetTest, Label_IgnoresTheMouse) {
    TMyLabel* label = Add(std::make_unique<TMyLabel>("Scores"), -0.2f, 0.2f);
    Click(Centre(*label));
    TGUIVB vertices;
    TGUIIB indices;
    TGUISkinInfo skin;
    label->Draw(vertices, indices, skin);
    EXPECT_TRUE(vertices.empty());
    EXPECT_EQ(form.Focus, "");
}

TEST(SetParams, CopiesEveryFieldInTheRecordsOrder) {
    TMyEdit edit("Name");
    TEditParam p;
    p.Text = "abc";
    p.X = 0.1f;
    p.Y = 0.2f;
    p.Width = 0.3f;
    p.Height = 0.4f;
    p.MarginY = 0.05f;
    p.MarginX = 0.06f;
    p.FontColor = {1, 2, 3, 4};
    p.FontSize = 0.07f;
    p.Italic = 8;
    p.HAlign = 1;
    p.VAlign = 0;
    edit.SetParams(p);
    EXPECT_EQ(edit.Text, "abc");
    EXPECT_FLOAT_EQ(edit.X, 0.1f);
    EXPECT_FLOAT_EQ(edit.Y, 0.2f);
    EXPECT_FLOAT_EQ(edit.Width, 0.3f);
    EXPECT_FLOAT_EQ(edit.Height, 0.4f);
    EXPECT_FLOAT_EQ(edit.MarginY, 0.05f);
    EXPECT_FLOAT_EQ(edit.MarginX, 0.06f);
    EXPECT_EQ(edit.FontColor.G, 2);
    EXPECT_EQ(edit.FontColor.A, 4);
    EXPECT_FLOAT_EQ(edit.FontSize, 0.07f);
    EXPECT_FLOAT_EQ(edit.Italic, 8.0f);
    EXPECT_EQ(edit.HAlign, 1);
    EXPECT_EQ(edit.VAlign, 0);

    TMyRadioButton radio("R", 3);
    TCheckBoxParam c;
    c.Caption = "cap";
    c.BoxMarginY = 0.01f;
    c.BoxMarginX = 0.02f;
    c.BoxHeight = 0.03f;
    c.BoxWidth = 0.04f;
    radio.SetParams(c);
    EXPECT_EQ(radio.Caption, "cap");
    EXPECT_FLOAT_EQ(radio.BoxMarginY, 0.01f);
    EXPECT_FLOAT_EQ(radio.BoxMarginX, 0.02f);
    EXPECT_FLOAT_EQ(radio.BoxHeight, 0.03f);
    EXPECT_FLOAT_EQ(radio.BoxWidth, 0.04f);
    EXPECT_EQ(radio.Group, 3);

    TMyLabel label("L");
    TButtonParam b;
    b.Caption = "Hello";
    b.HAlign = 0;
    label.SetParams(b);
    EXPECT_EQ(label.Caption, "Hello");
    EXPECT_EQ(label.HAlign, 0);
}

TEST(Defaults, WidgetsStartWithTheirDocumentedValues) {
    TMyButton button("B");
    EXPECT_EQ(button.Caption, "Label");
    EXPECT_FLOAT_EQ(button.Width, 0.1f);
    EXPECT_FLOAT_EQ(button.Height, 0.05f);
    EXPECT_FLOAT_EQ(button.FontSize, 0.08f);
    EXPECT_EQ(button.HAlign, 2);
    EXPECT_EQ(button.VAlign, 2);
    EXPECT_EQ(button.FontColor.A, 1);
    TMyEdit edit("E");
    EXPECT_EQ(edit.Text, "Text");
    EXPECT_FLOAT_EQ(edit.MarginX, 0.01f);
    TMyCheckBox check("C");
    EXPECT_FALSE(check.Ticked);
    EXPECT_FLOAT_EQ(check.BoxWidth, 0.04f);
    EXPECT_EQ(check.ClearState[0], "Check_state1_1");
    TMyRadioButton radio("R", 1);
    EXPECT_EQ(radio.ClearState[2], "Radio_state3_1");
    EXPECT_EQ(radio.TickedState[0], "Radio_state1_2");
}

// ---- what each widget draws ----

namespace {

struct DrawTest : ::testing::Test {
    TGUISkinInfo skin;
    TGUIVB vertices;
    TGUIIB indices;

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(skin.LoadFromBytes(guitest::FullSkin(), "skin", 512, 256, error)) << error;
    }
    // The skin rectangle of a name, from the file's own numbers.
    TSkinTexCoord Rect(const std::string& name) const {
        TSkinTexCoord rect;
        EXPECT_TRUE(skin.GetTexCoord(name, rect)) << name;
        return rect;
    }
    void ExpectQuad(size_t quad, const std::string& name, float x, float y, float w, float h) const {
        const TSkinTexCoord r = Rect(name);
        const size_t b = quad * 4;
        ASSERT_GE(vertices.size(), b + 4);
        const TGUIVertex expected[4] = {{x, y, 0, r.Left, r.Top},
                                        {x + w, y, 0, r.Right, r.Top},
                                        {x + w, y - h, 0, r.Right, r.Bottom},
                                        {x, y - h, 0, r.Left, r.Bottom}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(vertices[b + i].X, expected[i].X) << name << " corner " << i;
            EXPECT_FLOAT_EQ(vertices[b + i].Y, expected[i].Y) << name << " corner " << i;
            EXPECT_EQ(vertices[b + i].Z, 0.0f);
            EXPECT_FLOAT_EQ(vertices[b + i].U, expected[i].U) << name << " corner " << i;
            EXPECT_FLOAT_EQ(vertices[b + i].V, expected[i].V) << name << " corner " << i;
        }
        const auto base = static_cast<uint16_t>(b);
        const std::vector<uint16_t> quadIndices(indices.begin() + quad * 6, indices.begin() + quad * 6 + 6);
        EXPECT_EQ(quadIndices, (std::vector<uint16_t>{base, uint16_t(base + 1), uint16_t(base + 2),
                                                      uint16_t(base + 2), uint16_t(base + 3), base}));
    }
};

}  // namespace

TEST_F(DrawTest, Button_BackgroundByState) {
    TMyButton button("B");
    button.X = -0.5f;
    button.Y = 0.5f;
    button.Width = 0.3f;
    button.Height = 0.1f;
    for (uint8_t state = 0; state < 3; ++state) {
        vertices.clear();
        indices.clear();
        button.State = state;
        button.Draw(vertices, indices, skin);
        ASSERT_EQ(vertices.size(), 4u);
        ExpectQuad(0, "Back_state" + std::to_string(state + 1), -0.5f, 0.5f, 0.3f, 0.1f);
    }
}

TEST_F(DrawTest, Edit_BackgroundThenTheInnerField) {
    TMyEdit edit("E");
    edit.X = 0.1f;
    edit.Y = 0.2f;
    edit.Width = 0.5f;
    edit.Height = 0.2f;
    edit.MarginX = 0.02f;
    edit.MarginY = 0.03f;
    edit.State = 2;
    edit.Draw(vertices, indices, skin);
    ASSERT_EQ(vertices.size(), 8u);
    ExpectQuad(0, "Back_state3", 0.1f, 0.2f, 0.5f, 0.2f);
    ExpectQuad(1, "Edit_state3", 0.12f, 0.17f, 0.46f, 0.14f);
}

TEST_F(DrawTest, CheckAndRadio_BoxByTickedAndStateAndCaptionRightOfTheBox) {
    guitest::RecordingRenderer renderer;
    auto font = std::make_unique<TMYFont>(renderer.render);
    TFontInfo info;
    info.Glyphs = {{'x', 0, 0, 0.1f, 0.1f}};
    font->SetGlyphs(info);

    TMyCheckBox check("C");
    check.Font = &font;
    check.X = -0.5f;
    check.Y = 0.5f;
    check.Width = 0.6f;
    check.Height = 0.2f;
    check.BoxMarginX = 0.01f;
    check.BoxMarginY = 0.02f;
    check.BoxWidth = 0.1f;
    check.BoxHeight = 0.5f;  // stored, not used
    check.Caption = "x";
    check.HAlign = 0;
    check.VAlign = 0;
    check.State = 1;
    check.Ticked = true;
    check.Draw(vertices, indices, skin);
    ASSERT_EQ(vertices.size(), 8u);
    ExpectQuad(0, "Back_state2", -0.5f, 0.5f, 0.6f, 0.2f);
    ExpectQuad(1, "Check_state2_2", -0.49f, 0.48f, 0.1f, 0.16f);
    ASSERT_EQ(font->VertexCount(), 4u);
    EXPECT_FLOAT_EQ(font->QueuedVertices()[0].X, -0.5f + 0.02f + 0.1f);
    EXPECT_FLOAT_EQ(font->QueuedVertices()[0].Y, 0.5f);

    TMyRadioButton radio("R", 1);
    radio.State = 0;
    radio.Ticked = false;
    vertices.clear();
    indices.clear();
    radio.Draw(vertices, indices, skin);
    ExpectQuad(1, "Radio_state1_1", radio.X + radio.BoxMarginX, radio.Y - radio.BoxMarginY, radio.BoxWidth,
               radio.Height - 2 * radio.BoxMarginY);
}

TEST_F(DrawTest, Text_TheWidgetsStyleIsHandedToTheFont) {
    guitest::RecordingRenderer renderer;
    auto font = std::make_unique<TMYFont>(renderer.render);
    TFontInfo info;
    info.Glyphs = {{'x', 0, 0, 0.1f, 0.1f}};
    font->SetGlyphs(info);
    TMyButton button("B");
    button.Font = &font;
    button.Caption = "x";
    button.FontColor = {255, 0, 0, 255};
    button.FontSize = 0.2f;
    button.Italic = 10;
    button.HAlign = 1;
    button.VAlign = 1;
    button.Draw(vertices, indices, skin);
    EXPECT_EQ(font->FontColor.R, 255);
    EXPECT_FLOAT_EQ(font->FontSize, 0.2f);
    EXPECT_FLOAT_EQ(font->Italic, 10.0f);
    EXPECT_EQ(font->HAlign, 1);
    EXPECT_EQ(font->VAlign, 1);
    ASSERT_EQ(font->VertexCount(), 4u);
    EXPECT_EQ(font->QueuedVertices()[0].Color, 0xFFFF0000u);
    EXPECT_FLOAT_EQ(font->QueuedVertices()[2].X, button.X + button.Width);  // right-aligned
}

TEST_F(DrawTest, MissingSkinNamesDrawWithZeroTextureCoordinates) {
    TGUISkinInfo empty;
    TMyButton button("B");
    button.Draw(vertices, indices, empty);
    ASSERT_EQ(vertices.size(), 4u);
    for (const TGUIVertex& v : vertices) {
        EXPECT_EQ(v.U, 0.0f);
        EXPECT_EQ(v.V, 0.0f);
    }
}

TEST(AddSkinQuad, StopsAtTheSixteenBitIndexLimit) {
    TGUIVB vertices;
    TGUIIB indices;
    TSkinTexCoord rect;
    for (size_t i = 0; i < kMaxGUIQuads; ++i) {
        ASSERT_TRUE(AddSkinQuad(vertices, indices, rect, 0, 0, 1, 1));
    }
    EXPECT_FALSE(AddSkinQuad(vertices, indices, rect, 0, 0, 1, 1));
    EXPECT_EQ(vertices.size(), 65536u);
    EXPECT_EQ(indices.back(), 65532u);
    EXPECT_EQ(*std::max_element(indices.begin(), indices.end()), 65535u);
}
