// RIFF WAVE reader for the game's sounds and music. Every sound file is read as WAVE data whatever its
// extension. Only plain PCM is played: 8 or 16 bits per sample, one or two channels (format tag 1, or
// the extensible tag 0xFFFE with a PCM sub-format). Anything else is refused with a message, and so is
// a file whose chunks run past its end; the reader never reads outside the bytes it is given and
// never allocates more than the data it was given holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "util/Files.h"

// OpenAL buffer formats (the same values as AL_FORMAT_MONO8 ... AL_FORMAT_STEREO16).
enum TWaveFormat : int {
    WaveFormatMono8 = 0x1100,
    WaveFormatMono16 = 0x1101,
    WaveFormatStereo8 = 0x1102,
    WaveFormatStereo16 = 0x1103,
};

struct TWaveData {
    int Format = 0;       // a TWaveFormat
    int Frequency = 0;    // samples per second
    std::string Samples;  // whole sample frames, as stored in the file
};

// Parses a WAVE file held in memory. The chunks are walked to the end of the bytes: "fmt " and "data"
// may come in any order with other chunks (LIST, fact, JUNK, ...) before, between or after them; a
// fmt chunk longer than 16 bytes is fine; chunks of odd size are followed by one pad byte. The first
// data chunk is used. A data chunk that is not a whole number of sample frames is cut to whole frames.
// On failure returns false and an `error` saying what was wrong (without the file name).
bool ParseWave(std::string_view bytes, TWaveData& wave, std::string& error);

// Reads a WAVE file through the game's file look-up in `root`; the error names the file.
bool LoadWaveFile(const files::TDataRoot& root, std::string_view gamePath, TWaveData& wave,
                  std::string& error);
