// TMesh: everything read from one .x model file (text, binary or compressed). A frame hierarchy with
// file, current and combined transforms; mesh parts with their vertex arrays and per-material triangle
// lists (subsets); bones; animation sets of matrix keys; and the bone palette for skinning.
//
// Conventions: row vectors (a frame's combined matrix is its current matrix times its parent's
// combined matrix); animation times are key ticks of the file; names are cut to 50 characters and
// texture file names to 255. The mesh owns its frames; bones, tracks and parts point into the tree.
//
// Bad input: LoadFromFile never throws and never leaves an index that points outside its arrays.
// A malformed file ends the load with a message naming the file and the place (line or byte); the
// mesh keeps what was read up to there (a part whose faces could not be read completely has no
// subsets).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "models/GE_MATERIAL.h"
#include "util/Files.h"
#include "util/GE_MATH.h"

// A blend slot that holds no bone: bone index 255.0 with weight 0.
constexpr float kFreeBoneSlot = 255.0f;
// Element _44 of a frame's current matrix while no animation has written it in this update.
constexpr float kUnanimatedMark = 500.0f;

struct TFrame {
    TFrame();
    ~TFrame();  // frees children and siblings without recursion
    TFrame(const TFrame&) = delete;
    TFrame& operator=(const TFrame&) = delete;

    std::string Name;
    TMatrix TransformMatrix;  // as in the file; identity when the file gives none
    TMatrix CombinedMatrix;   // CurrentMatrix times all ancestors' current matrices
    TMatrix CurrentMatrix;    // the local transform in use: the file's or the animated one
    std::unique_ptr<TFrame> FirstChild;
    std::unique_ptr<TFrame> NextSibling;
};

// A triangle list drawn with one material.
struct TSubset {
    TMaterialRecord Material;
    std::vector<uint16_t> Indices;  // three vertex indices per triangle, all below the part's VertexCount

    uint32_t IndexCount() const { return static_cast<uint32_t>(Indices.size()); }
};

struct TMeshPart {
    std::string Name;
    TFrame* Frame = nullptr;             // the frame the part was declared in; nullptr: identity transform
    std::vector<TVector3> Positions;     // VertexCount entries
    std::vector<TVector2> TexCoords;     // VertexCount entries, or empty when the file has none
    std::vector<TVector3> Normals;       // VertexCount entries (summed face normals, not unit), or empty
    std::vector<TVector4> BlendWeights;  // 4 per vertex, or empty when the part is not skinned
    std::vector<TVector4> BlendIndices;  // bone numbers as floats, kFreeBoneSlot in a free slot
    uint16_t VertexCount = 0;
    std::vector<TSubset> Subsets;
    float Radius = 0;  // the largest distance of a vertex position from the part's origin
    float Top = 0;     // the largest y of a vertex position (0 for a part without vertices)

    bool IsSkinned() const { return !BlendWeights.empty(); }
};

struct TBone {
    TFrame* Frame = nullptr;  // the frame of the same name, or nullptr
    std::string Name;
    TMatrix OffsetMatrix;
};

struct TAnimationKey {
    uint32_t Time = 0;  // key ticks
    TMatrix Matrix;
};

// One track: the keys of one frame, in file order.
struct TFrameAnimation {
    TFrame* Frame = nullptr;  // the frame named FrameName, or nullptr
    std::string FrameName;
    std::vector<TAnimationKey> Keys;
};

struct TAnimation {
    std::string Name;
    std::vector<TFrameAnimation> Tracks;
    uint32_t Length = 0;  // the largest time of the last key over the tracks
};

class TMesh {
public:
    TMesh() = default;
    virtual ~TMesh();
    TMesh(const TMesh&) = delete;
    TMesh& operator=(const TMesh&) = delete;

    // Reads a .x file, text, binary or compressed (found through the case-insensitive look-up in `root`). A
    // missing file leaves the mesh as it was; a file not starting with "xof" leaves it empty; a malformed
    // one keeps what was read before the fault. Returns false in those cases, with an `error` naming
    // the file and the place.
    bool LoadFromFile(const files::TDataRoot& root, const std::string& fileName, std::string& error);
    // The same on bytes in memory; `fileName` is stored and named in messages.
    bool LoadFromMemory(std::string_view bytes, const std::string& fileName, std::string& error);

    // Frees parts, bones, animation sets, the palette and the frame tree.
    virtual void Clear();

    // Depth first from RootFrame (a frame, its first child's subtree, then its next sibling's);
    // exact, case-sensitive; the first match or nullptr.
    TFrame* FindFrame(std::string_view name) const;

    uint16_t GetMeshPartCount() const { return static_cast<uint16_t>(MeshParts.size()); }
    // 0 for a part index out of range.
    uint16_t GetSubsetCount(int part) const;
    // The part's frame's combined matrix, or the identity when it has no frame; `m` is left unchanged
    // for a part index out of range.
    void GetPartTransform(int part, TMatrix& m) const;
    // `name` is left unchanged when either index is out of range.
    void GetSubsetTextureName(int part, int subset, std::string& name) const;
    // The following answer 0 for indices out of range.
    uint32_t GetTriangleCount(int part, int subset) const;
    uint16_t GetVertexCount(int part) const;
    float GetRadius(int part) const;
    float GetTop(int part) const;
    bool HasBones() const { return !Bones.empty(); }
    uint16_t GetBoneCount() const { return static_cast<uint16_t>(Bones.size()); }
    // BoneCount transposed matrices, ready for the vertex shader; nullptr when there are no bones.
    const TMatrix* GetBonePalette() const { return BonePalette.empty() ? nullptr : BonePalette.data(); }
    uint16_t GetAnimationSetCount() const { return static_cast<uint16_t>(AnimationSets.size()); }

    // ---- animation (see TAnimationController) ----
    // Sets _44 of every frame's current matrix to kUnanimatedMark.
    void MarkFrames();
    // Adds the weighted sample of set `setIndex` at `time` (key ticks) to the frames it animates: a
    // still marked frame takes the sample, another adds it element by element. Keys are blended
    // linearly over all 16 elements. Tracks without a frame or without keys are skipped; a pair of
    // keys with the same time gives the earlier key. Nothing for a set index out of range.
    void SampleAnimationSet(int setIndex, uint32_t time, float weight);
    // Every frame still marked gets its file transform back.
    void RestoreUnanimatedFrames();
    void UpdateCombinedMatrices();
    // BonePalette[b] = transpose(OffsetMatrix * the bone frame's combined matrix); a bone without a
    // frame gets transpose(OffsetMatrix).
    void BuildBonePalette();

    // ---- the data ----
    std::unique_ptr<TFrame> RootFrame;  // further top-level frames are its siblings
    std::vector<TMeshPart> MeshParts;
    std::vector<TBone> Bones;  // one per SkinWeights template, in file order over all parts
    std::vector<TAnimation> AnimationSets;
    std::vector<TMatrix> BonePalette;  // one per bone
    std::string FileName;

private:
    // After parsing: bone and track frames by name, the palette, set lengths, matrices and radii.
    void FinishLoad();

};

// Calls `visit(frame)` for every frame of the tree rooted at `root` and its siblings, depth first,
// first child before next sibling, without recursion.
template <typename Visit>
void ForEachFrame(TFrame* root, Visit visit) {
    std::vector<TFrame*> pending;
    if (root != nullptr) {
        pending.push_back(root);
    }
    while (!pending.empty()) {
        TFrame* frame = pending.back();
        pending.pop_back();
        visit(*frame);
        if (frame->NextSibling) {
            pending.push_back(frame->NextSibling.get());
        }
        if (frame->FirstChild) {
            pending.push_back(frame->FirstChild.get());
        }
    }
}
