// The recording device is what every headless graphics test stands on, so its own behaviour is pinned
// here: the log, the Direct3D 9 defaults, the memory behind buffers and textures, and the answers the
// test controls.
#include "platform/RecordingDevice.h"

#include <gtest/gtest.h>

#include <cstring>

#include "util/Log.h"

using namespace platform;

namespace {

struct Fixture : ::testing::Test {
    RecordingGraphicsSystem system;
    std::unique_ptr<GraphicsDevice> owned;
    RecordingDevice* device = nullptr;

    void SetUp() override {
        std::string error;
        PresentParameters p;
        p.Windowed = false;
        p.BackBufferWidth = 64;
        p.BackBufferHeight = 32;
        owned = system.CreateDevice(nullptr, p, error);
        ASSERT_TRUE(owned);
        device = system.LastDevice();
        ASSERT_EQ(device, owned.get());
    }
};

using RecordingLog = Fixture;
using RecordingState = Fixture;
using RecordingBuffers = Fixture;
using RecordingTextures = Fixture;
using RecordingShaders = Fixture;
using RecordingControl = Fixture;
using RecordingHandles = Fixture;

// The cases that hand the device a bad handle on purpose: where assertions are on, the first such
// call stops the program instead (RecordingHandles checks that), so they run only where they are off.
#ifdef NDEBUG
#define ONLY_WHERE_BAD_HANDLES_ARE_REFUSED()
#else
#define ONLY_WHERE_BAD_HANDLES_ARE_REFUSED() GTEST_SKIP() << "a bad handle fails an assertion here"
#endif

}  // namespace

TEST_F(RecordingLog, KeepsNameArgumentsAndText) {
    device->SetRenderState(D3DRS_ZENABLE, 0);
    device->Clear(D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    ASSERT_EQ(device->Calls().size(), 2u);
    const RecordedCall& first = device->Calls()[0];
    EXPECT_EQ(first.Name, "SetRenderState");
    EXPECT_EQ(first.Ints, (std::vector<int64_t>{7, 0}));
    EXPECT_EQ(first.Text, "SetRenderState(7, 0)");
    EXPECT_EQ(device->Calls()[1].Text, "Clear(2, 0, 1, 0)");
    EXPECT_EQ(device->Calls()[1].Floats, (std::vector<float>{1.0f}));
}

TEST_F(RecordingLog, QueriesFindCountAndTrim) {
    device->BeginScene();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->EndScene();
    EXPECT_EQ(device->CountCalls("SetRenderState"), 2u);
    auto found = device->FindCalls("SetRenderState");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1].Ints[1], D3DCULL_CW);
    auto last = device->LastCalls(2);
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(last[0].Text, "SetRenderState(22, 2)");
    EXPECT_EQ(last[1].Name, "EndScene");
    EXPECT_EQ(device->LastCalls(10).size(), 4u);
    device->ClearLog();
    EXPECT_TRUE(device->Calls().empty());
}

TEST_F(RecordingState, StartsAtDirect3DDefaults) {
    EXPECT_EQ(device->RenderState(D3DRS_ZENABLE), 1u);
    EXPECT_EQ(device->RenderState(D3DRS_ZWRITEENABLE), 1u);
    EXPECT_EQ(device->RenderState(D3DRS_ZFUNC), D3DCMP_LESSEQUAL);
    EXPECT_EQ(device->RenderState(D3DRS_CULLMODE), D3DCULL_CCW);
    EXPECT_EQ(device->RenderState(D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(device->RenderState(D3DRS_SRCBLEND), D3DBLEND_ONE);
    EXPECT_EQ(device->RenderState(D3DRS_DESTBLEND), D3DBLEND_ZERO);
    EXPECT_EQ(device->SamplerState(0, D3DSAMP_MINFILTER), D3DTEXF_POINT);
    EXPECT_EQ(device->SamplerState(3, D3DSAMP_MAGFILTER), D3DTEXF_POINT);
    EXPECT_EQ(device->SamplerState(0, D3DSAMP_MIPFILTER), D3DTEXF_NONE);
    EXPECT_EQ(device->SamplerState(0, D3DSAMP_ADDRESSU), 1u);
}

TEST_F(RecordingState, ConstantsPersistAcrossShaderChangesAndClipAtTheLastRegister) {
    constexpr uint32_t kLast = kVertexShaderRegisters - 1;
    float data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    device->SetVertexShaderConstantF(kLast - 1, data, 2);
    device->SetVertexShader(ShaderHandle{});
    EXPECT_EQ(device->Constant(kLast - 1), (std::array<float, 4>{1, 2, 3, 4}));
    EXPECT_EQ(device->Constant(kLast), (std::array<float, 4>{5, 6, 7, 8}));
    device->SetVertexShaderConstantF(kLast, data, 2);  // the second register does not exist
    EXPECT_EQ(device->Constant(kLast), (std::array<float, 4>{1, 2, 3, 4}));
    EXPECT_EQ(device->Calls().back().Floats.size(), 4u);
}

TEST_F(RecordingState, ResetRestoresDefaultsAndKeepsResources) {
    device->SetRenderState(D3DRS_ZENABLE, 0);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    std::string messages;
    ShaderHandle shader = device->CreateShader(ShaderStage::Vertex, "void main() {}", messages);
    PresentParameters p;
    p.Windowed = true;
    EXPECT_EQ(device->Reset(p), D3D_OK);
    EXPECT_EQ(device->RenderState(D3DRS_ZENABLE), 1u);
    EXPECT_EQ(device->SamplerState(0, D3DSAMP_MINFILTER), D3DTEXF_POINT);
    EXPECT_NE(device->Shader(shader), nullptr);
    EXPECT_TRUE(device->Parameters().Windowed);
}

TEST_F(RecordingBuffers, LockGivesMemoryThatStays) {
    VertexBufferHandle b = device->CreateVertexBuffer(16, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT);
    ASSERT_TRUE(b);
    auto* p = static_cast<uint8_t*>(device->LockBuffer(b, 4, 8, 0));
    ASSERT_NE(p, nullptr);
    std::memset(p, 0xAB, 8);
    device->UnlockBuffer(b);
    const RecordedBuffer* buffer = device->Buffer(b);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->Bytes[3], 0);
    EXPECT_EQ(buffer->Bytes[4], 0xAB);
    EXPECT_EQ(buffer->Bytes[11], 0xAB);
    EXPECT_EQ(buffer->Bytes[12], 0);
    EXPECT_EQ(buffer->LockDepth, 0);
}

TEST_F(RecordingBuffers, LockOutsideTheBufferGivesNothing) {
    ONLY_WHERE_BAD_HANDLES_ARE_REFUSED();
    IndexBufferHandle b = device->CreateIndexBuffer(8, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT);
    EXPECT_EQ(device->LockBuffer(b, 8, 0, 0), nullptr);
    EXPECT_EQ(device->LockBuffer(b, 4, 8, 0), nullptr);
    EXPECT_NE(device->LockBuffer(b, 0, 0, 0), nullptr);
    EXPECT_EQ(device->LockBuffer(IndexBufferHandle{999, 1}, 0, 0, 0), nullptr);
    EXPECT_EQ(device->BadHandleUses(), 1);
}

TEST_F(RecordingBuffers, DiscardForgetsTheOldContents) {
    VertexBufferHandle b = device->CreateVertexBuffer(4, 0, 0, D3DPOOL_DEFAULT);
    auto* p = static_cast<uint8_t*>(device->LockBuffer(b, 0, 0, 0));
    std::memset(p, 1, 4);
    device->UnlockBuffer(b);
    p = static_cast<uint8_t*>(device->LockBuffer(b, 0, 0, D3DLOCK_DISCARD));
    EXPECT_NE(p[0], 1);
}

TEST_F(RecordingBuffers, ReleaseTwiceCountsAsBadHandle) {
    ONLY_WHERE_BAD_HANDLES_ARE_REFUSED();
    VertexBufferHandle b = device->CreateVertexBuffer(4, 0, 0, D3DPOOL_DEFAULT);
    EXPECT_EQ(device->LiveBuffers(), 1u);
    device->ReleaseBuffer(b);
    device->ReleaseBuffer(b);
    device->ReleaseBuffer(VertexBufferHandle{});
    EXPECT_EQ(device->LiveBuffers(), 0u);
    EXPECT_EQ(device->BadHandleUses(), 1);
}

TEST_F(RecordingBuffers, DrawOutsideTheBuffersIsCounted) {
    VertexBufferHandle vb = device->CreateVertexBuffer(3 * 12, 0, 0, D3DPOOL_DEFAULT);
    IndexBufferHandle ib = device->CreateIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT);
    auto* indices = static_cast<uint16_t*>(device->LockBuffer(ib, 0, 0, 0));
    indices[0] = 0;
    indices[1] = 1;
    indices[2] = 2;
    device->UnlockBuffer(ib);
    device->SetStreamSource(0, vb, 0, 12);
    device->SetIndices(ib);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1);
    EXPECT_EQ(device->BadDraws(), 0);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 2);  // six indices from a buffer of three
    EXPECT_EQ(device->BadDraws(), 1);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 2, 0, 1);  // index 2 outside two vertices
    EXPECT_EQ(device->BadDraws(), 2);
    device->SetStreamSource(0, vb, 0, 16);  // vertex 2 ends past the buffer
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1);
    EXPECT_EQ(device->BadDraws(), 3);
    EXPECT_EQ(device->DrawCallCount(), 4u);
}

TEST_F(RecordingBuffers, DrawFromUserMemoryCopiesItsDataAndUnbindsTheStream) {
    VertexBufferHandle vb = device->CreateVertexBuffer(12, 0, 0, D3DPOOL_DEFAULT);
    device->SetStreamSource(0, vb, 0, 12);
    float vertices[3][2] = {{1, 2}, {3, 4}, {5, 6}};
    uint16_t indices[3] = {2, 1, 0};
    device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, indices, D3DFMT_INDEX16, vertices, 8);
    const RecordedCall& call = device->Calls().back();
    ASSERT_EQ(call.VertexBytes.size(), 24u);
    ASSERT_EQ(call.IndexBytes.size(), 6u);
    float last;
    std::memcpy(&last, call.VertexBytes.data() + 20, 4);
    EXPECT_EQ(last, 6.0f);
    EXPECT_EQ(call.IndexBytes[0], 2);
    EXPECT_FALSE(device->Stream(0).Buffer);
    EXPECT_FALSE(device->BoundIndices());
}

TEST_F(RecordingTextures, FullChainAndLevelWrites) {
    TextureHandle t = device->CreateTexture(8, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    ASSERT_TRUE(t);
    EXPECT_EQ(device->TextureLevelCount(t), 4u);  // 8x2, 4x1, 2x1, 1x1
    const RecordedTexture* texture = device->Texture(t);
    EXPECT_EQ(texture->LevelWidth(1), 4u);
    EXPECT_EQ(texture->LevelHeight(1), 1u);
    uint8_t row[4 * 4 + 4];  // pitch wider than the row
    for (int i = 0; i < 20; ++i)
        row[i] = static_cast<uint8_t>(i);
    device->WriteTextureLevel(t, 1, row, 20);
    EXPECT_EQ(texture->Levels[1].size(), 16u);
    EXPECT_EQ(texture->Levels[1][15], 15);
    TextureHandle one = device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    ASSERT_TRUE(one);
    EXPECT_EQ(device->Texture(one)->Levels.size(), 1u);
}

TEST_F(RecordingShaders, CompileMessagesFollowTheMarkers) {
    device->AddCompileMessage("#warn", "0:1(1): warning: something");
    std::string messages;
    EXPECT_TRUE(device->CreateShader(ShaderStage::Pixel, "clean", messages));
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(device->CreateShader(ShaderStage::Pixel, "text #warn", messages));
    EXPECT_EQ(messages, "0:1(1): warning: something");
    device->AddCompileMessage("", "everything fails");
    EXPECT_FALSE(device->CreateShader(ShaderStage::Vertex, "clean", messages));
    EXPECT_EQ(messages, "everything fails");
    device->ClearCompileMessages();
    EXPECT_TRUE(device->CreateShader(ShaderStage::Vertex, "text #warn", messages));
    EXPECT_EQ(device->LiveShaders(), 2u);
}

TEST_F(RecordingShaders, BindingAShaderOfTheOtherStageIsABadHandle) {
    ONLY_WHERE_BAD_HANDLES_ARE_REFUSED();
    std::string messages;
    ShaderHandle vs = device->CreateShader(ShaderStage::Vertex, "v", messages);
    device->SetPixelShader(vs);
    EXPECT_EQ(device->BadHandleUses(), 1);
    EXPECT_FALSE(device->BoundPixelShader());
    device->SetVertexShader(vs);
    EXPECT_EQ(device->BadHandleUses(), 1);
    EXPECT_EQ(device->BoundVertexShader(), vs);
}

// A slot is used again once its resource is released, under the next generation: the old handle
// names nothing, so it cannot reach the resource made after it.
TEST_F(RecordingHandles, AReleasedHandleIsRefusedAfterItsSlotIsUsedAgain) {
    TextureHandle released = device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    device->ReleaseTexture(released);
    TextureHandle live = device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    ASSERT_EQ(live.Slot, released.Slot);
    EXPECT_NE(live, released);
    EXPECT_EQ(device->Texture(released), nullptr);
    device->SetTexture(0, live);
#ifdef NDEBUG
    std::vector<std::string> lines;
    logging::Sink previous = logging::SetSink([&](std::string_view subsystem, std::string_view text) {
        lines.push_back(std::string(subsystem) + ": " + std::string(text));
    });
    device->SetTexture(0, released);
    device->ReleaseTexture(released);
    uint8_t texels[4 * 4 * 4] = {};
    device->WriteTextureLevel(released, 0, texels, 16);
    logging::SetSink(previous);
    EXPECT_EQ(device->BoundTexture(0), live);
    ASSERT_NE(device->Texture(live), nullptr);
    EXPECT_EQ(device->LiveTextures(), 1u);
    EXPECT_EQ(device->BadHandleUses(), 3);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0],
              "graphics: SetTexture: the texture handle (slot 1, generation 1) names nothing live; "
              "call refused");
#else
    EXPECT_DEATH(device->SetTexture(0, released), "SetTexture: the texture handle .slot 1, generation 1.");
#endif
}

TEST_F(RecordingHandles, AReleasedBufferIsRefusedByEveryBufferCall) {
    ONLY_WHERE_BAD_HANDLES_ARE_REFUSED();
    VertexBufferHandle vertices = device->CreateVertexBuffer(12, 0, 0, D3DPOOL_MANAGED);
    IndexBufferHandle indices = device->CreateIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED);
    device->SetStreamSource(0, vertices, 0, 12);
    device->SetIndices(indices);
    device->ReleaseBuffer(vertices);
    device->ReleaseBuffer(indices);
    VertexBufferHandle again = device->CreateVertexBuffer(24, 0, 0, D3DPOOL_MANAGED);
    ASSERT_EQ(again.Slot, vertices.Slot);
    device->SetStreamSource(0, again, 0, 12);
    EXPECT_EQ(device->LockBuffer(vertices, 0, 0, 0), nullptr);
    device->UnlockBuffer(vertices);
    device->SetStreamSource(0, vertices, 0, 12);
    device->SetIndices(indices);
    device->ReleaseBuffer(vertices);
    EXPECT_EQ(device->BadHandleUses(), 5);
    EXPECT_EQ(device->Stream(0).Buffer, again);
    EXPECT_NE(device->Buffer(again), nullptr);
}

TEST_F(RecordingControl, CooperativeLevelAndResetAnswerAsTold) {
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    device->SetCooperativeLevel(D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    device->SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    device->SetResetResult(D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Reset(PresentParameters{}), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    device->SetResetResult(D3D_OK);
    EXPECT_EQ(device->Reset(PresentParameters{}), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
}

TEST_F(RecordingControl, ResetCountsDefaultPoolResourcesAndCanRefuseThem) {
    VertexBufferHandle kept = device->CreateVertexBuffer(4, 0, 0, D3DPOOL_MANAGED);
    IndexBufferHandle lost = device->CreateIndexBuffer(4, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT);
    EXPECT_EQ(device->DefaultPoolResourcesAtLastReset(), -1);
    EXPECT_EQ(device->Reset(PresentParameters{}), D3D_OK);
    EXPECT_EQ(device->DefaultPoolResourcesAtLastReset(), 1);
    device->SetStrictReset(true);
    EXPECT_EQ(device->Reset(PresentParameters{}), D3DERR_INVALIDCALL);
    device->ReleaseBuffer(lost);
    EXPECT_EQ(device->Reset(PresentParameters{}), D3D_OK);
    EXPECT_EQ(device->DefaultPoolResourcesAtLastReset(), 0);
    EXPECT_NE(device->Buffer(kept), nullptr);
}

TEST_F(RecordingControl, ReadBackGivesTheClearColour) {
    device->Clear(D3DCLEAR_TARGET, 0x00804020u, 0.0f, 0);
    Image image;
    ASSERT_TRUE(device->ReadBackBuffer(image));
    EXPECT_EQ(image.Width, 64);
    EXPECT_EQ(image.Height, 32);
    EXPECT_EQ(image.Rgba[0], 0x80);
    EXPECT_EQ(image.Rgba[1], 0x40);
    EXPECT_EQ(image.Rgba[2], 0x20);
}

TEST(RecordingSystem, FailureAndLastDevice) {
    RecordingGraphicsSystem system;
    std::string error;
    system.SetCreateFailure("no adapter");
    EXPECT_EQ(system.CreateDevice(nullptr, PresentParameters{}, error), nullptr);
    EXPECT_EQ(error, "no adapter");
    system.SetCreateFailure("");
    auto device = system.CreateDevice(nullptr, PresentParameters{}, error);
    EXPECT_EQ(system.LastDevice(), device.get());
    EXPECT_EQ(system.CreateCount(), 2);
    device.reset();
    EXPECT_EQ(system.LastDevice(), nullptr);
}
