// The equipment and magic pages on the sample install, headless through the
// game frame: after the opening talk the menu is opened, the staff of the
// starting bag is put on from the equipment page and the healing magic is
// cast from the magic page, then the menu is left.
#include "shell_fixture.h"
#include "sample_game.h"

#include <string>
#include <unistd.h>

#include "base/game_state.h"
#include "base/random.h"
#include "draw/act_pack.h"
#include "draw/dialog_node.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"
#include "menu/equip/equip_page.h"
#include "menu/frame/menu_frame.h"
#include "menu/magic/magic_page.h"
#include "menu/menu_services.h"
#include "platform/plat_clock.h"
#include "shell/game_frame.h"
#include "shell/game_start.h"
#include "world/new_game.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/role/role_helpers.h"
#include "world/script/path_run.h"
#include "world/script/talk_machine.h"
#include "world/talk_state.h"
#include "world/walk/key_cole.h"
#include "world/walk/key_state.h"
#include "world/walk/player_walk.h"
#include "world/world_reset.h"

namespace {

constexpr uint16_t kStaff = 450, kMend = 460;

class EquipMagicSampleTest : public SampleGameTest {
protected:
    void ResetPages() override {
        ResetEquipPage();
        ResetMagicPage();
    }
    // A press and a frame more for the page to answer.
    static void Tap(int record) {
        Press(record);
        Frames(1);
    }
};

TEST_F(EquipMagicSampleTest, TheStaffIsPutOnAndMendIsCast) {
    StartNewGame();
    FinishOpening();
    ASSERT_NE(FindItem(gInventory, kStaff), nullptr) << "the starting bag has the staff";
    gMenuRequest = kMenuPending | kMenuRoot;
    Frames(2);
    ASSERT_EQ(gMenu.depth, kDepthRoot);
    Tap(kKeyRight);  // the icon bar: items -> equipment
    Tap(kKeyConfirm);
    ASSERT_EQ(gMenu.pageIndex, kPageEquip);
    ASSERT_TRUE(gEquip.open);
    const int member = EquipMember();
    ASSERT_GE(member, 0);
    Tap(kKeyConfirm);  // the weapon slot: its candidates
    ASSERT_EQ(gEquip.state, kEquipChoosingItem);
    while (EquipCursorItem() && EquipCursorItem()->id != kStaff) Tap(kKeyDown);
    ASSERT_NE(EquipCursorItem(), nullptr);
    Tap(kKeyConfirm);
    EXPECT_EQ(gMemberEquip[member][0]->id, kStaff);
    EXPECT_EQ(FindItem(gInventory, kStaff), nullptr);
    // Back to the icon bar, on to the magic page.
    Tap(kMenuKeyEsc);
    ASSERT_FALSE(gEquip.open);
    Tap(kKeyRight);
    Tap(kKeyConfirm);
    ASSERT_EQ(gMenu.pageIndex, kPageMagic);
    // The hero's magic by id: the Fire Charm (a battle magic, not cast
    // from the page), then Mend.
    const MagicRow* row = MagicCursorRow();
    for (int step = 0; step < 4 && row != nullptr && row->node->id != kMend; ++step) {
        Tap(kKeyRight);
        row = MagicCursorRow();
    }
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->node->id, kMend) << "the cursor reaches Mend";
    const int caster = MagicCaster();
    const int16_t spirit = gMemberStats[caster].gauge[1];
    gMemberStats[caster].gauge[0] = 1;
    Tap(kKeyConfirm);
    ASSERT_EQ(gMagic.state, kMagicTarget);
    Tap(kKeyConfirm);
    EXPECT_EQ(gMemberStats[caster].gauge[1], spirit - 6);
    EXPECT_GT(gMemberStats[caster].gauge[0], 1);
    Tap(kMenuKeyEsc);
    Tap(kMenuKeyEsc);
    Tap(kMenuKeyEsc);
    EXPECT_EQ(gMenuRequest, 0u);
    EXPECT_EQ(gMagic.state, kMagicClosed);
    for (const auto& box : HeadlessMessageBoxes()) ADD_FAILURE() << box.caption << ": " << box.text;
}

} // namespace
