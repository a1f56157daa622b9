// Replays the fuzz corpus through the readers (Readers.h) in an ordinary build: every input kept in
// CORPUS/<reader>/, the seeds and the findings of earlier fuzzing alike, must pass the readers' checks
// again. A reader whose folder is missing or empty fails the run.
//   replay_corpus CORPUS [READER]
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tools/fuzz/Readers.h"
#include "util/Files.h"
#include "util/Log.h"

namespace {

// The number of inputs replayed from `folder`; -1 when it cannot be read.
int ReplayFolder(const FileReader& reader, const std::filesystem::path& folder) {
    std::error_code error;
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.is_regular_file()) {
            inputs.push_back(entry.path());
        }
    }
    if (error) {
        return -1;
    }
    std::sort(inputs.begin(), inputs.end());
    for (const std::filesystem::path& input : inputs) {
        std::string bytes;
        std::string problem;
        if (!files::ReadRealFile(input.string(), bytes, problem)) {
            std::fprintf(stderr, "replay_corpus: %s: %s\n", input.c_str(), problem.c_str());
            return -1;
        }
        // Named first, so that a failed check (which aborts) is seen with its input.
        std::printf("%s %s\n", reader.Name, input.filename().c_str());
        std::fflush(stdout);
        reader.Read(bytes);
    }
    return static_cast<int>(inputs.size());
}

constexpr const char* kUsage =
    "usage: replay_corpus CORPUS [READER]\n"
    "Replays every input in CORPUS/<reader>/ through its reader (all readers, or READER alone); fails\n"
    "when a reader's checks fail or its folder holds no input.\n"
    "  --help   show this text\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc < 2 || argc > 3) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    logging::SetSink([](std::string_view, std::string_view) {});
    const std::filesystem::path corpus = argv[1];
    bool failed = false;
    int readers = 0;
    for (const FileReader& reader : FileReaders()) {
        if (argc == 3 && reader.Name != std::string_view(argv[2])) {
            continue;
        }
        ++readers;
        const int count = ReplayFolder(reader, corpus / reader.Name);
        if (count <= 0) {
            std::fprintf(stderr, "replay_corpus: %s: %s\n", (corpus / reader.Name).c_str(),
                         count == 0 ? "no input to replay" : "cannot be read");
            failed = true;
        } else {
            std::printf("%s: %d input%s passed\n", reader.Name, count, count == 1 ? "" : "s");
        }
    }
    if (readers == 0) {
        std::fprintf(stderr, "replay_corpus: no reader is called %s\n", argv[2]);
        return 2;
    }
    return failed ? 1 : 0;
}
