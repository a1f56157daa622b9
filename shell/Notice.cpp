#include "shell/Notice.h"

void TNotice::Show(const std::string& text) {
    Text_ = text;
    LeftMs_ = kNoticeMs;
}

void TNotice::Tick(int32_t dt) {
    if (Text_.empty()) {
        return;
    }
    LeftMs_ -= dt;
    if (LeftMs_ <= 0) {
        Text_.clear();
    }
}

void TNotice::Queue(TMYFont* font) {
    if (Text_.empty() || font == nullptr || font->GlyphTable().empty()) {
        return;
    }
    // As large as a HUD line, smaller when the line would not fit the screen's width (2 units).
    constexpr float kSize = 0.08f;
    constexpr float kWidest = 1.9f;
    const float width = font->TextWidth(Text_) * kSize / font->GlyphTable()[0].Height;
    font->FontSize = width > kWidest ? kSize * kWidest / width : kSize;
    font->FontColor = {255, 220, 64, 255};
    font->Italic = 0;
    font->HAlign = 2;
    font->VAlign = 2;
    font->DrawTextInRect(Text_, -1.0f, -0.82f, 2.0f, 0.12f);
}
