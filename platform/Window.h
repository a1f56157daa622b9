// The main window and the desktop around it (SDL2 for play, a headless stand-in for tests).
// Sizes and positions are in screen pixels; the client area is what the device draws into.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class WindowEventType {
    Close,       // the close box, or the system asked the program to quit
    Deactivate,  // the window lost the keyboard focus
    Activate,    // the window got the focus back
    Minimize,
    Restore,  // shown again after a minimise
};

struct WindowEvent {
    WindowEventType Type;
};

class Window {
public:
    virtual ~Window() = default;

    // Bordered window (caption, system menu, minimise box) or borderless full screen.
    virtual void SetWindowed(bool windowed) = 0;
    virtual void SetClientSize(int width, int height) = 0;
    // From now on the player and the window manager may resize and maximise the window, down to a
    // client area of minWidth x minHeight.
    virtual void AllowResize(int /*minWidth*/, int /*minHeight*/) {}
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
    // Outer frame, borders and caption included.
    virtual int FrameLeft() const = 0;
    virtual int FrameTop() const = 0;
    virtual int FrameWidth() const = 0;
    virtual int FrameHeight() const = 0;
    virtual void SetFramePosition(int left, int top) = 0;
    virtual void Show() = 0;
    virtual void Minimize() = 0;
    virtual void Maximize() = 0;
    virtual void SetTitle(const std::string& title) = 0;

    // Appends what happened since the last call; never blocks.
    virtual void PollEvents(std::vector<WindowEvent>& events) = 0;
};

// A display mode's size in pixels.
struct ScreenSize {
    int Width = 0;
    int Height = 0;
};

// What GetCursorPos, SetCursorPos, GetSystemMetrics and MessageBox give on Windows.
class Desktop {
public:
    virtual ~Desktop() = default;
    virtual void GetCursorPosition(int& x, int& y) = 0;
    virtual void SetCursorPosition(int x, int y) = 0;
    // False where the desktop lets no program move the pointer (Wayland): the game's cursor then goes
    // where the pointer is instead of taking it along.
    virtual bool MovesPointer() { return true; }
    virtual int ScreenWidth() = 0;
    virtual int ScreenHeight() = 0;
    // The sizes the desktop's display offers for full screen, in any order, repeats allowed; none when
    // it cannot tell.
    virtual std::vector<ScreenSize> DisplayModes() { return {}; }
    // Hides the system cursor over the program's window; the game draws its own.
    virtual void HideSystemCursor() = 0;
    // Shows an error to the player (also printed to stderr). Returns when dismissed.
    virtual void ShowMessageBox(const std::string& title, const std::string& text) = 0;
};

}  // namespace platform
