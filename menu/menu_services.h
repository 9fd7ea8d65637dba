// What the engine and the world call or set in the menus and the save/load
// screen (menu/save/save_screen.cpp). Until the menus exist these keep only
// the state the callers rely on: a requested menu closes on its first frame
// and the two fills draw plain rectangles.
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
extern uint16_t* gShopStockIds;
extern uint32_t gSaveLoadMode;
extern uint32_t gSaveLoadKind;
extern uint32_t gSaveLoadPage;
extern uint32_t gSaveLoadLoading;
// gMenuStatus bit 1: a game was saved while the menu was open.
constexpr uint32_t kMenuStatusSaved = 0x2;
extern uint32_t gMenuStatus;

void MenuFrame();
void ShopFrame();
void InitMenu();
void ResetSaveScreen();
void SelectNewestSlot();
void SaveLoadScreen();
// 1 when any of the 99 slot files "%ssave\\%d.sav" exists.
int AnySaveExists();
void FreeSlotPreviews();
// The menu background and frame around the rectangle.
void DrawFramedBox(int x, int y, int width, int height, int a, int b, int c, int d);
// Fills the rectangle, clipped to the current drawing clip (gClip), with the
// 5-bit colour (r, g, b) in mode 0..5; modes above 5 draw nothing. Until the
// menus exist every mode is a plain fill.
void FillMenuRect(int x, int y, int width, int height, int r, int g, int b, int mode);

void ResetMenuServices();
