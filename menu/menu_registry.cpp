// The one place that lists the menu pages: each registers its own handlers
// with the framework (menu/frame/menu_pages.h).
#include "menu/frame/menu_pages.h"

#include "menu/system/system_menu.h"
#include "menu/title/title_screen.h"

void RegisterMenuPages() {
    ClearMenuPages();
    RegisterTitleScreen();
    RegisterSystemMenuPage();
}
