// Loading speed of our .x reader against Assimp's (no post-processing), both from bytes in memory, for
// every .x file under Data/Meshes and for generated models of 20,000 and 200,000 triangles with normals,
// texture coordinates and two materials; each also as a binary file (32-bit floats, "-bin") and the large
// ones compressed ("-bzip"), written by the tests' .x writer from what our reader read. After the Google
// Benchmark table comes a summary: both times per file (CPU time) and how many times faster ours is (Assimp's
// time / ours). The repetitions of all benchmarks run interleaved in random order unless the command line
// says otherwise, so a slow spell of a shared machine falls on both readers alike.
#include <assimp/scene.h>
#include <benchmark/benchmark.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "models/Mesh.h"
#include "tests/models/XFileWriter.h"
#include "util/Log.h"

namespace {

struct Model {
    std::string name;
    std::string bytes;
};

// A grid of cells x cells quads, each quad a face of 4 vertices of its own.
std::string GeneratedModel(int cells) {
    std::ostringstream x;
    x << "xof 0303txt 0032\nFrame Grid {\n FrameTransformMatrix { 1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,"
         "0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;; }\n Mesh Ground {\n  "
      << cells * cells * 4 << ";\n";
    for (int i = 0; i < cells * cells; ++i) {
        const int cx = i % cells, cz = i / cells;
        for (int corner = 0; corner < 4; ++corner) {
            const int dx = corner == 1 || corner == 2, dz = corner >= 2;
            x << "  " << cx + dx << ".000000;" << (i % 7) * 0.125 << ";" << cz + dz << ".000000;"
              << (i + 1 == cells * cells && corner == 3 ? ";\n" : ",\n");
        }
    }
    x << "  " << cells * cells << ";\n";
    for (int i = 0; i < cells * cells; ++i) {
        x << "  4;" << i * 4 << "," << i * 4 + 1 << "," << i * 4 + 2 << "," << i * 4 + 3
          << (i + 1 == cells * cells ? ";;\n" : ";,\n");
    }
    x << "  MeshNormals { 1; 0.000000;1.000000;0.000000;;\n  " << cells * cells << ";\n";
    for (int i = 0; i < cells * cells; ++i) {
        x << "  4;0,0,0,0" << (i + 1 == cells * cells ? ";;\n" : ";,\n");
    }
    x << "  }\n  MeshTextureCoords { " << cells * cells * 4 << ";\n";
    for (int i = 0; i < cells * cells * 4; ++i) {
        x << "  " << (i % 2) << ".000000;" << ((i / 2) % 2) << ".000000;"
          << (i + 1 == cells * cells * 4 ? ";\n" : ",\n");
    }
    x << "  }\n  MeshMaterialList { 2; " << cells * cells << ";\n";
    for (int i = 0; i < cells * cells; ++i) {
        x << "  " << i % 2 << (i + 1 == cells * cells ? ";;\n" : ",\n");
    }
    x << "   Material Grass { 0.2;0.8;0.2;1.0;; 8.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { "
         "\"grass.png\"; } }\n"
         "   Material Sand { 0.9;0.8;0.5;1.0;; 8.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n  }\n }\n}\n";
    return x.str();
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::vector<Model> Models() {
    std::vector<Model> models;
    std::filesystem::path folder = BRELVOX_SOURCE_DIR;
    for (const char* part : {"data", "meshes"}) {
        std::filesystem::path found;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            if (entry.is_directory() && Lower(entry.path().filename().string()) == part) {
                found = entry.path();
            }
        }
        folder = found;
        if (folder.empty()) {
            break;
        }
    }
    if (!folder.empty()) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (entry.is_regular_file() && Lower(entry.path().extension().string()) == ".x") {
                std::ifstream in(entry.path(), std::ios::binary);
                std::stringstream bytes;
                bytes << in.rdbuf();
                models.push_back({entry.path().filename().string(), bytes.str()});
            }
        }
    }
    std::sort(models.begin(), models.end(), [](const Model& a, const Model& b) { return a.name < b.name; });
    models.push_back({"generated-20000-triangles", GeneratedModel(100)});
    // 200,000 triangles in parts of at most 65,535 vertices (16-bit indices): ten grids of 100 x 100.
    std::string large = GeneratedModel(100);
    const size_t body = large.find("Frame");
    const std::string frame = large.substr(body);
    large = large.substr(0, body);
    for (int part = 0; part < 10; ++part) {
        std::string copy = frame;
        copy.replace(copy.find("Grid"), 4, "Grid" + std::to_string(part));
        large += copy;
    }
    models.push_back({"generated-200000-triangles", large});
    const size_t textCount = models.size();
    for (size_t i = 0; i < textCount; ++i) {
        TMesh mesh;
        std::string error;
        if (!mesh.LoadFromMemory(models[i].bytes, models[i].name, error)) {
            continue;
        }
        const xfile_writer::Model model = xfile_writer::ModelOf(mesh);
        models.push_back({models[i].name + "-bin", xfile_writer::Write(model, xfile_writer::Kind::Binary32)});
        if (models[i].name.rfind("generated", 0) == 0) {
            models.push_back({models[i].name + "-bzip",
                              xfile_writer::Write(model, xfile_writer::Kind::CompressedBinary32)});
        }
    }
    return models;
}

void LoadOurs(benchmark::State& state, const Model* model) {
    for (auto _ : state) {
        TMesh mesh;
        std::string error;
        const bool ok = mesh.LoadFromMemory(model->bytes, model->name, error);
        benchmark::DoNotOptimize(ok);
        if (!ok) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * model->bytes.size()));
}

void LoadAssimp(benchmark::State& state, const Model* model) {
    for (auto _ : state) {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFileFromMemory(model->bytes.data(), model->bytes.size(), 0, "x");
        benchmark::DoNotOptimize(scene);
        if (scene == nullptr) {
            state.SkipWithError(importer.GetErrorString());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * model->bytes.size()));
}

// Keeps every run's CPU time per iteration while printing as usual. CPU time, not wall time: the
// machines this runs on are often shared, and waiting for a core is not the reader's cost. With
// --benchmark_repetitions=N the summary takes each benchmark's median.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!run.error_occurred && (run.run_type == Run::RT_Iteration || median)) {
                times[run.run_name.str()] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;  // in the run's time unit (microseconds below)
};

}  // namespace

int main(int argc, char** argv) {
    logging::SetSink([](std::string_view, std::string_view) {});
    const std::vector<Model> models = Models();
    for (const Model& model : models) {
        benchmark::RegisterBenchmark(("ours/" + model.name).c_str(), LoadOurs, &model)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("assimp/" + model.name).c_str(), LoadAssimp, &model)
            ->Unit(benchmark::kMicrosecond);
    }
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    if (std::none_of(args.begin(), args.end(), [](const char* arg) {
            return std::string_view(arg).rfind("--benchmark_enable_random_interleaving", 0) == 0;
        })) {
        args.insert(args.begin() + 1, interleave.data());
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n%-40s %12s %12s %8s\n", "model", "ours (cpu us)", "assimp (cpu us)", "ratio");
    for (const Model& model : models) {
        const auto ours = reporter.times.find("ours/" + model.name);
        const auto theirs = reporter.times.find("assimp/" + model.name);
        if (ours == reporter.times.end() || theirs == reporter.times.end()) {
            std::printf("%-40s %12s %12s %8s\n", model.name.c_str(), "-", "-", "-");
            continue;
        }
        std::printf("%-40s %12.1f %12.1f %7.2fx\n", model.name.c_str(), ours->second, theirs->second,
                    theirs->second / ours->second);
    }
    std::printf("ratio: Assimp's time divided by ours (above 1: ours is faster)\n");
    return 0;
}
