// The equipment and magic pages on the sample install, headless through the
// game frame: after the opening talk the menu is opened, the staff of the
// starting bag is put on from the equipment page and the healing magic is
// cast from the magic page, then the menu is left.
#include "shell_fixture.h"

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

class EquipMagicSampleTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        Reset();
        const std::string tool = BuildTreeProgram("make_sample");
        ASSERT_EQ(access(tool.c_str(), X_OK), 0) << "no command at " << tool;
        ASSERT_EQ(std::system(("'" + tool + "' '" + install.Path() + "' > /dev/null").c_str()), 0);
    }
    void TearDown() override {
        ReleaseGameAndShell();
        Reset();
        ShellTest::TearDown();
    }
    static void Reset() {
        ResetWorld();
        ResetPathScripts();
        ResetKeyCole();
        BindTalkSeams();
        ResetKeyStates();
        ResetPlayerWalk();
        ResetTalkState();
        ResetRoleHelpers();
        ResetTswPacks();
        ResetActPacks();
        ResetSoundBank();
        ResetEquipPage();
        ResetMagicPage();
    }
    void StartNewGame() {
        UseInstallFolder();
        OpenInstallPicturePacks();
        ASSERT_EQ(OnStartGame(), 1);
        InitRandom(7);
        ASSERT_EQ(NewGame(1), 1);
        gMenuRequest = 0;
        gAppActive = 1;
        gGameRunning = 1;
        gLastFrame = PlatTicks();
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            HeadlessAdvanceClock(kFrameMs);
            GameFrame();
        }
    }
    void Tap(int record) {
        HeadlessQueueKey(uint8_t(gKeyMap.k[record]), true);
        Frames(1);
        HeadlessQueueKey(uint8_t(gKeyMap.k[record]), false);
        Frames(2);
    }
    void FinishOpening() {
        for (int frame = 0; frame < 3000 && !TalkIdle(); frame += 2) {
            if (gDialogList != nullptr) Tap(kKeyConfirm);
            else Frames(2);
        }
        ASSERT_TRUE(TalkIdle());
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
    const MagicRow* row = MagicCursorRow();
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->node->id, kMend) << "the first castable magic";
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
