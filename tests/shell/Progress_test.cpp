// The campaign's progress: its file, and "Continue" in the main menu of the whole game played headless.
#include "shell/Progress.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ShellTestSupport.h"
#include "shell/HeadlessGame.h"
#include "world/Enemy.h"

namespace {

TEST(ProgressFile, ReadsWhatItWritesAndNamesTheFileOfABadOne) {
    int reached = 7;
    std::string error;
    EXPECT_TRUE(ParseProgress(FormatProgress(12), "progress.txt", reached, error)) << error;
    EXPECT_EQ(reached, 12);
    for (const char* bad : {"", "Reached", "Reached three", "Reached 0", "Reached 256", "Reached -1"}) {
        SCOPED_TRACE(bad);
        error.clear();
        EXPECT_FALSE(ParseProgress(bad, "/home/p/progress.txt", reached, error));
        EXPECT_EQ(reached, 12);  // left as it was
        EXPECT_NE(error.find("/home/p/progress.txt"), std::string::npos) << error;
    }
    EXPECT_TRUE(ReadProgressFile(files::TDataRoot("/"), "/nonexistent/brelvox/progress.txt", reached, error));
    EXPECT_EQ(reached, 0);
}

class ContinueTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Root = CopyShippedData("brelvox_continue"); }
    static void TearDownTestSuite() { RemoveFolder(Root); }

    void SetUp() override {
        ASSERT_FALSE(Root.empty());
        previousSink_ = logging::SetSink(
            [this](std::string_view, std::string_view text) { Logged.push_back(std::string(text)); });
        std::filesystem::remove_all(Root + "/user");
        Files = ChooseUserFiles(false, Root + "/user/brelvox");
    }
    void TearDown() override { logging::SetSink(previousSink_); }

    // A start of the game as the player has it: the per-user folder, the files it writes.
    std::unique_ptr<THeadlessGame> StartGame() {
        auto game = std::make_unique<THeadlessGame>(files::TDataRoot(Root));
        game->Form().SetUserFiles(Files);
        std::string error;
        EXPECT_TRUE(game->Start(error)) << error;
        game->Form().Flow()->SetSaveFiles(true);
        return game;
    }

    static void Frames(THeadlessGame& game, int count) {
        for (int i = 0; i < count; ++i) {
            game.Frame(16);
        }
    }
    // Presses and lets go of the left button at (x, y) of the 800 x 600 client area.
    static void ClickAt(THeadlessGame& game, int x, int y) {
        Frames(game, 1);
        game.Input().MoveMouse(x - game.Form().Display().CursorClientX(),
                               y - game.Form().Display().CursorClientY());
        Frames(game, 1);
        game.Input().SetButton(0, true);
        Frames(game, 2);
        game.Input().SetButton(0, false);
        Frames(game, 2);
    }
    static std::string Screen(THeadlessGame& game) { return game.Form().Services().GUI->GetActiveFormName(); }
    static TBaseWidget* MainMenuWidget(THeadlessGame& game, const char* name) {
        return game.Form().Services().GUI->FindForm("MainMenu")->FindWidget(name);
    }

    // Plays the running level until the flow ends it, every enemy destroyed as it comes (as the bomb
    // bonus destroys them).
    static void WinLevel(THeadlessGame& game) {
        for (int frame = 0; frame < 20000 && game.World().State.InGame; ++frame) {
            if (TMoveableObject* level = LevelNode(game.World())) {
                std::vector<TMoveableObject*> objects;
                level->CollectObjects(objects);
                for (TMoveableObject* object : objects) {
                    if (auto* enemy = dynamic_cast<TEnemy*>(object)) {
                        enemy->Health = -1.0f;
                    }
                }
            }
            Frames(game, 1);
        }
        ASSERT_FALSE(game.World().State.InGame);
    }

    static inline std::string Root;
    TUserFiles Files;
    std::vector<std::string> Logged;

private:
    logging::Sink previousSink_;
};

// A fresh game has no Continue. Won through levels 1 and 2 it keeps level 3 in the per-user folder;
// Continue then starts a new game there, in this run and after a restart: 3 lives, weapon grade 0,
// score 0.
TEST_F(ContinueTest, AfterReachingLevel3ContinueStartsANewGameThereAlsoAfterARestart) {
    auto game = StartGame();
    Frames(*game, 5);
    EXPECT_EQ(MainMenuWidget(*game, "Continue"), nullptr);
    ClickAt(*game, 400, 170);  // Play
    ASSERT_TRUE(game->World().State.InGame);
    EXPECT_EQ(game->World().State.LevelIndex, 0);
    WinLevel(*game);
    ASSERT_EQ(Screen(*game), "NextLevel");
    ClickAt(*game, 400, 220);  // Next level
    ASSERT_EQ(game->World().State.LevelIndex, 1);
    game->World().State.UpgradeLevel = 2;
    WinLevel(*game);
    ASSERT_EQ(Screen(*game), "NextLevel");
    EXPECT_GT(game->World().State.Score, 0);
    std::ifstream in(Files.ProgressFile(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "Reached 3\r\n");

    ClickAt(*game, 400, 270);  // Main menu, and yes
    ClickAt(*game, 510, 420);
    ASSERT_EQ(Screen(*game), "MainMenu");
    ASSERT_NE(MainMenuWidget(*game, "Continue"), nullptr);
    ClickAt(*game, 400, 120);  // Continue, above Play
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run == 0 ? "the same run" : "after a restart");
        const TGameState& state = game->World().State;
        ASSERT_TRUE(state.InGame);
        EXPECT_EQ(state.LevelIndex, 2);
        EXPECT_EQ(state.Lives, 3);
        EXPECT_EQ(state.UpgradeLevel, 0);
        EXPECT_EQ(state.Score, 0);
        if (run == 0) {
            game.reset();
            game = StartGame();
            Frames(*game, 5);
            TBaseWidget* button = MainMenuWidget(*game, "Continue");
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(GetWidgetText(*game->Form().Services().GUI, "MainMenu", "Continue"),
                      "Continue from level 3");
            ClickAt(*game, 400, 120);
        }
    }
}

// A progress file that cannot be read is a line in the log naming it; the game starts without Continue.
TEST_F(ContinueTest, ABadProgressFileIsLoggedAndTheGameStartsWithoutContinue) {
    std::filesystem::create_directories(Root + "/user/brelvox");
    std::ofstream(Files.ProgressFile(), std::ios::binary) << "Reached lots\r\n";
    auto game = StartGame();
    Frames(*game, 5);
    EXPECT_EQ(Screen(*game), "MainMenu");
    EXPECT_EQ(MainMenuWidget(*game, "Continue"), nullptr);
    bool named = false;
    for (const std::string& line : Logged) {
        named = named || line.find(Files.ProgressFile()) != std::string::npos;
    }
    EXPECT_TRUE(named);
}

}  // namespace
