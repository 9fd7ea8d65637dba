// The performers the command application calls, by what they do. Each is
// called once per frame and returns 1 on the frame it finishes (0 while it
// runs); codes 24's act reports 2 on its hit frame. The table starts on the
// roles' own performers; tests put fakes in its place (UseDefaultPerformers
// puts the real ones back).
#pragma once
#include <cstdint>

class Role;

// actor, target (may be null), a parameter (an act number, a code, a mode).
using Performer = int (*)(Role* actor, Role* target, int param);

struct ActPerformers {
    // Party side.
    Performer attack;      // ManRoleAttack(target, 0)
    Performer approach;    // StepRoleApproach(target)
    Performer walkBack;    // StepRoleStrike(target, -1, 0)
    Performer technique;   // RunCode4Act / RunCode400Act ... by code (param)
    Performer skill;       // RunSkillAct(target, act = param); 27 throws, 33 the sudden-death act
    Performer skill24;     // RunSkill24Act: 2 on its hit frame, 1 when over
    Performer refine;      // RunCommand13Act (param 13) / RunCommand14Act (param 14)
    Performer steal;       // RunStealAct(target)
    Performer retreat;     // RunRetreatAct(mode = param)
    Performer summon;      // RunSummonAct at the guard's place (actor = the guard)
    Performer fusion;      // RunFusionAct with the guard (target)
    Performer capture;     // StepCaptureEffect
    Performer defeat;      // RunDefeatEffect of the target
    Performer appear;      // RoleAppear
    Performer vanish;      // RoleVanish
    // Enemy side.
    Performer monAttack;   // MonRoleAttack(target)
    Performer monSpecial;  // MonSpecialAct(target)
    Performer monLeave;    // MonLeaveAct
    Performer swallow;     // the screen effect that joins the enemy and its target (param 1 starts it)
    Performer fadeOut;     // the enemy's fade-out (code 11)
    Performer fadeIn;      // the enemy's fade-in (code 12)
    // The hit acts of the running action: (target, attacker, act, slot | wholeSide << 8).
    int (*targetHit)(Role* target, Role* attacker, int act, int slot);
    int (*sideHit)(Role* target, Role* attacker, int act, int slot, int wholeSide);
};

extern ActPerformers gPerformers;

// The real performers back in the table.
void UseDefaultPerformers();
