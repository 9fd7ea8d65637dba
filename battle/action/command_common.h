// What the party's and the enemies' command application share: the hit
// booking, the music ducking, the set-up of magic and the frame bound of a
// command.
#pragma once
#include <cstdint>

class Role;
class ManRole;

namespace command {

constexpr uint16_t kDigitsDamage = 9097, kDigitsHeal = 9085;
constexpr uint16_t kSoundFail = 278, kSoundGain = 279, kSoundRefused = 140;
constexpr int kMsgX = 280, kMsgY = 10;

// A target that went down: its side's dying mark, the last downed and the
// white frame.
void NoteDown(Role* target);
// Books the hit of gActionLife on the target; true when it went down (the
// actor's command then becomes 300). With `technique` the member's
// technique points rise (2, and 5 more on a down).
bool BookHit(Role* actor, Role* target, bool technique);
// The music level drops by one a frame while above 5; restored at the end.
void DuckMusic();
void RestoreMusic();
// The frame bound of the command of combatant `id`: true when it ran out
// (one trace; the caller finishes the command).
bool CommandFramesOut(int id);
// The command of the combatant is over: its stage and frame count cleared.
void EndCommand();
// The running action's bits cleared and its tables emptied.
void ClearActionWord();
// The command's performer, latched: true once it has finished and the action
// its act started (the running bit) has ended too; the action's word is then
// cleared. The performer is not called again after it finished.
bool PerformerDone(int (*performer)(Role*, Role*, int), Role* actor, Role* target, int param);
// The next stage of the command needs its performer again.
void RearmPerformer();
// Creates the ripple of an action with flag 13 (ripple mode on).
void CreateActionRipple();
// The action ended: the ripple freed unless the battle keeps it.
void ReleaseActionRipple();
// The enemies standing.
int CountStandingEnemies();

}  // namespace command
