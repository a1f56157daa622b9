#include "platform/SdlWindow.h"

#include <SDL.h>

#include <cstdlib>
#include <initializer_list>

namespace platform {

std::unique_ptr<SdlWindow> SdlWindow::Create(const std::string& title, int clientWidth, int clientHeight,
                                             std::string& error) {
    std::unique_ptr<SdlWindow> window(new SdlWindow());
#ifndef NDEBUG
    // Mesa skips compiling a shader it has cached and then reports nothing, not even the warnings it
    // gave the first time; a developer's debug build compiles every shader on every run so that a
    // shader with warnings is refused every time, not only the first (the tests run so too). The
    // released game lets Mesa cache: its shaders compile without a word, and a start with the cache
    // skips most of the work of compiling them. (Set before the driver loads; an explicit setting of
    // the player's wins.)
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
#endif
    if (!StartVideo(error)) {
        return nullptr;
    }
    window->videoInitialised_ = true;
    window->placedByCompositor_ = std::string(SDL_GetCurrentVideoDriver()) == "wayland";

    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // The device draws straight into the window's buffer when it has the back buffer's size, so that
    // buffer carries the depth; it has no alpha, as the desktop's X8R8G8B8.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);

    window->window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                       clientWidth, clientHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window->window_) {
        error = std::string("cannot create the window: ") + SDL_GetError();
        return nullptr;
    }
    window->context_ = SDL_GL_CreateContext(window->window_);
    if (!window->context_) {
        error = std::string("cannot create an OpenGL 3.3 core context: ") + SDL_GetError();
        return nullptr;
    }
    return window;
}

SdlWindow::~SdlWindow() {
    if (context_) {
        SDL_GL_DeleteContext(context_);
    }
    if (window_) {
        SDL_DestroyWindow(window_);
    }
    if (videoInitialised_) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

void SdlWindow::SetWindowed(bool windowed) {
    if (windowed) {
        SDL_SetWindowFullscreen(window_, 0);
        SDL_SetWindowBordered(window_, SDL_TRUE);
    } else {
        SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    windowed_ = windowed;
}

void SdlWindow::AllowResize(int minWidth, int minHeight) {
    SDL_SetWindowMinimumSize(window_, minWidth, minHeight);
    SDL_SetWindowResizable(window_, SDL_TRUE);
}

void SdlWindow::SetClientSize(int width, int height) {
    SDL_SetWindowSize(window_, width, height);
}

int SdlWindow::ClientWidth() const {
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window_, &width, &height);
    return width;
}

int SdlWindow::ClientHeight() const {
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window_, &width, &height);
    return height;
}

void SdlWindow::Borders(int& top, int& left, int& bottom, int& right) const {
    top = left = bottom = right = 0;
    // Fails without a window manager or in full screen: no borders then.
    if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) {
        top = left = bottom = right = 0;
    }
}

int SdlWindow::FrameLeft() const {
    int x = 0;
    int y = 0;
    int top, left, bottom, right;
    if (!placedByCompositor_) {
        SDL_GetWindowPosition(window_, &x, &y);
    }
    Borders(top, left, bottom, right);
    return x - left;
}

int SdlWindow::FrameTop() const {
    int x = 0;
    int y = 0;
    int top, left, bottom, right;
    if (!placedByCompositor_) {
        SDL_GetWindowPosition(window_, &x, &y);
    }
    Borders(top, left, bottom, right);
    return y - top;
}

int SdlWindow::FrameWidth() const {
    int top, left, bottom, right;
    Borders(top, left, bottom, right);
    return ClientWidth() + left + right;
}

int SdlWindow::FrameHeight() const {
    int top, left, bottom, right;
    Borders(top, left, bottom, right);
    return ClientHeight() + top + bottom;
}

void SdlWindow::SetFramePosition(int left, int top) {
    if (placedByCompositor_) {
        return;
    }
    int borderTop, borderLeft, bottom, right;
    Borders(borderTop, borderLeft, bottom, right);
    SDL_SetWindowPosition(window_, left + borderLeft, top + borderTop);
}

void SdlWindow::Show() {
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
    // Without a window manager (a bare X server) nobody else gives the window the keyboard.
    SDL_SetWindowInputFocus(window_);
}

void SdlWindow::Minimize() {
    SDL_MinimizeWindow(window_);
}

void SdlWindow::Maximize() {
    // Back from a minimise; a full-screen window already covers the screen.
    if (windowed_) {
        SDL_MaximizeWindow(window_);
    } else {
        SDL_RestoreWindow(window_);
    }
    SDL_RaiseWindow(window_);
}

void SdlWindow::SetTitle(const std::string& title) {
    SDL_SetWindowTitle(window_, title.c_str());
}

void SdlWindow::PollEvents(std::vector<WindowEvent>& events) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            events.push_back({WindowEventType::Close});
        } else if (event.type == SDL_WINDOWEVENT && event.window.windowID == SDL_GetWindowID(window_)) {
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    events.push_back({WindowEventType::Close});
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    events.push_back({WindowEventType::Deactivate});
                    break;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    events.push_back({WindowEventType::Activate});
                    break;
                case SDL_WINDOWEVENT_MINIMIZED:
                    events.push_back({WindowEventType::Minimize});
                    break;
                case SDL_WINDOWEVENT_RESTORED:
                    events.push_back({WindowEventType::Restore});
                    break;
                default:
                    break;
            }
        }
    }
}

bool SdlWindow::IsMinimized() const {
    return (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) != 0;
}

bool SdlWindow::HasInputFocus() const {
    return SDL_GetKeyboardFocus() == window_;
}

void SdlWindow::MakeContextCurrent() {
    SDL_GL_MakeCurrent(window_, context_);
}

void SdlWindow::DrawableSize(int& width, int& height) const {
    SDL_GL_GetDrawableSize(window_, &width, &height);
}

void SdlWindow::SetSwapInterval(int interval) {
    SDL_GL_SetSwapInterval(interval);
}

void SdlWindow::SwapBuffers() {
    SDL_GL_SwapWindow(window_);
}

bool HasDisplay(std::string& error) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "SDL_VIDEODRIVER"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    error = "no display to open the window on: neither DISPLAY (X11) nor WAYLAND_DISPLAY (Wayland) is set";
    return false;
}

namespace {

// False with a message naming the display when SDL's video runs on a driver that shows nothing
// (offscreen, dummy), as SDL falls back to when DISPLAY or WAYLAND_DISPLAY names a server that does not
// answer; true for any other driver, and for one asked for by SDL_VIDEODRIVER.
bool VideoDriverShows(std::string& error) {
    const char* current = SDL_GetCurrentVideoDriver();
    const std::string driver = current != nullptr ? current : "";
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if ((driver != "offscreen" && driver != "dummy") || (asked != nullptr && driver == asked)) {
        return true;
    }
    std::string named;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            named += std::string(named.empty() ? "" : " or at ") + name + "=" + value;
        }
    }
    error = "cannot open the display: no X server or Wayland compositor answers at " +
            (named.empty() ? std::string("the display asked for") : named);
    return false;
}

}  // namespace

bool StartVideo(std::string& error) {
    static bool refused = false;  // once given up on, asked once more at each later start, not waited for
    for (int attempt = 1;; ++attempt) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            error = std::string("cannot start SDL video: ") + SDL_GetError();
            return false;
        }
        if (VideoDriverShows(error)) {
            return true;
        }
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (attempt == 5 || refused) {
            refused = true;
            return false;
        }
        SDL_Delay(500);
    }
}

}  // namespace platform
