// Stand-ins for what other battle modules will build (see perform_needs.h).
#include "battle/action/perform_needs.h"

#include <algorithm>

#include "battle/action/action_state.h"
#include "battle/effects/effect_layers.h"
#include "battle/manrole/manrole.h"
#include "battle/role/roles.h"
#include "battle/turn/targeting.h"
#include "battle/turn/turn_state.h"
#include "battle/turn/turn_steps.h"

namespace needs {

int RunCode4Act(ManRole*, Role*, int) { return 1; }
uint32_t RollCaptureChance(ManRole*, Role*) { return 0; }
void BeginCaptureEffect(ManRole*, Role*) {}
int StepCaptureEffect(ManRole*) { return 1; }
uint16_t TryStealItem(ManRole*, Role*) { return 0; }
int RunStealAct(ManRole*, Role*) { return 1; }
uint32_t RollControlChance(ManRole*, Role*) { return 1; }
int RunRetreatAct(ManRole*, int) { return 1; }
uint32_t RollLevelChance(ManRole*, uint16_t) { return 0; }
int RunSummonAct(ManRole*, int, int) { return 1; }
int RunSkillAct(ManRole*, Role*, int) { return 1; }
int RunSkill24Act(ManRole*, Role*) { return 1; }
int RunRefineAct(ManRole*, Role*, int) { return 1; }
int RunFusionAct(ManRole*, ManRole*) { return 1; }
uint32_t RollSkillChance(uint16_t) { return 0; }
uint32_t ApplySkillDamageScale(ManRole*, int32_t*) { return 0; }

int RunDefeatEffect(Role* role) { return role ? int(role->RunDefeatEffect()) : 1; }
int RoleAppear(Role* role) { return role ? int(role->RoleAppear(nullptr)) : 1; }
int RoleVanish(Role* role) { return role ? int(role->RoleVanish()) : 1; }
int FadeOutRole(Role* role) { return role ? int(role->FadeOutRoleFrame(0)) : 1; }
int FadeInRole(Role* role) { return role ? int(role->FadeInRoleFrame()) : 1; }
int RunSwallowEffect(MonRole*, Role*) { return 1; }

void TryRetreat(int slot) { ::TryRetreat(slot); }
int StrikeAllEnemies(int slot) { return ::StrikeAllEnemies(slot); }
void ClearEnemyMarks(int index) { ::ClearEnemyMarks(index); }
void MarkEnemyDying(int index) {
    if (index >= 0 && index < kMaxMonRoles) gDyingMark[index] = index;
}
void MarkMemberDying(int slot) {
    if (slot >= 0 && slot < 10) gManDyingMark[slot] = slot;
}

void AddSecondLayerMagic(int act, uint32_t param, int x, int y, uint32_t mirror) {
    ::AddSecondLayerMagic(act, param, uint16_t(x), uint16_t(y), mirror);
}
void DrawSecondLayerMagic() { ::DrawSecondLayerMagic(); }
int16_t GetSecondLayerMark() { return ::GetSecondLayerMark(); }
int SecondLayerEmpty() { return ::IsSecondLayerMagicEmpty(); }

int StartGroupPrompt() { return 0; }
int StartChainPrompt(int, int) { return 0; }
int StepChainPrompt() { return -1; }
int StepRollingCounter(int, int) { return 1; }

}  // namespace needs

namespace needs {
int BattleTreasureReward() { return int(std::min<uint32_t>(gRewardTreasure, INT32_MAX)); }
void RaiseHudResultsFlag() {}
}  // namespace needs

namespace needs {
int TakeHitSignal() { return 0; }
}  // namespace needs
