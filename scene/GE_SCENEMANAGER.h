// TSceneManager owns the scene tree, the camera and the frustum, and runs a frame's two passes:
//
// Update (deltaMs): refreshes every node's matrices from last frame's positions, then calls Update on
//   every node of the tree in post-order (children before their parent). Nodes created during the pass
//   get their first Update next frame. A node may remove itself (or delete another) during the pass:
//   removed nodes are skipped and freed when the pass ends.
// Render: culls game objects against the view frustum, sorts what is visible and draws it: skinned
//   objects, opaque subsets (repeated small subsets in instanced batches of up to 170 copies per draw
//   call, the rest one by one), transparent subsets back to front (back faces, then front faces), then
//   every particle effect of the tree (never culled) with depth writes off, effects next to each other
//   in tree order that draw alike (same texture and shaders) in one call.
//
// Vertex-shader constants (each matrix transposed, 4 registers per matrix):
//   c0-c3      item world * view * projection (static and transparent draws, skinned objects)
//   c0         (A, B, 0, 0) with the projection's clip z = A * clip w + B, then from c1 three rows of
//              each copy's transposed world * view * projection (clip x, y and w): copy n in
//              c(1 + 3n) .. c(3 + 3n) (instanced draws; only under such a perspective projection)
//   c4..       the bone palette (skinned objects)
//   c0-c3      view * projection, and c4-c7 the inverse of the view rotation (particle effects)
//
// The renderer and the meshes must outlive the manager; the manager owns the tree.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/GE_D3D9.h"
#include "scene/GE_CAMERA.h"
#include "scene/GE_FRUSTUM.h"
#include "scene/GE_GAMEOBJECT.h"
#include "scene/GE_MOVEABLEOBJECT.h"
#include "scene/SceneEffect.h"
#include "scene/StaticFloor.h"
#include "util/Files.h"

struct TMaterial;

// One visible mesh subset of one object, for one frame.
struct TRenderItem {
    TRenderOperation Operation;
    const TMaterial* Material = nullptr;
    TMatrix Matrix;           // the part's frame matrix * the object's WorldMatrix
    uintptr_t VertexKey = 0;  // first sort key: the vertex buffer's address
    uintptr_t IndexKey = 0;   // second sort key: the index buffer's address
    float Distance = 0.0f;    // from the camera position to the item's centre
    bool Floor = false;       // its part has no vertex above its origin: ground or water
    float Height = 0.0f;      // world y of the item's centre
};

class TSceneManager {
public:
    // Most copies one instanced draw call takes (c1-c510 hold 170 copies of 3 registers).
    static constexpr int32_t kMaxInstances = 170;
    // Subsets of this many triangles or more are never instanced.
    static constexpr int32_t kInstanceTriangleLimit = 300;

    // Creates the camera "camera" (pi/4, aspect 1, 1..1000, rotation (45, 0, 0), position (0, 15, -15)),
    // the frustum and the (empty) instance buffers. The four shaders are read from `root` on the first
    // Render, the tree's root is made on the first GetRoot.
    TSceneManager(TRenderD3D9& device, const files::TDataRoot& root);
    ~TSceneManager();
    TSceneManager(const TSceneManager&) = delete;
    TSceneManager& operator=(const TSceneManager&) = delete;

    TCamera* GetCamera() { return Camera.get(); }
    TFrustum* GetFrustum() { return Frustum.get(); }
    // The node "Root", created when there is none yet.
    TMoveableObject* GetRoot();

    // The update pass; deltaMs in whole milliseconds.
    void Update(int32_t deltaMs);
    // The draw pass.
    void Render();

    // Around a device reset: every particle effect of the tree gives back, then re-creates, its
    // default-pool buffers (and so do the manager's instance buffers).
    void ReleaseDeviceObjects();
    void RestoreDeviceObjects();

    // Sorts opaque items by (vertex key, index key, distance) ascending: a top-down merge sort split at
    // count / 2; on a full tie the item of the second half comes first.
    static void SortItems(std::vector<TRenderItem>& items);
    // The same with a scratch list the caller keeps (no allocation once it is large enough).
    static void SortItems(std::vector<TRenderItem>& items, std::vector<TRenderItem>& scratch);

    // Instanced batches on (the default) or off: off draws every opaque item on its own, which tools use
    // to check that both paths give the same picture.
    void SetInstancing(bool enabled) { Instancing = enabled; }
    bool GetInstancing() const { return Instancing; }
    // Static floor tiles baked into chunks (the default, under a perspective projection with instancing
    // on) or drawn as any other object: tools check that both give the same picture.
    void SetFloorBaking(bool enabled) { FloorBaking = enabled; }
    const TStaticFloor& GetStaticFloor() const { return *Floor; }
    // Draw calls of the last Render: the manager's own, plus one per run of particle effects drawn
    // together.
    int32_t GetDrawCallCount() const { return DrawCalls; }

    // What the last Render collected, in drawing order (for tests and tools).
    const std::vector<TGameObject*>& GetSkinnedObjects() const { return SkinnedObjects; }
    const std::vector<TRenderItem>& GetOpaqueItems() const { return OpaqueItems; }
    const std::vector<TRenderItem>& GetTransparentItems() const { return TransparentItems; }
    const std::vector<TSceneEffect*>& GetParticleSystems() const { return ParticleSystems; }

private:
    void CollectVisible();
    void DrawFloorLast();
    void CollectGameObject(TGameObject* object, const TVector3& cameraPosition);
    // Fills `item` from one subset of the object's mesh; false when the mesh has no such subset.
    bool FillRenderItem(TGameObject* object, int part, int subset, TRenderItem& item) const;
    // Every subset of the object's mesh, each with part * world in Matrix.
    void CollectSubsets(TGameObject* object, std::vector<TRenderItem>& items) const;
    // c0 and the rows of `n` copies for the instanced vertex shader.
    void SetCopyConstants(const TMatrix* copies, int32_t n);
    void DrawSkinned();
    void DrawOpaque();
    void DrawOpaqueRange(size_t first, size_t end);
    // Re-bakes the floor when its tiles are not those it was baked from.
    void BakeFloor();
    // The floor's chunks in view, near to far.
    void DrawFloorChunks();
    void DrawInstancedRun(size_t first, size_t count, int32_t copiesPerCall);
    void DrawStaticRun(size_t first, size_t count);
    void DrawTransparent();
    void DrawParticles();
    void Draw(const TRenderOperation& op);
    // item matrix * view * projection into c0-c3.
    void SetItemMatrix(const TMatrix& matrix);
    // The replicated geometry of a subset, at least `copies` copies of it: kept from the frame before
    // while its source is unchanged and it holds enough copies, else (re)built. nullptr when the source
    // cannot be read.
    struct TInstanceGeometry;
    TInstanceGeometry* InstanceGeometryFor(const TRenderItem& source, int32_t copies);
    bool BuildInstanceGeometry(const TRenderItem& source, int32_t copies, TInstanceGeometry& geometry);
    // Gives back the replicated geometry of subsets this pass did not draw.
    void DropUnusedInstanceGeometry();

    void LoadShaders();

    TRenderD3D9& Device;
    files::TDataRoot ShaderRoot;
    std::unique_ptr<TMoveableObject> Root;
    std::vector<TMoveableObject*> Objects;
    std::unique_ptr<TCamera> Camera;
    std::unique_ptr<TFrustum> Frustum;
    std::unique_ptr<TVertexShader> StaticShader;
    std::unique_ptr<TVertexShader> SkinnedShader;
    std::unique_ptr<TVertexShader> InstanceShader;
    std::unique_ptr<TPixelShader> TexturePixelShader;
    // Replicated geometry, one entry per instanced subset on screen. It only changes when the subset's
    // buffers do, so it stays from frame to frame instead of being built and uploaded for every run.
    struct TInstanceGeometry {
        platform::VertexBufferHandle SourceVertices;
        platform::IndexBufferHandle SourceIndices;
        uint32_t SourceVertexVersion = 0;
        uint32_t SourceIndexVersion = 0;
        platform::DeclarationHandle SourceDeclaration;
        int32_t Copies = 0;
        bool Drawn = false;  // in this pass
        std::unique_ptr<TVertexBuffer> Vertices;
        std::unique_ptr<TIndexBuffer> Indices;
        std::unique_ptr<TVertexDeclaration> Declaration;
    };
    std::vector<TInstanceGeometry> InstanceGeometry;
    uint16_t InstancesLeft = 0;
    TRenderOperation Batch;
    std::vector<TGameObject*> SkinnedObjects;
    std::vector<TRenderItem> OpaqueItems;
    std::vector<TRenderItem> TransparentItems;
    std::vector<TSceneEffect*> ParticleSystems;

    bool Instancing = true;
    bool FloorBaking = true;
    std::unique_ptr<TStaticFloor> Floor;
    std::vector<TGameObject*> FloorTiles;  // this pass's static floor objects
    uint64_t FloorSignature = 0;           // of the tiles the floor was baked from (0: none)
    float FloorHeight = 0.0f;              // the lowest of the tiles' origins
    std::vector<std::pair<float, size_t>> VisibleChunks;
    // Flat floor items under the baked floor, drawn cut (the water); dropped when not drawn in a pass.
    std::vector<std::unique_ptr<TFloorCut>> Cuts;
    void CutUnderFloor();
    int32_t DrawCalls = 0;

    // Per draw pass.
    TMatrix View;
    TMatrix Projection;
    TMatrix ViewProjection;
    bool DepthFollowsW = false;  // clip z = DepthFromW[0] * clip w + DepthFromW[1] under Projection
    float DepthFromW[2] = {0.0f, 0.0f};
    std::vector<TRenderItem> SortScratch;
    std::vector<float> InstanceConstants;
    std::vector<TMatrix> CopyScratch;
    std::vector<TRenderItem> SubsetScratch;
};
