// The player's keys and mouse in battle.
#pragma once
#include <cstdint>

// 1 when the mouse hit something this frame.
int BattleMouseHitTest();
void BattleKeyInput();

// The repeat rule of the game keys: a record fires at frames held 1, and
// from 15 on every third frame (1, 16, 19, 22, ...).
bool BattleKeyFires(int record);
// Page Up and Page Down: every third frame (1, 4, 7, ...).
bool BattlePageKeyFires(int record);
// The confirm record: at 1, and from 15 on every sixth frame (1, 19, 25, ...).
bool BattleConfirmFires();

// The four stepping operations by menu state.
void BattlePrevEntry();
void BattleNextEntry();
void BattlePageUp();
void BattlePageDown();
// The column and tab steps.
void PrevSubEntry();
void NextSubEntry();
void BattleKeyBack();
// The common confirm path: the choice of the current state, or the icon
// menu of the commanding member.
void ConfirmCommand();

// Makes waiting member `id` the commanding one.
void SwapCommandingAlly(int id);
// 1 when `id` waits in gWaitOrder and is not held by an ailment.
int IsAllyWaitingFree(int id);
// The target cursor to the next enemy that is not out (back to the icons
// when none is left).
void NextEnemyTarget();
// The target cursor on the commanding member itself.
void TargetCommandingMember();
// After a choice: the confirm and the left button read as held, so a held
// key does not choose again in the next state.
void ResetBattleKeyBindings();

// The member-cycling operations of the keys. They act only while SEL is one
// of the ring ids 8..11, which party ids (20..29) never are: the keys switch
// no member; the mouse does, through SwapCommandingAlly.
void SelectNextMember();
void SelectPrevMember();
// The first member of the ring 10, 9, 8, 11 after (before) `id` that
// IsAllyWaitingFree accepts; 0 for none.
int NextRingMember(int id);
int PrevRingMember(int id);
