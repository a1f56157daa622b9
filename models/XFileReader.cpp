#include "models/XFileReader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>

#include "models/Mesh.h"
#include "models/XFileInflate.h"
#include "models/XFileTokens.h"
#include "util/GE_UTILS.h"

namespace {

using namespace xfile;

// Frames nested deeper than this end the load: every level of nesting is one level of recursion.
constexpr int kMaxFrameDepth = 256;

// The templates that need an action when their closing brace arrives.
enum class OpenTemplate { Frame, Mesh, MeshMaterialList, AnimationSet, Animation };

const char* TemplateKindName(OpenTemplate kind) {
    switch (kind) {
        case OpenTemplate::Frame:
            return "a Frame";
        case OpenTemplate::Mesh:
            return "a Mesh";
        case OpenTemplate::MeshMaterialList:
            return "a MeshMaterialList";
        case OpenTemplate::AnimationSet:
            return "an AnimationSet";
        case OpenTemplate::Animation:
            return "an Animation";
    }
    return "a template";
}

std::string Cut(std::string_view text, size_t length) {
    return std::string(text.substr(0, length));
}

// The most bytes a working list of a load keeps for the next load.
constexpr size_t kScratchKept = 256 * 1024;

// The working lists of a load, kept from one load to the next on the same thread so that a small model
// allocates none of them again; a load's lists above kScratchKept bytes are given back after it.
struct Scratch {
    std::vector<uint16_t> materialMap;
    std::vector<OpenTemplate> open;
    std::vector<uint32_t> faceStarts;
    std::vector<uint16_t> faceIndices;
    std::vector<uint16_t> faceMaterials;
    std::vector<TVector3> normals;
    bool inUse = false;

    template <typename Action>
    void ForEachList(Action action) {
        action(materialMap);
        action(open);
        action(faceStarts);
        action(faceIndices);
        action(faceMaterials);
        action(normals);
    }

    void Clear() {
        ForEachList([](auto& list) { list.clear(); });
    }

    void Trim() {
        ForEachList([](auto& list) {
            if (list.capacity() * sizeof(list[0]) > kScratchKept) {
                std::remove_reference_t<decltype(list)>().swap(list);
            }
        });
    }
};

class XParser {
public:
    XParser(std::string_view bytes, std::string_view fileName, TMesh& mesh, Scratch& scratch)
        : bytes_(bytes), tokens_(fileName), fileName_(fileName), mesh_(mesh), scratch_(scratch) {
        materials_.push_back(DefaultMaterialRecord());
        scratch_.Clear();
    }

    void Run() {
        // Binary and compressed files have a fixed header ("xof 0303bin 0032", "xof 0303bzip0032"):
        // their body follows its 16 bytes.
        const std::string_view kind = bytes_.size() >= kHeaderSize ? bytes_.substr(8, 4) : std::string_view();
        if (bytes_.substr(0, 4) != "xof " || (kind != "bin " && kind != "tzip" && kind != "bzip")) {
            tokens_.Start(bytes_, TokenStream::Body::Text, 0, false, 32);
            if (Token() != "xof") {
                tokens_.Fail("not a .x file (it does not start with \"xof\")");
            }
            const std::string_view format = Token().text;
            if (format.find("bin") != std::string_view::npos ||
                format.find("zip") != std::string_view::npos) {
                tokens_.Fail(QuoteForMessage(format) + " is not a kind of .x file this reader knows");
            }
            Token();  // the float size: a text file's numbers are text
            ParseLevel(&mesh_.RootFrame, 0);
            return;
        }
        const bool binaryBody = kind != "tzip";
        const std::string_view floatSize = bytes_.substr(12, 4);
        if (binaryBody && floatSize != "0032" && floatSize != "0064") {
            throw XFileError{fileName_ + ", byte 12: the float size " + QuoteForMessage(floatSize) +
                             " is neither 0032 nor 0064"};
        }
        std::string_view body = bytes_.substr(kHeaderSize);
        const bool compressed = kind != "bin ";
        if (compressed) {
            InflateBody(bytes_, fileName_, inflated_);
            body = inflated_;
        }
        tokens_.Start(body, binaryBody ? TokenStream::Body::Binary : TokenStream::Body::Text, kHeaderSize,
                      compressed, floatSize == "0064" ? 64 : 32);
        ParseLevel(&mesh_.RootFrame, 0);
    }

private:
    [[noreturn]] void Fail(const std::string& what) const { tokens_.Fail(what); }

    ::Token Token() { return tokens_.Next(); }

    // A token whose value is not used (a count the reader does not need).
    void Skip(const char* what) {
        uint32_t unused;
        if (!tokens_.FastCount(unused)) {
            Required(what);
        }
    }

    // A token that must be there: the end of the text here means the file was cut short.
    ::Token Required(const char* what) {
        const ::Token token = Token();
        if (token.IsEnd()) {
            Fail(std::string("the file ends where ") + what + " was expected");
        }
        return token;
    }

    float Number(const char* what) {
        double value;
        if (!tokens_.FastNumber(value)) {
            return SlowNumber(what);
        }
        // A binary float may be infinite or not a number at all.
        if (!(std::fabs(value) <= std::numeric_limits<float>::max())) {
            FailFloat(value, what);
        }
        return static_cast<float>(value);
    }

    // A number that is not a plain one, or that a float cannot hold (a failure unless it converts).
    [[noreturn]] __attribute__((noinline)) void FailFloat(double value, const char* what) {
        char text[48];
        std::snprintf(text, sizeof text, "%g", value);
        Fail(std::string("the float ") + text + " is not a number a model can hold (" + what + ")");
    }

    __attribute__((noinline)) float SlowNumber(const char* what) {
        const ::Token token = Required(what);
        double value = token.number;
        if (token.kind == Token::Kind::Word && !ParseDecimal(token.text, value)) {
            Fail(Describe(token) + " is not a number (" + what + ")");
        }
        if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
            Fail(Describe(token) + " is not a number a model can hold (" + what + ")");
        }
        return static_cast<float>(value);
    }

    // `count` numbers into `out`; a run of a binary float list is copied as a whole.
    void ReadFloats(float* out, size_t count, const char* what) {
        for (size_t i = 0; i < count;) {
            const size_t run = tokens_.FloatRun(out + i, count - i);
            if (run > 0) {
                i += run;
            } else {
                out[i++] = Number(what);
            }
        }
    }

    uint32_t Count(const char* what) {
        uint32_t value;
        if (tokens_.FastCount(value)) {
            return value;
        }
        return SlowCount(what);
    }

    __attribute__((noinline)) uint32_t SlowCount(const char* what) {
        const ::Token token = Required(what);
        uint32_t value = token.integer;
        if (token.kind == Token::Kind::Integer) {
            return value;
        }
        if (token.kind != Token::Kind::Word || !ParseCount(token.text, value)) {
            Fail(Describe(token) + " is not a whole number from 0 to 4294967295 (" + what + ")");
        }
        return value;
    }

    // A count or index that must be below `limit`.
    uint32_t Below(uint32_t limit, const char* what, const char* limitName) {
        const uint32_t value = Count(what);
        if (value >= limit) {
            FailRange(value, limit, what, limitName);
        }
        return value;
    }

    [[noreturn]] __attribute__((noinline)) void FailRange(uint32_t value, uint32_t limit, const char* what,
                                                          const char* limitName) {
        Fail(std::string(what) + " " + std::to_string(value) + " is out of range (" + std::to_string(limit) +
             " " + limitName + ")");
    }

    // Whole numbers read ahead in runs. `due` is how many numbers the caller is sure to read from here
    // on (this one included), so that a run never reaches past the list being read.
    // The limit of the indices of the list about to be read (see CheckBelow); runs read from now on
    // are checked against it as a whole.
    void SetRunLimit(uint32_t limit) {
        runLimit_ = limit;
        runBelow_ = false;
    }

    uint32_t NextInteger(uint64_t due, const char* what) {
        if (runAt_ == runSize_) {
            runAt_ = 0;
            runSize_ = tokens_.IntegerRun(run_, static_cast<size_t>(std::min<uint64_t>(due, kRunLength)));
            if (runSize_ == 0) {
                return Count(what);
            }
            uint32_t over = 0;
            for (size_t i = 0; i < runSize_; ++i) {
                over |= static_cast<uint32_t>(run_[i] >= runLimit_);
            }
            runBelow_ = over == 0;
        }
        return run_[runAt_++];
    }

    // `count` whole numbers of the current run, each below `limit`; the first that is not fails as
    // NextBelow does. Mostly the whole run is below the limit set for it (SetRunLimit).
    void CheckBelow(const uint32_t* values, uint32_t count, uint32_t limit, const char* what,
                    const char* limitName) {
        if (limit == runLimit_ && runBelow_) {
            return;
        }
        uint32_t largest = 0;
        for (uint32_t i = 0; i < count; ++i) {
            largest = std::max(largest, values[i]);
        }
        if (largest >= limit) {
            for (uint32_t i = 0; i < count; ++i) {
                if (values[i] >= limit) {
                    FailRange(values[i], limit, what, limitName);
                }
            }
        }
    }

    uint32_t NextBelow(uint32_t limit, uint64_t due, const char* what, const char* limitName) {
        const uint32_t value = NextInteger(due, what);
        if (value >= limit) {
            FailRange(value, limit, what, limitName);
        }
        return value;
    }

    void ReadMatrix(TMatrix& m, const char* what) { ReadFloats(&m.m[0][0], 16, what); }

    // The opening brace of a data object after its template name, with the optional name of the object
    // before it (FrameTransformMatrix relative { ... }). The name is returned; empty when there is none.
    std::string_view OpenBrace(const char* templateName) {
        const ::Token token = Required("\"{\"");
        if (token == "{") {
            return {};
        }
        if (Required("\"{\"") != "{") {
            Fail(std::string("\"{\" is missing after ") + templateName + " " + Describe(token));
        }
        return token.text;
    }

    // The optional name of a template and its opening brace; `unnamed` when the brace comes first.
    std::string TemplateName(const char* templateName, const char* unnamed) {
        const std::string_view name = OpenBrace(templateName);
        return name.empty() ? unnamed : Cut(name, kModelNameLength);
    }

    bool IsOpen(OpenTemplate kind) const {
        return std::find(open_.begin(), open_.end(), kind) != open_.end();
    }

    TMeshPart& LastPart(const char* templateName) {
        if (mesh_.MeshParts.empty()) {
            Fail(std::string(templateName) + " outside a Mesh");
        }
        return mesh_.MeshParts.back();
    }

    // One nesting level of frames. `slot` holds the level's current frame (empty until its first
    // Frame). A frame that follows a closed frame becomes its sibling and the level's slot moves to it;
    // a frame inside the open current frame becomes its first child, parsed one level deeper.
    void ParseLevel(std::unique_ptr<TFrame>* slot, int depth) {
        for (;;) {
            const ::Token token = Token();
            if (token.IsEnd()) {
                // A file cut inside a frame, mesh or animation is not a whole model, even though
                // every block before the cut was read.
                if (!open_.empty()) {
                    Fail(std::string("the file ends inside ") + TemplateKindName(open_.back()) +
                         " that was never closed");
                }
                return;
            }
            TFrame* current = slot->get();
            if (token == "template") {
                SkipTemplate();
            } else if (token == "{") {
                ReadReference();
            } else if (token == "}") {
                if (CloseTemplate()) {
                    return;
                }
            } else if (token == "Frame") {
                auto frame = std::make_unique<TFrame>();
                frame->Name = TemplateName("Frame", "unnamed");
                open_.push_back(OpenTemplate::Frame);
                if (current == nullptr) {
                    *slot = std::move(frame);
                    frameClosed_ = false;
                } else if (frameClosed_) {
                    if (current->NextSibling) {
                        Fail("frame " + QuoteForMessage(current->Name) + " already has a sibling");
                    }
                    frameClosed_ = false;
                    current->NextSibling = std::move(frame);
                    slot = &current->NextSibling;
                } else {
                    if (depth + 1 >= kMaxFrameDepth) {
                        Fail("frames are nested deeper than " + std::to_string(kMaxFrameDepth) + " levels");
                    }
                    if (current->FirstChild) {
                        Fail("frame " + QuoteForMessage(current->Name) + " already has a child");
                    }
                    current->FirstChild = std::move(frame);
                    ParseLevel(&current->FirstChild, depth + 1);
                }
            } else if (token == "FrameTransformMatrix") {
                TMatrix unused;
                OpenBrace("FrameTransformMatrix");
                ReadMatrix(current != nullptr ? current->TransformMatrix : unused, "a frame transform");
                Required("\"}\"");
            } else if (token == "Mesh") {
                ReadMesh(current);
            } else if (token == "MeshNormals") {
                ReadNormals();
            } else if (token == "MeshTextureCoords") {
                ReadTexCoords();
            } else if (token == "SkinWeights") {
                ReadSkinWeights();
            } else if (token == "MeshMaterialList") {
                ReadMaterialList();
            } else if (token == "Material") {
                ReadMaterial();
            } else if (token == "AnimationSet") {
                ReadAnimationSet();
            } else if (token == "Animation") {
                ReadAnimation();
            } else if (token == "AnimationKey") {
                ReadAnimationKey();
            } else {
                SkipBlock(token);
            }
        }
    }

    // A closing brace of an open template. True when the level ends: a frame closes while the current
    // frame is already closed, so the brace belongs to the parent.
    bool CloseTemplate() {
        if (open_.empty()) {
            return false;
        }
        const OpenTemplate closed = open_.back();
        open_.pop_back();
        if (closed == OpenTemplate::Mesh) {
            FinishMesh();
        } else if (closed == OpenTemplate::Frame) {
            if (frameClosed_) {
                return true;
            }
            frameClosed_ = true;
        }
        return false;
    }

    void SkipTemplate() {
        while (Required("the end of a template declaration") != "}") {
        }
    }

    // A template the reader does not know, with everything nested in it.
    void SkipBlock(const ::Token& name) {
        int depth = 0;
        for (;;) {
            const ::Token token = Token();
            if (token.IsEnd()) {
                Fail("the file ends inside " + Describe(name));
            }
            if (token == "{") {
                ++depth;
            } else if (token == "}") {
                if (depth == 1) {
                    return;
                }
                --depth;
            }
        }
    }

    // { name } inside a MeshMaterialList (a material read earlier) or an Animation (its frame).
    void ReadReference() {
        if (IsOpen(OpenTemplate::MeshMaterialList)) {
            const std::string name = Cut(Required("a material name").text, kModelNameLength);
            uint16_t index = 0;
            for (size_t i = 0; i < materials_.size(); ++i) {
                if (materials_[i].Name == name) {
                    index = static_cast<uint16_t>(i);
                    break;
                }
            }
            AddToMaterialMap(index);
            Required("\"}\"");
        } else if (IsOpen(OpenTemplate::Animation)) {
            const std::string name = Cut(Required("a frame name").text, kModelNameLength);
            if (mesh_.AnimationSets.empty() || mesh_.AnimationSets.back().Tracks.empty()) {
                Fail("a frame reference outside an Animation");
            }
            mesh_.AnimationSets.back().Tracks.back().FrameName = name;
            Required("\"}\"");
        }
    }

    void AddToMaterialMap(uint16_t index) {
        if (materialMap_.size() >= std::numeric_limits<uint16_t>::max()) {
            Fail("a mesh lists more than 65535 materials");
        }
        materialMap_.push_back(index);
    }

    uint32_t FaceCount() const { return static_cast<uint32_t>(faceMaterials_.size()); }

    void ReadMesh(TFrame* frame) {
        open_.push_back(OpenTemplate::Mesh);
        mesh_.MeshParts.emplace_back();
        TMeshPart& part = mesh_.MeshParts.back();
        part.Name = TemplateName("Mesh", "unnamed");
        part.Frame = frame;
        const uint32_t vertexCount = Count("vertex count");
        if (vertexCount > std::numeric_limits<uint16_t>::max()) {
            Fail("a mesh of " + std::to_string(vertexCount) + " vertices does not fit 16-bit indices");
        }
        part.VertexCount = static_cast<uint16_t>(vertexCount);
        part.Positions.assign(vertexCount, TVector3{0, 0, 0});
        static_assert(sizeof(TVector3) == 3 * sizeof(float) && sizeof(TVector2) == 2 * sizeof(float));
        ReadFloats(reinterpret_cast<float*>(part.Positions.data()), 3u * vertexCount, "a vertex position");
        const uint32_t faceCount = Count("face count");
        faceStarts_.clear();
        faceIndices_.clear();
        faceMaterials_.clear();
        faceVertexCount_ = vertexCount;
        faceStarts_.reserve(tokens_.Plausible(faceCount) + 1);
        faceMaterials_.reserve(tokens_.Plausible(faceCount));
        faceIndices_.reserve(tokens_.Plausible(faceCount) * 4);
        faceStarts_.push_back(0);
        SetRunLimit(vertexCount);
        for (uint32_t f = 0; f < faceCount; ++f) {
            f = ReadFacesInRun(f, faceCount, vertexCount);
            if (f == faceCount) {
                break;
            }
            const uint32_t indexCount = NextInteger(faceCount - f, "index count of a face");
            const size_t at = faceIndices_.size();
            if (runSize_ - runAt_ >= indexCount) {
                // The whole face is read ahead already.
                const uint32_t* in = run_ + runAt_;
                CheckBelow(in, indexCount, vertexCount, "vertex index", "vertices");
                faceIndices_.insert(faceIndices_.end(), in, in + indexCount);
                runAt_ += indexCount;
                faceStarts_.push_back(static_cast<uint32_t>(faceIndices_.size()));
                continue;
            }
            faceIndices_.resize(at + std::min(indexCount, tokens_.Plausible(indexCount)));
            for (uint32_t i = 0; i < indexCount; ++i) {
                const uint64_t due = uint64_t{indexCount} - i + (faceCount - f - 1);
                const uint16_t index =
                    static_cast<uint16_t>(NextBelow(vertexCount, due, "vertex index", "vertices"));
                if (at + i < faceIndices_.size()) {
                    faceIndices_[at + i] = index;
                } else {
                    faceIndices_.push_back(index);
                }
            }
            faceStarts_.push_back(static_cast<uint32_t>(faceIndices_.size()));
        }
        faceMaterials_.assign(faceCount, 0);
        EndRun();
    }

    // The faces from `f` on whose count and indices are all in the run read ahead already (a run
    // whose numbers are all below the vertex count needs no check of its own), appended through
    // pointers held in registers; returns the first face not read.
    uint32_t ReadFacesInRun(uint32_t f, uint32_t faceCount, uint32_t vertexCount) {
        size_t at = runAt_;
        const size_t size = runSize_;
        if (at == size) {
            return f;
        }
        // Every face takes at least one number of the run: room for all it can hold, cut back after.
        const size_t indicesBefore = faceIndices_.size();
        const size_t startsBefore = faceStarts_.size();
        faceIndices_.resize(indicesBefore + (size - at));
        faceStarts_.resize(startsBefore + (size - at));
        uint16_t* indices = faceIndices_.data() + indicesBefore;
        uint32_t* starts = faceStarts_.data() + startsBefore;
        uint32_t next = static_cast<uint32_t>(indicesBefore);
        for (; f < faceCount && at < size && size - at > run_[at]; ++f) {
            const uint32_t indexCount = run_[at];
            const uint32_t* in = run_ + at + 1;
            CheckBelow(in, indexCount, vertexCount, "vertex index", "vertices");
            for (uint32_t i = 0; i < indexCount; ++i) {
                indices[i] = static_cast<uint16_t>(in[i]);
            }
            indices += indexCount;
            next += indexCount;
            *starts++ = next;
            at += 1 + indexCount;
        }
        runAt_ = at;
        faceIndices_.resize(next);
        faceStarts_.resize(static_cast<size_t>(starts - faceStarts_.data()));
        return f;
    }

    void ReadNormals() {
        TMeshPart& part = LastPart("MeshNormals");
        OpenBrace("MeshNormals");
        const uint32_t normalCount = Count("normal count");
        // Read in pieces, so that a count past the end of the file allocates no more than the file holds.
        std::vector<TVector3>& normals = normals_;
        normals.clear();
        for (uint32_t done = 0; done < normalCount;) {
            // Three numbers take at least three bytes.
            const uint32_t piece = std::max<uint32_t>(
                1, std::min<uint32_t>(normalCount - done, tokens_.Plausible(UINT32_MAX) / 3));
            normals.resize(done + piece);
            ReadFloats(&normals[done].X, 3u * piece, "a normal");
            done += piece;
        }
        Skip("the count of face normals");
        part.Normals.assign(part.VertexCount, TVector3{0, 0, 0});
        // The faces' corners were checked against the vertex count of their mesh when they were read.
        if (faceVertexCount_ != part.VertexCount) {
            Fail("MeshNormals does not follow the faces of its Mesh");
        }
        TVector3* sums = part.Normals.data();
        const uint16_t* corners = faceIndices_.data();
        const uint32_t* starts = faceStarts_.data();
        const TVector3* given = normals.data();
        // A vertex shared by several faces sums the normals they give it.
        auto addNormal = [sums, corners](uint32_t corner, const TVector3& normal) {
            TVector3& sum = sums[corners[corner]];
            sum.X += normal.X;
            sum.Y += normal.Y;
            sum.Z += normal.Z;
        };
        const uint32_t faces = FaceCount();
        SetRunLimit(normalCount);
        for (uint32_t f = 0; f < faces; ++f) {
            // The faces whose count and indices are in the run already, which is below the normal count
            // as a whole.
            while (runBelow_ && f < faces && runSize_ - runAt_ > starts[f + 1] - starts[f]) {
                const uint32_t* in = run_ + runAt_ + 1;
                for (uint32_t i = starts[f]; i < starts[f + 1]; ++i) {
                    addNormal(i, given[*in++]);
                }
                runAt_ += 1 + starts[f + 1] - starts[f];
                ++f;
            }
            if (f == faces) {
                break;
            }
            const uint32_t begin = starts[f];
            const uint32_t end = starts[f + 1];
            NextInteger(uint64_t{end - begin} + 1 + (faces - f - 1), "the index count of a face normal");
            if (runSize_ - runAt_ >= end - begin) {
                // The whole face is read ahead already.
                const uint32_t* in = run_ + runAt_;
                CheckBelow(in, end - begin, normalCount, "normal index", "normals");
                for (uint32_t i = begin; i < end; ++i) {
                    addNormal(i, given[*in++]);
                }
                runAt_ += end - begin;
                continue;
            }
            for (uint32_t i = begin; i < end; ++i) {
                const uint64_t due = uint64_t{end} - i + (faces - f - 1);
                addNormal(i, given[NextBelow(normalCount, due, "normal index", "normals")]);
            }
        }
        EndRun();
        Required("\"}\"");
    }

    void ReadTexCoords() {
        TMeshPart& part = LastPart("MeshTextureCoords");
        OpenBrace("MeshTextureCoords");
        Required("the texture coordinate count");
        part.TexCoords.assign(part.VertexCount, TVector2{0, 0});
        ReadFloats(reinterpret_cast<float*>(part.TexCoords.data()), 2u * part.VertexCount,
                   "a texture coordinate");
        Required("\"}\"");
    }

    void ReadSkinWeights() {
        TMeshPart& part = LastPart("SkinWeights");
        OpenBrace("SkinWeights");
        if (mesh_.Bones.size() >= std::numeric_limits<uint16_t>::max()) {
            Fail("more than 65535 bones");
        }
        mesh_.Bones.emplace_back();
        TBone& bone = mesh_.Bones.back();
        bone.Name = Cut(Required("a bone name").text, kModelNameLength);
        const float boneNumber = static_cast<float>(mesh_.Bones.size() - 1);

        const uint32_t weightCount = Count("weight count");
        std::vector<uint16_t> vertices;
        vertices.reserve(tokens_.Plausible(weightCount));
        for (uint32_t i = 0; i < weightCount; ++i) {
            vertices.push_back(
                static_cast<uint16_t>(Below(part.VertexCount, "skin vertex index", "vertices")));
        }
        std::vector<float> weights;
        weights.reserve(vertices.size());
        for (uint32_t i = 0; i < weightCount; ++i) {
            weights.push_back(Number("a skin weight"));
        }
        if (part.BlendWeights.empty()) {
            part.BlendWeights.assign(part.VertexCount, TVector4{0, 0, 0, 0});
            part.BlendIndices.assign(part.VertexCount,
                                     TVector4{kFreeBoneSlot, kFreeBoneSlot, kFreeBoneSlot, kFreeBoneSlot});
        }
        for (size_t i = 0; i < vertices.size(); ++i) {
            float* slotBones = &part.BlendIndices[vertices[i]].X;
            float* slotWeights = &part.BlendWeights[vertices[i]].X;
            // The first free slot of four takes the weight; a fifth weight for a vertex is dropped.
            for (int s = 0; s < 4; ++s) {
                if (slotBones[s] == kFreeBoneSlot) {
                    slotBones[s] = boneNumber;
                    slotWeights[s] = weights[i];
                    break;
                }
            }
        }
        ReadMatrix(bone.OffsetMatrix, "a bone offset matrix");
        Required("\"}\"");
    }

    void ReadMaterialList() {
        materialMap_.clear();
        open_.push_back(OpenTemplate::MeshMaterialList);
        LastPart("MeshMaterialList");
        OpenBrace("MeshMaterialList");
        Required("the material count");
        Required("the count of face materials");
        const uint32_t limit = std::numeric_limits<uint16_t>::max();
        const size_t faces = faceMaterials_.size();
        for (size_t f = 0; f < faces; ++f) {
            faceMaterials_[f] =
                static_cast<uint16_t>(NextBelow(limit, faces - f, "material index", "at most"));
        }
        EndRun();
    }

    void ReadMaterial() {
        if (materials_.size() > std::numeric_limits<uint16_t>::max()) {
            Fail("more than 65536 materials");
        }
        TMaterialRecord material;
        material.Name = TemplateName("Material", "");
        ReadFloats(material.FaceColor, 4, "a face colour");
        material.Power = Number("a specular power");
        ReadFloats(material.Specular, 3, "a specular colour");
        ReadFloats(material.Emissive, 3, "an emissive colour");
        // The texture file name, and whatever else an exporter puts into a material (skipped).
        for (::Token token = Required("\"}\""); token != "}"; token = Required("\"}\"")) {
            if (token == "TextureFilename" || token == "TextureFileName") {
                OpenBrace("TextureFilename");
                material.TextureFilename = Cut(Required("a texture file name").text, kTextureNameLength);
                Required("\"}\"");
            } else {
                SkipBlock(token);
            }
        }
        materials_.push_back(std::move(material));
        if (IsOpen(OpenTemplate::Mesh)) {
            AddToMaterialMap(static_cast<uint16_t>(materials_.size() - 1));
        }
    }

    void ReadAnimationSet() {
        open_.push_back(OpenTemplate::AnimationSet);
        mesh_.AnimationSets.emplace_back();
        mesh_.AnimationSets.back().Name = TemplateName("AnimationSet", "");
    }

    void ReadAnimation() {
        OpenBrace("Animation");
        if (mesh_.AnimationSets.empty()) {
            Fail("Animation outside an AnimationSet");
        }
        open_.push_back(OpenTemplate::Animation);
        mesh_.AnimationSets.back().Tracks.emplace_back();
    }

    void ReadAnimationKey() {
        OpenBrace("AnimationKey");
        const ::Token type = Required("a key type");
        if (type != "4" && !(type.kind == Token::Kind::Integer && type.integer == 4)) {
            // Rotation, scale and position keys are not used: only matrix keys animate frames.
            while (Required("\"}\"") != "}") {
            }
            return;
        }
        if (mesh_.AnimationSets.empty() || mesh_.AnimationSets.back().Tracks.empty()) {
            Fail("AnimationKey outside an Animation");
        }
        std::vector<TAnimationKey>& keys = mesh_.AnimationSets.back().Tracks.back().Keys;
        const uint32_t keyCount = Count("key count");
        keys.reserve(keys.size() + tokens_.Plausible(keyCount) / 16);
        for (uint32_t k = 0; k < keyCount; ++k) {
            TAnimationKey key;
            key.Time = Count("key time");
            Required("the value count of a key");
            ReadMatrix(key.Matrix, "a key matrix");
            keys.push_back(key);
        }
        Required("\"}\"");
    }

    // The closing brace of a Mesh: one subset per listed material (or the default material), each face
    // fan-triangulated into the subset of its material.
    void FinishMesh() {
        if (mesh_.MeshParts.empty()) {
            return;
        }
        TMeshPart& part = mesh_.MeshParts.back();
        if (materialMap_.empty()) {
            materialMap_.push_back(0);
        }
        std::vector<TSubset> subsets(materialMap_.size());
        for (size_t i = 0; i < subsets.size(); ++i) {
            subsets[i].Material = materials_[materialMap_[i]];
        }
        materialMap_.clear();
        std::vector<size_t> triangles(subsets.size(), 0);
        const uint32_t faces = FaceCount();
        const uint16_t* materials = faceMaterials_.data();
        const uint32_t* starts = faceStarts_.data();
        // Counted in runs of faces of one material: a counter in a register, not one in memory that
        // every face would wait for.
        for (uint32_t f = 0; f < faces;) {
            const uint16_t material = materials[f];
            if (material >= subsets.size()) {
                Fail("face " + std::to_string(f) + " of mesh " + QuoteForMessage(part.Name) +
                     " uses material " + std::to_string(material) + ", but the mesh has " +
                     std::to_string(subsets.size()));
            }
            size_t count = 0;
            for (; f < faces && materials[f] == material; ++f) {
                const uint32_t corners = starts[f + 1] - starts[f];
                count += corners >= 3 ? corners - 2 : 0;
            }
            triangles[material] += count;
        }
        std::vector<uint16_t*> ends(subsets.size());
        for (size_t s = 0; s < subsets.size(); ++s) {
            subsets[s].Indices.resize(triangles[s] * 3);
            ends[s] = subsets[s].Indices.data();
        }
        const uint16_t* corners = faceIndices_.data();
        for (uint32_t f = 0; f < faces;) {
            // A run of faces of one material, its place of output in a register.
            const uint16_t material = materials[f];
            uint16_t* out = ends[material];
            for (; f < faces && materials[f] == material; ++f) {
                const uint16_t* face = corners + starts[f];
                const uint16_t* faceEnd = corners + starts[f + 1];
                if (faceEnd - face < 3) {
                    continue;
                }
                const uint16_t first = face[0];
                uint16_t previous = face[1];
                for (const uint16_t* c = face + 2; c != faceEnd; ++c) {
                    const uint16_t next = *c;
                    out[0] = first;
                    out[1] = previous;
                    out[2] = next;
                    out += 3;
                    previous = next;
                }
            }
            ends[material] = out;
        }
        part.Subsets = std::move(subsets);
    }

    // Every number of a run is read before anything else: a run never reaches past its list.
    void EndRun() {
        if (runAt_ != runSize_) {
            Fail("a list holds more numbers than its counts give");
        }
    }

    static constexpr size_t kRunLength = 256;
    uint32_t run_[kRunLength];
    size_t runAt_ = 0;
    size_t runSize_ = 0;
    uint32_t runLimit_ = 0;  // set by the reader of a list of indices: the limit of them
    bool runBelow_ = false;  // every number of the run is below runLimit_
    std::string_view bytes_;
    std::string inflated_;  // the body of a compressed file
    TokenStream tokens_;
    std::string fileName_;
    TMesh& mesh_;
    std::vector<TMaterialRecord> materials_;  // every Material read so far; 0 is "Default"
    Scratch& scratch_;
    std::vector<uint16_t>& materialMap_ = scratch_.materialMap;  // the materials of the mesh being read
    std::vector<OpenTemplate>& open_ = scratch_.open;
    // The faces of the last mesh read: the corners of face f are faceIndices_[faceStarts_[f]] up to
    // faceIndices_[faceStarts_[f + 1]], its material faceMaterials_[f].
    std::vector<uint32_t>& faceStarts_ = scratch_.faceStarts;
    std::vector<uint16_t>& faceIndices_ = scratch_.faceIndices;
    std::vector<uint16_t>& faceMaterials_ = scratch_.faceMaterials;
    uint32_t faceVertexCount_ = 0;  // the vertex count of that mesh: every corner is below it
    std::vector<TVector3>& normals_ = scratch_.normals;  // the normals of a MeshNormals, kept for the next
    bool frameClosed_ = false;  // shared by all levels: the current frame has been closed
};

}  // namespace

bool ReadXFile(std::string_view bytes, std::string_view fileName, TMesh& mesh, std::string& error) {
    thread_local Scratch shared;
    Scratch own;
    // A load started while another is under way on this thread (none does today) gets lists of its own.
    Scratch& scratch = shared.inUse ? own : shared;
    struct Release {
        Scratch& scratch;
        ~Release() {
            scratch.inUse = false;
            scratch.Trim();
        }
    } release{scratch};
    scratch.inUse = true;
    try {
        XParser parser(bytes, fileName, mesh, scratch);
        parser.Run();
        return true;
    } catch (const XFileError& e) {
        error = e.message;
    } catch (const std::bad_alloc&) {
        error = std::string(fileName) + ": out of memory while reading the model";
    }
    return false;
}
