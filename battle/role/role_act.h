// Small act-block helpers of the performers: start a block on an act and
// step it a frame. The drawing of the blocks belongs to the act players.
#pragma once
#include <cstdint>

struct ActBlock;

// Starts `block` on act `act` of sprite set `spriteSet`; false (the block
// left empty) when the act gives no frame.
bool StartBlockAct(ActBlock* block, uint16_t spriteSet, int32_t act);
// One frame of the block's act; true once it has ended or has nothing to
// play (the block is then emptied).
bool StepBlockAct(ActBlock* block);
