// What the callers rely on of the battle and menu services.
#include "shell_fixture.h"

#include "battle/battle_services.h"
#include "battle/battle_state.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "menu/frame/menu_widgets.h"
#include "menu/menu_services.h"

namespace {

class ServicesTest : public ShellTest {};

TEST_F(ServicesTest, GaugeFullIsTwentyLessTheBattleWaitInHundredsAndNeverZero) {
    EXPECT_EQ(gGaugeFull, 900);  // before the first battle
    const struct {
        uint32_t setting;
        int32_t full;
    } cases[] = {{0, 2000}, {10, 1000}, {11, 900}, {19, 100}, {20, 100}, {21, 100}, {255, 100}};
    for (const auto& c : cases) {
        SetBattleWaitTime(c.setting);
        EXPECT_EQ(gGaugeFull, c.full) << c.setting;
    }
}

TEST_F(ServicesTest, MenuFillStaysInsideTheDrawingClip) {
    gBackBuffer = CreateSurface(640, 480);
    ASSERT_NE(gBackBuffer, nullptr);
    ASSERT_EQ(SetClip(100, 100, 200, 150), 1);
    FillMenuRect(90, 90, 50, 50, 31, 31, 31, 0);
    auto at = [](int x, int y) { return gBackBuffer->pixels[y * gBackBuffer->pitch / 2 + x]; };
    EXPECT_EQ(at(99, 120), 0);
    EXPECT_EQ(at(120, 99), 0);
    EXPECT_NE(at(100, 100), 0);
    EXPECT_NE(at(139, 139), 0);
    EXPECT_EQ(at(140, 139), 0);
    // Wholly outside the clip, or a mode above 5: nothing.
    FillMenuRect(300, 300, 20, 20, 31, 31, 31, 1);
    EXPECT_EQ(at(310, 310), 0);
    FillMenuRect(150, 120, 10, 10, 31, 31, 31, 6);
    EXPECT_EQ(at(155, 125), 0);
    // The framed box of the pause banner is not held by the clip: its box
    // darkens what lies under it.
    const uint16_t white = static_cast<uint16_t>(MakeColour(31, 31, 31));
    gBackBuffer->pixels[310 * gBackBuffer->pitch / 2 + 310] = white;
    DrawFramedBox(300, 300, 20, 20, 0, 0, 0, 0);
    EXPECT_NE(at(310, 310), 0);
    EXPECT_NE(at(310, 310), white);
}

} // namespace
