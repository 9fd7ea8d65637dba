// The save/load screen: the 99 slots three at a time with their previews,
// the overwrite question, the save or load itself, and the story-flag
// editor of the debug key. The game frame runs SaveLoadScreen while
// gSaveLoadMode is nonzero (declared with the menu services).
//
// The model (this file's state and SaveLoadScreen's input steps) is apart
// from the drawing (save_screen_draw.cpp), so tests drive the keys and read
// the state without pictures.
#pragma once
#include <cstdint>

#include "draw/act_pack.h"
#include "menu/menu_services.h"
#include "menu/save/save_codec.h"

// Who opened the screen (gSaveLoadKind).
enum : uint32_t {
    kSaveKindSystemSave = 1, // system menu "save", debug keys S and F12
    kSaveKindSystemLoad = 2, // system menu "load", debug key L
    kSaveKindTitle = 3,      // the title's continue and the launcher's continue
    kSaveKindTalk = 4,       // a talk-script save command
    kSaveKindItem = 5,       // the save item of the item menu
};
enum : uint32_t { kSaveModeRunning = 1, kSaveModeOpened = 3 };
enum : uint32_t { kSavePageFlags = 0, kSavePageSlots = 1 };

// gSaveScreen.question
enum : int32_t { kQuestionNone = 0, kQuestionYes = 5, kQuestionNo = 6, kQuestionAccepted = 7 };

constexpr int kSlotRows = 3;
constexpr int kSaveFramesBeforeAct = 10; // an accepted save or load waits for frame 11
constexpr int32_t kSaveIdleFrames = 120;
constexpr int32_t kLeavePauseFrames = 4;  // the last frame stays up ~150 ms
constexpr int32_t kSavedPauseFrames = 17; // ~600 ms after a save
constexpr int kStoryFlagsShown = 120;

// What happens when the closing pause runs out.
enum class SaveClosing : int { kNone, kLeave, kSaved };

struct SaveScreen {
    int32_t question = kQuestionNone;
    uint32_t frames = 0;          // frames run since opening or since the last save or load
    int32_t idle = 0;             // 120 after a key; the mouse waits for 0 unless its left button is down
    int32_t flagCursor = 0;       // the flag editor's cursor, 0..8191
    uint8_t bounce[2] = {};       // up and down arrow bounce
    int32_t blink = 0;            // 0..13
    int32_t closingFrames = 0;    // the last frame shown before the screen closes
    SaveClosing closing = SaveClosing::kNone;
    uint32_t cursorKind = 13;     // act 9001's qq for the pointer
    bool cursorErrorShown = false;  // each of the two act errors is told once an opening
    bool actErrorShown = false;
    SlotPreview previews[kSlotRows];
    ActRecord portraits[kSlotRows * 4]; // row x 4 + member
    ActRecord cursor{};
};
extern SaveScreen gSaveScreen;
extern int32_t gSlot; // the selected slot, 0..98

// Calls into pages that live elsewhere; each default is a stand-in that does
// only what this screen relies on, or the page's own function
// (restoreInventory: the item menu's RestoreInventory).
struct SaveScreenHooks {
    void (*titleScreenEnter)();      // kind 3 left: the title's first page
    void (*systemMenuLeave)();       // kind 2 after a load: the system menu closes
    void (*restoreInventory)(int used); // kind 5: 1 the save item was used, 0 it goes back
};
extern SaveScreenHooks gSaveScreenHooks;

// One frame: leave keys, the page's keys and mouse, a pending save or load,
// then the drawing (declared with the menu services: SaveLoadScreen,
// ResetSaveScreen, SelectNewestSlot, AnySaveExists, FreeSlotPreviews).
int LeaveSaveScreen();
// 1 when the slot's file does not open for reading.
int SlotIsEmpty(int slot);
// The three previews of gSlot's page read again, and the portraits.
void ReadPagePreviews();
void ResetSlotCursors();

// Drawing (save_screen_draw.cpp).
void DrawSlotList();
void DrawFlagPage();
void DrawSaveScreen();

void ResetSaveScreenState();
// The calls into other pages back to their do-nothing defaults.
void ResetSaveScreenHooks();
