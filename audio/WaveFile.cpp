#include "audio/WaveFile.h"

#include <cstring>

#include "util/Files.h"
#include "util/GE_UTILS.h"

namespace {

uint32_t ReadU32(std::string_view bytes, size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t ReadU16(std::string_view bytes, size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return uint16_t(p[0] | p[1] << 8);
}

constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagExtensible = 0xFFFE;

struct FmtChunk {
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t bitsPerSample = 0;
    uint16_t subFormat = 0;  // the first two bytes of an extensible chunk's sub-format GUID
};

bool ParseFmt(std::string_view chunk, FmtChunk& fmt, std::string& error) {
    if (chunk.size() < 16) {
        error = "fmt chunk of " + std::to_string(chunk.size()) + " bytes, 16 needed";
        return false;
    }
    fmt.tag = ReadU16(chunk, 0);
    fmt.channels = ReadU16(chunk, 2);
    fmt.sampleRate = ReadU32(chunk, 4);
    fmt.bitsPerSample = ReadU16(chunk, 14);
    if (fmt.tag == kTagExtensible) {
        // cbSize (2), valid bits (2), channel mask (4), then the sub-format GUID.
        if (chunk.size() < 40) {
            error = "extensible fmt chunk of " + std::to_string(chunk.size()) + " bytes, 40 needed";
            return false;
        }
        fmt.subFormat = ReadU16(chunk, 24);
    }
    return true;
}

bool FormatOf(const FmtChunk& fmt, int& format, std::string& error) {
    const bool pcm = fmt.tag == kTagPcm || (fmt.tag == kTagExtensible && fmt.subFormat == kTagPcm);
    if (!pcm) {
        error = "format tag " + std::to_string(fmt.tag) + " is not PCM";
        return false;
    }
    if (fmt.channels == 1 && fmt.bitsPerSample == 8) {
        format = WaveFormatMono8;
    } else if (fmt.channels == 1 && fmt.bitsPerSample == 16) {
        format = WaveFormatMono16;
    } else if (fmt.channels == 2 && fmt.bitsPerSample == 8) {
        format = WaveFormatStereo8;
    } else if (fmt.channels == 2 && fmt.bitsPerSample == 16) {
        format = WaveFormatStereo16;
    } else {
        error = std::to_string(fmt.channels) + " channels of " + std::to_string(fmt.bitsPerSample) +
                " bits is not a playable format (1 or 2 channels of 8 or 16 bits)";
        return false;
    }
    if (fmt.sampleRate == 0 || fmt.sampleRate > 0x7FFFFFFF) {
        error = "sample rate " + std::to_string(fmt.sampleRate) + " is out of range";
        return false;
    }
    return true;
}

}  // namespace

bool ParseWave(std::string_view bytes, TWaveData& wave, std::string& error) {
    wave = TWaveData{};
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") {
        error = "not a RIFF WAVE file";
        return false;
    }

    // The RIFF size field is not trusted (writers that were interrupted leave it wrong); the chunks
    // are walked to the end of the bytes we have.
    FmtChunk fmt;
    bool haveFmt = false;
    std::string_view data;
    bool haveData = false;
    size_t at = 12;
    while (bytes.size() - at >= 8) {
        const std::string_view id = bytes.substr(at, 4);
        const uint32_t size = ReadU32(bytes, at + 4);
        at += 8;
        if (size > bytes.size() - at) {
            error = "chunk " + QuoteForMessage(id) + " at byte " + std::to_string(at - 8) + " claims " +
                    std::to_string(size) + " bytes, only " + std::to_string(bytes.size() - at) + " follow";
            return false;
        }
        const std::string_view chunk = bytes.substr(at, size);
        if (id == "fmt " && !haveFmt) {
            if (!ParseFmt(chunk, fmt, error)) {
                return false;
            }
            haveFmt = true;
        } else if (id == "data" && !haveData) {
            data = chunk;
            haveData = true;
        }
        at += size;
        // Word alignment: an odd chunk is followed by a pad byte (which the last chunk may lack).
        if ((size & 1) != 0 && at < bytes.size()) {
            ++at;
        }
    }

    if (!haveFmt) {
        error = "no fmt chunk";
        return false;
    }
    if (!haveData) {
        error = "no data chunk";
        return false;
    }
    if (!FormatOf(fmt, wave.Format, error)) {
        return false;
    }
    const size_t frameSize = size_t(fmt.channels) * (fmt.bitsPerSample / 8);
    wave.Frequency = static_cast<int>(fmt.sampleRate);
    wave.Samples.assign(data.substr(0, data.size() - data.size() % frameSize));
    return true;
}

bool LoadWaveFile(const files::TDataRoot& root, std::string_view gamePath, TWaveData& wave,
                  std::string& error) {
    std::string bytes;
    if (!root.ReadFile(gamePath, bytes, error)) {
        return false;
    }
    if (!ParseWave(bytes, wave, error)) {
        error = QuotePathForMessage(gamePath) + ": " + error;
        return false;
    }
    return true;
}
