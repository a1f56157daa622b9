// TMeshDraw: a TMesh with its GPU side. For every mesh part a vertex declaration and a vertex buffer;
// for every subset a 16-bit index buffer and a TMaterial (whose texture the texture manager attaches).
//
// Vertex layout of a part, each element only when the part has the data: position FLOAT3, normal
// FLOAT3, texture coordinate 0 FLOAT2, then for skinned parts blend weights FLOAT4 and blend indices
// FLOAT4 (bone numbers as floats; 255.0 with weight 0 in a free slot).
//
// Buffers are created with the mesh's Usage and Pool. Meshes in the default pool give their device
// buffers back before a device reset (ReleaseDeviceBuffers) and fill them again after it
// (RestoreDeviceBuffers). A part without vertices or a subset without triangles gets no device
// buffer (its wrapper has no handle); such a subset has nothing to draw.
//
// The mesh holds its device slot, not the device: it must not outlive the renderer.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "models/GE_MATERIAL.h"
#include "models/Mesh.h"
#include "render/GE_D3D9.h"

// The GPU side of one mesh part.
struct TMeshContainer_D3D {
    std::unique_ptr<TVertexDeclaration> Declaration;
    std::unique_ptr<TVertexBuffer> VertexBuffer;
    std::vector<std::unique_ptr<TIndexBuffer>> IndexBuffers;  // one per subset
    std::vector<TMaterial> Materials;                         // one per subset
};

class TMeshDraw : public TMesh {
public:
    // Usage D3DUSAGE_WRITEONLY, pool D3DPOOL_MANAGED until set.
    explicit TMeshDraw(TDeviceRef deviceRef);
    ~TMeshDraw() override;

    // Set before building.
    void SetUsage(uint32_t usage) { Usage = usage; }
    void SetPool(uint32_t pool) { Pool = pool; }
    uint32_t GetPool() const { return Pool; }
    uint32_t GetUsage() const { return Usage; }

    // Frees the declarations and vertex buffers, then builds a declaration and a filled vertex buffer
    // for every part.
    void BuildVertexBuffers();
    void FillVertexBuffer(int part);
    // Frees the index buffers, then builds a filled index buffer for every subset.
    void BuildIndexBuffers();
    void FillIndexBuffer(int part, int subset);
    // A TMaterial for every subset from its material record, no texture.
    void BuildMaterials();
    // Stores the texture in the subset's TMaterial (creating the GPU parts and materials when missing).
    // Indices out of range do nothing.
    void SetSubsetTexture(int part, int subset, TTextureResource* texture);

    // nullptr for indices out of range or before building.
    TIndexBuffer* GetIndexBuffer(int part, int subset) const;
    TMeshContainer_D3D* GetPart(int part);
    const TMeshContainer_D3D* GetPart(int part) const;
    const TMaterial* GetMaterial(int part, int subset) const;
    // The draw call of one subset: the part's declaration and vertex buffer, the subset's index buffer,
    // the part's vertex count, the subset's triangle count and its material's texture. False (and `op`
    // unchanged) for indices out of range or before building.
    bool GetRenderOperation(int part, int subset, TRenderOperation& op) const;

    // Before a device reset: every vertex and index buffer gives its device buffer back.
    void ReleaseDeviceBuffers();
    // After the reset: every buffer is created and filled again.
    void RestoreDeviceBuffers();

    // Frees the GPU parts, then the mesh data.
    void Clear() override;

    TDeviceRef DeviceRef;
    std::vector<TMeshContainer_D3D> Parts;  // one per mesh part once built
    uint32_t Usage;
    uint32_t Pool;

private:
    // Parts sized to the mesh parts, each with its materials sized to its subsets.
    void EnsureParts();
};
