// The command input's words: cursors, lists, sub-menus, the mouse zones and
// the icon availability of the commanding member. Valid for one battle; the
// battle's reset (ResetBattleFlow) calls ResetBattleInput.
//
// Like the battle's shared words, each field keeps the design's name through
// a reference, so the code reads as the design does and one call resets all.
#pragma once
#include <cstdint>

constexpr int kIconEntries = 9;     // entries 1..9 of the icon menu
constexpr int kExtraEntries = 4;    // entries 6..9
constexpr int kExtraNameBytes = 16;
constexpr int kListRows = 7;        // rows a list shows
constexpr int kRefineCells = 10;    // the talisman grid: two columns of five
constexpr uint16_t kNoHover = 65535;

struct BattleInputState {
    int32_t savedEntry;          // gSavedEntry
    int32_t targetEnemy;         // gTargetEnemy: 0-based enemy index
    int32_t enemyPick;           // gEnemyPick: 1-based position in the target order
    int32_t magicCursor, magicTop, magicTab;
    uint8_t magicCount;
    int32_t listCursor, listTop;
    uint16_t listCount;
    int32_t itemTab;
    int32_t itemTabCursor[4], itemTabTop[4];
    int32_t skillCursor;
    uint8_t skillCount;
    int32_t placeChoice;
    int32_t orderCursor;
    int32_t controlCursor, controlRows;
    uint8_t orderMenuOpen, captureMenuOpen, elementMenuOpen;
    int32_t captureChoice, elementChoice;
    uint16_t hoverAlly;
    int32_t scrollZone;
    int32_t scrollStep;
    int32_t panelOpenStep;
    int32_t chargingAlly;        // -1 none
    int32_t menuPosX, menuPosY;

    // The icon menu of the commanding member (ResetCommandFlags).
    uint8_t iconEnabled[kIconEntries + 1];   // by entry 1..9
    int32_t extraCodes[kExtraEntries];
    char extraNames[kExtraEntries][kExtraNameBytes];
    int32_t extraCount;

    // Kept beside the design's words.
    int32_t pendingTab;          // the tab under the mouse, taken by the next confirm; -1 none
    int32_t lastMouseX, lastMouseY;
    uint32_t digitsDown;         // bit k: digit k (1..9) was down on the last frame
    int32_t dragY;               // y where the scroll-bar thumb drag started; -1 none
    int32_t lurePending;         // a magic with flag 17 waits for its target
    int32_t targetCapturable;    // the panel's answer for the target under the cursor
    int32_t controlChoice;       // state 7: 1 attack, an object id, or 0x8000 | attack-object number
    int32_t keyboardWord;        // 300 after a keyboard confirm on a capture entry; mouse movement clears it
    int32_t eventRect;           // the story-event rectangle under the cursor
    int32_t panelEntry;          // gPanelEntry: the entry the panel armed (Seld)
};
extern BattleInputState gBattleInput;

inline int32_t& gSavedEntry = gBattleInput.savedEntry;
inline int32_t& gTargetEnemy = gBattleInput.targetEnemy;
inline int32_t& gEnemyPick = gBattleInput.enemyPick;
inline int32_t& gMagicCursor = gBattleInput.magicCursor;
inline int32_t& gMagicTop = gBattleInput.magicTop;
inline int32_t& gMagicTab = gBattleInput.magicTab;
inline uint8_t& gMagicCount = gBattleInput.magicCount;
inline int32_t& gListCursor = gBattleInput.listCursor;
inline int32_t& gListTop = gBattleInput.listTop;
inline uint16_t& gListCount = gBattleInput.listCount;
inline int32_t& gItemTab = gBattleInput.itemTab;
inline int32_t (&gItemTabCursor)[4] = gBattleInput.itemTabCursor;
inline int32_t (&gItemTabTop)[4] = gBattleInput.itemTabTop;
inline int32_t& gSkillCursor = gBattleInput.skillCursor;
inline uint8_t& gSkillCount = gBattleInput.skillCount;
inline int32_t& gPlaceChoice = gBattleInput.placeChoice;
inline int32_t& gOrderCursor = gBattleInput.orderCursor;
inline int32_t& gControlCursor = gBattleInput.controlCursor;
inline int32_t& gControlRows = gBattleInput.controlRows;
inline uint8_t& gOrderMenuOpen = gBattleInput.orderMenuOpen;
inline uint8_t& gCaptureMenuOpen = gBattleInput.captureMenuOpen;
inline uint8_t& gElementMenuOpen = gBattleInput.elementMenuOpen;
inline int32_t& gCaptureChoice = gBattleInput.captureChoice;
inline int32_t& gElementChoice = gBattleInput.elementChoice;
inline uint16_t& gHoverAlly = gBattleInput.hoverAlly;
inline int32_t& gScrollZone = gBattleInput.scrollZone;
inline int32_t& gScrollStep = gBattleInput.scrollStep;
inline int32_t& gPanelOpenStep = gBattleInput.panelOpenStep;
inline int32_t& gChargingAlly = gBattleInput.chargingAlly;
inline int32_t& gMenuPosX = gBattleInput.menuPosX;
inline int32_t& gMenuPosY = gBattleInput.menuPosY;
inline int32_t& gPanelEntry = gBattleInput.panelEntry;
inline int32_t& gTargetCapturable = gBattleInput.targetCapturable;
inline int32_t& gControlChoice = gBattleInput.controlChoice;
inline uint8_t (&gIconEnabled)[kIconEntries + 1] = gBattleInput.iconEnabled;
inline int32_t (&gExtraCodes)[kExtraEntries] = gBattleInput.extraCodes;
inline char (&gExtraNames)[kExtraEntries][kExtraNameBytes] = gBattleInput.extraNames;
inline int32_t& gExtraCount = gBattleInput.extraCount;

// Every word back to its start: cursors on row 1, no sub-menu, no hover, no
// charge, the remembered row of each item tab 1.
void ResetBattleInput();
// The extra entries of the icon menu and their count cleared.
void ClearExtraEntries();
