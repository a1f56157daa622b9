#include "scene/GE_SCENEMANAGER.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "models/GE_MODEL.h"
#include "models/GE_ResourceManager.h"
#include "scene/InstanceGeometry.h"

namespace {

// --- what the manager reads of a mesh entry ---

TMeshDraw* MeshOf(const TGameObject* object) {
    TMeshResource* resource = object->GetMesh();
    return resource != nullptr ? resource->Mesh.get() : nullptr;
}

platform::TextureHandle TextureOf(const TMaterial* material) {
    return material != nullptr && material->Texture != nullptr ? material->Texture->Texture.Get()
                                                               : platform::TextureHandle{};
}

float LargestScale(const TMoveableObject* object) {
    const TVector3 s = object->GetScale();
    return std::max(s.X, std::max(s.Y, s.Z));
}

TVector3 TranslationOf(const TMatrix& m) {
    return Vector3(m._41, m._42, m._43);
}

// The same matrix, transposed for the constant registers.
TMatrix ForShader(const TMatrix& m) {
    return MatrixTranspose(m);
}

constexpr uint32_t kInstanceUsage = platform::D3DUSAGE_DYNAMIC | platform::D3DUSAGE_WRITEONLY;

// Engine usage code of the blend indices and type code of one float (the copy number).
constexpr uint8_t kUsageBlendIndices = 6;
constexpr uint8_t kTypeFloat1 = 0;

// Registers the skinning palette may use after c0-c3.
constexpr int32_t kMaxPaletteBones = (256 - 4) / 4;

}  // namespace

TSceneManager::TSceneManager(TRenderD3D9& device, const files::TDataRoot& root)
    : Device(device), ShaderRoot(root) {
    Camera = std::make_unique<TCamera>("camera", 1);
    Camera->SetProjection(static_cast<float>(kPi / 4), 1.0f, 1.0f, 1000.0f);
    Camera->SetRotation(45.0f, 0.0f, 0.0f);
    Camera->SetPosition(0.0f, 15.0f, -15.0f);
    Frustum = std::make_unique<TFrustum>();
    Floor = std::make_unique<TStaticFloor>(device);
}

void TSceneManager::LoadShaders() {
    StaticShader = std::make_unique<TVertexShader>();
    StaticShader->LoadFromFileOrLog(ShaderRoot, Device.Device(), "Data/Shaders/Static.vs");
    SkinnedShader = std::make_unique<TVertexShader>();
    SkinnedShader->LoadFromFileOrLog(ShaderRoot, Device.Device(), "Data/Shaders/Skinned.vs");
    InstanceShader = std::make_unique<TVertexShader>();
    InstanceShader->LoadFromFileOrLog(ShaderRoot, Device.Device(), "Data/Shaders/Instance.vs");
    TexturePixelShader = std::make_unique<TPixelShader>();
    TexturePixelShader->LoadFromFileOrLog(ShaderRoot, Device.Device(), "Data/Shaders/OnlyTex.ps");
}

TSceneManager::~TSceneManager() {
    InstanceGeometry.clear();
    Cuts.clear();
    Floor.reset();
    SkinnedObjects.clear();
    OpaqueItems.clear();
    TransparentItems.clear();
    ParticleSystems.clear();
    Objects.clear();
    StaticShader.reset();
    SkinnedShader.reset();
    InstanceShader.reset();
    TexturePixelShader.reset();
    Frustum.reset();
    Camera.reset();
    Root.reset();
}

TMoveableObject* TSceneManager::GetRoot() {
    if (!Root) {
        Root = std::make_unique<TMoveableObject>("Root");
    }
    return Root.get();
}

// ---------------------------------------------------------------------------------------------------
// Update pass

void TSceneManager::Update(int32_t deltaMs) {
    TMoveableObject* root = GetRoot();
    root->RebuildLocalMatrix();
    root->UpdateMatrices();
    Objects.clear();
    root->CollectObjects(Objects);

    // Nodes removed during the walk leave the tree at once but stay allocated until it ends, so the
    // list never points at freed memory; a node no longer under the root is skipped.
    root->SetDeferFrees(true);
    for (TMoveableObject* object : Objects) {
        if (object != nullptr && object->Top() == root) {
            object->Update(deltaMs);
        }
    }
    root->SetDeferFrees(false);
    Objects.clear();
}

// ---------------------------------------------------------------------------------------------------
// Draw pass

void TSceneManager::Render() {
    if (!TexturePixelShader) {
        LoadShaders();  // on the first pass: a menu that draws no scene does not wait for them
    }
    DrawCalls = 0;
    CollectVisible();
    Device.SetTextureFilter(0, 1, 0);
    Device.SetVertexShader(SkinnedShader.get());
    Device.SetPixelShader(TexturePixelShader.get());
    DrawSkinned();
    DrawOpaque();
    DropUnusedInstanceGeometry();
    Device.SetVertexShader(StaticShader.get());
    DrawTransparent();
    DrawParticles();
}

void TSceneManager::CollectVisible() {
    OpaqueItems.clear();
    TransparentItems.clear();
    SkinnedObjects.clear();
    ParticleSystems.clear();

    View = Camera->GetView();
    Projection = Camera->GetProjection();
    ViewProjection = MatrixMultiply(View, Projection);
    // A perspective projection makes clip z from clip w alone (z = A w + B): the instanced draws rely on
    // it. Any other projection draws every copy on its own.
    DepthFollowsW = Projection._13 == 0.0f && Projection._23 == 0.0f && Projection._14 == 0.0f &&
                    Projection._24 == 0.0f && Projection._34 != 0.0f;
    if (DepthFollowsW) {
        DepthFromW[0] = Projection._33 / Projection._34;
        DepthFromW[1] = Projection._43 - DepthFromW[0] * Projection._44;
    }
    Frustum->SetView(View);
    Frustum->SetProjection(Projection);
    Frustum->Update();

    Objects.clear();
    GetRoot()->CollectObjects(Objects);
    const TVector3 cameraPosition = Camera->GetPosition();
    FloorTiles.clear();

    for (TMoveableObject* node : Objects) {
        if (auto* object = dynamic_cast<TGameObject*>(node)) {
            CollectGameObject(object, cameraPosition);
        } else if (auto* effect = dynamic_cast<TSceneEffect*>(node)) {
            ParticleSystems.push_back(effect);
        }
    }
    Objects.clear();
    BakeFloor();
    if (Floor->Empty() && !FloorTiles.empty()) {
        // The tiles could not be baked (their buffers cannot be read back): drawn as any other object.
        FloorBaking = false;
        for (TGameObject* tile : FloorTiles) {
            CollectGameObject(tile, cameraPosition);
        }
        FloorBaking = true;
        FloorTiles.clear();
    }
    CutUnderFloor();

    // Skinned objects near to far by their Position; the first strictly nearer wins a slot.
    const size_t skinned = SkinnedObjects.size();
    for (size_t slot = 0; skinned > 1 && slot + 1 < skinned; ++slot) {
        size_t best = slot;
        float bestDistance = VectorDistance(cameraPosition, SkinnedObjects[slot]->GetPosition());
        for (size_t i = slot + 1; i < skinned; ++i) {
            const float d = VectorDistance(cameraPosition, SkinnedObjects[i]->GetPosition());
            if (d < bestDistance) {
                best = i;
                bestDistance = d;
            }
        }
        std::swap(SkinnedObjects[slot], SkinnedObjects[best]);
    }

    // Transparent items far to near; the first strictly farther wins a slot.
    const size_t transparent = TransparentItems.size();
    for (size_t slot = 0; transparent > 1 && slot + 1 < transparent; ++slot) {
        size_t best = slot;
        for (size_t i = slot + 1; i < transparent; ++i) {
            if (TransparentItems[i].Distance > TransparentItems[best].Distance) {
                best = i;
            }
        }
        std::swap(TransparentItems[slot], TransparentItems[best]);
    }

    if (OpaqueItems.size() > 1) {
        SortItems(OpaqueItems, SortScratch);
        DrawFloorLast();
    }
}

void TSceneManager::DrawFloorLast() {
    // The ground and the water lie under everything that stands on them. Drawn after the other opaque
    // items, the depth test skips the pixels those cover instead of shading them twice; the higher
    // first, so the water under the ground comes last. Every opaque pixel still shows its nearest
    // surface, so the picture is the same; each group keeps the order of the sort.
    const auto floor = std::stable_partition(OpaqueItems.begin(), OpaqueItems.end(),
                                             [](const TRenderItem& item) { return !item.Floor; });
    std::stable_sort(floor, OpaqueItems.end(),
                     [](const TRenderItem& a, const TRenderItem& b) { return a.Height > b.Height; });
}

void TSceneManager::CollectGameObject(TGameObject* object, const TVector3& cameraPosition) {
    TMeshDraw* mesh = MeshOf(object);
    if (mesh == nullptr || mesh->GetMeshPartCount() == 0) {
        return;
    }
    const TMatrix world = object->GetWorldMatrix();
    const float scale = LargestScale(object);

    if (object->IsStatic() && FloorBaking && Instancing && DepthFollowsW && !mesh->HasBones() &&
        dynamic_cast<TAnimGameObject*>(object) == nullptr) {
        bool floor = true;
        for (int part = 0; part < mesh->GetMeshPartCount(); ++part) {
            floor = floor && mesh->GetTop(part) <= 0.0f;
        }
        if (floor) {
            FloorTiles.push_back(object);
            return;
        }
    }

    if (mesh->HasBones()) {
        if (Frustum->IsSphereVisible(TranslationOf(world), mesh->GetRadius(0) * scale)) {
            SkinnedObjects.push_back(object);
        }
        return;
    }

    // A rigid mesh may still animate its frames: bring the part matrices up to date first.
    if (auto* animated = dynamic_cast<TAnimGameObject*>(object)) {
        if (TAnimationController* animation = animated->GetAnimation()) {
            animation->Apply();
        }
    }

    for (int part = 0; part < mesh->GetMeshPartCount(); ++part) {
        const float radius = mesh->GetRadius(part) * scale;
        for (int subset = 0; subset < mesh->GetSubsetCount(part); ++subset) {
            TRenderItem item;
            if (!FillRenderItem(object, part, subset, item)) {
                continue;
            }
            item.Matrix = MatrixMultiply(item.Matrix, world);
            const TVector3 centre = TranslationOf(item.Matrix);
            if (!Frustum->IsSphereVisible(centre, radius)) {
                continue;
            }
            item.Distance = VectorDistance(cameraPosition, centre);
            item.Floor = mesh->GetTop(part) <= 0.0f;
            item.Height = centre.Y;
            if (item.Material != nullptr && item.Material->Transparent) {
                TransparentItems.push_back(item);
            } else {
                OpaqueItems.push_back(item);
            }
        }
    }
}

bool TSceneManager::FillRenderItem(TGameObject* object, int part, int subset, TRenderItem& item) const {
    TMeshDraw* mesh = MeshOf(object);
    if (mesh == nullptr || !mesh->GetRenderOperation(part, subset, item.Operation) ||
        item.Operation.PrimitiveCount <= 0) {
        return false;  // nothing to draw
    }
    item.Material = mesh->GetMaterial(part, subset);
    item.Operation.Texture = TextureOf(item.Material);
    item.Matrix = MatrixIdentity();
    mesh->GetPartTransform(part, item.Matrix);
    item.VertexKey = reinterpret_cast<uintptr_t>(item.Operation.VertexBuffer);
    item.IndexKey = reinterpret_cast<uintptr_t>(item.Operation.IndexBuffer);
    return true;
}

namespace {

// (vertex key, index key, distance) strictly before?
bool ItemBefore(const TRenderItem& a, const TRenderItem& b) {
    if (a.VertexKey != b.VertexKey) {
        return a.VertexKey < b.VertexKey;
    }
    if (a.IndexKey != b.IndexKey) {
        return a.IndexKey < b.IndexKey;
    }
    return a.Distance < b.Distance;
}

void MergeSort(TRenderItem* items, TRenderItem* scratch, size_t count) {
    if (count < 2) {
        return;
    }
    const size_t half = count / 2;
    MergeSort(items, scratch, half);
    MergeSort(items + half, scratch + half, count - half);
    size_t i = 0, j = half, out = 0;
    while (i < half && j < count) {
        // Only a strictly smaller first-half item goes first; on a tie the second half's does.
        if (ItemBefore(items[i], items[j])) {
            scratch[out++] = items[i++];
        } else {
            scratch[out++] = items[j++];
        }
    }
    while (i < half) {
        scratch[out++] = items[i++];
    }
    while (j < count) {
        scratch[out++] = items[j++];
    }
    std::copy(scratch, scratch + count, items);
}

}  // namespace

void TSceneManager::SortItems(std::vector<TRenderItem>& items) {
    std::vector<TRenderItem> scratch;
    SortItems(items, scratch);
}

void TSceneManager::SortItems(std::vector<TRenderItem>& items, std::vector<TRenderItem>& scratch) {
    if (scratch.size() < items.size()) {
        scratch.resize(items.size());
    }
    MergeSort(items.data(), scratch.data(), items.size());
}

void TSceneManager::Draw(const TRenderOperation& op) {
    Device.DrawRenderOperation(op);
    ++DrawCalls;
}

void TSceneManager::SetItemMatrix(const TMatrix& matrix) {
    const TMatrix constants = ForShader(MatrixMultiply(matrix, ViewProjection));
    Device.SetVertexShaderConstants(0, &constants, 4);
}

void TSceneManager::DrawSkinned() {
    for (TGameObject* object : SkinnedObjects) {
        TMeshDraw* mesh = MeshOf(object);
        auto* animated = dynamic_cast<TAnimGameObject*>(object);
        if (animated != nullptr && animated->GetAnimation() != nullptr) {
            animated->GetAnimation()->Apply();
        }
        if (const TMatrix* palette = mesh->GetBonePalette()) {
            // Only as many bones as fit in the registers after c0-c3.
            const int32_t bones = std::min<int32_t>(mesh->GetBoneCount(), kMaxPaletteBones);
            Device.SetVertexShaderConstants(4, palette, static_cast<uint32_t>(bones) * 4);
        }
        CollectSubsets(object, SubsetScratch);
        for (const TRenderItem& item : SubsetScratch) {
            SetItemMatrix(item.Matrix);
            if (item.Material != nullptr && item.Material->Transparent) {
                Device.SetAlphaBlend(true);
                Device.SetCullMode(2);
                Draw(item.Operation);
                Device.SetCullMode(1);
                Draw(item.Operation);
            } else {
                Device.SetAlphaBlend(false);
                Device.SetCullMode(1);
                Draw(item.Operation);
            }
        }
    }
}

void TSceneManager::CollectSubsets(TGameObject* object, std::vector<TRenderItem>& items) const {
    items.clear();
    TMeshDraw* mesh = MeshOf(object);
    const TMatrix world = object->GetWorldMatrix();
    for (int part = 0; mesh != nullptr && part < mesh->GetMeshPartCount(); ++part) {
        for (int subset = 0; subset < mesh->GetSubsetCount(part); ++subset) {
            TRenderItem item;
            if (FillRenderItem(object, part, subset, item)) {
                item.Matrix = MatrixMultiply(item.Matrix, world);
                items.push_back(item);
            }
        }
    }
}

void TSceneManager::BakeFloor() {
    // The tiles, their meshes and their places name what was baked.
    uint64_t signature = 14695981039346656037ull;
    auto mix = [&signature](const void* data, size_t size) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < size; ++i) {
            signature = (signature ^ bytes[i]) * 1099511628211ull;
        }
    };
    for (TGameObject* tile : FloorTiles) {
        const TMeshResource* mesh = tile->GetMesh();
        const TMatrix world = tile->GetWorldMatrix();
        mix(&tile, sizeof tile);
        mix(&mesh, sizeof mesh);
        mix(&world, sizeof world);
    }
    if (FloorTiles.empty()) {
        signature = 0;
    }
    // Unchanged tiles keep their chunks, or their failure to bake.
    if (signature == FloorSignature) {
        return;
    }
    FloorSignature = signature;
    std::vector<TFloorPiece> pieces;
    FloorHeight = 0.0f;
    for (size_t tile = 0; tile < FloorTiles.size(); ++tile) {
        CollectSubsets(FloorTiles[tile], SubsetScratch);
        for (const TRenderItem& item : SubsetScratch) {
            const float height = TranslationOf(item.Matrix).Y;
            FloorHeight = pieces.empty() ? height : std::min(FloorHeight, height);
            pieces.push_back(TFloorPiece{item.Operation, item.Matrix, tile});
        }
    }
    if (!Floor->Build(pieces)) {
        Floor->Clear();
    }
}

void TSceneManager::CutUnderFloor() {
    for (auto& cut : Cuts) {
        cut->Drawn = false;
    }
    if (!Floor->Empty() && !FloorTiles.empty()) {
        for (TRenderItem& item : OpaqueItems) {
            if (!item.Floor || item.Height >= FloorHeight) {
                continue;
            }
            auto found = std::find_if(Cuts.begin(), Cuts.end(),
                                      [&](const auto& cut) { return cut->From(item.Operation); });
            if (found == Cuts.end()) {
                Cuts.push_back(std::make_unique<TFloorCut>(Device));
                found = std::prev(Cuts.end());
            }
            (*found)->Drawn = true;
            item.Operation = (*found)->For(item.Operation, item.Matrix, *Floor);
        }
    }
    Cuts.erase(std::remove_if(Cuts.begin(), Cuts.end(), [](const auto& cut) { return !cut->Drawn; }),
               Cuts.end());
}

void TSceneManager::DrawFloorChunks() {
    const std::vector<TStaticFloor::TChunk>& chunks = Floor->GetChunks();
    if (chunks.empty()) {
        return;
    }
    const TVector3 cameraPosition = Camera->GetPosition();
    VisibleChunks.clear();
    for (size_t i = 0; i < chunks.size(); ++i) {
        if (Frustum->IsSphereVisible(chunks[i].Centre, chunks[i].Radius)) {
            VisibleChunks.emplace_back(VectorDistance(cameraPosition, chunks[i].Centre), i);
        }
    }
    std::stable_sort(VisibleChunks.begin(), VisibleChunks.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    Device.SetVertexShader(InstanceShader.get());
    for (const auto& visible : VisibleChunks) {
        const TStaticFloor::TChunk& chunk = chunks[visible.second];
        SetCopyConstants(chunk.Copies.data(), static_cast<int32_t>(chunk.Copies.size()));
        Batch.Declaration = chunk.Declaration.get();
        Batch.VertexBuffer = chunk.Vertices.get();
        Batch.IndexBuffer = chunk.Indices.get();
        Batch.NumVertices = chunk.NumVertices;
        Batch.PrimitiveCount = chunk.PrimitiveCount;
        Batch.Texture = chunk.Texture;
        Draw(Batch);
    }
}

void TSceneManager::DrawOpaque() {
    if (OpaqueItems.empty() && FloorTiles.empty()) {
        return;
    }
    Device.SetAlphaBlend(false);
    Device.SetCullMode(1);
    // The baked floor takes the place its tiles had: among the floor items, higher first.
    size_t split = 0;
    while (split < OpaqueItems.size() &&
           (!OpaqueItems[split].Floor || OpaqueItems[split].Height >= FloorHeight)) {
        ++split;
    }
    DrawOpaqueRange(0, split);
    if (!FloorTiles.empty()) {
        DrawFloorChunks();
    }
    DrawOpaqueRange(split, OpaqueItems.size());
}

void TSceneManager::DrawOpaqueRange(size_t first, size_t end) {
    while (first < end) {
        // A run: consecutive items drawing the same subset (the same index buffer).
        size_t count = 1;
        while (first + count < end &&
               OpaqueItems[first + count].Operation.IndexBuffer == OpaqueItems[first].Operation.IndexBuffer) {
            ++count;
        }
        const TRenderOperation& op = OpaqueItems[first].Operation;
        // 16-bit indices must reach every vertex of the replicated copies.
        const int32_t copiesPerCall = InstanceCopiesPerCall(op.NumVertices, kMaxInstances);
        if (Instancing && DepthFollowsW && count >= 2 && op.PrimitiveCount < kInstanceTriangleLimit &&
            copiesPerCall >= 2) {
            DrawInstancedRun(first, count, copiesPerCall);
        } else {
            DrawStaticRun(first, count);
        }
        first += count;
    }
}

void TSceneManager::DrawStaticRun(size_t first, size_t count) {
    Device.SetVertexShader(StaticShader.get());
    for (size_t i = first; i < first + count; ++i) {
        SetItemMatrix(OpaqueItems[i].Matrix);
        Draw(OpaqueItems[i].Operation);
    }
}

TSceneManager::TInstanceGeometry* TSceneManager::InstanceGeometryFor(const TRenderItem& source,
                                                                     int32_t copies) {
    const TRenderOperation& op = source.Operation;
    if (op.Declaration == nullptr || op.VertexBuffer == nullptr || op.IndexBuffer == nullptr) {
        return nullptr;
    }
    // A subset's index buffer is its own: its handle names the entry.
    auto found =
        std::find_if(InstanceGeometry.begin(), InstanceGeometry.end(),
                     [&](const TInstanceGeometry& g) { return g.SourceIndices == op.IndexBuffer->Handle(); });
    if (found == InstanceGeometry.end()) {
        InstanceGeometry.emplace_back();
        found = std::prev(InstanceGeometry.end());
        found->Vertices = std::make_unique<TVertexBuffer>(Device.Device());
        found->Indices = std::make_unique<TIndexBuffer>(Device.Device());
        found->Declaration = std::make_unique<TVertexDeclaration>(Device.Device());
    }
    TInstanceGeometry& geometry = *found;
    geometry.Drawn = true;
    // Fewer copies than it holds draw from the front of it.
    const bool current = geometry.Copies >= copies && geometry.SourceVertices == op.VertexBuffer->Handle() &&
                         geometry.SourceVertexVersion == op.VertexBuffer->Version() &&
                         geometry.SourceIndexVersion == op.IndexBuffer->Version() &&
                         geometry.SourceDeclaration == op.Declaration->Handle();
    if (current) {
        return &geometry;
    }
    geometry.SourceIndices = op.IndexBuffer->Handle();
    geometry.Copies = 0;
    if (!BuildInstanceGeometry(source, copies, geometry)) {
        geometry.Vertices->ReleaseBuffer();
        geometry.Indices->ReleaseBuffer();
        return nullptr;
    }
    geometry.SourceVertices = op.VertexBuffer->Handle();
    geometry.SourceVertexVersion = op.VertexBuffer->Version();
    geometry.SourceIndexVersion = op.IndexBuffer->Version();
    geometry.SourceDeclaration = op.Declaration->Handle();
    geometry.Copies = copies;
    return &geometry;
}

bool TSceneManager::BuildInstanceGeometry(const TRenderItem& source, int32_t copies,
                                          TInstanceGeometry& geometry) {
    const TRenderOperation& op = source.Operation;
    const uint32_t vertexCount = static_cast<uint32_t>(op.NumVertices);
    const uint32_t stride = op.Declaration->GetStride();
    const uint32_t sourceVertexBytes = vertexCount * stride;
    const uint32_t sourceIndexBytes = static_cast<uint32_t>(op.PrimitiveCount) * 3 * 2;
    if (stride == 0 || sourceVertexBytes > op.VertexBuffer->GetLength() ||
        sourceIndexBytes > op.IndexBuffer->GetLength()) {
        return false;
    }

    // Indices: copy k addresses vertices k * vertexCount onwards.
    if (!geometry.Indices->CreateBuffer(sourceIndexBytes * static_cast<uint32_t>(copies), kInstanceUsage,
                                        platform::D3DPOOL_DEFAULT)) {
        return false;
    }
    const uint16_t* sourceIndices = op.IndexBuffer->Lock(0, sourceIndexBytes, platform::D3DLOCK_READONLY);
    uint16_t* indices = geometry.Indices->Lock(0, 0, 0);
    const bool indicesOk = sourceIndices != nullptr && indices != nullptr;
    if (indicesOk) {
        ReplicateIndices(sourceIndices, sourceIndexBytes / 2, vertexCount, copies, indices);
    }
    if (sourceIndices != nullptr) {
        op.IndexBuffer->Unlock();
    }
    if (indices != nullptr) {
        geometry.Indices->Unlock();
    }
    if (!indicesOk) {
        return false;
    }

    // Layout: the source elements plus one float, the copy number, as blend indices.
    geometry.Declaration->CopyFrom(op);
    geometry.Declaration->AddElement(kUsageBlendIndices, kTypeFloat1);
    geometry.Declaration->EndDeclaration();
    geometry.Declaration->Build();

    // Vertices: copy k's vertex j is the source vertex j followed by the float k.
    if (!geometry.Vertices->CreateBuffer(
            (sourceVertexBytes + vertexCount * 4) * static_cast<uint32_t>(copies), kInstanceUsage,
            platform::D3DPOOL_DEFAULT)) {
        return false;
    }
    auto* vertices = static_cast<uint8_t*>(geometry.Vertices->Lock(0, 0, platform::D3DLOCK_DISCARD));
    const auto* sourceVertices =
        static_cast<const uint8_t*>(op.VertexBuffer->Lock(0, sourceVertexBytes, platform::D3DLOCK_READONLY));
    const bool verticesOk = vertices != nullptr && sourceVertices != nullptr;
    if (verticesOk) {
        ReplicateVertices(sourceVertices, vertexCount, stride, copies, vertices);
    }
    if (sourceVertices != nullptr) {
        op.VertexBuffer->Unlock();
    }
    if (vertices != nullptr) {
        geometry.Vertices->Unlock();
    }
    return verticesOk;
}

void TSceneManager::DrawInstancedRun(size_t first, size_t count, int32_t copiesPerCall) {
    TInstanceGeometry* geometry = InstanceGeometryFor(
        OpaqueItems[first], std::min<int32_t>(static_cast<int32_t>(count), copiesPerCall));
    if (geometry == nullptr) {
        // The source could not be read back: draw the copies one by one instead.
        DrawStaticRun(first, count);
        return;
    }
    Device.SetVertexShader(InstanceShader.get());
    const TRenderOperation& source = OpaqueItems[first].Operation;
    InstancesLeft = static_cast<uint16_t>(count);
    size_t next = first;
    while (InstancesLeft > 0) {
        const int32_t n = std::min<int32_t>(InstancesLeft, copiesPerCall);
        CopyScratch.clear();
        for (int32_t k = 0; k < n; ++k) {
            CopyScratch.push_back(OpaqueItems[next + static_cast<size_t>(k)].Matrix);
        }
        SetCopyConstants(CopyScratch.data(), n);
        Batch.Declaration = geometry->Declaration.get();
        Batch.VertexBuffer = geometry->Vertices.get();
        Batch.IndexBuffer = geometry->Indices.get();
        Batch.NumVertices = source.NumVertices * n;
        Batch.PrimitiveCount = source.PrimitiveCount * n;
        Batch.Texture = source.Texture;
        Draw(Batch);
        InstancesLeft = static_cast<uint16_t>(InstancesLeft - n);
        next += static_cast<size_t>(n);
    }
}

void TSceneManager::SetCopyConstants(const TMatrix* copies, int32_t n) {
    // (A, B) in c0, then the clip x, y and w rows of each copy's transposed world * view * projection.
    InstanceConstants.assign(static_cast<size_t>(1 + 3 * n) * 4, 0.0f);
    InstanceConstants[0] = DepthFromW[0];
    InstanceConstants[1] = DepthFromW[1];
    for (int32_t k = 0; k < n; ++k) {
        const TMatrix m = ForShader(MatrixMultiply(copies[k], ViewProjection));
        float* rows = InstanceConstants.data() + 4 + 12 * k;
        std::memcpy(rows, &m._11, 8 * sizeof(float));      // clip x and y
        std::memcpy(rows + 8, &m._41, 4 * sizeof(float));  // clip w
    }
    Device.SetVertexShaderConstants(0, InstanceConstants.data(), static_cast<uint32_t>(1 + 3 * n));
}

void TSceneManager::DropUnusedInstanceGeometry() {
    InstanceGeometry.erase(std::remove_if(InstanceGeometry.begin(), InstanceGeometry.end(),
                                          [](const TInstanceGeometry& g) { return !g.Drawn; }),
                           InstanceGeometry.end());
    for (TInstanceGeometry& geometry : InstanceGeometry) {
        geometry.Drawn = false;
    }
}

void TSceneManager::DrawTransparent() {
    if (TransparentItems.empty()) {
        return;
    }
    Device.SetAlphaBlend(true);
    for (const TRenderItem& item : TransparentItems) {
        SetItemMatrix(item.Matrix);
        Device.SetCullMode(2);
        Draw(item.Operation);
        Device.SetCullMode(1);
        Draw(item.Operation);
    }
}

void TSceneManager::DrawParticles() {
    if (ParticleSystems.empty()) {
        return;
    }
    // The camera's rotation alone turns the quads towards the viewer.
    TMatrix rotation = View;
    rotation._41 = rotation._42 = rotation._43 = 0.0f;
    const TMatrix cameraBasis = ForShader(MatrixInverse(rotation));
    Device.SetVertexShaderConstants(4, &cameraBasis, 4);
    Device.SetAlphaBlend(true);
    Device.SetDepthWrite(false);
    const TMatrix viewProjection = ForShader(ViewProjection);
    // Effects that draw alike and follow each other share one call: the same quads in the same order.
    for (size_t i = 0; i < ParticleSystems.size(); ++i) {
        Device.SetVertexShaderConstants(0, &viewProjection, 4);
        i += ParticleSystems[i]->DrawWithFollowing(ParticleSystems, i + 1);
        ++DrawCalls;
    }
    Device.SetDepthWrite(true);
}

// ---------------------------------------------------------------------------------------------------
// Device reset

void TSceneManager::ReleaseDeviceObjects() {
    InstanceGeometry.clear();
    Floor->Clear();
    FloorSignature = 0;
    Cuts.clear();
    std::vector<TMoveableObject*> nodes;
    GetRoot()->CollectObjects(nodes);
    for (TMoveableObject* node : nodes) {
        if (auto* effect = dynamic_cast<TSceneEffect*>(node)) {
            effect->OnLostDevice();
        }
    }
}

void TSceneManager::RestoreDeviceObjects() {
    std::vector<TMoveableObject*> nodes;
    GetRoot()->CollectObjects(nodes);
    for (TMoveableObject* node : nodes) {
        if (auto* effect = dynamic_cast<TSceneEffect*>(node)) {
            effect->OnResetDevice();
        }
    }
}
