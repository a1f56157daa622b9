#include "audio/GE_AUDIO.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <climits>
#include <utility>

#include "audio/WaveFile.h"
#include "util/GE_UTILS.h"
#include "util/Log.h"

static_assert(WaveFormatMono8 == AL_FORMAT_MONO8 && WaveFormatMono16 == AL_FORMAT_MONO16 &&
                  WaveFormatStereo8 == AL_FORMAT_STEREO8 && WaveFormatStereo16 == AL_FORMAT_STEREO16,
              "wave formats are OpenAL buffer formats");

namespace {

ALCdevice* AsDevice(void* device) {
    return static_cast<ALCdevice*>(device);
}
ALCcontext* AsContext(void* context) {
    return static_cast<ALCcontext*>(context);
}

// Reads a sound's file; false with an `error` when it cannot be used (the sound stays silent).
bool ReadSound(const files::TDataRoot& root, const TALBuffer& buffer, TWaveData& wave, std::string& error) {
    std::string why;
    if (!LoadWaveFile(root, buffer.FileName, wave, why)) {
        error = "sound \"" + buffer.Name + "\" stays silent: " + why;
        return false;
    }
    if (wave.Samples.size() > size_t(INT_MAX)) {
        error = "sound \"" + buffer.Name + "\" stays silent: " + QuotePathForMessage(buffer.FileName) +
                " is too large";
        return false;
    }
    return true;
}

}  // namespace

TAudio::TAudio(files::TDataRoot root, const char* deviceName)
    : Root_(std::move(root)), DeviceName_(deviceName != nullptr ? deviceName : "") {
    std::string why;
    if (!OpenDevice(why)) {
        logging::Write("audio", why + ", sound is off");
    }
}

TAudio::~TAudio() {
    CloseDevice();
}

bool TAudio::OpenDevice(std::string& why) {
    ALCdevice* device = alcOpenDevice(DeviceName_.empty() ? nullptr : DeviceName_.c_str());
    if (device == nullptr) {
        why = "no OpenAL device";
        return false;
    }
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (context == nullptr || alcMakeContextCurrent(context) != ALC_TRUE) {
        if (context != nullptr) {
            alcDestroyContext(context);
        }
        alcCloseDevice(device);
        why = "no OpenAL context on the sound device";
        return false;
    }
    Device = device;
    Context = context;
    TellsDisconnect_ = alcIsExtensionPresent(device, "ALC_EXT_disconnect") == ALC_TRUE;

    const ALfloat origin[3] = {0.0f, 0.0f, 0.0f};
    const ALfloat orientation[6] = {0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f};  // at, then up
    alListenerfv(AL_POSITION, origin);
    alListenerfv(AL_VELOCITY, origin);
    alListenerfv(AL_ORIENTATION, orientation);
    ApplyListenerGain();
    return true;
}

void TAudio::CloseDevice() {
    if (Context == nullptr) {
        return;
    }
    alcMakeContextCurrent(AsContext(Context));
    // Sources first: OpenAL refuses to delete a buffer that a source still holds.
    for (TALSource& source : Sources) {
        alSourceStop(source.Source);
        alDeleteSources(1, &source.Source);
        source.Source = 0;
    }
    for (TALBuffer& buffer : Buffers) {
        alDeleteBuffers(1, &buffer.Buffer);
        buffer.Buffer = 0;
    }
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(AsContext(Context));
    alcCloseDevice(AsDevice(Device));
    Context = nullptr;
    Device = nullptr;
}

bool TAudio::Connected() const {
    ALCdevice* device = AsDevice(Device);
    if (!TellsDisconnect_) {
        return true;  // nothing tells, so it is taken to be there
    }
    ALCint connected = ALC_TRUE;
    alcGetIntegerv(device, ALC_CONNECTED, 1, &connected);
    return connected != ALC_FALSE;
}

void TAudio::Update(uint32_t elapsedMs) {
    if (HasDevice()) {
        if (Connected()) {
            return;
        }
        CloseDevice();
        Lost_ = true;
        SinceReopen_ = 0;
        logging::Write("audio", "the sound device went away, sound is off until one is there again");
        return;
    }
    SinceReopen_ += elapsedMs;
    if (SinceReopen_ < kReopenMs) {
        return;
    }
    SinceReopen_ = 0;
    std::string why;
    if (!OpenDevice(why)) {
        return;  // said once already
    }
    Restore();
    logging::Write("audio", Lost_ ? "a sound device is there again, sound is on"
                                  : "a sound device is there, sound is on");
    Lost_ = false;
}

void TAudio::Restore() {
    for (TALBuffer& buffer : Buffers) {
        std::string error;
        if (!FillBuffer(buffer, error)) {
            logging::Write("audio", error);
        }
    }
    for (TALSource& source : Sources) {
        MakeSource(source);
        if (const TALBuffer* buffer = FindBuffer(source.BufferName)) {
            alSourcei(source.Source, AL_BUFFER, static_cast<ALint>(buffer->Buffer));
        }
        ApplyGain(source);
        alSourcei(source.Source, AL_LOOPING, source.Looping ? AL_TRUE : AL_FALSE);
        // A sound played once is over by now; a looping one goes on from its start.
        if (source.Looping && source.Playing) {
            alSourcePlay(source.Source);
        }
    }
}

bool TAudio::LoadSound(const std::string& name, const std::string& fileName, std::string& error) {
    for (const TALBuffer& buffer : Buffers) {
        if (buffer.FileName == fileName) {
            return true;
        }
    }
    Buffers.push_back(TALBuffer{name, fileName, 0});
    TALBuffer& buffer = Buffers.back();
    if (!HasDevice()) {
        TWaveData wave;
        return ReadSound(Root_, buffer, wave, error);
    }
    return FillBuffer(buffer, error);
}

bool TAudio::FillBuffer(TALBuffer& buffer, std::string& error) {
    alGenBuffers(1, &buffer.Buffer);
    TWaveData wave;
    if (!ReadSound(Root_, buffer, wave, error)) {
        return false;  // the buffer stays, empty
    }
    alBufferData(buffer.Buffer, wave.Format, wave.Samples.data(), static_cast<ALsizei>(wave.Samples.size()),
                 wave.Frequency);
    return true;
}

void TAudio::CreateSource(const std::string& name) {
    if (FindSource(name) != nullptr) {
        return;
    }
    Sources.emplace_back();
    Sources.back().Name = name;
    if (HasDevice()) {
        MakeSource(Sources.back());
    }
}

void TAudio::MakeSource(TALSource& source) {
    alGenSources(1, &source.Source);
    const ALfloat origin[3] = {0.0f, 0.0f, 0.0f};
    alSourcefv(source.Source, AL_POSITION, origin);
    alSourcefv(source.Source, AL_VELOCITY, origin);
    ApplyGain(source);
}

void TAudio::ApplyGain(const TALSource& source) const {
    if (HasDevice() && source.Source != 0) {
        const float mix = source.Name == kMusicSource ? MusicMix_ : EffectsMix_;
        alSourcef(source.Source, AL_GAIN, source.Gain * mix);
    }
}

void TAudio::ApplyListenerGain() const {
    if (HasDevice()) {
        alListenerf(AL_GAIN, Muted_ ? 0.0f : 1.0f);
    }
}

void TAudio::SetMix(float music, float effects, bool muted) {
    auto share = [](float value) { return !(value > 0.0f) ? 0.0f : value > 1.0f ? 1.0f : value; };
    MusicMix_ = share(music);
    EffectsMix_ = share(effects);
    Muted_ = muted;
    for (const TALSource& source : Sources) {
        ApplyGain(source);
    }
    ApplyListenerGain();
}

void TAudio::AttachBuffer(const std::string& bufferName, const std::string& sourceName) {
    TALSource* source = FindSource(sourceName);
    if (source == nullptr) {
        return;
    }
    const TALBuffer* buffer = FindBuffer(bufferName);
    if (buffer == nullptr) {
        return;
    }
    source->BufferName = bufferName;
    if (!HasDevice()) {
        return;
    }
    alSourcei(source->Source, AL_BUFFER, static_cast<ALint>(buffer->Buffer));
}

void TAudio::Play(const std::string& name, uint8_t loop) {
    TALSource* source = FindSource(name);
    if (source == nullptr) {
        return;
    }
    source->Looping = loop == 1;
    source->Playing = true;
    if (!HasDevice()) {
        return;
    }
    alSourcei(source->Source, AL_LOOPING, loop == 1 ? AL_TRUE : AL_FALSE);
    alSourcePlay(source->Source);
}

void TAudio::Pause(const std::string& name) {
    TALSource* source = FindSource(name);
    if (source == nullptr) {
        return;
    }
    source->Playing = false;
    if (HasDevice()) {
        alSourcePause(source->Source);
    }
}

void TAudio::Stop(const std::string& name) {
    TALSource* source = FindSource(name);
    if (source == nullptr) {
        return;
    }
    source->Playing = false;
    if (HasDevice()) {
        alSourceStop(source->Source);
    }
}

void TAudio::SetVolume(const std::string& name, float gain) {
    TALSource* source = FindSource(name);
    if (source == nullptr) {
        return;
    }
    source->Gain = gain;
    ApplyGain(*source);
}

uint32_t TAudio::BufferOf(const std::string& name) const {
    const TALBuffer* buffer = FindBuffer(name);
    return buffer != nullptr ? buffer->Buffer : 0;
}

uint32_t TAudio::SourceOf(const std::string& name) const {
    const TALSource* source = FindSource(name);
    return source != nullptr ? source->Source : 0;
}

const TALBuffer* TAudio::FindBuffer(const std::string& name) const {
    for (const TALBuffer& buffer : Buffers) {
        if (buffer.Name == name) {
            return &buffer;
        }
    }
    return nullptr;
}

TALSource* TAudio::FindSource(const std::string& name) {
    return const_cast<TALSource*>(static_cast<const TAudio*>(this)->FindSource(name));
}

const TALSource* TAudio::FindSource(const std::string& name) const {
    for (const TALSource& source : Sources) {
        if (source.Name == name) {
            return &source;
        }
    }
    return nullptr;
}
