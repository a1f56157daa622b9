// contentgen OUTDIR: writes every generated file of the game's Data folder under OUTDIR/Data, the
// desktop icons under OUTDIR/desktop/icons, and
// OUTDIR/contentgen_manifest.txt with the vertex and triangle counts of every model.
// contentgen --manifest OUTDIR: only the manifest (quick; the content tests use it).
// contentgen --preview DIR [LEVELDIR]: draws every model from the game's camera into DIR/models.png and the
// text of the atlas into DIR/text.png, and each level into DIR/level<N>.png, for looking at the
// content without the game.
#include <cstdio>
#include <cstring>
#include <string>

#include "Font.h"
#include "Icons.h"
#include "Models.h"
#include "Output.h"
#include "Preview.h"
#include "Skin.h"
#include "Sounds.h"
#include "Textures.h"

int main(int argc, char** argv) {
    using namespace contentgen;
    static const char* const kUsage =
        "Usage: contentgen OUTDIR | --manifest OUTDIR | --preview DIR [LEVELDIR]\n"
        "  OUTDIR                     write every generated file of Data under OUTDIR/Data, and\n"
        "                             OUTDIR/contentgen_manifest.txt\n"
        "  --manifest OUTDIR          write only the manifest (vertex and triangle counts of every model)\n"
        "  --preview DIR [LEVELDIR]   draw the models, the text and the levels into PNGs in DIR\n"
        "  --help                     show this text\n";
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "--preview") == 0) {
        return WritePreviews(argv[2], argc == 4 ? argv[3] : "") ? 0 : 1;
    }
    bool manifestOnly = argc == 3 && std::strcmp(argv[1], "--manifest") == 0;
    if (argc != 2 && !manifestOnly) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    Output out(argv[manifestOnly ? 2 : 1]);
    for (auto* list : {&BuildGameModels, &BuildSceneryModels}) {
        for (const NamedMesh& m : (*list)()) {
            if (manifestOnly) {
                out.AddManifestLine(ManifestLine(m.fileName, m.mesh));
            } else {
                EmitMesh(out, m.fileName, m.mesh);
            }
        }
    }
    if (manifestOnly) {
        out.Finish();
        return out.Ok() ? 0 : 1;
    }
    WriteTextures(out);
    WriteFont(out);
    WriteSkin(out);
    WriteSounds(out);
    WriteMusic(out);
    WriteIcons(out);
    out.Finish();
    if (!out.Ok()) {
        std::fprintf(stderr, "contentgen: some files were not written\n");
        return 1;
    }
    return 0;
}
