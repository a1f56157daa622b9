// The .x reader on texts written here: frame nesting, meshes, materials, skin weights, animation keys,
// skipped blocks and comments, and files that are wrong in every way a file can be.
#include "models/XFileReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "ModelTestSupport.h"
#include "XFileWriter.h"
#include "models/Mesh.h"

using model_test::kHeader;
using model_test::SquareMesh;

namespace {

struct Loaded {
    TMesh mesh;
    bool ok = false;
    std::string error;
};

std::unique_ptr<Loaded> Load(const std::string& body, bool withHeader = true) {
    auto loaded = std::make_unique<Loaded>();
    model_test::LogCapture quiet;
    loaded->ok =
        loaded->mesh.LoadFromMemory((withHeader ? kHeader : "") + body, "Data/Meshes/test.x", loaded->error);
    return loaded;
}

std::string Matrix(float translateX) {
    return "FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, " +
           std::to_string(translateX) + ",0.0,0.0,1.0;; }\n";
}

std::vector<uint16_t> Triangles(const TMesh& mesh, int part, int subset) {
    return mesh.MeshParts.at(part).Subsets.at(subset).Indices;
}

// Every index a mesh holds stays inside its arrays, whatever the file said.
void ExpectConsistent(const TMesh& mesh) {
    for (const TMeshPart& part : mesh.MeshParts) {
        ASSERT_EQ(part.Positions.size(), part.VertexCount);
        ASSERT_TRUE(part.Normals.empty() || part.Normals.size() == part.VertexCount);
        ASSERT_TRUE(part.TexCoords.empty() || part.TexCoords.size() == part.VertexCount);
        ASSERT_EQ(part.BlendWeights.size(), part.BlendIndices.size());
        ASSERT_TRUE(part.BlendWeights.empty() || part.BlendWeights.size() == part.VertexCount);
        for (const TVector4& slots : part.BlendIndices) {
            for (float bone : {slots.X, slots.Y, slots.Z, slots.W}) {
                ASSERT_TRUE(bone == kFreeBoneSlot || bone < static_cast<float>(mesh.Bones.size()));
            }
        }
        for (const TSubset& subset : part.Subsets) {
            ASSERT_EQ(subset.IndexCount() % 3, 0u);
            for (uint16_t index : subset.Indices) {
                ASSERT_LT(index, part.VertexCount);
            }
        }
    }
    ASSERT_EQ(mesh.BonePalette.size(), mesh.Bones.size());
}

// ---- frames ----

TEST(XFileReader_Frames, ChildrenThenSiblingThenTopLevelSibling) {
    auto l = Load("Frame A { Frame B { } Frame C { } }\nFrame D { }\n");
    ASSERT_TRUE(l->ok);
    const TFrame* a = l->mesh.RootFrame.get();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Name, "A");
    ASSERT_NE(a->FirstChild, nullptr);
    EXPECT_EQ(a->FirstChild->Name, "B");
    ASSERT_NE(a->FirstChild->NextSibling, nullptr);
    EXPECT_EQ(a->FirstChild->NextSibling->Name, "C");
    EXPECT_EQ(a->FirstChild->FirstChild, nullptr);
    EXPECT_EQ(a->FirstChild->NextSibling->NextSibling, nullptr);
    ASSERT_NE(a->NextSibling, nullptr);
    EXPECT_EQ(a->NextSibling->Name, "D");
    EXPECT_EQ(a->NextSibling->FirstChild, nullptr);
}

TEST(XFileReader_Frames, GrandchildThenSiblingOfTheChild) {
    auto l = Load("Frame A { Frame B { Frame C { } } Frame D { } }\n");
    ASSERT_TRUE(l->ok);
    const TFrame* a = l->mesh.RootFrame.get();
    ASSERT_NE(a->FirstChild, nullptr);
    const TFrame* b = a->FirstChild.get();
    EXPECT_EQ(b->Name, "B");
    ASSERT_NE(b->FirstChild, nullptr);
    EXPECT_EQ(b->FirstChild->Name, "C");
    ASSERT_NE(b->NextSibling, nullptr);
    EXPECT_EQ(b->NextSibling->Name, "D");
    EXPECT_EQ(a->NextSibling, nullptr);
}

TEST(XFileReader_Frames, MeshAndTransformAfterAClosedChildGoToThatChild) {
    auto l = Load("Frame A { " + Matrix(1) + "Frame B { " + Matrix(2) + "} " + Matrix(7) + SquareMesh("M") +
                  "}\n");
    ASSERT_TRUE(l->ok);
    const TFrame* a = l->mesh.RootFrame.get();
    const TFrame* b = a->FirstChild.get();
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(l->mesh.MeshParts.size(), 1u);
    EXPECT_EQ(l->mesh.MeshParts[0].Frame, b);
    EXPECT_EQ(a->TransformMatrix._41, 1.0f);
    EXPECT_EQ(b->TransformMatrix._41, 7.0f);
}

TEST(XFileReader_Frames, MeshInsideAnOpenFrameBelongsToIt) {
    auto l = Load("Frame A { " + Matrix(3) + SquareMesh("M") + "Frame B { } }\n");
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->mesh.MeshParts.at(0).Frame, l->mesh.RootFrame.get());
    TMatrix m = MatrixIdentity();
    l->mesh.GetPartTransform(0, m);
    EXPECT_EQ(m._41, 3.0f);
}

TEST(XFileReader_Frames, NamelessFrameAndMeshAreCalledUnnamed) {
    auto l = Load("Frame {\n" + SquareMesh("") + "}\n");
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->mesh.RootFrame->Name, "unnamed");
    EXPECT_EQ(l->mesh.MeshParts.at(0).Name, "unnamed");
}

TEST(XFileReader_Frames, MeshOutsideAnyFrameHasNoFrameAndTheIdentity) {
    auto l = Load(SquareMesh("Loose"));
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->mesh.MeshParts.at(0).Frame, nullptr);
    TMatrix m = MatrixScale(MatrixIdentity(), 5);
    l->mesh.GetPartTransform(0, m);
    EXPECT_EQ(m._11, 1.0f);
    EXPECT_EQ(m._41, 0.0f);
}

TEST(XFileReader_Frames, CombinedMatricesMultiplyDownTheTree) {
    auto l =
        Load("Frame A { " + Matrix(1) + "Frame B { " + Matrix(2) + "} }\nFrame C { " + Matrix(4) + "}\n");
    ASSERT_TRUE(l->ok);
    const TFrame* a = l->mesh.RootFrame.get();
    EXPECT_EQ(a->CombinedMatrix._41, 1.0f);
    EXPECT_EQ(a->FirstChild->CombinedMatrix._41, 3.0f);
    EXPECT_EQ(a->NextSibling->CombinedMatrix._41, 4.0f);
    EXPECT_EQ(a->FirstChild->CurrentMatrix._41, 2.0f);
}

TEST(XFileReader_Frames, FrameWithoutTransformIsTheIdentity) {
    auto l = Load("Frame A { Frame B { } }\n");
    ASSERT_TRUE(l->ok);
    const TMatrix& m = l->mesh.RootFrame->FirstChild->CombinedMatrix;
    EXPECT_EQ(m._11, 1.0f);
    EXPECT_EQ(m._44, 1.0f);
    EXPECT_EQ(m._12, 0.0f);
}

TEST(XFileReader_Frames, NamesAreCutToFiftyCharacters) {
    const std::string longName(80, 'n');
    auto l = Load("Frame " + longName + " { }\n");
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->mesh.RootFrame->Name, std::string(50, 'n'));
}

// ---- geometry ----

TEST(XFileReader_Geometry, QuadIsSplitIntoTwoTriangles) {
    auto l = Load(SquareMesh("Q"));
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(Triangles(l->mesh, 0, 0), (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(l->mesh.GetTriangleCount(0, 0), 2u);
    EXPECT_EQ(l->mesh.GetVertexCount(0), 4);
}

TEST(XFileReader_Geometry, PolygonIsAFanAndShortFacesAddNothing) {
    auto l = Load(
        "Mesh P { 6; 0;0;0;, 1;0;0;, 2;0;0;, 3;0;0;, 4;0;0;, 5;0;0;;\n"
        " 3; 5; 5,4,3,2,1;, 2; 0,1;, 3; 2,1,0;; }\n");
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(Triangles(l->mesh, 0, 0), (std::vector<uint16_t>{5, 4, 3, 5, 3, 2, 5, 2, 1, 2, 1, 0}));
}

// Whole numbers are read ahead in runs of 256; 300 triangles take 4 numbers each, so a run ends exactly
// where a face ends, and the next face starts a new run.
TEST(XFileReader_Geometry, FacesThatEndExactlyAtARunsEndAreReadWhole) {
    std::string body = "Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;;\n 300;";
    std::vector<uint16_t> expected;
    for (int f = 0; f < 300; ++f) {
        const int a = f % 3;
        body += std::string(f == 0 ? " " : ", ") + "3;" + std::to_string(a) + "," +
                std::to_string((a + 1) % 3) + "," + std::to_string((a + 2) % 3) + ";";
        expected.insert(expected.end(), {uint16_t(a), uint16_t((a + 1) % 3), uint16_t((a + 2) % 3)});
    }
    auto l = Load(body + "; }\n");
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(Triangles(l->mesh, 0, 0), expected);
}

TEST(XFileReader_Geometry, NormalsAreSummedPerVertexAndNotNormalised) {
    auto l = Load(
        "Mesh N { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n"
        " 2; 3; 0,1,2;, 3; 0,2,3;;\n"
        " MeshNormals { 2; 0;0;1;, 1;0;0;; 2; 3; 0,0,0;, 3; 1,1,1;; }\n"
        "}\n");
    ASSERT_TRUE(l->ok);
    const std::vector<TVector3>& n = l->mesh.MeshParts[0].Normals;
    ASSERT_EQ(n.size(), 4u);
    // Vertices 0 and 2 are in both faces.
    EXPECT_EQ(n[0].X, 1.0f);
    EXPECT_EQ(n[0].Z, 1.0f);
    EXPECT_EQ(n[2].X, 1.0f);
    EXPECT_EQ(n[2].Z, 1.0f);
    EXPECT_EQ(n[1].Z, 1.0f);
    EXPECT_EQ(n[1].X, 0.0f);
    EXPECT_EQ(n[3].X, 1.0f);
    EXPECT_EQ(n[3].Z, 0.0f);
}

TEST(XFileReader_Geometry, TextureCoordinatesAndRadius) {
    auto l = Load(SquareMesh("T"));
    ASSERT_TRUE(l->ok);
    const TMeshPart& part = l->mesh.MeshParts[0];
    ASSERT_EQ(part.TexCoords.size(), 4u);
    EXPECT_EQ(part.TexCoords[2].X, 1.0f);
    EXPECT_EQ(part.TexCoords[2].Y, 1.0f);
    EXPECT_EQ(part.TexCoords[3].X, 0.0f);
    EXPECT_FLOAT_EQ(part.Radius, std::sqrt(2.0f));
}

// Every shape of decimal number, read bit for bit as the C library's strtod reads it (rounded to a float):
// signs, a period first or last, up to 20 digits, exponents, numbers that end the file's last line.
TEST(XFileReader_Geometry, NumbersAreReadAsStrtodReadsThem) {
    std::mt19937 random(15);
    auto digits = [&random](int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += static_cast<char>('0' + random() % 10);
        }
        return text;
    };
    std::vector<std::string> numbers;
    const char* separators[] = {";", ",", ";,\n    ", " ", "\t", ";\r\n"};
    while (numbers.size() < 30000) {
        const int whole = static_cast<int>(random() % 10);
        const int fraction =
            random() % 4 == 0 ? static_cast<int>(random() % 14) : static_cast<int>(random() % 8);
        if (whole + fraction == 0) {
            continue;
        }
        std::string number = std::string(random() % 3 == 0    ? "-"
                                         : random() % 20 == 0 ? "+"
                                                              : "") +
                             digits(whole);
        if (fraction > 0 || random() % 4 == 0) {
            number += "." + digits(fraction);
        }
        if (random() % 15 == 0) {
            number += (random() % 2 == 0 ? "e-" : "E") + std::to_string(random() % 20);
        }
        numbers.push_back(number);
    }
    std::string text = "Mesh Numbers { " + std::to_string(numbers.size() / 3) + ";\n";
    for (const std::string& number : numbers) {
        text += number + separators[random() % 6];
    }
    text += ";\n 0;\n}\n";
    auto l = Load(text);
    ASSERT_TRUE(l->ok) << l->error;
    const float* read = &l->mesh.MeshParts.at(0).Positions.at(0).X;
    for (size_t i = 0; i < numbers.size(); ++i) {
        const float expected = static_cast<float>(std::strtod(numbers[i].c_str(), nullptr));
        ASSERT_EQ(std::memcmp(&read[i], &expected, sizeof expected), 0)
            << numbers[i] << " read as " << read[i] << ", strtod gives " << expected;
    }
}

TEST(XFileReader_Geometry, PartWithoutNormalsOrCoordinatesHasEmptyArrays) {
    auto l = Load("Mesh Bare { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0,1,2;; }\n");
    ASSERT_TRUE(l->ok);
    EXPECT_TRUE(l->mesh.MeshParts[0].Normals.empty());
    EXPECT_TRUE(l->mesh.MeshParts[0].TexCoords.empty());
    EXPECT_FALSE(l->mesh.MeshParts[0].IsSkinned());
}

// ---- materials ----

TEST(XFileReader_Materials, MeshWithoutMaterialListGetsTheDefaultMaterial) {
    auto l = Load(SquareMesh("D"));
    ASSERT_TRUE(l->ok);
    ASSERT_EQ(l->mesh.GetSubsetCount(0), 1);
    const TMaterialRecord& m = l->mesh.MeshParts[0].Subsets[0].Material;
    EXPECT_EQ(m.Name, "Default");
    EXPECT_EQ(m.TextureFilename, "");
    EXPECT_EQ(m.Power, 16.0f);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(m.FaceColor[i], 1.0f);
        EXPECT_EQ(m.Specular[i], 1.0f);
        EXPECT_EQ(m.Emissive[i], 1.0f);
    }
}

TEST(XFileReader_Materials, InlineMaterialsReferencesAndFaceRouting) {
    const std::string top =
        "Material Red { 1.0;0.0;0.0;0.5;; 8.0; 0.1;0.2;0.3;; 0.4;0.5;0.6;; TextureFilename { \"red.png\"; } "
        "}\n";
    const std::string body =
        "Mesh Two { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n"
        " 3; 3; 0,1,2;, 3; 0,2,3;, 3; 1,2,3;;\n"
        " MeshMaterialList { 3; 3; 1, 0, 2;;\n"
        "  { Red }\n"
        "  Material Blue { 0.0;0.0;1.0;1.0;; 2.0; 0;0;0;; 0;0;0;; }\n"
        "  { NoSuchMaterial }\n"
        " }\n"
        "}\n";
    auto l = Load(top + body);
    ASSERT_TRUE(l->ok);
    ASSERT_EQ(l->mesh.GetSubsetCount(0), 3);
    const TMeshPart& part = l->mesh.MeshParts[0];
    EXPECT_EQ(part.Subsets[0].Material.Name, "Red");
    EXPECT_EQ(part.Subsets[0].Material.TextureFilename, "red.png");
    EXPECT_EQ(part.Subsets[0].Material.FaceColor[3], 0.5f);
    EXPECT_EQ(part.Subsets[0].Material.Power, 8.0f);
    EXPECT_EQ(part.Subsets[0].Material.Specular[2], 0.3f);
    EXPECT_EQ(part.Subsets[0].Material.Specular[3], 0.0f);
    EXPECT_EQ(part.Subsets[0].Material.Emissive[0], 0.4f);
    EXPECT_EQ(part.Subsets[1].Material.Name, "Blue");
    EXPECT_EQ(part.Subsets[2].Material.Name, "Default");
    // Face 0 uses material 1, face 1 material 0, face 2 material 2.
    EXPECT_EQ(Triangles(l->mesh, 0, 0), (std::vector<uint16_t>{0, 2, 3}));
    EXPECT_EQ(Triangles(l->mesh, 0, 1), (std::vector<uint16_t>{0, 1, 2}));
    EXPECT_EQ(Triangles(l->mesh, 0, 2), (std::vector<uint16_t>{1, 2, 3}));
    std::string texture = "unchanged";
    l->mesh.GetSubsetTextureName(0, 0, texture);
    EXPECT_EQ(texture, "red.png");
    l->mesh.GetSubsetTextureName(0, 3, texture);
    EXPECT_EQ(texture, "red.png");
}

TEST(XFileReader_Materials, EachMeshHasItsOwnMaterialMap) {
    const std::string materials =
        " MeshMaterialList { 1; 1; 0;; Material Green { 0;1;0;1;; 1; 0;0;0;; 0;0;0;; } }\n";
    auto l = Load(SquareMesh("First", materials) + SquareMesh("Second"));
    ASSERT_TRUE(l->ok);
    ASSERT_EQ(l->mesh.MeshParts.size(), 2u);
    EXPECT_EQ(l->mesh.MeshParts[0].Subsets.at(0).Material.Name, "Green");
    ASSERT_EQ(l->mesh.GetSubsetCount(1), 1);
    EXPECT_EQ(l->mesh.MeshParts[1].Subsets[0].Material.Name, "Default");
}

TEST(XFileReader_Materials, TextureNamesAreCutTo255Characters) {
    const std::string name(300, 't');
    auto l = Load(SquareMesh("T",
                             " MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; "
                             "TextureFilename { \"" +
                                 name + "\"; } } }\n"));
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->mesh.MeshParts[0].Subsets.at(0).Material.TextureFilename, std::string(255, 't'));
}

// ---- skin weights ----

const std::string kSkinnedFrames = "Frame Root { Frame Arm { } }\n";

std::string SkinWeights(const std::string& bone, const std::string& indices, const std::string& weights,
                        int count) {
    return " SkinWeights { \"" + bone + "\"; " + std::to_string(count) + "; " + indices + "; " + weights +
           "; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n";
}

TEST(XFileReader_Skin, FifthWeightIsDroppedAndFreeSlotsStayFree) {
    std::string skin;
    for (int b = 0; b < 5; ++b) {
        skin += SkinWeights(b == 0   ? "Root"
                            : b == 1 ? "Arm"
                                     : "Bone" + std::to_string(b),
                            "0,1", "0.1,0.2", 2);
    }
    auto l = Load(kSkinnedFrames + SquareMesh("S", skin));
    ASSERT_TRUE(l->ok);
    const TMeshPart& part = l->mesh.MeshParts[0];
    ASSERT_TRUE(part.IsSkinned());
    EXPECT_EQ(l->mesh.GetBoneCount(), 5);
    const TVector4& bones0 = part.BlendIndices[0];
    EXPECT_EQ(bones0.X, 0.0f);
    EXPECT_EQ(bones0.Y, 1.0f);
    EXPECT_EQ(bones0.Z, 2.0f);
    EXPECT_EQ(bones0.W, 3.0f);
    EXPECT_EQ(part.BlendWeights[1].W, 0.2f);
    // Vertices 2 and 3 have no weights.
    EXPECT_EQ(part.BlendIndices[2].X, kFreeBoneSlot);
    EXPECT_EQ(part.BlendIndices[3].W, kFreeBoneSlot);
    EXPECT_EQ(part.BlendWeights[3].X, 0.0f);
    // Bone frames by name; "Bone2" has no frame.
    EXPECT_EQ(l->mesh.Bones[0].Frame, l->mesh.RootFrame.get());
    EXPECT_EQ(l->mesh.Bones[1].Frame, l->mesh.RootFrame->FirstChild.get());
    EXPECT_EQ(l->mesh.Bones[2].Frame, nullptr);
    EXPECT_EQ(l->mesh.BonePalette.size(), 5u);
}

TEST(XFileReader_Skin, BoneNumbersRunOverAllParts) {
    auto l = Load(kSkinnedFrames + SquareMesh("A", SkinWeights("Root", "3", "1.0", 1)) +
                  SquareMesh("B", SkinWeights("Arm", "2", "0.75", 1)));
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->mesh.MeshParts[0].BlendIndices[3].X, 0.0f);
    EXPECT_EQ(l->mesh.MeshParts[1].BlendIndices[2].X, 1.0f);
    EXPECT_EQ(l->mesh.MeshParts[1].BlendWeights[2].X, 0.75f);
}

// ---- animation ----

const std::string kAnimatedFrames = "Frame Body { Frame Turret { } }\n";

std::string MatrixKeys(const std::vector<std::pair<int, float>>& keys) {
    std::string text = " AnimationKey { 4; " + std::to_string(keys.size()) + ";\n";
    for (const auto& [time, x] : keys) {
        text += "  " + std::to_string(time) + "; 16; 1,0,0,0, 0,1,0,0, 0,0,1,0, " + std::to_string(x) +
                ",0,0,1;;,\n";
    }
    return text + " }\n";
}

TEST(XFileReader_Animation, MatrixKeysAreReadAndOtherKeyTypesSkipped) {
    const std::string set =
        "AnimationSet Walk {\n"
        " Animation Track1 {\n"
        "  { Turret }\n"
        "  AnimationKey { 0; 2; 0; 4; 1,0,0,0;;, 10; 4; 1,0,0,0;;; }\n"
        "  AnimationKey { 1; 1; 0; 3; 1,1,1;;; }\n"
        "  AnimationKey { 2; 1; 0; 3; 5,5,5;;; }\n" +
        MatrixKeys({{0, 1}, {40, 2}, {100, 3}}) +
        " }\n"
        " Animation {\n"
        "  { Body }\n" +
        MatrixKeys({{0, 0}, {250, 5}}) +
        " }\n"
        "}\n";
    auto l = Load(kAnimatedFrames + set);
    ASSERT_TRUE(l->ok);
    ASSERT_EQ(l->mesh.GetAnimationSetCount(), 1);
    const TAnimation& walk = l->mesh.AnimationSets[0];
    EXPECT_EQ(walk.Name, "Walk");
    ASSERT_EQ(walk.Tracks.size(), 2u);
    EXPECT_EQ(walk.Tracks[0].FrameName, "Turret");
    EXPECT_EQ(walk.Tracks[0].Frame, l->mesh.RootFrame->FirstChild.get());
    ASSERT_EQ(walk.Tracks[0].Keys.size(), 3u);
    EXPECT_EQ(walk.Tracks[0].Keys[1].Time, 40u);
    EXPECT_EQ(walk.Tracks[0].Keys[1].Matrix._41, 2.0f);
    EXPECT_EQ(walk.Tracks[1].Frame, l->mesh.RootFrame.get());
    EXPECT_EQ(walk.Length, 250u);
}

TEST(XFileReader_Animation, TrackOfAnUnknownFrameHasNoFrame) {
    auto l = Load(kAnimatedFrames + "AnimationSet { Animation { { Ghost } " + MatrixKeys({{0, 1}}) + "} }\n");
    ASSERT_TRUE(l->ok);
    EXPECT_EQ(l->mesh.AnimationSets.at(0).Name, "");
    EXPECT_EQ(l->mesh.AnimationSets[0].Tracks.at(0).Frame, nullptr);
}

// ---- skipping ----

TEST(XFileReader_Skipping, UnknownBlocksTemplatesAndCommentsAreSkipped) {
    const std::string text =
        "template Frame { <3D82AB46-62DA-11cf-AB39-0020AF71E433> [...] }\n"
        "// a comment with Frame Fake { } in it\n"
        "Header { 1; 0; 1; }\n"
        "AnimTicksPerSecond { 4800; }\n"
        "Frame A {\n"
        "  // Mesh Hidden { }\n"
        "  Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; // the vertices\n"
        "   1; 3; 0,1,2;;\n"
        "   XSkinMeshHeader { 4; 12; 2; }\n"
        "   VertexDuplicationIndices { 3; 3; 0, 1, 2; }\n"
        "   Custom { Nested { 1; } Frame Inside { } { Reference } }\n"
        "  }\n"
        "}\n";
    auto l = Load(text);
    ASSERT_TRUE(l->ok);
    ASSERT_NE(l->mesh.RootFrame, nullptr);
    EXPECT_EQ(l->mesh.RootFrame->Name, "A");
    EXPECT_EQ(l->mesh.RootFrame->FirstChild, nullptr);
    EXPECT_EQ(l->mesh.RootFrame->NextSibling, nullptr);
    ASSERT_EQ(l->mesh.MeshParts.size(), 1u);
    EXPECT_EQ(l->mesh.MeshParts[0].Name, "M");
    EXPECT_EQ(l->mesh.GetTriangleCount(0, 0), 1u);
}

TEST(XFileReader_Skipping, HashStartsACommentLikeSlashes) {
    // Were "#" a token, it would start an unknown block reaching past the frame's closing brace.
    auto l = Load("Frame Seen { # a note {\n  // another {\n}\n");
    ASSERT_TRUE(l->ok) << l->error;
    ASSERT_NE(l->mesh.RootFrame, nullptr);
    EXPECT_EQ(l->mesh.RootFrame->Name, "Seen");
    EXPECT_EQ(l->mesh.RootFrame->FirstChild, nullptr);
}

// ---- bad files ----

TEST(XFileReader_BadFiles, NotAnXFileLeavesTheMeshEmpty) {
    TMesh mesh;
    std::string error;
    ASSERT_TRUE(mesh.LoadFromMemory(kHeader + SquareMesh("Q"), "first.x", error));
    EXPECT_FALSE(mesh.LoadFromMemory("Mesh Q { }", "Data/Meshes/wrong.x", error));
    EXPECT_TRUE(mesh.MeshParts.empty());
    EXPECT_NE(error.find("Data/Meshes/wrong.x"), std::string::npos);
}

TEST(XFileReader_BadFiles, MissingFileLeavesTheMeshAsItWas) {
    model_test::ScratchData data("missing");
    TMesh mesh;
    model_test::LogCapture log;
    std::string error;
    ASSERT_TRUE(mesh.LoadFromMemory(kHeader + SquareMesh("Q"), "first.x", error));
    EXPECT_FALSE(mesh.LoadFromFile(data.DataRoot(), "Data/Meshes/none.x", error));
    EXPECT_EQ(mesh.MeshParts.size(), 1u);
    EXPECT_EQ(mesh.FileName, "first.x");
    EXPECT_NE(error.find("none.x"), std::string::npos);
}

TEST(XFileReader_BadFiles, LoadsThroughTheCaseInsensitiveLookUp) {
    model_test::ScratchData data("lookup");
    data.Write("Data/Meshes/Box.x", kHeader + SquareMesh("Q"));
    TMesh mesh;
    std::string error;
    EXPECT_TRUE(mesh.LoadFromFile(data.DataRoot(), "data\\meshes\\box.X", error)) << error;
    EXPECT_EQ(mesh.MeshParts.size(), 1u);
    EXPECT_EQ(mesh.FileName, "data\\meshes\\box.X");
}

struct BadCase {
    const char* name;
    std::string body;
    const char* message;  // part of the expected message
};

class XFileReader_BadValues : public ::testing::TestWithParam<BadCase> {};

TEST_P(XFileReader_BadValues, EndTheLoadWithAMessageAndKeepIndicesInRange) {
    auto l = Load(GetParam().body);
    EXPECT_FALSE(l->ok);
    const std::string& error = l->error;
    EXPECT_EQ(error.rfind("Data/Meshes/test.x, line ", 0), 0u) << error;
    EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
    ExpectConsistent(l->mesh);
}

std::string NestedFrames(int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) {
        text += "Frame { ";
    }
    return text;
}

const std::string kTriangle = "Mesh T { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0,1,2;;\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, XFileReader_BadValues,
    ::testing::Values(
        BadCase{"VertexIndex", "Mesh T { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0,1,3;; }\n", "vertex index 3"},
        BadCase{"NormalIndex", kTriangle + " MeshNormals { 1; 0;0;1;; 1; 3; 0,0,1;; } }\n", "normal index 1"},
        BadCase{"MaterialIndex",
                kTriangle + " MeshMaterialList { 1; 1; 1;; Material { 1;1;1;1;; 1; 0;0;0;; 0;0;0;; } } }\n",
                "uses material 1"},
        BadCase{"SkinVertexIndex",
                kTriangle + " SkinWeights { \"B\"; 1; 9; 1.0; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; } }\n",
                "skin vertex index 9"},
        BadCase{"CountNotANumber", "Mesh T { three; }\n", "\"three\" is not a whole number"},
        BadCase{"NegativeCount", "Mesh T { -3; }\n", "\"-3\" is not a whole number"},
        BadCase{"NumberNotANumber", "Mesh T { 1; 1.2.3; 0; 0;; }\n", "\"1.2.3\" is not a number"},
        BadCase{"InfiniteNumber", "Mesh T { 1; inf; 0; 0;; }\n", "\"inf\" is not a number"},
        BadCase{"HugeNumber", "Mesh T { 1; 1e39; 0; 0;; }\n", "\"1e39\" is not a number"},
        BadCase{"TooManyVertices", "Mesh T { 70000; 0;0;0;; }\n", "does not fit 16-bit indices"},
        BadCase{"TruncatedMesh", "Mesh T { 3; 0;0;0;, 1;0;0;", "the file ends"},
        BadCase{"TruncatedBlock", "Header { 1; 0; 1;", "the file ends inside \"Header\""},
        BadCase{"NormalsOutsideMesh", "MeshNormals { 0; 0; }\n", "MeshNormals outside a Mesh"},
        BadCase{"KeyOutsideAnimation", "AnimationKey { 4; 1; 0; 16; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;;; }\n",
                "AnimationKey outside an Animation"},
        BadCase{"AnimationOutsideSet", "Animation { }\n", "Animation outside an AnimationSet"},
        BadCase{"DeepFrames", NestedFrames(300), "nested deeper"}),
    [](const ::testing::TestParamInfo<BadCase>& info) { return info.param.name; });

TEST(XFileReader_BadFiles, PartWhoseFacesFailHasNoSubsetsButEarlierPartsStay) {
    auto l = Load(SquareMesh("Good") + "Mesh Bad { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3; 0,1,7;; }\n");
    EXPECT_FALSE(l->ok);
    ASSERT_EQ(l->mesh.MeshParts.size(), 2u);
    EXPECT_EQ(l->mesh.GetSubsetCount(0), 1);
    EXPECT_EQ(l->mesh.GetSubsetCount(1), 0);
    EXPECT_EQ(l->mesh.GetRadius(0), std::sqrt(2.0f));
}

// A file with every kind of template: every prefix of it, and many mutations of it, must load without a
// crash and leave only in-range indices.
std::string RichFile() {
    return kAnimatedFrames + "Frame Skin { " + Matrix(2) +
           SquareMesh("S", SkinWeights("Body", "0,1,2,3", "0.5,0.5,0.5,0.5", 4) +
                               SkinWeights("Turret", "0,1", "0.5,0.5", 2) +
                               " MeshMaterialList { 2; 1; 1;; Material A { 1;1;1;0.5;; 4; 0;0;0;; 0;0;0;; "
                               "TextureFilename { \"a.png\"; } } { A } }\n") +
           "}\nAnimationSet Go { Animation { { Turret } " + MatrixKeys({{0, 1}, {10, 2}}) + " } }\n";
}

TEST(XFileReader_BadFiles, EveryTruncationOfAGoodFileIsSafe) {
    const std::string full = kHeader + RichFile();
    {
        auto l = Load(RichFile());
        ASSERT_TRUE(l->ok) << l->error;
        ASSERT_EQ(l->mesh.GetSubsetCount(0), 2);
    }
    model_test::LogCapture quiet;
    for (size_t length = 0; length < full.size(); ++length) {
        TMesh mesh;
        std::string error;
        mesh.LoadFromMemory(std::string_view(full).substr(0, length), "cut.x", error);
        ExpectConsistent(mesh);
        if (::testing::Test::HasFatalFailure()) {
            FAIL() << "at length " << length;
        }
    }
}

TEST(XFileReader_BadFiles, MutatedFilesAreSafe) {
    const std::string full = kHeader + RichFile();
    const char replacements[] = {'{', '}', '9', '-', ';', ' ', '/', 'x', '0', '7'};
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 134775813u + 1u;
        return static_cast<uint32_t>((static_cast<uint64_t>(seed) * n) >> 32);
    };
    model_test::LogCapture quiet;
    for (int round = 0; round < 3000; ++round) {
        std::string text = full;
        const int edits = 1 + static_cast<int>(next(4));
        for (int e = 0; e < edits; ++e) {
            text[next(static_cast<uint32_t>(text.size()))] = replacements[next(sizeof(replacements))];
        }
        TMesh mesh;
        std::string error;
        mesh.LoadFromMemory(text, "mutated.x", error);
        ExpectConsistent(mesh);
        if (::testing::Test::HasFatalFailure()) {
            FAIL() << "round " << round << ":\n" << text;
        }
    }
}

// RichFile with a name on every data object that can carry one, as exporters write them.
std::string NamedRichFile() {
    std::string text = RichFile();
    for (const char* kind : {"FrameTransformMatrix", "MeshNormals", "MeshTextureCoords", "MeshMaterialList",
                             "TextureFilename", "SkinWeights", "AnimationKey"}) {
        const std::string plain = std::string(kind) + " {";
        for (size_t at = text.find(plain); at != std::string::npos; at = text.find(plain, at + 1)) {
            text.insert(at + std::strlen(kind), " named_" + std::string(kind).substr(0, 4));
        }
    }
    return text;
}

TEST(XFileReader_Named, NamedDataObjectsReadAsTheirUnnamedForms) {
    const std::string named = NamedRichFile();
    ASSERT_NE(named.find("FrameTransformMatrix named_Fram {"), std::string::npos);
    ASSERT_NE(named.find("AnimationKey named_Anim {"), std::string::npos);
    auto a = Load(named);
    auto b = Load(RichFile());
    ASSERT_TRUE(a->ok) << a->error;
    ASSERT_TRUE(b->ok);
    ASSERT_EQ(a->mesh.MeshParts.size(), 1u);
    const TMeshPart& x = a->mesh.MeshParts[0];
    const TMeshPart& y = b->mesh.MeshParts[0];
    EXPECT_EQ(x.Normals.size(), 4u);
    EXPECT_FLOAT_EQ(x.Normals[0].Y, y.Normals[0].Y);
    EXPECT_FLOAT_EQ(x.TexCoords[2].X, y.TexCoords[2].X);
    ASSERT_EQ(x.Subsets.size(), 2u);
    EXPECT_EQ(x.Subsets[1].Material.TextureFilename, "a.png");
    EXPECT_EQ(x.Subsets[1].Indices, y.Subsets[1].Indices);
    EXPECT_FLOAT_EQ(x.BlendWeights[1].Y, y.BlendWeights[1].Y);
    EXPECT_EQ(a->mesh.Bones.size(), 2u);
    EXPECT_FLOAT_EQ(a->mesh.RootFrame->TransformMatrix._41, b->mesh.RootFrame->TransformMatrix._41);
    ASSERT_EQ(a->mesh.AnimationSets.size(), 1u);
    EXPECT_EQ(a->mesh.AnimationSets[0].Tracks[0].Keys.size(), 2u);
    EXPECT_EQ(a->mesh.AnimationSets[0].Length, b->mesh.AnimationSets[0].Length);
}

TEST(XFileReader_Named, ANameWithoutItsBraceIsRefusedWithTheName) {
    auto l = Load(
        "Frame A {\n FrameTransformMatrix relative 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, "
        "0.0,0.0,1.0,0.0, 0.0,0.0,0.0,1.0;; }\n}\n");
    EXPECT_FALSE(l->ok);
    EXPECT_NE(l->error.find("test.x, line 3"), std::string::npos) << l->error;
    EXPECT_NE(l->error.find("\"relative\""), std::string::npos) << l->error;
}

// ---- binary and compressed files ----

xfile_writer::Model RichModel() {
    auto l = Load(RichFile());
    return xfile_writer::ModelOf(l->mesh);
}

std::string ErrorOf(const std::string& bytes) {
    auto l = Load(bytes, false);
    EXPECT_FALSE(l->ok);
    return l->error;
}

// One frame "F" with one triangle "M".
xfile_writer::Model TriangleModel() {
    xfile_writer::Model model;
    model.Frames.resize(1);
    model.Frames[0].Name = "F";
    xfile_writer::MeshData mesh;
    mesh.Name = "M";
    mesh.Positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh.Faces = {{0, 1, 2}};
    model.Frames[0].Meshes.push_back(mesh);
    return model;
}

TEST(XFileReader_Binary, DamagedBinaryAndCompressedFilesNameTheFileAndTheByte) {
    using xfile_writer::Kind;
    xfile_writer::Model model = TriangleModel();
    model.Frames[0].Meshes[0].Skins.push_back(
        {"F", {7}, {1.0f}, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}});
    // A skin weight for a vertex the mesh does not have.
    std::string error = ErrorOf(xfile_writer::Write(model, Kind::Binary32));
    EXPECT_NE(error.find("Data/Meshes/test.x, byte "), std::string::npos) << error;
    EXPECT_NE(error.find("skin vertex index 7 is out of range"), std::string::npos) << error;
    error = ErrorOf(xfile_writer::Write(model, Kind::CompressedBinary32));
    EXPECT_NE(error.find("of the inflated data: skin vertex index 7"), std::string::npos) << error;

    model.Frames[0].Meshes[0].Skins.clear();
    const std::string good = xfile_writer::Write(model, Kind::Binary32);
    ASSERT_TRUE(Load(good, false)->ok);
    // A float list whose count reaches past the end of the file.
    const size_t list = good.find(std::string("\x07\x00\x09\x00\x00\x00", 6));
    ASSERT_NE(list, std::string::npos);
    std::string cut = good;
    cut[list + 2] = '\x7F';
    error = ErrorOf(cut);
    EXPECT_NE(error.find("byte " + std::to_string(list) + ": a float list runs past the end"),
              std::string::npos)
        << error;
    // A position that is not a number.
    std::string nan = good;
    const float notANumber = std::nanf("");
    std::memcpy(&nan[list + 6 + 4], &notANumber, 4);
    error = ErrorOf(nan);
    EXPECT_NE(error.find("is not a number a model can hold (a vertex position)"), std::string::npos) << error;

    // Compressed data that does not inflate, and blocks that give more than the file's size.
    std::string packed = xfile_writer::Write(model, Kind::CompressedBinary32);
    std::string damaged = packed;
    damaged[26] = static_cast<char>(0xFF);
    damaged[27] = static_cast<char>(0xFF);
    error = ErrorOf(damaged);
    EXPECT_NE(error.find("byte 20: compressed block 0 is damaged"), std::string::npos) << error;
    std::string small = packed;
    small[16] = 20;
    small[17] = small[18] = small[19] = 0;
    EXPECT_NE(ErrorOf(small).find("inflates past the size the file gives (20 bytes)"), std::string::npos);
}

// Binary files as the DirectX tools write them: the standard templates first. They are skipped; one
// cut short, with a short GUID or an unknown token is refused with its byte.
TEST(XFileReader_Binary, TemplatesInFrontAreSkippedAndDamagedOnesNamedByTheirByte) {
    using xfile_writer::Kind;
    const xfile_writer::Model model = TriangleModel();
    for (Kind kind : {Kind::Binary32, Kind::Binary64, Kind::CompressedBinary32}) {
        auto plain = Load(xfile_writer::Write(model, kind), false);
        auto withTemplates = Load(xfile_writer::Write(model, kind, true), false);
        ASSERT_TRUE(withTemplates->ok) << withTemplates->error;
        ASSERT_EQ(withTemplates->mesh.MeshParts.size(), 1u);
        EXPECT_EQ(withTemplates->mesh.MeshParts[0].Positions.size(),
                  plain->mesh.MeshParts[0].Positions.size());
        EXPECT_EQ(withTemplates->mesh.MeshParts[0].Subsets[0].Indices,
                  plain->mesh.MeshParts[0].Subsets[0].Indices);
    }
    // "template", the name "Vector", "{", then the GUID token at byte 32 with its data at 34 to 49.
    const std::string good = xfile_writer::Write(model, Kind::Binary32, true);
    ASSERT_EQ(good.substr(32, 2), std::string("\x05\x00", 2));
    EXPECT_NE(ErrorOf(good.substr(0, 42)).find("byte 32: a GUID runs past the end of the file"),
              std::string::npos)
        << ErrorOf(good.substr(0, 42));
    // Cut after a whole token, and inside one.
    const std::string cut = ErrorOf(good.substr(0, 50));
    EXPECT_NE(cut.find("Data/Meshes/test.x, byte 50"), std::string::npos) << cut;
    EXPECT_NE(cut.find("the end of a template declaration"), std::string::npos) << cut;
    EXPECT_NE(ErrorOf(good.substr(0, 51)).find("byte 50: a token runs past the end of the file"),
              std::string::npos);
    std::string unknown = good;
    unknown[50] = 99;  // the token after the GUID
    EXPECT_NE(ErrorOf(unknown).find("byte 50: unknown binary token type 99"), std::string::npos)
        << ErrorOf(unknown);
}

TEST(XFileReader_Binary, EveryCutAndMutationOfBinaryAndCompressedFilesIsSafe) {
    using xfile_writer::Kind;
    const xfile_writer::Model model = RichModel();
    model_test::LogCapture quiet;
    uint32_t seed = 777;
    auto next = [&seed](uint32_t n) {
        seed = seed * 134775813u + 1u;
        return static_cast<uint32_t>((static_cast<uint64_t>(seed) * n) >> 32);
    };
    for (Kind kind : {Kind::Binary32, Kind::Binary64, Kind::CompressedText, Kind::CompressedBinary32}) {
        const std::string full = xfile_writer::Write(model, kind);
        {
            TMesh mesh;
            std::string error;
            ASSERT_TRUE(mesh.LoadFromMemory(full, "whole.x", error)) << error;
            ASSERT_EQ(mesh.GetSubsetCount(0), 2);
            ASSERT_EQ(mesh.Bones.size(), 2u);
        }
        for (size_t length = 0; length < full.size(); ++length) {
            TMesh mesh;
            std::string error;
            const bool ok = mesh.LoadFromMemory(std::string_view(full).substr(0, length), "cut.x", error);
            ExpectConsistent(mesh);
            if (::testing::Test::HasFatalFailure() || (!ok && error.find("cut.x") == std::string::npos)) {
                FAIL() << xfile_writer::KindName(kind) << " at length " << length << ": " << error;
            }
        }
        for (int round = 0; round < 1500; ++round) {
            std::string bytes = full;
            for (int e = 1 + static_cast<int>(next(3)); e > 0; --e) {
                bytes[kind >= Kind::CompressedText ? 16 + next(static_cast<uint32_t>(bytes.size() - 16))
                                                   : next(static_cast<uint32_t>(bytes.size()))] =
                    static_cast<char>(next(256));
            }
            TMesh mesh;
            std::string error;
            mesh.LoadFromMemory(bytes, "mutated.x", error);
            ExpectConsistent(mesh);
            if (::testing::Test::HasFatalFailure()) {
                FAIL() << xfile_writer::KindName(kind) << " round " << round;
            }
        }
    }
}

TEST(XFileReader_BadFiles, ManySiblingFramesNeitherOverflowNorHang) {
    std::string text;
    text.reserve(200000 * 12);
    for (int i = 0; i < 200000; ++i) {
        text += "Frame F { }\n";
    }
    auto l = Load(text);
    EXPECT_TRUE(l->ok);
    int count = 0;
    for (const TFrame* f = l->mesh.RootFrame.get(); f != nullptr; f = f->NextSibling.get()) {
        ++count;
    }
    EXPECT_EQ(count, 200000);
}

}  // namespace
