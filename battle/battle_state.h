// The words the battle's modules share: one plain struct, one reset.
//
// Each field keeps the name the design gives it; the g-prefixed names are
// references to the fields, so code reads as the design does while the whole
// state still resets in one place (ResetBattleState, from
// ResetBattleServices).
#pragma once
#include <cstdint>

constexpr int kPartySlots = 10;
constexpr int kEnemySlots = 20;
constexpr int kControlMarks = 3;

// Bits of the battle's action word.
enum ActionWordBit : uint32_t {
    kActionOver = 0x1,        // set by the battle when the running action has ended
    kActionStrikeAll = 0x400, // a strike on all enemies
    kActionRunning = 0x8000,  // an action is running (effects may start)
};

struct BattleState {
    int32_t gaugeFull;               // the gauge value at which a role is ready
    uint32_t actionWord;             // ActionWordBit
    int32_t wholeSide;               // 1: the prepared action takes the whole side
    uint8_t downedMen;               // party members downed
    uint16_t controlMark[kControlMarks];  // per party slot 0..2: the controlling enemy + 1
    uint8_t monBlockCounter;         // enemy block counter of the hit resolution
    uint32_t flashRequest;           // 1: the next battle frame is drawn white (damage transfer)
    int32_t stop;                    // Stop: time stands still while 1
    int32_t getCom;                  // GetCom: 1 while a turn is being taken
    uint32_t transferOverlay;        // 1 while a damage-transfer overlay runs
};

extern BattleState gBattle;

// The design's names for the shared words.
inline int32_t& gGaugeFull = gBattle.gaugeFull;
inline uint32_t& gActionFlags = gBattle.actionWord;
inline int32_t& gWholeSide = gBattle.wholeSide;
inline uint8_t& gDownedMen = gBattle.downedMen;
inline uint32_t& gFlashRequest = gBattle.flashRequest;
inline uint16_t (&gControlMark)[kControlMarks] = gBattle.controlMark;

// The gauge-full value before the first battle.
constexpr int32_t kGaugeFullStart = 900;

void ResetBattleState();
