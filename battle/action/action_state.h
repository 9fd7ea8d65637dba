// The state of the running action and of the command application: the
// per-target hit acts and amounts, the action's totals, the pacing of a
// sequence of targets, the drains, the line movers of thrown acts and the
// stages of the party's and the enemies' commands. One struct, one reset
// (ResetActionState, from the battle's reset).
#pragma once
#include <cstdint>

#include "battle/turn/turn_state.h"  // gStolenItems, gCaptured, gRetreatCount and gMonCommandWord live with the turns
#include "draw/act_pack.h"
#include "draw/line_tool.h"

class cRipple;

constexpr int kHitTargets = 30;        // per-target entries: enemy id 0..19, party slot 0..9
constexpr int kLineSlots = 30;         // line movers of thrown acts
constexpr int kRefineMarks = 8;        // refining marks of a member
constexpr int32_t kShownAmountCap = 9999;
// Frames one action may run before it is ended with one trace.
constexpr int kActionFrameCap = 1500;
// Frames one hit act may run before its slot is ended with one trace.
constexpr int kHitActFrameCap = 300;
// Frames one command may run before it is ended with one trace.
constexpr int kCommandFrameCap = 1500;
// The default frames between two starts of a sequence action.
constexpr uint16_t kDefaultStaggerDelay = 5;

// One line mover (MoveAlongLine).
struct LineMover {
    LineWalker walker;
    int32_t distance;   // line steps from the start this call
    int32_t calls;      // calls so far (the delay counts them)
    uint8_t running;
};

struct ActionState {
    // Per target, by its index in its list.
    ActRecord hitActs[kHitTargets];        // gHitActs
    int32_t hitLife[kHitTargets];          // gHitLife
    int16_t hitSpirit[kHitTargets];        // gHitSpirit
    int16_t hitStamina[kHitTargets];       // gHitStamina
    int32_t hitDone[kHitTargets];          // gHitDone: -1 open, the index once applied
    uint8_t hitFollowUp[kHitTargets];      // gHitFollowUp
    uint8_t hitArrived[kHitTargets];       // gHitArrived
    uint8_t hitRepeat[kHitTargets];        // gHitRepeat
    int8_t hitFade[kHitTargets];           // gHitFade
    uint8_t hitEnded[kHitTargets];         // the slot's act has played out
    uint8_t hitRippleStarted[kHitTargets]; // the ripple's sound and first drop were made
    uint16_t hitFrames[kHitTargets];       // frames the slot's act has run (bounded)
    uint32_t rippleTimer;                  // gRippleTimer
    uint32_t rippleMode;                   // gRippleMode
    cRipple* ripple;                       // the ripple object of an action with flag 13

    // Totals of the action.
    int32_t actionLife;                    // gActionLife
    int16_t actionSpirit;                  // gActionSpirit
    int16_t actionStamina;                 // gActionStamina
    int32_t lastDamage;                    // gLastDamage (at most 9999)

    // Pacing of a sequence action.
    uint16_t staggerTick;                  // gStaggerTick (also the stage of capture, summon, refining)
    uint16_t staggerDelay;                 // gStaggerDelay
    int32_t allHit;                        // AllHit
    uint32_t actionOpen;                   // the running action was set up (its targets open)
    uint32_t actionFrames;                 // frames of the running action (bounded)

    // Marks for the rest of the battle.
    uint32_t hitApplied;                   // gHitApplied
    uint32_t downCount;                    // gDownCount
    int16_t lastManHit, lastMonHit, lastManDowned;

    // Drains: the quiet switch and the totals it gathers.
    uint32_t quietTransfer;
    int32_t transferLife, transferSpirit, transferStamina;

    LineMover line[kLineSlots];

    // Command application.
    uint32_t captureOk;                    // gCaptureOk
    uint32_t captureSure;                  // gCaptureSure
    int16_t controlledEnemy;               // gControlledEnemy: -1 none
    int16_t controller;                    // gController: -1 none
    int32_t musicLevel;                    // gMusicLevel: 0..11 while ducked, -1 not ducked
    uint16_t groupStage;                   // the group technique's stage (0, 1 prompt, 2 performing)
    uint16_t reinforceStage;               // an enemy's call for reinforcements (0x8000 + frames)
    uint16_t reinforceId;                  // the monster id that was called in
    uint32_t commandFrames;                // frames of the command being applied (bounded)
    int32_t commandActor;                  // the combatant whose command the frames count; -1 none
    uint32_t firstFrameDone;               // the command's first frame was made
    uint32_t timedSkillRunning;            // code 31's countdown runs
    uint32_t fleeRunning;                  // code 17's flee runs
    uint32_t reacted[kHitTargets];         // the per-target reaction list of the action
    uint16_t refineMarks[4][kRefineMarks]; // a member's refining marks (target + 1)
    uint32_t pendingSteal;                 // the enemy's attack steals an item
    uint32_t pendingFollowUp;              // a follow-up hit is pending on the enemy's target
    int32_t followUpDamage;                // its amount
    uint32_t silverOff;                    // silver is switched off for the battle
    int32_t summonSlot;                    // the party slot the summoned guard takes; -1 none
    uint32_t performerDone;                // the command's performer has finished
    uint32_t chainStriking;                // the chained attack strikes
    uint16_t frozenAdded[kHitTargets];     // by battle id: the status bits code 404 added
};

extern ActionState gAction;

inline ActRecord (&gHitActs)[kHitTargets] = gAction.hitActs;
inline int32_t (&gHitLife)[kHitTargets] = gAction.hitLife;
inline int16_t (&gHitSpirit)[kHitTargets] = gAction.hitSpirit;
inline int16_t (&gHitStamina)[kHitTargets] = gAction.hitStamina;
inline int32_t (&gHitDone)[kHitTargets] = gAction.hitDone;
inline uint8_t (&gHitFollowUp)[kHitTargets] = gAction.hitFollowUp;
inline uint8_t (&gHitArrived)[kHitTargets] = gAction.hitArrived;
inline uint8_t (&gHitRepeat)[kHitTargets] = gAction.hitRepeat;
inline int8_t (&gHitFade)[kHitTargets] = gAction.hitFade;
inline uint32_t& gRippleTimer = gAction.rippleTimer;
inline uint32_t& gRippleMode = gAction.rippleMode;
inline int32_t& gActionLife = gAction.actionLife;
inline int16_t& gActionSpirit = gAction.actionSpirit;
inline int16_t& gActionStamina = gAction.actionStamina;
inline int32_t& gLastDamage = gAction.lastDamage;
inline uint16_t& gStaggerTick = gAction.staggerTick;
inline uint16_t& gStaggerDelay = gAction.staggerDelay;
inline int32_t& AllHit = gAction.allHit;
inline uint32_t& gHitApplied = gAction.hitApplied;
inline uint32_t& gDownCount = gAction.downCount;
inline uint32_t& gCaptureOk = gAction.captureOk;
inline uint32_t& gCaptureSure = gAction.captureSure;
inline int16_t& gControlledEnemy = gAction.controlledEnemy;
inline int16_t& gController = gAction.controller;
inline int32_t& gMusicLevel = gAction.musicLevel;
inline uint32_t& gPendingSteal = gAction.pendingSteal;
inline uint32_t& gPendingFollowUp = gAction.pendingFollowUp;
inline uint16_t& gReinforceId = gAction.reinforceId;

// Everything back to the start: targets open (-1), no controlled enemy, the
// ripple freed.
void ResetActionState();
// The per-action tables and totals cleared and every target open again.
void ClearActionTargets();
// Frees the ripple object of the action (if any) and leaves ripple mode.
void FreeActionRipple();

// A performer's hit adds what it resolved to the action's total, which the
// hit booking applies to the target (DamageRole) and then clears; a heal is
// negative. Held far from overflow.
inline void AddHitToActionLife(int32_t amount) {
    const int64_t sum = int64_t(gActionLife) + amount;
    gActionLife = int32_t(sum > 999999 ? 999999 : sum < -999999 ? -999999 : sum);
}
