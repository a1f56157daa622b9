#include "render/Buffers.h"

#include <cstring>

#include "RenderTestSupport.h"

using namespace platform;
using render_test::LogCapture;
using render_test::RendererFixture;

namespace {

using VertexBuffer = RendererFixture;
using IndexBuffer = RendererFixture;

}  // namespace

TEST_F(VertexBuffer, CreateBufferPassesLengthUsageAndPool) {
    TVertexBuffer b(render.Device());
    EXPECT_TRUE(b.CreateBuffer(144, D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT));
    EXPECT_EQ(device->Calls().back().Name, "CreateVertexBuffer");
    EXPECT_EQ(device->Calls().back().Ints, (std::vector<int64_t>{144, 0x200, 0, 0, b.Handle().Slot}));
    EXPECT_EQ(b.GetLength(), 144u);
    EXPECT_EQ(b.Usage(), D3DUSAGE_DYNAMIC);
    EXPECT_EQ(b.Pool(), D3DPOOL_DEFAULT);
    EXPECT_EQ(*b.HandleRef(), b.Handle());
    ASSERT_NE(device->Buffer(b.Handle()), nullptr);
}

TEST_F(VertexBuffer, CreatingAgainReleasesTheOldBuffer) {
    TVertexBuffer b(render.Device());
    b.CreateBuffer(16, 0, 0);
    b.CreateBuffer(32, 0, 0);
    EXPECT_EQ(device->LiveBuffers(), 1u);
    EXPECT_EQ(device->Buffer(b.Handle())->Bytes.size(), 32u);
}

TEST_F(VertexBuffer, ReleaseHandleKeepsTheDescriptionReleaseBufferForgetsTheLength) {
    TVertexBuffer b(render.Device());
    b.CreateBuffer(64, D3DUSAGE_WRITEONLY, D3DPOOL_DEFAULT);
    b.ReleaseHandle();
    EXPECT_FALSE(b.Handle());
    EXPECT_EQ(b.GetLength(), 64u);
    EXPECT_EQ(b.Usage(), D3DUSAGE_WRITEONLY);
    EXPECT_EQ(device->LiveBuffers(), 0u);
    // After a reset the owner makes it again from what was kept.
    b.CreateBuffer(b.GetLength(), b.Usage(), b.Pool());
    EXPECT_EQ(device->Buffer(b.Handle())->Bytes.size(), 64u);
    b.ReleaseBuffer();
    EXPECT_EQ(b.GetLength(), 0u);
    EXPECT_EQ(device->LiveBuffers(), 0u);
    b.ReleaseBuffer();
    EXPECT_EQ(device->BadHandleUses(), 0);
}

TEST_F(VertexBuffer, DestructorReleases) {
    {
        TVertexBuffer b(render.Device());
        b.CreateBuffer(8, 0, 0);
    }
    EXPECT_EQ(device->LiveBuffers(), 0u);
}

TEST_F(VertexBuffer, LockWriteUnlockReachesTheDevice) {
    TVertexBuffer b(render.Device());
    b.CreateBuffer(16, 0, 0);
    void* p = b.Lock(4, 8, D3DLOCK_DISCARD);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(b.LockedData(), p);
    EXPECT_EQ(device->Calls().back().Text, "LockBuffer(" + std::to_string(b.Handle().Slot) + ", 4, 8, 8192)");
    const uint8_t bytes[3] = {7, 8, 9};
    b.Write(bytes, 5, 3);
    b.Unlock();
    EXPECT_EQ(b.LockedData(), nullptr);
    const auto& stored = device->Buffer(b.Handle())->Bytes;
    EXPECT_EQ(stored[9], 7);
    EXPECT_EQ(stored[11], 9);
}

TEST_F(VertexBuffer, WriteStridedInterleavesOneAttribute) {
    // Three vertices of 20 bytes (position, texture coordinate); write the texture coordinates.
    TVertexBuffer b(render.Device());
    b.CreateBuffer(60, D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED);
    b.Lock(0, 60, 0);
    const float uv[3][2] = {{0.0f, 0.5f}, {1.0f, 0.25f}, {0.75f, 1.0f}};
    b.WriteStrided(uv, 20, 3, 0, 12, 8);
    b.Unlock();
    const auto& stored = device->Buffer(b.Handle())->Bytes;
    for (int v = 0; v < 3; ++v) {
        float got[2];
        std::memcpy(got, stored.data() + 20 * v + 12, 8);
        EXPECT_EQ(got[0], uv[v][0]) << v;
        EXPECT_EQ(got[1], uv[v][1]) << v;
        float untouched;
        std::memcpy(&untouched, stored.data() + 20 * v, 4);
        EXPECT_EQ(untouched, 0.0f);
    }
}

TEST_F(VertexBuffer, WriteStridedFromAFirstVertex) {
    TVertexBuffer b(render.Device());
    b.CreateBuffer(4 * 8, 0, 0);
    b.Lock(0, 0, 0);
    const uint32_t values[2] = {0xAABBCCDD, 0x11223344};
    b.WriteStrided(values, 8, 2, 2, 4, 4);
    b.Unlock();
    const auto& stored = device->Buffer(b.Handle())->Bytes;
    uint32_t got;
    std::memcpy(&got, stored.data() + 2 * 8 + 4, 4);
    EXPECT_EQ(got, 0xAABBCCDDu);
    std::memcpy(&got, stored.data() + 3 * 8 + 4, 4);
    EXPECT_EQ(got, 0x11223344u);
}

TEST_F(VertexBuffer, WritesOutsideTheLockAreRefused) {
    LogCapture log;
    TVertexBuffer b(render.Device());
    b.CreateBuffer(16, 0, 0);
    const uint8_t bytes[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    b.Write(bytes, 0, 4);  // not locked
    b.Lock(8, 8, 0);
    b.Write(bytes, 4, 8);                  // 4 bytes past the locked range
    b.WriteStrided(bytes, 4, 3, 0, 0, 4);  // the third element would end at 12 of 8
    b.Unlock();
    EXPECT_EQ(log.Lines().size(), 3u) << log.All();
    for (uint8_t byte : device->Buffer(b.Handle())->Bytes)
        EXPECT_EQ(byte, 0);
}

TEST_F(VertexBuffer, LockOutsideTheBufferGivesNullAndWritesNothing) {
    LogCapture log;
    TVertexBuffer b(render.Device());
    b.CreateBuffer(16, 0, 0);
    EXPECT_EQ(b.Lock(12, 8, 0), nullptr);
    EXPECT_EQ(b.LockedData(), nullptr);
    const uint8_t bytes[4] = {1, 2, 3, 4};
    b.Write(bytes, 0, 4);
    EXPECT_EQ(device->Buffer(b.Handle())->Bytes[12], 0);
}

TEST_F(IndexBuffer, SixteenBitIndicesThroughLock) {
    TIndexBuffer b(render.Device());
    EXPECT_TRUE(b.CreateBuffer(12, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DPOOL_DEFAULT));
    EXPECT_EQ(device->Calls().back().Ints,
              (std::vector<int64_t>{12, 0x208, D3DFMT_INDEX16, 0, b.Handle().Slot}));
    ASSERT_NE(device->Buffer(b.Handle()), nullptr);
    uint16_t* indices = b.Lock(0, 12, 0);
    ASSERT_NE(indices, nullptr);
    for (uint16_t i = 0; i < 6; ++i)
        indices[i] = static_cast<uint16_t>(100 + i);
    b.Unlock();
    const auto& stored = device->Buffer(b.Handle())->Bytes;
    EXPECT_EQ(stored[10] | (stored[11] << 8), 105);
}

TEST_F(IndexBuffer, ReleaseHandleAndReleaseBuffer) {
    TIndexBuffer b(render.Device());
    b.CreateBuffer(12, 0, D3DPOOL_DEFAULT);
    b.ReleaseHandle();
    EXPECT_EQ(b.GetLength(), 12u);
    EXPECT_EQ(device->LiveBuffers(), 0u);
    b.CreateBuffer(12, 0, 0);
    b.ReleaseBuffer();
    EXPECT_EQ(b.GetLength(), 0u);
    EXPECT_EQ(device->BadHandleUses(), 0);
}
