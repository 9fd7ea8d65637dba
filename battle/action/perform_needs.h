// What the command application and the action performance need from the
// battle's other modules that are not built yet: each is a small stand-in
// with the simplest body, named after the operation it stands for, in one
// namespace so that none clashes with the real one. When the real one is
// built, the body here becomes a call to it (or the caller calls it direct).
#pragma once
#include <cstdint>

class Role;
class ManRole;
class MonRole;

namespace needs {

// ---- The party's special actions ----
int RunCode4Act(ManRole* actor, Role* target, int code);      // and RunCode400Act ... 500
uint32_t RollCaptureChance(ManRole* actor, Role* target);     // 1 success
void BeginCaptureEffect(ManRole* actor, Role* target);
int StepCaptureEffect(ManRole* actor);                        // 1 when done
uint32_t TryStealItem(ManRole* actor, Role* target);          // id, 0 failed, kStealNothing nothing
int RunStealAct(ManRole* actor, Role* target);
uint32_t RollControlChance(ManRole* actor, Role* target);
int RunRetreatAct(ManRole* actor, int mode);
uint32_t RollLevelChance(ManRole* actor, uint16_t level);
int RunSummonAct(ManRole* guard, int x, int y);
int RunSkillAct(ManRole* actor, Role* target, int act);       // also the throw and code 33's act
int RunSkill24Act(ManRole* actor, Role* target);              // 2 on the hit frame, 1 when over
int RunRefineAct(ManRole* actor, Role* target, int code);     // RunCommand13Act / RunCommand14Act
int RunFusionAct(ManRole* actor, ManRole* guard);
uint32_t RollSkillChance(uint16_t level);
// The weapon skill's scale of a gathered life total; 1 when it applied.
uint32_t ApplySkillDamageScale(ManRole* member, int32_t* value);

// ---- Role drawing and the defeat display ----
int RunDefeatEffect(Role* role);       // 1 when the role has left
int RoleAppear(Role* role);
int RoleVanish(Role* role);
int FadeOutRole(Role* role);
int FadeInRole(Role* role);
int RunSwallowEffect(MonRole* enemy, Role* target);  // 1 when the screen effect ends

// ---- Turns and bookkeeping ----
void TryRetreat(int slot);
int StrikeAllEnemies(int slot);        // 1 when done
void ClearEnemyMarks(int index);
// The dying marks, one table per side: enemies by id, party roles by slot.
void MarkEnemyDying(int index);
void MarkMemberDying(int slot);

// ---- Effect layers ----
void AddSecondLayerMagic(int act, uint32_t param, int x, int y, uint32_t mirror);
void DrawSecondLayerMagic();
int16_t GetSecondLayerMark();
int SecondLayerEmpty();                // 1 when no second-layer magic runs

// ---- HUD and frame prompts ----
// The group technique's timed prompt; 0 when there is none to start (the
// stage then moves on at once).
int StartGroupPrompt();
// The chained attack's timed key prompt: 1 started.
int StartChainPrompt(int x, int y);
// One frame of it: 1 a strike is due, 0 waiting, -1 the prompt has ended.
int StepChainPrompt();
// The treasure strike's rolling counter (from `level`); 1 when locked.
int StepRollingCounter(int level, int frames);

}  // namespace needs

namespace needs {
// The battle's treasure reward so far (the result pages' sum).
int BattleTreasureReward();
// The HUD's results flag (an action with flag 14 raises it).
void RaiseHudResultsFlag();
}  // namespace needs

namespace needs {
// A hit signal of the command input (the timed skill's key); 1 once per signal.
int TakeHitSignal();
}  // namespace needs
