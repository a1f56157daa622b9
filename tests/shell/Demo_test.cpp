// Demos: a scripted session recorded on the headless game replays to the same world; the shipped demos
// replay to the digests stored beside them; damaged demo files and demos of other Data are refused.
#include "shell/Demo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ShellTestSupport.h"
#include "platform/DirectInputKeys.h"
#include "shell/HeadlessGame.h"
#include "shell/UserLevels.h"
#include "world/Bullet.h"

namespace {

class Demos : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Root = CopyShippedData("brelvox_demo"); }
    static void TearDownTestSuite() { RemoveFolder(Root); }

    void SetUp() override {
        ASSERT_FALSE(Root.empty());
        previousSink_ = logging::SetSink([](std::string_view, std::string_view) {});
        Put("Data/options.txt",
            "Windowed = true\r\nScreenWidth = 800\r\nScreenHeight = 600\r\nLanguage = ENG");
        Path = Root + "/session.dem";
    }
    void TearDown() override { logging::SetSink(previousSink_); }
    void Put(const std::string& relative, const std::string& text) {
        std::ofstream(Root + "/" + relative, std::ios::binary) << text;
    }

    // The main menu, Play, driving with W then D while aiming and firing, a pause with Escape and a
    // resume, a focus loss (the level pauses) and "Continue"; the demo goes to Path. The world's digest
    // at the end.
    std::string RecordScriptedSession() {
        THeadlessGame game{files::TDataRoot(Root)};
        std::string error;
        EXPECT_TRUE(game.Start(error)) << error;
        TDemoHeader header;
        header.Seed = game.Form().Demos().Seed();
        header.Options = game.Form().Demos().SessionOptions();
        EXPECT_TRUE(DigestPlayData(files::TDataRoot(Root), header.Data, error)) << error;
        TDemoWriter writer;
        EXPECT_TRUE(writer.Open(Path, header, error)) << error;
        game.Form().Demos().SetRecorder(&writer);
        auto& input = game.Input();
        auto frames = [&](int count) {
            for (int i = 0; i < count; ++i) {
                game.Frame(16 + static_cast<uint32_t>(i % 3 == 0));
                ShellsSeen = std::max(ShellsSeen, CountShells(game.World()));
            }
        };
        auto pointAt = [&](int x, int y) {
            input.MoveMouse(x - game.Form().Display().CursorClientX(),
                            y - game.Form().Display().CursorClientY());
            frames(2);
        };
        auto click = [&](int x, int y) {
            pointAt(x, y);
            input.SetButton(0, true);
            frames(2);
            input.SetButton(0, false);
            frames(2);
        };
        auto tap = [&](int key) {
            input.SetKey(TInput::KeyCode(key), true);
            frames(2);
            input.SetKey(TInput::KeyCode(key), false);
            frames(2);
        };
        frames(10);
        click(400, 170);  // Play
        EXPECT_TRUE(game.World().State.InGame);
        input.SetKey(TInput::KeyCode(KEY_W), true);
        pointAt(520, 200);
        input.SetButton(0, true);
        frames(120);
        input.SetKey(TInput::KeyCode(KEY_W), false);
        input.SetKey(TInput::KeyCode(KEY_D), true);
        pointAt(300, 250);
        frames(90);
        input.ReleaseAll();
        tap(KEY_ESCAPE);
        EXPECT_TRUE(game.World().State.Paused);
        frames(30);
        tap(KEY_ESCAPE);
        EXPECT_FALSE(game.World().State.Paused);
        frames(60);
        game.Window().PushEvent(platform::WindowEventType::Deactivate);
        frames(5);
        EXPECT_TRUE(game.World().State.Paused);
        click(400, 220);  // Continue
        EXPECT_FALSE(game.World().State.Paused);
        input.SetButton(0, true);
        pointAt(200, 400);
        frames(200);
        return DigestText(game.Form().Demos().Digest());
    }

    static int CountShells(TWorld& world) {
        TMoveableObject* level = LevelNode(world);
        std::vector<TMoveableObject*> all;
        if (level != nullptr) {
            level->CollectObjects(all);
        }
        int count = 0;
        for (TMoveableObject* node : all) {
            count += dynamic_cast<TBullet*>(node) != nullptr ? 1 : 0;
        }
        return count;
    }

    std::string Replayed(const TDemo& demo) {
        std::string digest;
        std::string error;
        EXPECT_TRUE(THeadlessGame::ReplayDigest(files::TDataRoot(Root), demo, digest, error)) << error;
        return digest;
    }

    static inline std::string Root;
    std::string Path;
    int ShellsSeen = 0;

private:
    logging::Sink previousSink_;
};

TEST_F(Demos, ScriptedSession_ReplaysToTheSameWorld_AndAnyOtherInputToAnother) {
    const std::string live = RecordScriptedSession();
    EXPECT_GT(ShellsSeen, 0) << "the session fired no shell";
    TDemo demo;
    std::string error;
    ASSERT_TRUE(ReadDemoFile(Path, demo, error)) << error;
    EXPECT_FALSE(demo.Cut);
    EXPECT_GT(demo.Frames.size(), 500u);
    EXPECT_EQ(Replayed(demo), live);
    EXPECT_EQ(Replayed(demo), live) << "a second replay in the same process differs";

    // Other input (no shell fired) or another seed plays another game.
    TDemo changed = demo;
    for (std::size_t i = 40; i < 200; ++i) {  // in the level, before the pause
        TDemoFrame frame = changed.Frames[i];
        frame.Input.Mouse.Buttons[0] = 0;
        changed.Frames.Set(i, frame);
    }
    TDemo otherSeed = demo;
    otherSeed.Header.Seed += 1;
    EXPECT_NE(Replayed(changed), live);
    EXPECT_NE(Replayed(otherSeed), live);
}

// Three games, each in a world of its own, replay frame by frame in turn, two of them the same demo:
// each ends as it does alone, with the same history of every frame's world.
TEST_F(Demos, WorldsSideBySide_EachPlaysAsItDoesAlone) {
    RecordScriptedSession();
    TDemo first;
    std::string error;
    ASSERT_TRUE(ReadDemoFile(Path, first, error)) << error;
    TDemo second = first;
    second.Header.Seed += 7;
    const std::string firstAlone = Replayed(first);
    const std::string secondAlone = Replayed(second);
    ASSERT_NE(firstAlone, secondAlone);

    THeadlessGame a{files::TDataRoot(Root)};
    THeadlessGame b{files::TDataRoot(Root)};
    THeadlessGame again{files::TDataRoot(Root)};
    const TDemo* demos[3] = {&first, &second, &first};
    THeadlessGame* games[3] = {&a, &b, &again};
    for (int i = 0; i < 3; ++i) {
        games[i]->Form().Demos().SetSessionOptions(demos[i]->Header.Options);
        games[i]->Form().Demos().SetSeed(demos[i]->Header.Seed);
        games[i]->Form().Demos().SetReplay(&demos[i]->Frames);
        ASSERT_TRUE(games[i]->Start(error)) << error;
    }
    while (!a.Form().Demos().ReplayFinished() || !b.Form().Demos().ReplayFinished() ||
           !again.Form().Demos().ReplayFinished()) {
        again.Frame(0);
        a.Frame(0);
        b.Frame(0);
    }
    EXPECT_EQ(DigestText(a.Form().Demos().Digest()), firstAlone);
    EXPECT_EQ(DigestText(b.Form().Demos().Digest()), secondAlone);
    EXPECT_EQ(DigestText(again.Form().Demos().Digest()), firstAlone);
    // The digest is a walk over the world alone.
    EXPECT_EQ(DigestWorld(a.World()).Hash, a.Form().Demos().Digest().Hash);
    EXPECT_EQ(DigestWorld(b.World()).Hash, b.Form().Demos().Digest().Hash);
}

TEST_F(Demos, ACutRecording_ReplaysItsWholeFramesAndSaysItWasCut) {
    RecordScriptedSession();
    TDemo whole;
    std::string error;
    ASSERT_TRUE(ReadDemoFile(Path, whole, error)) << error;
    EXPECT_FALSE(whole.Cut);
    std::string bytes;
    ASSERT_TRUE(files::TDataRoot(Root).ReadFile(Path, bytes, error));
    std::string header;
    EncodeDemoHeader(whole.Header, header);
    std::string frame;
    EncodeDemoFrame(whole.Frames[0], frame);
    const std::size_t frames = header.size() + 300 * frame.size();
    struct TCase {
        std::size_t Length;
        bool InsideFrame;
    };
    // A third of frame 301; frame 300's end (a recording killed between frames); the end record's
    // first bytes.
    for (const TCase& c :
         {TCase{frames + frame.size() / 3, true}, TCase{frames, false}, TCase{bytes.size() - 2, false}}) {
        TDemo demo;
        ASSERT_TRUE(ParseDemo(bytes.substr(0, c.Length), demo, error)) << error;
        EXPECT_TRUE(demo.Cut) << c.Length;
        EXPECT_EQ(demo.CutInsideFrame, c.InsideFrame) << c.Length;
        EXPECT_EQ(demo.Frames.size(), c.Length == bytes.size() - 2 ? whole.Frames.size() : 300u);
    }
}

// A second controller is recorded in "P" frames from the first frame it is attached, and the header
// moves to version 4 then; a session without one stays version 3, all "F". Both read back as written.
TEST_F(Demos, ASecondController_IsRecordedFromItsFirstFrame) {
    TDemoHeader header;
    std::string error;
    TDemoFrame plain;
    plain.Ms = 16;
    plain.Input.Gamepad.Connected = true;
    TDemoFrame two = plain;
    two.Input.SecondGamepad.Connected = true;
    two.Input.SecondGamepad.Axes[platform::GamepadRightX] = -1234;
    two.Input.SecondGamepad.Buttons[platform::GamepadA] = 0x80;
    for (const bool withSecond : {false, true}) {
        TDemoWriter writer;
        ASSERT_TRUE(writer.Open(Path, header, error)) << error;
        writer.Write(plain);
        writer.Write(withSecond ? two : plain);
        writer.Write(plain);
        writer.Close();
        std::string bytes;
        ASSERT_TRUE(files::ReadRealFile(Path, bytes, error)) << error;
        TDemo demo;
        ASSERT_TRUE(ParseDemo(bytes, demo, error)) << error;
        EXPECT_EQ(demo.Header.Version, withSecond ? kDemoTwoControllerVersion : kDemoVersion);
        ASSERT_EQ(demo.Frames.size(), 3u);
        EXPECT_EQ(demo.Frames[1].Input.SecondGamepad.Connected, withSecond);
        EXPECT_EQ(demo.Frames[1].Input.SecondGamepad.Axes[platform::GamepadRightX], withSecond ? -1234 : 0);
        EXPECT_EQ(demo.Frames[1].Input.SecondGamepad.Buttons[platform::GamepadA], withSecond ? 0x80 : 0);
        EXPECT_FALSE(demo.Frames[2].Input.SecondGamepad.Connected);
        EXPECT_TRUE(demo.Frames[2].Input.Gamepad.Connected);
        std::string expected;
        EncodeDemoHeader(header, expected);
        for (int frame = 0; frame < 3; ++frame) {
            EncodeDemoFrame(plain, expected);
        }
        if (!withSecond) {
            // Byte for byte what a recording without a second controller always was.
            EXPECT_EQ(bytes.substr(0, expected.size()), expected);
            EXPECT_EQ(bytes.size(), expected.size() + 5);
        }
    }
}

TEST_F(Demos, DifficultyAndControlsTravelInTheHeader_AnOlderDemoPlaysNormalWithTheDefaults) {
    TDemoOptions hard;
    hard.Difficulty = kDifficultyHard;
    hard.Bindings.Codes[ActionDriveUp] = platform::DIK_UP;
    hard.SecondBindings.Codes[SecondDriveUp] = platform::DIK_W;  // the second player's keys: format 5
    std::string digest;
    {
        THeadlessGame game{files::TDataRoot(Root)};
        game.Form().Demos().SetSessionOptions(hard);
        std::string error;
        ASSERT_TRUE(game.Start(error)) << error;
        TDemoHeader header;
        header.Seed = game.Form().Demos().Seed();
        header.Options = game.Form().Demos().SessionOptions();
        ASSERT_TRUE(DigestPlayData(files::TDataRoot(Root), header.Data, error)) << error;
        TDemoWriter writer;
        ASSERT_TRUE(writer.Open(Path, header, error)) << error;
        game.Form().Demos().SetRecorder(&writer);
        for (int i = 0; i < 10; ++i) {
            game.Frame(16);
        }
        game.Input().MoveMouse(400 - game.Form().Display().CursorClientX(),
                               170 - game.Form().Display().CursorClientY());
        game.Frame(16);
        game.Input().SetButton(0, true);
        game.Frame(16);
        game.Input().SetButton(0, false);
        game.Frame(16);
        ASSERT_TRUE(game.World().State.InGame);
        game.Input().SetKey(platform::DIK_UP, true);  // up on the arrow: the tank drives
        for (int i = 0; i < 200; ++i) {
            game.Frame(16);
        }
        digest = DigestText(game.Form().Demos().Digest());
        writer.Close();
    }
    TDemo demo;
    std::string error;
    ASSERT_TRUE(ReadDemoFile(Path, demo, error)) << error;
    EXPECT_EQ(demo.Header.Options.Difficulty, kDifficultyHard);
    EXPECT_EQ(demo.Header.Options.Bindings, hard.Bindings);
    EXPECT_EQ(demo.Header.Version, kDemoSecondKeysVersion);
    EXPECT_EQ(demo.Header.Options.SecondBindings, hard.SecondBindings);
    EXPECT_EQ(Replayed(demo), digest);

    // The same frames under a header of the format before: Normal, W to drive up; another game.
    std::string bytes;
    ASSERT_TRUE(files::ReadRealFile(Path, bytes, error)) << error;
    std::string newHeader, oldHeader;
    EncodeDemoHeader(demo.Header, newHeader);
    TDemoHeader older = demo.Header;
    older.Version = 2;
    EncodeDemoHeader(older, oldHeader);
    TDemo old;
    ASSERT_TRUE(ParseDemo(oldHeader + bytes.substr(newHeader.size()), old, error)) << error;
    EXPECT_EQ(old.Header.Options.Difficulty, kDifficultyNormal);
    EXPECT_EQ(old.Header.Options.Bindings, TKeyBindings{});
    EXPECT_EQ(old.Header.Options.SecondBindings, TSecondKeyBindings{});
    EXPECT_NE(Replayed(old), digest);
}

TEST_F(Demos, DamagedFiles_AreRefusedWithTheProblem) {
    TDemoHeader header;
    header.GameVersion = "1.0";
    header.Seed = 42;
    std::string error;
    ASSERT_TRUE(DigestPlayData(files::TDataRoot(Root), header.Data, error)) << error;
    std::string good;
    EncodeDemoHeader(header, good);
    TDemoFrame frame;
    frame.Ms = 16;
    EncodeDemoFrame(frame, good);

    std::string frameBytes;
    EncodeDemoFrame(frame, frameBytes);
    const std::size_t at = good.size() - frameBytes.size();  // frame 1
    TDemoHeader firstHeader = header;
    firstHeader.Version = 1;  // the first format: no difficulty, no controls, no end record
    std::string first;
    EncodeDemoHeader(firstHeader, first);
    first += frameBytes;
    good += "E";
    good += std::string("\x01\x00\x00\x00", 4);

    TDemo demo;
    std::string problem;
    for (const std::string& bytes : {good, first}) {
        ASSERT_TRUE(ParseDemo(bytes, demo, problem)) << problem;
        EXPECT_FALSE(demo.Cut);
        EXPECT_EQ(demo.Frames.size(), 1u);
        EXPECT_EQ(demo.Header.Data.size(), 32u);  // Config.txt, the level list, thirty levels
    }

    struct TCase {
        std::string Bytes;
        const char* Says;
    };
    std::string magic = good;
    magic[0] = 'X';
    std::string newer = good;
    newer[8] = 6;
    static_assert(kDemoNewestVersion == 5, "the newest format this game reads");
    std::string miscounted = good;
    miscounted[miscounted.size() - 4] = 2;
    std::string absurd = good;
    absurd[at + 1] = static_cast<char>(0x60);  // 60000 ms = 0xEA60
    absurd[at + 2] = static_cast<char>(0xEA);
    std::string tag = good;
    tag[at] = 'G';
    const TCase cases[] = {
        {good.substr(0, 5), "too short"},
        {good.substr(0, 30), "header is cut off"},
        {good.substr(0, at - 3), "header is cut off"},
        {magic, "not a Brelvox demo"},
        {newer, "version 6"},  // one past the newest this game reads
        {first + "E", "frame 2 at byte"},
        {miscounted, "counts 2 frames, the file holds 1"},
        {good + "F", "1 bytes follow the end record"},
        {absurd, "lasts 60000 ms"},
        {tag, "frame 1 at byte"},
    };
    for (const TCase& c : cases) {
        EXPECT_FALSE(ParseDemo(c.Bytes, demo, problem)) << c.Says;
        EXPECT_NE(problem.find(c.Says), std::string::npos) << problem;
        EXPECT_EQ(problem.find('\n'), std::string::npos) << problem;
    }

    // Data other than the installed: one level differs.
    ASSERT_TRUE(MatchesPlayData(files::TDataRoot(Root), header, problem)) << problem;
    std::string level;
    ASSERT_TRUE(files::TDataRoot(Root).ReadFile("data/maps/level2.txt", level, error));
    Put("Data/maps/level2.txt", level + " ");
    EXPECT_FALSE(MatchesPlayData(files::TDataRoot(Root), header, problem));
    EXPECT_NE(problem.find("level2.txt"), std::string::npos) << problem;
    Put("Data/maps/level2.txt", level);
}

// The demos in Data/demos replay to the digests beside them. A change to the game that changes play
// fails here: when it is meant, regenerate the demos (scripts/make-demos) and commit them.
TEST(ShippedDemos, ReplayToTheirStoredDigests) {
    const std::string folder = std::string(BRELVOX_SOURCE_DIR) + "/Data/demos";
    logging::Sink sink = logging::SetSink([](std::string_view, std::string_view) {});
    int demos = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".dem") {
            continue;
        }
        ++demos;
        const std::string path = entry.path().string();
        std::ifstream stored(path + ".digest");
        std::string expected;
        std::getline(stored, expected);
        TDemo demo;
        std::string error;
        std::string digest;
        ASSERT_TRUE(ReadDemoFile(path, demo, error)) << error;
        ASSERT_TRUE(THeadlessGame::ReplayDigest(files::TDataRoot(BRELVOX_SOURCE_DIR), demo, digest, error))
            << error;
        EXPECT_EQ(digest, expected)
            << "Data/demos/" << entry.path().filename().string()
            << " no longer replays to its stored digest: the game plays differently. "
               "If that change is meant, regenerate the demos with scripts/make-demos "
               "and commit them.";
    }
    EXPECT_GE(demos, 2);
    logging::SetSink(sink);
}

}  // namespace

namespace {

// A session recorded where the player keeps own levels replays where the same files are, and is refused,
// the file named, where one is missing or changed.
TEST_F(Demos, PlayersLevels_ReplayOnlyWhereTheSameFilesAre) {
    const std::string user = Root + "/user";
    TLevelDescription level;
    level.Width = level.Height = 12;
    level.Codes.assign(144, kCellEmpty);
    const uint8_t enemies[4] = {1, 0, 0, 0};
    std::string error;
    ASSERT_TRUE(TUserLevels(user).Save("fort", level, enemies, error)) << error;
    TDemoHeader header;
    ASSERT_TRUE(DigestPlayData(files::TDataRoot(Root), header.Data, error, user)) << error;
    ASSERT_EQ(header.Data.back().Path, "<user>/levels/fort.txt");
    std::string problem;
    EXPECT_TRUE(MatchesPlayData(files::TDataRoot(Root), header, problem, user)) << problem;

    level.Codes[0] = kCellWater;
    ASSERT_TRUE(TUserLevels(user).Save("fort", level, enemies, error)) << error;
    EXPECT_FALSE(MatchesPlayData(files::TDataRoot(Root), header, problem, user));
    EXPECT_NE(problem.find(user + "/levels/fort.txt, which has changed"), std::string::npos) << problem;
    std::filesystem::remove_all(user);
    EXPECT_FALSE(MatchesPlayData(files::TDataRoot(Root), header, problem, user));
    EXPECT_NE(problem.find("which is missing"), std::string::npos) << problem;
    // Without the player's levels the play data is the shipped one alone.
    ASSERT_TRUE(DigestPlayData(files::TDataRoot(Root), header.Data, error, user)) << error;
    EXPECT_TRUE(MatchesPlayData(files::TDataRoot(Root), header, problem, user)) << problem;
}

}  // namespace
