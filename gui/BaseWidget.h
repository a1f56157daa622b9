// The root of the GUI's widgets, the skin-quad arrays every widget appends to, and the hit test.
//
// Screen space: x from -1 (left edge of the client area) to 1 (right), y from 1 (top) to -1 (bottom).
// A widget's rectangle is its top-left corner (X, Y) with Width and Height; it covers x from X to
// X + Width and y from Y - Height to Y, edges included.
//
// A widget reaches the font and the input through slots: references to the variables their owner
// keeps them in. The font is created after the GUI, so a slot may be empty for a while; a widget
// with an empty font slot queues no text, one with an empty input slot sees no button and no key.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/GUISkinInfo.h"
#include "util/GE_MATH.h"

class TMYFont;
class TInput;
class TMyForm;

using TFontSlot = const std::unique_ptr<TMYFont>*;
using TInputSlot = const std::unique_ptr<TInput>*;

// Text colour as bytes R, G, B, A (the alpha is carried but text is always drawn opaque).
struct TFontColor {
    uint8_t R = 0;
    uint8_t G = 0;
    uint8_t B = 0;
    uint8_t A = 1;
};

#pragma pack(push, 1)
struct TGUIVertex {
    float X, Y, Z;
    float U, V;
};
#pragma pack(pop)
static_assert(sizeof(TGUIVertex) == 20, "TGUIVertex is a storage format of 20 bytes");

using TGUIVB = std::vector<TGUIVertex>;
using TGUIIB = std::vector<uint16_t>;

// Indices are 16-bit, so one frame's skin quads address at most 65536 vertices.
constexpr size_t kMaxGUIQuads = 65536 / 4;

// Appends one rectangle of the skin: corners top-left, top-right, bottom-right, bottom-left take
// (Left, Top), (Right, Top), (Right, Bottom), (Left, Bottom); indices b, b+1, b+2, b+2, b+3, b.
// A quad that would go beyond kMaxGUIQuads is dropped (false).
bool AddSkinQuad(TGUIVB& vertices, TGUIIB& indices, const TSkinTexCoord& rect, float x, float y, float width,
                 float height);

// The skin rectangle named `name`, or one of all zeros when the skin lacks it.
TSkinTexCoord SkinRect(const TGUISkinInfo& skin, const std::string& name);

class TBaseWidget {
public:
    explicit TBaseWidget(std::string name) : Name(std::move(name)) {}
    virtual ~TBaseWidget() = default;
    TBaseWidget(const TBaseWidget&) = delete;
    TBaseWidget& operator=(const TBaseWidget&) = delete;

    // Reacts to this frame's mouse and keys. deltaTime in milliseconds (unused by the widgets).
    virtual void HandleInput(int32_t deltaTime, const TVector2& mousePos);
    // Appends this widget's skin quads and queues its text in the font.
    virtual void Draw(TGUIVB& vertices, TGUIIB& indices, const TGUISkinInfo& skin);

    // The hit test on the widget's rectangle, edges included.
    bool IsInside(const TVector2& mousePos) const;

    TFontSlot Font = nullptr;
    TInputSlot Input = nullptr;
    TMyForm* Form = nullptr;  // set by TMyForm::AddWidget; not owned
    std::string Name;
    float X = 0;
    float Y = 0;
    float Width = 0.1f;
    float Height = 0.05f;
    TFontColor FontColor;
    float FontSize = 0.08f;
    float Italic = 0;
    uint8_t HAlign = 2;
    uint8_t VAlign = 2;
    int32_t Tag = 0;      // free for the game; the GUI never reads it
    bool Visible = true;  // a hidden widget is neither drawn nor given input

protected:
    // The font and the input behind the slots, or nullptr while a slot is empty.
    TMYFont* CurrentFont() const { return Font != nullptr ? Font->get() : nullptr; }
    TInput* CurrentInput() const { return Input != nullptr ? Input->get() : nullptr; }
    bool ButtonDown() const;
    bool ButtonReleased() const;
    // Copies this widget's text style into the font and queues `text` in the rectangle; with `room`
    // above 0, a text wider than `room` at the widget's size is drawn smaller, to fit it.
    void QueueText(const std::string& text, float x, float y, float width, float height,
                   float room = 0) const;
};
