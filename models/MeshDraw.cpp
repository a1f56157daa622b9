#include "models/MeshDraw.h"

#include "models/GE_ResourceManager.h"
#include "util/GE_UTILS.h"
#include "util/Log.h"

using platform::D3DLOCK_DISCARD;

TMeshDraw::TMeshDraw(TDeviceRef deviceRef)
    : DeviceRef(deviceRef), Usage(platform::D3DUSAGE_WRITEONLY), Pool(platform::D3DPOOL_MANAGED) {}

TMeshDraw::~TMeshDraw() = default;

void TMeshDraw::EnsureParts() {
    Parts.resize(MeshParts.size());
    for (size_t p = 0; p < MeshParts.size(); ++p) {
        Parts[p].Materials.resize(MeshParts[p].Subsets.size());
    }
}

void TMeshDraw::BuildVertexBuffers() {
    for (TMeshContainer_D3D& gpu : Parts) {
        gpu.VertexBuffer.reset();
        gpu.Declaration.reset();
    }
    EnsureParts();
    for (size_t p = 0; p < MeshParts.size(); ++p) {
        const TMeshPart& part = MeshParts[p];
        TMeshContainer_D3D& gpu = Parts[p];
        gpu.Declaration = std::make_unique<TVertexDeclaration>(DeviceRef);
        gpu.Declaration->AddElement(0, 2);
        if (!part.Normals.empty()) {
            gpu.Declaration->AddElement(1, 2);
        }
        if (!part.TexCoords.empty()) {
            gpu.Declaration->AddElement(2, 1);
        }
        if (part.IsSkinned()) {
            gpu.Declaration->AddElement(5, 3);
            gpu.Declaration->AddElement(6, 3);
        }
        gpu.Declaration->EndDeclaration();
        gpu.Declaration->Build();
        gpu.VertexBuffer = std::make_unique<TVertexBuffer>(DeviceRef);
        FillVertexBuffer(static_cast<int>(p));
    }
}

void TMeshDraw::FillVertexBuffer(int partIndex) {
    TMeshContainer_D3D* gpu = GetPart(partIndex);
    if (gpu == nullptr || !gpu->Declaration || !gpu->VertexBuffer ||
        static_cast<size_t>(partIndex) >= MeshParts.size()) {
        return;
    }
    const TMeshPart& part = MeshParts[partIndex];
    const uint32_t stride = gpu->Declaration->GetStride();
    const uint32_t count = part.VertexCount;
    const uint32_t size = stride * count;
    TVertexBuffer& buffer = *gpu->VertexBuffer;
    if (size == 0) {
        buffer.ReleaseBuffer();
        return;
    }
    if (!buffer.CreateBuffer(size, Usage, Pool) || buffer.Lock(0, size, D3DLOCK_DISCARD) == nullptr) {
        logging::Write("models", QuotePathForMessage(FileName) + ": no vertex buffer for part " +
                                     QuoteForMessage(part.Name));
        return;
    }
    const TVertexDeclaration& layout = *gpu->Declaration;
    buffer.WriteStrided(part.Positions.data(), stride, count, 0, layout.ElementOffset(0, 0),
                        sizeof(TVector3));
    if (!part.Normals.empty()) {
        buffer.WriteStrided(part.Normals.data(), stride, count, 0, layout.ElementOffset(1, 0),
                            sizeof(TVector3));
    }
    if (!part.TexCoords.empty()) {
        buffer.WriteStrided(part.TexCoords.data(), stride, count, 0, layout.ElementOffset(2, 0),
                            sizeof(TVector2));
    }
    if (part.IsSkinned()) {
        buffer.WriteStrided(part.BlendWeights.data(), stride, count, 0, layout.ElementOffset(5, 0),
                            sizeof(TVector4));
        buffer.WriteStrided(part.BlendIndices.data(), stride, count, 0, layout.ElementOffset(6, 0),
                            sizeof(TVector4));
    }
    buffer.Unlock();
}

void TMeshDraw::BuildIndexBuffers() {
    for (TMeshContainer_D3D& gpu : Parts) {
        gpu.IndexBuffers.clear();
    }
    EnsureParts();
    for (size_t p = 0; p < MeshParts.size(); ++p) {
        for (size_t s = 0; s < MeshParts[p].Subsets.size(); ++s) {
            Parts[p].IndexBuffers.push_back(std::make_unique<TIndexBuffer>(DeviceRef));
            FillIndexBuffer(static_cast<int>(p), static_cast<int>(s));
        }
    }
}

void TMeshDraw::FillIndexBuffer(int partIndex, int subsetIndex) {
    TIndexBuffer* buffer = GetIndexBuffer(partIndex, subsetIndex);
    if (buffer == nullptr || static_cast<size_t>(partIndex) >= MeshParts.size() ||
        static_cast<size_t>(subsetIndex) >= MeshParts[partIndex].Subsets.size()) {
        return;
    }
    const TSubset& subset = MeshParts[partIndex].Subsets[subsetIndex];
    const uint32_t size = subset.IndexCount() * 2;
    if (size == 0) {
        buffer->ReleaseBuffer();
        return;
    }
    if (!buffer->CreateBuffer(size, Usage, Pool) || buffer->Lock(0, size, D3DLOCK_DISCARD) == nullptr) {
        logging::Write("models", QuotePathForMessage(FileName) + ": no index buffer for part " +
                                     QuoteForMessage(MeshParts[partIndex].Name));
        return;
    }
    buffer->Write(subset.Indices.data(), 0, size);
    buffer->Unlock();
}

void TMeshDraw::BuildMaterials() {
    EnsureParts();
    for (size_t p = 0; p < MeshParts.size(); ++p) {
        for (size_t s = 0; s < MeshParts[p].Subsets.size(); ++s) {
            Parts[p].Materials[s] = BuildMaterial(MeshParts[p].Subsets[s].Material);
        }
    }
}

void TMeshDraw::SetSubsetTexture(int part, int subset, TTextureResource* texture) {
    if (part < 0 || static_cast<size_t>(part) >= MeshParts.size() || subset < 0 ||
        static_cast<size_t>(subset) >= MeshParts[part].Subsets.size()) {
        return;
    }
    if (Parts.size() != MeshParts.size() || Parts[part].Materials.size() != MeshParts[part].Subsets.size()) {
        EnsureParts();
    }
    Parts[part].Materials[subset].Texture = texture;
}

TMeshContainer_D3D* TMeshDraw::GetPart(int part) {
    return part >= 0 && static_cast<size_t>(part) < Parts.size() ? &Parts[part] : nullptr;
}

const TMeshContainer_D3D* TMeshDraw::GetPart(int part) const {
    return part >= 0 && static_cast<size_t>(part) < Parts.size() ? &Parts[part] : nullptr;
}

TIndexBuffer* TMeshDraw::GetIndexBuffer(int part, int subset) const {
    const TMeshContainer_D3D* gpu = GetPart(part);
    if (gpu == nullptr || subset < 0 || static_cast<size_t>(subset) >= gpu->IndexBuffers.size()) {
        return nullptr;
    }
    return gpu->IndexBuffers[subset].get();
}

const TMaterial* TMeshDraw::GetMaterial(int part, int subset) const {
    const TMeshContainer_D3D* gpu = GetPart(part);
    if (gpu == nullptr || subset < 0 || static_cast<size_t>(subset) >= gpu->Materials.size()) {
        return nullptr;
    }
    return &gpu->Materials[subset];
}

bool TMeshDraw::GetRenderOperation(int part, int subset, TRenderOperation& op) const {
    const TMeshContainer_D3D* gpu = GetPart(part);
    TIndexBuffer* indices = GetIndexBuffer(part, subset);
    if (gpu == nullptr || indices == nullptr || !gpu->Declaration || !gpu->VertexBuffer) {
        return false;
    }
    const TMaterial* material = GetMaterial(part, subset);
    op.Declaration = gpu->Declaration.get();
    op.VertexBuffer = gpu->VertexBuffer.get();
    op.IndexBuffer = indices;
    op.NumVertices = GetVertexCount(part);
    op.PrimitiveCount = static_cast<int32_t>(GetTriangleCount(part, subset));
    op.Texture = material != nullptr && material->Texture != nullptr ? material->Texture->Texture.Get()
                                                                     : platform::TextureHandle{};
    return true;
}

void TMeshDraw::ReleaseDeviceBuffers() {
    for (TMeshContainer_D3D& gpu : Parts) {
        if (gpu.VertexBuffer) {
            gpu.VertexBuffer->ReleaseHandle();
        }
        for (auto& indices : gpu.IndexBuffers) {
            indices->ReleaseHandle();
        }
    }
}

void TMeshDraw::RestoreDeviceBuffers() {
    for (size_t p = 0; p < Parts.size(); ++p) {
        FillVertexBuffer(static_cast<int>(p));
        for (size_t s = 0; s < Parts[p].IndexBuffers.size(); ++s) {
            FillIndexBuffer(static_cast<int>(p), static_cast<int>(s));
        }
    }
}

void TMeshDraw::Clear() {
    Parts.clear();
    TMesh::Clear();
}
