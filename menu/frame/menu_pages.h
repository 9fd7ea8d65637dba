// How the pages and the save/load screen join the menu framework without
// the framework knowing them.
//
// Root pages. The icon bar has seven pages, indexes 11..17: 11 item menu,
// 12 equipment, 13 magic, 14 refining, 15 feeding, 16 system, 17 book. A page
// registers once at start-up from its own Register...() function, and
// RegisterMenuPages() (menu/menu_registry.cpp, the one place that lists the
// pages) calls every one of them. A page hands over:
//   - enter, leave, draw: the icon bar's page tables (entering the page from
//     the bar, leaving it for another page, drawing it);
//   - firstId..lastId: its family of page ids (60..62 for the system menu);
//     SetMenuHandlers(2) installs `slots` while gMenuPageId is in the family;
//   - slots: the handlers of a page at depth 2; a null entry installs the
//     empty handler (frame and draw included);
//   - busy: optional; while it returns nonzero the icon bar ignores the mouse
//     (a fade, a key capture, a question the page must finish itself).
// For example:
//
//   void RegisterSystemMenuPage() {
//       MenuPage page{};
//       page.firstId = 60;
//       page.lastId = 62;
//       page.enter = SystemMenuEnter;
//       page.leave = SystemMenuLeave;
//       page.draw = DrawSystemMenuPage;
//       page.slots.frame = SystemMenuFrame;
//       page.slots.confirm = SystemMenuConfirm;   // ... and the other keys
//       page.busy = SystemMenuBusy;
//       RegisterMenuPage(kPageSystem, page);
//   }
//
// The title screen registers the same way under kPageTitle: its enter runs
// when SetMenuHandlers(60000) installs its slots.
//
// An index nobody registered has empty enter, leave and draw handlers and
// its ids install nothing, so the bar can still be moved over it.
//
// The save/load screen is not a root page: the game frame runs it while
// gSaveLoadMode is nonzero. It registers its reset with RegisterSaveScreen
// (from its own Register...() in RegisterMenuPages as well), and every
// opener (the title, the system menu, the launcher's continue) goes through
// OpenSaveScreen. Kind 2's load ends the menu with LeaveMenuFromPage; a save
// made while the menu is open sets kMenuStatusSaved in gMenuStatus.
#pragma once
#include <cstdint>

using MenuHandler = void (*)();

// Root page indexes.
enum : int {
    kPageItem = 11,
    kPageEquip = 12,
    kPageMagic = 13,
    kPageRefine = 14,
    kPageFeed = 15,
    kPageSystem = 16,
    kPageBook = 17,
    kFirstRootPage = kPageItem,
    kLastRootPage = kPageBook,
    kRootPageCount = kLastRootPage - kFirstRootPage + 1,
    kPageTitle = 0,
};

// The handler slots a page installs at depth 2 (every slot but the
// pre-frame one, which stays the icon bar's mouse).
struct MenuSlots {
    MenuHandler frame;
    MenuHandler cancel;
    MenuHandler key2;     // game key 2 (right Shift)
    MenuHandler key10;    // game key 10 (End)
    MenuHandler down;
    MenuHandler up;
    MenuHandler pageDown;
    MenuHandler pageUp;
    MenuHandler left;
    MenuHandler right;
    MenuHandler confirm;
    MenuHandler draw;
};

struct MenuPage {
    MenuHandler enter;
    MenuHandler leave;
    MenuHandler draw;
    int firstId;
    int lastId;
    MenuSlots slots;
    int (*busy)();
};

// Replaces the registration of a root page index (11..17) or of the title
// (kPageTitle); other indexes are refused.
void RegisterMenuPage(int index, const MenuPage& page);
// The registration of an index, or null when nothing is registered there.
const MenuPage* RegisteredMenuPage(int index);
// Every registration removed (tests, and before RegisterMenuPages).
void ClearMenuPages();
// Calls the Register...() of every page (menu/menu_registry.cpp).
void RegisterMenuPages();

// The save/load screen's side.
struct SaveScreenEntry {
    int (*reset)();     // ResetSaveScreen: keys cleared, the page's previews read
    void (*newGame)();  // a new game from the title: play time from 0, the
                        // screen off and reset, the fame file read (ReadFame)
};
void RegisterSaveScreen(const SaveScreenEntry& entry);
// gSaveLoadMode := 3 with the kind, the page (1 slots, 0 story flags) and
// loading (1 load, 0 save), then the registered reset.
void OpenSaveScreen(uint32_t kind, uint32_t page, uint32_t loading);
// The title's new game: gSaveLoadMode := 0, then the registered newGame.
void SaveScreenNewGame();

// Bits of gMenuStatus.
constexpr uint32_t kMenuStatusSaved = 0x2; // a game was saved while the menu is open
extern uint32_t gMenuStatus;

// The open root page's leave handler runs and the menu closes
// (gMenuRequest := 0): a load from the system menu ends the menu this way.
void LeaveMenuFromPage();
