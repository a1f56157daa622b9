// The screens the menus lead to, drawn by the real window and the OpenGL device and written as PNG files
// into the build folder (screens/*.png) for a person to look at: the HUD with every icon, the freeze
// clock and the shield's countdown, the victory screen, the record entry and the table of records.
// Each picture must be more than a flat colour. Needs the X server the test command runs under.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "ShellTestSupport.h"
#include "platform/GlGraphicsSystem.h"
#include "platform/Png.h"
#include "platform/SdlDesktop.h"
#include "platform/SdlWindow.h"
#include "shell/Main.h"
#include "world/World.h"

namespace {

class Screens : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Root = CopyShippedData("brelvox_screens"); }
    static void TearDownTestSuite() { RemoveFolder(Root); }

    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "no X display";
        }
        ASSERT_FALSE(Root.empty());
        out_ = std::string(BRELVOX_BINARY_DIR) + "/screens";
        std::filesystem::create_directories(out_);
        std::string error;
        window_ = platform::SdlWindow::Create("Brelvox", 640, 480, error);
        ASSERT_NE(window_, nullptr) << error;
        form_ = std::make_unique<TForm1>(world_, files::TDataRoot(Root), *window_, desktop_, graphics_,
                                         clock_, &input_);
        ASSERT_TRUE(form_->FormCreate(error)) << error;
    }
    void TearDown() override {
        form_.reset();
        window_.reset();
    }
    // Frames without the window's events: other tests' windows on the same X server may take the
    // focus, and a deactivation would pause the level.
    void Idle(int frames = 1) {
        for (int i = 0; i < frames; ++i) {
            clock_.Advance(16);
            form_->UpdateFrame();
            form_->DrawFrame();
        }
    }
    // Writes the next frame to screens/<name>.png and checks that it shows more than one colour.
    void Shoot(const std::string& name) {
        std::string path = out_ + "/" + name + ".png";
        form_->Screenshots().Request(path);
        Idle();
        ASSERT_TRUE(form_->Screenshots().Error().empty()) << form_->Screenshots().Error();
        std::string bytes, error;
        platform::Image image;
        ASSERT_TRUE(files::TDataRoot(Root).ReadFile(path, bytes, error)) << error;
        ASSERT_TRUE(platform::DecodePng(bytes, image, error)) << error;
        size_t differing = 0;
        for (size_t i = 4; i + 4 <= image.Rgba.size(); i += 4 * 97) {
            differing += image.Rgba[i] != image.Rgba[0] || image.Rgba[i + 1] != image.Rgba[1] ? 1 : 0;
        }
        EXPECT_GT(differing, 10u) << name << " is one flat colour";
    }
    TGameFlow& Flow() { return *form_->Flow(); }
    TGUI& Gui() { return *form_->Services().GUI; }

    static inline std::string Root;
    TWorld world_;  // the game's, outliving the form
    platform::SdlDesktop desktop_;
    platform::GlGraphicsSystem graphics_;
    platform::VirtualClock clock_{1000};
    platform::ScriptedInputDevice input_;
    std::unique_ptr<platform::SdlWindow> window_;
    std::unique_ptr<TForm1> form_;
    std::string previous_, out_;
};

TEST_F(Screens, HudWithEveryIconAndTheVictoryScreen) {
    world_.State.LevelIndex = 0;
    ASSERT_TRUE(Flow().StartLevel(false));
    Gui().SetActiveForm("Game");
    Idle(90);  // the tank arrives
    TGameState& state = world_.State;
    state.Lives = 5;
    state.Score = 1500;
    state.ArmourActive = true;
    state.FreezeActive = true;
    state.FreezeTimeLeft = 7400;
    SetWidgetText(Gui(), "Game", "Armour", "9");
    Idle();
    EXPECT_EQ(GetWidgetText(Gui(), "Game", "Clock"), "7");
    Shoot("game_hud");
    state.AllEnemiesSpawned = true;
    state.EnemiesAlive = 0;
    Idle();
    ASSERT_EQ(Gui().GetActiveFormName(), "NextLevel");
    Shoot("next_level");
}

TEST_F(Screens, RecordEntryAndTheTable) {
    world_.State.LevelIndex = 0;
    ASSERT_TRUE(Flow().StartLevel(false));
    Gui().SetActiveForm("Game");
    Idle(3);
    world_.State.Score = 2300;
    world_.State.GameOver = true;
    Idle();
    ASSERT_EQ(Gui().GetActiveFormName(), "EnterName");
    SetWidgetText(Gui(), "EnterName", "Name", "Tankist");
    Shoot("enter_name");
    TMyButton* ok = Gui().FindForm("EnterName")->FindWidgetAs<TMyButton>("OK");
    ASSERT_NE(ok, nullptr);
    Flow().OnEnterNameClick(*ok);
    ASSERT_EQ(Gui().GetActiveFormName(), "Table of records");
    Shoot("table_of_records");
}

}  // namespace
