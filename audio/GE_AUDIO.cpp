#include "audio/GE_AUDIO.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <climits>

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

}  // namespace

TAudio::TAudio(const char* deviceName) {
    ALCdevice* device = alcOpenDevice(deviceName);
    if (device == nullptr) {
        logging::Write("audio", "no OpenAL device, sound is off");
        return;
    }
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (context == nullptr || alcMakeContextCurrent(context) != ALC_TRUE) {
        if (context != nullptr) {
            alcDestroyContext(context);
        }
        alcCloseDevice(device);
        logging::Write("audio", "no OpenAL context on the sound device, sound is off");
        return;
    }
    Device = device;
    Context = context;

    const ALfloat origin[3] = {0.0f, 0.0f, 0.0f};
    const ALfloat orientation[6] = {0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f};  // at, then up
    alListenerfv(AL_POSITION, origin);
    alListenerfv(AL_VELOCITY, origin);
    alListenerfv(AL_ORIENTATION, orientation);
}

TAudio::~TAudio() {
    if (Context == nullptr) {
        return;
    }
    alcMakeContextCurrent(AsContext(Context));
    // Sources first: OpenAL refuses to delete a buffer that a source still holds.
    for (const TALSource& source : Sources) {
        alSourceStop(source.Source);
        alDeleteSources(1, &source.Source);
    }
    for (const TALBuffer& buffer : Buffers) {
        alDeleteBuffers(1, &buffer.Buffer);
    }
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(AsContext(Context));
    alcCloseDevice(AsDevice(Device));
}

bool TAudio::LoadSound(const std::string& name, const std::string& fileName) {
    for (const TALBuffer& buffer : Buffers) {
        if (buffer.FileName == fileName) {
            return true;
        }
    }
    Buffers.push_back(TALBuffer{name, fileName, 0});
    TALBuffer& buffer = Buffers.back();
    if (HasDevice()) {
        alGenBuffers(1, &buffer.Buffer);
    }

    TWaveData wave;
    std::string error;
    if (!LoadWaveFile(fileName, wave, error)) {
        logging::Write("audio", "sound \"" + name + "\" stays silent: " + error);
        return false;
    }
    if (wave.Samples.size() > size_t(INT_MAX)) {
        logging::Write("audio", "sound \"" + name + "\" stays silent: " + QuotePathForMessage(fileName) +
                                    " is too large");
        return false;
    }
    if (HasDevice()) {
        alBufferData(buffer.Buffer, wave.Format, wave.Samples.data(),
                     static_cast<ALsizei>(wave.Samples.size()), wave.Frequency);
    }
    return true;
}

void TAudio::CreateSource(const std::string& name) {
    if (FindSource(name) != nullptr) {
        return;
    }
    Sources.push_back(TALSource{name, 0});
    TALSource& source = Sources.back();
    if (!HasDevice()) {
        return;
    }
    alGenSources(1, &source.Source);
    const ALfloat origin[3] = {0.0f, 0.0f, 0.0f};
    alSourcefv(source.Source, AL_POSITION, origin);
    alSourcefv(source.Source, AL_VELOCITY, origin);
}

void TAudio::AttachBuffer(const std::string& bufferName, const std::string& sourceName) {
    const TALSource* source = FindSource(sourceName);
    if (source == nullptr) {
        return;
    }
    const TALBuffer* buffer = FindBuffer(bufferName);
    if (buffer == nullptr || !HasDevice()) {
        return;
    }
    alSourcei(source->Source, AL_BUFFER, static_cast<ALint>(buffer->Buffer));
}

void TAudio::Play(const std::string& name, uint8_t loop) {
    const TALSource* source = FindSource(name);
    if (source == nullptr || !HasDevice()) {
        return;
    }
    alSourcei(source->Source, AL_LOOPING, loop == 1 ? AL_TRUE : AL_FALSE);
    alSourcePlay(source->Source);
}

void TAudio::Pause(const std::string& name) {
    const TALSource* source = FindSource(name);
    if (source != nullptr && HasDevice()) {
        alSourcePause(source->Source);
    }
}

void TAudio::Stop(const std::string& name) {
    const TALSource* source = FindSource(name);
    if (source != nullptr && HasDevice()) {
        alSourceStop(source->Source);
    }
}

void TAudio::SetVolume(const std::string& name, float gain) {
    const TALSource* source = FindSource(name);
    if (source != nullptr && HasDevice()) {
        alSourcef(source->Source, AL_GAIN, gain);
    }
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

const TALSource* TAudio::FindSource(const std::string& name) const {
    for (const TALSource& source : Sources) {
        if (source.Name == name) {
            return &source;
        }
    }
    return nullptr;
}
