// The sounds and the music as sox sees them: RIFF WAVE, 16-bit signed PCM, mono, 22050 or 44100 Hz
// (the ".ogg" names hold WAVE data too), short effects, peaks below full scale, no DC offset, and a
// music loop of at least 30 seconds whose end runs into its start without a jump.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>

#include "ContentSupport.h"

using namespace content_test;
namespace fs = std::filesystem;

namespace {

struct SoxFacts {
    std::string info, stats;
};

// sox picks the reader by the file's extension, so it is shown the file under a ".wav" name.
SoxFacts AskSox(const std::string& dataPath, const TempDir& temp) {
    std::string link = temp.Path() + "/" + fs::path(dataPath).stem().string() + ".wav";
    fs::remove(link);
    fs::create_symlink(DataDir() + "/" + dataPath, link);
    int status = 0;
    SoxFacts f;
    f.info = RunCommand("sox --i '" + link + "' 2>&1", status);
    EXPECT_EQ(status, 0) << dataPath << ": " << f.info;
    f.stats = RunCommand("sox '" + link + "' -n stats 2>&1", status);
    EXPECT_EQ(status, 0) << dataPath << ": " << f.stats;
    return f;
}

std::string Field(const std::string& text, const std::string& name) {
    size_t at = text.find(name);
    if (at == std::string::npos) {
        return "";
    }
    size_t start = text.find_first_not_of(" :", at + name.size());
    size_t end = text.find('\n', start);
    return text.substr(start, end - start);
}

double StatsValue(const std::string& stats, const std::string& name) {
    std::string v = Field(stats, name);
    return v.empty() ? NAN : std::stod(v);
}

double Seconds(const std::string& info) {
    std::string d = Field(info, "Duration");  // "00:00:01.20 = 26460 samples ..."
    int h = 0, m = 0;
    double s = 0;
    std::sscanf(d.c_str(), "%d:%d:%lf", &h, &m, &s);
    return h * 3600 + m * 60 + s;
}

void ExpectFormat(const std::string& path, const SoxFacts& f) {
    EXPECT_EQ(Field(f.info, "Channels"), "1") << path;
    std::string rate = Field(f.info, "Sample Rate");
    EXPECT_TRUE(rate == "22050" || rate == "44100") << path << " at " << rate;
    EXPECT_EQ(Field(f.info, "Sample Encoding"), "16-bit Signed Integer PCM") << path;
    EXPECT_LT(StatsValue(f.stats, "Pk lev dB"), -0.5) << path << " reaches full scale";
    EXPECT_GT(StatsValue(f.stats, "Pk lev dB"), -12.0) << path << " is too quiet";
    EXPECT_LT(std::fabs(StatsValue(f.stats, "DC offset")), 0.01) << path;
}

}  // namespace

TEST(Sounds, EffectsAreShortMonoSixteenBitWaves) {
    TempDir temp("sounds");
    for (const char* path : {"Sound/shoot.ogg", "Sound/bang.ogg", "Sound/metal_bang.ogg", "Sound/bonus.wav",
                             "Sound/laser.wav", "Sound/wall_dest.wav"}) {
        std::string bytes = ReadAll(DataDir() + "/" + path);
        ASSERT_GT(bytes.size(), 44u) << path;
        EXPECT_EQ(bytes.substr(0, 4), "RIFF") << path;
        EXPECT_EQ(bytes.substr(8, 4), "WAVE") << path;
        SoxFacts f = AskSox(path, temp);
        ExpectFormat(path, f);
        double seconds = Seconds(f.info);
        EXPECT_GT(seconds, 0.1) << path;
        EXPECT_LT(seconds, 2.0) << path;
    }
}

TEST(Sounds, EffectsSoundDifferent) {
    // Different lengths or different loudness profiles: no two effects are the same file.
    std::vector<std::string> all;
    for (const char* path : {"Sound/shoot.ogg", "Sound/bang.ogg", "Sound/metal_bang.ogg", "Sound/bonus.wav",
                             "Sound/laser.wav", "Sound/wall_dest.wav"}) {
        all.push_back(ReadAll(DataDir() + "/" + path));
    }
    for (size_t i = 0; i < all.size(); ++i) {
        for (size_t j = i + 1; j < all.size(); ++j) {
            EXPECT_NE(all[i], all[j]) << i << " and " << j;
        }
    }
}

TEST(Sounds, MusicIsALongSeamlessLoop) {
    TempDir temp("music");
    const std::string path = "Music/Exhilarate.wav";
    SoxFacts f = AskSox(path, temp);
    ExpectFormat(path, f);
    EXPECT_GE(Seconds(f.info), 30.0);
    // The last sample leads into the first no further than the music's ordinary steps between samples.
    std::string bytes = ReadAll(DataDir() + "/" + path);
    size_t data = bytes.find("data");
    ASSERT_NE(data, std::string::npos);
    std::vector<int> samples;
    for (size_t i = data + 8; i + 1 < bytes.size(); i += 2) {
        samples.push_back(
            static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8)));
    }
    ASSERT_GT(samples.size(), 1000u);
    std::vector<int> steps;
    for (size_t i = 1; i < samples.size(); ++i) {
        steps.push_back(std::abs(samples[i] - samples[i - 1]));
    }
    std::sort(steps.begin(), steps.end());
    int typical = steps[steps.size() * 99 / 100];
    EXPECT_LE(std::abs(samples.front() - samples.back()), typical) << "the loop jumps where it joins";
}
