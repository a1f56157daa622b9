// xinfo FILE.x: prints what the game's .x reader reads from a model file.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "models/GE_MATERIAL.h"
#include "models/Mesh.h"
#include "util/GE_UTILS.h"

namespace {

// A name from the file, safe to print on a terminal.
std::string Quote(const std::string& name) {
    return QuoteForMessage(name, 200);
}

void PrintFrames(const TFrame* frame, int depth) {
    // Siblings iteratively, children one level deeper (models nest only a few levels).
    for (; frame != nullptr; frame = frame->NextSibling.get()) {
        const TMatrix& m = frame->TransformMatrix;
        std::printf("  %*s%s  (translation %g %g %g)\n", depth * 2, "", Quote(frame->Name).c_str(), m._41,
                    m._42, m._43);
        PrintFrames(frame->FirstChild.get(), depth + 1);
    }
}

// The kind of .x file its fixed header names: text, binary or compressed (MSZIP).
std::string FileKind(std::string_view bytes) {
    const bool fixed = bytes.size() >= 16 && bytes.substr(0, 4) == "xof ";
    const std::string_view kind = fixed ? bytes.substr(8, 4) : std::string_view();
    const std::string floats = fixed && bytes.substr(12, 4) == "0064" ? "64-bit floats" : "32-bit floats";
    if (kind == "bin ") {
        return "binary, " + floats;
    }
    if (kind == "bzip") {
        return "compressed binary, " + floats;
    }
    return kind == "tzip" ? "compressed text" : "text";
}

const char* YesNo(bool value) {
    return value ? "yes" : "no";
}

void PrintParts(const TMesh& mesh) {
    std::printf("Parts: %u\n", mesh.GetMeshPartCount());
    for (size_t p = 0; p < mesh.MeshParts.size(); ++p) {
        const TMeshPart& part = mesh.MeshParts[p];
        uint32_t triangles = 0;
        for (const TSubset& subset : part.Subsets) {
            triangles += subset.IndexCount() / 3;
        }
        std::printf(
            "  [%zu] %s in frame %s: %u vertices, %u triangles, normals %s, texture coordinates %s, "
            "skinned %s, radius %g\n",
            p, Quote(part.Name).c_str(), part.Frame != nullptr ? Quote(part.Frame->Name).c_str() : "(none)",
            part.VertexCount, triangles, YesNo(!part.Normals.empty()), YesNo(!part.TexCoords.empty()),
            YesNo(part.IsSkinned()), part.Radius);
        for (size_t s = 0; s < part.Subsets.size(); ++s) {
            const TMaterialRecord& material = part.Subsets[s].Material;
            const TMaterial drawn = BuildMaterial(material);
            std::printf(
                "      subset %zu: %u triangles, material %s, colour %g %g %g alpha %g, texture %s, "
                "transparent %s\n",
                s, part.Subsets[s].IndexCount() / 3, Quote(material.Name).c_str(), material.FaceColor[0],
                material.FaceColor[1], material.FaceColor[2], material.FaceColor[3],
                material.TextureFilename.empty() ? "(none)" : Quote(material.TextureFilename).c_str(),
                YesNo(drawn.Transparent));
        }
    }
}

void PrintBonesAndAnimations(const TMesh& mesh) {
    std::printf("Bones: %u\n", mesh.GetBoneCount());
    for (size_t b = 0; b < mesh.Bones.size(); ++b) {
        std::printf("  [%zu] %s%s\n", b, Quote(mesh.Bones[b].Name).c_str(),
                    mesh.Bones[b].Frame != nullptr ? "" : "  (no frame of that name)");
    }
    std::printf("Animation sets: %u\n", mesh.GetAnimationSetCount());
    for (const TAnimation& set : mesh.AnimationSets) {
        std::printf("  %s: length %u ticks, %zu tracks\n", Quote(set.Name).c_str(), set.Length,
                    set.Tracks.size());
        for (const TFrameAnimation& track : set.Tracks) {
            std::printf("    %s: %zu matrix keys%s\n", Quote(track.FrameName).c_str(), track.Keys.size(),
                        track.Frame != nullptr ? "" : "  (no frame of that name)");
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    static const char* const kUsage =
        "Usage: xinfo FILE.x\n"
        "Prints a model's frames, parts, subsets, materials, bones and animation sets, and the reader's\n"
        "message when the file is not a readable model (exit code 1).\n"
        "  --help   show this text\n";
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc != 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string path = argv[1];
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "xinfo: %s: cannot open the file\n", path.c_str());
        return 1;
    }
    std::stringstream bytes;
    bytes << in.rdbuf();
    TMesh mesh;
    std::string error;
    const bool ok = mesh.LoadFromMemory(bytes.str(), path, error);
    std::printf("File: %s\n", path.c_str());
    std::printf("Kind: %s\n", FileKind(bytes.str()).c_str());
    std::printf("Frames:\n");
    if (mesh.RootFrame == nullptr) {
        std::printf("  (none)\n");
    }
    PrintFrames(mesh.RootFrame.get(), 0);
    PrintParts(mesh);
    PrintBonesAndAnimations(mesh);
    if (!ok) {
        std::fprintf(stderr, "xinfo: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
