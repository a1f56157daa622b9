// Shared helpers of the content tests: where the committed Data folder is, running the generator and
// external tools, reading files.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace content_test {

inline std::string SourceDir() {
    return BRELVOX_SOURCE_DIR;
}
inline std::string DataDir() {
    return SourceDir() + "/Data";
}
inline std::string Generator() {
    return CONTENTGEN_PATH;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs a shell command; returns its standard output and sets `status` to the exit status.
inline std::string RunCommand(const std::string& command, int& status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return out;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
    }
    status = pclose(pipe);
    return out;
}

// A fresh folder under the system's temporary folder, removed when the object goes.
class TempDir {
public:
    explicit TempDir(const std::string& tag) {
        path_ = std::filesystem::temp_directory_path() /
                ("brelvox_content_" + tag + "_" + std::to_string(static_cast<long>(::getpid())));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

// One model as the generator meant it (see contentgen's manifest).
struct MeshFacts {
    std::string file;  // relative to Data, e.g. "Meshes/bullet.x"
    int vertices = 0, triangles = 0, materials = 0;
    float alpha = 1;
    float lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
};

inline std::vector<MeshFacts> LoadManifest(const std::string& folder) {
    std::vector<MeshFacts> facts;
    std::istringstream in(ReadAll(folder + "/contentgen_manifest.txt"));
    std::string word;
    while (in >> word) {
        if (word != "mesh") {
            continue;
        }
        MeshFacts f;
        in >> f.file >> f.vertices >> f.triangles >> f.materials >> f.alpha >> f.lo[0] >> f.lo[1] >>
            f.lo[2] >> f.hi[0] >> f.hi[1] >> f.hi[2];
        facts.push_back(f);
    }
    return facts;
}

}  // namespace content_test
