#include "world/GameState.h"

#include <gtest/gtest.h>

TEST(GameState, StartsWithTheDocumentedDefaults) {
    const TGameState s;
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

TEST(GameState, AFreshValueRestoresEverything) {
    TGameState s;
    s.Score = 1234;
    s.Windowed = false;
    s.EnemyQuota[2] = 7;
    s.GameOver = true;
    s.Map = std::make_unique<TMap>(4, 4);
    s = TGameState();
    EXPECT_EQ(s.Score, 0);
    EXPECT_TRUE(s.Windowed);
    EXPECT_EQ(s.EnemyQuota[2], 0);
    EXPECT_FALSE(s.GameOver);
    EXPECT_EQ(s.Map, nullptr);
}
