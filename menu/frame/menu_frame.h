// The menu framework: every full-screen menu (the root icon bar with its
// pages, the title screen) is a set of handler slots that one frame calls
// in a fixed order. Opening a page copies its handlers into the slots
// (SetMenuHandlers); anyone opens a menu by writing gMenuRequest, and the
// game frame runs MenuFrame while the word is nonzero.
#pragma once
#include <cstdint>

#include "draw/act_pack.h"
#include "menu/frame/menu_pages.h"

// Bits of gMenuRequest beyond the kind (menu/menu_services.h).
constexpr uint32_t kMenuEquipNow = 0x40000000u;  // kind 1: straight to the equipment page
constexpr uint32_t kMenuFromShop = 0x20000000u;  // the equipment page returns to the shop

// Depths.
enum : int32_t {
    kDepthRoot = 1,
    kDepthPage = 2,
    kDepthBookOverItems = 500,
    kDepthTitle = 60000,
};
constexpr int32_t kNoMember = 5;
constexpr uint32_t kMenuOpeningFrame = 65;
constexpr int32_t kPanelSlideMax = 800;
constexpr int kMenuPartyMax = 4;
constexpr int kMenuRowsShown = 3;  // the status panel shows at most three members
constexpr int kPanelRows = 4;

// Bits of gMenuMouseButtons.
enum : uint32_t {
    kMouseLeftSingle = 1,
    kMouseLeftDouble = 2,
    kMouseRightSingle = 4,
    kMouseRightDouble = 8,
    kMouseLeftClick = kMouseLeftSingle | kMouseLeftDouble,
    kMouseRightClick = kMouseRightSingle | kMouseRightDouble,
};

// Game keys the menus read.
enum : int {
    kMenuKeyEsc = 0,
    kMenuKeySpace = 1,
    kMenuKeyShift = 2,
    kMenuKeyLeft = 3,
    kMenuKeyUp = 4,
    kMenuKeyRight = 5,
    kMenuKeyDown = 6,
    kMenuKeyPageUp = 7,
    kMenuKeyPageDown = 8,
    kMenuKeyCtrl = 9,
    kMenuKeyEnd = 10,
    kMenuKeyReturn = 12,
    kMenuKeyMouseRight = 14,
    kMenuKeyMouseLeft = 15,
};

// One row of the status panel's party list.
struct PanelRow {
    uint16_t member;      // 0xFFFF none
    uint16_t layout[4];
    uint16_t x, y;
    uint16_t state[3];    // cleared on every build
    uint16_t words[2];
    uint16_t packs[3];    // 9003, 9004, 9002
};

// The menu's act records, reset once by InitMenu.
struct MenuActs {
    ActRecord background;    // 9002, qq 41 + page index (78 on the title)
    ActRecord portrait[4];   // 9002 qq 8..11 (title: 9003 qq 44..47)
    ActRecord barTop, barBottom;
    ActRecord iconBar;       // 9002 qq 2, drawn with dir 2
    ActRecord iconCursor;    // 9002, qq page index + 5
    ActRecord tab[4];        // 9002 qq member + 92
    ActRecord memberBack[4]; // 9002 qq member + 72
    ActRecord panelBack;     // 9002 qq 1
    ActRecord spiritBack;    // 9002 qq 91
    ActRecord spirit;        // 9011 qq spirit slot - 1
    ActRecord barTrack, barThumb;
};

struct MenuState {
    int32_t depth;
    int32_t pageId;
    int32_t pageIdCopy[2];
    int32_t pageIndex;
    int32_t member;
    uint32_t frameCount;
    int32_t panelSlide;
    int32_t fade;
    int32_t cancelLock;
    uint32_t mouseButtons;
    int32_t lastMouseX, lastMouseY;
    int32_t lastPageIndex;
    int32_t party[kMenuPartyMax];
    int32_t partyCount;
    PanelRow rows[kPanelRows];
    int32_t rowLight[kPanelRows];
    MenuActs acts;
    MenuPage pages[kRootPageCount]; // the page tables, filled by InitMenuPageTables
};

extern uint32_t gMenuRequest;  // menu/menu_services.h
extern MenuState gMenu;

// The handler slots.
extern MenuHandler gMenuOnPreFrame, gMenuOnFrame, gMenuOnCancel, gMenuOnKey2, gMenuOnKey10, gMenuOnDown,
    gMenuOnUp, gMenuOnPageDown, gMenuOnPageUp, gMenuOnLeft, gMenuOnRight, gMenuOnConfirm, gMenuOnDraw;

// The empty handler.
void MenuNothing();

void InitMenu();
void InitMenuPageTables();
void MenuFrame();
void OpenMenuPage(int32_t pageId, int32_t depth);
void SetMenuHandlers(int32_t depth);
void MenuInput();
void RenderMenu();
void UpdateMenuMouse();

// KeyState record `key` on its first frame down.
bool IsKeyPressed(int key);
// On the first frame, then every second frame from the 8th held on.
bool IsKeyPressedOrRepeated(int key);
// 1 on the first frame, then every second frame from the 12th held on.
int IsKeyTriggered(int key);

// An effect at the settings' effects volume, as the menu pages play them.
void MenuSfx(int id);
// The sounds the list pages share: a move in a list, a refusal.
constexpr int kMenuSfxMove = 46, kMenuSfxRefused = 140;

int CollectParty();
int32_t PartyMember(int i);
int PartyCount();
void BuildPartyList();

// Root icon bar.
void RootMenuMouse();
void RootMenuLeft();
void RootMenuRight();
void RootMenuConfirm();
void RootMenuCancel();
void RootMenuDraw();

// The page index of a page id: 11 + (id - 30) / 6.
int32_t PageIndexOf(int32_t pageId);

// Everything back to the start-up state, registrations included (tests).
void ResetMenuFrame();
