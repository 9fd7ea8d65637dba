// The performance of the running action and the battle's inventory helpers.
#pragma once
#include <cstdint>

class Role;
struct ObjRecord;

// A role's hit point on the screen: its frame's hit point from the drawing
// origin, or the frame's centre when the act names none. Acts played on a
// role stand there.
void HitPointOnScreen(const Role* role, int16_t* x, int16_t* y);
// One frame of the running action; 1 when it has ended.
int RunCurrentAction();
// One frame of the hit act on one target (per-target slot); 1 when over.
int PlayTargetHitAct(Role* target, Role* attacker, int act, int slot);
// One frame of one act on the target, or with wholeSide 1 over its whole
// side; 1 when over.
int PlaySideHitAct(Role* target, Role* attacker, int act, int slot, int wholeSide);
// An act in a role's hit-act slot at its hit point; 1 when ended (or when it
// cannot be stepped: the slot is then cleared).
int PlayRoleSlotAct(Role* role, int act, int slot);
// The hit of one frame of a hit act (event 0x1, or 0x10 without the hurt
// mark): the resolution capped at 9999 (-1 no number, gathered as 0), its
// shown numbers, and the amounts gathered in the target's slot (life,
// spirit and stamina of several hits add up).
void ResolveTargetHit(Role* target, Role* attacker, int slot, int hurt);
// One frame of a follow-up fading on a target; 1 when done.
int DrawHitFollowUp(Role* target, int act, int param, int slot);
// The drains of an action from its target (giver) to its actor (taker), by
// the actor's target kind (1 life, 2 spirit, 4 stamina).
void TransferAmount(int32_t* amount, Role* taker, Role* giver);
// The drains gathered quietly, shown and applied on the taker at once; 1
// when anything was applied.
int ApplyTransferTotals(Role* taker);
// The line mover of thrown acts; 1 on arrival.
int MoveAlongLine(int* x, int* y, int x0, int y0, int x1, int y1, int mode, int delay, int slot);
// The automatic attack of the choosing member while gAutoAttack is on.
void RunAutoAttack();

// A loot item into the bag (kind 1: as new). Null when nothing was added:
// id 0, an item already at the cap of 99, or an id without a record.
const ObjRecord* AddLootItem(uint16_t id, int kind);
void SortInventoryById();
void SortMagicListsById();
// Gives back every item enemy `index` stole (once: the slots are cleared),
// with one sound and one message; the count given back.
int ReturnStolenItems(int index);
