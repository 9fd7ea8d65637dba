// Stand-ins for the command input's state and the two routines of the
// command menus that the panels call, until the command input and the menus
// are built (battle/input/battle_input.*, battle/input/command_menu.*): the
// cursors, tops, tabs, counts and sub-menu flags the panels draw from and
// write back, each a plain word with the design's name.
#pragma once
#include <cstdint>

extern int32_t gMagicCursor, gMagicTop, gMagicTab;
extern uint8_t gMagicCount;
extern int32_t gListCursor, gListTop;
extern uint16_t gListCount;
extern int32_t gItemTab;
extern int32_t gSkillCursor;
extern uint8_t gSkillCount;
extern int32_t gPlaceChoice, gOrderCursor, gControlCursor, gControlRows;
extern uint8_t gOrderMenuOpen, gCaptureMenuOpen, gElementMenuOpen;
extern int32_t gCaptureChoice, gElementChoice;
extern int32_t gTargetEnemy, gEnemyPick;
extern int32_t gPanelOpenStep;
extern int32_t gChargingAlly;
extern int32_t gMenuPosX, gMenuPosY;

// The icon menu's entries: enabled flags by entry 1..9, the extra entries'
// names and codes (entries 6..9) and their count.
constexpr int kExtraEntries = 4;
extern uint8_t gIconEnabled[10];
extern const char* gExtraNames[kExtraEntries];
extern uint16_t gExtraCodes[kExtraEntries];
extern int32_t gExtraCount;

// What the panels remember for the choice: the list entry under the cursor,
// whether the target may be captured, and the controlled enemy's row choice.
extern int32_t gPanelEntry;
extern uint32_t gTargetCapturable;
extern int32_t gControlChoice;

// Rebuilds the enabled flags and the extra entries for SEL (the stand-in
// enables entries 1..5 and offers no extras).
void ResetCommandFlags();
// The automatic choice for a confused commanding member (the stand-in
// issues nothing).
void ChooseConfusedCommand(int32_t id);
// Every word above back to its start.
void ResetPanelStandins();
