// The words of the turn model and its bookkeeping that only the turn steps,
// the bookkeeping and the targeting share with the command application and
// the result pages: the targets the enemies and automatic roles pick, the
// retreat, the booked defeats and the battle's reward sums.
//
// The dying marks and the last downed role are kept per side: enemies by id
// in gDyingMark (the battle script waits on it), party roles by slot in
// gManDyingMark, so a party slot never reads as a dying enemy.
#pragma once
#include <cstdint>

#include "battle/scene/scene_file.h"

#include "battle/battle_state.h"

constexpr int kStolenPerEnemy = 32;
constexpr int kGuardItemWords = 2;
// Draws of a random target before the choice takes one of the candidates
// directly (the draw never loops for ever).
constexpr int kTargetDrawLimit = 64;

struct TurnState {
    // Targeting.
    int32_t monTargetChosen;      // gMonTargetChosen
    int32_t monTarget;            // gMonTarget: party slot, 0-based
    int32_t monLastTarget;        // gMonLastTarget
    uint8_t monRepeat;            // gMonRepeat
    int32_t huntTarget;           // gHuntTarget: slot + 1, 0 none
    int32_t huntTurns;            // gHuntTurns
    int32_t huntEnemy;            // gHuntEnemy
    int32_t autoTarget;           // gAutoTarget: 1-based; bit 31 a party slot
    int32_t lastPlayerTarget;     // gLastPlayerTarget: 1-based, 0 none
    uint8_t enemyScore[20];       // gEnemyScore
    // Retreat.
    uint16_t retreatState;        // gRetreatState: 0x4000 asked, 0x8000 under way, bits 0..9 done
    uint16_t retreatCount;        // gRetreatCount
    // Defeats.
    int32_t manDyingMark[10];     // gManDyingMark: the slot while its down is pending, else -1
    int16_t lastDownedMan;        // gLastDownedMan: the party slot downed last, -1 none
    uint8_t downBooked[30];       // per combatant id: its defeat is booked (once)
    uint32_t enemyGoingOut;       // an enemy has gone down and its defeat is not booked yet
    int32_t heldEnemyNote;        // id + 1 of the enemy that lost its turn to an ailment
    uint32_t pendingCleanup[10];  // per slot: status clean-up when its turn closes
    uint32_t spiritHealPending;   // the spirit's rescue heal is queued
    // Spoils and rewards (32-bit sums; read by the result pages).
    uint16_t stolenItems[20][kStolenPerEnemy];  // gStolenItems: 0 free
    uint8_t captured[20];         // gCaptured
    uint16_t guardItems[kGuardItemWords];       // gGuardItems
    uint32_t guardsGone;          // summoned guards that have left
    uint32_t spentObjects;        // object 768 spent in this battle (given back at the end)
    uint8_t poseStoppedTime;      // the opening pose stopped time (and gives it back)
    uint32_t rewardExp, rewardSilver, rewardTreasure;
    uint32_t victoryBooked;       // the victory has been booked (once)
    uint32_t noExperience;        // the next defeated enemy gives no experience
    uint32_t noSilver;            // silver switched off for this battle
    uint16_t reinforcement;       // the monster id an enemy called in; 0 none
    int32_t lureDamage;           // the damage a lured enemy's turn passes on
    uint32_t scenePolarity;       // set: the strike on all enemies heals class 1, else class 0
    uint8_t repeatMode;           // gRepeatMode: the repeat mode (0 off, 1 or 2)
    uint32_t repeatFollowUp;      // gRepeatFollowUp: a party turn closed under repeat mode 1
    uint32_t retargetPending;     // enemy + 1 whose aimed allies move on (RequestRetarget); 0 none
};
extern TurnState gTurn;

// The visits of each scene, a byte per scene number (kept across battles);
// rewards halve once it passes the script's limit (gSceneRepeat).
extern uint8_t gSceneVisits[kSceneCount];

// The enemies' dying marks: the id while its defeat is pending, else -1.
inline int32_t (&gDyingMark)[kEnemySlots] = gBattle.pendingDefeat;
// The enemy command word: 0x8000 a plain attack for the party or the script,
// 0x4000 a prepared magic, 0x2000 a capture; the low byte its target (an
// enemy index when its stored command aims at its own side, else a party
// slot). The battle script's target word of an enemy is this same word.
inline uint16_t (&gMonCommandWord)[kEnemySlots] = gMonScriptTarget;
inline int32_t& gMonTargetChosen = gTurn.monTargetChosen;
inline int32_t& gMonTarget = gTurn.monTarget;
inline int32_t& gMonLastTarget = gTurn.monLastTarget;
inline uint8_t& gMonRepeat = gTurn.monRepeat;
inline int32_t& gHuntTarget = gTurn.huntTarget;
inline int32_t& gHuntTurns = gTurn.huntTurns;
inline int32_t& gHuntEnemy = gTurn.huntEnemy;
inline int32_t& gAutoTarget = gTurn.autoTarget;
inline int32_t& gLastPlayerTarget = gTurn.lastPlayerTarget;
inline uint8_t (&gEnemyScore)[20] = gTurn.enemyScore;
inline uint16_t& gRetreatState = gTurn.retreatState;
inline uint16_t& gRetreatCount = gTurn.retreatCount;
inline int32_t (&gManDyingMark)[10] = gTurn.manDyingMark;
inline int16_t& gLastDownedMan = gTurn.lastDownedMan;
inline uint16_t (&gStolenItems)[20][kStolenPerEnemy] = gTurn.stolenItems;
inline uint8_t (&gCaptured)[20] = gTurn.captured;
inline uint16_t (&gGuardItems)[kGuardItemWords] = gTurn.guardItems;
inline uint32_t& gRewardExp = gTurn.rewardExp;
inline uint32_t& gRewardSilver = gTurn.rewardSilver;
inline uint32_t& gRewardTreasure = gTurn.rewardTreasure;
inline uint8_t& gRepeatMode = gTurn.repeatMode;
inline uint32_t& gRepeatFollowUp = gTurn.repeatFollowUp;

constexpr uint16_t kRetreatAsked = 0x4000;
constexpr uint16_t kRetreatUnderWay = 0x8000;

// Everything above back to its start (dying marks -1); the scene repeat
// counters are kept.
void ResetTurnState();
