// Sound effects and the music loop, synthesised and written as RIFF WAVE (16-bit PCM, mono).
#pragma once

namespace contentgen {

class Output;

void WriteSounds(Output& out);
void WriteMusic(Output& out);

}  // namespace contentgen
