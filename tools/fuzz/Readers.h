// The readers of the game's files, each fed a whole file as bytes the way the game feeds it, with the
// checks every input must pass: a reader may refuse anything, but must not crash, hang, read out of
// bounds or throw; a refusal must name the file ("fuzzed.txt"), and no message may carry a raw control
// byte. A failed check prints what failed and aborts. Used by the libFuzzer harness and by the replay of
// the corpus in every test run.
#pragma once

#include <string_view>
#include <vector>

struct FileReader {
    const char* Name;  // the folder of its corpus: tools/fuzz/corpus/<Name>/
    void (*Read)(std::string_view bytes);
};

const std::vector<FileReader>& FileReaders();
// Null when no reader has that name.
const FileReader* FindFileReader(std::string_view name);
