// Stand-ins: the command input's state words (battle/input/panel_standins.h).
#include "battle/input/panel_standins.h"

int32_t gMagicCursor = 1, gMagicTop, gMagicTab;
uint8_t gMagicCount;
int32_t gListCursor = 1, gListTop;
uint16_t gListCount;
int32_t gItemTab;
int32_t gSkillCursor = 1;
uint8_t gSkillCount;
int32_t gPlaceChoice = 1, gOrderCursor = 1, gControlCursor = 1, gControlRows;
uint8_t gOrderMenuOpen, gCaptureMenuOpen, gElementMenuOpen;
int32_t gCaptureChoice = 1, gElementChoice = 1;
int32_t gTargetEnemy, gEnemyPick = 1;
int32_t gPanelOpenStep;
int32_t gChargingAlly = -1;
int32_t gMenuPosX = 240, gMenuPosY = 140;
uint8_t gIconEnabled[10];
const char* gExtraNames[kExtraEntries];
uint16_t gExtraCodes[kExtraEntries];
int32_t gExtraCount;
int32_t gPanelEntry;
uint32_t gTargetCapturable;
int32_t gControlChoice;

void ResetCommandFlags() {
    for (int i = 0; i < 10; ++i) gIconEnabled[i] = (i >= 1 && i <= 5) ? 1 : 0;
    for (int i = 0; i < kExtraEntries; ++i) {
        gExtraNames[i] = nullptr;
        gExtraCodes[i] = 0;
    }
    gExtraCount = 0;
}

void ChooseConfusedCommand(int32_t) {}

void ResetPanelStandins() {
    gMagicCursor = 1, gMagicTop = gMagicTab = 0, gMagicCount = 0;
    gListCursor = 1, gListTop = 0, gListCount = 0, gItemTab = 0;
    gSkillCursor = 1, gSkillCount = 0;
    gPlaceChoice = gOrderCursor = gControlCursor = 1, gControlRows = 0;
    gOrderMenuOpen = gCaptureMenuOpen = gElementMenuOpen = 0;
    gCaptureChoice = gElementChoice = 1;
    gTargetEnemy = 0, gEnemyPick = 1;
    gPanelOpenStep = 0;
    gChargingAlly = -1;
    gMenuPosX = 240, gMenuPosY = 140;
    ResetCommandFlags();
    gPanelEntry = 0;
    gTargetCapturable = 0;
    gControlChoice = 0;
}
