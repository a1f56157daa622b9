// demobot: plays the game headless and records a demo of it. From the main menu it starts a game at
// the chosen level and plays: it drives towards the nearest bonus or enemy along the grid, aims the
// turret at the nearest enemy and fires whenever the gun is loaded; once it pauses for a moment. When
// the game's own flow ends the session (victory or game over) it types a name into the table of
// records, or leaves on the next-level screen. Everything it does goes through the game's input, so
// the demo replays it; the same options give the same bytes. With --two-players it starts a game for two
// and plays the second tank as well, the same way, on a second gamepad (D-pad, right stick, A).
//
//   demobot [--data DIR] --level N --seed S [--tries K] [--min-seconds A] [--max-seconds B]
//           [--no-replay-check] [--two-players] [--difficulty Easy|Normal|Hard]
//           [--strategy hunt|defend] --out FILE
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
#include "shell/GameFlow.h"
#include "shell/HeadlessGame.h"
#include "shell/Levels.h"
#include "shell/Settings.h"
#include "util/Files.h"
#include "util/GE_MATH.h"
#include "world/Base.h"
#include "world/Bonus.h"
#include "world/Bullet.h"
#include "world/Enemy.h"
#include "world/GameState.h"
#include "world/Player.h"
#include "world/Team.h"
#include "world/Wall.h"
#include "world/WorldContext.h"

#ifndef BRELVOX_VERSION
#define BRELVOX_VERSION "0"
#endif

namespace {

constexpr const char* kUsage =
    "Usage: demobot [--data DIR] --level N --seed S [--tries K] [--min-seconds A] [--max-seconds B]\n"
    "               [--no-replay-check] [--two-players] [--difficulty Easy|Normal|Hard]\n"
    "               [--strategy hunt|defend] --out FILE\n"
    "  Plays the game headless from the main menu at level N and records the session as a demo in\n"
    "  FILE, its world digest in FILE.digest. Seeds S, S+1, ... (K tries, default 1) are tried until a\n"
    "  session ends in victory or game over within A..B seconds (default 45..90) of game time.\n"
    "  --no-replay-check skips replaying each session's demo to compare its digest.\n"
    "  --two-players starts a game for two and plays the second tank too, on a second gamepad.\n"
    "  The game is played on Normal unless --difficulty says otherwise.\n"
    "  --strategy hunt (the default) drives to the nearest bonus or enemy; defend holds a post by the\n"
    "  base covering the enemies' ways to it and leaves it only for a bonus close by (the first tank).\n"
    "  Each session prints a line: seed, game time, the screen it ended on, won or lost, the score, ...,\n"
    "  and how the level ended (end won, base-fell, no-tanks, or cut at B seconds), lives and enemies left.\n"
    "  DEMOBOT_TRACE=1 in the environment has the defender print what it sees and does once a second\n"
    "  on stderr (DEMOBOT_TRACE=f: every frame).\n";

// Frame times of a 60 Hz display.
constexpr uint32_t kFrameMs[3] = {16, 17, 17};

struct TStats {
    double Seconds = 0.0;
    bool Ended = false;  // victory or game over reached
    std::string Ending;
    bool Won = false;  // every enemy of the level destroyed
    std::string End = "cut";  // won, base-fell, no-tanks, or cut (still playing at the time limit)
    int LivesLeft = 0;
    int EnemiesLeft = 0;      // living or still to come
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
    bool defending = false;   // the first tank holds a post by the base (TDefence) instead of hunting

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
        if (defending) {
            Defend(*map, *player, objects, enemies, bonuses);
            return;
        }

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

    // ---- The defender: holds a post by the base from which the most of the enemies' ways to it are
    // in a clear line of fire, shoots the enemy nearest the base that it can hit (never through the base,
    // its ring of bricks or rock), leaves the post for a bonus close by, and shoots a brick that bars
    // its way. It sees what a player sees: the walls, the water, the tanks, the shells, the bonuses.

    // What stands in a cell: 0 nothing, 1 brick, 2 rock, 3 water.
    static constexpr uint8_t kOpenCell = 0, kBrick = 1, kRock = 2, kWater = 3;
    // The four steps of the defender's searches, in the order they are tried.
    static constexpr int kStepX[4] = {1, 0, -1, 0};
    static constexpr int kStepY[4] = {0, -1, 0, 1};

    void SeeTerrain(const TMap& map, const TPlayer& player, const std::vector<TMoveableObject*>& objects) {
        const int w = map.Width();
        const int h = map.Height();
        std::vector<uint8_t> walls(static_cast<size_t>(w * h), kOpenCell);
        for (TMoveableObject* node : objects) {
            if (auto* wall = dynamic_cast<TWall*>(node); wall != nullptr && map.IsCell(wall->CellX, wall->CellY)) {
                // Rock is the wall of 6 hits; bricks take 3, or 5 around the base.
                walls[static_cast<size_t>(wall->CellX * h + wall->CellY)] = wall->MaxHealth > 5.5f ? kRock : kBrick;
            }
        }
        if (terrainOf_ != &map) {
            // The level's first look: what is taken and is neither a wall, the base nor the tank is water.
            terrainOf_ = &map;
            water_.assign(walls.size(), false);
            for (int x = 0; x < w; ++x) {
                for (int y = 0; y < h; ++y) {
                    const bool tank = x - player.CellX >= 0 && x - player.CellX < 2 && y - player.CellY >= 0 &&
                                      y - player.CellY < 2;
                    const bool base = map.HasBase && x - map.BaseX >= 0 && x - map.BaseX < 2 && y - map.BaseY >= 0 &&
                                      y - map.BaseY < 2;
                    water_[static_cast<size_t>(x * h + y)] =
                        map.Cell(x, y) != 0 && walls[static_cast<size_t>(x * h + y)] == kOpenCell && !tank && !base;
                }
            }
            postTimer_ = 0;
        }
        terrain_.resize(walls.size());
        for (size_t i = 0; i < walls.size(); ++i) {
            terrain_[i] = water_[i] ? kWater : walls[i];
        }
    }
    uint8_t Terrain(const TMap& map, int x, int y) const {
        return map.IsCell(x, y) ? terrain_[static_cast<size_t>(x * map.Height() + y)] : kRock;
    }
    static bool InRing(const TMap& map, int x, int y) {
        return map.HasBase && x >= map.BaseX - 1 && x <= map.BaseX + 2 && y >= map.BaseY - 1 && y <= map.BaseY + 2;
    }
    static TVector3 Centre(const TMap& map, TGridPoint footprint) {
        return TVector3{static_cast<float>(footprint.X) + 1.0f - map.Width() / 2.0f, 0.0f,
                        map.Height() / 2.0f - static_cast<float>(footprint.Y) - 1.0f};
    }

    // What a shell from `from` towards `to` meets before it gets within a tank's half-size of `to`.
    struct TLine {
        bool Base = false;  // the base, or a brick of its ring
        int Bricks = 0;
        bool Rock = false;
    };
    TLine LineOfFire(const TMap& map, TVector3 from, TVector3 to) const {
        TLine line;
        const float dx = to.X - from.X;
        const float dz = to.Z - from.Z;
        const float length = std::sqrt(dx * dx + dz * dz);
        if (length < 1e-3f) {
            return line;
        }
        const TVector3 base = map.HasBase ? Centre(map, TGridPoint{map.BaseX, map.BaseY}) : TVector3{0, 0, 0};
        int lastX = -1;
        int lastY = -1;
        for (float t = 1.0f; t < length - 0.9f; t += 0.1f) {
            const float x = from.X + dx * t / length;
            const float z = from.Z + dz * t / length;
            if (map.HasBase && std::fabs(x - base.X) < 1.15f && std::fabs(z - base.Z) < 1.15f) {
                line.Base = true;
                return line;
            }
            for (int corner = 0; corner < 4; ++corner) {
                const float px = x + ((corner & 1) != 0 ? 0.12f : -0.12f);
                const float pz = z + ((corner & 2) != 0 ? 0.12f : -0.12f);
                const int cx = static_cast<int>(std::floor(px + map.Width() / 2.0f));
                const int cy = static_cast<int>(std::floor(map.Height() / 2.0f - pz));
                const uint8_t what = Terrain(map, cx, cy);
                if (what == kRock) {
                    line.Rock = true;
                } else if (what == kBrick && (cx != lastX || cy != lastY)) {
                    line.Base = line.Base || InRing(map, cx, cy);
                    ++line.Bricks;
                    lastX = cx;
                    lastY = cy;
                }
            }
        }
        return line;
    }

    // Whether a tank may stand on footprint (x, y) as far as the level goes (walls, water; tanks aside),
    // the 6 x 6 cells about the base open when `toBase` (the way the enemies search to it).
    bool Passable(const TMap& map, int x, int y, bool toBase) const {
        if (!map.IsFootprint(x, y)) {
            return false;
        }
        for (int dx = 0; dx < 2; ++dx) {
            for (int dy = 0; dy < 2; ++dy) {
                const int cx = x + dx;
                const int cy = y + dy;
                const bool cleared = toBase && map.HasBase && cx >= map.BaseX - 2 && cx <= map.BaseX + 3 &&
                                     cy >= map.BaseY - 2 && cy <= map.BaseY + 3;
                if (!cleared && Terrain(map, cx, cy) != kOpenCell) {
                    return false;
                }
            }
        }
        return !(map.HasBase && !toBase && x > map.BaseX - 2 && x < map.BaseX + 2 && y > map.BaseY - 2 &&
                 y < map.BaseY + 2);
    }
    // Steps from `start` to every footprint (-1 where it cannot go).
    std::vector<int> Steps(const TMap& map, TGridPoint start, bool toBase) const {
        const int w = map.Width() - 1;
        const int h = map.Height() - 1;
        std::vector<int> steps(static_cast<size_t>(w * h), -1);
        if (!map.IsFootprint(start.X, start.Y)) {
            return steps;
        }
        std::deque<TGridPoint> queue{start};
        steps[static_cast<size_t>(start.X * h + start.Y)] = 0;
        while (!queue.empty()) {
            const TGridPoint p = queue.front();
            queue.pop_front();
            for (int k = 0; k < 4; ++k) {
                const int nx = p.X + kStepX[k];
                const int ny = p.Y + kStepY[k];
                if (nx < 0 || ny < 0 || nx >= w || ny >= h || steps[static_cast<size_t>(nx * h + ny)] >= 0 ||
                    !Passable(map, nx, ny, toBase)) {
                    continue;
                }
                steps[static_cast<size_t>(nx * h + ny)] = steps[static_cast<size_t>(p.X * h + p.Y)] + 1;
                queue.push_back(TGridPoint{nx, ny});
            }
        }
        return steps;
    }

    // The post: of the footprints near the base that the tank can reach, the one with the most of the
    // enemies' ways to the base (spawn point to base, as they search it) in a clear line of fire.
    TGridPoint ChoosePost(const TMap& map, TGridPoint me) const {
        if (!map.HasBase) {
            return me;
        }
        const int h = map.Height() - 1;
        const TGridPoint base{map.BaseX, map.BaseY};
        const std::vector<int> fromBase = Steps(map, base, true);
        std::vector<TGridPoint> ways;
        for (const TGridPoint& spawn : map.SpawnPoints) {
            TGridPoint p = spawn;
            int d = map.IsFootprint(p.X, p.Y) ? fromBase[static_cast<size_t>(p.X * h + p.Y)] : -1;
            while (d > 0) {
                ways.push_back(p);
                for (int k = 0; k < 4; ++k) {
                    const int nx = p.X + kStepX[k];
                    const int ny = p.Y + kStepY[k];
                    if (map.IsFootprint(nx, ny) && fromBase[static_cast<size_t>(nx * h + ny)] == d - 1) {
                        p = TGridPoint{nx, ny};
                        break;
                    }
                }
                --d;
            }
        }
        const std::vector<int> mine = Steps(map, me, false);
        TGridPoint best = me;
        float bestScore = -1e9f;
        for (int x = base.X - 6; x <= base.X + 6; ++x) {
            for (int y = base.Y - 6; y <= base.Y + 6; ++y) {
                if (!map.IsFootprint(x, y) || mine[static_cast<size_t>(x * h + y)] < 0) {
                    continue;
                }
                const TVector3 from = Centre(map, TGridPoint{x, y});
                float score = -0.3f * static_cast<float>(std::max(std::abs(x - base.X), std::abs(y - base.Y)));
                for (const TGridPoint& way : ways) {
                    const TLine line = LineOfFire(map, from, Centre(map, way));
                    score += !line.Base && !line.Rock && line.Bricks == 0 ? 1.0f : 0.0f;
                    // Between the base and a stretch of a way that looks straight at it, the tank takes
                    // the shells meant for the base (and bars the way).
                    // (An enemy's shells fly along the middle of its footprint: only a tank on the same
                    // column or row stops them.)
                    const bool column = std::abs(way.X - base.X) <= 1 && x == way.X && (y - way.Y) * (base.Y - y) > 0;
                    const bool row = std::abs(way.Y - base.Y) <= 1 && y == way.Y && (x - way.X) * (base.X - x) > 0;
                    score += column || row ? 1.5f : 0.0f;
                }
                if (score > bestScore) {
                    bestScore = score;
                    best = TGridPoint{x, y};
                }
            }
        }
        return best;
    }

    // Where an enemy will be when a shell fired now reaches it: a stepping enemy goes on the way it
    // faces (as one heading somewhere does) until the ground ahead stops it.
    TVector3 Lead(const TMap& map, const TEnemy& enemy, TVector3 from) const {
        const TVector3 p = enemy.GetPosition();
        if (enemy.MoveState != TTankMotion::Stepping) {
            return p;
        }
        const double heading = enemy.Facing * kPi / 180.0;
        const float dx = static_cast<float>(std::sin(heading));
        const float dz = static_cast<float>(std::cos(heading));
        const int stepX = enemy.Facing == 90 ? 1 : enemy.Facing == 270 ? -1 : 0;
        const int stepY = enemy.Facing == 180 ? 1 : enemy.Facing == 0 ? -1 : 0;
        // How far it can go: to the end of this step, then a footprint more for each open one ahead.
        const TVector3 end = Centre(map, TGridPoint{enemy.CellX, enemy.CellY});
        float room = std::fabs(end.X - p.X) + std::fabs(end.Z - p.Z);
        for (TGridPoint next{enemy.CellX + stepX, enemy.CellY + stepY};
             room < 12.0f && Passable(map, next.X, next.Y, true);
             next = TGridPoint{next.X + stepX, next.Y + stepY}) {
            room += 1.0f;
        }
        const float speed = 1000.0f / static_cast<float>(std::max(enemy.StepTime, 1));  // footprints a second
        TVector3 q = p;
        for (int i = 0; i < 3; ++i) {
            const float flight = std::hypot(q.X - from.X, q.Z - from.Z) / 10.0f;  // shells go 10 a second
            const float go = std::min(speed * flight, room);
            q = TVector3{p.X + dx * go, 0.0f, p.Z + dz * go};
        }
        return q;
    }

    void Defend(const TMap& map, TPlayer& player, const std::vector<TMoveableObject*>& objects,
                const std::vector<TEnemy*>& enemies, const std::vector<TBonus*>& bonuses) {
        SeeTerrain(map, player, objects);
        const TGridPoint me{player.CellX, player.CellY};
        const TVector3 at = player.GetPosition();
        if (postTimer_ <= 0) {
            post_ = ChoosePost(map, me);
            postTimer_ = 300;  // frames: the walls change as they are shot
        }
        --postTimer_;

        // The enemy to shoot: the one nearest the base (else to the tank) in a line a shell gets along.
        const TVector3 guarded = map.HasBase ? Centre(map, TGridPoint{map.BaseX, map.BaseY}) : at;
        const TEnemy* target = nullptr;
        TVector3 aim{0.0f, 0.0f, 0.0f};
        float targetRank = 1e9f;
        int x = 0;
        int y = 0;
        for (const TEnemy* enemy : enemies) {
            const TVector3 p = Lead(map, *enemy, at);
            const TLine line = LineOfFire(map, at, p);
            const float far = std::hypot(p.X - at.X, p.Z - at.Z);
            if (line.Base || line.Rock || line.Bricks > 1 || far > 16.0f || !OnScreen(p, x, y)) {
                continue;
            }
            const float rank = std::hypot(p.X - guarded.X, p.Z - guarded.Z) + 6.0f * static_cast<float>(line.Bricks);
            if (rank < targetRank) {
                targetRank = rank;
                target = enemy;
                aim = p;
            }
        }

        // Leave the post for a bonus near it; a bomb or a life from farther.
        TGridPoint goal = post_;
        const std::vector<int> mine = Steps(map, me, false);
        const int h = map.Height() - 1;
        // An enemy at the base that the tank cannot hit from here: to the nearest footprint it can.
        const TEnemy* threat = nullptr;
        int threatNear = 1 << 30;
        for (const TEnemy* enemy : enemies) {
            const int d = std::max(std::abs(enemy->CellX - map.BaseX), std::abs(enemy->CellY - map.BaseY));
            if (map.HasBase && d < threatNear) {
                threatNear = d;
                threat = enemy;
            }
        }
        if (threat != nullptr && threatNear < 5 && threat != target) {
            const TVector3 p = threat->GetPosition();
            int fewest = 13;
            for (int fx = me.X - 10; fx <= me.X + 10; ++fx) {
                for (int fy = me.Y - 10; fy <= me.Y + 10; ++fy) {
                    const int steps = map.IsFootprint(fx, fy) ? mine[static_cast<size_t>(fx * h + fy)] : -1;
                    if (steps < 0 || steps >= fewest) {
                        continue;
                    }
                    const TLine line = LineOfFire(map, Centre(map, TGridPoint{fx, fy}), p);
                    if (!line.Base && !line.Rock && line.Bricks == 0) {
                        fewest = steps;
                        goal = TGridPoint{fx, fy};
                    }
                }
            }
        }
        const TGridPoint guard = goal;
        int nearest = 1 << 30;
        for (const TBonus* bonus : bonuses) {
            const TGridPoint cell = CellOf(map, bonus->GetPosition());
            const int steps = map.IsFootprint(cell.X, cell.Y) ? mine[static_cast<size_t>(cell.X * h + cell.Y)] : -1;
            // A repair only when hit, a freeze only with enemies about; the rest always pay.
            const bool precious = (bonus->Kind != TBonus::Remount || player.Health < 7.0f) &&
                                  (bonus->Kind != TBonus::Time || enemies.size() >= 2);
            // Far only while no enemy is near the base; nothing but a bomb while one is at it.
            const int reach = guard != post_ ? (bonus->Kind == TBonus::Bomb ? 10 : 0)
                              : threatNear < 16 || player.Health < 4.0f ? 8
                              : precious ? 24 : 8;
            if (steps >= 0 && steps <= reach && steps < nearest) {
                nearest = steps;
                goal = cell;
            }
        }

        bool fire = false;
        if (target != nullptr) {
            AimAt(aim);
            fire = Lined(player, aim);
        }
        // The key of the next step from the footprint the tank is in or stepping into; while it steps,
        // held only when that step goes on the same way (a key held as a step ends begins the next).
        int key = goal == me ? -1 : StepTowards(map, me, goal);
        if (player.MoveState == TTankMotion::Stepping && key != KeyOfFacing(player.Facing)) {
            key = -1;
        }
        if (key < 0 && goal != me && target == nullptr && player.MoveState == TTankMotion::Idle) {
            // Barred (a brick, a tank): shoot along the way unless the base is behind.
            const TVector3 towards = Centre(map, goal);
            if (!LineOfFire(map, at, towards).Base && OnScreen(towards, x, y)) {
                AimAt(towards);
                fire = Lined(player, towards);
            }
        }
        input_.SetButton(0, fire);
        if (key >= 0) {
            input_.SetKey(TInput::KeyCode(key), true);
        }
        const char* trace = std::getenv("DEMOBOT_TRACE");
        if (trace != nullptr && frame_ % (trace[0] == 'f' ? 1 : 60) == 0) {
            std::fprintf(stderr, "t %llu ms %d key %d me %d,%d post %d,%d hp %.0f goal %d,%d target %s fire %d |",
                         static_cast<unsigned long long>(elapsedMs_), player.MoveState, key, me.X, me.Y, post_.X, post_.Y,
                         player.Health, goal.X, goal.Y, target ? "yes" : "no", fire ? 1 : 0);
            for (const TEnemy* enemy : enemies) {
                std::fprintf(stderr, " k%d@%d,%d m%d", enemy->Kind, enemy->CellX, enemy->CellY, enemy->Mode);
            }
            for (TMoveableObject* node : objects) {
                if (auto* base = dynamic_cast<TBase*>(node)) {
                    std::fprintf(stderr, " base %.0f", base->Health);
                }
            }
            std::fprintf(stderr, "\n");
        }
    }

    static int KeyOfFacing(uint16_t facing) {
        return facing == 0 ? KEY_W : facing == 90 ? KEY_D : facing == 180 ? KEY_S : KEY_A;
    }

    // Whether the turret (as the last frame left it: the shell leaves before this frame's aim) points
    // within a tank's half-width of `target`.
    static bool Lined(const TPlayer& player, TVector3 target) {
        const double angle = player.TowerAngle * kPi / 180.0;
        const float c = static_cast<float>(std::cos(angle));
        const float s = static_cast<float>(std::sin(angle));
        const TVector3 p = player.GetPosition();
        const float dx = target.X - p.X;
        const float dz = target.Z - p.Z;
        return dx * c + dz * s > 0.0f && std::fabs(dx * s - dz * c) < 0.6f;
    }

    bool OnScreen(const TVector3& target, int& x, int& y) {
        if (!ScreenPoint(target, x, y)) {
            return false;
        }
        const TGameState& state = game_.World().State;
        return x > 1 && y > 1 && x < state.ScreenWidth - 2 && y < state.ScreenHeight - 2;
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
    const TMap* terrainOf_ = nullptr;  // the map the water was read from
    std::vector<bool> water_;
    std::vector<uint8_t> terrain_;
    TGridPoint post_;
    int postTimer_ = 0;
};

// One session with `seed`, recorded to `path`. False with `error` when the game cannot start.
bool PlaySession(const files::TDataRoot& root, int level, uint32_t seed, uint8_t difficulty, double maxSeconds,
                 bool checkReplay, bool twoPlayers, bool defending, const std::string& path, TStats& stats,
                 std::string& digest, std::string& error) {
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
        bot.defending = defending;
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
        // How the level ended, as the game's flow decided it.
        const TGameFlow::TLevelOutcome& outcome = game.Form().Flow()->LastOutcome();
        switch (outcome.End) {
            case TGameFlow::TLevelEnd::Won:
                stats.End = "won";
                break;
            case TGameFlow::TLevelEnd::BaseFell:
                stats.End = "base-fell";
                break;
            case TGameFlow::TLevelEnd::NoTanksLeft:
                stats.End = "no-tanks";
                break;
            default:
                stats.End = "cut";
                break;
        }
        stats.LivesLeft = outcome.End == TGameFlow::TLevelEnd::Running ? state.Lives : outcome.Lives;
        stats.EnemiesLeft = outcome.EnemiesLeft;
        if (outcome.End == TGameFlow::TLevelEnd::Running) {
            stats.EnemiesLeft = state.EnemiesAlive;
            for (int32_t quota : state.EnemyQuota) {
                stats.EnemiesLeft += quota;
            }
        }
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
    bool defending = false;
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
        } else if (arg == "--strategy") {
            if (value != "hunt" && value != "defend") {
                std::fprintf(stderr, "demobot: --strategy is hunt or defend\n%s", kUsage);
                return 2;
            }
            defending = value == "defend";
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
                         twoPlayers, defending, out, stats, digest, error)) {
            std::fprintf(stderr, "demobot: %s\n", error.c_str());
            return 1;
        }
        std::printf(
            "seed %u: %.1f s, %s (%s), %s, score %d, most enemies %d, most shells %d, scores %d, bonuses %d, "
            "smoke %s, end %s, lives %d, enemies left %d\n",
            seed + static_cast<uint32_t>(t), stats.Seconds, stats.Ended ? "ended" : "cut",
            stats.Ending.c_str(), stats.Won ? "won" : "lost", stats.Score, stats.MostEnemies,
            stats.MostShells, stats.Kills, stats.Bonuses, stats.Smoke ? "yes" : "no", stats.End.c_str(),
            stats.LivesLeft, stats.EnemiesLeft);
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
