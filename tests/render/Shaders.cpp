#include "render/Shaders.h"

#include "RenderTestSupport.h"

using namespace platform;
using render_test::LogCapture;
using render_test::RendererFixture;
using render_test::ScratchData;

namespace {

struct ShaderFixture : RendererFixture {
    std::unique_ptr<ScratchData> data;
    void SetUp() override {
        RendererFixture::SetUp();
        data = std::make_unique<ScratchData>();
        data->Write("Data/Shaders/a.vs", "// vertex a\nvoid main() {}\n");
        data->Write("Data/Shaders/b.vs", "// vertex b\nvoid main() {}\n");
        data->Write("Data/Shaders/a.ps", "// pixel a\nvoid main() {}\n");
        data->Write("Data/Shaders/warn.ps", "// pixel WARNME\nvoid main() {}\n");
    }
    void TearDown() override { data.reset(); }
};

using ShaderLoading = ShaderFixture;
using ShaderManager = ShaderFixture;

}  // namespace

TEST_F(ShaderLoading, CompilesTheFileThroughCaseInsensitiveLookUp) {
    TVertexShader shader;
    std::string error;
    EXPECT_TRUE(shader.LoadFromFile(data->DataRoot(), render.Device(), "data\\SHaders\\A.VS", "main", error))
        << error;
    ASSERT_TRUE(shader.Handle());
    const RecordedShader* compiled = device->Shader(shader.Handle());
    ASSERT_NE(compiled, nullptr);
    EXPECT_EQ(compiled->Stage, ShaderStage::Vertex);
    EXPECT_EQ(compiled->Source, "// vertex a\nvoid main() {}\n");
    EXPECT_EQ(shader.FileName(), "data\\SHaders\\A.VS");
    EXPECT_EQ(shader.FunctionName(), "main");
}

TEST_F(ShaderLoading, WarningOnlyCompileLeavesTheShaderEmptyAndSaysWhy) {
    device->AddCompileMessage("WARNME", "0:2(1): warning: unused variable");
    TPixelShader shader;
    std::string error;
    EXPECT_FALSE(
        shader.LoadFromFile(data->DataRoot(), render.Device(), "Data\\Shaders\\warn.ps", "main", error));
    EXPECT_FALSE(shader.Handle());
    EXPECT_EQ(device->LiveShaders(), 0u);
    EXPECT_NE(error.find("Data\\Shaders\\warn.ps"), std::string::npos) << error;
    EXPECT_NE(error.find("warning: unused variable"), std::string::npos) << error;
    device->ClearLog();
    render.SetPixelShader(&shader);
    EXPECT_FALSE(device->BoundPixelShader());
}

TEST_F(ShaderLoading, MissingFileLeavesTheShaderEmptyWithAMessageNamingIt) {
    TVertexShader shader;
    std::string error;
    EXPECT_FALSE(
        shader.LoadFromFile(data->DataRoot(), render.Device(), "Data\\Shaders\\nothere.vs", "main", error));
    EXPECT_FALSE(shader.Handle());
    EXPECT_EQ(device->CountCalls("CreateShader"), 0u);
    EXPECT_NE(error.find("nothere.vs"), std::string::npos) << error;
}

TEST_F(ShaderLoading, ReloadingReleasesTheOldShader) {
    TVertexShader shader;
    std::string error;
    ASSERT_TRUE(shader.LoadFromFile(data->DataRoot(), render.Device(), "Data/Shaders/a.vs", "main", error))
        << error;
    ShaderHandle first = shader.Handle();
    ASSERT_TRUE(shader.LoadFromFile(data->DataRoot(), render.Device(), "Data/Shaders/b.vs", "main", error))
        << error;
    EXPECT_NE(shader.Handle(), first);
    EXPECT_EQ(device->Shader(first), nullptr);
    EXPECT_EQ(device->LiveShaders(), 1u);
    shader.ReleaseShader();
    EXPECT_FALSE(shader.Handle());
    EXPECT_EQ(device->LiveShaders(), 0u);
    shader.ReleaseShader();
    EXPECT_EQ(device->BadHandleUses(), 0);
}

TEST_F(ShaderLoading, DestructorReleases) {
    {
        TPixelShader shader;
        std::string error;
        ASSERT_TRUE(
            shader.LoadFromFile(data->DataRoot(), render.Device(), "Data/Shaders/a.ps", "main", error))
            << error;
        EXPECT_EQ(device->LiveShaders(), 1u);
    }
    EXPECT_EQ(device->LiveShaders(), 0u);
}

TEST_F(ShaderManager, LastAddedUnderANameWins) {
    TShaderManager manager(render.Device(), data->DataRoot());
    TVertexShader* first = manager.AddVertexShader("Particle", "Data/Shaders/a.vs", "main");
    TVertexShader* second = manager.AddVertexShader("Particle", "Data/Shaders/b.vs", "main");
    ASSERT_NE(first, second);
    EXPECT_EQ(manager.GetVertexShader("Particle"), second);
    EXPECT_EQ(manager.VertexCount(), 2);
    EXPECT_EQ(device->Shader(second->Handle())->Source, "// vertex b\nvoid main() {}\n");
}

TEST_F(ShaderManager, NamesAreCaseSensitiveAndKindsSeparate) {
    TShaderManager manager(render.Device(), data->DataRoot());
    TPixelShader* pixel = manager.AddPixelShader("Particle", "Data/Shaders/a.ps", "main");
    EXPECT_EQ(manager.GetPixelShader("Particle"), pixel);
    EXPECT_EQ(manager.GetPixelShader("particle"), nullptr);
    EXPECT_EQ(manager.GetPixelShader("Particle "), nullptr);
    EXPECT_EQ(manager.GetVertexShader("Particle"), nullptr);
    EXPECT_EQ(manager.PixelCount(), 1);
    EXPECT_EQ(manager.VertexCount(), 0);
}

TEST_F(ShaderManager, FailedShaderIsStillHeldAndFoundEmpty) {
    TShaderManager manager(render.Device(), data->DataRoot());
    LogCapture log;
    TPixelShader* missing = manager.AddPixelShader("Gone", "Data/Shaders/none.ps", "main");
    ASSERT_NE(missing, nullptr);
    EXPECT_FALSE(missing->Handle());
    EXPECT_EQ(manager.GetPixelShader("Gone"), missing);
    EXPECT_NE(log.All().find("none.ps"), std::string::npos) << log.All();  // the manager says why
}

TEST_F(ShaderManager, FreesEveryShaderItHolds) {
    {
        TShaderManager manager(render.Device(), data->DataRoot());
        manager.AddVertexShader("A", "Data/Shaders/a.vs", "main");
        manager.AddVertexShader("A", "Data/Shaders/b.vs", "main");
        manager.AddPixelShader("A", "Data/Shaders/a.ps", "main");
        EXPECT_EQ(device->LiveShaders(), 3u);
    }
    EXPECT_EQ(device->LiveShaders(), 0u);
    EXPECT_EQ(device->BadHandleUses(), 0);
}
