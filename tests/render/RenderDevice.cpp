#include "render/RenderDevice.h"

#include <cstring>

#include "RenderTestSupport.h"

using namespace platform;
using render_test::RendererFixture;
using render_test::StubWindow;

namespace {

using DrawQuad = RendererFixture;
using RenderStates = RendererFixture;
using DrawRenderOperation = RendererFixture;
using Frame = RendererFixture;
using LostDevice = RendererFixture;

std::vector<TQuadVertex> QuadFrom(const RecordedCall& call) {
    std::vector<TQuadVertex> vertices(call.VertexBytes.size() / sizeof(TQuadVertex));
    std::memcpy(vertices.data(), call.VertexBytes.data(), vertices.size() * sizeof(TQuadVertex));
    return vertices;
}

std::vector<uint16_t> IndicesFrom(const RecordedCall& call) {
    std::vector<uint16_t> indices(call.IndexBytes.size() / 2);
    std::memcpy(indices.data(), call.IndexBytes.data(), indices.size() * 2);
    return indices;
}

// Twice the signed area of a triangle with y up: negative when its corners run clockwise on screen.
float SignedArea(const TQuadVertex& a, const TQuadVertex& b, const TQuadVertex& c) {
    return (b.X - a.X) * (c.Y - a.Y) - (b.Y - a.Y) * (c.X - a.X);
}

}  // namespace

TEST_F(DrawQuad, FullScreenQuadHasTexelZeroAtTopLeft) {
    render.DrawQuad(-1, 1, 2, 2);
    auto draws = device->FindCalls("DrawIndexedPrimitiveUP");
    ASSERT_EQ(draws.size(), 1u);
    auto v = QuadFrom(draws[0]);
    ASSERT_EQ(v.size(), 4u);
    const float expected[4][5] = {{-1, 1, 0, 0, 0}, {1, 1, 0, 1, 0}, {1, -1, 0, 1, 1}, {-1, -1, 0, 0, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v[i].X, expected[i][0]) << "vertex " << i;
        EXPECT_EQ(v[i].Y, expected[i][1]) << "vertex " << i;
        EXPECT_EQ(v[i].Z, expected[i][2]) << "vertex " << i;
        EXPECT_EQ(v[i].U, expected[i][3]) << "vertex " << i;
        EXPECT_EQ(v[i].V, expected[i][4]) << "vertex " << i;
    }
    EXPECT_EQ(IndicesFrom(draws[0]), (std::vector<uint16_t>{0, 1, 2, 2, 3, 0}));
    // triangle list, min index 0, 4 vertices, 2 triangles, 16-bit indices, stride 20
    EXPECT_EQ(draws[0].Ints, (std::vector<int64_t>{4, 0, 4, 2, 101, 20}));
}

TEST_F(DrawQuad, BothTrianglesRunClockwise) {
    render.DrawQuad(-0.5f, 0.25f, 0.75f, 0.5f);
    auto v = QuadFrom(device->FindCalls("DrawIndexedPrimitiveUP").at(0));
    auto i = IndicesFrom(device->FindCalls("DrawIndexedPrimitiveUP").at(0));
    ASSERT_EQ(i.size(), 6u);
    EXPECT_LT(SignedArea(v[i[0]], v[i[1]], v[i[2]]), 0.0f);
    EXPECT_LT(SignedArea(v[i[3]], v[i[4]], v[i[5]]), 0.0f);
    EXPECT_FLOAT_EQ(v[2].X, 0.25f);
    EXPECT_FLOAT_EQ(v[2].Y, -0.25f);
}

TEST_F(DrawQuad, DrawsWithoutDepthTestAndTurnsItOnAfterwards) {
    render.SetDepthTest(false);
    device->ClearLog();
    render.DrawQuad(-1, 1, 2, 2);
    std::vector<std::string> texts;
    for (const auto& call : device->Calls())
        texts.push_back(call.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"SetRenderState(7, 0)", "SetFVF(258)",
                                               "DrawIndexedPrimitiveUP(4, 0, 4, 2, 101, 20)",
                                               "SetRenderState(7, 1)"}));
    EXPECT_EQ(device->RenderState(D3DRS_ZENABLE), 1u);
}

TEST_F(RenderStates, CullModeMapping) {
    const std::pair<int, uint32_t> cases[] = {{0, D3DCULL_NONE}, {1, D3DCULL_CCW}, {2, D3DCULL_CW}};
    for (auto [mode, expected] : cases) {
        render.SetCullMode(mode);
        EXPECT_EQ(device->RenderState(D3DRS_CULLMODE), expected) << "mode " << mode;
    }
}

TEST_F(RenderStates, UnknownCullModeChangesNothing) {
    render.SetCullMode(2);
    device->ClearLog();
    render.SetCullMode(3);
    render.SetCullMode(-1);
    EXPECT_TRUE(device->Calls().empty()) << device->LogText();
    EXPECT_EQ(device->RenderState(D3DRS_CULLMODE), D3DCULL_CW);
}

TEST_F(RenderStates, FilterMappingSetsMinAndMagButNeverMip) {
    render.SetTextureFilter(1, 0, 0);
    EXPECT_EQ(device->SamplerState(1, D3DSAMP_MINFILTER), D3DTEXF_POINT);
    render.SetTextureFilter(0, 1, 0);
    EXPECT_EQ(device->SamplerState(0, D3DSAMP_MINFILTER), D3DTEXF_LINEAR);
    EXPECT_EQ(device->SamplerState(0, D3DSAMP_MAGFILTER), D3DTEXF_LINEAR);
    EXPECT_EQ(device->CountCalls("SetSamplerState"), 4u);
    render.SetTextureFilter(0, 2, 8);
    EXPECT_EQ(device->SamplerState(0, D3DSAMP_MINFILTER), D3DTEXF_ANISOTROPIC);
    EXPECT_EQ(device->SamplerState(0, D3DSAMP_MAGFILTER), D3DTEXF_ANISOTROPIC);
    EXPECT_EQ(device->SamplerState(0, D3DSAMP_MAXANISOTROPY), 8u);
    for (const auto& call : device->FindCalls("SetSamplerState")) {
        EXPECT_NE(call.Ints[1], D3DSAMP_MIPFILTER) << call.Text;
    }
}

TEST_F(RenderStates, UnknownFilterModeChangesNothing) {
    render.SetTextureFilter(0, 3, 4);
    render.SetTextureFilter(0, -1, 4);
    EXPECT_TRUE(device->Calls().empty()) << device->LogText();
}

TEST_F(RenderStates, AlphaBlendOnSetsFactorsOffOnlyTheSwitch) {
    render.SetAlphaBlend(true);
    EXPECT_EQ(device->RenderState(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(device->RenderState(D3DRS_SRCBLEND), D3DBLEND_SRCALPHA);
    EXPECT_EQ(device->RenderState(D3DRS_DESTBLEND), D3DBLEND_INVSRCALPHA);
    device->ClearLog();
    render.SetAlphaBlend(false);
    ASSERT_EQ(device->Calls().size(), 1u);
    EXPECT_EQ(device->Calls()[0].Text, "SetRenderState(27, 0)");
}

TEST_F(RenderStates, DepthSwitches) {
    render.SetDepthTest(false);
    render.SetDepthWrite(false);
    EXPECT_EQ(device->RenderState(D3DRS_ZENABLE), 0u);
    EXPECT_EQ(device->RenderState(D3DRS_ZWRITEENABLE), 0u);
    render.SetDepthWrite(true);
    EXPECT_EQ(device->RenderState(D3DRS_ZWRITEENABLE), 1u);
}

TEST_F(RenderStates, ConstantsFromMatricesFillFourRegistersEach) {
    TMatrix m[2];
    for (int k = 0; k < 32; ++k)
        m[k / 16].m[(k / 4) % 4][k % 4] = static_cast<float>(k);
    render.SetVertexShaderConstants(4, m, 8);
    EXPECT_EQ(device->Constant(4), (std::array<float, 4>{0, 1, 2, 3}));
    EXPECT_EQ(device->Constant(11), (std::array<float, 4>{28, 29, 30, 31}));
    EXPECT_EQ(device->Calls().back().Text, "SetVertexShaderConstantF(4, 8)");
}

TEST_F(RenderStates, EmptyOrMissingShaderBindsNone) {
    TVertexShader empty;
    render.SetVertexShader(&empty);
    render.SetPixelShader(nullptr);
    EXPECT_EQ(device->Calls().at(0).Text, "SetVertexShader(0)");
    EXPECT_EQ(device->Calls().at(1).Text, "SetPixelShader(0)");
}

TEST_F(Frame, ClearColourAndDepth) {
    render.ClearTarget(128, 64, 255);
    render.ClearDepth();
    render.BeginScene();
    render.EndScene();
    render.Present();
    ASSERT_EQ(device->Calls().size(), 5u);
    EXPECT_EQ(device->Calls()[0].Ints, (std::vector<int64_t>{1, 0x008040FF, 0}));
    EXPECT_EQ(device->Calls()[0].Floats, (std::vector<float>{0.0f}));
    EXPECT_EQ(device->Calls()[1].Text, "Clear(2, 0, 1, 0)");
    EXPECT_EQ(device->Calls()[2].Name, "BeginScene");
    EXPECT_EQ(device->Calls()[3].Name, "EndScene");
    EXPECT_EQ(device->Calls()[4].Name, "Present");
}

TEST_F(DrawRenderOperation, BindsDeclarationStreamIndicesTextureThenDraws) {
    TVertexDeclaration declaration(render.Device());
    declaration.AddElement(0, 2);
    declaration.AddElement(2, 1);
    declaration.EndDeclaration();
    declaration.Build();
    TVertexBuffer vertices(render.Device());
    vertices.CreateBuffer(4 * 20, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
    TIndexBuffer indices(render.Device());
    indices.CreateBuffer(6 * 2, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
    uint16_t* i = indices.Lock(0, 0, 0);
    const uint16_t quad[6] = {0, 1, 2, 2, 3, 0};
    std::memcpy(i, quad, sizeof(quad));
    indices.Unlock();
    TextureHandle texture = device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    device->ClearLog();

    TRenderOperation op;
    op.Declaration = &declaration;
    op.VertexBuffer = &vertices;
    op.IndexBuffer = &indices;
    op.NumVertices = 4;
    op.PrimitiveCount = 2;
    op.Texture = texture;
    render.DrawRenderOperation(op);

    std::vector<std::string> names;
    for (const auto& call : device->Calls())
        names.push_back(call.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"SetVertexDeclaration", "SetStreamSource", "SetIndices",
                                               "SetTexture", "DrawIndexedPrimitive"}));
    EXPECT_EQ(device->BoundDeclaration(), declaration.Handle());
    EXPECT_EQ(device->Stream(0).Buffer, vertices.Handle());
    EXPECT_EQ(device->Stream(0).Offset, 0u);
    EXPECT_EQ(device->Stream(0).Stride, 20u);
    EXPECT_EQ(device->BoundIndices(), indices.Handle());
    EXPECT_EQ(device->BoundTexture(0), texture);
    EXPECT_EQ(device->Calls().back().Ints, (std::vector<int64_t>{4, 0, 0, 4, 0, 2}));
    EXPECT_EQ(device->BadDraws(), 0);
    EXPECT_EQ(device->BadHandleUses(), 0);
}

TEST_F(DrawRenderOperation, MissingPartsBindNoneAndNegativeCountsDrawNothing) {
    TRenderOperation op;
    op.NumVertices = -3;
    op.PrimitiveCount = -1;
    render.DrawRenderOperation(op);
    EXPECT_EQ(device->Calls().at(1).Text, "SetStreamSource(0, 0, 0, 0)");
    EXPECT_EQ(device->Calls().back().Ints, (std::vector<int64_t>{4, 0, 0, 0, 0, 0}));
    EXPECT_EQ(device->BadHandleUses(), 0);
}

TEST(PresentParameters, WindowLeavesTheSizeToTheWindow) {
    RecordingGraphicsSystem system;
    system.SetDisplayMode(DisplayMode{1920, 1080, 75, D3DFMT_X8R8G8B8});
    StubWindow window;
    TRenderD3D9 render(system);
    std::string error;
    ASSERT_TRUE(render.Initialize(&window, true, 800, 600, 1, error));
    const PresentParameters& p = system.LastCreateParameters();
    EXPECT_TRUE(p.Windowed);
    EXPECT_EQ(p.BackBufferWidth, 0u);
    EXPECT_EQ(p.BackBufferHeight, 0u);
    EXPECT_EQ(p.FullScreen_RefreshRateInHz, 0u);
    EXPECT_EQ(p.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(p.DeviceWindow, &window);
    EXPECT_TRUE(p.EnableAutoDepthStencil);
    EXPECT_EQ(p.AutoDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(p.PresentationInterval, D3DPRESENT_INTERVAL_ONE);
    EXPECT_EQ(system.LastCreateWindow(), &window);
    EXPECT_EQ(render.Width(), 800);
    EXPECT_EQ(render.Height(), 600);
}

TEST(PresentParameters, FullScreenUsesTheSizeAndDesktopRefresh) {
    RecordingGraphicsSystem system;
    system.SetDisplayMode(DisplayMode{1920, 1080, 75, D3DFMT_X8R8G8B8});
    StubWindow window;
    TRenderD3D9 render(system);
    std::string error;
    ASSERT_TRUE(render.Initialize(&window, false, 1024, 768, 0, error));
    const PresentParameters& p = system.LastCreateParameters();
    EXPECT_FALSE(p.Windowed);
    EXPECT_EQ(p.BackBufferWidth, 1024u);
    EXPECT_EQ(p.BackBufferHeight, 768u);
    EXPECT_EQ(p.FullScreen_RefreshRateInHz, 75u);
    EXPECT_EQ(p.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
}

TEST_F(LostDevice, AnswersFollowTheCooperativeLevel) {
    EXPECT_FALSE(render.IsDeviceLost());
    EXPECT_FALSE(render.IsDeviceNotReset());
    device->SetCooperativeLevel(D3DERR_DEVICELOST);
    EXPECT_TRUE(render.IsDeviceLost());
    EXPECT_FALSE(render.IsDeviceNotReset());
    device->SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    EXPECT_FALSE(render.IsDeviceLost());
    EXPECT_TRUE(render.IsDeviceNotReset());
}

TEST_F(LostDevice, ResetBuildsParametersLikeInitialize) {
    system.SetDisplayMode(DisplayMode{1280, 1024, 85, D3DFMT_X8R8G8B8});
    EXPECT_TRUE(render.ResetDevice(false, &window, 640, 480, 1));
    const PresentParameters& full = device->Parameters();
    EXPECT_FALSE(full.Windowed);
    EXPECT_EQ(full.BackBufferWidth, 640u);
    EXPECT_EQ(full.BackBufferHeight, 480u);
    EXPECT_EQ(full.FullScreen_RefreshRateInHz, 85u);
    EXPECT_EQ(full.DeviceWindow, &window);
    EXPECT_EQ(full.AutoDepthStencilFormat, D3DFMT_D16);

    EXPECT_TRUE(render.ResetDevice(true, &window, 640, 480, 1));
    EXPECT_TRUE(device->Parameters().Windowed);
    EXPECT_EQ(device->Parameters().BackBufferWidth, 0u);
    EXPECT_EQ(device->Parameters().FullScreen_RefreshRateInHz, 0u);
    // The size given at creation stays.
    EXPECT_EQ(render.Width(), 800);
    EXPECT_EQ(render.Height(), 600);
}

TEST_F(LostDevice, FailedResetIsReported) {
    device->SetResetResult(D3DERR_DEVICELOST);
    EXPECT_FALSE(render.ResetDevice(true, &window, 800, 600, 1));
}

TEST_F(LostDevice, HoldersOfTheSlotSeeTheNewDevice) {
    TDeviceRef slot = render.Device();
    EXPECT_EQ(DeviceOf(slot), device);
    std::string error;
    ASSERT_TRUE(render.Initialize(&window, true, 800, 600, 1, error));
    EXPECT_EQ(render.Device(), slot);
    EXPECT_EQ(DeviceOf(slot), system.LastDevice());
    EXPECT_EQ(system.CreateCount(), 2);
}

TEST(NoDevice, FailedCreationIsReportedAndEverythingElseIsHarmless) {
    RecordingGraphicsSystem system;
    system.SetCreateFailure("no OpenGL 3.3 context");
    render_test::LogCapture log;
    TRenderD3D9 render(system);
    std::string error;
    EXPECT_FALSE(render.Initialize(nullptr, true, 800, 600, 1, error));
    EXPECT_EQ(error, "no OpenGL 3.3 context");
    EXPECT_NE(log.All().find("no OpenGL 3.3 context"), std::string::npos);
    EXPECT_EQ(DeviceOf(render.Device()), nullptr);
    EXPECT_FALSE(render.IsDeviceLost());
    EXPECT_FALSE(render.IsDeviceNotReset());
    EXPECT_FALSE(render.ResetDevice(true, nullptr, 800, 600, 1));
    render.ClearTarget(1, 2, 3);
    render.DrawQuad(-1, 1, 2, 2);
    render.DrawRenderOperation(TRenderOperation{});
    TVertexBuffer buffer(render.Device());
    EXPECT_FALSE(buffer.CreateBuffer(16, 0, 0));
    EXPECT_EQ(buffer.Lock(0, 0, 0), nullptr);
}
