// Bookkeeping of the combatants: pending damage, defeats, the end by status.
#pragma once
#include <cstdint>

// Per frame, for every combatant in gArrangeOrder.
void UpdateBattleRoles();
// Party slot `slot` was put out from outside a turn (by the battle script):
// it is the downed member whose defeat is pending.
void NoteDownedMember(int slot);
// The dying marks, one table per side: enemy `index` (gDyingMark) and party
// slot `slot` (gManDyingMark) while its defeat is pending. An index outside
// its table is refused with one trace.
void MarkEnemyDying(int index);
void MarkMemberDying(int slot);
// 1 when the standing roles' ailments decided the battle.
int CheckBattleEndByStatus();
// Books the defeat of enemy `index` (side 0) or party slot `index` (side 1)
// once its defeat display has ended: rewards, stolen items, the queue, the
// counts, victory and defeat. 1 on the one frame the defeat is booked.
int BookDefeat(int index, int side);
// The party slot of guard place 1 or 2: guards hold the last party slots
// (members, then the spirit when it fights, then the guards), place 1 first,
// so with no guard standing place 1 is the next free slot and with one guard
// place 2 is. -1 when the slot would lie outside the party slots. The
// command menus write the place into this slot's battle slot record and the
// summon sets the guard up there.
int GuardPlaceSlot(int place);
// At the battle's end: the guards' items and the spent objects back to the
// inventory (once).
void ClearWaitSlots();
// Trigger event `event` on every enemy that is not out.
void RaiseEventOnLiveEnemies(uint16_t event);
// 0 when some standing party member proper carries no effect of `mask`; 1
// otherwise, also with no member standing.
int FindAllyWithStatus(uint32_t mask);
// 1 when some standing party member proper carries an assist effect.
int FindAllyWithoutStatus();
