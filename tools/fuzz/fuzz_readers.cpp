// libFuzzer entry for the readers of the game's files (Readers.h), one reader per run: the environment
// variable BRELVOX_FUZZ_READER names it (BRELVOX_FUZZ_READER=list prints the names), so mutation never
// switches reader. The input is the whole file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "tools/fuzz/Readers.h"
#include "util/Log.h"

namespace {

const FileReader* chosen = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    logging::SetSink([](std::string_view, std::string_view) {});
    const char* name = std::getenv("BRELVOX_FUZZ_READER");
    chosen = name != nullptr ? FindFileReader(name) : nullptr;
    if (chosen != nullptr) {
        return 0;
    }
    const bool list = name != nullptr && std::strcmp(name, "list") == 0;
    if (!list) {
        std::fprintf(stderr, "fuzz_readers: set BRELVOX_FUZZ_READER to one of:");
    }
    for (const FileReader& reader : FileReaders()) {
        std::fprintf(list ? stdout : stderr, list ? "%s\n" : " %s", reader.Name);
    }
    if (!list) {
        std::fprintf(stderr, "\n");
    }
    std::exit(list ? 0 : 2);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    chosen->Read(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
