// TAudio against a real OpenAL Soft: its wave-file back end mixes in real time into a file that the
// tests read back. The back end is chosen through OpenAL Soft's own configuration, set up before the
// first device of the process opens (OpenAL Soft reads its configuration once).
#include "audio/GE_AUDIO.h"

#include <AL/al.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/WaveFile.h"
#include "util/Files.h"
#include "util/Log.h"

namespace {

std::string Folder() {
    static const std::string folder = testing::TempDir() + "brelvox-audio-" + std::to_string(getpid()) + "/";
    return folder;
}

std::string OutputPath() {
    return Folder() + "mixed.wav";
}

// Points OpenAL Soft at its wave writer, 16-bit stereo, before any test opens a device.
class OpenAlWaveOutput : public testing::Environment {
public:
    void SetUp() override {
        std::system(("mkdir -p " + Folder()).c_str());
        const std::string conf = Folder() + "alsoft.conf";
        std::ofstream(conf)
            << "[general]\ndrivers = wave\nsample-type = int16\nchannels = stereo\ndither = false\n"
               "frequency = 22050\n[wave]\nfile = "
            << OutputPath() << "\n";
        setenv("ALSOFT_CONF", conf.c_str(), 1);
        setenv("ALSOFT_DRIVERS", "wave", 1);
    }
    void TearDown() override { std::system(("rm -rf " + Folder()).c_str()); }
};

const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new OpenAlWaveOutput);

std::string U32(uint32_t v) {
    return std::string{char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF), char(v >> 24 & 0xFF)};
}
std::string U16(uint16_t v) {
    return std::string{char(v & 0xFF), char(v >> 8 & 0xFF)};
}

// A 16-bit mono sine of the given length, as a WAVE file in the test folder; returns its name.
std::string WriteTone(const std::string& name, double seconds, double amplitude = 12000.0) {
    const int rate = 22050;
    std::string samples;
    const int count = static_cast<int>(seconds * rate);
    for (int i = 0; i < count; ++i) {
        samples +=
            U16(static_cast<uint16_t>(static_cast<int16_t>(amplitude * std::sin(i * 2 * M_PI * 440 / rate))));
    }
    const std::string fmt = U16(1) + U16(1) + U32(rate) + U32(rate * 2) + U16(2) + U16(16);
    const std::string body =
        "WAVEfmt " + U32(16) + fmt + "data" + U32(static_cast<uint32_t>(samples.size())) + samples;
    std::ofstream(Folder() + name, std::ios::binary)
        << "RIFF" << U32(static_cast<uint32_t>(body.size())) << body;
    return name;
}

// The loudest 16-bit sample the wave back end wrote (the device must be closed first).
int LoudestMixedSample() {
    std::ifstream in(OutputPath(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TWaveData wave;
    std::string error;
    EXPECT_TRUE(ParseWave(bytes, wave, error)) << error;
    EXPECT_EQ(wave.Format, WaveFormatStereo16);
    int loudest = 0;
    for (size_t i = 0; i + 1 < wave.Samples.size(); i += 2) {
        const auto sample =
            static_cast<int16_t>(uint8_t(wave.Samples[i]) | uint8_t(wave.Samples[i + 1]) << 8);
        loudest = std::max(loudest, std::abs(int(sample)));
    }
    return loudest;
}

ALint SourceInt(const TAudio& audio, const std::string& name, ALenum what) {
    ALint value = -1;
    alGetSourcei(audio.SourceOf(name), what, &value);
    return value;
}

// Quieter than this is silence (a stray least-significant bit of rounding is not a sound).
constexpr int kSilence = 16;

void Wait(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Waits (at most 10 s, so a busy machine cannot make the test flaky) until `done` holds.
template <class Condition>
bool WaitFor(Condition done) {
    for (int i = 0; i < 1000; ++i) {
        if (done()) {
            return true;
        }
        Wait(10);
    }
    return done();
}

class AudioTest : public testing::Test {
protected:
    void SetUp() override {
        previousSink = logging::SetSink([this](std::string_view subsystem, std::string_view text) {
            log.push_back(std::string(subsystem) + ": " + std::string(text));
        });
        audio = std::make_unique<TAudio>(files::TDataRoot(Folder()));
        ASSERT_TRUE(audio->HasDevice()) << "OpenAL Soft's wave back end did not open";
    }
    void TearDown() override {
        audio.reset();
        logging::SetSink(previousSink);
    }

    void AddSound(const std::string& name, const std::string& file) {
        std::string error;
        EXPECT_TRUE(audio->LoadSound(name, file, error)) << error;
        audio->CreateSource(name);
        audio->AttachBuffer(name, name);
    }

    std::unique_ptr<TAudio> audio;
    std::vector<std::string> log;
    logging::Sink previousSink;
};

}  // namespace

TEST_F(AudioTest, PlayedSoundReachesTheOutput) {
    AddSound("bang", WriteTone("bang.ogg", 0.3));
    audio->Play("bang", 0);
    // The source stops once the mixer has taken all of its samples.
    ASSERT_TRUE(WaitFor([&] { return SourceInt(*audio, "bang", AL_SOURCE_STATE) == AL_STOPPED; }));
    audio.reset();  // closing the device completes the file
    EXPECT_GT(LoudestMixedSample(), 2000);
    EXPECT_TRUE(log.empty());
}

TEST_F(AudioTest, SoundNeverPlayedLeavesTheOutputSilent) {
    AddSound("bang", WriteTone("bang.ogg", 0.3));
    Wait(300);
    audio.reset();
    EXPECT_LT(LoudestMixedSample(), kSilence);
}

TEST_F(AudioTest, VolumeScalesTheOutput) {
    AddSound("music", WriteTone("music.wav", 0.3));
    audio->SetVolume("music", 0.0f);
    audio->Play("music", 0);
    ASSERT_TRUE(WaitFor([&] { return SourceInt(*audio, "music", AL_SOURCE_STATE) == AL_STOPPED; }));
    audio.reset();
    EXPECT_LT(LoudestMixedSample(), kSilence);
}

TEST_F(AudioTest, ListenerSitsAtTheOriginLookingDownMinusZ) {
    ALfloat orientation[6] = {};
    alGetListenerfv(AL_ORIENTATION, orientation);
    const ALfloat expected[6] = {0, 0, -1, 0, 1, 0};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(orientation[i], expected[i]) << i;
    }
}

TEST_F(AudioTest, PlayWhilePlayingRestartsFromTheBeginning) {
    AddSound("music", WriteTone("music.wav", 3.0));
    audio->Play("music", 1);
    EXPECT_EQ(SourceInt(*audio, "music", AL_LOOPING), AL_TRUE);
    ASSERT_TRUE(WaitFor([&] { return SourceInt(*audio, "music", AL_SAMPLE_OFFSET) > 22050 / 2; }));
    const ALint before = SourceInt(*audio, "music", AL_SAMPLE_OFFSET);
    audio->Play("music", 0);
    const ALint after = SourceInt(*audio, "music", AL_SAMPLE_OFFSET);
    EXPECT_LT(after, before / 2);
    EXPECT_EQ(SourceInt(*audio, "music", AL_LOOPING), AL_FALSE);
    EXPECT_EQ(SourceInt(*audio, "music", AL_SOURCE_STATE), AL_PLAYING);
}

TEST_F(AudioTest, PauseAndStop) {
    AddSound("music", WriteTone("music.wav", 2.0));
    audio->Play("music", 1);
    audio->Pause("music");
    EXPECT_EQ(SourceInt(*audio, "music", AL_SOURCE_STATE), AL_PAUSED);
    audio->Play("music", 1);
    audio->Stop("music");
    EXPECT_EQ(SourceInt(*audio, "music", AL_SOURCE_STATE), AL_STOPPED);
}

TEST_F(AudioTest, SetVolumeSetsTheGain) {
    AddSound("music", WriteTone("music.wav", 0.1));
    audio->SetVolume("music", 0.8f);
    ALfloat gain = 0;
    alGetSourcef(audio->SourceOf("music"), AL_GAIN, &gain);
    EXPECT_FLOAT_EQ(gain, 0.8f);
}

TEST_F(AudioTest, SameFileUnderTwoNamesKeepsTheFirstName) {
    const std::string file = WriteTone("laser.wav", 0.1);
    std::string error;
    EXPECT_TRUE(audio->LoadSound("laser", file, error));
    EXPECT_TRUE(audio->LoadSound("shoot", file, error));
    EXPECT_EQ(audio->Buffers.size(), 1u);
    EXPECT_NE(audio->BufferOf("laser"), 0u);
    EXPECT_EQ(audio->BufferOf("shoot"), 0u);
    audio->CreateSource("shoot");
    audio->AttachBuffer("shoot", "shoot");
    EXPECT_EQ(SourceInt(*audio, "shoot", AL_BUFFER), 0);
    audio->AttachBuffer("laser", "shoot");
    EXPECT_EQ(SourceInt(*audio, "shoot", AL_BUFFER), static_cast<ALint>(audio->BufferOf("laser")));
}

TEST_F(AudioTest, CreateSourceTwiceMakesOne) {
    audio->CreateSource("bonus");
    const uint32_t first = audio->SourceOf("bonus");
    audio->CreateSource("bonus");
    EXPECT_EQ(audio->Sources.size(), 1u);
    EXPECT_EQ(audio->SourceOf("bonus"), first);
    EXPECT_NE(first, 0u);
}

TEST_F(AudioTest, NamesAreCaseSensitive) {
    AddSound("bang", WriteTone("bang.wav", 0.1));
    EXPECT_EQ(audio->SourceOf("Bang"), 0u);
    EXPECT_EQ(audio->BufferOf("BANG"), 0u);
}

TEST_F(AudioTest, NamesNeverCreatedDoNothing) {
    AddSound("bang", WriteTone("bang.wav", 1.0));
    alGetError();
    audio->Play("nothing", 1);
    audio->Pause("nothing");
    audio->Stop("nothing");
    audio->SetVolume("nothing", 0.1f);
    audio->AttachBuffer("nothing", "bang");
    audio->AttachBuffer("bang", "nothing");
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
    EXPECT_EQ(SourceInt(*audio, "bang", AL_SOURCE_STATE), AL_INITIAL);
    EXPECT_EQ(SourceInt(*audio, "bang", AL_BUFFER), static_cast<ALint>(audio->BufferOf("bang")));
    EXPECT_EQ(audio->Sources.size(), 1u);
    EXPECT_EQ(audio->Buffers.size(), 1u);
}

TEST_F(AudioTest, BrokenFileStaysSilentWithAMessage) {
    std::ofstream(Folder() + "wall_dest.wav", std::ios::binary) << "RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0";
    std::string error;
    EXPECT_FALSE(audio->LoadSound("wall_dest", "wall_dest.wav", error));
    EXPECT_NE(error.find("sound \"wall_dest\" stays silent: "), std::string::npos) << error;
    EXPECT_NE(error.find("wall_dest.wav"), std::string::npos) << error;
    audio->CreateSource("wall_dest");
    audio->AttachBuffer("wall_dest", "wall_dest");
    audio->Play("wall_dest", 0);
    Wait(100);
    audio.reset();
    EXPECT_LT(LoudestMixedSample(), kSilence);
}

TEST_F(AudioTest, MissingFileStaysSilentWithAMessage) {
    std::string error;
    EXPECT_FALSE(audio->LoadSound("bonus", "Sound\\bonus.wav", error));
    EXPECT_NE(error.find("bonus.wav"), std::string::npos) << error;
}

TEST_F(AudioTest, FilesAreFoundInAnyCaseAndWithBackslashes) {
    std::system(("mkdir -p " + Folder() + "Data/Sound").c_str());
    std::rename((Folder() + WriteTone("Shoot.ogg", 0.1)).c_str(),
                (Folder() + "Data/Sound/Shoot.ogg").c_str());
    std::string error;
    EXPECT_TRUE(audio->LoadSound("shoot", "data\\SOUND\\shoot.ogg", error)) << error;
}

TEST(AudioWithoutDevice, GoesOnSilentlyAndSaysSoOnce) {
    std::vector<std::string> log;
    const auto previous = logging::SetSink([&log](std::string_view subsystem, std::string_view text) {
        log.push_back(std::string(subsystem) + ": " + std::string(text));
    });
    {
        TAudio audio(files::TDataRoot(Folder()), "no such sound device");
        EXPECT_FALSE(audio.HasDevice());
        audio.CreateSource("music");
        audio.AttachBuffer("music", "music");
        audio.Play("music", 1);
        audio.Pause("music");
        audio.Stop("music");
        audio.SetVolume("music", 0.8f);
        EXPECT_EQ(audio.Sources.size(), 1u);
        EXPECT_EQ(audio.SourceOf("music"), 0u);
    }
    logging::SetSink(previous);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "audio: no OpenAL device, sound is off");
}
