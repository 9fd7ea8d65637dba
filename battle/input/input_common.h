// Small helpers the command input's files share (battle/input only).
#pragma once
#include <cstdint>

class ManRole;
class Role;

// A menu sound at the effects volume.
void MenuSound(int id);
// The commanding member's role and party slot; null and -1 when SEL names
// no party role in use.
ManRole* CommandingRole();
int CommandingSlot();
// 1 when enemy `index` is in the battle and not out.
bool EnemyStanding(int index);
int StandingEnemyCount();
// Enemy index at 1-based position `pick` of the target order; -1 when the
// position or the index lies outside the battle.
int EnemyAtPick(int pick);
// Every highlight of one side cleared (0 enemies, 1 party).
void ClearSideHighlights(int side);
// The target cursor on enemy `index`: its wait frame loaded, the other
// enemies' highlights cleared, its own set, MS = index + 1.
void MarkEnemyTarget(int index);
// The same for party slot `slot`.
void MarkPartyTarget(int slot);
// Members proper present: the party count less the guards and other added
// roles.
int MembersPresent();
// The entry under a list's cursor (1-based) and whether it exists.
inline int ListEntry(int top, int cursor) { return top + cursor; }
