// The main window's start-up, frame and shutdown on the headless window and the recording device.
#include "shell/Main.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/HeadlessWindow.h"
#include "platform/RecordingDevice.h"
#include "util/Files.h"
#include "world/GameState.h"

using namespace platform;

namespace {

class MainForm : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameState();
        char pattern[] = "/tmp/brelvox_main_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        previous_ = files::DataRoot();
        files::SetDataRoot(root_);
        std::system(("mkdir -p '" + root_ + "/Data'").c_str());
        Put("Data/Config.txt",
            "PlayerMaxHealth 12\nBaseMaxHealth 20\nAttackBaseTime 1\nChasePlayerTime 2\nWanderTime 3\n");
        Put("Data/options.txt",
            "Windowed = true\r\nScreenWidth = 320\r\nScreenHeight = 240\r\nLanguage = ENG");
    }
    void TearDown() override {
        files::SetDataRoot(previous_);
        std::system(("rm -rf '" + root_ + "'").c_str());
    }
    void Put(const std::string& relative, const std::string& text) {
        std::ofstream(root_ + "/" + relative, std::ios::binary) << text;
    }
    RecordingDevice* Device() { return graphics_.LastDevice(); }

    HeadlessWindow window_;
    HeadlessDesktop desktop_;
    RecordingGraphicsSystem graphics_;
    VirtualClock clock_{1000};
    std::string root_, previous_;
};

TEST_F(MainForm, FormCreate_ReadsTheFilesSizesTheWindowAndStartsTheLoop) {
    TForm1 form(window_, desktop_, graphics_, clock_);
    EXPECT_EQ(window_.Title(), "Brelvox");
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    EXPECT_TRUE(form.FrameLoopEnabled());
    EXPECT_EQ(GameState().PlayerMaxHealth, 12);
    EXPECT_EQ(window_.ClientWidth(), 320);
    EXPECT_EQ(window_.ClientHeight(), 240);
    EXPECT_TRUE(window_.IsShown());
    EXPECT_TRUE(desktop_.CursorHidden());
    ASSERT_NE(Device(), nullptr);
    EXPECT_TRUE(Device()->Parameters().Windowed);
    EXPECT_EQ(Device()->SamplerState(0, D3DSAMP_MINFILTER), D3DTEXF_LINEAR);
    EXPECT_EQ(Device()->RenderState(D3DRS_ZENABLE), 1u);
}

TEST_F(MainForm, FormCreate_MissingConfigNamesTheFileAndRunsNoFrame) {
    std::remove((root_ + "/Data/Config.txt").c_str());
    TForm1 form(window_, desktop_, graphics_, clock_);
    std::string error;
    EXPECT_FALSE(form.FormCreate(error));
    EXPECT_NE(error.find("Config.txt"), std::string::npos) << error;
    EXPECT_FALSE(form.FrameLoopEnabled());
    form.ApplicationEvents1Idle();
    EXPECT_EQ(form.FramesDrawn(), 0u);
    EXPECT_EQ(Device(), nullptr);
}

TEST_F(MainForm, FormCreate_MalformedOptionsNamesTheFile) {
    Put("Data/options.txt", "Windowed = true\r\nScreenWidth = wide\r\nScreenHeight = 240\r\nLanguage = ENG");
    TForm1 form(window_, desktop_, graphics_, clock_);
    std::string error;
    EXPECT_FALSE(form.FormCreate(error));
    EXPECT_NE(error.find("options.txt"), std::string::npos) << error;
    EXPECT_FALSE(form.FrameLoopEnabled());
}

TEST_F(MainForm, Frame_ClearsGreyClearsDepthAndPresents) {
    TForm1 form(window_, desktop_, graphics_, clock_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    Device()->ClearLog();
    form.ApplicationEvents1Idle();
    EXPECT_EQ(form.FramesDrawn(), 1u);
    std::vector<std::string> names;
    for (const RecordedCall& call : Device()->Calls()) {
        if (call.Name != "TestCooperativeLevel") {
            names.push_back(call.Name);
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Clear", "Clear", "BeginScene", "EndScene", "Present"}));
    auto clears = Device()->FindCalls("Clear");
    ASSERT_EQ(clears.size(), 2u);
    EXPECT_EQ(clears[0].Ints[0], D3DCLEAR_TARGET);
    EXPECT_EQ(clears[0].Ints[1], 0x00808080);
    EXPECT_EQ(clears[1].Ints[0], D3DCLEAR_ZBUFFER);
}

TEST_F(MainForm, Close_EndsTheLoop) {
    TForm1 form(window_, desktop_, graphics_, clock_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    form.ApplicationEvents1Idle();
    window_.PushEvent(WindowEventType::Close);
    form.ApplicationEvents1Idle();
    EXPECT_TRUE(form.Closed());
    EXPECT_EQ(form.FramesDrawn(), 1u);
    EXPECT_EQ(form.Render(), nullptr);
}

TEST_F(MainForm, DeviceNotReset_ResetsWithTheConfiguredMode) {
    TForm1 form(window_, desktop_, graphics_, clock_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    Device()->SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    Device()->ClearLog();
    form.ApplicationEvents1Idle();
    EXPECT_EQ(Device()->CountCalls("Reset"), 1u);
    EXPECT_EQ(Device()->SamplerState(0, D3DSAMP_MINFILTER), D3DTEXF_LINEAR);
    EXPECT_EQ(form.FramesDrawn(), 1u);  // the draw still runs
}

TEST_F(MainForm, FullScreenDeactivation_MinimisesAndStopsFramesUntilRestore) {
    Put("Data/options.txt", "Windowed = false\r\nScreenWidth = 320\r\nScreenHeight = 240\r\nLanguage = ENG");
    TForm1 form(window_, desktop_, graphics_, clock_);
    std::string error;
    ASSERT_TRUE(form.FormCreate(error)) << error;
    EXPECT_FALSE(Device()->Parameters().Windowed);
    EXPECT_EQ(Device()->Parameters().BackBufferWidth, 320u);
    window_.PushEvent(WindowEventType::Deactivate);
    form.ApplicationEvents1Idle();
    EXPECT_TRUE(window_.IsMinimized());
    EXPECT_FALSE(form.FrameLoopEnabled());
    uint64_t frames = form.FramesDrawn();
    form.ApplicationEvents1Idle();
    EXPECT_EQ(form.FramesDrawn(), frames);
    window_.PushEvent(WindowEventType::Restore);
    form.ApplicationEvents1Idle();
    EXPECT_TRUE(form.FrameLoopEnabled());
    EXPECT_EQ(form.FramesDrawn(), frames + 1);
}

}  // namespace
