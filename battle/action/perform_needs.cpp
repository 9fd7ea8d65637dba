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

// The performers and rolls of the party's special actions are the role's
// own; these forward to them (a missing actor has nothing to play).
int RunCode4Act(ManRole* actor, Role* target, int code) {
    if (actor == nullptr) return 1;
    switch (code) {
    case 400: return actor->RunCode400Act(target, 0);
    case 401: return actor->RunCode400Act(target, 1);
    case 402: return actor->RunCode402Act(target);
    case 405: return actor->RunCode405Act(target);
    case 406: return actor->RunCode406Act(target);
    case 409: return actor->RunCode409Act(target);
    case 500: return actor->RunCode500Act(target);
    default: return actor->RunCode4Act(target);
    }
}
uint32_t RollCaptureChance(ManRole* actor, Role* target) { return actor ? actor->RollCaptureChance(target) : 0; }
void BeginCaptureEffect(ManRole* actor, Role* target) {
    if (actor != nullptr) actor->BeginCaptureEffect(target);
}
int StepCaptureEffect(ManRole* actor) { return actor ? actor->StepCaptureEffect() : 1; }
uint32_t TryStealItem(ManRole* actor, Role* target) { return actor ? actor->TryStealItem(target) : 0; }
int RunStealAct(ManRole* actor, Role* target) { return actor ? actor->RunStealAct(target) : 1; }
uint32_t RollControlChance(ManRole* actor, Role* target) { return actor ? actor->RollControlChance(target) : 0; }
int RunRetreatAct(ManRole* actor, int mode) { return actor ? actor->RunRetreatAct(mode) : 1; }
uint32_t RollLevelChance(ManRole* actor, uint16_t level) { return actor ? actor->RollLevelChance(level) : 0; }
int RunSummonAct(ManRole* guard, int x, int y) { return guard ? guard->RunSummonAct(x, y) : 1; }
// The throw (27), the sudden death (33) and the other skills by their code.
int RunSkillAct(ManRole* actor, Role* target, int code) {
    if (actor == nullptr) return 1;
    if (code == 27) return actor->RunThrowAct(target);
    if (code == 33) return actor->RunSkill33Act(target, 0);
    return actor->RunSkillAct(target, 0);
}
int RunSkill24Act(ManRole* actor, Role* target) { return actor ? actor->RunSkill24Act(target) : 1; }
int RunRefineAct(ManRole* actor, Role* target, int code) {
    if (actor == nullptr) return 1;
    return code == 14 ? actor->RunCommand14Act(target) : actor->RunCommand13Act(target);
}
int RunFusionAct(ManRole* actor, ManRole* guard) {
    if (actor == nullptr) return 1;
    return actor->RunFusionAct(guard, guard != nullptr ? guard->slot.spriteSet : 0);
}
uint32_t RollSkillChance(uint16_t level) { return gManRoles[0].RollSkillChance(level); }  // the roll reads no role state
uint32_t ApplySkillDamageScale(ManRole* member, int32_t* value) {
    if (member == nullptr || value == nullptr) return 0;
    uint16_t v = uint16_t(std::clamp<int32_t>(*value, 0, 0xFFFF));
    if (member->ApplySkillDamageScale(&v) == 0) return 0;
    *value = v;
    return 1;
}

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
