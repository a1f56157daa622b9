// The graphics device over OpenGL 3.3 core (libepoxy), drawing into the OpenGL context of an SdlWindow.
//
// How the Direct3D 9 conventions of GraphicsDevice.h are kept:
// - The back buffer has the back-buffer size: the window's client size in a window (it follows the
//   client size), BackBufferWidth x BackBufferHeight in full screen. While the window's own buffer has
//   that size (and 24-bit depth, and alpha only for A8R8G8B8) the device draws straight into it and
//   Present only swaps; otherwise it draws into an offscreen framebuffer (colour, 24-bit depth) that
//   Present scales onto the window before the swap.
// - Clip depth 0..1 through glClipControl; where that is missing, every vertex shader gets
//   z' = 2z - w appended to its main().
// - Shaders are GLSL 3.30 sources (a source without a #version line gets "#version 330 core").
//   Any text in the compile log (warnings too) refuses the shader; SdlWindow turns Mesa's shader cache
//   off so that a cached shader cannot hide its warnings. Registers: `uniform vec4 c[N]`, N up to 512.
//   Sampler uniforms named s0..s7 read texture stages 0..7; any other sampler reads stage 0.
// - No vertex shader bound (none set, or one that did not compile): positions pass through as
//   clip-space coordinates (the identity transforms of the fixed-function pipeline) and texture
//   coordinate 0 is passed on as the output `TexCoord0`.
// - No pixel shader bound: fragments are the texture of stage 0 sampled at the vertex stage's
//   `TexCoord0` when the vertex shader declares `out vec2 TexCoord0;`, else opaque white. So a quad
//   whose pixel shader failed still shows its texture, and anything else shows up as plain white.
// - A vertex/pixel pair that does not link draws nothing (said once in the log).
// - DrawIndexedPrimitiveUP leaves stream 0 and the index buffer unset afterwards, as Direct3D 9 does.
// - Memory: a buffer keeps no CPU copy between locks (a lock that keeps the contents reads them back)
//   and has OpenGL storage only as far as it has been written or drawn from (beyond that it reads as
//   zeros); a one-level A8R8G8B8 texture written all white (the text atlas) is stored as its alpha.
#pragma once

#include <memory>
#include <string>

#include "platform/GraphicsDevice.h"

namespace platform {

class GlGraphicsSystem final : public GraphicsSystem {
public:
    struct Options {
        // Ignore glClipControl and remap depth in the vertex stage (for testing that path).
        bool ForceDepthRemap = false;
    };

    GlGraphicsSystem() = default;
    explicit GlGraphicsSystem(const Options& options) : options_(options) {}

    // The desktop's mode (SDL's desktop display mode of display 0).
    DisplayMode GetAdapterDisplayMode() override;
    // `window` must be an SdlWindow (it carries the OpenGL context).
    std::unique_ptr<GraphicsDevice> CreateDevice(Window* window, const PresentParameters& parameters,
                                                 std::string& error) override;

private:
    Options options_;
};

}  // namespace platform
