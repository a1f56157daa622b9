// Shared by the model tests: a captured log, a scratch data folder, a recording device in a device slot,
// and small .x texts.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/RecordingDevice.h"
#include "util/Files.h"
#include "util/Log.h"

namespace model_test {

// Log lines written while it lives.
class LogCapture {
public:
    LogCapture() {
        previous_ = logging::SetSink([this](std::string_view subsystem, std::string_view text) {
            lines_.push_back("[" + std::string(subsystem) + "] " + std::string(text));
        });
    }
    ~LogCapture() { logging::SetSink(previous_); }
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    logging::Sink previous_;
    std::vector<std::string> lines_;
};

// A fresh data root under the build folder, removed afterwards.
class ScratchData {
public:
    // A folder of the running test's own, so tests run in parallel do not share (or remove) one.
    explicit ScratchData(const std::string& name) {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string folder = name;
        if (test != nullptr) {
            folder += std::string(".") + test->test_suite_name() + "." + test->name();
        }
        root_ = std::filesystem::path(BRELVOX_BINARY_DIR) / "models-test-data" / folder;
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
    }
    ~ScratchData() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    // Writes a file at a relative real path (slashes), making its folders.
    void Write(const std::string& relative, const std::string& bytes) {
        std::filesystem::path path = root_ / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::filesystem::path Root() const { return root_; }
    files::TDataRoot DataRoot() const { return files::TDataRoot(root_.string()); }

private:
    std::filesystem::path root_;
};

// A recording device in a slot, as the renderer holds its device.
struct RecordingSlot {
    platform::RecordingGraphicsSystem system;
    std::unique_ptr<platform::GraphicsDevice> slot;
    platform::RecordingDevice* device = nullptr;

    RecordingSlot() {
        std::string error;
        platform::PresentParameters parameters;
        parameters.Windowed = true;
        slot = system.CreateDevice(nullptr, parameters, error);
        device = system.LastDevice();
    }
    const std::unique_ptr<platform::GraphicsDevice>* Ref() const { return &slot; }
};

constexpr const char* kHeader = "xof 0303txt 0032\n";

// A flat square of four vertices in one quad face, with normals and texture coordinates.
inline std::string SquareMesh(const std::string& name, const std::string& materials = "") {
    return "Mesh " + name +
           " {\n"
           " 4;\n"
           " -1.0; 0.0; -1.0;,\n"
           " 1.0; 0.0; -1.0;,\n"
           " 1.0; 0.0; 1.0;,\n"
           " -1.0; 0.0; 1.0;;\n"
           " 1;\n"
           " 4; 0, 1, 2, 3;;\n"
           " MeshNormals {\n"
           "  1;\n"
           "  0.0; 1.0; 0.0;;\n"
           "  1;\n"
           "  4; 0, 0, 0, 0;;\n"
           " }\n"
           " MeshTextureCoords {\n"
           "  4;\n"
           "  0.0; 0.0;, 1.0; 0.0;, 1.0; 1.0;, 0.0; 1.0;;\n"
           " }\n" +
           materials + "}\n";
}

}  // namespace model_test
