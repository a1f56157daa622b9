// The game's sound effects and music over OpenAL. Sounds are loaded whole into buffers at start-up and
// each plays through a source of its own; both are found by short names ("shoot", "bang", "music"),
// compared exactly, first match wins. A name that matches nothing makes every call a no-op. Listener
// and sources all sit at the origin: there is no positional sound.
//
// With no OpenAL device the game goes on silently: the player says so once in the log and every call
// then only keeps its names (and Update looks for a device, as below). A sound file that cannot be
// read is left silent.
//
// A device can go away while the game runs (the sound server stopped, a headset unplugged): Update,
// called every frame, notices it through OpenAL Soft's disconnect extension, lets go of the device
// and keeps every sound by name, file, volume and state. It then tries the device again every
// kReopenMs; once one opens, the sounds are read again and a looping sound that was playing (the
// music) plays on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "util/Files.h"

struct TALBuffer {
    std::string Name;
    std::string FileName;
    uint32_t Buffer = 0;  // OpenAL buffer name, 0 without a device
};

struct TALSource {
    std::string Name;
    uint32_t Source = 0;  // OpenAL source name, 0 without a device
    // What the game asked of it, to set it up again on a new device.
    std::string BufferName;
    float Gain = 1.0f;
    bool Looping = false;
    bool Playing = false;  // played and not paused or stopped since
};

class TAudio {
public:
    // Opens the default OpenAL device (or the named one) and makes one context current. The listener
    // sits at the origin looking down -z with +y up. Sounds are read from `root`.
    explicit TAudio(files::TDataRoot root, const char* deviceName = nullptr);
    ~TAudio();
    TAudio(const TAudio&) = delete;
    TAudio& operator=(const TAudio&) = delete;

    static constexpr uint32_t kReopenMs = 2000;

    bool HasDevice() const { return Context != nullptr; }

    // Watches the device, given the milliseconds since the last call: lets go of a device that was
    // lost and, every kReopenMs without one, tries to open one again (see above).
    void Update(uint32_t elapsedMs);

    // Loads a WAVE file (whatever its extension) under a name. A file already loaded under any name
    // is not loaded again and the new name is not added. When the file cannot be read the name is
    // still added with an empty (silent) buffer and the result is false with an `error` naming the
    // sound and the file.
    bool LoadSound(const std::string& name, const std::string& fileName, std::string& error);
    // Adds a source at the origin; a name that already has one is left alone.
    void CreateSource(const std::string& name);
    // Sets the named buffer on the named source; nothing when either is missing.
    void AttachBuffer(const std::string& bufferName, const std::string& sourceName);
    // Plays from the start, looping when loop is 1. Playing a source that plays restarts it, so one
    // sound never overlaps itself.
    void Play(const std::string& name, uint8_t loop);
    void Pause(const std::string& name);
    void Stop(const std::string& name);
    void SetVolume(const std::string& name, float gain);

    // The player's mix, each 0..1: the source named kMusicSource plays at `music` times its own gain
    // (SetVolume), every other source at `effects` times its own; `muted` silences everything through
    // the listener's gain. Samples are never rescaled: OpenAL applies the gains. Kept across devices.
    static constexpr const char* kMusicSource = "music";
    void SetMix(float music, float effects, bool muted);

    // The OpenAL names behind a sound name (0 when there is none), for diagnostics and tests.
    uint32_t BufferOf(const std::string& name) const;
    uint32_t SourceOf(const std::string& name) const;

    // The OpenAL device and context (ALCdevice*, ALCcontext*), opaque so that only the audio library
    // sees the OpenAL headers.
    void* Device = nullptr;
    void* Context = nullptr;
    std::vector<TALBuffer> Buffers;
    std::vector<TALSource> Sources;

private:
    bool OpenDevice(std::string& why);
    void CloseDevice();
    bool Connected() const;
    bool FillBuffer(TALBuffer& buffer, std::string& error);
    void MakeSource(TALSource& source);
    void Restore();
    void ApplyGain(const TALSource& source) const;
    void ApplyListenerGain() const;

    files::TDataRoot Root_;
    std::string DeviceName_;  // empty for the default device
    uint32_t SinceReopen_ = 0;
    bool TellsDisconnect_ = false;  // the device has OpenAL Soft's disconnect extension
    float MusicMix_ = 1.0f;
    float EffectsMix_ = 1.0f;
    bool Muted_ = false;
    bool Lost_ = false;  // a device was there and went away; the next one found is said in the log

    const TALBuffer* FindBuffer(const std::string& name) const;
    const TALSource* FindSource(const std::string& name) const;
    TALSource* FindSource(const std::string& name);
};
