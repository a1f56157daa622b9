#include "world/GameState.h"

#include <gtest/gtest.h>

TEST(GameState, StartsWithTheDocumentedDefaults) {
    ResetGameState();
    const TGameState& s = GameState();
    EXPECT_TRUE(s.Windowed);
    EXPECT_EQ(s.ScreenWidth, 800);
    EXPECT_EQ(s.ScreenHeight, 600);
    EXPECT_EQ(s.Language, kLanguageUkrainian);
    EXPECT_EQ(s.PlayerMaxHealth, 10);
    EXPECT_EQ(s.BaseMaxHealth, 20);
    EXPECT_EQ(s.AttackBaseTime, 10000);
    EXPECT_EQ(s.ChasePlayerTime, 10000);
    EXPECT_EQ(s.WanderTime, 5000);
    EXPECT_FALSE(s.InGame);
    EXPECT_FALSE(s.Paused);
    EXPECT_EQ(s.Score, 0);
    EXPECT_EQ(s.EnemiesAlive, 0);
    EXPECT_EQ(s.EnemyQuota[3], 0);
}

TEST(GameState, OneInstanceAndResetRestoresEverything) {
    TGameState& s = GameState();
    s.Score = 1234;
    s.Windowed = false;
    s.EnemyQuota[2] = 7;
    s.GameOver = true;
    EXPECT_EQ(&GameState(), &s);
    EXPECT_EQ(GameState().Score, 1234);
    ResetGameState();
    EXPECT_EQ(s.Score, 0);
    EXPECT_TRUE(s.Windowed);
    EXPECT_EQ(s.EnemyQuota[2], 0);
    EXPECT_FALSE(s.GameOver);
}
