// The request words: what the world (and the battle beside the menus) asks
// of the menus and the save/load screen. The world writes them; the shell's
// game frame reads them and runs the menu, the shop or the screen, which
// read them too. Neither side includes the other for them (docs/layers.md).
#pragma once
#include <cstdint>

// gMenuRequest: bit 31 pending, low 28 bits the kind.
constexpr uint32_t kMenuPending = 0x80000000u;
constexpr uint32_t kMenuKindMask = 0x0FFFFFFFu;
enum : uint32_t {
    kMenuRoot = 1,
    kMenuShop = 2,
    kMenuTitle = 3, // 3 to 6: the title-screen pages
    kMenuTitleLast = 6,
};

extern uint32_t gMenuRequest;
// The shop's stock: item ids ended by 0, in a block of AllocZero that the
// shop frees when it closes; at most kShopStockWords words are read.
extern uint16_t* gShopStockIds;
constexpr int kShopStockWords = 128;
// The save/load screen runs while gSaveLoadMode is nonzero (3 opened, 1
// running); the kind says who opened it, the page (1 slots, 0 story flags)
// and loading (1 load, 0 save) what it shows.
extern uint32_t gSaveLoadMode;
extern uint32_t gSaveLoadKind;
extern uint32_t gSaveLoadPage;
extern uint32_t gSaveLoadLoading;
// Nonzero when the world asked for the save/load screen's reset (keys
// cleared, the shown page's previews read): the game frame carries it out
// right after the step that asked, before anything reads the keys again.
extern uint32_t gSaveLoadReset;

// What the world's openers of the save/load screen write (the debug keys,
// the talk's save instruction): gSaveLoadMode := 3 with the kind, the page
// and loading, and the screen's reset asked for.
void RequestSaveScreen(uint32_t kind, uint32_t page, uint32_t loading);
