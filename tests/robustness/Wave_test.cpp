// WAVE files under damage: the shipped sounds cut and flipped, chunk sizes inflated, formats the
// player cannot play, and the file wrapper's message naming the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/WaveFile.h"
#include "tests/robustness/Mutations.h"
#include "util/Files.h"

using namespace robustness;

namespace {

std::string U32(uint32_t v) {
    return std::string{char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF), char(v >> 24 & 0xFF)};
}
std::string U16(uint16_t v) {
    return std::string{char(v & 0xFF), char(v >> 8 & 0xFF)};
}
std::string Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    return "fmt " + U32(16) + U16(tag) + U16(channels) + U32(rate) + U32(rate * align) + U16(align) +
           U16(bits);
}
std::string Riff(const std::string& chunks) {
    return "RIFF" + U32(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

// ParseWave leaves the file's name to its wrapper; here the message must at least say something.
Outcome ParseChecked(const std::string& bytes) {
    TWaveData wave;
    Outcome o;
    std::string error;
    o.ok = ParseWave(bytes, wave, error);
    if (!o.ok) {
        o.message = error.empty() ? std::string() : "sound.wav: " + error;
        return o;
    }
    int frame = 0;
    switch (wave.Format) {
        case WaveFormatMono8:
            frame = 1;
            break;
        case WaveFormatMono16:
        case WaveFormatStereo8:
            frame = 2;
            break;
        case WaveFormatStereo16:
            frame = 4;
            break;
        default:
            ADD_FAILURE() << "accepted format " << wave.Format;
            return o;
    }
    if (wave.Samples.size() % frame != 0 || wave.Samples.size() > bytes.size() || wave.Frequency <= 0) {
        ADD_FAILURE() << "accepted " << wave.Samples.size() << " bytes of samples at " << wave.Frequency
                      << " Hz from " << bytes.size() << " bytes";
    }
    return o;
}

std::vector<Case> BinaryMutations(const std::string& bytes, uint64_t seed, std::size_t flips) {
    std::vector<Case> cases;
    AddTruncations(bytes, 64, 64, cases);
    // The header and the first chunks are where a reader decides; flips there are dense.
    AddFlips(bytes, flips, seed, cases, 64);
    AddFlips(bytes, flips / 2, seed + 1, cases);
    AddInsertions(bytes.substr(0, 2000), flips / 2, seed + 2, cases);
    return cases;
}

TEST(Wave_Damaged, ShippedSoundsFailWithAMessageOrGiveWholeFrames) {
    for (const char* path : {"Data/Sound/laser.wav", "Data/Sound/bonus.wav"}) {
        const std::string bytes = ReadShipped(path);
        ASSERT_GT(bytes.size(), 64u) << path;
        ExpectNamedFailures(BinaryMutations(bytes, 111, 800), "sound.wav", ParseChecked);
    }
}

TEST(Wave_Damaged, TheMusicCutAnywhereFailsWithAMessageOrGivesWholeFrames) {
    const std::string bytes = ReadShipped("Data/Music/Exhilarate.wav");
    ASSERT_GT(bytes.size(), 64u);
    std::vector<Case> cases;
    AddTruncations(bytes, 48, 40, cases);
    ExpectNamedFailures(cases, "sound.wav", ParseChecked);
}

TEST(Wave_Hostile, InflatedChunkSizesAndUnplayableFormatsAreRefused) {
    const std::string pcm = Fmt(1, 1, 22050, 16);
    const std::vector<std::string> inputs = {
        Riff(pcm + "data" + U32(0xFFFFFFF0) + "abcd"),
        Riff(pcm + "data" + U32(0xFFFFFFFF)),
        Riff("fmt " + U32(0xFFFFFFF0) + pcm.substr(8)),
        Riff("LIST" + U32(0xFFFFFFF0) + pcm + "data" + U32(2) + "ab"),
        Riff("JUNK" + U32(0x7FFFFFFF) + pcm),
        Riff(Fmt(1, 0, 22050, 16) + "data" + U32(2) + "ab"),
        Riff(Fmt(1, 1, 22050, 0) + "data" + U32(2) + "ab"),
        Riff(Fmt(1, 65535, 22050, 16) + "data" + U32(2) + "ab"),
        Riff(Fmt(1, 1, 0, 16) + "data" + U32(2) + "ab"),
        Riff(Fmt(1, 1, 0xFFFFFFFF, 16) + "data" + U32(2) + "ab"),
        Riff(Fmt(3, 1, 22050, 32) + "data" + U32(4) + "abcd"),
        Riff(Fmt(0xFFFE, 1, 22050, 16) + "data" + U32(2) + "ab"),
        Riff("fmt " + U32(4) + "abcd" + "data" + U32(2) + "ab"),
        Riff(pcm),
        Riff("data" + U32(2) + "ab"),
        "RIFF" + U32(0xFFFFFFF0) + "WAVE",
        "RIFF" + U32(4) + "WAV",
        "RIFX" + U32(4) + "WAVE" + pcm,
        "",
    };
    for (const std::string& input : inputs) {
        const Outcome o = ParseChecked(input);
        EXPECT_FALSE(o.ok) << "case " << (&input - inputs.data());
        EXPECT_FALSE(o.message.empty()) << "case " << (&input - inputs.data());
    }
    // A million empty chunks are walked to the end and leave the sound without data.
    std::string many;
    for (int i = 0; i < 1000000; ++i) {
        many += "JUNK" + U32(0);
    }
    EXPECT_FALSE(ParseChecked(Riff(pcm + many)).ok);
}

// The file wrapper adds the name; checked on a sample of the damaged sounds in a scratch folder.
TEST(Wave_Files, TheLoaderNamesTheDamagedOrMissingFile) {
    const std::filesystem::path root =
        std::filesystem::path(BRELVOX_BINARY_DIR) / "robustness-data" / "Wave_Files";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "Data" / "Sound");
    const files::TDataRoot data(root.string());

    const std::string bytes = ReadShipped("Data/Sound/laser.wav");
    std::vector<Case> cases;
    AddTruncations(bytes, 16, 16, cases);
    AddFlips(bytes, 100, 121, cases, 48);
    std::size_t failures = 0;
    for (const Case& c : cases) {
        std::ofstream(root / "Data" / "Sound" / "damaged.wav", std::ios::binary) << c.bytes;
        TWaveData wave;
        std::string error;
        if (!LoadWaveFile(data, "data\\sound\\DAMAGED.wav", wave, error)) {
            ++failures;
            EXPECT_NE(error.find("DAMAGED.wav"), std::string::npos) << c.what << ": " << error;
        }
    }
    EXPECT_GT(failures, 0u);
    TWaveData wave;
    std::string error;
    EXPECT_FALSE(LoadWaveFile(data, "Data\\Sound\\absent.wav", wave, error));
    EXPECT_NE(error.find("absent.wav"), std::string::npos) << error;

    std::filesystem::remove_all(root);
}

}  // namespace
