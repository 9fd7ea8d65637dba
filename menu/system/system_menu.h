// The system menu, root page 16 (page ids 60..62): save, load, records,
// settings with the key set-up, and leave (end the game or restart at the
// title after a short fade).
#pragma once
#include <cstdint>
#include <vector>

#include "base/settings.h"
#include "menu/frame/menu_widgets.h"

enum SystemEntry : int32_t {
    kSysSave = 0,
    kSysLoad = 1,
    kSysRecords = 2,
    kSysSettings = 3,
    kSysLeave = 4,
};
enum SystemStateId : int32_t {
    kSysChoosing = 0,
    kSysInside = 1,
    kSysAsking = 2,
    kSysKeyList = 5,
    kSysKeyChosen = 6,
    kSysKeyWaiting = 7,
    kSysRefused = 10,
};
constexpr int kSysKeyRows = 16;          // rows 0..15 name key-map slots
constexpr int kSysRowApply = 16, kSysRowDiscard = 17, kSysRowDefaults = 18;
constexpr int kSysSettingsKeysRow = 5;
constexpr uint32_t kNoKey = 0xFF;
constexpr int kRecordFirstFlag = 3701, kRecordLastFlag = 3999;
constexpr int kRecordRows = 5;
constexpr int kNoSaveMap = 22;

// Key-map slot of each key row.
constexpr int kSysRowSlot[kSysKeyRows] = {4, 6, 3, 5, 12, 1, 9, 0, 10, 2, 19, 7, 8, 16, 17, 18};

struct SystemMenu {
    int32_t entry;
    int32_t state;
    int32_t row;          // settings row 0..5 or leave row 0..1
    int32_t leaveKind;    // 1 end the game, 2 restart
    int32_t leaveChoice;  // the answer 0..1; while leaving the step 30..60
    bool leaving;
    std::vector<uint16_t> records; // record numbers n - 3700 of the set flags
    int32_t recordTop, recordCursor, recordShown;
    KeyMap edit;          // the key map being set up
    int32_t keyRow;       // 0..18
    bool swapLatch;
    bool returnHeld;      // the Return of the confirm is still down
    BarPlaces bar;
};
extern SystemMenu gSystem;

void RegisterSystemMenuPage();

void SystemMenuEnter();
void SystemMenuLeave();
void SystemMenuFrame();
void SystemMenuConfirm();
void SystemMenuCancel();
void DrawSystemMenuPage();
void SystemKeyDown();
void SystemKeyUp();
void SystemKeyPageDown();
void SystemKeyPageUp();
void SystemKeyLeft();
void SystemKeyRight();
// Nonzero while the menu finishes something of its own (the leave fade, a
// key capture): the icon bar then leaves the mouse alone.
int SystemMenuBusy();

// Whether saving is allowed here: story flag 18 clear, no exit group for
// the current map, and not map 22.
bool SystemMenuMaySave();
// The frame's own steps without drawing: the key capture and the leave fade.
void StepSystemMenu();
// One capture step with K the first key down (0 none).
void CaptureKey(int key);
bool IsReservedKey(int scanCode);
// The scan code's name for the key list.
const char* KeyName(uint32_t scanCode, char* buffer, int size);

void ResetSystemMenu();
