// The battle HUD below the field and the animated scene sprites above it.
#pragma once
#include <cstdint>

#include "draw/act_pack.h"
#include "draw/rle.h"
#include "battle/hud/hud_pieces.h"

constexpr int kSceneSpriteFrames = 6;

// An animated sprite of the battle scene: its act and the picture frames it
// shows, read once when the scene loads and kept until it is freed.
struct SceneSprite {
    ActRecord act;
    int32_t x, y;
    uint16_t number;
    int32_t blend;
    uint16_t framePic[kSceneSpriteFrames];
    uint16_t frameIndex[kSceneSpriteFrames];
    PicFrame frames[kSceneSpriteFrames];
    int frameCount;
};

// Reads the sprite's frames (at most six distinct ones; an act that loops
// for ever is read for a bounded number of steps) and shifts each by
// 640 / divisor pixels.
void LoadSceneSprite(SceneSprite* sprite, int32_t x, int32_t y, uint16_t act, int divisor);
// Steps and draws the sprite; its act's ended flag (1 also for an empty one).
int DrawSceneSprite(SceneSprite* sprite);
// Shifts every kept frame by |amount| pixels (right for a positive amount,
// left for a negative one) and draws the sprite; the battle scene's fades
// and scrolls use it.
void ShadeSceneSprite(SceneSprite* sprite, int amount);
void FreeSceneSprite(SceneSprite* sprite);

// The party's status strip below the field: each member's gauge or name,
// life, spirit and stamina bars and numbers (eased toward the true values),
// icon, effect icons and charge bar; the spirit's corner; the running-total
// gauge and the auto-attack box.
void DrawPartyStatus();
// The shown full life and shown spirit of party slot `slot` follow the role
// at once (a script set its gauges): no easing from the old values.
void RefreshShownGauges(int slot);
// The swelling gauge bar of slot 0..3 (pack frame 0 zoomed about its centre);
// 1 when it has swollen out (its counters start again).
int DrawSpinningIcon(int slot, uint16_t pack, int32_t x, int32_t y);
// The elemental percentage panel while the UI word's bit 0x20 is set, with
// the record SetPercentPanelRecord gave (values 0..100 per element).
void DrawPercentPanel();
void SetPercentPanelRecord(const char* name, const int8_t values[5]);
// The running-total gauge at (x, y) while it is switched on.
void DrawAccumGauge(int32_t x, int32_t y);
void SetAccumulatorGaugeOn(int on);
// The charge gauge of n sixths, and the timing bar (1 when its cursor ran out).
void DrawChargeGauge(int32_t x, int32_t y, int n, int style);
int DrawTimingBar(int32_t x, int32_t y);
// The timing bar from its start: cursor at 0, no mark hit or taken.
void StartTimingBar();

// Moves the result pages' eased height by (target - height - start) /
// divisor (toward zero); 1 when that step is 0 (it has arrived).
int EaseResultCounter(int32_t start, int32_t target, int32_t divisor);

// The reward roulette: maxima 5, 5, 0, 0 with two digits shown, then n steps,
// each raising the first maximum below 9 (the third shows three digits, the
// fourth four).
void ResetDigitCounter(int n);
void StepDigitCounter();
void RollCounterDigits();
// One frame of the roulette; stop 1 fixes the next digit. 1 when every shown
// digit has stopped, with the number in *result.
int DrawRewardRoulette(int32_t x, int32_t y, int32_t* result, int stop);
// The bonus of the stopped digits: experience, silver factor or treasure
// experience, posted as a battle message and kept for the results.
void DrawBattleReward();

// One frame of the coin spin while it runs; 1 when it has ended.
int RunCoinSpin();
extern uint32_t gCoinSpinOn;
// The running-total gauge and its shown fill back to empty.
void ResetBattleCounters();
