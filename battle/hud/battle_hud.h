// The battle HUD below the field and the animated scene sprites above it.
#pragma once
#include <cstdint>

#include "draw/act_pack.h"
#include "draw/rle.h"

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
void FreeSceneSprite(SceneSprite* sprite);

// Frame 0 of a picture at (x, y).
void DrawPackFirstFrame(uint16_t picture, int32_t x, int32_t y);
// The party's status strip below the field.
void DrawPartyStatus();
void DrawPercentPanel();
// One frame of the coin spin while it runs; 1 when it has ended.
int RunCoinSpin();
extern uint32_t gCoinSpinOn;
// The running-total gauge and its shown fill back to empty.
void ResetBattleCounters();
