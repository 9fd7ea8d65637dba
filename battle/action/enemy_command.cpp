// The enemies' command application: one frame of the command of the enemy
// that holds the turn, and the booking of what it did.
#include "battle/action/enemy_command.h"

#include <algorithm>
#include <cstdio>

#include "base/errorbox.h"
#include "base/settings.h"
#include "battle/action/action_perform.h"
#include "battle/action/action_state.h"
#include "battle/action/action_texts.h"
#include "battle/action/command_common.h"
#include "battle/action/performers.h"
#include "battle/battle_debug.h"
#include "battle/battle_frame.h"
#include "battle/battle_state.h"
#include "battle/effects/effect_layers.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "battle/turn/attack_order.h"
#include "media/sound_bank.h"
#include "world/org/obj_tables.h"

using namespace command;

namespace {

constexpr uint32_t kMsgFlagsResult = kMsgBanner | kMsgCentred;
constexpr uint32_t kMsgFlagsStrip = kMsgStrip | kMsgCentred;
constexpr uint32_t kEffectControl = 0x400;
constexpr uint16_t kReinforceFrames = 25;
constexpr uint16_t kReinforceBit = 0x8000;
constexpr uint16_t kStatusCalledIn = 0x400;
constexpr uint16_t kStatusFadedOut = 0x1000;

struct Ctx {
    MonRole* e;
    int id;
    Role* t;
    int target;
    bool ownSide;
    uint16_t code;
    bool first;
};

void Say(const char* text, uint16_t colour, uint32_t flags) { AddBattleMessage(kMsgX, kMsgY, colour, text, flags); }
void Sound(uint16_t id) { PlaySfx(id, int(gSfxVolume)); }

MonRole* gActor = nullptr;  // the enemy whose command is applied this call

// The command is over: nothing of it is left to run again on a later frame.
int Finish() {
    if (gActor != nullptr) {
        gActor->command = 0;
        gActor->subCommand = 0;
    }
    EndCommand();
    return 1;
}
int FinishUm() {
    UM = -1;
    return Finish();
}

void RebuildOrder() {
    CollectActorPositions();
    SortDrawOrder();
}

void CameraDark() {
    for (int32_t& w : gEffects.colourTarget) w = -12;
    SkipBattleBackground();
}

// The enemy's attack took an item from the party: it goes into the first
// free of the enemy's slots; with every slot used the steal fails.
void StealOnAttack(Ctx& c) {
    if (!gPendingSteal) return;
    gPendingSteal = 0;
    uint16_t* free = nullptr;
    for (uint16_t& s : gStolenItems[c.id])
        if (s == 0) {
            free = &s;
            break;
        }
    ManRole* member = c.t != nullptr && c.t->side == 1 ? static_cast<ManRole*>(c.t) : nullptr;
    const uint16_t item = free != nullptr && member != nullptr ? member->StealPartyItem() : 0;
    if (item == 0) {
        Say(kEnemyStealFailText, 50, kMsgFlagsStrip);
        return;
    }
    *free = item;
    ObjRecord rec{};
    char text[96];
    const bool read = ReadObjRecord(&rec, item) == 1;
    std::snprintf(text, sizeof text, kEnemyStoleText, read ? rec.name : "");
    FreeRecordText(&rec);
    Sound(kSoundGain);
    Say(text, 50, kMsgFlagsResult);
}

int RowAttack(Ctx& c) {
    if (c.t == nullptr) return FinishUm();
    if (c.ownSide) {
        if (!PerformerDone(gPerformers.monAttack, c.e, c.t, 0)) return 0;
        if (BookHit(nullptr, c.t, false)) gPendingDefeat[c.target] = c.target;
        return FinishUm();
    }
    if (!PerformerDone(gPerformers.monAttack, c.e, c.t, 0)) return 0;
    // A member under the control effect gets this enemy as its mark.
    if (c.t->HasRoleEffect(kEffectControl) && c.target >= 0 && c.target < kControlMarks &&
        gControlMark[c.target] == 0)
        gControlMark[c.target] = uint16_t(c.id + 1);
    StealOnAttack(c);
    gHitApplied = 1;
    Stop = 0;
    TransferAmount(&gActionLife, c.e, c.t);
    if (!gInvincible && c.t->DamageRole(gActionLife, gActionSpirit, gActionStamina) == 1) NoteDown(c.t);
    gActionLife = 0;
    gActionSpirit = gActionStamina = 0;
    UM = -1;
    c.t->CloseCancelWindow();
    RearmPerformer();
    c.e->SetCommand(300);
    if (gPendingFollowUp) {
        gPendingFollowUp = 0;
        const int32_t amount = std::clamp(gAction.followUpDamage, -kShownAmountCap, kShownAmountCap);
        gAction.followUpDamage = 0;
        if (!c.t->IsOut()) {
            c.t->PushShownNumber(kDigitsDamage);
            c.t->SetDamageDigits(int16_t(amount));
            c.t->CommitShownNumber(1);
            if (!gInvincible && c.t->DamageRole(amount, 0, 0) == 1) NoteDown(c.t);
        }
        c.e->command = 0;
        c.e->subCommand = 0;
        return Finish();
    }
    return 0;
}

int RowMagic(Ctx& c) {
    if (c.first) {
        ClearActionTargets();
        gActionLife = 0;
        gActionSpirit = gActionStamina = 0;
        gStaggerDelay = kDefaultStaggerDelay;
        if (c.e->IsActionFlag13()) CreateActionRipple();
        const int manCount = int(std::min<uint32_t>(gBattleManCount, kMaxManRoles));
        if (!c.ownSide && gCurRole.wholeSide == 0 && (c.t == nullptr || c.t->IsOut())) {
            // The target is out: the first standing, untargeted party role that is not the spirit.
            for (int s = 0; s < manCount; ++s) {
                ManRole& m = gManRoles[s];
                if (m.IsOut() || m.IsRoleTargeted() || m.IsSpiritRole()) continue;
                c.e->BeginRoleAction(int16_t(s));
                break;
            }
        }
        if (gCurRole.wholeSide != 0) {
            ALk1 = 0;
            if (c.ownSide) {
                ALk1 = CountStandingEnemies();
            } else {
                for (int s = 0; s < manCount; ++s) {
                    ManRole& m = gManRoles[s];
                    if (!m.IsOut() && !m.IsRoleTargeted() && !m.IsSpiritRole()) ++ALk1;
                }
            }
        } else {
            ALk1 = 1;
        }
        gActionFlags |= kActionRunning;
    }
    DuckMusic();
    if (!(gActionFlags & kActionOver)) {
        gActionFlags |= kActionRunning;
        return 0;
    }
    RestoreMusic();
    ClearActionWord();
    ReleaseActionRipple();
    UM = -1;
    c.e->command = 0;
    c.e->subCommand = 0;
    return Finish();
}

int RowSpecial(Ctx& c) {
    if (!PerformerDone(gPerformers.monSpecial, c.e, c.t, 0)) return 0;
    RearmPerformer();
    c.e->SetCommand(300);
    return 0;
}

int RowSwallow(Ctx& c) {
    if (c.t == nullptr || c.ownSide) return FinishUm();
    if (c.first) {
        c.t->SetOut(1);
        c.t->SetRoleTargetFlag(1);
        RemoveFromAttackOrder(c.t->Id());
        CameraDark();
        gRetreatCount = 1;
    }
    if (!gPerformers.swallow(c.e, c.t, c.first ? 1 : 0)) return 0;
    gCaptureOk = 0;
    gCaptureSure = 0;
    return FinishUm();
}

int RowDefeat(Ctx& c) {
    if (c.t == nullptr || c.ownSide) return Finish();
    if (!gPerformers.defeat(c.e, c.t, 0)) return 0;
    c.t->command = 0;
    c.t->subCommand = 0;
    RemoveFromAttackOrder(kFirstManId + c.target);
    if (c.target >= 0 && c.target <= 3) ++gDownedMen;
    if (SEL == kFirstManId + c.target) SEL = 0;
    if (gCurRole.id == kFirstManId + c.target) gCurRole.id = -1;
    return Finish();
}

int RowFade(Ctx& c) {
    const bool in = c.code == 12;
    if (!(in ? gPerformers.fadeIn : gPerformers.fadeOut)(c.e, nullptr, 0)) return 0;
    if (in) {
        c.e->SetRoleTargetFlag(1);
        c.e->SetRoleStatusBits(kStatusFadedOut);
    } else {
        c.e->ClearRoleStatusBits(kStatusFadedOut);
        c.e->SetRoleTargetFlag(0);
    }
    c.e->SetRoleActNumberSlot(8);
    RebuildOrder();
    if (in && CountStandingEnemies() == 0) {
        gAutoAttack = 0;
        fMenu = 99;
    }
    return FinishUm();
}

int RowReinforce(Ctx& c) {
    if (c.first) {
        gAction.reinforceStage = uint16_t(kReinforceBit + kReinforceFrames);
        uint16_t monster = 0;
        uint8_t count = 0;
        c.e->GetActionValues(&monster, &count);
        gReinforceId = monster;
        for (int k = 0; k < count; ++k) {
            if (gBattleMonCount >= uint32_t(kMaxMonRoles)) {
                TraceHook("command: no room for more than %d enemies; the call brings no more", kMaxMonRoles);
                break;
            }
            MonRole& n = gMonRoles[gBattleMonCount];
            n.ResetRoleForBattle();
            BattleSlot s{};
            s.spriteSet = monster;
            s.homeX = 240;
            s.homeY = k == 0 ? 200 : 340;
            s.side = 0;
            if (gBattleMirrored == 1) {
                n.SetRoleFacing(1);
                s.homeX = int16_t(640 - s.homeX);
            }
            n.SetupMonRole(&s, monster);
            n.SetRoleStatusBits(kStatusCalledIn);
            ++gBattleMonCount;
            RebuildOrder();
        }
        return 0;
    }
    if (gAction.reinforceStage & 0x7FFF) --gAction.reinforceStage;
    if ((gAction.reinforceStage & 0x7FFF) != 0) return 0;
    gAction.reinforceStage = 0;
    return FinishUm();
}

int RowLeave(Ctx& c) {
    if (!gPerformers.monLeave(c.e, nullptr, 0)) return 0;
    c.e->SetRoleTargetFlag(1);
    c.e->SetRoleActNumberSlot(8);
    c.e->SetDefeatEffect(0);
    c.e->SetOut(1);
    // A fled enemy gives no rewards; what it stole comes back.
    gCaptured[c.id] = 1;
    ReturnStolenItems(c.id);
    RemoveFromAttackOrder(c.id);
    RebuildOrder();
    return Finish();
}

}  // namespace

int ApplyEnemyCommand(int id, int target) {
    if (id < 0 || id >= kMaxMonRoles) return 1;
    MonRole& e = gMonRoles[id];
    gActor = &e;
    const bool newCommand = gAction.commandActor != id;
    if (CommandFramesOut(id)) {
        e.command = 0;
        e.subCommand = 0;
        ClearActionWord();
        gAction.reinforceStage = 0;
        EndCommand();
        return 1;
    }
    if (e.IsOut()) return Finish();
    Ctx c{&e, id, nullptr, target, gCurRole.monCommandSet != 0, e.GetCommand(), false};
    const int count = c.ownSide ? int(std::min<uint32_t>(gBattleMonCount, kMaxMonRoles))
                                : int(std::min<uint32_t>(gBattleManCount, kMaxManRoles));
    if (target >= 0 && target < count)
        c.t = c.ownSide ? static_cast<Role*>(&gMonRoles[target]) : static_cast<Role*>(&gManRoles[target]);
    if (c.code == 0) {
        if (e.GetSubCommand() == 0) return Finish();
        c.code = e.GetSubCommand();
    }
    c.first = newCommand || gAction.firstFrameDone != c.code;
    gAction.firstFrameDone = c.code;
    if (c.code == 100) return Finish();
    if (c.code == 200) {
        if (gPerformers.approach(&e, c.t, 0) && e.command == 200) {
            e.command = e.subCommand;
            e.subCommand = 0;
        }
        return 0;
    }
    if (c.code == 300) {
        if (!gPerformers.walkBack(&e, c.t, 0)) return 0;
        e.command = 0;
        e.subCommand = 0;
        return FinishUm();
    }
    switch (c.code) {
    case 1: return RowAttack(c);
    case 2: return RowMagic(c);
    case 4: return RowSpecial(c);
    case 6: return RowSwallow(c);
    case 9: return RowDefeat(c);
    case 10:
        // The fade that another command ends: nothing ends it here, so the
        // turn closes rather than wait for ever.
        TraceHook("command: enemy %d's fade (code 10) ends at once", id);
        return FinishUm();
    case 11: case 12: return RowFade(c);
    case 15: return RowReinforce(c);
    case 17: return RowLeave(c);
    default:
        TraceHook("command: enemy command %u has no row; the turn ends", unsigned(c.code));
        e.command = 0;
        e.subCommand = 0;
        return FinishUm();
    }
}

void MarkEnemyOnEnemy(int enemy) {
    if (enemy < 0 || enemy >= kMaxMonRoles) {
        TraceHook("command: enemy %d cannot be marked to act on its own side", enemy);
        return;
    }
    gMonCommands[enemy].commandSet = 1;
}
