// The main window over SDL2, with the one OpenGL 3.3 core context of the program, made with the window.
// The window starts hidden, bordered, not resizable (until AllowResize), centred.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Window.h"

struct SDL_Window;

namespace platform {

// False with a message when there is no display to open a window on: neither DISPLAY nor
// WAYLAND_DISPLAY is set and no video driver was asked for (SDL_VIDEODRIVER), where SDL would fall back
// to an invisible one.
bool HasDisplay(std::string& error);
// Starts SDL's video (SDL_InitSubSystem) on a display that shows the window. SDL falls back to drivers
// that show nothing (offscreen, dummy) when DISPLAY or WAYLAND_DISPLAY names a server that does not
// answer; such a start is undone and tried again for two seconds (a server at the start of a session,
// or on a loaded machine, can be a moment late), then refused with a message naming the display (and
// at a later start in the same process, refused at once). A driver asked for by SDL_VIDEODRIVER is
// taken as it is.
bool StartVideo(std::string& error);

class SdlWindow final : public Window {
public:
    // nullptr with a message in `error` when SDL's video or the OpenGL 3.3 core context is unavailable.
    static std::unique_ptr<SdlWindow> Create(const std::string& title, int clientWidth, int clientHeight,
                                             std::string& error);
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    void SetWindowed(bool windowed) override;
    void SetClientSize(int width, int height) override;
    void AllowResize(int minWidth, int minHeight) override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    int FrameLeft() const override;
    int FrameTop() const override;
    int FrameWidth() const override;
    int FrameHeight() const override;
    void SetFramePosition(int left, int top) override;
    void Show() override;
    void Minimize() override;
    void Maximize() override;
    void SetTitle(const std::string& title) override;
    void PollEvents(std::vector<WindowEvent>& events) override;

    // For the OpenGL device.
    bool IsWindowed() const { return windowed_; }
    bool IsMinimized() const;
    bool HasInputFocus() const;
    void MakeContextCurrent();
    void DrawableSize(int& width, int& height) const;
    void SetSwapInterval(int interval);
    void SwapBuffers();

private:
    SdlWindow() = default;
    void Borders(int& top, int& left, int& bottom, int& right) const;

    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;  // SDL_GLContext
    bool windowed_ = true;
    bool videoInitialised_ = false;
    // Wayland tells no program where its window is and lets none place it: the compositor does. SDL's
    // pointer positions are then the window's own, so its frame is at 0, 0, whatever was asked.
    bool placedByCompositor_ = false;
};

}  // namespace platform
