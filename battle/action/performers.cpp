// The real performers behind the command application's table.
#include "battle/action/performers.h"

#include "battle/action/action_perform.h"
#include "battle/action/perform_needs.h"
#include "battle/role/roles.h"

namespace {

ManRole* Man(Role* r) { return r != nullptr && r->side == 1 ? static_cast<ManRole*>(r) : nullptr; }
MonRole* Mon(Role* r) { return r != nullptr && r->side == 0 ? static_cast<MonRole*>(r) : nullptr; }

int Attack(Role* a, Role* t, int) { return Man(a) ? Man(a)->ManRoleAttack(t, 0) : 1; }
int Approach(Role* a, Role* t, int) { return a ? a->StepRoleApproach(t) : 1; }
int WalkBack(Role* a, Role* t, int) { return a ? a->StepRoleStrike(t, -1, 0) : 1; }
int Technique(Role* a, Role* t, int code) { return needs::RunCode4Act(Man(a), t, code); }
int Skill(Role* a, Role* t, int act) { return needs::RunSkillAct(Man(a), t, act); }
int Skill24(Role* a, Role* t, int) { return needs::RunSkill24Act(Man(a), t); }
int Refine(Role* a, Role* t, int code) { return needs::RunRefineAct(Man(a), t, code); }
int Steal(Role* a, Role* t, int) { return needs::RunStealAct(Man(a), t); }
int Retreat(Role* a, Role*, int mode) { return needs::RunRetreatAct(Man(a), mode); }
int Summon(Role* a, Role*, int) {
    int16_t x = 0, y = 0;
    if (a != nullptr) a->GetHomePos(&x, &y);
    return needs::RunSummonAct(Man(a), x, y);
}
int Fusion(Role* a, Role* t, int) { return needs::RunFusionAct(Man(a), Man(t)); }
int Capture(Role* a, Role*, int) { return needs::StepCaptureEffect(Man(a)); }
int Defeat(Role*, Role* t, int) { return needs::RunDefeatEffect(t); }
int Appear(Role* a, Role*, int) { return needs::RoleAppear(a); }
int Vanish(Role* a, Role*, int) { return needs::RoleVanish(a); }
int MonAttack(Role* a, Role* t, int) { return Mon(a) ? Mon(a)->MonRoleAttack(t) : 1; }
int MonSpecial(Role* a, Role* t, int) { return Mon(a) ? Mon(a)->MonSpecialAct(t) : 1; }
int MonLeave(Role* a, Role*, int) { return Mon(a) ? Mon(a)->MonLeaveAct() : 1; }
int Swallow(Role* a, Role* t, int) { return needs::RunSwallowEffect(Mon(a), t); }
int FadeOut(Role* a, Role*, int) { return needs::FadeOutRole(a); }
int FadeIn(Role* a, Role*, int) { return needs::FadeInRole(a); }

constexpr ActPerformers kDefaults{Attack,  Approach, WalkBack,  Technique,  Skill,   Skill24,  Refine,
                                  Steal,   Retreat,  Summon,    Fusion,     Capture, Defeat,   Appear,
                                  Vanish,  MonAttack, MonSpecial, MonLeave, Swallow, FadeOut,  FadeIn,
                                  PlayTargetHitAct, PlaySideHitAct};

}  // namespace

ActPerformers gPerformers = kDefaults;

void UseDefaultPerformers() { gPerformers = kDefaults; }
