// The refining and feeding pages on the sample install, headless: a new
// game, the menu opened from the map, the refining page makes the sample's
// one recipe, the feeding page feeds one creature to the spirit, and the
// menu is left with Esc. The story grants the page's flag and the spirit:
// the elder's talk, answered yes, sets story flag 73 and talk variable 2.
#include "shell_fixture.h"
#include "sample_game.h"

#include <string>
#include <unistd.h>

#include "base/game_state.h"
#include "base/random.h"
#include "draw/act_pack.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"
#include "menu/feed/feed_page.h"
#include "menu/frame/menu_frame.h"
#include "menu/menu_services.h"
#include "menu/refine/refine_page.h"
#include "platform/plat_clock.h"
#include "shell/game_frame.h"
#include "shell/game_start.h"
#include "world/map/map_load.h"
#include "world/new_game.h"
#include "world/org/count_list.h"
#include "world/party/item_list.h"
#include "world/role/role_helpers.h"
#include "world/script/talk_machine.h"
#include "world/spirit/spirit.h"
#include "world/story_flags.h"
#include "world/talk_state.h"
#include "world/walk/key_state.h"
#include "world/world_reset.h"

namespace {

constexpr uint16_t kMossOre = 521, kRiverStone = 522, kSpiritLamp = 523, kEmberImp = 520;
constexpr uint16_t kElder = 10;
constexpr uint32_t kEarthSpirit = 5;  // the elder's talisman: spirit slot 5, element 4

class RefineFeedSampleTest : public SampleGameTest {
protected:
    void SetUp() override {
        SampleGameTest::SetUp();
        StartNewGame();
    }
    void ResetPages() override {
        ResetRefinePage();
        ResetFeedPage();
        gSpiritSlot = 0;
    }
    static int Owned(uint16_t id) {
        const ItemRecord* r = FindItem(gInventory, id);
        return r && r->id == id ? r->count + r->newCount : 0;
    }
    // The menu from the map, then the icon bar moved onto a root page.
    void OpenRootPage(int index) {
        gMenuRequest = kMenuPending | kMenuRoot;
        Frames(2);
        ASSERT_EQ(gMenu.depth, kDepthRoot);
        for (int i = kPageItem; i < index; ++i) Press(kMenuKeyRight);
        ASSERT_EQ(gMenu.pageIndex, index);
        Press(kMenuKeySpace);
        ASSERT_EQ(gMenu.depth, kDepthPage);
    }
    // The opening, then the elder's talk answered yes with the keyboard, as
    // the story plays it: his Herbs and his talisman.
    void AcceptTheElder() {
        FinishOpening();
        uint32_t elder = 0;
        ASSERT_TRUE(FindRole(kElder, &elder));
        StartRoleTalk(elder);
        for (int frame = 0; frame < 3000 && !TalkIdle(); frame += 2) {
            const bool choice = CountEventRects() > 0;
            if (choice ? (gEventRects.words[kEventRectChoiceFlags] & kChoiceKeysClose) != 0 : gDialogList != nullptr)
                Press(kKeyConfirm);  // the first line: yes
            else
                Frames(2);
        }
        ASSERT_TRUE(TalkIdle());
        ASSERT_TRUE(IsFlag(300));
    }
    void LeaveMenu() {
        for (int i = 0; i < 4 && gMenuRequest != 0; ++i) Press(kMenuKeyEsc);
        EXPECT_EQ(gMenuRequest, 0u);
    }
};

TEST_F(RefineFeedSampleTest, TheRecipeIsMadeFromTheStartingBag) {
    ASSERT_EQ(Owned(kMossOre), 1);
    ASSERT_EQ(Owned(kRiverStone), 1);
    ASSERT_FALSE(IsFlag(kRefineFlag));
    AcceptTheElder();
    ASSERT_TRUE(IsFlag(kRefineFlag));
    OpenRootPage(kPageRefine);
    ASSERT_TRUE(gRefine.open);
    ASSERT_EQ(gRefine.list.size(), 2u);
    Press(kMenuKeyDown);  // the cursor fills field 1 as it moves
    Press(kMenuKeyUp);
    Press(kMenuKeyShift);
    Press(kMenuKeyDown);
    ASSERT_EQ(gRefine.fields[0].id, kMossOre);
    ASSERT_EQ(gRefine.fields[1].id, kRiverStone);
    ASSERT_EQ(gRefine.result.id, kSpiritLamp);
    Press(kMenuKeySpace);  // the contract page
    Press(kMenuKeySpace);  // the merging
    for (int i = 0; i < 200 && gRefine.state == kRefineAnimating; ++i) Frames(1);
    EXPECT_EQ(gRefine.state, kRefineShown);
    Press(kMenuKeySpace);
    EXPECT_EQ(Owned(kSpiritLamp), 1);
    EXPECT_EQ(Owned(kMossOre), 0);
    EXPECT_EQ(Owned(kRiverStone), 0);
    EXPECT_EQ(GetCount(&gFameList2, kSpiritLamp), 1);
    LeaveMenu();
    EXPECT_FALSE(gRefine.open);
}

TEST_F(RefineFeedSampleTest, TheSpiritEatsAnImp) {
    ASSERT_EQ(Owned(kEmberImp), 2);
    ASSERT_EQ(gSpiritSlot, 0u);  // a new game carries no spirit
    gSpirit.Field(kSpiritElementField) = 0;
    AcceptTheElder();
    // The talk's SET of variable 2 is the spirit slot and loaded its spirit.
    ASSERT_EQ(gTalkVar[kTalkVarSpirit], kEarthSpirit);
    ASSERT_EQ(gSpiritSlot, kEarthSpirit);
    ASSERT_EQ(gSpirit.Field(kSpiritElementField), 4);
    const int fullness = gSpirit.Field(68);
    OpenRootPage(kPageFeed);
    ASSERT_TRUE(gFeed.open);
    EXPECT_EQ(ForbiddenFeedElement(), 1);                   // the earth spirit refuses wood
    EXPECT_EQ(gMenu.acts.spirit.qq, int(kEarthSpirit) - 1);  // the panel drew its picture
    // Items without a type of their own are listed with the first category's
    // creatures: find the imp's row.
    int row = -1;
    for (size_t i = 0; i < gFeed.list.size(); ++i)
        if (gFeed.list[i].id == kEmberImp) row = int(i);
    ASSERT_GE(row, 0);
    for (int i = 0; i < row; ++i) Press(kMenuKeyDown);
    ASSERT_EQ(FeedCursorEntry()->id, kEmberImp);
    Press(kMenuKeySpace);     // the imp's choices
    Press(kMenuKeyPageDown);  // the direct feeding
    Press(kMenuKeySpace);
    EXPECT_EQ(gFeed.state, kFeedChoosing);
    EXPECT_EQ(Owned(kEmberImp), 1);
    EXPECT_GT(gSpirit.Field(68), fullness);
    LeaveMenu();
    EXPECT_FALSE(gFeed.open);
    for (const auto& b : HeadlessMessageBoxes()) ADD_FAILURE() << "box: " << b.caption << " / " << b.text;
}

} // namespace
