#include "gui/BaseWidget.h"

#include "gui/GE_FONT.h"
#include "input/GE_INPUT.h"

bool AddSkinQuad(TGUIVB& vertices, TGUIIB& indices, const TSkinTexCoord& rect, float x, float y, float width,
                 float height) {
    if (vertices.size() + 4 > kMaxGUIQuads * 4) {
        return false;
    }
    const auto b = static_cast<uint16_t>(vertices.size());
    vertices.push_back({x, y, 0, rect.Left, rect.Top});
    vertices.push_back({x + width, y, 0, rect.Right, rect.Top});
    vertices.push_back({x + width, y - height, 0, rect.Right, rect.Bottom});
    vertices.push_back({x, y - height, 0, rect.Left, rect.Bottom});
    const uint16_t quad[6] = {b,
                              static_cast<uint16_t>(b + 1),
                              static_cast<uint16_t>(b + 2),
                              static_cast<uint16_t>(b + 2),
                              static_cast<uint16_t>(b + 3),
                              b};
    indices.insert(indices.end(), quad, quad + 6);
    return true;
}

TSkinTexCoord SkinRect(const TGUISkinInfo& skin, const std::string& name) {
    TSkinTexCoord rect;
    skin.GetTexCoord(name, rect);
    return rect;
}

void TBaseWidget::HandleInput(int32_t, const TVector2&) {}

void TBaseWidget::Draw(TGUIVB&, TGUIIB&, const TGUISkinInfo&) {}

bool TBaseWidget::IsInside(const TVector2& mousePos) const {
    return X <= mousePos.X && mousePos.X <= X + Width && Y - Height <= mousePos.Y && mousePos.Y <= Y;
}

bool TBaseWidget::ButtonDown() const {
    const TInput* input = CurrentInput();
    return input != nullptr && input->MouseButtonDown(0);
}

bool TBaseWidget::ButtonReleased() const {
    const TInput* input = CurrentInput();
    return input != nullptr && input->MouseButtonReleased(0);
}

void TBaseWidget::QueueText(const std::string& text, float x, float y, float width, float height,
                            float room) const {
    TMYFont* font = CurrentFont();
    if (font == nullptr) {
        return;
    }
    font->FontColor = FontColor;
    font->FontSize = FontSize;
    if (room > 0.0f && font->GlyphCount() > 0) {
        const float wide = font->TextWidth(text) * FontSize / font->GlyphTable()[0].Height;
        if (wide > room) {
            font->FontSize = FontSize * room / wide;
        }
    }
    font->Italic = Italic;
    font->HAlign = HAlign;
    font->VAlign = VAlign;
    font->DrawTextInRect(text, x, y, width, height);
}
