#include "platform/GlGraphicsSystem.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include "platform/GlDevice.h"
#include "platform/SdlWindow.h"

namespace platform {

DisplayMode GlGraphicsSystem::GetAdapterDisplayMode() {
    DisplayMode mode;
    bool initialised = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    SDL_DisplayMode desktop;
    if (initialised && SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
        mode.Width = static_cast<uint32_t>(desktop.w);
        mode.Height = static_cast<uint32_t>(desktop.h);
        mode.RefreshRate = static_cast<uint32_t>(desktop.refresh_rate);
    }
    if (initialised) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    mode.Format = D3DFMT_X8R8G8B8;
    return mode;
}

std::unique_ptr<GraphicsDevice> GlGraphicsSystem::CreateDevice(Window* window,
                                                               const PresentParameters& parameters,
                                                               std::string& error) {
    auto* sdlWindow = dynamic_cast<SdlWindow*>(window);
    if (!sdlWindow) {
        error = "the graphics device needs an SDL window with an OpenGL context";
        return nullptr;
    }
    sdlWindow->MakeContextCurrent();
    if (epoxy_gl_version() < 33) {
        error = "OpenGL 3.3 is not available";
        return nullptr;
    }
    // The registers are one uniform array of the vertex stage (OpenGL 3.3 promises only 1024 floats;
    // desktop drivers give 4096 or more).
    GLint vertexUniforms = 0;
    glGetIntegerv(GL_MAX_VERTEX_UNIFORM_COMPONENTS, &vertexUniforms);
    if (vertexUniforms < static_cast<GLint>(4 * kVertexShaderRegisters)) {
        error = "OpenGL gives vertex shaders " + std::to_string(vertexUniforms) +
                " uniform floats, fewer than the " + std::to_string(4 * kVertexShaderRegisters) +
                " the game's shaders need";
        return nullptr;
    }
    bool clipControl = !options_.ForceDepthRemap &&
                       (epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control"));
    auto device = std::make_unique<GlDevice>(*sdlWindow, clipControl);
    device->Configure(parameters);
    return device;
}

}  // namespace platform
