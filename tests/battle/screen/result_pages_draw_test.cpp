// The result pages on a real back buffer: the boxes open where the page
// puts them, and nothing is drawn outside them.
#include <gtest/gtest.h>

#include "battle/battle_state.h"
#include "battle/results/battle_results.h"
#include "tests/battle/screen/battle_screen_fixture.h"

namespace {

class ResultPagesDrawTest : public BattleScreenTest {};

TEST_F(ResultPagesDrawTest, TheDefeatPageOpensItsBoxesAndDrawsNothingElse) {
    Fill(0);
    fMenu = 103;
    for (int i = 0; i < 10; ++i) {
        Fill(0);
        BattleResults();
    }
    // Title box 172..204 and lower box 208..244, both from x 200 to 440,
    // tinted blue on black.
    EXPECT_GT(Blue(At(300, 190)), 0);
    EXPECT_GT(Blue(At(300, 230)), 0);
    EXPECT_EQ(Red(At(300, 230)), 0);
    for (const auto& [x, y] : {std::pair{100, 230}, {500, 230}, {300, 150}, {300, 260}, {0, 0}, {639, 479}})
        EXPECT_EQ(At(x, y), 0) << x << "," << y;
    EXPECT_EQ(gLeaveBattle, 0u);
}

TEST_F(ResultPagesDrawTest, TheVictoryBoxGrowsByHalvesToItsBottom) {
    fMenu = 100;
    std::vector<int> heights;
    for (int i = 0; i < 10; ++i) {
        Fill(0);
        BattleResults();
        heights.push_back(gResultHeight);
    }
    // From 212 to 284: 72 pixels, halved each frame until the step is 0.
    EXPECT_EQ(heights[0], 36);
    EXPECT_EQ(heights[1], 54);
    EXPECT_EQ(heights.back(), 72);
    EXPECT_GT(Blue(At(300, 280)), 0);
    EXPECT_EQ(At(300, 300), 0);
}

}  // namespace
