// The battle scene file: the index, its variant overlap, and refusals.
#include <gtest/gtest.h>

#include <string>

#include "battle/scene/scene_file.h"
#include "platform/headless/headless.h"
#include "tests/support/temp_folder.h"
#include "tools/file_writer.h"
#include "tools/scene_writer.h"

namespace {

BattleSceneRecord Scene(uint32_t background, uint16_t enemies) {
    BattleSceneRecord r{};
    r.background = background;
    r.enemyCount = enemies;
    for (int i = 0; i < enemies && i < kSceneEnemies; ++i) {
        r.monsterId[i] = uint16_t(2001 + i);
        r.homeX[i] = uint16_t(100 + i);
        r.homeY[i] = uint16_t(200 + i);
    }
    r.spriteCount = 1;
    r.spriteAct[0] = 7;
    r.spriteX[0] = -5;
    return r;
}

class SceneFileTest : public ::testing::Test {
protected:
    void SetUp() override { HeadlessReset(); }
    std::string Write(const std::vector<uint8_t>& bytes) {
        std::string path = folder.Path() + "battle.ffd";
        EXPECT_TRUE(WriteBytesToFile(path.c_str(), bytes));
        return path;
    }
    TempFolder folder{"scene"};
};

TEST_F(SceneFileTest, ScenesAndVariantsRoundTripThroughTheWriter) {
    std::string path = Write(BuildBattleFfd({{1, {Scene(1, 2)}}, {3, {Scene(30, 1), Scene(31, 3)}}}));
    BattleSceneRecord r{};
    ASSERT_EQ(gSceneFile.LoadSceneRecord(path.c_str(), &r, 1, 0), 1);
    EXPECT_EQ(r.background, 1u);
    EXPECT_EQ(r.enemyCount, 2);
    EXPECT_EQ(r.monsterId[1], 2002);
    EXPECT_EQ(r.homeY[1], 201);
    EXPECT_EQ(r.spriteX[0], -5);
    ASSERT_EQ(gSceneFile.LoadSceneRecord(path.c_str(), &r, 3, 1), 1);
    EXPECT_EQ(r.background, 31u);
    ASSERT_EQ(gSceneFile.LoadSceneRecord(path.c_str(), &r, 3, 0), 1);
    EXPECT_EQ(r.background, 30u);
    // Variant 0 of scene 3 is the entry of scene 1's last variant (its count).
    ASSERT_EQ(gSceneFile.LoadSceneRecord(path.c_str(), &r, 1, 1), 1);
    EXPECT_EQ(r.background, 30u);
}

TEST_F(SceneFileTest, RefusedReadsLeaveTheRecordAsItWas) {
    std::string path = Write(BuildBattleFfd({{1, {Scene(1, 2)}}, {2, {Scene(2, 1)}}}));
    BattleSceneRecord r = Scene(99, 3);
    const struct {
        int scene;
        int variant;
    } refused[] = {{0, 0}, {4, 0}, {1999, 0}, {2000, 0}, {65535, 0}, {1, -1}, {1, -128}, {1, 2}};
    for (const auto& c : refused) {
        EXPECT_EQ(gSceneFile.LoadSceneRecord(path.c_str(), &r, uint16_t(c.scene), int8_t(c.variant)), 0)
            << c.scene << "/" << c.variant;
        EXPECT_EQ(r.background, 99u);
    }
    EXPECT_EQ(gSceneFile.LoadSceneRecord((folder.Path() + "none.ffd").c_str(), &r, 1, 0), 0);
}

TEST_F(SceneFileTest, AShortFileOrARecordPastItsEndIsRefused) {
    std::vector<uint8_t> bytes = BuildBattleFfd({{1, {Scene(1, 2)}}});
    std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 10);
    std::string path = Write(cut);
    BattleSceneRecord r = Scene(99, 3);
    EXPECT_EQ(gSceneFile.LoadSceneRecord(path.c_str(), &r, 1, 0), 0);
    EXPECT_EQ(r.background, 99u);
    bytes[4 * 1] = 0xFF;  // record number far past the end
    path = Write(bytes);
    EXPECT_EQ(gSceneFile.LoadSceneRecord(path.c_str(), &r, 1, 0), 0);
    path = Write(std::vector<uint8_t>(100, 0));  // not even a header
    EXPECT_EQ(gSceneFile.LoadSceneIndex(path.c_str()), 0);
}

TEST_F(SceneFileTest, CountsAreCutToTheTables) {
    BattleSceneRecord big = Scene(1, 20);
    std::vector<uint8_t> bytes = SceneRecordBytes(big);
    bytes[152] = 200;
    bytes[36] = 50;
    BattleSceneRecord r;
    ParseSceneRecord(bytes.data(), &r);
    EXPECT_EQ(r.enemyCount, kSceneEnemies);
    EXPECT_EQ(r.spriteCount, kSceneSprites);
}

}  // namespace
