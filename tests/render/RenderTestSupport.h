// Shared by the renderer tests: a renderer on the recording device, a window stand-in, a captured log
// and a scratch data folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/RecordingDevice.h"
#include "platform/Window.h"
#include "render/GE_D3D9.h"
#include "util/Files.h"
#include "util/Log.h"

namespace render_test {

class StubWindow : public platform::Window {
public:
    void SetWindowed(bool) override {}
    void SetClientSize(int w, int h) override {
        width_ = w;
        height_ = h;
    }
    int ClientWidth() const override { return width_; }
    int ClientHeight() const override { return height_; }
    int FrameLeft() const override { return 0; }
    int FrameTop() const override { return 0; }
    int FrameWidth() const override { return width_; }
    int FrameHeight() const override { return height_; }
    void SetFramePosition(int, int) override {}
    void Show() override {}
    void Minimize() override {}
    void Maximize() override {}
    void SetTitle(const std::string&) override {}
    void PollEvents(std::vector<platform::WindowEvent>&) override {}

private:
    int width_ = 640;
    int height_ = 480;
};

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
    std::string All() const {
        std::string all;
        for (const auto& l : lines_)
            all += l + "\n";
        return all;
    }

private:
    logging::Sink previous_;
    std::vector<std::string> lines_;
};

// A fresh data root under the build folder, removed afterwards.
class ScratchData {
public:
    // A folder of the running test's own, so tests run in parallel do not share one.
    ScratchData() {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = std::filesystem::path(BRELVOX_BINARY_DIR) / "render-test-data" /
                (std::string(test->test_suite_name()) + "." + test->name());
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

    files::TDataRoot DataRoot() const { return files::TDataRoot(root_.string()); }

private:
    std::filesystem::path root_;
};

// A renderer initialised in a window on the recording device.
struct RendererFixture : ::testing::Test {
    platform::RecordingGraphicsSystem system;
    StubWindow window;
    TRenderD3D9 render{system};
    platform::RecordingDevice* device = nullptr;

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(render.Initialize(&window, true, 800, 600, 1, error)) << error;
        device = system.LastDevice();
        ASSERT_NE(device, nullptr);
        device->ClearLog();
    }
};

}  // namespace render_test
