// One game frame, paced by the frame interval: story countdowns, keys, then
// exactly one of mini-game, save/load screen, battle, menu or map.
#pragma once
#include <cstdint>

// The value gDialogUnit takes at the start of a game and on the way back
// from a battle.
constexpr uint32_t kDialogUnit = 11;

void GameFrame();

// Parts of the frame, in the order it runs them.
void RunStoryCountdowns();
// Starts a requested story fight; clears the request word in every case.
void StartStoryFight();
