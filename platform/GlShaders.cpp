// Shaders from GLSL source, the programs linked per vertex/pixel pair, and the shadowed registers.
#include <algorithm>
#include <cstring>
#include <regex>
#include <string>

#include "platform/GlDevice.h"
#include "util/Log.h"

namespace platform {

namespace {

// Stands in for a missing vertex stage: positions are clip coordinates already.
const char* const kFallbackVertex = R"(#version 330 core
layout(location = 0) in vec4 Position;
layout(location = 2) in vec2 TexCoordIn;
out vec2 TexCoord0;
void main() {
    gl_Position = Position;
    TexCoord0 = TexCoordIn;
}
)";

// Stands in for a missing pixel stage: the texture of stage 0 ...
const char* const kFallbackPixelTextured = R"(#version 330 core
in vec2 TexCoord0;
uniform sampler2D s0;
out vec4 FragColor;
void main() { FragColor = texture(s0, TexCoord0); }
)";

// ... or, when the vertex stage gives no TexCoord0, white.
const char* const kFallbackPixelWhite = R"(#version 330 core
out vec4 FragColor;
void main() { FragColor = vec4(1.0); }
)";

// FragmentCounting::PerDrawSeen's pixel stage: the draw's number (from 1) and the triangle's, in the
// colour's 24 bits (15 for the triangle: a draw of more repeats colours, seen apart unless they meet).
const char* const kSeenPixel = R"(#version 330 core
uniform int DrawNumber;
out vec4 FragColor;
void main() {
    int id = (DrawNumber + 1) * 32768 + (gl_PrimitiveID & 32767);
    FragColor = vec4(float(id & 255), float((id >> 8) & 255), float((id >> 16) & 255), 255.0) / 255.0;
}
)";

bool HasText(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return c != ' ' && c != '\n' && c != '\r' && c != '\t'; });
}

}  // namespace

std::string GlDevice::PrepareSource(ShaderStage stage, std::string_view source) const {
    // Keep a leading #version line; without one the source is GLSL 3.30 core.
    size_t start = 0;
    while (start < source.size() && (source[start] == ' ' || source[start] == '\t' || source[start] == '\r' ||
                                     source[start] == '\n')) {
        ++start;
    }
    std::string head;
    std::string_view body = source;
    int nextLine = 1;
    if (source.substr(start, 8) == "#version") {
        size_t end = source.find('\n', start);
        end = end == std::string_view::npos ? source.size() : end + 1;
        head = std::string(source.substr(0, end));
        if (head.back() != '\n') {
            head += '\n';
        }
        nextLine = 1 + static_cast<int>(std::count(head.begin(), head.end(), '\n'));
        body = source.substr(end);
    } else {
        head = "#version 330 core\n";
    }
    if (stage != ShaderStage::Vertex || clipControl_) {
        return head + "#line " + std::to_string(nextLine) + "\n" + std::string(body);
    }
    // No clip control: depth 0..1 becomes OpenGL's -1..1 after the shader's own main().
    return head + "#define main brelvox_vertex_main\n#line " + std::to_string(nextLine) + "\n" +
           std::string(body) +
           "\n#undef main\nvoid main() {\n    brelvox_vertex_main();\n"
           "    gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;\n}\n";
}

GLuint GlDevice::CompileStage(GLenum type, const std::string& source, std::string& log) {
    GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    GLint length = static_cast<GLint>(source.size());
    glShaderSource(shader, 1, &text, &length);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    GLint logLength = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &logLength);
    log.clear();
    if (logLength > 1) {
        log.resize(static_cast<size_t>(logLength));
        glGetShaderInfoLog(shader, logLength, nullptr, log.data());
        log.resize(std::strlen(log.c_str()));
    }
    if (!HasText(log)) {
        log.clear();
    }
    if (status != GL_TRUE && log.empty()) {
        log = "the shader does not compile";
    }
    if (!log.empty()) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

ShaderHandle GlDevice::CreateShader(ShaderStage stage, std::string_view source, std::string& messages) {
    messages.clear();
    std::string prepared = PrepareSource(stage, source);
    // A source given again (the GUI's quad shaders are the game's own) shares the shader compiled the
    // first time, and so every program and driver variant made with it: each costs memory in the driver.
    const Shader* same = nullptr;
    shaders_.ForEach([&](ShaderHandle, const Shader& shader) {
        if (same == nullptr && shader.Stage == stage && shader.Source == prepared) {
            same = &shader;
        }
    });
    if (same != nullptr) {
        Shader copy = *same;
        return shaders_.Add(std::move(copy));
    }
    GLenum type = stage == ShaderStage::Vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER;
    GLuint name = CompileStage(type, prepared, messages);
    if (!name) {
        return ShaderHandle{};
    }
    static const std::regex texCoordOutput(R"(\bout\s+((highp|mediump|lowp)\s+)?vec2\s+TexCoord0\s*;)");
    bool writesTexCoord0 =
        stage == ShaderStage::Vertex && std::regex_search(source.begin(), source.end(), texCoordOutput);
    return shaders_.Add(Shader{stage, name, writesTexCoord0, std::move(prepared)});
}

void GlDevice::ReleaseShader(ShaderHandle shader) {
    const Shader* found = shaders_.Use(shader, "ReleaseShader");
    if (found == nullptr) {
        return;
    }
    GLuint name = found->Name;
    shaders_.Remove(shader);
    bool shared = false;
    shaders_.ForEach([&](ShaderHandle, const Shader& other) { shared = shared || other.Name == name; });
    if (!shared) {  // no other handle still uses it
        DropPrograms(name);
        glDeleteShader(name);
    }
}

bool GlDevice::CanBind(ShaderStage stage, ShaderHandle shader, std::string_view call) {
    const Shader* found = shaders_.Use(shader, call);
    if (found != nullptr && found->Stage != stage) {
        ReportBadHandle(call, stage == ShaderStage::Vertex ? "vertex shader" : "pixel shader", shader.Slot,
                        shader.Generation);
        return false;
    }
    return found != nullptr || !shader;
}

void GlDevice::SetVertexShader(ShaderHandle shader) {
    if (CanBind(ShaderStage::Vertex, shader, "SetVertexShader")) {
        vertexShader_ = shader;
    }
}

void GlDevice::SetPixelShader(ShaderHandle shader) {
    if (CanBind(ShaderStage::Pixel, shader, "SetPixelShader")) {
        pixelShader_ = shader;
    }
}

void GlDevice::SetVertexShaderConstantF(uint32_t startRegister, const float* data, uint32_t count) {
    if (!data || startRegister >= kVertexShaderRegisters) {
        return;
    }
    count = std::min(count, kVertexShaderRegisters - startRegister);
    std::memcpy(constants_.data() + startRegister * 4, data, count * 4 * sizeof(float));
    ++constantsVersion_;
}

GLuint GlDevice::FallbackShader(ShaderStage stage, bool textured) {
    int slot = stage == ShaderStage::Vertex ? 0 : (textured ? 1 : 2);
    if (!fallbackShaders_[slot]) {
        const char* source =
            slot == 0 ? kFallbackVertex : (slot == 1 ? kFallbackPixelTextured : kFallbackPixelWhite);
        std::string log;
        fallbackShaders_[slot] =
            CompileStage(stage == ShaderStage::Vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER,
                         PrepareSource(stage, source), log);
        if (!fallbackShaders_[slot]) {
            logging::Write("gl", "built-in shader does not compile: " + log);
        }
    }
    return fallbackShaders_[slot];
}

GlDevice::Program GlDevice::LinkProgram(GLuint vertex, GLuint pixel, std::string& log) {
    Program program;
    GLuint name = glCreateProgram();
    glAttachShader(name, vertex);
    glAttachShader(name, pixel);
    glLinkProgram(name);
    GLint status = GL_FALSE;
    glGetProgramiv(name, GL_LINK_STATUS, &status);
    GLint logLength = 0;
    glGetProgramiv(name, GL_INFO_LOG_LENGTH, &logLength);
    log.clear();
    if (logLength > 1) {
        log.resize(static_cast<size_t>(logLength));
        glGetProgramInfoLog(name, logLength, nullptr, log.data());
        log.resize(std::strlen(log.c_str()));
    }
    glDetachShader(name, vertex);
    glDetachShader(name, pixel);
    if (status != GL_TRUE) {
        glDeleteProgram(name);
        return program;
    }
    program.Name = name;
    program.DrawNumber = glGetUniformLocation(name, "DrawNumber");
    program.Constants = glGetUniformLocation(name, "c");
    if (program.Constants < 0) {
        program.Constants = glGetUniformLocation(name, "c[0]");
    }
    // How many registers the program really has (unused trailing ones are dropped by the linker).
    GLint uniforms = 0;
    glGetProgramiv(name, GL_ACTIVE_UNIFORMS, &uniforms);
    for (GLint index = 0; index < uniforms; ++index) {
        char uniformName[64] = {};
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(name, static_cast<GLuint>(index), sizeof uniformName, nullptr, &size, &type,
                           uniformName);
        if (std::strcmp(uniformName, "c") == 0 || std::strcmp(uniformName, "c[0]") == 0) {
            program.ConstantCount = std::min<GLint>(size, kVertexShaderRegisters);
        }
    }
    glUseProgram(name);
    for (int stage = 0; stage < kStages; ++stage) {
        std::string sampler = "s" + std::to_string(stage);
        GLint location = glGetUniformLocation(name, sampler.c_str());
        if (location >= 0) {
            glUniform1i(location, stage);
        }
    }
    return program;
}

GlDevice::Program* GlDevice::CurrentProgram() {
    // A bound shader released since draws with the built-in one of its stage.
    const Shader* vertex = shaders_.Find(vertexShader_);
    const Shader* pixel = shaders_.Find(pixelShader_);
    bool ownVertex = vertex != nullptr && vertex->Stage == ShaderStage::Vertex;
    bool ownPixel = pixel != nullptr && pixel->Stage == ShaderStage::Pixel;
    GLuint vertexName = ownVertex ? vertex->Name : FallbackShader(ShaderStage::Vertex, false);
    // Without a pixel shader: sample stage 0 when the vertex stage gives TexCoord0 to sample at.
    bool textured = !ownVertex || vertex->WritesTexCoord0;
    GLuint pixelName = ownPixel ? pixel->Name : FallbackShader(ShaderStage::Pixel, textured);
    if (fragmentCounting_ == FragmentCounting::PerDrawSeen) {
        if (!seenPixelShader_) {
            std::string log;
            seenPixelShader_ =
                CompileStage(GL_FRAGMENT_SHADER, PrepareSource(ShaderStage::Pixel, kSeenPixel), log);
        }
        pixelName = seenPixelShader_;
    }
    if (!vertexName || !pixelName) {
        return nullptr;
    }
    auto key = std::make_pair(vertexName, pixelName);
    auto found = programs_.find(key);
    if (found != programs_.end()) {
        return &found->second;
    }
    std::string log;
    Program program = LinkProgram(vertexName, pixelName, log);
    if (!program.Name) {
        logging::Write("gl", "shaders " + std::to_string(vertexShader_.Slot) + " and " +
                                 std::to_string(pixelShader_.Slot) +
                                 " do not link, nothing is drawn with them: " + log);
    }
    return &programs_.emplace(key, program).first->second;
}

void GlDevice::DropPrograms(GLuint name) {
    for (auto entry = programs_.begin(); entry != programs_.end();) {
        if (entry->first.first == name || entry->first.second == name) {
            if (entry->second.Name) {
                glDeleteProgram(entry->second.Name);
            }
            entry = programs_.erase(entry);
        } else {
            ++entry;
        }
    }
}

void GlDevice::UploadConstants(Program& program) {
    if (program.Constants < 0 || program.UploadedVersion == constantsVersion_) {
        return;
    }
    glUniform4fv(program.Constants, std::max(program.ConstantCount, 1), constants_.data());
    program.UploadedVersion = constantsVersion_;
}

}  // namespace platform
