// The player's keys and mouse in battle.
#pragma once

// 1 when the mouse hit something this frame.
int BattleMouseHitTest();
void BattleKeyInput();
