// The shop on the sample install, headless through the game frame: after the
// opening, the village merchant's talk gives a purse and opens the shop; the
// keys buy one herb and close the shop, and the talk ends.
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
#include "menu/menu_services.h"
#include "menu/shop/shop.h"
#include "platform/plat_clock.h"
#include "shell/game_frame.h"
#include "shell/game_start.h"
#include "world/new_game.h"
#include "world/party/item_list.h"
#include "world/role/role_helpers.h"
#include "world/role/role_record.h"
#include "world/script/path_run.h"
#include "world/script/talk_machine.h"
#include "world/talk_state.h"
#include "world/walk/key_cole.h"
#include "world/walk/key_state.h"
#include "world/walk/player_walk.h"
#include "world/world_reset.h"

namespace {

constexpr uint16_t kMerchantGuid = 16;
constexpr uint16_t kHerbId = 1;
constexpr uint32_t kPurse = 300, kHerbPrice = 10;

class ShopSampleTest : public SampleGameTest {
protected:
    void ResetPages() override { ResetShop(); }
    static void Tap(int record) { Press(record); }
    // Confirms every dialog until `done` holds (at most `frames` frames).
    template <typename Done>
    static bool ConfirmDialogsUntil(Done done, int frames) {
        for (int frame = 0; frame < frames; frame += 2) {
            if (done()) return true;
            if (gDialogList) Tap(kKeyConfirm);
            else Frames(2);
        }
        return done();
    }
    static int Herbs() {
        const ItemRecord* r = FindItem(gInventory, kHerbId);
        return r ? r->count + r->newCount : 0;
    }
};

TEST_F(ShopSampleTest, TheMerchantSellsAHerbAndTheShopCloses) {
    StartNewGame();
    ASSERT_TRUE(ConfirmDialogsUntil([] { return TalkIdle(); }, 3000)) << "the opening talk ends";
    uint32_t merchant = TotalRole;
    for (uint32_t i = 0; i < TotalRole; ++i)
        if (gRole[i].guid == kMerchantGuid) merchant = i;
    ASSERT_LT(merchant, TotalRole) << "the merchant stands in the village";
    const uint32_t money = gTalkVar[0];
    const int herbs = Herbs();

    StartRoleTalk(merchant);
    ASSERT_TRUE(ConfirmDialogsUntil([] { return (gMenuRequest & kMenuKindMask) == kMenuShop && gShop.state == kShopChoosing; }, 600));
    EXPECT_EQ(gTalkVar[0], money + kPurse);
    ASSERT_NE(gShopStockIds, nullptr);

    Tap(kKeyConfirm);  // "buy"
    ASSERT_EQ(gShop.state, kShopListing);
    ASSERT_NE(ShopCursorRecord(), nullptr);
    EXPECT_EQ(ShopCursorRecord()->id, kHerbId);
    Tap(kKeyRight);    // one herb
    Tap(kKeyConfirm);  // the question
    ASSERT_EQ(gShop.state, kShopAsking);
    Tap(kKeyConfirm);  // "confirm"
    EXPECT_EQ(gShop.state, kShopChoosing);
    EXPECT_EQ(Herbs(), herbs + 1);
    EXPECT_EQ(gTalkVar[0], money + kPurse - kHerbPrice);
    EXPECT_GT(HeadlessPresentCount(), 0u);

    Tap(0);  // cancel: the shop closes and the talk goes on to its end
    EXPECT_EQ(gShop.state, kShopClosed);
    EXPECT_EQ(gMenuRequest, 0u);
    EXPECT_EQ(gShopStockIds, nullptr);
    EXPECT_TRUE(ConfirmDialogsUntil([] { return TalkIdle(); }, 200));
    EXPECT_EQ(Herbs(), herbs + 1);
    EXPECT_TRUE(HeadlessMessageBoxes().empty()) << HeadlessMessageBoxes().front().caption;
}

} // namespace
