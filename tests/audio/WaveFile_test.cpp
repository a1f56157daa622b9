#include "audio/WaveFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "util/Files.h"

namespace {

std::string U32(uint32_t v) {
    return std::string{char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF), char(v >> 24 & 0xFF)};
}

std::string U16(uint16_t v) {
    return std::string{char(v & 0xFF), char(v >> 8 & 0xFF)};
}

std::string Chunk(const std::string& id, const std::string& body, bool pad = true) {
    std::string chunk = id + U32(static_cast<uint32_t>(body.size())) + body;
    if (pad && body.size() % 2 == 1) {
        chunk.push_back('\0');
    }
    return chunk;
}

std::string Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    return U16(tag) + U16(channels) + U32(rate) + U32(rate * align) + U16(align) + U16(bits);
}

std::string Riff(const std::string& chunks) {
    return "RIFF" + U32(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

// 16-bit mono samples 1, -2, 3, -4.
const std::string kSamples16 = U16(1) + U16(0xFFFE) + U16(3) + U16(0xFFFC);

std::string PlainWave() {
    return Riff(Chunk("fmt ", Fmt(1, 1, 22050, 16)) + Chunk("data", kSamples16));
}

// Runs a shell command and returns its standard output; false when it fails.
bool RunCommand(const std::string& command, std::string& output) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return false;
    }
    char block[4096];
    size_t got;
    output.clear();
    while ((got = fread(block, 1, sizeof block, pipe)) > 0) {
        output.append(block, got);
    }
    return pclose(pipe) == 0;
}

bool HaveSox() {
    std::string ignored;
    return RunCommand("sox --version >/dev/null 2>&1", ignored);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string TempPath(const std::string& name) {
    return testing::TempDir() + "brelvox-wave-" + std::to_string(getpid()) + "-" + name;
}

}  // namespace

TEST(WaveParse, PlainPcmGivesFormatRateAndSamples) {
    TWaveData wave;
    std::string error;
    ASSERT_TRUE(ParseWave(PlainWave(), wave, error)) << error;
    EXPECT_EQ(wave.Format, WaveFormatMono16);
    EXPECT_EQ(wave.Frequency, 22050);
    EXPECT_EQ(wave.Samples, kSamples16);
}

TEST(WaveParse, ChannelsAndBitsChooseTheFormat) {
    struct Case {
        uint16_t channels, bits;
        int format;
    } cases[] = {{1, 8, WaveFormatMono8},
                 {1, 16, WaveFormatMono16},
                 {2, 8, WaveFormatStereo8},
                 {2, 16, WaveFormatStereo16}};
    for (const Case& c : cases) {
        TWaveData wave;
        std::string error;
        ASSERT_TRUE(ParseWave(Riff(Chunk("fmt ", Fmt(1, c.channels, 8000, c.bits)) + Chunk("data", "abcd")),
                              wave, error))
            << error;
        EXPECT_EQ(wave.Format, c.format) << c.channels << " channels, " << c.bits << " bits";
    }
}

TEST(WaveParse, LongerFmtChunkIsSkipped) {
    // WAVEFORMATEX with its extension size field (18 bytes), and a longer one with odd size.
    for (const std::string& extra : {U16(0), U16(3) + std::string("xyz")}) {
        TWaveData wave;
        std::string error;
        ASSERT_TRUE(ParseWave(Riff(Chunk("fmt ", Fmt(1, 1, 22050, 16) + extra) + Chunk("data", kSamples16)),
                              wave, error))
            << error;
        EXPECT_EQ(wave.Samples, kSamples16);
        EXPECT_EQ(wave.Format, WaveFormatMono16);
    }
}

TEST(WaveParse, OtherChunksBeforeBetweenAndAfterAreSkipped) {
    const std::string list = Chunk("LIST", "INFOISFT\x05\0\0\0Test\0", true);
    const std::string wave1 = Riff(Chunk("JUNK", std::string(7, 'j')) + Chunk("fmt ", Fmt(1, 1, 8000, 16)) +
                                   list + Chunk("data", kSamples16) + list + Chunk("fact", U32(4)));
    TWaveData wave;
    std::string error;
    ASSERT_TRUE(ParseWave(wave1, wave, error)) << error;
    EXPECT_EQ(wave.Samples, kSamples16);
    EXPECT_EQ(wave.Frequency, 8000);
}

TEST(WaveParse, DataBeforeFmtIsRead) {
    TWaveData wave;
    std::string error;
    ASSERT_TRUE(ParseWave(Riff(Chunk("data", kSamples16) + Chunk("fmt ", Fmt(1, 1, 11025, 16))), wave, error))
        << error;
    EXPECT_EQ(wave.Samples, kSamples16);
    EXPECT_EQ(wave.Frequency, 11025);
}

TEST(WaveParse, OddSizedChunksArePaddedToWords) {
    // An odd chunk before the data: without skipping its pad byte the data chunk would be missed.
    TWaveData wave;
    std::string error;
    ASSERT_TRUE(ParseWave(Riff(Chunk("fmt ", Fmt(1, 1, 8000, 8)) + Chunk("note", "abc") +
                               Chunk("data", "12345") + Chunk("LIST", "x")),
                          wave, error))
        << error;
    EXPECT_EQ(wave.Samples, "12345");
}

TEST(WaveParse, OddDataChunkAtTheEndMayLackItsPad) {
    TWaveData wave;
    std::string error;
    ASSERT_TRUE(ParseWave(Riff(Chunk("fmt ", Fmt(1, 1, 8000, 8)) + Chunk("data", "123", false)), wave, error))
        << error;
    EXPECT_EQ(wave.Samples, "123");
}

TEST(WaveParse, PartialSampleFrameIsCut) {
    TWaveData wave;
    std::string error;
    ASSERT_TRUE(ParseWave(Riff(Chunk("fmt ", Fmt(1, 2, 8000, 16)) + Chunk("data", "0123456")), wave, error))
        << error;
    EXPECT_EQ(wave.Samples, "0123");
}

TEST(WaveParse, ExtensiblePcmIsRead) {
    // cbSize 22, valid bits, channel mask, then the PCM sub-format GUID.
    const std::string guidTail("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    const std::string fmt = Fmt(0xFFFE, 2, 44100, 16) + U16(22) + U16(16) + U32(3) + U16(1) + guidTail;
    TWaveData wave;
    std::string error;
    ASSERT_TRUE(ParseWave(Riff(Chunk("fmt ", fmt) + Chunk("data", kSamples16)), wave, error)) << error;
    EXPECT_EQ(wave.Format, WaveFormatStereo16);

    const std::string floatFmt = Fmt(0xFFFE, 2, 44100, 16) + U16(22) + U16(16) + U32(3) + U16(3) + guidTail;
    EXPECT_FALSE(ParseWave(Riff(Chunk("fmt ", floatFmt) + Chunk("data", kSamples16)), wave, error));
    EXPECT_NE(error.find("not PCM"), std::string::npos) << error;
}

TEST(WaveReject, UnplayableFormatsAreRefused) {
    struct Case {
        uint16_t tag, channels, bits;
        const char* says;
    } cases[] = {{3, 1, 32, "not PCM"},    {2, 1, 16, "not PCM"}, {0x11, 2, 4, "not PCM"},
                 {1, 3, 16, "3 channels"}, {1, 1, 24, "24 bits"}, {1, 0, 16, "0 channels"},
                 {1, 2, 12, "12 bits"}};
    for (const Case& c : cases) {
        TWaveData wave;
        std::string error;
        EXPECT_FALSE(
            ParseWave(Riff(Chunk("fmt ", Fmt(c.tag, c.channels, 8000, c.bits)) + Chunk("data", kSamples16)),
                      wave, error));
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_TRUE(wave.Samples.empty());
    }
}

TEST(WaveReject, ZeroSampleRateIsRefused) {
    TWaveData wave;
    std::string error;
    EXPECT_FALSE(ParseWave(Riff(Chunk("fmt ", Fmt(1, 1, 0, 16)) + Chunk("data", kSamples16)), wave, error));
    EXPECT_NE(error.find("sample rate"), std::string::npos) << error;
}

TEST(WaveReject, MissingChunksAreNamed) {
    TWaveData wave;
    std::string error;
    EXPECT_FALSE(ParseWave(Riff(Chunk("fmt ", Fmt(1, 1, 8000, 16))), wave, error));
    EXPECT_EQ(error, "no data chunk");
    EXPECT_FALSE(ParseWave(Riff(Chunk("data", kSamples16)), wave, error));
    EXPECT_EQ(error, "no fmt chunk");
    EXPECT_FALSE(ParseWave(Riff(Chunk("fmt ", "short") + Chunk("data", kSamples16)), wave, error));
    EXPECT_NE(error.find("16 needed"), std::string::npos) << error;
}

TEST(WaveReject, NotRiffWave) {
    TWaveData wave;
    std::string error;
    EXPECT_FALSE(ParseWave("", wave, error));
    EXPECT_EQ(error, "not a RIFF WAVE file");
    std::string avi = PlainWave();
    avi.replace(8, 4, "AVI ");
    EXPECT_FALSE(ParseWave(avi, wave, error));
    EXPECT_FALSE(ParseWave("OggS\0\0\0\0\0\0\0\0\0\0", wave, error));
}

TEST(WaveReject, AbsurdChunkSizeIsRefusedWithoutAllocating) {
    TWaveData wave;
    std::string error;
    const std::string bytes =
        Riff(Chunk("fmt ", Fmt(1, 1, 8000, 16))) + "data" + U32(0xFFFFFFF0u) + kSamples16;
    EXPECT_FALSE(ParseWave(bytes, wave, error));
    EXPECT_NE(error.find("4294967280"), std::string::npos) << error;
    EXPECT_TRUE(wave.Samples.empty());

    const std::string hugeFmt = "RIFF" + U32(100) + "WAVE" + "fmt " + U32(0x7FFFFFFF) + Fmt(1, 1, 8000, 16);
    EXPECT_FALSE(ParseWave(hugeFmt, wave, error));
}

TEST(WaveReject, EveryTruncationIsRefusedOrReadsOnlyWhatIsThere) {
    const std::string full = Riff(Chunk("fmt ", Fmt(1, 1, 8000, 16) + U16(0)) + Chunk("LIST", "abc") +
                                  Chunk("data", kSamples16) + Chunk("LIST", "xyz1"));
    for (size_t length = 0; length < full.size(); ++length) {
        // A copy of exactly `length` bytes, so a read past the end is caught by the sanitizers.
        const std::string cut = full.substr(0, length);
        TWaveData wave;
        std::string error;
        const bool ok = ParseWave(cut, wave, error);
        // Only a cut inside the trailing chunk's header leaves the file whole up to its data.
        const size_t endOfData = full.size() - 12;
        EXPECT_EQ(ok, length >= endOfData && length < endOfData + 8) << "length " << length << ": " << error;
        if (ok) {
            EXPECT_EQ(wave.Samples, kSamples16);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

TEST(WaveFile, LoadNamesTheFileInItsErrors) {
    const files::TDataRoot root(testing::TempDir());
    const std::string name = "brelvox-wave-" + std::to_string(getpid()) + "-broken.ogg";
    std::ofstream(testing::TempDir() + name, std::ios::binary) << "RIFF\x10\0\0\0WAVEdata";
    TWaveData wave;
    std::string error;
    EXPECT_FALSE(LoadWaveFile(root, name, wave, error));
    EXPECT_NE(error.find(name), std::string::npos) << error;
    EXPECT_FALSE(LoadWaveFile(root, "no-such-sound.wav", wave, error));
    EXPECT_NE(error.find("no-such-sound.wav"), std::string::npos) << error;
    std::remove((testing::TempDir() + name).c_str());
}

// sox writes the files and gives the raw samples they hold.
TEST(WaveOracle, SamplesMatchWhatSoxReads) {
    if (!HaveSox()) {
        GTEST_SKIP() << "sox is not installed";
    }
    struct Case {
        int channels, bits;
        int format;
    } cases[] = {{1, 8, WaveFormatMono8},
                 {1, 16, WaveFormatMono16},
                 {2, 8, WaveFormatStereo8},
                 {2, 16, WaveFormatStereo16}};
    for (const Case& c : cases) {
        const std::string path = TempPath("sox.wav");
        std::string raw;
        const std::string make = "sox -n -r 11025 -b " + std::to_string(c.bits) + " -c " +
                                 std::to_string(c.channels) + " " + path + " synth 0.0503 sine 300 2>&1";
        ASSERT_TRUE(RunCommand(make, raw)) << raw;
        ASSERT_TRUE(RunCommand("sox " + path + " -t raw - 2>/dev/null", raw));
        TWaveData wave;
        std::string error;
        ASSERT_TRUE(ParseWave(ReadAll(path), wave, error)) << error;
        EXPECT_EQ(wave.Format, c.format);
        EXPECT_EQ(wave.Frequency, 11025);
        EXPECT_EQ(wave.Samples.size(), raw.size());
        EXPECT_TRUE(wave.Samples == raw) << c.channels << " channels, " << c.bits << " bits";
        std::remove(path.c_str());
    }
}

TEST(WaveOracle, SoxFloatAnd24BitFilesAreRefused) {
    if (!HaveSox()) {
        GTEST_SKIP() << "sox is not installed";
    }
    for (const char* options : {"-e floating-point -b 32", "-b 24"}) {
        const std::string path = TempPath("sox-odd.wav");
        std::string out;
        ASSERT_TRUE(RunCommand(
            std::string("sox -n -r 8000 ") + options + " -c 1 " + path + " synth 0.01 sine 300 2>&1", out))
            << out;
        TWaveData wave;
        std::string error;
        EXPECT_FALSE(ParseWave(ReadAll(path), wave, error)) << options;
        std::remove(path.c_str());
    }
}
