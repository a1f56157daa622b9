// Device state, the back buffer, clearing, presenting and reading back.
#include "platform/GlDevice.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "platform/SdlWindow.h"
#include "util/Log.h"
#include "util/ScreenLayout.h"

namespace platform {

namespace {

constexpr uint32_t D3DCLEAR_STENCIL = 4;
constexpr uint32_t D3DRS_ZFUNC_NEVER = 1;
constexpr uint32_t D3DRS_ZFUNC_ALWAYS = 8;

bool BlendFactor(uint32_t blend, GLenum& factor) {
    switch (blend) {
        case 1:
            factor = GL_ZERO;
            return true;
        case 2:
            factor = GL_ONE;
            return true;
        case 3:
            factor = GL_SRC_COLOR;
            return true;
        case 4:
            factor = GL_ONE_MINUS_SRC_COLOR;
            return true;
        case 5:
            factor = GL_SRC_ALPHA;
            return true;
        case 6:
            factor = GL_ONE_MINUS_SRC_ALPHA;
            return true;
        case 7:
            factor = GL_DST_ALPHA;
            return true;
        case 8:
            factor = GL_ONE_MINUS_DST_ALPHA;
            return true;
        case 9:
            factor = GL_DST_COLOR;
            return true;
        case 10:
            factor = GL_ONE_MINUS_DST_COLOR;
            return true;
        case 11:
            factor = GL_SRC_ALPHA_SATURATE;
            return true;
        default:
            return false;
    }
}

GLenum AddressMode(uint32_t address) {
    switch (address) {
        case 2:
            return GL_MIRRORED_REPEAT;
        case 3:
        case 5:
            return GL_CLAMP_TO_EDGE;  // clamp; mirror-once has no 3.3 equivalent
        case 4:
            return GL_CLAMP_TO_BORDER;
        default:
            return GL_REPEAT;
    }
}

}  // namespace

GlDevice::GlDevice(SdlWindow& window, bool clipControl) : window_(window), clipControl_(clipControl) {
    window_.MakeContextCurrent();
    glGenVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);
    glGenBuffers(1, &streamVertices_);
    glGenBuffers(1, &streamIndices_);
    glGenSamplers(kStages, samplers_.data());
    for (int stage = 0; stage < kStages; ++stage) {
        glBindSampler(stage, samplers_[stage]);
    }
    textureStorage_ = epoxy_gl_version() >= 42 || epoxy_has_gl_extension("GL_ARB_texture_storage");
    anisotropy_ = epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic") ||
                  epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic");
    pipelineStatistics_ = epoxy_has_gl_extension("GL_ARB_pipeline_statistics_query");
    if (anisotropy_) {
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAnisotropy_);
    }
    if (clipControl_) {
        glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // Whether the window's buffer can stand in for the back buffer (see ChooseTarget).
    GLint depthBits = 0;
    GLint alphaBits = 0;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE,
                                          &depthBits);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE,
                                          &alphaBits);
    windowHasDepth_ = depthBits >= 16;
    windowHasAlpha_ = alphaBits > 0;
}

GlDevice::~GlDevice() {
    window_.MakeContextCurrent();
    for (auto& entry : programs_) {
        glDeleteProgram(entry.second.Name);
    }
    std::set<GLuint> shaderNames;  // handles of the same source share one
    shaders_.ForEach([&](ShaderHandle, const Shader& shader) { shaderNames.insert(shader.Name); });
    for (GLuint name : shaderNames) {
        glDeleteShader(name);
    }
    for (GLuint shader : fallbackShaders_) {
        if (shader) {
            glDeleteShader(shader);
        }
    }
    if (seenPixelShader_) {
        glDeleteShader(seenPixelShader_);
    }
    auto deleteBuffer = [](auto, Buffer& buffer) { glDeleteBuffers(1, &buffer.Name); };
    vertexBuffers_.ForEach(deleteBuffer);
    indexBuffers_.ForEach(deleteBuffer);
    textures_.ForEach([](TextureHandle, Texture& texture) { glDeleteTextures(1, &texture.Name); });
    for (const QueryPair& queries : queries_) {
        glDeleteQueries(1, &queries.Shaded);
        glDeleteQueries(1, &queries.Passed);
    }
    glDeleteSamplers(kStages, samplers_.data());
    glDeleteBuffers(1, &streamVertices_);
    glDeleteBuffers(1, &streamIndices_);
    glDeleteVertexArrays(1, &vertexArray_);
    if (framebuffer_) {
        glDeleteFramebuffers(1, &framebuffer_);
        glDeleteRenderbuffers(1, &colorBuffer_);
        glDeleteRenderbuffers(1, &depthBuffer_);
    }
}

void GlDevice::Configure(const PresentParameters& parameters) {
    parameters_ = parameters;
    sawMinimized_ = false;
    window_.MakeContextCurrent();
    if (window_.IsWindowed() != parameters.Windowed) {
        window_.SetWindowed(parameters.Windowed);
    }
    window_.SetSwapInterval(parameters.PresentationInterval == D3DPRESENT_INTERVAL_ONE ? 1 : 0);

    int width = static_cast<int>(parameters.BackBufferWidth);
    int height = static_cast<int>(parameters.BackBufferHeight);
    if (width <= 0 || height <= 0) {
        window_.DrawableSize(width, height);
    }
    ResizeBackBuffer(width, height);

    // Everything back to the device defaults, as a reset does.
    glEnable(GL_DEPTH_TEST);
    zEnable_ = 1;
    if (!parameters.EnableAutoDepthStencil) {
        glDisable(GL_DEPTH_TEST);
        zEnable_ = 0;
    }
    glDepthMask(GL_TRUE);
    zWrite_ = 1;
    glDepthFunc(GL_LEQUAL);
    glFrontFace(GL_CW);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_BLEND);
    blendEnable_ = false;
    srcBlend_ = D3DBLEND_ONE;
    destBlend_ = D3DBLEND_ZERO;
    glBlendFunc(GL_ONE, GL_ZERO);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);

    for (int stage = 0; stage < kStages; ++stage) {
        samplerStates_[stage] = SamplerState{};
        SetSamplerState(stage, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        SetSamplerState(stage, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        SetSamplerState(stage, D3DSAMP_ADDRESSU, 1);
        SetSamplerState(stage, D3DSAMP_ADDRESSV, 1);
        SetSamplerState(stage, D3DSAMP_MAXANISOTROPY, 1);
        SetTexture(stage, TextureHandle{});
    }
    vertexShader_ = pixelShader_ = ShaderHandle{};
    declaration_ = DeclarationHandle{};
    fvf_ = 0;
    streams_ = {};
    indices_ = IndexBufferHandle{};
    constants_.fill(0.0f);
    ++constantsVersion_;
}

void GlDevice::ResizeBackBuffer(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width != backWidth_ || height != backHeight_ || format_ != parameters_.BackBufferFormat) {
        framebufferFits_ = false;
    }
    backWidth_ = width;
    backHeight_ = height;
    format_ = parameters_.BackBufferFormat;
    ChooseTarget();
    glViewport(0, 0, width, height);
}

bool GlDevice::WindowIsBackBuffer() const {
    if (!windowHasDepth_ || windowHasAlpha_ != (format_ == D3DFMT_A8R8G8B8)) {
        return false;
    }
    int width = 0;
    int height = 0;
    window_.DrawableSize(width, height);
    return width == backWidth_ && height == backHeight_;
}

void GlDevice::ChooseTarget() {
    // The window's own buffer when it has the back buffer's size and format: no copy at Present.
    if (WindowIsBackBuffer()) {
        target_ = 0;
        glBindFramebuffer(GL_FRAMEBUFFER, target_);
        return;
    }
    if (!framebuffer_) {
        glGenFramebuffers(1, &framebuffer_);
        glGenRenderbuffers(1, &colorBuffer_);
        glGenRenderbuffers(1, &depthBuffer_);
    }
    target_ = framebuffer_;
    glBindFramebuffer(GL_FRAMEBUFFER, target_);
    if (framebufferFits_) {
        return;
    }
    glBindRenderbuffer(GL_RENDERBUFFER, colorBuffer_);
    // The desktop's X8R8G8B8 has no alpha: destination alpha then reads as one, as on Direct3D.
    bool alpha = format_ == D3DFMT_A8R8G8B8;
    glRenderbufferStorage(GL_RENDERBUFFER, alpha ? GL_RGBA8 : GL_RGB8, backWidth_, backHeight_);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, backWidth_, backHeight_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        logging::Write("gl", "the back buffer of " + std::to_string(backWidth_) + " x " +
                                 std::to_string(backHeight_) + " is incomplete");
    }
    framebufferFits_ = true;
}

void GlDevice::FollowWindowSize() {
    if (!parameters_.Windowed || parameters_.BackBufferWidth != 0 || parameters_.BackBufferHeight != 0) {
        return;
    }
    int width = 0;
    int height = 0;
    window_.DrawableSize(width, height);
    if (width > 0 && height > 0) {
        ResizeBackBuffer(width, height);
    }
}

int32_t GlDevice::TestCooperativeLevel() {
    // An OpenGL context is never lost. A full-screen device wants a reset after it was minimised, or
    // when the window's mode no longer matches the device's.
    if (!parameters_.Windowed && window_.IsMinimized()) {
        sawMinimized_ = true;
        return D3D_OK;
    }
    if (sawMinimized_ || window_.IsWindowed() != parameters_.Windowed) {
        return D3DERR_DEVICENOTRESET;
    }
    return D3D_OK;
}

int32_t GlDevice::Reset(const PresentParameters& parameters) {
    int leftOver = 0;
    auto countDefault = [&leftOver](auto, const auto& resource) {
        leftOver += resource.Pool == D3DPOOL_DEFAULT ? 1 : 0;
    };
    vertexBuffers_.ForEach(countDefault);
    indexBuffers_.ForEach(countDefault);
    textures_.ForEach(countDefault);
    if (leftOver > 0) {
        // A Direct3D 9 device would refuse the reset; these survive here, so go on but say so.
        logging::Write("gl",
                       "reset with " + std::to_string(leftOver) + " default-pool resources still alive");
    }
    Configure(parameters);
    return D3D_OK;
}

void GlDevice::Clear(uint32_t flags, uint32_t colorArgb, float z, uint32_t stencil) {
    FollowWindowSize();
    ChooseTarget();
    GLbitfield mask = 0;
    if ((flags & D3DCLEAR_TARGET) && fragmentCounting_ == FragmentCounting::PerDrawSeen) {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);  // no triangle
        mask |= GL_COLOR_BUFFER_BIT;
    } else if (flags & D3DCLEAR_TARGET) {
        glClearColor(((colorArgb >> 16) & 0xFF) / 255.0f, ((colorArgb >> 8) & 0xFF) / 255.0f,
                     (colorArgb & 0xFF) / 255.0f, ((colorArgb >> 24) & 0xFF) / 255.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        glClearDepth(std::clamp(z, 0.0f, 1.0f));
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_STENCIL) {
        glClearStencil(static_cast<GLint>(stencil));
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    // Clearing ignores the depth-write state, as on Direct3D.
    glDepthMask(GL_TRUE);
    glClear(mask);
    glDepthMask(zWrite_ ? GL_TRUE : GL_FALSE);
}

void GlDevice::BeginScene() {
    FollowWindowSize();
    ChooseTarget();
    if (fragmentCounting_ == FragmentCounting::PerFrame && !frameCounted_) {
        BeginQueries(NextQueries());
        frameCounted_ = true;
    }
}

bool GlDevice::SetFragmentCounting(FragmentCounting mode) {
    if (mode != FragmentCounting::Off && !pipelineStatistics_) {
        return false;
    }
    if (frameCounted_ || !frameDraws_.empty()) {
        FinishFrameCount();  // what was counted so far goes into the totals
    }
    fragmentCounting_ = mode;
    return true;
}

GlDevice::QueryPair& GlDevice::NextQueries() {
    if (queriesUsed_ == queries_.size()) {
        QueryPair queries;
        glGenQueries(1, &queries.Shaded);
        glGenQueries(1, &queries.Passed);
        queries_.push_back(queries);
    }
    return queries_[queriesUsed_++];
}

void GlDevice::BeginQueries(const QueryPair& queries) {
    glBeginQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB, queries.Shaded);
    glBeginQuery(GL_SAMPLES_PASSED, queries.Passed);
}

void GlDevice::EndQueries() {
    glEndQuery(GL_SAMPLES_PASSED);
    glEndQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB);
}

void GlDevice::FinishFrameCount() {
    if (frameCounted_) {
        EndQueries();
        frameCounted_ = false;
    }
    // Per frame: one pair; per draw: one pair for each entry of frameDraws_.
    const size_t used = queriesUsed_;
    uint64_t shadedTotal = 0;
    uint64_t passedTotal = 0;
    for (size_t i = 0; i < used; ++i) {
        GLuint64 shaded = 0;
        GLuint64 passed = 0;
        glGetQueryObjectui64v(queries_[i].Shaded, GL_QUERY_RESULT, &shaded);
        glGetQueryObjectui64v(queries_[i].Passed, GL_QUERY_RESULT, &passed);
        shadedTotal += shaded;
        passedTotal += passed;
        if (i < frameDraws_.size()) {
            frameDraws_[i].Shaded = shaded;
            frameDraws_[i].Passed = passed;
        }
    }
    CountFragments(shadedTotal, passedTotal);
    queriesUsed_ = 0;
    if (fragmentCounting_ == FragmentCounting::PerDraw ||
        fragmentCounting_ == FragmentCounting::PerDrawSeen) {
        lastFrameDraws_.swap(frameDraws_);
    }
    frameDraws_.clear();
}

void GlDevice::CountSeenBlocks() {
    if (backWidth_ <= 0 || backHeight_ <= 0) {
        return;
    }
    std::vector<uint8_t> pixels(size_t(backWidth_) * backHeight_ * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target_);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, backWidth_, backHeight_, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    // The rasterizer's blocks start at a corner of the picture, the bottom or the top one depending on
    // the buffer; for a height that is a multiple of 4 (600, 768, 1080 and most others) the blocks are
    // the same either way, for another (1050) the count is close, not exact.
    for (int y = 0; y < backHeight_; y += 4) {
        for (int x = 0; x < backWidth_; x += 4) {
            uint32_t seen[16];
            int count = 0;
            for (int row = y; row < std::min(y + 4, backHeight_); ++row) {
                for (int column = x; column < std::min(x + 4, backWidth_); ++column) {
                    const uint8_t* p = &pixels[(size_t(row) * backWidth_ + column) * 4];
                    const uint32_t id = p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
                    if (id != 0 && std::find(seen, seen + count, id) == seen + count) {
                        seen[count++] = id;
                    }
                }
            }
            for (int i = 0; i < count; ++i) {
                const size_t draw = (seen[i] >> 15) - 1;
                if (draw < frameDraws_.size()) {
                    frameDraws_[draw].SeenBlocks += 16;
                }
            }
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, target_);
}

void GlDevice::EndScene() {}

void GlDevice::Present() {
    if (fragmentCounting_ == FragmentCounting::PerDrawSeen) {
        CountSeenBlocks();
    }
    if (fragmentCounting_ != FragmentCounting::Off) {
        FinishFrameCount();  // before the copy to the window, which is no draw of the frame
    }
    int width = 0;
    int height = 0;
    window_.DrawableSize(width, height);
    if (width > 0 && height > 0) {
        if (target_ != 0) {
            glBindFramebuffer(GL_READ_FRAMEBUFFER, target_);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
            // The picture keeps its shape: centred, with black bars where the window has another.
            const TScreenRect fit = FitRect(backWidth_, backHeight_, width, height);
            if (fit.Width != width || fit.Height != height) {
                glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
                glClear(GL_COLOR_BUFFER_BIT);
            }
            // The window's rows count from the bottom.
            const int bottom = height - fit.Y - fit.Height;
            bool sameSize = fit.Width == backWidth_ && fit.Height == backHeight_;
            glBlitFramebuffer(0, 0, backWidth_, backHeight_, fit.X, bottom, fit.X + fit.Width,
                              bottom + fit.Height, GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
        }
        window_.SwapBuffers();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, target_);
}

void GlDevice::SetRenderState(uint32_t state, uint32_t value) {
    switch (state) {
        case D3DRS_ZENABLE:
            zEnable_ = value;
            if (value) {
                glEnable(GL_DEPTH_TEST);
            } else {
                glDisable(GL_DEPTH_TEST);
            }
            break;
        case D3DRS_ZWRITEENABLE:
            zWrite_ = value;
            glDepthMask(value ? GL_TRUE : GL_FALSE);
            break;
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND: {
            GLenum factor;
            if (!BlendFactor(value, factor)) {
                break;
            }
            (state == D3DRS_SRCBLEND ? srcBlend_ : destBlend_) = value;
            GLenum source = GL_ONE;
            GLenum destination = GL_ZERO;
            BlendFactor(srcBlend_, source);
            BlendFactor(destBlend_, destination);
            glBlendFunc(source, destination);
            break;
        }
        case D3DRS_CULLMODE:
            if (value == D3DCULL_NONE) {
                glDisable(GL_CULL_FACE);
            } else if (value == D3DCULL_CW) {
                glEnable(GL_CULL_FACE);
                glCullFace(GL_FRONT);  // front faces are the clockwise ones
            } else if (value == D3DCULL_CCW) {
                glEnable(GL_CULL_FACE);
                glCullFace(GL_BACK);
            }
            break;
        case D3DRS_ZFUNC:
            if (value >= D3DRS_ZFUNC_NEVER && value <= D3DRS_ZFUNC_ALWAYS) {
                static const GLenum functions[] = {GL_NEVER,   GL_LESS,     GL_EQUAL,  GL_LEQUAL,
                                                   GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
                glDepthFunc(functions[value - 1]);
            }
            break;
        case D3DRS_ALPHABLENDENABLE:
            blendEnable_ = value != 0;
            if (value) {
                glEnable(GL_BLEND);
            } else {
                glDisable(GL_BLEND);
            }
            break;
        default:
            break;  // states the engine never sets keep their defaults
    }
}

void GlDevice::SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value) {
    if (sampler >= kStages) {
        return;
    }
    SamplerState& state = samplerStates_[sampler];
    GLuint name = samplers_[sampler];
    switch (type) {
        case D3DSAMP_ADDRESSU:
            state.AddressU = value;
            glSamplerParameteri(name, GL_TEXTURE_WRAP_S, AddressMode(value));
            return;
        case D3DSAMP_ADDRESSV:
            state.AddressV = value;
            glSamplerParameteri(name, GL_TEXTURE_WRAP_T, AddressMode(value));
            return;
        case D3DSAMP_MAGFILTER:
            if (value < D3DTEXF_POINT || value > D3DTEXF_ANISOTROPIC) {
                return;
            }
            state.MagFilter = value;
            break;
        case D3DSAMP_MINFILTER:
            if (value < D3DTEXF_POINT || value > D3DTEXF_ANISOTROPIC) {
                return;
            }
            state.MinFilter = value;
            break;
        case D3DSAMP_MIPFILTER:
            if (value > D3DTEXF_LINEAR) {
                return;
            }
            state.MipFilter = value;
            break;
        case D3DSAMP_MAXANISOTROPY:
            state.MaxAnisotropy = std::max<uint32_t>(value, 1);
            break;
        default:
            return;
    }
    // Anisotropic filtering is linear filtering with the anisotropy limit raised.
    bool linearMin = state.MinFilter != D3DTEXF_POINT;
    GLenum minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
    if (state.MipFilter == D3DTEXF_POINT) {
        minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    } else if (state.MipFilter == D3DTEXF_LINEAR) {
        minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    }
    glSamplerParameteri(name, GL_TEXTURE_MIN_FILTER, minFilter);
    glSamplerParameteri(name, GL_TEXTURE_MAG_FILTER,
                        state.MagFilter == D3DTEXF_POINT ? GL_NEAREST : GL_LINEAR);
    if (anisotropy_) {
        bool anisotropic = state.MinFilter == D3DTEXF_ANISOTROPIC || state.MagFilter == D3DTEXF_ANISOTROPIC;
        float limit = anisotropic ? std::min(static_cast<float>(state.MaxAnisotropy), maxAnisotropy_) : 1.0f;
        glSamplerParameterf(name, GL_TEXTURE_MAX_ANISOTROPY_EXT, limit);
    }
}

bool GlDevice::ReadBackBuffer(Image& image) {
    image.Width = backWidth_;
    image.Height = backHeight_;
    image.Rgba.assign(static_cast<size_t>(backWidth_) * backHeight_ * 4, 0);
    std::vector<uint8_t> bottomUp(image.Rgba.size());
    while (glGetError() != GL_NO_ERROR) {
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target_);
    glReadBuffer(target_ == 0 ? GL_BACK : GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, backWidth_, backHeight_, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    glBindFramebuffer(GL_FRAMEBUFFER, target_);
    size_t row = static_cast<size_t>(backWidth_) * 4;
    for (int y = 0; y < backHeight_; ++y) {
        std::memcpy(image.Rgba.data() + row * y, bottomUp.data() + row * (backHeight_ - 1 - y), row);
    }
    return glGetError() == GL_NO_ERROR;
}

}  // namespace platform
