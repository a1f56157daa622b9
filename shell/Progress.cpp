#include "shell/Progress.h"

#include <filesystem>

#include "shell/UserFiles.h"
#include "util/Files.h"
#include "util/TokenReader.h"

bool ParseProgress(std::string_view bytes, std::string_view fileName, int& reached, std::string& error) {
    TTokenReader reader(bytes, fileName, error);
    int32_t level = 0;
    if (!reader.Skip("the word Reached", 1) ||
        !reader.Integer("the furthest level reached", 1, kMostReachedLevel, level)) {
        return false;
    }
    reached = level;
    return true;
}

bool ReadProgressFile(const files::TDataRoot& root, const std::string& path, int& reached,
                      std::string& error) {
    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) {
        reached = 0;
        return true;
    }
    std::string bytes;
    return root.ReadFile(path, bytes, error) && ParseProgress(bytes, path, reached, error);
}

std::string FormatProgress(int reached) {
    return "Reached " + std::to_string(reached) + "\r\n";
}

bool WriteProgressFile(const files::TDataRoot& root, const std::string& path, int reached,
                       std::string& error) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code failure;
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, failure);
    }
    if (failure) {
        error = "\"" + folder.string() + "\": cannot create the folder: " + failure.message();
        return false;
    }
    root.RemoveStaleTemporaries(path, {kUserProgressName});
    return root.WriteFileAtomic(path, FormatProgress(reached), error);
}
