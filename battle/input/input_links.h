// Words and calls of the turn order, the command application, the party's
// special actions and the result pages that the command input reads or
// sets. Until those modules hold them they live here (input_links.cpp) with
// the simplest meaning; each is named as its owner names it.
#pragma once
#include <cstdint>

class ManRole;

struct BattleInputLinks {
    uint16_t retreatState;      // gRetreatState: 0x4000 retreat asked, 0x8000 under way
    uint32_t commandIssued;     // the turn order's command-issued flag
    int32_t releaseAlly;        // gReleaseAlly: the member with a release pending; -1 none
    int32_t controlledEnemy;    // gControlledEnemy: -1 none
    int32_t controller;         // gController: the party slot that controls it; -1 none
    uint32_t actionWait;        // the command application waits for a Space press while 1
    uint32_t actionWaitWord;    // bit 0: the press came
    uint32_t actionStage[2];    // the two action-stage flags
    uint32_t actionPause;       // bit 31 and bit 30 ask, bit 0 acknowledges
    uint8_t screenHold;         // the hold byte of the battle frame and the result pages
    uint32_t enemyHold;         // an enemy's command holds the screen
    uint32_t captureAllowed;    // the scene allows captures
    uint32_t refineCounter;
    uint32_t controlWord;       // bit 4: the control skill was chosen
    uint32_t aimWord;
    uint32_t resultTimer;       // gResultTimer of the result pages
    uint32_t resultBusy;        // the page's busy flag
    uint32_t resultReady;       // the page's ready flag
    int32_t resultPick;         // gResultPick: the member of a level-up page; 255 none
    uint32_t resultItemWord;
    uint32_t statPageDue;
};
extern BattleInputLinks gInputLinks;

inline uint16_t& gRetreatState = gInputLinks.retreatState;
inline int32_t& gReleaseAlly = gInputLinks.releaseAlly;
inline int32_t& gControlledEnemy = gInputLinks.controlledEnemy;
inline int32_t& gController = gInputLinks.controller;

void ResetInputLinks();

// 1 when the member may retreat now.
uint32_t CanRetreat(ManRole* role);
// The guard place `place` (1, 2) is held by party id `id`.
void SetAllyWaitMark(int place, int id);
// One more of item `id` into the inventory.
void AddLootItem(uint16_t id, int mode);
