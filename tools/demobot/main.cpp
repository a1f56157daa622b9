// demobot: plays the game headless and records a demo of it. From the main menu it starts a game at
// the chosen level and plays: it drives towards the nearest bonus or enemy along the grid, aims the
// turret at the nearest enemy and fires whenever the gun is loaded; once it pauses for a moment. When
// the game's own flow ends the session (victory or game over) it types a name into the table of
// records, or leaves on the next-level screen. Everything it does goes through the game's input, so
// the demo replays it; the same options give the same bytes. With --two-players it starts a game for two
// and plays the second tank as well, the same way, on a second gamepad (D-pad, right stick, A).
//
//   demobot [--data DIR] --level N --seed S [--tries K] [--min-seconds A] [--max-seconds B]
//           [--no-replay-check] [--two-players] [--difficulty Easy|Normal|Hard] --out FILE
//
// With --tries the seeds S, S+1, ... are tried until a session ends in the game's flow within A..B
// seconds of game time; the demo of that seed is kept and its digest written to FILE.digest.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "shell/Demo.h"
#include "shell/HeadlessGame.h"
#include "shell/Levels.h"
#include "shell/Settings.h"
#include "util/Files.h"
#include "util/GE_MATH.h"
#include "world/Bonus.h"
#include "world/Bullet.h"
#include "world/Enemy.h"
#include "world/GameState.h"
#include "world/Player.h"
#include "world/Team.h"
#include "world/WorldContext.h"

#ifndef BRELVOX_VERSION
#define BRELVOX_VERSION "0"
#endif

namespace {

constexpr const char* kUsage =
    "Usage: demobot [--data DIR] --level N --seed S [--tries K] [--min-seconds A] [--max-seconds B]\n"
    "               [--no-replay-check] [--two-players] [--difficulty Easy|Normal|Hard] --out FILE\n"
    "  Plays the game headless from the main menu at level N and records the session as a demo in\n"
    "  FILE, its world digest in FILE.digest. Seeds S, S+1, ... (K tries, default 1) are tried until a\n"
    "  session ends in victory or game over within A..B seconds (default 45..90) of game time.\n"
    "  --no-replay-check skips replaying each session's demo to compare its digest.\n"
    "  --two-players starts a game for two and plays the second tank too, on a second gamepad.\n"
    "  The game is played on Normal unless --difficulty says otherwise.\n";

// Frame times of a 60 Hz display.
constexpr uint32_t kFrameMs[3] = {16, 17, 17};

struct TStats {
    double Seconds = 0.0;
    bool Ended = false;  // victory or game over reached
    std::string Ending;
    bool Won = false;  // every enemy of the level destroyed
    int Score = 0;
    int MostEnemies = 0;
    int MostShells = 0;
    int Kills = 0;
    int Bonuses = 0;
    bool Smoke = false;
};

class TBot {
public:
    explicit TBot(THeadlessGame& game) : game_(game), input_(game.Input()) {}

    // One frame: decide, then let the game run it.
    void Frame() {
        const uint32_t ms = kFrameMs[frame_ % 3];
        ++frame_;
        Decide();
        game_.Frame(ms);
        elapsedMs_ += ms;
    }
    uint64_t ElapsedMs() const { return elapsedMs_; }
    TStats Stats;

    void Wait(int frames) {
        for (int i = 0; i < frames; ++i) {
            Frame();
        }
    }

    // Moves the cursor onto (x, y) of the 800 x 600 client area over a few frames.
    void PointAt(int x, int y) {
        for (int i = 0; i < 8; ++i) {
            input_.MoveMouse(x - game_.Form().Display().CursorClientX(),
                             y - game_.Form().Display().CursorClientY());
            Frame();
        }
    }
    void Click(int x, int y) {
        PointAt(x, y);
        input_.SetButton(0, true);
        Wait(3);
        input_.SetButton(0, false);
        Wait(20);
    }
    void Tap(int keyIndex) {
        input_.SetKey(TInput::KeyCode(keyIndex), true);
        Wait(3);
        input_.SetKey(TInput::KeyCode(keyIndex), false);
        Wait(10);
    }
    void Type(const char* text) {
        for (const char* c = text; *c != '\0'; ++c) {
            for (int key = 0; key < TInput::KeyCount; ++key) {
                if (TInput::CharOf(TInput::LayoutEnglish, false, key) == static_cast<uint8_t>(*c)) {
                    Tap(key);
                    break;
                }
            }
        }
    }

    bool Playing() const { return game_.World().State.InGame; }
    std::string Screen() { return game_.Form().Services().GUI->GetActiveFormName(); }

    bool driving = false;     // the bot plays the level in Decide
    bool twoPlayers = false;  // it plays the second tank too

private:
    struct TTarget {
        bool Found = false;
        TGridPoint Cell;
        TVector3 Position{0.0f, 0.0f, 0.0f};
    };

    void Decide() {
        if (!driving) {
            return;  // the menus: Click, Tap and Type hold what they press
        }
        input_.ReleaseAll();
        if (!Playing() || game_.World().State.Paused) {
            return;
        }
        TMoveableObject* level = LevelNode(game_.World());
        TMap* map = CurrentMap(game_.World());
        if (level == nullptr || map == nullptr) {
            return;
        }
        std::vector<TMoveableObject*> objects;
        level->CollectObjects(objects);
        TPlayer* player = nullptr;
        std::vector<TEnemy*> enemies;
        std::vector<TBonus*> bonuses;
        int shells = 0;
        for (TMoveableObject* node : objects) {
            if (auto* p = dynamic_cast<TPlayer*>(node)) {
                player = p;
            } else if (auto* e = dynamic_cast<TEnemy*>(node)) {
                enemies.push_back(e);
                Stats.Smoke = Stats.Smoke || e->Smoking;
            } else if (auto* b = dynamic_cast<TBonus*>(node)) {
                bonuses.push_back(b);
            } else if (dynamic_cast<TBullet*>(node) != nullptr) {
                ++shells;
            }
        }
        Stats.MostEnemies = std::max(Stats.MostEnemies, static_cast<int>(enemies.size()));
        Stats.MostShells = std::max(Stats.MostShells, shells);
        Stats.Bonuses = std::max(Stats.Bonuses, static_cast<int>(bonuses.size()));
        if (twoPlayers) {
            player = FindPlayerTank(game_.World(), 0);
            PlaySecondTank(*map, enemies, bonuses);
        }
        if (player == nullptr) {
            return;
        }
        Stats.Smoke = Stats.Smoke || player->Smoking;
        const TGridPoint me{player->CellX, player->CellY};

        // Aim at the nearest enemy and fire.
        const TChoice choice = Choose(*map, me, enemies, bonuses);
        TEnemy* nearest = choice.Nearest;
        const int best = choice.Best;
        if (nearest != nullptr) {
            AimAt(nearest->GetPosition());
            input_.SetButton(0, best < 16);
        }
        const TGridPoint goal = choice.Goal;
        const bool haveGoal = choice.HaveGoal;
        if (haveGoal && player->MoveState == TTankMotion::Idle) {
            int key = StepTowards(*map, me, goal);
            if (key >= 0) {
                input_.SetKey(TInput::KeyCode(key), true);
            }
        } else if (haveGoal && lastKey_ >= 0) {
            input_.SetKey(TInput::KeyCode(lastKey_), true);
        }
    }

    // What a tank at `me` goes for: the nearest enemy (Manhattan distance `Best`) to aim at, and the
    // nearest bonus to drive to, else the nearest enemy when it is more than 5 footprints away.
    struct TChoice {
        TEnemy* Nearest = nullptr;
        int Best = 1 << 30;
        TGridPoint Goal;
        bool HaveGoal = false;
    };
    static TChoice Choose(const TMap& map, TGridPoint me, const std::vector<TEnemy*>& enemies,
                          const std::vector<TBonus*>& bonuses) {
        TChoice choice;
        for (TEnemy* enemy : enemies) {
            int d = std::abs(enemy->CellX - me.X) + std::abs(enemy->CellY - me.Y);
            if (d < choice.Best) {
                choice.Best = d;
                choice.Nearest = enemy;
            }
        }
        choice.Goal = me;
        int bestBonus = 1 << 30;
        for (TBonus* bonus : bonuses) {
            TGridPoint cell = CellOf(map, bonus->GetPosition());
            int d = std::abs(cell.X - me.X) + std::abs(cell.Y - me.Y);
            if (d < bestBonus) {
                bestBonus = d;
                choice.Goal = cell;
                choice.HaveGoal = true;
            }
        }
        if (!choice.HaveGoal && choice.Nearest != nullptr && choice.Best > 5) {
            choice.Goal = TGridPoint{choice.Nearest->CellX, choice.Nearest->CellY};
            choice.HaveGoal = true;
        }
        return choice;
    }

    // The second tank on its gamepad: the same choices as the first's, the D-pad for the keys, the right
    // stick towards the target for the mouse, A for the button.
    void PlaySecondTank(const TMap& map, const std::vector<TEnemy*>& enemies,
                        const std::vector<TBonus*>& bonuses) {
        platform::GamepadSnapshot pad;
        pad.Connected = true;
        TPlayer* tank = FindPlayerTank(game_.World(), 1);
        if (tank == nullptr) {
            input_.SetSecondGamepad(pad);
            return;
        }
        const TGridPoint me{tank->CellX, tank->CellY};
        const TChoice choice = Choose(map, me, enemies, bonuses);
        if (choice.Nearest != nullptr) {
            int x = 0;
            int y = 0;
            if (ScreenPoint(choice.Nearest->GetPosition(), x, y)) {
                const TTeamPlay& team = game_.Form().Flow()->Team();
                const auto tilt = [](int apart) {
                    return static_cast<int16_t>(std::clamp(apart * 600, -32767, 32767));
                };
                pad.Axes[platform::GamepadRightX] = tilt(x - team.SecondCursorX());
                pad.Axes[platform::GamepadRightY] = tilt(y - team.SecondCursorY());
            }
            pad.Buttons[platform::GamepadA] = choice.Best < 16 ? 0x80 : 0;
        }
        const TGridPoint goal = choice.Goal;
        const bool haveGoal = choice.HaveGoal;
        int key = -1;
        if (haveGoal && tank->MoveState == TTankMotion::Idle) {
            std::swap(lastKey_, secondLastKey_);
            key = StepTowards(map, me, goal);
            std::swap(lastKey_, secondLastKey_);
        } else if (haveGoal) {
            key = secondLastKey_;
        }
        const platform::GamepadButton dpad = key == KEY_W   ? platform::GamepadDpadUp
                                             : key == KEY_S ? platform::GamepadDpadDown
                                             : key == KEY_A ? platform::GamepadDpadLeft
                                                            : platform::GamepadDpadRight;
        if (key >= 0) {
            pad.Buttons[dpad] = 0x80;
        }
        input_.SetSecondGamepad(pad);
    }

    // Where a ground point is on the 800 x 600 screen through the game's camera; false behind it.
    bool ScreenPoint(const TVector3& target, int& x, int& y) {
        TCamera& camera = *game_.Form().Services().SceneManager->GetCamera();
        TMatrix viewProjection = MatrixMultiply(camera.GetView(), camera.GetProjection());
        TVector4 clip = Vector4Transform(Vector4(target.X, 0.0f, target.Z, 1.0f), viewProjection);
        if (clip.W <= 0.0f) {
            return false;
        }
        const TGameState& state = game_.World().State;
        x = static_cast<int>((clip.X / clip.W + 1.0f) * 0.5f * static_cast<float>(state.ScreenWidth));
        y = static_cast<int>((1.0f - clip.Y / clip.W) * 0.5f * static_cast<float>(state.ScreenHeight));
        x = std::clamp(x, 1, state.ScreenWidth - 2);
        y = std::clamp(y, 1, state.ScreenHeight - 2);
        return true;
    }

    static TGridPoint CellOf(const TMap& map, const TVector3& p) {
        // The footprint whose centre is nearest: centre x = X + 1 - W/2, z = H/2 - Y - 1.
        int x = static_cast<int>(std::lround(p.X - 1.0f + map.Width() / 2.0f));
        int y = static_cast<int>(std::lround(map.Height() / 2.0f - 1.0f - p.Z));
        return TGridPoint{std::clamp(x, 0, map.Width() - 2), std::clamp(y, 0, map.Height() - 2)};
    }

    // Whether the tank can stand on footprint (x, y): its cells are free or the tank's own.
    static bool Open(const TMap& map, TGridPoint me, int x, int y) {
        if (!map.IsFootprint(x, y)) {
            return false;
        }
        for (int dx = 0; dx < 2; ++dx) {
            for (int dy = 0; dy < 2; ++dy) {
                int cx = x + dx;
                int cy = y + dy;
                bool own = cx >= me.X && cx <= me.X + 1 && cy >= me.Y && cy <= me.Y + 1;
                if (!own && map.Cell(cx, cy) != 0) {
                    return false;
                }
            }
        }
        return true;
    }

    // The key (W up a row, D right, S down, A left) of the first step of a shortest way to the goal, or
    // to the reachable footprint nearest to it; -1 when the tank is there.
    int StepTowards(const TMap& map, TGridPoint me, TGridPoint goal) {
        const int w = map.Width() - 1;
        const int h = map.Height() - 1;
        std::vector<int> from(static_cast<size_t>(w * h), -1);
        std::deque<TGridPoint> queue{me};
        from[static_cast<size_t>(me.X * h + me.Y)] = me.X * h + me.Y;
        const int dxs[4] = {0, 1, 0, -1};
        const int dys[4] = {-1, 0, 1, 0};
        TGridPoint bestPoint = me;
        int bestDistance = std::abs(goal.X - me.X) + std::abs(goal.Y - me.Y);
        while (!queue.empty()) {
            TGridPoint p = queue.front();
            queue.pop_front();
            int d = std::abs(goal.X - p.X) + std::abs(goal.Y - p.Y);
            if (d < bestDistance) {
                bestDistance = d;
                bestPoint = p;
            }
            for (int k = 0; k < 4; ++k) {
                int nx = p.X + dxs[k];
                int ny = p.Y + dys[k];
                if (nx < 0 || ny < 0 || nx >= w || ny >= h || from[static_cast<size_t>(nx * h + ny)] >= 0 ||
                    !Open(map, me, nx, ny)) {
                    continue;
                }
                from[static_cast<size_t>(nx * h + ny)] = p.X * h + p.Y;
                queue.push_back(TGridPoint{nx, ny});
            }
        }
        if (bestPoint == me) {
            // Nothing nearer can be reached: shoot the way free (walls break) by facing the goal.
            lastKey_ = -1;
            return -1;
        }
        TGridPoint step = bestPoint;
        while (true) {
            int back = from[static_cast<size_t>(step.X * h + step.Y)];
            TGridPoint prev{back / h, back % h};
            if (prev == me) {
                break;
            }
            step = prev;
        }
        int key = step.Y < me.Y ? KEY_W : step.X > me.X ? KEY_D : step.Y > me.Y ? KEY_S : KEY_A;
        lastKey_ = key;
        return key;
    }

    void AimAt(const TVector3& target) {
        int x = 0;
        int y = 0;
        if (!ScreenPoint(target, x, y)) {
            return;
        }
        input_.MoveMouse(x - game_.Form().Display().CursorClientX(),
                         y - game_.Form().Display().CursorClientY());
    }

    THeadlessGame& game_;
    platform::ScriptedInputDevice& input_;
    uint64_t frame_ = 0;
    uint64_t elapsedMs_ = 0;
    int lastKey_ = -1;
    int secondLastKey_ = -1;
};

// One session with `seed`, recorded to `path`. False with `error` when the game cannot start.
bool PlaySession(const files::TDataRoot& root, int level, uint32_t seed, uint8_t difficulty, double maxSeconds,
                 bool checkReplay, bool twoPlayers, const std::string& path, TStats& stats, std::string& digest,
                 std::string& error) {
    {
        THeadlessGame game(root);
        game.Form().Demos().SetFirstLevel(static_cast<uint8_t>(level - 1));
        game.Form().Demos().SetSeed(seed);
        game.Form().Demos().SetDifficulty(difficulty);
        if (!game.Start(error)) {
            return false;
        }
        TDemoHeader header;
        header.GameVersion = BRELVOX_VERSION;
        header.Seed = game.Form().Demos().Seed();
        header.Options = game.Form().Demos().SessionOptions();
        TDemoWriter writer;
        if (!DigestPlayData(root, header.Data, error) || !writer.Open(path, header, error)) {
            return false;
        }
        game.Form().Demos().SetRecorder(&writer);

        TBot bot(game);
        bot.twoPlayers = twoPlayers;
        if (twoPlayers) {
            platform::GamepadSnapshot pad;
            pad.Connected = true;
            game.Input().SetSecondGamepad(pad);  // attached beside no first one: it is the second player's
        }
        bot.Wait(60);
        bot.Click(twoPlayers ? 190 : 400, twoPlayers ? 470 : 170);  // Two players, or Play
        bot.driving = true;
        bool paused = false;
        int scoreBefore = game.World().State.Score;
        while (bot.Playing() && bot.ElapsedMs() < static_cast<uint64_t>(maxSeconds * 1000.0)) {
            bot.Frame();
            if (game.World().State.Score > scoreBefore) {
                ++bot.Stats.Kills;  // an enemy or a bonus scored
                scoreBefore = game.World().State.Score;
            }
            if (!paused && bot.ElapsedMs() > 20000) {
                paused = true;
                bot.driving = false;
                bot.Tap(KEY_ESCAPE);
                bot.Wait(90);
                bot.Tap(KEY_ESCAPE);
                bot.driving = true;
            }
        }
        bot.driving = false;
        stats = bot.Stats;
        stats.Ended = !bot.Playing();
        stats.Ending = bot.Screen();
        // Won: the next-level screen, or after the last level the record entry with every enemy gone
        // (the base's fall as the level unloads says nothing).
        const TGameState& state = game.World().State;
        const TLevels* levels = game.Form().Services().Levels.get();
        const bool lastLevel = levels != nullptr && state.LevelIndex + 1 >= levels->Count();
        stats.Won = stats.Ending == "NextLevel" || (stats.Ending == "EnterName" && lastLevel &&
                                                    state.AllEnemiesSpawned && state.EnemiesAlive == 0);
        stats.Score = state.Score;
        if (stats.Ended) {
            bot.Wait(90);
            if (bot.Screen() == "EnterName") {
                bot.Type("bot");
                bot.Click(400, 370);  // OK
                bot.Wait(60);
            }
        }
        stats.Seconds = static_cast<double>(bot.ElapsedMs()) / 1000.0;
        digest = DigestText(game.Form().Demos().Digest());
        writer.Close();
    }
    if (!checkReplay) {
        return true;
    }
    // The stored digest is the replay's; a replay that ends elsewhere than the session is a fault.
    TDemo demo;
    std::string replayed;
    if (!ReadDemoFile(path, demo, error) || !THeadlessGame::ReplayDigest(root, demo, replayed, error)) {
        return false;
    }
    if (replayed != digest) {
        error = path + ": the replay ends in another world than the session (" + replayed + " against " +
                digest + ")";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string data = ".";
    std::string out;
    int level = 1;
    uint32_t seed = 1;
    int tries = 1;
    uint8_t difficulty = kDifficultyNormal;
    double minSeconds = 45.0;
    double maxSeconds = 90.0;
    bool checkReplay = true;
    bool twoPlayers = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--no-replay-check") {
            checkReplay = false;
            continue;
        }
        if (arg == "--two-players") {
            twoPlayers = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "demobot: %s needs a value\n%s", arg.c_str(), kUsage);
            return 2;
        }
        std::string value = argv[++i];
        if (arg == "--data") {
            data = value;
        } else if (arg == "--out") {
            out = value;
        } else if (arg == "--level") {
            level = std::atoi(value.c_str());
        } else if (arg == "--seed") {
            seed = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
        } else if (arg == "--difficulty") {
            difficulty = kDifficultyCount;
            for (uint8_t d = 0; d < kDifficultyCount; ++d) {
                difficulty = value == DifficultyName(d) ? d : difficulty;
            }
            if (difficulty == kDifficultyCount) {
                std::fprintf(stderr, "demobot: --difficulty is Easy, Normal or Hard\n%s", kUsage);
                return 2;
            }
        } else if (arg == "--tries") {
            tries = std::atoi(value.c_str());
        } else if (arg == "--min-seconds") {
            minSeconds = std::atof(value.c_str());
        } else if (arg == "--max-seconds") {
            maxSeconds = std::atof(value.c_str());
        } else {
            std::fprintf(stderr, "demobot: unknown option \"%s\"\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    if (out.empty() || level < 1 || level > 255 || tries < 1) {
        std::fprintf(stderr, "demobot: --out FILE, a --level from 1 and --tries from 1 are needed\n%s",
                     kUsage);
        return 2;
    }
    const files::TDataRoot root(data);
    for (int t = 0; t < tries; ++t) {
        TStats stats;
        std::string digest;
        std::string error;
        if (!PlaySession(root, level, seed + static_cast<uint32_t>(t), difficulty, maxSeconds, checkReplay,
                         twoPlayers, out, stats, digest, error)) {
            std::fprintf(stderr, "demobot: %s\n", error.c_str());
            return 1;
        }
        std::printf(
            "seed %u: %.1f s, %s (%s), %s, score %d, most enemies %d, most shells %d, scores %d, bonuses %d, "
            "smoke %s\n",
            seed + static_cast<uint32_t>(t), stats.Seconds, stats.Ended ? "ended" : "cut",
            stats.Ending.c_str(), stats.Won ? "won" : "lost", stats.Score, stats.MostEnemies,
            stats.MostShells, stats.Kills, stats.Bonuses, stats.Smoke ? "yes" : "no");
        if (stats.Ended && stats.Seconds >= minSeconds && stats.Seconds <= maxSeconds) {
            std::FILE* file = std::fopen((out + ".digest").c_str(), "wb");
            if (file == nullptr) {
                std::fprintf(stderr, "demobot: %s.digest cannot be written\n", out.c_str());
                return 1;
            }
            std::fprintf(file, "%s\n", digest.c_str());
            std::fclose(file);
            std::printf("%s\n", digest.c_str());
            return 0;
        }
    }
    std::fprintf(stderr, "demobot: no seed gave a session that ends within %.0f..%.0f s\n", minSeconds,
                 maxSeconds);
    return 1;
}
