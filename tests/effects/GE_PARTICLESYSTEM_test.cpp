#include "effects/GE_PARTICLESYSTEM.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "platform/RecordingDevice.h"

namespace {

class ParticleSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(render.Initialize(nullptr, true, 800, 600, 0, error)) << error;
        device = system.LastDevice();
        ASSERT_NE(device, nullptr);
        EXPECT_TRUE(
            vertexShader.LoadFromSource(render.Device(), "// particle vertex shader", "particle.vs", error));
        EXPECT_TRUE(
            pixelShader.LoadFromSource(render.Device(), "// particle pixel shader", "particle.ps", error));
        texture = device->CreateTexture(4, 4, 1, 0, platform::D3DFMT_A8R8G8B8, platform::D3DPOOL_MANAGED);
    }

    std::unique_ptr<TParticleSystem> MakeSystem(int32_t capacity = 500) {
        return std::make_unique<TParticleSystem>(render, texture, &vertexShader, &pixelShader, capacity);
    }

    static TParticle Particle(float x, float y, float z, int32_t life = 100) {
        TParticle p;
        p.Position = Vector3(x, y, z);
        p.Life = life;
        return p;
    }

    // The vertices and indices the last Draw wrote.
    TParticleVertex VertexAt(const TParticleSystem& ps, int index) const {
        const platform::RecordedBuffer* buffer = device->Buffer(ps.GetVertexBuffer().Handle());
        TParticleVertex v;
        std::memcpy(&v, buffer->Bytes.data() + index * sizeof(TParticleVertex), sizeof v);
        return v;
    }
    uint16_t IndexAt(const TParticleSystem& ps, int index) const {
        const platform::RecordedBuffer* buffer = device->Buffer(ps.GetIndexBuffer().Handle());
        uint16_t i;
        std::memcpy(&i, buffer->Bytes.data() + index * 2, 2);
        return i;
    }

    platform::RecordingGraphicsSystem system;
    TRenderD3D9 render{system};
    platform::RecordingDevice* device = nullptr;
    TVertexShader vertexShader;
    TPixelShader pixelShader;
    platform::TextureHandle texture;
};

}  // namespace

TEST_F(ParticleSystemTest, CreatesNamedNodeWithBuffersForItsCapacity) {
    auto ps = MakeSystem(500);
    EXPECT_EQ(ps->GetName(), "paticlesystem");
    EXPECT_EQ(ps->Count(), 0);
    const platform::RecordedBuffer* vb = device->Buffer(ps->GetVertexBuffer().Handle());
    const platform::RecordedBuffer* ib = device->Buffer(ps->GetIndexBuffer().Handle());
    ASSERT_NE(vb, nullptr);
    ASSERT_NE(ib, nullptr);
    EXPECT_EQ(vb->Bytes.size(), 500u * 144u);
    EXPECT_EQ(ib->Bytes.size(), 500u * 12u);
    EXPECT_EQ(vb->Usage, platform::D3DUSAGE_DYNAMIC);
    EXPECT_EQ(ib->Usage, platform::D3DUSAGE_DYNAMIC);
    EXPECT_EQ(vb->Pool, platform::D3DPOOL_DEFAULT);
    EXPECT_EQ(ib->Pool, platform::D3DPOOL_DEFAULT);
}

TEST_F(ParticleSystemTest, DeclaresTheParticleVertex) {
    auto ps = MakeSystem();
    const auto* elements = device->Declaration(ps->GetDeclaration().Handle());
    ASSERT_NE(elements, nullptr);
    ASSERT_EQ(elements->size(), 5u);
    struct Expected {
        uint16_t offset;
        uint8_t type, usage, usageIndex;
    } expected[] = {{0, platform::D3DDECLTYPE_FLOAT4, platform::D3DDECLUSAGE_POSITION, 0},
                    {16, platform::D3DDECLTYPE_D3DCOLOR, platform::D3DDECLUSAGE_COLOR, 0},
                    {20, platform::D3DDECLTYPE_FLOAT2, platform::D3DDECLUSAGE_TEXCOORD, 0},
                    {28, platform::D3DDECLTYPE_FLOAT2, platform::D3DDECLUSAGE_TEXCOORD, 1}};
    for (int i = 0; i < 4; ++i) {
        const platform::VertexElement& e = (*elements)[static_cast<size_t>(i)];
        EXPECT_EQ(e.Stream, 0) << i;
        EXPECT_EQ(e.Offset, expected[i].offset) << i;
        EXPECT_EQ(e.Type, expected[i].type) << i;
        EXPECT_EQ(e.Usage, expected[i].usage) << i;
        EXPECT_EQ(e.UsageIndex, expected[i].usageIndex) << i;
    }
    EXPECT_TRUE(platform::IsDeclarationEnd((*elements)[4]));
    EXPECT_EQ(ps->GetDeclaration().GetStride(), 36);
}

TEST_F(ParticleSystemTest, EmptySystemLocksAndDrawsNothing) {
    auto ps = MakeSystem();
    device->ClearLog();
    ps->Draw();
    EXPECT_EQ(device->CountCalls("LockBuffer"), 0u);
    EXPECT_EQ(device->DrawCallCount(), 0u);
}

TEST_F(ParticleSystemTest, RemoveBeyondTheLastChangesNothing) {
    auto ps = MakeSystem();
    ps->UpdateMatrices();
    ps->AddParticle(Particle(1, 0, 0));
    ps->AddParticle(Particle(2, 0, 0));
    ps->RemoveParticle(2);
    ps->RemoveParticle(-1);
    ASSERT_EQ(ps->Count(), 2);
    EXPECT_FLOAT_EQ(ps->GetParticles()[0].Position.X, 1);
    EXPECT_FLOAT_EQ(ps->GetParticles()[1].Position.X, 2);
}

TEST_F(ParticleSystemTest, RemoveMovesTheLastIntoTheGap) {
    auto ps = MakeSystem();
    ps->UpdateMatrices();
    for (int i = 1; i <= 4; ++i) {
        ps->AddParticle(Particle(float(i), 0, 0));
    }
    ps->RemoveParticle(3);  // the last: only shortens
    ASSERT_EQ(ps->Count(), 3);
    EXPECT_FLOAT_EQ(ps->GetParticles()[2].Position.X, 3);
    ps->RemoveParticle(0);  // the last (3) moves into slot 0
    ASSERT_EQ(ps->Count(), 2);
    EXPECT_FLOAT_EQ(ps->GetParticles()[0].Position.X, 3);
    EXPECT_FLOAT_EQ(ps->GetParticles()[1].Position.X, 2);
}

TEST_F(ParticleSystemTest, EmittedParticlesAreInWorldSpaceAndStayThere) {
    auto ps = MakeSystem();
    ps->SetPosition(5, 0, 3);
    ps->UpdateMatrices();
    ps->AddParticle(Particle(0, 1, 0));
    ps->SetPosition(-7, 2, 0);
    ps->UpdateMatrices();
    const TVector3 p = ps->GetParticles()[0].Position;
    EXPECT_FLOAT_EQ(p.X, 5);
    EXPECT_FLOAT_EQ(p.Y, 1);
    EXPECT_FLOAT_EQ(p.Z, 3);
}

TEST_F(ParticleSystemTest, VelocityIsADirectionScaledAndTurnedButNotMoved) {
    auto ps = MakeSystem();
    ps->SetPosition(5, 0, 3);
    ps->SetScale(2, 2, 2);
    ps->SetRotation(0, 90, 0);
    ps->UpdateMatrices();
    TParticle p = Particle(0, 0, 0);
    p.Velocity = Vector3(0, 0.5f, 1);
    ps->AddParticle(p);
    const TVector3 v = ps->GetParticles()[0].Velocity;
    // Turning +z by 90 degrees about +y (left-handed, row vectors) gives +x.
    EXPECT_NEAR(v.X, 2, 1e-6);
    EXPECT_NEAR(v.Y, 1, 1e-6);
    EXPECT_NEAR(v.Z, 0, 1e-6);
}

TEST_F(ParticleSystemTest, FullSystemRefusesMoreParticles) {
    auto ps = MakeSystem(3);
    ps->UpdateMatrices();
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(ps->AddParticle(Particle(0, 0, 0)));
    }
    EXPECT_FALSE(ps->AddParticle(Particle(0, 0, 0)));
    EXPECT_EQ(ps->Count(), 3);
    EXPECT_EQ(ps->GetMaxCount(), 3);
}

TEST_F(ParticleSystemTest, DrawWritesFourCornersAndTwoTrianglesPerParticle) {
    auto ps = MakeSystem();
    ps->UpdateMatrices();
    TParticle a = Particle(1, 2, 3);
    a.Angle = 90;
    a.Size = 0.75f;
    a.Color = {10, 20, 30, 40};
    TParticle b = Particle(-4, 5, -6);
    b.Angle = -45;
    b.Size = 2;
    b.Color = {255, 128, 0, 200};
    ps->AddParticle(a);
    ps->AddParticle(b);
    device->ClearLog();
    ps->Draw();

    const TParticle* source[2] = {&a, &b};
    const uint32_t colors[2] = {0x280A141Eu, 0xC8FF8000u};
    const float u[4] = {0, 1, 1, 0};
    const float v[4] = {0, 0, 1, 1};
    for (int k = 0; k < 2; ++k) {
        for (int j = 0; j < 4; ++j) {
            const TParticleVertex vertex = VertexAt(*ps, k * 4 + j);
            EXPECT_FLOAT_EQ(vertex.X, source[k]->Position.X);
            EXPECT_FLOAT_EQ(vertex.Y, source[k]->Position.Y);
            EXPECT_FLOAT_EQ(vertex.Z, source[k]->Position.Z);
            EXPECT_FLOAT_EQ(vertex.Corner, float(j));
            EXPECT_EQ(vertex.Color, colors[k]) << std::hex << vertex.Color;
            EXPECT_FLOAT_EQ(vertex.U, u[j]);
            EXPECT_FLOAT_EQ(vertex.V, v[j]);
            EXPECT_NEAR(vertex.AngleRadians, source[k]->Angle * M_PI / 180, 1e-6);
            EXPECT_FLOAT_EQ(vertex.Size, source[k]->Size);
        }
        const int expected[6] = {0, 1, 2, 2, 3, 0};
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(IndexAt(*ps, k * 6 + i), k * 4 + expected[i]) << "particle " << k << " index " << i;
        }
    }

    const auto locks = device->FindCalls("LockBuffer");
    ASSERT_EQ(locks.size(), 2u) << device->LogText();
    // LockBuffer(buffer, offset, size, flags)
    EXPECT_EQ(locks[0].Ints[1], 0);
    EXPECT_EQ(locks[0].Ints[2], 2 * 144);
    EXPECT_EQ(locks[0].Ints[3], platform::D3DLOCK_DISCARD);
    EXPECT_EQ(locks[1].Ints[2], 2 * 12);
    EXPECT_EQ(locks[1].Ints[3], platform::D3DLOCK_DISCARD);
    EXPECT_EQ(device->CountCalls("UnlockBuffer"), 2u);

    const auto draws = device->FindCalls("DrawIndexedPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    // DrawIndexedPrimitive(type, base, min, vertices, start, primitives)
    EXPECT_EQ(draws[0].Ints[0], platform::D3DPT_TRIANGLELIST);
    EXPECT_EQ(draws[0].Ints[3], 8);
    EXPECT_EQ(draws[0].Ints[5], 4);
    EXPECT_EQ(device->BoundVertexShader(), vertexShader.Handle());
    EXPECT_EQ(device->BoundPixelShader(), pixelShader.Handle());
    EXPECT_TRUE(vertexShader.Handle());
    EXPECT_EQ(device->BoundTexture(0), texture);
    EXPECT_EQ(device->BoundDeclaration(), ps->GetDeclaration().Handle());
    EXPECT_EQ(device->Stream(0).Buffer, ps->GetVertexBuffer().Handle());
    EXPECT_EQ(device->Stream(0).Stride, 36u);
    EXPECT_EQ(device->BoundIndices(), ps->GetIndexBuffer().Handle());
    EXPECT_EQ(device->BadHandleUses(), 0);
}

TEST(ParticleColor, HalvesRoundToTheEvenNeighbour) {
    EXPECT_EQ(ParticleColorChannel(254.5f), 254);
    EXPECT_EQ(ParticleColorChannel(253.5f), 254);
    EXPECT_EQ(ParticleColorChannel(0.5f), 0);
    EXPECT_EQ(ParticleColorChannel(1.5f), 2);
    EXPECT_EQ(ParticleColorChannel(2.5f), 2);
    EXPECT_EQ(ParticleColorChannel(100.49f), 100);
    EXPECT_EQ(ParticleColorChannel(100.51f), 101);
    EXPECT_EQ(ParticleColorChannel(255.0f), 255);
}

TEST(ParticleColor, OutOfRangeChannelsStayAtTheEnds) {
    EXPECT_EQ(ParticleColorChannel(-3.0f), 0);
    EXPECT_EQ(ParticleColorChannel(-0.4f), 0);
    EXPECT_EQ(ParticleColorChannel(256.0f), 255);
    EXPECT_EQ(ParticleColorChannel(1000.0f), 255);
    EXPECT_EQ(ParticleColorChannel(NAN), 0);
}

TEST(ParticleColor, PacksArgb) {
    EXPECT_EQ(PackParticleColor({21, 226, 234, 255}), 0xFF15E2EAu);
    EXPECT_EQ(PackParticleColor({254.5f, 253.5f, 0.5f, 1.5f}), 0x02FEFE00u);
}

TEST_F(ParticleSystemTest, LostDeviceReleasesBuffersAndResetMakesThemAgain) {
    auto ps = MakeSystem(10);
    ps->UpdateMatrices();
    ps->AddParticle(Particle(0, 0, 0));
    const size_t live = device->LiveBuffers();
    ps->OnLostDevice();
    EXPECT_EQ(device->LiveBuffers(), live - 2);
    device->ClearLog();
    ps->Draw();
    EXPECT_EQ(device->DrawCallCount(), 0u);
    ps->OnResetDevice();
    EXPECT_EQ(device->LiveBuffers(), live);
    EXPECT_EQ(device->Buffer(ps->GetVertexBuffer().Handle())->Bytes.size(), 10u * 144u);
    EXPECT_EQ(device->Buffer(ps->GetIndexBuffer().Handle())->Bytes.size(), 10u * 12u);
    ps->Draw();
    EXPECT_EQ(device->DrawCallCount(), 1u);
    EXPECT_EQ(device->BadHandleUses(), 0);
}

TEST_F(ParticleSystemTest, DestroyingFreesBuffersAndDeclaration) {
    const size_t buffers = device->LiveBuffers();
    const size_t declarations = device->LiveDeclarations();
    {
        auto ps = MakeSystem();
        EXPECT_EQ(device->LiveBuffers(), buffers + 2);
        EXPECT_EQ(device->LiveDeclarations(), declarations + 1);
    }
    EXPECT_EQ(device->LiveBuffers(), buffers);
    EXPECT_EQ(device->LiveDeclarations(), declarations);
    EXPECT_EQ(device->BadHandleUses(), 0);
}

TEST_F(ParticleSystemTest, CapacityIsKeptWithinSixteenBitIndices) {
    auto ps = MakeSystem(100000);
    EXPECT_EQ(ps->GetMaxCount(), TParticleSystem::kMaxCapacity);
    EXPECT_LE(ps->GetMaxCount() * 4, 65536);
}

TEST_F(ParticleSystemTest, SystemsThatDrawAlikeShareOneCallInOrderUntilOneDiffers) {
    auto a = MakeSystem(4);
    auto b = MakeSystem();
    auto empty = std::make_unique<TParticleSystem>(render, platform::TextureHandle{}, nullptr, nullptr, 10);
    auto c = MakeSystem();
    auto otherTexture =
        std::make_unique<TParticleSystem>(render, platform::TextureHandle{}, &vertexShader, &pixelShader, 10);
    for (TParticleSystem* s : {a.get(), b.get(), c.get(), otherTexture.get()}) {
        s->UpdateMatrices();
    }
    a->AddParticle(Particle(1, 0, 0));
    b->AddParticle(Particle(2, 0, 0));
    b->AddParticle(Particle(3, 0, 0));
    c->AddParticle(Particle(4, 0, 0));
    otherTexture->AddParticle(Particle(5, 0, 0));
    const std::vector<TSceneEffect*> effects = {a.get(), b.get(), empty.get(), c.get(), otherTexture.get()};

    // a's buffers hold four: b, the empty one and c come along; the other texture stops the run.
    EXPECT_EQ(a->DrawWithFollowing(effects, 1), 3u);
    const auto draws = device->FindCalls("DrawIndexedPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].Ints[3], 16);
    EXPECT_EQ(draws[0].Ints[5], 8);
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(VertexAt(*a, k * 4).X, static_cast<float>(k + 1));
        EXPECT_EQ(IndexAt(*a, k * 6), k * 4);
    }

    // Past a's capacity the run ends before the system that does not fit.
    c->AddParticle(Particle(6, 0, 0));
    EXPECT_EQ(a->DrawWithFollowing(effects, 1), 2u);
    EXPECT_EQ(otherTexture->DrawWithFollowing(effects, 5), 0u);
    EXPECT_EQ(device->FindCalls("DrawIndexedPrimitive").size(), 3u);
}
