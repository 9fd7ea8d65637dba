// The one place that lists the menu pages: each registers its own handlers
// with the framework (menu/frame/menu_pages.h).
#include "menu/frame/menu_pages.h"

#include "menu/book/book.h"
#include "menu/items/item_menu.h"
#include "menu/equip/equip_page.h"
#include "menu/magic/magic_page.h"
#include "menu/menu_services.h"
#include "menu/refine/refine_page.h"
#include "menu/feed/feed_page.h"
#include "menu/save/save_screen.h"
#include "menu/save/save_state.h"
#include "menu/system/system_menu.h"
#include "menu/title/title_screen.h"

namespace {

// The save/load screen: its reset, the title's new-game step and the calls
// it makes into the other pages.
void RegisterSaveLoadScreen() {
    RegisterSaveScreen({[] {
                            ResetSaveScreen();
                            return 1;
                        },
                        [] {
                            ResetSaveState(); // play time from 0, no return point, no refusal texts
                            gSaveLoadMode = 0;
                            ResetSaveScreenState();
                            ReadFame();
                        }});
    gSaveScreenHooks.systemMenuLeave = LeaveMenuFromPage;
    gSaveScreenHooks.titleScreenEnter = TitleScreenEnter;
}

} // namespace

void RegisterMenuPages() {
    ClearMenuPages();
    RegisterTitleScreen();
    RegisterSystemMenuPage();
    RegisterSaveLoadScreen();
    RegisterItemMenuPage();
    RegisterBookPage();
    RegisterEquipPage();
    RegisterMagicPage();
    RegisterRefinePage();
    RegisterFeedPage();
}
