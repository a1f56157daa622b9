#include "models/Mesh.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "models/XFileReader.h"
#include "util/Files.h"

TFrame::TFrame()
    : TransformMatrix(MatrixIdentity()), CombinedMatrix(MatrixIdentity()), CurrentMatrix(MatrixIdentity()) {}

TFrame::~TFrame() {
    // A model may chain thousands of siblings; freeing them one by one keeps the stack flat.
    std::vector<std::unique_ptr<TFrame>> pending;
    if (FirstChild) {
        pending.push_back(std::move(FirstChild));
    }
    if (NextSibling) {
        pending.push_back(std::move(NextSibling));
    }
    while (!pending.empty()) {
        std::unique_ptr<TFrame> frame = std::move(pending.back());
        pending.pop_back();
        if (frame->FirstChild) {
            pending.push_back(std::move(frame->FirstChild));
        }
        if (frame->NextSibling) {
            pending.push_back(std::move(frame->NextSibling));
        }
    }
}

TMesh::~TMesh() = default;

bool TMesh::LoadFromFile(const files::TDataRoot& root, const std::string& fileName, std::string& error) {
    std::string bytes;
    if (!root.ReadFile(fileName, bytes, error)) {
        return false;
    }
    return LoadFromMemory(bytes, fileName, error);
}

bool TMesh::LoadFromMemory(std::string_view bytes, const std::string& fileName, std::string& error) {
    FileName = fileName;
    Clear();
    const bool ok = ReadXFile(bytes, fileName, *this, error);
    FinishLoad();
    return ok;
}

void TMesh::Clear() {
    MeshParts.clear();
    Bones.clear();
    AnimationSets.clear();
    BonePalette.clear();
    RootFrame.reset();
}

void TMesh::FinishLoad() {
    // Frames by name, the first in FindFrame's order winning: one walk of the tree instead of one per
    // bone and track, which a file with many of each would turn into minutes.
    std::unordered_map<std::string_view, TFrame*> frames;
    if (!Bones.empty() || !AnimationSets.empty()) {
        ForEachFrame(RootFrame.get(), [&frames](TFrame& frame) { frames.emplace(frame.Name, &frame); });
    }
    auto frameNamed = [&frames](const std::string& name) -> TFrame* {
        const auto found = frames.find(name);
        return found != frames.end() ? found->second : nullptr;
    };
    for (TBone& bone : Bones) {
        bone.Frame = frameNamed(bone.Name);
    }
    for (TAnimation& set : AnimationSets) {
        set.Length = 0;
        for (TFrameAnimation& track : set.Tracks) {
            track.Frame = frameNamed(track.FrameName);
            if (!track.Keys.empty()) {
                set.Length = std::max(set.Length, track.Keys.back().Time);
            }
        }
    }
    BonePalette.assign(Bones.size(), MatrixIdentity());
    ForEachFrame(RootFrame.get(), [](TFrame& frame) { frame.CurrentMatrix = frame.TransformMatrix; });
    UpdateCombinedMatrices();
    for (TMeshPart& part : MeshParts) {
        // The longest of the lengths is the root of the largest square: one root per part. Four maxima
        // of their own, so that no maximum waits for the one before it.
        const TVector3* p = part.Positions.data();
        const size_t count = part.Positions.size();
        const float first = count == 0 ? 0.0f : p[0].Y;
        auto square = [](const TVector3& v) { return v.X * v.X + v.Y * v.Y + v.Z * v.Z; };
        float s0 = 0, s1 = 0, s2 = 0, s3 = 0;
        float t0 = first, t1 = first, t2 = first, t3 = first;
        size_t i = 0;
        for (; i + 4 <= count; i += 4) {
            s0 = std::max(s0, square(p[i]));
            s1 = std::max(s1, square(p[i + 1]));
            s2 = std::max(s2, square(p[i + 2]));
            s3 = std::max(s3, square(p[i + 3]));
            t0 = std::max(t0, p[i].Y);
            t1 = std::max(t1, p[i + 1].Y);
            t2 = std::max(t2, p[i + 2].Y);
            t3 = std::max(t3, p[i + 3].Y);
        }
        for (; i < count; ++i) {
            s0 = std::max(s0, square(p[i]));
            t0 = std::max(t0, p[i].Y);
        }
        part.Radius = std::sqrt(std::max(std::max(s0, s1), std::max(s2, s3)));
        part.Top = std::max(std::max(t0, t1), std::max(t2, t3));
        if (part.Top == 0.0f) {
            // A top of zero may be +0 or -0, and the first of the equal heights gives the sign.
            part.Top = first;
            for (size_t v = 0; v < count; ++v) {
                part.Top = std::max(part.Top, p[v].Y);
            }
        }
    }
}

TFrame* TMesh::FindFrame(std::string_view name) const {
    std::vector<TFrame*> pending;
    if (RootFrame) {
        pending.push_back(RootFrame.get());
    }
    while (!pending.empty()) {
        TFrame* frame = pending.back();
        pending.pop_back();
        if (frame->Name == name) {
            return frame;
        }
        if (frame->NextSibling) {
            pending.push_back(frame->NextSibling.get());
        }
        if (frame->FirstChild) {
            pending.push_back(frame->FirstChild.get());
        }
    }
    return nullptr;
}

static bool PartInRange(const std::vector<TMeshPart>& parts, int part) {
    return part >= 0 && static_cast<size_t>(part) < parts.size();
}

uint16_t TMesh::GetSubsetCount(int part) const {
    return PartInRange(MeshParts, part) ? static_cast<uint16_t>(MeshParts[part].Subsets.size()) : 0;
}

void TMesh::GetPartTransform(int part, TMatrix& m) const {
    if (!PartInRange(MeshParts, part)) {
        return;
    }
    const TFrame* frame = MeshParts[part].Frame;
    m = frame != nullptr ? frame->CombinedMatrix : MatrixIdentity();
}

static const TSubset* FindSubset(const std::vector<TMeshPart>& parts, int part, int subset) {
    if (!PartInRange(parts, part) || subset < 0 ||
        static_cast<size_t>(subset) >= parts[part].Subsets.size()) {
        return nullptr;
    }
    return &parts[part].Subsets[subset];
}

void TMesh::GetSubsetTextureName(int part, int subset, std::string& name) const {
    if (const TSubset* s = FindSubset(MeshParts, part, subset)) {
        name = s->Material.TextureFilename;
    }
}

uint32_t TMesh::GetTriangleCount(int part, int subset) const {
    const TSubset* s = FindSubset(MeshParts, part, subset);
    return s != nullptr ? s->IndexCount() / 3 : 0;
}

uint16_t TMesh::GetVertexCount(int part) const {
    return PartInRange(MeshParts, part) ? MeshParts[part].VertexCount : 0;
}

float TMesh::GetRadius(int part) const {
    return PartInRange(MeshParts, part) ? MeshParts[part].Radius : 0.0f;
}

float TMesh::GetTop(int part) const {
    return PartInRange(MeshParts, part) ? MeshParts[part].Top : 0.0f;
}

void TMesh::MarkFrames() {
    ForEachFrame(RootFrame.get(), [](TFrame& frame) { frame.CurrentMatrix._44 = kUnanimatedMark; });
}

// The matrix of `track` at `time`: the first key before the first key's time, the last after the last
// key's time, else the linear blend of the pair that brackets the time.
static TMatrix SampleTrack(const TFrameAnimation& track, uint32_t time) {
    const std::vector<TAnimationKey>& keys = track.Keys;
    if (time < keys.front().Time) {
        return keys.front().Matrix;
    }
    if (time > keys.back().Time) {
        return keys.back().Matrix;
    }
    for (size_t i = 0; i + 1 < keys.size(); ++i) {
        const TAnimationKey& a = keys[i];
        const TAnimationKey& b = keys[i + 1];
        if (a.Time <= time && time <= b.Time) {
            if (b.Time == a.Time) {
                return a.Matrix;
            }
            const float t = static_cast<float>(time - a.Time) / static_cast<float>(b.Time - a.Time);
            return MatrixAdd(a.Matrix, MatrixScale(MatrixSub(b.Matrix, a.Matrix), t));
        }
    }
    // Keys out of time order: no pair brackets the time.
    return keys.back().Matrix;
}

void TMesh::SampleAnimationSet(int setIndex, uint32_t time, float weight) {
    if (setIndex < 0 || static_cast<size_t>(setIndex) >= AnimationSets.size()) {
        return;
    }
    for (const TFrameAnimation& track : AnimationSets[setIndex].Tracks) {
        if (track.Frame == nullptr || track.Keys.empty()) {
            continue;
        }
        const TMatrix sample = MatrixScale(SampleTrack(track, time), weight);
        TMatrix& current = track.Frame->CurrentMatrix;
        current = current._44 == kUnanimatedMark ? sample : MatrixAdd(current, sample);
    }
}

void TMesh::RestoreUnanimatedFrames() {
    ForEachFrame(RootFrame.get(), [](TFrame& frame) {
        if (frame.CurrentMatrix._44 == kUnanimatedMark) {
            frame.CurrentMatrix = frame.TransformMatrix;
        }
    });
}

void TMesh::UpdateCombinedMatrices() {
    // (frame, its parent's combined matrix or nullptr at the top level)
    std::vector<std::pair<TFrame*, const TMatrix*>> pending;
    if (RootFrame) {
        pending.emplace_back(RootFrame.get(), nullptr);
    }
    while (!pending.empty()) {
        auto [frame, parent] = pending.back();
        pending.pop_back();
        frame->CombinedMatrix =
            parent != nullptr ? MatrixMultiply(frame->CurrentMatrix, *parent) : frame->CurrentMatrix;
        if (frame->NextSibling) {
            pending.emplace_back(frame->NextSibling.get(), parent);
        }
        if (frame->FirstChild) {
            pending.emplace_back(frame->FirstChild.get(), &frame->CombinedMatrix);
        }
    }
}

void TMesh::BuildBonePalette() {
    BonePalette.resize(Bones.size());
    for (size_t b = 0; b < Bones.size(); ++b) {
        const TBone& bone = Bones[b];
        const TMatrix skin = bone.Frame != nullptr
                                 ? MatrixMultiply(bone.OffsetMatrix, bone.Frame->CombinedMatrix)
                                 : bone.OffsetMatrix;
        BonePalette[b] = MatrixTranspose(skin);
    }
}
