// What the HUD keeps between frames: slides, eased bars and numbers, the
// reward roulette, the coin spin and the cached object of the info boxes.
// One struct, reset by ResetBattleHud (hud_pieces.h).
#pragma once
#include <cstdint>

#include "world/org/obj_record.h"

constexpr int kHudPartySlots = 4;
// The three rows of a member: life, spirit, stamina.
constexpr int kHudRows = 3;

struct HudSlot {
    int32_t barShown[kHudRows];     // the bars' shown widths
    int32_t valueShown[kHudRows];   // the numbers shown
    int32_t valueStep[kHudRows];    // their step toward the true value
    int32_t chargeShown;            // the charge bar's shown length
    int32_t swellA, swellB;         // the swelling gauge bar's zoom counters
    int32_t swelling;               // 1 while the gauge bar swells
    int32_t wasFull;                // the gauge was full last frame
    int32_t seeded;                 // the shown values were taken from the role
};

struct HudState {
    // Sliding panels: offsets that halve each frame.
    int32_t slideTall, slideSquare, slideWide;
    HudSlot slots[kHudPartySlots];
    int32_t frameCount;             // frames the party panel has drawn
    int32_t autoBoxX;               // the auto-attack box's eased x
    // The running-total gauge.
    int32_t accumShown;             // shown fill height
    int32_t accumOn;                // the gauge is shown
    // Reward roulette.
    int8_t digitMax[4];             // gRewardDigitMax
    int32_t digitCount;             // gRewardDigitCount, 2..4
    int32_t rolling[4];
    int32_t finals[4];
    int32_t stopIndex;
    int32_t ticks[4];
    uint16_t treasureBonus;         // extra treasure experience the roulette gave
    // Coin spin.
    int32_t coinFrames;
    int32_t coinSpeed, coinCountdown;
    int32_t coinOutcome, coinWins;
    int32_t coinZoom;
    int32_t coinPhase;              // 0 spinning, 1 showing the result, 2 zooming away
    int32_t coinStarted;
    // Timing bar.
    int32_t timingCounter;
    int32_t timingHit;
    int32_t timingTaken[3];
    // The elemental percentage panel's record.
    char percentName[kObjNameBytes];
    int8_t percentValues[5];
    // The info boxes' object, read again only when the id changes.
    uint16_t infoId;
    int32_t infoValid;
    uint16_t infoAttack, infoDefence, infoSpeed;
    uint32_t infoElements;
    uint8_t infoElement5;
};
extern HudState gHud;

// Bits of the battle's UI word.
constexpr uint32_t kUiPercentPanel = 0x20;
extern uint32_t gBattleUiFlags;
