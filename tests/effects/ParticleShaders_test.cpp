// The particle shader sources: they compile as GLSL 330 core (checked by the reference compiler when it
// is installed) and read the vertex attributes where the particle declaration puts them.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "effects/GE_PARTICLESYSTEM.h"
#include "platform/RecordingDevice.h"

namespace {

std::string ShaderPath(const std::string& name) {
    return std::string(BRELVOX_SOURCE_DIR) + "/Data/Shaders/" + name;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool RunCommand(const std::string& command, std::string& output) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return false;
    }
    char block[1024];
    size_t got;
    output.clear();
    while ((got = fread(block, 1, sizeof block, pipe)) > 0) {
        output.append(block, got);
    }
    return pclose(pipe) == 0;
}

// The locations of the vertex shader's inputs.
std::set<int> InputLocations(const std::string& source) {
    std::set<int> locations;
    const std::regex input(R"(layout\s*\(\s*location\s*=\s*(\d+)\s*\)\s*in\b)");
    for (std::sregex_iterator it(source.begin(), source.end(), input), end; it != end; ++it) {
        locations.insert(std::stoi((*it)[1]));
    }
    return locations;
}

}  // namespace

TEST(ParticleShaders, CompileWithTheReferenceCompiler) {
    std::string output;
    if (!RunCommand("glslangValidator --version", output)) {
        GTEST_SKIP() << "glslangValidator is not installed";
    }
    EXPECT_TRUE(RunCommand("glslangValidator -S vert " + ShaderPath("particle.vs"), output)) << output;
    EXPECT_TRUE(RunCommand("glslangValidator -S frag " + ShaderPath("particle.ps"), output)) << output;
}

TEST(ParticleShaders, AreGlsl330WithTheSharedConstantRegisters) {
    const std::string vs = ReadAll(ShaderPath("particle.vs"));
    const std::string ps = ReadAll(ShaderPath("particle.ps"));
    ASSERT_FALSE(vs.empty());
    ASSERT_FALSE(ps.empty());
    EXPECT_EQ(vs.rfind("#version 330 core\n", 0), 0u) << "the driver wants the directive on the first line";
    EXPECT_EQ(ps.rfind("#version 330 core\n", 0), 0u);
    EXPECT_NE(vs.find("uniform vec4 c[256];"), std::string::npos);
    EXPECT_NE(ps.find("uniform sampler2D s0;"), std::string::npos);
}

TEST(ParticleShaders, ReadEveryElementOfTheParticleDeclaration) {
    platform::RecordingGraphicsSystem system;
    TRenderD3D9 render(system);
    std::string error;
    ASSERT_TRUE(render.Initialize(nullptr, true, 640, 480, 0, error)) << error;
    TParticleSystem particles(render, platform::TextureHandle{}, nullptr, nullptr, 1);

    std::set<int> declared;
    for (const platform::VertexElement& e : particles.GetDeclaration().Elements()) {
        if (!platform::IsDeclarationEnd(e)) {
            declared.insert(platform::AttributeLocation(e.Usage, e.UsageIndex));
        }
    }
    EXPECT_EQ(declared, (std::set<int>{0, 2, 3, 7}));
    EXPECT_EQ(InputLocations(ReadAll(ShaderPath("particle.vs"))), declared);
}
