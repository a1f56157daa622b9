// A small .x writer for the model tests and the model benchmark: one model written as text, as binary
// with 32- or 64-bit floats, or MSZIP-compressed (text or binary), in the layout DirectX's own writer
// uses (names in binary files as name tokens, numbers in integer and float lists, strings ended by a
// semicolon token; compressed files as blocks of at most 32 KB, each deflated with the block before it as
// its dictionary).
#pragma once

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "models/Mesh.h"

namespace xfile_writer {

enum class Kind { Text, Binary32, Binary64, CompressedText, CompressedBinary32, CompressedBinary64 };

inline const char* KindName(Kind kind) {
    static const char* const kNames[] = {
        "text", "binary 32", "binary 64", "compressed text", "compressed binary 32", "compressed binary 64"};
    return kNames[static_cast<int>(kind)];
}

struct Material {
    std::string Name;
    std::array<float, 11> Values{};  // colour RGBA, power, specular RGB, emissive RGB
    std::string Texture;             // empty: none
};

struct Skin {
    std::string Bone;
    std::vector<uint32_t> Vertices;
    std::vector<float> Weights;
    std::array<float, 16> Offset{};
};

struct MeshData {
    std::string Name;
    std::vector<std::array<float, 3>> Positions;
    std::vector<std::vector<uint32_t>> Faces;
    std::vector<std::array<float, 3>> Normals;  // one per vertex, faces index them as they index positions
    std::vector<std::array<float, 2>> TexCoords;
    std::vector<uint32_t> FaceMaterials;  // empty: no material list
    std::vector<Material> Materials;
    std::vector<Skin> Skins;
};

struct Frame {
    std::string Name;
    std::array<float, 16> Transform{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::vector<MeshData> Meshes;
    std::vector<Frame> Children;
};

struct Key {
    uint32_t Time = 0;
    std::array<float, 16> Matrix{};
};

struct Track {
    std::string Frame;
    std::vector<Key> Keys;
};

struct AnimationSet {
    std::string Name;
    std::vector<Track> Tracks;
};

struct Model {
    std::vector<Frame> Frames;
    std::vector<AnimationSet> Animations;
};

// Tokens into a body, text or binary. Text gets the separators the caller gives; binary collects runs
// of numbers into lists.
class Emitter {
public:
    Emitter(bool binary, int floatBits) : binary_(binary), floatBits_(floatBits) {}

    void Open(std::string_view templateName, std::string_view name = {}) {
        if (!binary_) {
            out_ += std::string(templateName) + (name.empty() ? "" : " " + std::string(name)) + " {\n";
            return;
        }
        Name(templateName);
        if (!name.empty()) {
            Name(name);
        }
        Tag(10);
    }
    void Close() {
        if (!binary_) {
            out_ += "}\n";
            return;
        }
        Tag(11);
    }
    void Reference(std::string_view name) {
        if (!binary_) {
            out_ += "{ " + std::string(name) + " }\n";
            return;
        }
        Tag(10);
        Name(name);
        Tag(11);
    }
    void String(std::string_view text) {
        if (!binary_) {
            out_ += "\"" + std::string(text) + "\";\n";
            return;
        }
        Tag(2);
        U32(static_cast<uint32_t>(text.size()));
        out_ += text;
        U16(20);
    }
    void Int(uint32_t value, const char* separator) {
        if (!binary_) {
            out_ += std::to_string(value) + separator;
            return;
        }
        Pend(false);
        pending_.push_back(value);
    }
    void Float(float value, const char* separator) {
        if (!binary_) {
            char text[32];
            std::snprintf(text, sizeof text, "%.6f", value);
            out_ += std::string(text) + separator;
            return;
        }
        Pend(true);
        pendingFloats_.push_back(value);
    }
    void Line() {
        if (!binary_) {
            out_ += "\n";
        }
    }
    // Template declarations in front of the data, as the DirectX tools write them: in a text body as
    // they are, in a binary one as tokens (keywords, names, GUIDs, integers, punctuation).
    void Templates(std::string_view declarations) {
        if (!binary_) {
            out_ += std::string(declarations) + "\n";
            return;
        }
        static const char* const kTypes[] = {"WORD",    "DWORD",   "FLOAT",  "DOUBLE", "CHAR",
                                             "UCHAR",   "SWORD",   "SDWORD", "VOID",   "STRING",
                                             "UNICODE", "CSTRING", "array"};
        size_t at = 0;
        while (at < declarations.size()) {
            const char c = declarations[at];
            const char* punctuation = "{}[].;,";
            const uint16_t punctuationTags[] = {10, 11, 14, 15, 18, 20, 19};
            if (c == ' ' || c == '\n') {
                ++at;
            } else if (const char* p = std::strchr(punctuation, c); p != nullptr) {
                Tag(punctuationTags[p - punctuation]);
                ++at;
            } else if (c == '<') {
                // A GUID's 32 hex digits, its dashes left out, as 16 bytes.
                const size_t end = declarations.find('>', at);
                std::string digits;
                for (size_t i = at + 1; i < end; ++i) {
                    if (declarations[i] != '-') {
                        digits += declarations[i];
                    }
                }
                Tag(5);
                for (size_t i = 0; i + 1 < digits.size(); i += 2) {
                    out_ += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
                }
                at = end + 1;
            } else {
                size_t end = at;
                while (end < declarations.size() &&
                       std::strchr(" \n{}[].;,<", declarations[end]) == nullptr) {
                    ++end;
                }
                const std::string_view word = declarations.substr(at, end - at);
                at = end;
                const auto type = std::find(std::begin(kTypes), std::end(kTypes), word);
                if (word == "template") {
                    Tag(31);
                } else if (type != std::end(kTypes)) {
                    Tag(static_cast<uint16_t>(40 + (type - std::begin(kTypes))));
                } else if (std::isdigit(static_cast<unsigned char>(word[0]))) {
                    Tag(3);
                    U32(static_cast<uint32_t>(std::stoul(std::string(word))));
                } else {
                    Name(word);
                }
            }
        }
    }
    std::string Body() {
        Flush();
        return out_;
    }

private:
    void U16(uint16_t v) { out_.append(reinterpret_cast<const char*>(&v), 2); }
    void U32(uint32_t v) { out_.append(reinterpret_cast<const char*>(&v), 4); }
    void Tag(uint16_t tag) {
        Flush();
        U16(tag);
    }
    void Name(std::string_view name) {
        Tag(1);
        U32(static_cast<uint32_t>(name.size()));
        out_ += name;
    }
    void Pend(bool floats) {
        if ((floats && !pending_.empty()) || (!floats && !pendingFloats_.empty())) {
            Flush();
        }
    }
    void Flush() {
        if (!pending_.empty()) {
            U16(6);
            U32(static_cast<uint32_t>(pending_.size()));
            for (uint32_t v : pending_) {
                U32(v);
            }
            pending_.clear();
        }
        if (!pendingFloats_.empty()) {
            U16(7);
            U32(static_cast<uint32_t>(pendingFloats_.size()));
            for (float v : pendingFloats_) {
                if (floatBits_ == 64) {
                    const double d = v;
                    out_.append(reinterpret_cast<const char*>(&d), 8);
                } else {
                    out_.append(reinterpret_cast<const char*>(&v), 4);
                }
            }
            pendingFloats_.clear();
        }
    }

    bool binary_;
    int floatBits_;
    std::string out_;
    std::vector<uint32_t> pending_;
    std::vector<float> pendingFloats_;
};

// "x;y;z;," lines, the last one ending ";;", as exporters write arrays of vectors.
template <size_t N>
void Vectors(Emitter& e, const std::vector<std::array<float, N>>& values) {
    for (size_t i = 0; i < values.size(); ++i) {
        for (size_t c = 0; c < N; ++c) {
            e.Float(values[i][c], c + 1 < N ? ";" : (i + 1 < values.size() ? ";," : ";;"));
        }
        e.Line();
    }
}

inline void Matrix(Emitter& e, const std::array<float, 16>& m) {
    for (int i = 0; i < 16; ++i) {
        e.Float(m[i], i < 15 ? "," : ";;");
    }
    e.Line();
}

inline void Faces(Emitter& e, const std::vector<std::vector<uint32_t>>& faces) {
    e.Int(static_cast<uint32_t>(faces.size()), ";");
    e.Line();
    for (size_t f = 0; f < faces.size(); ++f) {
        e.Int(static_cast<uint32_t>(faces[f].size()), ";");
        for (size_t i = 0; i < faces[f].size(); ++i) {
            e.Int(faces[f][i], i + 1 < faces[f].size() ? "," : (f + 1 < faces.size() ? ";," : ";;"));
        }
        e.Line();
    }
}

inline void WriteMaterial(Emitter& e, const Material& m) {
    e.Open("Material", m.Name);
    for (int i = 0; i < 11; ++i) {
        e.Float(m.Values[i], i == 3 || i == 7 || i == 10 ? ";;" : ";");
    }
    e.Line();
    if (!m.Texture.empty()) {
        e.Open("TextureFilename");
        e.String(m.Texture);
        e.Close();
    }
    e.Close();
}

inline void WriteMesh(Emitter& e, const MeshData& mesh) {
    e.Open("Mesh", mesh.Name);
    e.Int(static_cast<uint32_t>(mesh.Positions.size()), ";");
    e.Line();
    Vectors(e, mesh.Positions);
    Faces(e, mesh.Faces);
    if (!mesh.Normals.empty()) {
        e.Open("MeshNormals");
        e.Int(static_cast<uint32_t>(mesh.Normals.size()), ";");
        Vectors(e, mesh.Normals);
        Faces(e, mesh.Faces);
        e.Close();
    }
    if (!mesh.TexCoords.empty()) {
        e.Open("MeshTextureCoords");
        e.Int(static_cast<uint32_t>(mesh.TexCoords.size()), ";");
        Vectors(e, mesh.TexCoords);
        e.Close();
    }
    if (!mesh.FaceMaterials.empty()) {
        e.Open("MeshMaterialList");
        e.Int(static_cast<uint32_t>(mesh.Materials.size()), ";");
        e.Int(static_cast<uint32_t>(mesh.FaceMaterials.size()), ";");
        for (size_t i = 0; i < mesh.FaceMaterials.size(); ++i) {
            e.Int(mesh.FaceMaterials[i], i + 1 < mesh.FaceMaterials.size() ? "," : ";;");
        }
        e.Line();
        for (const Material& m : mesh.Materials) {
            WriteMaterial(e, m);
        }
        e.Close();
    }
    for (const Skin& skin : mesh.Skins) {
        e.Open("SkinWeights");
        e.String(skin.Bone);
        e.Int(static_cast<uint32_t>(skin.Vertices.size()), ";");
        for (size_t i = 0; i < skin.Vertices.size(); ++i) {
            e.Int(skin.Vertices[i], i + 1 < skin.Vertices.size() ? "," : ";");
        }
        for (size_t i = 0; i < skin.Weights.size(); ++i) {
            e.Float(skin.Weights[i], i + 1 < skin.Weights.size() ? "," : ";");
        }
        Matrix(e, skin.Offset);
        e.Close();
    }
    e.Close();
}

inline void WriteFrame(Emitter& e, const Frame& frame) {
    e.Open("Frame", frame.Name);
    e.Open("FrameTransformMatrix");
    Matrix(e, frame.Transform);
    e.Close();
    for (const MeshData& mesh : frame.Meshes) {
        WriteMesh(e, mesh);
    }
    for (const Frame& child : frame.Children) {
        WriteFrame(e, child);
    }
    e.Close();
}

// Raw deflate blocks of at most 32 KB: (inflated size, compressed size with "CK", "CK", data).
inline std::string Compress(std::string_view body) {
    std::string out;
    const size_t kBlock = 32768;
    for (size_t start = 0; start < body.size(); start += kBlock) {
        const size_t size = std::min(kBlock, body.size() - start);
        z_stream stream{};
        deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        if (start > 0) {
            deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(body.data() + start - kBlock),
                                 static_cast<uInt>(kBlock));
        }
        std::string packed(deflateBound(&stream, size), '\0');
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data() + start));
        stream.avail_in = static_cast<uInt>(size);
        stream.next_out = reinterpret_cast<Bytef*>(packed.data());
        stream.avail_out = static_cast<uInt>(packed.size());
        deflate(&stream, Z_FINISH);
        packed.resize(stream.total_out);
        deflateEnd(&stream);
        const uint16_t sizes[2] = {static_cast<uint16_t>(size), static_cast<uint16_t>(packed.size() + 2)};
        out.append(reinterpret_cast<const char*>(sizes), 4);
        out += "CK" + packed;
    }
    return out;
}

// The declarations of the templates a model uses, as exporters put them in front of the data: members
// of the primitive types, arrays with their sizes, references to other templates, and restrictions
// (open "[...]" and closed to one template "[Material <GUID>]").
inline constexpr const char* kStandardTemplates =
    "template Vector {\n <3D82AB5E-62DA-11cf-AB39-0020AF71E433>\n FLOAT x;\n FLOAT y;\n FLOAT z;\n}\n"
    "template Coords2d {\n <F6F23F44-7686-11cf-8F52-0040333594A3>\n FLOAT u;\n FLOAT v;\n}\n"
    "template Matrix4x4 {\n <F6F23F45-7686-11cf-8F52-0040333594A3>\n array FLOAT matrix[16];\n}\n"
    "template ColorRGBA {\n <35FF44E0-6C7C-11cf-8F52-0040333594A3>\n FLOAT red;\n FLOAT green;\n"
    " FLOAT blue;\n FLOAT alpha;\n}\n"
    "template ColorRGB {\n <D3E16E81-7835-11cf-8F52-0040333594A3>\n FLOAT red;\n FLOAT green;\n"
    " FLOAT blue;\n}\n"
    "template TextureFilename {\n <A42790E1-7810-11cf-8F52-0040333594A3>\n STRING filename;\n}\n"
    "template Material {\n <3D82AB4D-62DA-11cf-AB39-0020AF71E433>\n ColorRGBA faceColor;\n"
    " FLOAT power;\n ColorRGB specularColor;\n ColorRGB emissiveColor;\n [...]\n}\n"
    "template MeshFace {\n <3D82AB5F-62DA-11cf-AB39-0020AF71E433>\n DWORD nFaceVertexIndices;\n"
    " array DWORD faceVertexIndices[nFaceVertexIndices];\n}\n"
    "template MeshMaterialList {\n <F6F23F42-7686-11cf-8F52-0040333594A3>\n DWORD nMaterials;\n"
    " DWORD nFaceIndexes;\n array DWORD faceIndexes[nFaceIndexes];\n"
    " [Material <3D82AB4D-62DA-11cf-AB39-0020AF71E433>]\n}\n"
    "template MeshNormals {\n <F6F23F43-7686-11cf-8F52-0040333594A3>\n DWORD nNormals;\n"
    " array Vector normals[nNormals];\n DWORD nFaceNormals;\n array MeshFace faceNormals[nFaceNormals];\n}\n"
    "template MeshTextureCoords {\n <F6F23F40-7686-11cf-8F52-0040333594A3>\n DWORD nTextureCoords;\n"
    " array Coords2d textureCoords[nTextureCoords];\n}\n"
    "template Mesh {\n <3D82AB44-62DA-11cf-AB39-0020AF71E433>\n DWORD nVertices;\n"
    " array Vector vertices[nVertices];\n DWORD nFaces;\n array MeshFace faces[nFaces];\n [...]\n}\n"
    "template FrameTransformMatrix {\n <F6F23F41-7686-11cf-8F52-0040333594A3>\n"
    " Matrix4x4 frameMatrix;\n}\n"
    "template Frame {\n <3D82AB46-62DA-11cf-AB39-0020AF71E433>\n [...]\n}\n"
    "template AnimationKey {\n <10DD46A8-775B-11cf-8F52-0040333594A3>\n DWORD keyType;\n"
    " DWORD nKeys;\n array TimedFloatKeys keys[nKeys];\n}\n"
    "template Animation {\n <3D82AB4F-62DA-11cf-AB39-0020AF71E433>\n [...]\n}\n"
    "template AnimationSet {\n <3D82AB50-62DA-11cf-AB39-0020AF71E433>\n [Animation]\n}\n";

// The model as a file of `kind`; with `templates`, the standard templates' declarations come first.
inline std::string Write(const Model& model, Kind kind, bool templates = false) {
    const bool binary = kind != Kind::Text && kind != Kind::CompressedText;
    const bool compressed = kind >= Kind::CompressedText;
    const int bits = kind == Kind::Binary64 || kind == Kind::CompressedBinary64 ? 64 : 32;
    Emitter e(binary, bits);
    if (templates) {
        e.Templates(kStandardTemplates);
    }
    for (const Frame& frame : model.Frames) {
        WriteFrame(e, frame);
    }
    for (const AnimationSet& set : model.Animations) {
        e.Open("AnimationSet", set.Name);
        for (const Track& track : set.Tracks) {
            e.Open("Animation");
            e.Reference(track.Frame);
            e.Open("AnimationKey");
            e.Int(4, ";");
            e.Int(static_cast<uint32_t>(track.Keys.size()), ";");
            e.Line();
            for (size_t k = 0; k < track.Keys.size(); ++k) {
                e.Int(track.Keys[k].Time, ";");
                e.Int(16, ";");
                for (int i = 0; i < 16; ++i) {
                    e.Float(track.Keys[k].Matrix[i],
                            i < 15 ? "," : (k + 1 < track.Keys.size() ? ";;," : ";;;"));
                }
                e.Line();
            }
            e.Close();
            e.Close();
        }
        e.Close();
    }
    const std::string body = e.Body();
    std::string header = "xof 0303";
    header += binary ? (compressed ? "bzip" : "bin ") : (compressed ? "tzip" : "txt ");
    header += bits == 64 ? "0064" : "0032";
    if (!compressed) {
        return header + (binary ? "" : "\n") + body;
    }
    const uint32_t total = static_cast<uint32_t>(header.size() + body.size());
    return header + std::string(reinterpret_cast<const char*>(&total), 4) + Compress(body);
}

// The model a TMesh holds, to be written again: frames with their parts, triangles with their
// subsets' materials, per-vertex normals, skin weights and matrix keys.
inline MeshData PartOf(const TMesh& mesh, const TMeshPart& part) {
    MeshData m;
    m.Name = part.Name;
    for (const TVector3& p : part.Positions) {
        m.Positions.push_back({p.X, p.Y, p.Z});
    }
    for (const TVector3& n : part.Normals) {
        m.Normals.push_back({n.X, n.Y, n.Z});
    }
    for (const TVector2& uv : part.TexCoords) {
        m.TexCoords.push_back({uv.X, uv.Y});
    }
    for (size_t s = 0; s < part.Subsets.size(); ++s) {
        const TMaterialRecord& r = part.Subsets[s].Material;
        Material material{"", {}, r.TextureFilename};
        material.Name = "M" + std::to_string(s);
        std::copy(r.FaceColor, r.FaceColor + 4, material.Values.begin());
        material.Values[4] = r.Power;
        std::copy(r.Specular, r.Specular + 3, material.Values.begin() + 5);
        std::copy(r.Emissive, r.Emissive + 3, material.Values.begin() + 8);
        m.Materials.push_back(material);
        const std::vector<uint16_t>& indices = part.Subsets[s].Indices;
        for (size_t i = 0; i + 2 < indices.size(); i += 3) {
            m.Faces.push_back({indices[i], indices[i + 1], indices[i + 2]});
            m.FaceMaterials.push_back(static_cast<uint32_t>(s));
        }
    }
    for (size_t b = 0; b < mesh.Bones.size(); ++b) {
        Skin skin;
        skin.Bone = mesh.Bones[b].Name;
        std::memcpy(skin.Offset.data(), &mesh.Bones[b].OffsetMatrix, sizeof skin.Offset);
        for (size_t v = 0; v < part.BlendIndices.size(); ++v) {
            const float* bones = &part.BlendIndices[v].X;
            for (int s = 0; s < 4; ++s) {
                if (bones[s] == static_cast<float>(b)) {
                    skin.Vertices.push_back(static_cast<uint32_t>(v));
                    skin.Weights.push_back((&part.BlendWeights[v].X)[s]);
                }
            }
        }
        if (!skin.Vertices.empty()) {
            m.Skins.push_back(skin);
        }
    }
    return m;
}

inline void FramesOf(const TMesh& mesh, const TFrame* frame, std::vector<Frame>& out) {
    for (; frame != nullptr; frame = frame->NextSibling.get()) {
        Frame f;
        f.Name = frame->Name;
        std::memcpy(f.Transform.data(), &frame->TransformMatrix, sizeof f.Transform);
        for (const TMeshPart& part : mesh.MeshParts) {
            if (part.Frame == frame) {
                f.Meshes.push_back(PartOf(mesh, part));
            }
        }
        FramesOf(mesh, frame->FirstChild.get(), f.Children);
        out.push_back(std::move(f));
    }
}

inline Model ModelOf(const TMesh& mesh) {
    Model model;
    FramesOf(mesh, mesh.RootFrame.get(), model.Frames);
    for (const TAnimation& set : mesh.AnimationSets) {
        AnimationSet s{set.Name, {}};
        for (const TFrameAnimation& track : set.Tracks) {
            Track t{track.FrameName, {}};
            for (const TAnimationKey& key : track.Keys) {
                Key k{key.Time, {}};
                std::memcpy(k.Matrix.data(), &key.Matrix, sizeof k.Matrix);
                t.Keys.push_back(k);
            }
            s.Tracks.push_back(t);
        }
        model.Animations.push_back(s);
    }
    return model;
}

}  // namespace xfile_writer
