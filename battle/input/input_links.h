// Words and calls of the turn order, the command application, the party's
// special actions and the result pages that the command input reads or
// sets. Until those modules hold them they live here (input_links.cpp) with
// the simplest meaning; each is named as its owner names it.
#pragma once
#include <cstdint>

// gRetreatState, SetAllyWaitMark, gControlledEnemy, gController, AddLootItem
// and the result pages' gResultTimer and gResultPick are their owners'.
#include "battle/action/action_perform.h"
#include "battle/action/action_state.h"
#include "battle/results/battle_results.h"
#include "battle/turn/targeting.h"
#include "battle/turn/turn_state.h"

class ManRole;

struct BattleInputLinks {
    uint32_t commandIssued;     // the turn order's command-issued flag
    int32_t releaseAlly;        // gReleaseAlly: the member with a release pending; -1 none
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
};
extern BattleInputLinks gInputLinks;

inline int32_t& gReleaseAlly = gInputLinks.releaseAlly;

void ResetInputLinks();

// 1 when the member may retreat now.
uint32_t CanRetreat(ManRole* role);
