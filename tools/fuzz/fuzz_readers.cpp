// One libFuzzer entry for every reader of the game's files: the first byte picks the reader, the rest
// is the file. A reader may refuse anything, but must not crash, hang, read out of bounds or throw,
// and a refusal must name the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "audio/WaveFile.h"
#include "gui/FontInfo.h"
#include "gui/GUISkinInfo.h"
#include "models/Mesh.h"
#include "platform/Png.h"
#include "shell/Config.h"
#include "shell/Languages.h"
#include "shell/Levels.h"
#include "shell/TableOfRecords.h"
#include "util/Log.h"
#include "world/LevelFile.h"

namespace {

constexpr std::string_view kName = "fuzzed.txt";

void ExpectNamed(bool ok, const std::string& message) {
    if (!ok && message.find(kName) == std::string::npos) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        logging::SetSink([](std::string_view, std::string_view) {});
        return true;
    }();
    (void)quiet;
    if (size == 0) {
        return 0;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string error;
    switch (data[0] % 10) {
        case 0: {
            TGameState state;
            ExpectNamed(ParseConfig(bytes, kName, state, error), error);
            break;
        }
        case 1: {
            TGameState state;
            ExpectNamed(ParseOptions(bytes, kName, state, error), error);
            break;
        }
        case 2: {
            TLanguages languages;
            languages.LoadFromBytes(bytes, bytes.substr(bytes.size() / 2), bytes);
            break;
        }
        case 3: {
            TTable_of_records table;
            table.LoadFromBytes(bytes, kName);
            break;
        }
        case 4: {
            TLevels levels;
            ExpectNamed(levels.LoadFromBytes(bytes, kName, error), error);
            break;
        }
        case 5: {
            TLevelDescription level;
            const bool ok = ParseLevel(bytes, kName, level, error);
            ExpectNamed(ok, error);
            if (ok) {
                BuildMap(level);
            }
            break;
        }
        case 6: {
            TMesh mesh;
            const bool ok = mesh.LoadFromMemory(bytes, std::string(kName));
            ExpectNamed(ok, mesh.LoadError());
            mesh.MarkFrames();
            for (int set = 0; set < mesh.GetAnimationSetCount(); ++set) {
                mesh.SampleAnimationSet(set, 100, 1.0f);
            }
            mesh.UpdateCombinedMatrices();
            mesh.BuildBonePalette();
            break;
        }
        case 7: {
            TFontInfo info;
            std::string warning;
            ExpectNamed(ParseFontInfo(bytes, kName, info, error, warning), error);
            break;
        }
        case 8: {
            TGUISkinInfo skin;
            ExpectNamed(skin.LoadFromBytes(bytes, kName, 512, 256, error), error);
            break;
        }
        default: {
            TWaveData wave;
            ParseWave(bytes, wave, error);
            platform::Image image;
            platform::DecodePng(bytes, image, error);
            break;
        }
    }
    return 0;
}
