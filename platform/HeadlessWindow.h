// A window and a desktop without a screen, for tests: they remember what they were told and hand out
// the events and the pointer position the test sets. Nothing is drawn (use the recording device).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/Window.h"

namespace platform {

class HeadlessWindow final : public Window {
public:
    HeadlessWindow(int clientWidth = 640, int clientHeight = 480)
        : width_(clientWidth), height_(clientHeight) {}

    // Borders of a bordered window, as a window manager would add them.
    static constexpr int kBorder = 4;
    static constexpr int kCaption = 24;

    void SetWindowed(bool windowed) override { windowed_ = windowed; }
    void SetClientSize(int width, int height) override {
        width_ = width;
        height_ = height;
    }
    int ClientWidth() const override { return Covering() ? coverWidth_ : width_; }
    int ClientHeight() const override { return Covering() ? coverHeight_ : height_; }
    int FrameLeft() const override { return Covering() ? 0 : left_; }
    int FrameTop() const override { return Covering() ? 0 : top_; }
    int FrameWidth() const override {
        return Covering() ? coverWidth_ : width_ + (windowed_ ? 2 * kBorder : 0);
    }
    int FrameHeight() const override {
        return Covering() ? coverHeight_ : height_ + (windowed_ ? kCaption + kBorder : 0);
    }
    void SetFramePosition(int left, int top) override {
        left_ = left;
        top_ = top;
    }
    void Show() override { shown_ = true; }
    void Minimize() override {
        minimized_ = true;
        events_.push_back({WindowEventType::Minimize});
    }
    void Maximize() override {
        if (minimized_) {
            minimized_ = false;
            events_.push_back({WindowEventType::Restore});
        }
    }
    void SetTitle(const std::string& title) override { title_ = title; }
    void PollEvents(std::vector<WindowEvent>& events) override {
        events.insert(events.end(), events_.begin(), events_.end());
        events_.clear();
    }

    // For the test.
    void PushEvent(WindowEventType type) { events_.push_back({type}); }
    // In full screen the window lies at (0, 0) with a client area of width x height, whatever size was
    // asked (desktop full screen); 0 x 0: the asked size where it was put.
    void CoverInFullScreen(int width, int height) {
        coverWidth_ = width;
        coverHeight_ = height;
    }
    bool IsWindowed() const { return windowed_; }
    bool IsShown() const { return shown_; }
    bool IsMinimized() const { return minimized_; }
    const std::string& Title() const { return title_; }

private:
    bool Covering() const { return !windowed_ && coverWidth_ > 0; }

    int width_;
    int height_;
    int coverWidth_ = 0;
    int coverHeight_ = 0;
    int left_ = 0;
    int top_ = 0;
    bool windowed_ = true;
    bool shown_ = false;
    bool minimized_ = false;
    std::string title_;
    std::vector<WindowEvent> events_;
};

class HeadlessDesktop final : public Desktop {
public:
    HeadlessDesktop(int screenWidth = 1280, int screenHeight = 1024)
        : screenWidth_(screenWidth), screenHeight_(screenHeight) {}

    struct Message {
        std::string Title;
        std::string Text;
    };

    void GetCursorPosition(int& x, int& y) override {
        x = cursorX_;
        y = cursorY_;
    }
    void SetCursorPosition(int x, int y) override {
        if (movesPointer_) {
            cursorX_ = x;
            cursorY_ = y;
        }
    }
    bool MovesPointer() override { return movesPointer_; }
    int ScreenWidth() override { return screenWidth_; }
    int ScreenHeight() override { return screenHeight_; }
    std::vector<ScreenSize> DisplayModes() override { return modes_; }
    void HideSystemCursor() override { cursorHidden_ = true; }
    void ShowMessageBox(const std::string& title, const std::string& text) override {
        messages_.push_back({title, text});
    }

    // For the test.
    bool CursorHidden() const { return cursorHidden_; }
    void SetDisplayModes(std::vector<ScreenSize> modes) { modes_ = std::move(modes); }
    // A desktop where only the user moves the pointer, as Wayland's.
    void RefusePointerMoves() { movesPointer_ = false; }
    void MovePointer(int x, int y) {
        cursorX_ = x;
        cursorY_ = y;
    }
    const std::vector<Message>& Messages() const { return messages_; }

private:
    int screenWidth_;
    int screenHeight_;
    int cursorX_ = 0;
    int cursorY_ = 0;
    bool cursorHidden_ = false;
    bool movesPointer_ = true;
    std::vector<Message> messages_;
    std::vector<ScreenSize> modes_;
};

}  // namespace platform
