// How the enemies and the automatic roles pick their targets, and the scans
// over the roles the turn steps use.
#pragma once
#include <cstdint>

class Role;

// The party roles that fight: the party-side roles less the summoned guards
// and the talisman spirit (neither counts as a member of the party).
int FightingPartySize();
// A standing party member proper: in use, not out, the member flag set.
bool IsStandingMember(int slot);
// A standing enemy: in use and not out.
bool IsStandingEnemy(int id);

// The party slot + 1 that mode 1..6 (low byte) picks: life lowest, spirit
// highest, stamina highest, agility lowest, defence lowest, attack highest,
// each against the first standing member; 0 when no member can be targeted
// or the mode is unknown.
int ChooseEnemyTarget(int mode);
// The random party target of an enemy's turn (0-based), drawn with the
// repeat rule and the hunt; -1 when no party role can be targeted. The
// draws are bounded: after kTargetDrawLimit misses the target is taken from
// the candidates directly.
int DrawRandomPartyTarget(int enemyId);
// A random standing enemy not under the stone ailment; -1 when none.
int DrawRandomEnemyTarget();
// 1 + the index of the highest enemy score (the first of equal highs).
int FindTopEnemyScore();
// Every control mark of enemy n is cleared, with its member's control effect.
void ClearEnemyMarks(int n);
// The guard item word `i`: 1 the first guard, 2 the second. Any other index
// is refused with one trace.
void SetAllyWaitMark(int i, uint16_t value);
// Moves the other party roles aimed at the enemy just downed to the next
// standing enemy, or empties the turn state when none is left.
void RetargetAllies(int slot, int target);
// The enemy last downed (gLastDowned) was put out from outside a turn (by
// the battle script): the allies aimed at it move on (as RetargetAllies
// moves them) in the next enemy step, before its defeat is booked.
void RequestRetarget();
// Carries out a pending request of RequestRetarget (none: nothing).
void RunRequestedRetarget();
// The spreading effect of every role of a side (0 party, 1 enemies).
void SpreadContagion(int side);
// The strike on all enemies of party slot `slot`; 1 when done.
int StrikeAllEnemies(int slot);
// Advances the shown numbers of a role (side 1 party, else enemy); 1 when
// none are left.
int StepShownNumbers(int index, int side);
