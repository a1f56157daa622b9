// Our .x reader against an independent one: Assimp, on the test models written here and on every .x
// file under Data/Meshes.
//
// What is comparable. Assimp splits a .x mesh into one aiMesh per material that has faces, gives every
// face corner a vertex of its own (so its vertex counts are corner counts), keeps polygons as polygons,
// turns matrix keys into position, rotation and scaling keys, and flips z for its right-handed space.
// We keep the file's vertices and fan-triangulate polygons into one subset per material. So we compare:
// - triangles: per (part, material) with faces, ours against sum(n - 2) over each aiMesh's polygons, as
//   sorted lists, and in total;
// - vertices: per (part, material), the number of distinct positions the faces use, both sides (Assimp's
//   duplicated corners collapse to the same positions); and when every vertex of every part is used by
//   exactly one material and has a position of its own, our VertexCount equals that number summed;
// - animation: one aiAnimation per set, one channel per track, as many keys as our matrix keys;
// - frames: every named frame is a node with as many children as the frame has child frames;
// - bones: the names of the bones that carry weights;
// - positions: the set of positions the faces use, over the whole model;
// - frame transforms: Assimp keeps a frame's matrix transposed (column vectors) and in its right-handed
//   space (S M S with S flipping z); we compare the frames below the top level element by element.
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "ModelTestSupport.h"
#include "XFileWriter.h"
#include "models/Mesh.h"

namespace {

using Position = std::tuple<long, long, long>;

// Positions on a grid of 1/1000, z sign dropped by symmetry: Assimp negates z, which keeps distinctness.
Position Key(float x, float y, float z) {
    return {std::lround(x * 1000.0f), std::lround(y * 1000.0f), std::lround(z * 1000.0f)};
}

struct Counts {
    std::vector<std::pair<uint32_t, size_t>> perMaterial;  // (triangles, distinct positions), sorted
    uint64_t triangles = 0;
    std::map<std::string, std::pair<size_t, size_t>> animations;  // "set/frame" -> (tracks, keys)
    std::map<std::string, size_t> frameChildren;
    std::set<std::string> bones;
    std::set<Position> positions;
    std::map<std::string, std::vector<long>> transforms;  // frame below the top level -> 16 elements
};

std::vector<long> Elements(const float* m) {
    std::vector<long> out;
    for (int i = 0; i < 16; ++i) {
        out.push_back(std::lround(m[i] * 1000.0f));
    }
    return out;
}

Counts OurCounts(const TMesh& mesh, bool& vertexCountsComparable, uint64_t& vertexTotal) {
    Counts c;
    vertexCountsComparable = true;
    vertexTotal = 0;
    for (const TMeshPart& part : mesh.MeshParts) {
        std::vector<int> usedBy(part.VertexCount, 0);
        std::set<Position> partPositions;
        for (const TVector3& p : part.Positions) {
            partPositions.insert(Key(p.X, p.Y, -p.Z));
        }
        if (partPositions.size() != part.VertexCount) {
            vertexCountsComparable = false;
        }
        for (const TSubset& subset : part.Subsets) {
            if (subset.Indices.empty()) {
                continue;
            }
            std::set<Position> used;
            std::set<uint16_t> vertices;
            for (uint16_t i : subset.Indices) {
                used.insert(Key(part.Positions[i].X, part.Positions[i].Y, -part.Positions[i].Z));
                vertices.insert(i);
            }
            c.positions.insert(used.begin(), used.end());
            for (uint16_t v : vertices) {
                ++usedBy[v];
            }
            c.perMaterial.emplace_back(subset.IndexCount() / 3, used.size());
            c.triangles += subset.IndexCount() / 3;
        }
        for (int n : usedBy) {
            vertexCountsComparable = vertexCountsComparable && n == 1;
        }
        vertexTotal += part.VertexCount;
        for (size_t v = 0; v < part.BlendIndices.size(); ++v) {
            for (float b : {part.BlendIndices[v].X, part.BlendIndices[v].Y, part.BlendIndices[v].Z,
                            part.BlendIndices[v].W}) {
                if (b != kFreeBoneSlot && usedBy[v] > 0) {
                    c.bones.insert(mesh.Bones.at(static_cast<size_t>(b)).Name);
                }
            }
        }
    }
    std::sort(c.perMaterial.begin(), c.perMaterial.end());
    for (const TAnimation& set : mesh.AnimationSets) {
        for (const TFrameAnimation& track : set.Tracks) {
            if (!track.Keys.empty()) {
                auto& entry = c.animations[set.Name + "/" + track.FrameName];
                entry.first += 1;
                entry.second += track.Keys.size();
            }
        }
    }
    ForEachFrame(mesh.RootFrame.get(), [&](TFrame& frame) {
        size_t children = 0;
        for (const TFrame* child = frame.FirstChild.get(); child != nullptr;
             child = child->NextSibling.get()) {
            ++children;
        }
        if (frame.Name != "unnamed") {
            c.frameChildren[frame.Name] = children;
        }
        for (const TFrame* child = frame.FirstChild.get(); child != nullptr;
             child = child->NextSibling.get()) {
            TMatrix flipped = child->TransformMatrix;
            for (int i = 0; i < 4; ++i) {
                for (int j = 0; j < 4; ++j) {
                    flipped.m[i][j] *= (i == 2) != (j == 2) ? -1.0f : 1.0f;
                }
            }
            c.transforms[child->Name] = Elements(&flipped.m[0][0]);
        }
    });
    return c;
}

Counts AssimpCounts(const aiScene& scene, const std::set<std::string>& frameNames) {
    Counts c;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh& mesh = *scene.mMeshes[m];
        uint32_t triangles = 0;
        std::set<Position> used;
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices < 3) {
                continue;
            }
            triangles += face.mNumIndices - 2;
            for (unsigned i = 0; i < face.mNumIndices; ++i) {
                const aiVector3D& p = mesh.mVertices[face.mIndices[i]];
                used.insert(Key(p.x, p.y, p.z));
            }
            c.positions.insert(used.begin(), used.end());
        }
        if (triangles > 0) {
            c.perMaterial.emplace_back(triangles, used.size());
            c.triangles += triangles;
        }
        for (unsigned b = 0; b < mesh.mNumBones; ++b) {
            bool weighted = false;
            for (unsigned w = 0; w < mesh.mBones[b]->mNumWeights; ++w) {
                weighted = weighted || mesh.mBones[b]->mWeights[w].mWeight != 0.0f;
            }
            if (weighted) {
                c.bones.insert(mesh.mBones[b]->mName.C_Str());
            }
        }
    }
    std::sort(c.perMaterial.begin(), c.perMaterial.end());
    for (unsigned a = 0; a < scene.mNumAnimations; ++a) {
        const aiAnimation& animation = *scene.mAnimations[a];
        for (unsigned ch = 0; ch < animation.mNumChannels; ++ch) {
            const aiNodeAnim& channel = *animation.mChannels[ch];
            auto& entry =
                c.animations[std::string(animation.mName.C_Str()) + "/" + channel.mNodeName.C_Str()];
            entry.first += 1;
            entry.second += channel.mNumPositionKeys;
        }
    }
    std::vector<const aiNode*> pending{scene.mRootNode};
    while (!pending.empty()) {
        const aiNode* node = pending.back();
        pending.pop_back();
        if (frameNames.count(node->mName.C_Str()) != 0) {
            c.frameChildren[node->mName.C_Str()] = node->mNumChildren;
            for (unsigned i = 0; i < node->mNumChildren; ++i) {
                const aiMatrix4x4 m = aiMatrix4x4(node->mChildren[i]->mTransformation).Transpose();
                c.transforms[node->mChildren[i]->mName.C_Str()] = Elements(&m.a1);
            }
        }
        for (unsigned i = 0; i < node->mNumChildren; ++i) {
            pending.push_back(node->mChildren[i]);
        }
    }
    return c;
}

std::string Describe(const std::vector<std::pair<uint32_t, size_t>>& list) {
    std::ostringstream out;
    for (const auto& [t, v] : list) {
        out << "(" << t << " triangles, " << v << " positions) ";
    }
    return out.str();
}

// Loads `text` both ways and compares; `name` names the file in failures. Returns our counts so that a
// case can check it compared something.
Counts CompareWithAssimp(const std::string& text, const std::string& name) {
    SCOPED_TRACE(name);
    TMesh mesh;
    model_test::LogCapture log;
    std::string error;
    EXPECT_TRUE(mesh.LoadFromMemory(text, name, error)) << error;
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFileFromMemory(text.data(), text.size(), 0, "x");
    if (scene == nullptr) {
        ADD_FAILURE() << "Assimp: " << importer.GetErrorString();
        return Counts();
    }

    bool vertexCountsComparable = false;
    uint64_t ourVertices = 0;
    const Counts ours = OurCounts(mesh, vertexCountsComparable, ourVertices);
    std::set<std::string> frameNames;
    for (const auto& entry : ours.frameChildren) {
        frameNames.insert(entry.first);
    }
    const Counts theirs = AssimpCounts(*scene, frameNames);

    EXPECT_EQ(ours.triangles, theirs.triangles);
    EXPECT_EQ(ours.perMaterial, theirs.perMaterial)
        << "ours: " << Describe(ours.perMaterial) << "\nAssimp: " << Describe(theirs.perMaterial);
    if (vertexCountsComparable) {
        uint64_t assimpDistinct = 0;
        for (const auto& entry : theirs.perMaterial) {
            assimpDistinct += entry.second;
        }
        EXPECT_EQ(ourVertices, assimpDistinct);
    }
    EXPECT_EQ(ours.animations, theirs.animations);
    EXPECT_EQ(ours.frameChildren, theirs.frameChildren);
    EXPECT_EQ(ours.bones, theirs.bones);
    EXPECT_EQ(ours.positions, theirs.positions);
    EXPECT_EQ(ours.transforms, theirs.transforms);
    return ours;
}

// ---- the test models ----

const std::string kHeader = model_test::kHeader;

std::string Identity() {
    return "1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,"
           "0.000000,0.000000,1.000000,0.000000,0.000000,0.000000,0.000000,1.000000;;";
}

std::string Materials() {
    return " MeshMaterialList { 2; 3; 0, 1, 1;;\n"
           "  Material Red { 1.0;0.0;0.0;1.0;; 8.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n"
           "  Material Glass { 0.5;0.5;1.0;0.5;; 8.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { "
           "\"glass.png\"; "
           "} }\n"
           " }\n";
}

// A house: a square, a pentagon gable and a triangle, three faces, two materials; every vertex its own.
std::string HouseMesh() {
    return "Mesh House {\n 12;\n"
           " 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;,\n"
           " 0.0;0.0;2.0;, 1.0;0.0;2.0;, 1.0;1.0;2.0;, 0.5;1.5;2.0;, 0.0;1.0;2.0;,\n"
           " 3.0;0.0;0.0;, 4.0;0.0;0.0;, 3.5;1.0;0.0;;\n"
           " 3;\n 4; 0,1,2,3;,\n 5; 4,5,6,7,8;,\n 3; 9,10,11;;\n" +
           Materials() + "}\n";
}

TEST(AssimpOracle, PolygonsAndMaterials) {
    const Counts c = CompareWithAssimp(
        kHeader + "Frame House { FrameTransformMatrix { " + Identity() + " }\n" + HouseMesh() + "}\n",
        "house.x");
    EXPECT_EQ(c.triangles, 6u);
    EXPECT_EQ(c.perMaterial.size(), 2u);
}

TEST(AssimpOracle, SharedVerticesAcrossMaterials) {
    // A cube of 8 shared corners, 6 quads, alternating two materials: vertices are used by both.
    const std::string cube =
        "Mesh Cube {\n 8;\n"
        " -1;-1;-1;, 1;-1;-1;, 1;1;-1;, -1;1;-1;, -1;-1;1;, 1;-1;1;, 1;1;1;, -1;1;1;;\n"
        " 6;\n 4; 0,3,2,1;, 4; 4,5,6,7;, 4; 0,1,5,4;, 4; 2,3,7,6;, 4; 1,2,6,5;, 4; 0,4,7,3;;\n"
        " MeshNormals { 6; 0;0;-1;, 0;0;1;, 0;-1;0;, 0;1;0;, 1;0;0;, -1;0;0;;\n"
        "  6; 4; 0,0,0,0;, 4; 1,1,1,1;, 4; 2,2,2,2;, 4; 3,3,3,3;, 4; 4,4,4,4;, 4; 5,5,5,5;; }\n"
        " MeshMaterialList { 2; 6; 0,1,0,1,0,1;;\n"
        "  Material A { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; }\n"
        "  Material B { 1;0;0;1;; 1; 0;0;0;; 0;0;0;; }\n"
        " }\n"
        "}\n";
    const Counts c = CompareWithAssimp(kHeader + "Frame Box {\n" + cube + "}\n", "cube.x");
    EXPECT_EQ(c.triangles, 12u);
}

TEST(AssimpOracle, FrameTreeWithSiblingsAndSkippedBlocks) {
    const std::string text =
        kHeader +
        "Header { 1; 0; 1; }\n"
        "// exported by hand\n"
        "Frame Scene {\n"
        " FrameTransformMatrix { " +
        Identity() +
        " }\n"
        " Frame Left { FrameTransformMatrix { " +
        Identity() + " }\n" + HouseMesh() +
        " }\n"
        " Frame Right { FrameTransformMatrix { " +
        Identity() +
        " }\n"
        "  Frame Antenna { FrameTransformMatrix { " +
        Identity() +
        " } }\n"
        " }\n"
        "}\n"
        "Frame Ground { FrameTransformMatrix { " +
        Identity() +
        " }\n"
        " Mesh Plane { 4; -5;0;-5;, 5;0;-5;, 5;0;5;, -5;0;5;; 2; 3; 0,1,2;, 3; 0,2,3;; }\n"
        "}\n";
    const Counts c = CompareWithAssimp(text, "scene.x");
    EXPECT_EQ(c.frameChildren.size(), 5u);
    EXPECT_EQ(c.frameChildren.at("Scene"), 2u);
}

TEST(AssimpOracle, SkinAndMatrixKeyAnimation) {
    std::string keys;
    for (int k = 0; k < 5; ++k) {
        // Assimp reads "0,1" as the number 0.1: whole numbers in comma lists need a decimal point.
        keys += std::to_string(k * 40) + "; 16; 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0," +
                std::to_string(k) + ".0,0.0,1.0;;" + (k < 4 ? "," : ";") + "\n";
    }
    const std::string text = kHeader + "Frame Root {\n FrameTransformMatrix { " + Identity() +
                             " }\n"
                             " Frame Arm { FrameTransformMatrix { " +
                             Identity() +
                             " } }\n"
                             " Mesh Body {\n 6;\n 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, 0;2;0;, 1;2;0;;\n"
                             "  4; 3; 0,1,2;, 3; 0,2,3;, 3; 3,2,5;, 3; 3,5,4;;\n"
                             "  XSkinMeshHeader { 2; 2; 2; }\n"
                             "  SkinWeights { \"Root\"; 4; 0,1,2,3; 1.0,1.0,0.5,0.5; " +
                             Identity() +
                             " }\n"
                             "  SkinWeights { \"Arm\"; 4; 2,3,4,5; 0.5,0.5,1.0,1.0; " +
                             Identity() +
                             " }\n"
                             " }\n"
                             "}\n"
                             "AnimationSet Wave {\n"
                             " Animation { { Arm }\n  AnimationKey { 4; 5;\n" +
                             keys +
                             "  }\n }\n"
                             " Animation { { Root }\n  AnimationKey { 4; 2; 0; 16; " +
                             Identity() + ", 200; 16; " + Identity() +
                             "; }\n }\n"
                             "}\n";
    const Counts c = CompareWithAssimp(text, "skinned.x");
    EXPECT_EQ(c.bones.size(), 2u);
    ASSERT_EQ(c.animations.size(), 2u);
    EXPECT_EQ(c.animations.at("Wave/Arm").second, 5u);
}

// ---- files as exporters write them ----

// The shape of a 3ds Max export through kW X-port: the standard templates declared in the file, a
// header, "//" and "#" comments, every data object named (the frame transforms "relative", the mesh's
// parts after their mesh), quoted names with the semicolons and commas exporters place.
std::string ExporterFile() {
    return kHeader +
           "// exported with kW X-port\n"
           "template Header {\n <3D82AB43-62DA-11cf-AB39-0020AF71E433>\n WORD major;\n WORD minor;\n"
           " DWORD flags;\n}\n"
           "template Frame {\n <3D82AB46-62DA-11cf-AB39-0020AF71E433>\n [...]\n}\n"
           "template FrameTransformMatrix {\n <F6F23F41-7686-11cf-8F52-0040333594A3>\n Matrix4x4 "
           "frameMatrix;\n}\n"
           "Header {\n 1;\n 0;\n 1;\n}\n"
           "# trueSpace writes hash comments\n"
           "Frame Scene_Root {\n"
           " FrameTransformMatrix relative {\n  1.000000,0.000000,0.000000,0.000000,\n"
           "  0.000000,1.000000,0.000000,0.000000,\n  0.000000,0.000000,1.000000,0.000000,\n"
           "  0.000000,0.000000,0.000000,1.000000;;\n }\n"
           " Frame Hull {\n"
           "  FrameTransformMatrix relative {\n   0.000000,0.000000,-1.000000,0.000000,\n"
           "   0.000000,1.000000,0.000000,0.000000,\n   1.000000,0.000000,0.000000,0.000000,\n"
           "   2.500000,0.750000,-4.000000,1.000000;;\n  }\n"
           "  Mesh Hull_mesh {\n   8;\n"
           "   -1.000000;-1.000000;-1.000000;,\n   1.000000;-1.000000;-1.000000;,\n"
           "   1.000000;1.000000;-1.000000;,\n   -1.000000;1.000000;-1.000000;,\n"
           "   -1.000000;-1.000000;1.000000;,\n   1.000000;-1.000000;1.000000;,\n"
           "   1.000000;1.000000;1.000000;,\n   -1.000000;1.000000;1.250000;;\n"
           "   6;\n   4;0,3,2,1;,\n   4;4,5,6,7;,\n   4;0,1,5,4;,\n   4;2,3,7,6;,\n   4;1,2,6,5;,\n"
           "   4;0,4,7,3;;\n"
           "   MeshNormals normals {\n    6;\n    0.000000;0.000000;-1.000000;,\n"
           "    0.000000;0.000000;1.000000;,\n    0.000000;-1.000000;0.000000;,\n"
           "    0.000000;1.000000;0.000000;,\n    1.000000;0.000000;0.000000;,\n"
           "    -1.000000;0.000000;0.000000;;\n"
           "    6;\n    4;0,0,0,0;,\n    4;1,1,1,1;,\n    4;2,2,2,2;,\n    4;3,3,3,3;,\n    4;4,4,4,4;,\n"
           "    4;5,5,5,5;;\n   }\n"
           "   MeshTextureCoords tc0 {\n    8;\n    0.000000;1.000000;,\n    1.000000;1.000000;,\n"
           "    1.000000;0.000000;,\n    0.000000;0.000000;,\n    0.000000;1.000000;,\n"
           "    1.000000;1.000000;,\n    1.000000;0.000000;,\n    0.000000;0.000000;;\n   }\n"
           "   MeshMaterialList mtls {\n    2;\n    6;\n    0,\n    0,\n    1,\n    1,\n    0,\n    1;\n"
           "    Material Paint {\n     0.588000;0.588000;0.588000;1.000000;;\n     9.999999;\n"
           "     0.900000;0.900000;0.900000;;\n     0.000000;0.000000;0.000000;;\n"
           "     TextureFilename Diffuse {\n      \"hull.png\";\n     }\n    }\n"
           "    Material Glass {\n     0.200000;0.300000;0.900000;0.500000;;\n     32.000000;\n"
           "     1.000000;1.000000;1.000000;;\n     0.000000;0.000000;0.000000;;\n    }\n"
           "   }\n"
           "   XSkinMeshHeader skinHeader {\n    1;\n    2;\n    1;\n   }\n"
           "   SkinWeights weights0 {\n    \"Hull\";\n    4;\n    0,\n    1,\n    2,\n    3;\n"
           "    1.000000,\n    1.000000,\n    1.000000,\n    1.000000;\n"
           "    1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,\n"
           "    0.000000,0.000000,1.000000,0.000000,0.000000,0.000000,0.000000,1.000000;;\n   }\n"
           "  }\n"
           "  Frame Turret {\n   FrameTransformMatrix relative {\n    1.000000,0.000000,0.000000,0.000000,\n"
           "    0.000000,1.000000,0.000000,0.000000,\n    0.000000,0.000000,1.000000,0.000000,\n"
           "    0.000000,1.500000,0.250000,1.000000;;\n   }\n  }\n"
           " }\n"
           "}\n"
           "AnimTicksPerSecond ticks {\n 4800;\n}\n"
           "AnimationSet Idle {\n Animation Anim-Turret {\n  { Turret }\n"
           "  AnimationKey matrix {\n   4;\n   2;\n"
           "   0;16;1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,0.000000,"
           "0.000000,1.000000,0.000000,0.000000,1.500000,0.250000,1.000000;;,\n"
           "   4800;16;1.000000,0.000000,0.000000,0.000000,0.000000,1.000000,0.000000,0.000000,0.000000,"
           "0.000000,1.000000,0.000000,0.000000,2.000000,0.250000,1.000000;;;\n"
           "  }\n"
           "  AnimationKey rot {\n   0;\n   1;\n   0;4;1.000000,0.000000,0.000000,0.000000;;;\n  }\n"
           " }\n"
           "}\n";
}

TEST(AssimpOracle, ExporterFilesWithNamedDataObjectsTemplatesAndComments) {
    const Counts c = CompareWithAssimp(ExporterFile(), "exported.x");
    EXPECT_EQ(c.triangles, 12u);
    EXPECT_EQ(c.perMaterial.size(), 2u);
    EXPECT_EQ(c.positions.size(), 8u);
    ASSERT_EQ(c.transforms.count("Hull"), 1u);
    EXPECT_EQ(c.transforms.at("Hull")[12], 2500);  // the named transform was read, not refused
    EXPECT_EQ(c.animations.at("Idle/Turret").second, 2u);
    EXPECT_EQ(c.bones.size(), 1u);
}

// Every kind of file but the plain text one, each without and with the standard templates in front.
std::vector<std::pair<xfile_writer::Kind, bool>> KindsWithAndWithoutTemplates() {
    using xfile_writer::Kind;
    std::vector<std::pair<Kind, bool>> kinds;
    for (bool templates : {false, true}) {
        for (Kind kind : {Kind::Binary32, Kind::Binary64, Kind::CompressedText, Kind::CompressedBinary32,
                          Kind::CompressedBinary64}) {
            kinds.emplace_back(kind, templates);
        }
    }
    kinds.emplace_back(Kind::Text, true);
    return kinds;
}

// The same models written as text, binary with 32- and 64-bit floats and compressed, with the
// standard templates in front and without: Assimp reads each as we do, and ours read every kind
// exactly as the text.
TEST(AssimpOracle, BinaryAndCompressedFilesReadAsAssimpReadsThem) {
    using xfile_writer::Kind;
    std::vector<std::pair<std::string, std::string>> sources = {{"exported", ExporterFile()}};
    const std::filesystem::path player = std::filesystem::path(BRELVOX_SOURCE_DIR) / "Data/Meshes/player.x";
    if (std::filesystem::exists(player)) {
        std::ifstream in(player, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        sources.emplace_back("player", bytes.str());
    }
    for (const auto& [name, text] : sources) {
        TMesh original;
        model_test::LogCapture quiet;
        std::string error;
        ASSERT_TRUE(original.LoadFromMemory(text, name, error)) << error;
        const xfile_writer::Model model = xfile_writer::ModelOf(original);
        const std::string rewritten = xfile_writer::Write(model, Kind::Text);
        TMesh reference;
        ASSERT_TRUE(reference.LoadFromMemory(rewritten, name, error));
        const Counts expected = CompareWithAssimp(rewritten, name + " (text)");
        EXPECT_EQ(expected.triangles, CompareWithAssimp(text, name).triangles);
        for (const auto& [kind, templates] : KindsWithAndWithoutTemplates()) {
            const std::string label =
                name + " (" + xfile_writer::KindName(kind) + (templates ? ", with templates)" : ")");
            const std::string bytes = xfile_writer::Write(model, kind, templates);
            const Counts c = CompareWithAssimp(bytes, label);
            EXPECT_EQ(c.triangles, expected.triangles) << label;
            EXPECT_EQ(c.positions, expected.positions) << label;
            EXPECT_EQ(c.transforms, expected.transforms) << label;
            TMesh mesh;
            ASSERT_TRUE(mesh.LoadFromMemory(bytes, label, error)) << error;
            ASSERT_EQ(mesh.MeshParts.size(), reference.MeshParts.size());
            for (size_t p = 0; p < mesh.MeshParts.size(); ++p) {
                const TMeshPart& a = mesh.MeshParts[p];
                const TMeshPart& b = reference.MeshParts[p];
                ASSERT_EQ(a.Positions.size(), b.Positions.size()) << label;
                for (size_t v = 0; v < a.Positions.size(); ++v) {
                    EXPECT_NEAR(a.Positions[v].X, b.Positions[v].X, 1e-6f) << label;
                    EXPECT_NEAR(a.Positions[v].Z, b.Positions[v].Z, 1e-6f) << label;
                }
                EXPECT_EQ(a.TexCoords.size(), b.TexCoords.size()) << label;
                EXPECT_EQ(a.BlendIndices.size(), b.BlendIndices.size()) << label;
                ASSERT_EQ(a.Subsets.size(), b.Subsets.size()) << label;
                for (size_t s = 0; s < a.Subsets.size(); ++s) {
                    EXPECT_EQ(a.Subsets[s].Indices, b.Subsets[s].Indices) << label;
                    EXPECT_EQ(a.Subsets[s].Material.TextureFilename, b.Subsets[s].Material.TextureFilename);
                }
            }
            ASSERT_EQ(mesh.AnimationSets.size(), reference.AnimationSets.size()) << label;
            for (size_t a = 0; a < mesh.AnimationSets.size(); ++a) {
                EXPECT_EQ(mesh.AnimationSets[a].Length, reference.AnimationSets[a].Length) << label;
            }
        }
    }
}

// ---- the game's models ----

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Data/Meshes of the source tree, in whatever letter case it was written; empty when there is none.
std::filesystem::path GameMeshFolder() {
    std::filesystem::path folder = BRELVOX_SOURCE_DIR;
    for (const char* part : {"data", "meshes"}) {
        std::filesystem::path found;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            if (entry.is_directory() && Lower(entry.path().filename().string()) == part) {
                found = entry.path();
            }
        }
        if (found.empty()) {
            return {};
        }
        folder = found;
    }
    return folder;
}

TEST(AssimpOracle, EveryModelOfTheGame) {
    const std::filesystem::path folder = GameMeshFolder();
    std::vector<std::filesystem::path> models;
    if (!folder.empty()) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (entry.is_regular_file() && Lower(entry.path().extension().string()) == ".x") {
                models.push_back(entry.path());
            }
        }
    }
    if (models.empty()) {
        GTEST_SKIP() << "no .x files under Data/Meshes";
    }
    std::sort(models.begin(), models.end());
    for (const auto& path : models) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        CompareWithAssimp(bytes.str(), path.filename().string());
    }
}

}  // namespace
