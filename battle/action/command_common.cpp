// The shared steps of the command application.
#include "battle/action/command_common.h"

#include <algorithm>

#include "base/errorbox.h"
#include "base/settings.h"
#include "battle/action/action_state.h"
#include "battle/action/command_links.h"
#include "battle/battle_debug.h"
#include "battle/battle_services.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "battle/turn/bookkeeping.h"
#include "draw/ripple.h"
#include "media/music.h"

namespace command {

namespace {
constexpr int kMusicDuckFloor = 5;
constexpr uint32_t kOptionKeepRipple = 0x20;
}  // namespace

void NoteDown(Role* target) {
    gSomeoneDowned = 1;
    const int id = target->Id();
    if (target->side == 0) {
        gLastDowned = int16_t(id);
        MarkEnemyDying(id);
    } else {
        gAction.lastManDowned = int16_t(id - kFirstManId);
        MarkMemberDying(id - kFirstManId);
    }
    gFlashRequest = 1;
}

bool BookHit(Role* actor, Role* target, bool technique) {
    gHitApplied = 1;
    Stop = 0;
    bool down = false;
    if (target != nullptr) {
        const int id = target->Id();
        if (id >= 0 && id < kHitTargets) gAction.reacted[id < kFirstManId ? id : id - kFirstManId] = 1;
        if (!gInvincible && target->DamageRole(gActionLife, 0, 0) == 1) {
            down = true;
            NoteDown(target);
            if (actor != nullptr) actor->SetCommand(300);
        }
    }
    if (technique && actor != nullptr && actor->side == 1 && actor->battleRecord != nullptr) {
        MemberBattleRecord* rec = actor->battleRecord;
        rec->techniquePoints += down ? 7 : 2;
    }
    // The amount is booked: nothing of it is left for the next hit.
    gActionLife = 0;
    gActionSpirit = 0;
    gActionStamina = 0;
    return down;
}

void DuckMusic() {
    const int settings = int(std::min<uint32_t>(gMusicVolume, 11));
    if (gMusicLevel < 0) gMusicLevel = settings;
    if (gMusicLevel > kMusicDuckFloor) {
        --gMusicLevel;
        gMusic.SetMusicVolume(gMusicLevel * 127 / 11);
    }
}

void RestoreMusic() {
    if (gMusicLevel < 0) return;
    gMusicLevel = -1;
    gMusic.SetMusicVolume(int(std::min<uint32_t>(gMusicVolume, 11)) * 127 / 11);
}

bool CommandFramesOut(int id) {
    if (gAction.commandActor != id) {
        // A new command: nothing of one before it (a cancelled one too) is left.
        EndCommand();
        ClearActionWord();
        gAction.commandActor = id;
    }
    if (++gAction.commandFrames <= uint32_t(kCommandFrameCap)) return false;
    TraceHook("command: the command of combatant %d did not end within %d frames", id, kCommandFrameCap);
    return true;
}

void EndCommand() {
    gAction.commandActor = -1;
    gAction.commandFrames = 0;
    gAction.firstFrameDone = 0;
    gStaggerTick = 0;
    gAction.groupStage = 0;
    gAction.timedSkillRunning = 0;
    gAction.fleeRunning = 0;
    gAction.performerDone = 0;
    gAction.chainStriking = 0;
    gAction.summonSlot = -1;
    RestoreMusic();
    // A timed prompt never outlives its command.
    CloseHitWindow();
}

void ClearActionWord() {
    gActionFlags &= ~uint32_t(kActionRunning | kActionOver | kActionStrikeAll);
    ClearActionTargets();
    gActionLife = 0;
    gActionSpirit = 0;
    gActionStamina = 0;
}

bool PerformerDone(int (*performer)(Role*, Role*, int), Role* actor, Role* target, int param) {
    if (!gAction.performerDone) {
        if (performer == nullptr || performer(actor, target, param) == 0) return false;
        gAction.performerDone = 1;
    }
    if (gActionFlags & kActionRunning) {
        if (!(gActionFlags & kActionOver)) return false;
        // The action applied its own amounts: nothing is left to book twice.
        ClearActionWord();
    }
    return true;
}

void RearmPerformer() { gAction.performerDone = 0; }

void CreateActionRipple() {
    FreeActionRipple();
    cRipple* r = new cRipple();
    if (!r->InitRipple(640, 480, 0, 0, 200, 200)) {
        delete r;
        TraceHook("command: the ripple of the action could not be made");
        return;
    }
    gAction.ripple = r;
    gRippleMode = 1;
}

void ReleaseActionRipple() {
    if (!(gBattleOptions & kOptionKeepRipple)) FreeActionRipple();
    gRippleMode = 0;
}

int CountStandingEnemies() {
    int n = 0;
    for (uint32_t i = 0; i < std::min<uint32_t>(gBattleMonCount, kMaxMonRoles); ++i)
        if (!gMonRoles[i].IsOut()) ++n;
    return n;
}

}  // namespace command
