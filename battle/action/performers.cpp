// The real performers behind the command application's table.
#include "battle/action/performers.h"

#include "battle/action/action_perform.h"
#include "battle/role/roles.h"

namespace {

ManRole* Man(Role* r) { return r != nullptr && r->side == 1 ? static_cast<ManRole*>(r) : nullptr; }
MonRole* Mon(Role* r) { return r != nullptr && r->side == 0 ? static_cast<MonRole*>(r) : nullptr; }

int Attack(Role* a, Role* t, int) { return Man(a) ? Man(a)->ManRoleAttack(t, 0) : 1; }
int Approach(Role* a, Role* t, int) { return a ? a->StepRoleApproach(t) : 1; }
int WalkBack(Role* a, Role* t, int) { return a ? a->StepRoleStrike(t, -1, 0) : 1; }
// The technique of code 4 and the special techniques by their code.
int Technique(Role* a, Role* t, int code) {
    ManRole* m = Man(a);
    if (m == nullptr) return 1;
    switch (code) {
    case 400: return m->RunCode400Act(t, 0);
    case 401: return m->RunCode400Act(t, 1);
    case 402: return m->RunCode402Act(t);
    case 405: return m->RunCode405Act(t);
    case 406: return m->RunCode406Act(t);
    case 409: return m->RunCode409Act(t);
    case 500: return m->RunCode500Act(t);
    default: return m->RunCode4Act(t);
    }
}
// The throw (27), the sudden death (33) and the other skills by their code.
int Skill(Role* a, Role* t, int code) {
    ManRole* m = Man(a);
    if (m == nullptr) return 1;
    if (code == 27) return m->RunThrowAct(t);
    if (code == 33) return m->RunSkill33Act(t, 0);
    return m->RunSkillAct(t, 0);
}
int Skill24(Role* a, Role* t, int) { return Man(a) ? Man(a)->RunSkill24Act(t) : 1; }
int Refine(Role* a, Role* t, int code) {
    ManRole* m = Man(a);
    if (m == nullptr) return 1;
    return code == 14 ? m->RunCommand14Act(t) : m->RunCommand13Act(t);
}
int Steal(Role* a, Role* t, int) { return Man(a) ? Man(a)->RunStealAct(t) : 1; }
int Retreat(Role* a, Role*, int mode) { return Man(a) ? Man(a)->RunRetreatAct(mode) : 1; }
int Summon(Role* a, Role*, int) {
    if (Man(a) == nullptr) return 1;
    int16_t x = 0, y = 0;
    a->GetHomePos(&x, &y);
    return Man(a)->RunSummonAct(x, y);
}
int Fusion(Role* a, Role* t, int) {
    ManRole* guard = Man(t);
    return Man(a) ? Man(a)->RunFusionAct(guard, guard != nullptr ? guard->slot.spriteSet : 0) : 1;
}
int Capture(Role* a, Role*, int) { return Man(a) ? Man(a)->StepCaptureEffect() : 1; }
int Defeat(Role*, Role* t, int) { return t ? int(t->RunDefeatEffect()) : 1; }
int Appear(Role* a, Role*, int) { return a ? int(a->RoleAppear(nullptr)) : 1; }
int Vanish(Role* a, Role*, int) { return a ? int(a->RoleVanish()) : 1; }
int MonAttack(Role* a, Role* t, int) { return Mon(a) ? Mon(a)->MonRoleAttack(t) : 1; }
int MonSpecial(Role* a, Role* t, int) { return Mon(a) ? Mon(a)->MonSpecialAct(t) : 1; }
int MonLeave(Role* a, Role*, int) { return Mon(a) ? Mon(a)->MonLeaveAct() : 1; }
// The screen effect that joins the swallowing enemy and its target: the
// target's frame goes up in particles from the enemy (the enemy's
// screen-effect slot 0); param 1 starts it. Done when the particles are
// spent, or at once when the target's frame cannot be unpacked.
constexpr int kSwallowSlot = 0;
int Swallow(Role* a, Role* t, int start) {
    if (a == nullptr) return 1;
    if (start == 1 && a->StartRoleScreenEffect(kSwallowSlot, t) == 0) return 1;
    return int(a->EndRoleScreenEffect(kSwallowSlot));
}
int FadeOut(Role* a, Role*, int) { return a ? int(a->FadeOutRoleFrame(0)) : 1; }
int FadeIn(Role* a, Role*, int) { return a ? int(a->FadeInRoleFrame()) : 1; }

constexpr ActPerformers kDefaults{Attack,  Approach, WalkBack,  Technique,  Skill,   Skill24,  Refine,
                                  Steal,   Retreat,  Summon,    Fusion,     Capture, Defeat,   Appear,
                                  Vanish,  MonAttack, MonSpecial, MonLeave, Swallow, FadeOut,  FadeIn,
                                  PlayTargetHitAct, PlaySideHitAct};

}  // namespace

ActPerformers gPerformers = kDefaults;

void UseDefaultPerformers() { gPerformers = kDefaults; }
