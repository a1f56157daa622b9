#include "models/XFileReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>

#include "models/Mesh.h"

namespace {

// Frames nested deeper than this end the load: every level of nesting is one level of recursion.
constexpr int kMaxFrameDepth = 256;
// Vectors are never reserved larger than this from a count in the file; they grow as data arrives.
constexpr uint32_t kMaxReserve = 4096;

struct XFileError {
    std::string message;
};

bool IsSeparator(char c) {
    switch (c) {
        case ',':
        case ';':
        case ' ':
        case '"':
        case '\t':
        case '\n':
        case '\r':
            return true;
        default:
            return false;
    }
}

class Tokenizer {
public:
    explicit Tokenizer(std::string_view text) : text_(text) {}

    // The next token; empty at the end of the text.
    std::string_view Next() {
        for (;;) {
            while (pos_ < text_.size() && IsSeparator(text_[pos_])) {
                if (text_[pos_] == '\n') {
                    ++line_;
                }
                ++pos_;
            }
            if (pos_ >= text_.size()) {
                return {};
            }
            if (text_[pos_] != '/') {
                break;
            }
            // A slash that begins a token comments out the rest of the line.
            while (pos_ < text_.size() && text_[pos_] != '\n') {
                ++pos_;
            }
        }
        const size_t start = pos_;
        while (pos_ < text_.size() && !IsSeparator(text_[pos_])) {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

    int Line() const { return line_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
};

// The templates that need an action when their closing brace arrives.
enum class OpenTemplate { Frame, Mesh, MeshMaterialList, AnimationSet, Animation };

struct TPolygon {
    std::vector<uint16_t> Indices;
    uint16_t MaterialIndex = 0;  // into the material map; 0 until a MeshMaterialList sets it
};

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

class XParser {
public:
    XParser(std::string_view bytes, std::string_view fileName, TMesh& mesh)
        : tokens_(bytes), fileName_(fileName), mesh_(mesh) {
        materials_.push_back(DefaultMaterialRecord());
    }

    void Run() {
        if (Token() != "xof") {
            Fail("not a .x file (it does not start with \"xof\")");
        }
        const std::string_view format = Token();
        if (format.find("bin") != std::string_view::npos || format.find("zip") != std::string_view::npos) {
            Fail("\"" + std::string(format) +
                 "\" is a binary or compressed .x file; only text files are read");
        }
        Token();  // float size
        ParseLevel(&mesh_.RootFrame, 0);
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw XFileError{fileName_ + ", line " + std::to_string(tokens_.Line()) + ": " + what};
    }

    std::string_view Token() { return tokens_.Next(); }

    // A token that must be there: the end of the text here means the file was cut short.
    std::string_view Required(const char* what) {
        const std::string_view token = Token();
        if (token.empty()) {
            Fail(std::string("the file ends where ") + what + " was expected");
        }
        return token;
    }

    float Number(const char* what) {
        const std::string_view token = Required(what);
        std::string_view digits = token;
        if (digits.size() > 1 && digits[0] == '+' && digits[1] != '-') {
            digits.remove_prefix(1);
        }
        double value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value) ||
            std::fabs(value) > std::numeric_limits<float>::max()) {
            Fail("\"" + std::string(token) + "\" is not a number (" + what + ")");
        }
        return static_cast<float>(value);
    }

    uint32_t Count(const char* what) {
        const std::string_view token = Required(what);
        std::string_view digits = token;
        if (digits.size() > 1 && digits[0] == '+') {
            digits.remove_prefix(1);
        }
        uint32_t value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec != std::errc() || end != digits.data() + digits.size()) {
            Fail("\"" + std::string(token) + "\" is not a whole number from 0 to 4294967295 (" + what + ")");
        }
        return value;
    }

    // A count or index that must be below `limit`.
    uint32_t Below(uint32_t limit, const char* what, const char* limitName) {
        const uint32_t value = Count(what);
        if (value >= limit) {
            Fail(std::string(what) + " " + std::to_string(value) + " is out of range (" +
                 std::to_string(limit) + " " + limitName + ")");
        }
        return value;
    }

    void ReadMatrix(TMatrix& m, const char* what) {
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 4; ++j) {
                m.m[i][j] = Number(what);
            }
        }
    }

    // The optional name of a template and its opening brace; `unnamed` when the brace comes first.
    std::string TemplateName(const char* what, const char* unnamed) {
        const std::string_view token = Required(what);
        if (token == "{") {
            return unnamed;
        }
        Required("\"{\"");
        return Cut(token, kModelNameLength);
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
            const std::string_view token = Token();
            if (token.empty()) {
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
                frame->Name = TemplateName("a frame name", "unnamed");
                open_.push_back(OpenTemplate::Frame);
                if (current == nullptr) {
                    *slot = std::move(frame);
                    frameClosed_ = false;
                } else if (frameClosed_) {
                    if (current->NextSibling) {
                        Fail("frame \"" + current->Name + "\" already has a sibling");
                    }
                    frameClosed_ = false;
                    current->NextSibling = std::move(frame);
                    slot = &current->NextSibling;
                } else {
                    if (depth + 1 >= kMaxFrameDepth) {
                        Fail("frames are nested deeper than " + std::to_string(kMaxFrameDepth) + " levels");
                    }
                    if (current->FirstChild) {
                        Fail("frame \"" + current->Name + "\" already has a child");
                    }
                    current->FirstChild = std::move(frame);
                    ParseLevel(&current->FirstChild, depth + 1);
                }
            } else if (token == "FrameTransformMatrix") {
                TMatrix unused;
                Required("\"{\"");
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
        for (;;) {
            const std::string_view token = Required("the end of a template declaration");
            if (token == "}") {
                return;
            }
        }
    }

    // A template the reader does not know, with everything nested in it.
    void SkipBlock(std::string_view name) {
        int depth = 0;
        for (;;) {
            const std::string_view token = Token();
            if (token.empty()) {
                Fail("the file ends inside \"" + Cut(name, kModelNameLength) + "\"");
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
            const std::string name = Cut(Required("a material name"), kModelNameLength);
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
            const std::string name = Cut(Required("a frame name"), kModelNameLength);
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

    void ReadMesh(TFrame* frame) {
        open_.push_back(OpenTemplate::Mesh);
        mesh_.MeshParts.emplace_back();
        TMeshPart& part = mesh_.MeshParts.back();
        part.Name = TemplateName("a mesh name", "unnamed");
        part.Frame = frame;
        const uint32_t vertexCount = Count("vertex count");
        if (vertexCount > std::numeric_limits<uint16_t>::max()) {
            Fail("a mesh of " + std::to_string(vertexCount) + " vertices does not fit 16-bit indices");
        }
        part.VertexCount = static_cast<uint16_t>(vertexCount);
        part.Positions.assign(vertexCount, TVector3{0, 0, 0});
        for (TVector3& p : part.Positions) {
            p.X = Number("a vertex position");
            p.Y = Number("a vertex position");
            p.Z = Number("a vertex position");
        }
        const uint32_t faceCount = Count("face count");
        faces_.clear();
        faces_.reserve(std::min(faceCount, kMaxReserve));
        for (uint32_t f = 0; f < faceCount; ++f) {
            const uint32_t indexCount = Count("index count of a face");
            TPolygon face;
            face.Indices.reserve(std::min(indexCount, kMaxReserve));
            for (uint32_t i = 0; i < indexCount; ++i) {
                face.Indices.push_back(static_cast<uint16_t>(Below(vertexCount, "vertex index", "vertices")));
            }
            faces_.push_back(std::move(face));
        }
    }

    void ReadNormals() {
        TMeshPart& part = LastPart("MeshNormals");
        Required("\"{\"");
        const uint32_t normalCount = Count("normal count");
        std::vector<TVector3> normals;
        normals.reserve(std::min(normalCount, kMaxReserve));
        for (uint32_t i = 0; i < normalCount; ++i) {
            TVector3 n;
            n.X = Number("a normal");
            n.Y = Number("a normal");
            n.Z = Number("a normal");
            normals.push_back(n);
        }
        Required("the count of face normals");
        part.Normals.assign(part.VertexCount, TVector3{0, 0, 0});
        // A vertex shared by several faces sums the normals they give it.
        for (const TPolygon& face : faces_) {
            Required("the index count of a face normal");
            for (uint16_t vertex : face.Indices) {
                const uint32_t n = Below(normalCount, "normal index", "normals");
                if (vertex >= part.Normals.size()) {
                    Fail("MeshNormals does not follow the faces of its Mesh");
                }
                TVector3& sum = part.Normals[vertex];
                sum = VectorAdd(sum, normals[n]);
            }
        }
        Required("\"}\"");
    }

    void ReadTexCoords() {
        TMeshPart& part = LastPart("MeshTextureCoords");
        Required("\"{\"");
        Required("the texture coordinate count");
        part.TexCoords.assign(part.VertexCount, TVector2{0, 0});
        for (TVector2& uv : part.TexCoords) {
            uv.X = Number("a texture coordinate");
            uv.Y = Number("a texture coordinate");
        }
        Required("\"}\"");
    }

    void ReadSkinWeights() {
        TMeshPart& part = LastPart("SkinWeights");
        Required("\"{\"");
        if (mesh_.Bones.size() >= std::numeric_limits<uint16_t>::max()) {
            Fail("more than 65535 bones");
        }
        mesh_.Bones.emplace_back();
        TBone& bone = mesh_.Bones.back();
        bone.Name = Cut(Required("a bone name"), kModelNameLength);
        const float boneNumber = static_cast<float>(mesh_.Bones.size() - 1);

        const uint32_t weightCount = Count("weight count");
        std::vector<uint16_t> vertices;
        vertices.reserve(std::min(weightCount, kMaxReserve));
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
        Required("\"{\"");
        Required("the material count");
        Required("the count of face materials");
        for (TPolygon& face : faces_) {
            face.MaterialIndex = static_cast<uint16_t>(
                Below(std::numeric_limits<uint16_t>::max(), "material index", "at most"));
        }
    }

    void ReadMaterial() {
        if (materials_.size() > std::numeric_limits<uint16_t>::max()) {
            Fail("more than 65536 materials");
        }
        TMaterialRecord material;
        material.Name = TemplateName("a material name", "");
        for (float& c : material.FaceColor) {
            c = Number("a face colour");
        }
        material.Power = Number("a specular power");
        for (int i = 0; i < 3; ++i) {
            material.Specular[i] = Number("a specular colour");
        }
        for (int i = 0; i < 3; ++i) {
            material.Emissive[i] = Number("an emissive colour");
        }
        if (Required("\"}\"") == "TextureFilename") {
            Required("\"{\"");
            material.TextureFilename = Cut(Required("a texture file name"), kTextureNameLength);
            Required("\"}\"");
            Required("\"}\"");
        }
        materials_.push_back(std::move(material));
        if (IsOpen(OpenTemplate::Mesh)) {
            AddToMaterialMap(static_cast<uint16_t>(materials_.size() - 1));
        }
    }

    void ReadAnimationSet() {
        open_.push_back(OpenTemplate::AnimationSet);
        mesh_.AnimationSets.emplace_back();
        mesh_.AnimationSets.back().Name = TemplateName("an animation set name", "");
    }

    void ReadAnimation() {
        if (Required("an animation name") != "{") {
            Required("\"{\"");
        }
        if (mesh_.AnimationSets.empty()) {
            Fail("Animation outside an AnimationSet");
        }
        open_.push_back(OpenTemplate::Animation);
        mesh_.AnimationSets.back().Tracks.emplace_back();
    }

    void ReadAnimationKey() {
        Required("\"{\"");
        if (Required("a key type") != "4") {
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
        keys.reserve(keys.size() + std::min(keyCount, kMaxReserve));
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
        for (size_t f = 0; f < faces_.size(); ++f) {
            const TPolygon& face = faces_[f];
            if (face.MaterialIndex >= subsets.size()) {
                Fail("face " + std::to_string(f) + " of mesh \"" + part.Name + "\" uses material " +
                     std::to_string(face.MaterialIndex) + ", but the mesh has " +
                     std::to_string(subsets.size()));
            }
            std::vector<uint16_t>& indices = subsets[face.MaterialIndex].Indices;
            for (size_t i = 1; i + 1 < face.Indices.size(); ++i) {
                indices.push_back(face.Indices[0]);
                indices.push_back(face.Indices[i]);
                indices.push_back(face.Indices[i + 1]);
            }
        }
        part.Subsets = std::move(subsets);
    }

    Tokenizer tokens_;
    std::string fileName_;
    TMesh& mesh_;
    std::vector<TMaterialRecord> materials_;  // every Material read so far; 0 is "Default"
    std::vector<uint16_t> materialMap_;       // the materials of the mesh being read
    std::vector<OpenTemplate> open_;
    std::vector<TPolygon> faces_;  // the faces of the last mesh read
    bool frameClosed_ = false;     // shared by all levels: the current frame has been closed
};

}  // namespace

bool ReadXFile(std::string_view bytes, std::string_view fileName, TMesh& mesh, std::string& error) {
    try {
        XParser parser(bytes, fileName, mesh);
        parser.Run();
        return true;
    } catch (const XFileError& e) {
        error = e.message;
    } catch (const std::bad_alloc&) {
        error = std::string(fileName) + ": out of memory while reading the model";
    }
    return false;
}
