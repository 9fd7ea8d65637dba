// The item menu and the book on the sample install, headless from start-up:
// the menu opens from the map, a potion is used on a member, the book is
// read, and every way out leaves the bag as the actions made it.
#include "shell_fixture.h"
#include "sample_game.h"

#include <string>
#include <unistd.h>
#include <vector>

#include "base/game_state.h"
#include "base/random.h"
#include "draw/act_pack.h"
#include "draw/dialog_node.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"
#include "menu/book/book.h"
#include "menu/frame/menu_frame.h"
#include "menu/items/item_menu.h"
#include "menu/menu_services.h"
#include "menu/save/save_state.h"
#include "platform/plat_clock.h"
#include "shell/game_frame.h"
#include "shell/game_start.h"
#include "world/new_game.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/role/role_helpers.h"
#include "world/script/path_run.h"
#include "world/script/talk_machine.h"
#include "world/story_flags.h"
#include "world/talk_state.h"
#include "world/walk/key_cole.h"
#include "world/walk/key_state.h"
#include "world/walk/player_walk.h"
#include "world/world_reset.h"

namespace {

constexpr uint16_t kPotion = 420;

class ItemMenuSampleTest : public SampleGameTest {
protected:
    void ResetPages() override {
        ResetItemMenu();
        ResetBook();
    }
    // Start-up and a new game as the title starts it (the fame file read).
    void StartNewGame() {
        SampleGameTest::StartNewGame();
        ReadFame();
    }
    // The shown row of an id, counted from the list's head.
    static int RowOf(uint16_t id) {
        int row = 0;
        for (const ItemRecord* n = gItems.list; n; n = n->next, ++row)
            if (n->id == id) return row;
        return -1;
    }
    static std::vector<std::pair<uint16_t, int>> Bag() {
        std::vector<std::pair<uint16_t, int>> bag;
        for (const ItemRecord* n = gInventory; n; n = n->next) bag.push_back({n->id, n->count + n->newCount});
        return bag;
    }
};

TEST_F(ItemMenuSampleTest, APotionIsUsedFromTheMenuAndTheBookIsRead) {
    StartNewGame();
    FinishOpening();
    std::vector<std::pair<uint16_t, int>> bag = Bag();
    ASSERT_NE(FindItem(gInventory, kPotion), nullptr) << "the starting bag carries potions";
    const size_t boxes = HeadlessMessageBoxes().size();

    gMenuRequest = kMenuPending | kMenuRoot;
    Frames(2);
    ASSERT_EQ(gMenu.depth, kDepthRoot);
    ASSERT_EQ(gMenu.pageIndex, kPageItem);
    Press(kMenuKeySpace);
    ASSERT_EQ(gMenu.depth, kDepthPage);
    Press(kMenuKeyRight);  // filter 1: the counts
    ASSERT_EQ(gItems.filter, 1);
    const int row = RowOf(kPotion);
    ASSERT_GE(row, 0);
    Press(kMenuKeyDown, row);
    ASSERT_EQ(SelectedItem()->id, kPotion);
    gMemberStats[0].gauge[0] = 1;
    Press(kMenuKeySpace);
    ASSERT_EQ(gMenu.depth, kItemDepthMember);
    Press(kMenuKeySpace);
    EXPECT_GT(gMemberStats[0].gauge[0], 1);
    Press(kMenuKeyEsc);  // the member box stays open after a use
    ASSERT_EQ(gMenu.depth, kDepthPage);

    // The book: the creatures the party knows at the start.
    Press(kMenuKeyUp, row);
    const int bookRow = RowOf(kItemBook);
    ASSERT_GE(bookRow, 0);
    Press(kMenuKeyDown, bookRow);
    Press(kMenuKeySpace);
    ASSERT_EQ(gMenu.depth, kDepthBookOverItems);
    Press(kMenuKeyRight, 4);  // category 4: the boar
    ASSERT_GT(gBook.rowCount, 0);
    EXPECT_EQ(gBook.rows[0].id, 431);
    EXPECT_EQ(gBook.rows[0].knowledge, 20);
    Frames(3);
    Press(kMenuKeyEsc);
    EXPECT_EQ(gMenu.depth, kDepthPage);
    Press(kMenuKeyEsc);
    Press(kMenuKeyEsc);
    EXPECT_EQ(gMenuRequest, 0u);
    for (size_t i = boxes; i < HeadlessMessageBoxes().size(); ++i)
        ADD_FAILURE() << HeadlessMessageBoxes()[i].caption << ": " << HeadlessMessageBoxes()[i].text;

    for (auto& [id, count] : bag)
        if (id == kPotion) --count;
    EXPECT_EQ(Bag(), bag);
}

} // namespace
