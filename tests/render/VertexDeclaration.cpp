#include "render/VertexDeclaration.h"

#include "RenderTestSupport.h"

using namespace platform;
using render_test::RendererFixture;

namespace {

using Declaration = RendererFixture;

void ExpectElement(const VertexElement& e, uint16_t offset, uint8_t type, uint8_t usage, uint8_t index) {
    EXPECT_EQ(e.Stream, 0);
    EXPECT_EQ(e.Offset, offset);
    EXPECT_EQ(e.Type, type);
    EXPECT_EQ(e.Method, D3DDECLMETHOD_DEFAULT);
    EXPECT_EQ(e.Usage, usage);
    EXPECT_EQ(e.UsageIndex, index);
}

}  // namespace

TEST(DeclarationMaps, UsageAndTypeCodes) {
    const uint8_t usages[] = {D3DDECLUSAGE_POSITION,     D3DDECLUSAGE_NORMAL,  D3DDECLUSAGE_TEXCOORD,
                              D3DDECLUSAGE_BINORMAL,     D3DDECLUSAGE_TANGENT, D3DDECLUSAGE_BLENDWEIGHT,
                              D3DDECLUSAGE_BLENDINDICES, D3DDECLUSAGE_COLOR};
    for (uint8_t code = 0; code < 8; ++code)
        EXPECT_EQ(MapDeclarationUsage(code), usages[code]) << int(code);
    EXPECT_EQ(MapDeclarationUsage(8), D3DDECLUSAGE_POSITION);
    const uint8_t types[] = {D3DDECLTYPE_FLOAT1, D3DDECLTYPE_FLOAT2, D3DDECLTYPE_FLOAT3, D3DDECLTYPE_FLOAT4,
                             D3DDECLTYPE_D3DCOLOR};
    const uint8_t sizes[] = {4, 8, 12, 16, 4};
    for (uint8_t code = 0; code < 5; ++code) {
        EXPECT_EQ(MapDeclarationType(code), types[code]);
        EXPECT_EQ(DeclarationTypeSize(code), sizes[code]);
    }
    EXPECT_EQ(MapDeclarationType(5), 0);
    EXPECT_EQ(DeclarationTypeSize(5), 0);
}

TEST_F(Declaration, MeshLayoutOffsetsAndStride) {
    TVertexDeclaration d(render.Device());
    d.AddElement(0, 2);
    d.AddElement(1, 2);
    d.AddElement(2, 1);
    EXPECT_EQ(d.GetStride(), 32);
    ASSERT_EQ(d.Count(), 3);
    ExpectElement(d.Elements()[0], 0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0);
    ExpectElement(d.Elements()[1], 12, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0);
    ExpectElement(d.Elements()[2], 24, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 0);
    EXPECT_EQ(d.ElementOffset(2, 0), 24);
    EXPECT_EQ(d.ElementOffset(1, 0), 12);
}

TEST_F(Declaration, EndMarkerKeepsStrideAndBuildPassesTheElements) {
    TVertexDeclaration d(render.Device());
    d.AddElement(0, 2);
    d.AddElement(7, 4);
    d.AddElement(2, 1);
    d.EndDeclaration();
    EXPECT_EQ(d.GetStride(), 24);
    EXPECT_EQ(d.Count(), 4);
    d.Build();
    ASSERT_TRUE(d.Handle());
    const auto* built = device->Declaration(d.Handle());
    ASSERT_NE(built, nullptr);
    ASSERT_EQ(built->size(), 4u);
    ExpectElement((*built)[1], 12, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0);
    EXPECT_TRUE(IsDeclarationEnd((*built)[3]));
    EXPECT_EQ((*built)[3].Type, D3DDECLTYPE_UNUSED);
}

TEST_F(Declaration, TwoTextureCoordinatesGetIndicesZeroAndOne) {
    TVertexDeclaration d(render.Device());
    d.AddElement(0, 3);
    d.AddElement(7, 4);
    d.AddElement(2, 1);
    d.AddElement(2, 1);
    EXPECT_EQ(d.GetStride(), 36);
    ExpectElement(d.Elements()[2], 20, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 0);
    ExpectElement(d.Elements()[3], 28, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 1);
    EXPECT_EQ(d.ElementOffset(2, 1), 28);
    EXPECT_EQ(d.UsageCounter(2), 2);
}

TEST_F(Declaration, AbsentUsageGivesOffsetZero) {
    TVertexDeclaration d(render.Device());
    d.AddElement(1, 2);
    d.AddElement(2, 1);
    d.EndDeclaration();
    EXPECT_EQ(d.ElementOffset(5, 0), 0);
    EXPECT_EQ(d.ElementOffset(2, 1), 0);
    // The end marker reads as usage 0, index 0; it must not answer for a position.
    EXPECT_EQ(d.ElementOffset(0, 0), 0);
    TVertexDeclaration empty(render.Device());
    EXPECT_EQ(empty.ElementOffset(0, 0), 0);
}

TEST_F(Declaration, CopyFromThenOneMoreElementForInstancing) {
    TVertexDeclaration part(render.Device());
    part.AddElement(0, 2);
    part.AddElement(1, 2);
    part.AddElement(2, 1);
    part.EndDeclaration();
    part.Build();
    TRenderOperation op;
    op.Declaration = &part;

    TVertexDeclaration instanced(render.Device());
    instanced.CopyFrom(op);
    EXPECT_EQ(instanced.Count(), 3);
    EXPECT_FALSE(instanced.Handle());
    instanced.AddElement(6, 0);
    instanced.EndDeclaration();
    instanced.Build();
    EXPECT_EQ(instanced.GetStride(), 36);
    ASSERT_EQ(instanced.Count(), 5);
    ExpectElement(instanced.Elements()[3], 32, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_BLENDINDICES, 0);
    EXPECT_EQ(AttributeLocation(instanced.Elements()[3].Usage, instanced.Elements()[3].UsageIndex), 5);
    EXPECT_NE(instanced.Handle(), part.Handle());
    EXPECT_EQ(device->LiveDeclarations(), 2u);
}

TEST_F(Declaration, CopyFromKeepsUsageCounters) {
    // A skinned part already uses blend indices 0, so the instance number becomes blend indices 1.
    TVertexDeclaration part(render.Device());
    part.AddElement(0, 2);
    part.AddElement(5, 3);
    part.AddElement(6, 3);
    part.EndDeclaration();
    TRenderOperation op;
    op.Declaration = &part;
    TVertexDeclaration copy(render.Device());
    copy.CopyFrom(op);
    copy.AddElement(6, 0);
    EXPECT_EQ(copy.Elements().back().UsageIndex, 1);
    EXPECT_EQ(copy.Elements().back().Offset, 44);
}

TEST_F(Declaration, CopyFromADeclarationThatWasNeverEndedCopiesEverything) {
    TVertexDeclaration part(render.Device());
    part.AddElement(0, 2);
    part.AddElement(2, 1);
    TRenderOperation op;
    op.Declaration = &part;
    TVertexDeclaration copy(render.Device());
    copy.CopyFrom(op);
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.GetStride(), 20);

    TVertexDeclaration empty(render.Device());
    op.Declaration = &empty;
    copy.CopyFrom(op);
    EXPECT_EQ(copy.Count(), 0);
    EXPECT_EQ(copy.GetStride(), 0);
    op.Declaration = nullptr;
    copy.CopyFrom(op);
    EXPECT_EQ(copy.Count(), 0);
}

TEST_F(Declaration, BuildWithoutEndMarkerStillEndsTheLayout) {
    TVertexDeclaration d(render.Device());
    d.AddElement(0, 2);
    d.Build();
    const auto* built = device->Declaration(d.Handle());
    ASSERT_NE(built, nullptr);
    ASSERT_EQ(built->size(), 2u);
    EXPECT_TRUE(IsDeclarationEnd(built->back()));
    EXPECT_EQ(d.Count(), 1);
}

TEST_F(Declaration, UnknownCodesAddNoRoomAndNeverRepeatAUsageIndex) {
    TVertexDeclaration d(render.Device());
    d.AddElement(0, 2);
    d.AddElement(1, 9);  // unknown type: a one-float element that takes no room
    EXPECT_EQ(d.GetStride(), 12);
    EXPECT_EQ(d.Elements()[1].Offset, 12);
    EXPECT_EQ(d.Elements()[1].Type, D3DDECLTYPE_FLOAT1);
    d.AddElement(12, 1);  // unknown usage: declared as a position, with the next position index
    EXPECT_EQ(d.Elements()[2].Usage, D3DDECLUSAGE_POSITION);
    EXPECT_EQ(d.Elements()[2].UsageIndex, 1);
    EXPECT_EQ(d.GetStride(), 20);
}

TEST_F(Declaration, ClearAndRebuildReleaseTheOldHandle) {
    TVertexDeclaration d(render.Device());
    d.AddElement(0, 2);
    d.EndDeclaration();
    d.Build();
    platform::DeclarationHandle first = d.Handle();
    d.Build();
    EXPECT_EQ(device->Declaration(first), nullptr);
    EXPECT_EQ(device->LiveDeclarations(), 1u);
    d.Clear();
    EXPECT_FALSE(d.Handle());
    EXPECT_EQ(d.Count(), 0);
    EXPECT_EQ(d.GetStride(), 0);
    EXPECT_EQ(d.UsageCounter(0), 0);
    EXPECT_EQ(device->LiveDeclarations(), 0u);
    EXPECT_EQ(device->BadHandleUses(), 0);
}

TEST_F(Declaration, TooLargeALayoutIsRefused) {
    render_test::LogCapture log;
    TVertexDeclaration d(render.Device());
    for (int i = 0; i < 16; ++i)
        d.AddElement(2, 3);  // 256 bytes would not fit the byte stride
    EXPECT_EQ(d.Count(), 15);
    EXPECT_EQ(d.GetStride(), 240);
    EXPECT_FALSE(log.Lines().empty());
}
