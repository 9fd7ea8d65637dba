// The party's command application: one frame of the command of the party
// role that holds the turn, by its command code, and the booking of what
// the command did.
#include "battle/action/party_command.h"

#include <algorithm>
#include <cstdio>

#include "base/errorbox.h"
#include "base/random.h"
#include "base/settings.h"
#include "battle/action/action_perform.h"
#include "battle/action/action_state.h"
#include "battle/action/action_texts.h"
#include "battle/action/command_common.h"
#include "battle/action/enemy_command.h"
#include "battle/action/command_links.h"
#include "battle/action/performers.h"
#include "battle/battle_debug.h"
#include "battle/battle_frame.h"
#include "battle/battle_services.h"
#include "battle/battle_start.h"
#include "battle/battle_state.h"
#include "battle/effects/effect_layers.h"
#include "battle/hud/battle_hud.h"
#include "battle/hud/hud_state.h"
#include "battle/manrole/man_texts.h"
#include "battle/role/mon_record.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "battle/turn/attack_order.h"
#include "battle/turn/bookkeeping.h"
#include "battle/turn/targeting.h"
#include "battle/turn/turn_state.h"
#include "battle/turn/turn_steps.h"
#include "media/sound_bank.h"
#include "world/org/count_list.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/story_flags.h"
#include "world/dialog/story_timer.h"

using namespace command;

namespace {

constexpr uint32_t kMsgFlagsResult = kMsgBanner | kMsgCentred;  // 0x80000002
constexpr uint32_t kMsgFlagsStrip = kMsgStrip | kMsgCentred;    // 0x40000002
constexpr int kCaptureCountdown = 30;
constexpr int kCaptureFailStage = 40;
constexpr int kSureCaptureCount = 19;
constexpr uint32_t kCaptureItemCategory = 6;  // the capture items of the bag
constexpr uint16_t kStealNothing = 25000;
constexpr int kTimedSkillFlag = 75, kTimedSkillDownFlag = 74;
constexpr uint16_t kFrozenBits = 0x4 | 0x40;
constexpr uint16_t kChainBit = 0x40;
constexpr uint16_t kTypeUnique = 0x20;
constexpr int kRollFrames = 15;
constexpr int32_t kTreasureCounterX = 360, kTreasureCounterY = 100;
// Where the chained attack's timing bar stands.
constexpr int32_t kChainPromptX = 320;
constexpr int32_t kChainPromptY = 200;

struct Ctx {
    ManRole* m;
    int slot;
    Role* t;          // the target role (may be null for whole-side actions)
    int target;       // its index
    bool onParty;
    uint16_t code;
    bool first;       // the first frame of the command
};

int16_t Sat(int32_t v) { return int16_t(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX)); }

void Say(const char* text, uint16_t colour, uint32_t flags) { AddBattleMessage(kMsgX, kMsgY, colour, text, flags); }
void Sound(uint16_t id) { PlaySfx(id, int(gSfxVolume)); }

// The command is over: nothing of it is left to run again on a later frame.
int Finish(Ctx& c) {
    c.m->command = 0;
    c.m->subCommand = 0;
    EndCommand();
    return 1;
}

int FinishUm(Ctx& c) {
    UM = -1;
    return Finish(c);
}

// The walk back follows (result 0 until it reports done).
int WalkBackNext(Ctx& c) {
    RearmPerformer();
    c.m->SetCommand(300);
    return 0;
}

void CameraDark() {
    for (int32_t& w : gEffects.colourTarget) w = -12;
    SkipBattleBackground();
}

void RebuildOrder() {
    CollectActorPositions();
    SortDrawOrder();
}

MonRole* EnemyTarget(Ctx& c) { return !c.onParty && c.t != nullptr ? static_cast<MonRole*>(c.t) : nullptr; }

// The assist of a weapon skill: its kind and strength.
void GiveAssist(Ctx& c, uint32_t kind, uint16_t skill) {
    const uint16_t level = c.m->SelectRoleWeaponSkill(skill);
    ActionRecord a{};
    a.mask = kind;
    a.value = level * 4u / 100u + 2u;
    a.duration = c.m->action.duration != 0 ? c.m->action.duration : 3;
    c.m->ApplyAssistEffect(&a);
}

// ---- Magic and items: the set-up of the first frame ----

void SetUpAction(Ctx& c, bool magic) {
    ClearActionTargets();
    gActionLife = 0;
    gActionSpirit = 0;
    gActionStamina = 0;
    gStaggerDelay = kDefaultStaggerDelay;
    if (magic && c.m->IsActionFlag13()) command::CreateActionRipple();
    if (!c.onParty) {
        if (magic) {
            if (gCurRole.wholeSide != 0) {
                gCurRole.ALk = 0;
                for (uint32_t i = 0; i < std::min<uint32_t>(gBattleMonCount, kMaxMonRoles); ++i) {
                    if (gMonRoles[i].IsOut()) continue;
                    ++gCurRole.ALk;
                    gMonRoles[i].CountMonTriggerEvent(2);
                }
            } else if (c.t != nullptr) {
                c.t->CountMonTriggerEvent(2);
            }
            gCurRole.ALk = std::min<int32_t>(gCurRole.ALk, int32_t(gBattleMonCount));
        }
    } else {
        gCurRole.ALk = std::min<int32_t>(gCurRole.ALk, int32_t(gBattleManCount));
        // A one-target action on an ally who is out turns onto the caster.
        if (gCurRole.wholeSide == 0 && c.t != nullptr && c.t->IsOut() && !c.m->IsActionInstantKill())
            c.m->BeginRoleAction(int16_t(c.slot));
    }
    if (magic && !c.onParty && c.m->IsActionFlag15()) {
        // Every standing enemy goes down at once; no silver for this battle.
        for (uint32_t i = 0; i < std::min<uint32_t>(gBattleMonCount, kMaxMonRoles); ++i) {
            MonRole& e = gMonRoles[i];
            if (e.IsOut()) continue;
            MarkEnemyDying(int(i));
            e.SetDefeatEffect(16);
            e.SetOut(1);
        }
        gAction.silverOff = 1;
    }
    gActionFlags |= kActionRunning;
}

// Magic (2) and items (3).
int RowCast(Ctx& c) {
    const bool magic = c.code == 2;
    if (c.first) SetUpAction(c, magic);
    if (magic) DuckMusic();
    if (!(gActionFlags & kActionOver)) {
        // The action runs (the battle frame performs it); a lost hand-off is raised again.
        gActionFlags |= kActionRunning;
        return 0;
    }
    RestoreMusic();
    ClearActionWord();
    if (magic) {
        command::ReleaseActionRipple();
    } else {
        c.m->ConsumeSelectedItem(0, 0);
    }
    c.m->SetCommand(300);
    c.m->subCommand = 0;
    TryRetreat(c.slot);
    return 0;
}

// ---- Rows ----

int RowAttack(Ctx& c) {
    if (c.t == nullptr) return Finish(c);
    if (!PerformerDone(gPerformers.attack, c.m, c.t, 0)) return 0;
    const int32_t damage = gActionLife;
    const uint16_t kind = c.m->GetActionTargetKind();
    if (kind == 8 && damage > 0 && !c.onParty) {
        // The weapon drains: 10 per cent, and skill 56's share of the rest.
        const int32_t base = damage / 10;
        const int32_t pct = c.m->SelectRoleWeaponSkill(56);
        const int32_t heal = base + (damage - base) * std::min(pct, 100) / 100;
        if (heal > 0) {
            c.m->PushShownNumber(kDigitsHeal);
            c.m->SetDamageDigits(int16_t(-std::min(heal, kShownAmountCap)));
            c.m->SetShownNumberDelay(8);
            c.m->CommitShownNumber(1);
            c.m->DamageRole(-heal, 0, 0);
        }
        c.m->AddWeaponExperience(&gFameList3, 56, 5);
    } else if (!c.onParty) {
        TransferAmount(&gActionLife, c.m, c.t);
    }
    const int16_t spirit = gActionSpirit;
    const int16_t stamina = gActionStamina;
    BookHit(c.m, c.t, false);
    if ((spirit != 0 || stamina != 0) && !gInvincible) c.t->DamageRole(0, spirit, stamina);
    return WalkBackNext(c);
}

int RowTechnique(Ctx& c) {
    DuckMusic();
    if (!PerformerDone(gPerformers.technique, c.m, c.t, c.code)) return 0;
    BookHit(c.m, c.t, true);
    RestoreMusic();
    return Finish(c);
}

int RowNone(Ctx& c) { return FinishUm(c); }

int RowCapture(Ctx& c) {
    MonRole* e = EnemyTarget(c);
    if (e == nullptr) return Finish(c);
    if (c.first) {
        gStaggerTick = 0;
        if (c.code == 80) {
            // Used as a capture item, so that its class and chance are the
            // role's for this roll.
            c.m->ConsumeSelectedItem(kCaptureItemCategory, 0);
        } else if (e->objRecord != nullptr && GetCount(&gFameList2, e->GetRoleActNumber()) > kSureCaptureCount) {
            gCaptureSure = 1;
        }
        const bool caught = gCaptureSure || gSureCapture || c.m->RollCaptureChance(e);
        // An item's chance holds for its own capture only, not for a later
        // capture without an item.
        c.m->captureClass = 0;
        c.m->captureChance = 0;
        if (caught) {
            c.m->BeginCaptureEffect(e);
            gCaptureOk = 1;
            c.m->SetRoleActing(1);
            CameraDark();
            gStaggerTick = 1;
        } else {
            gCaptureOk = 0;
            gStaggerTick = kCaptureFailStage;
        }
        return 0;
    }
    if (gStaggerTick == 1) {
        if (!gPerformers.capture(c.m, e, 0)) return 0;
        RemoveFromAttackOrder(c.target);
        gStaggerTick = kCaptureCountdown;
        AddLootItem(e->GetRoleActNumber(), 1);
        ClearEnemyMarks(c.target);
        return 0;
    }
    if (gStaggerTick > 2) {
        --gStaggerTick;
        return 0;
    }
    if (gCaptureOk) {
        // A captured enemy gives no rewards and counts no kill; what it stole comes back.
        gCaptured[c.target] = 1;
        e->SetOut(1);
        e->SetDefeatEffect(0);
        ReturnStolenItems(c.target);
        Sound(kSoundGain);
        Say(kCaptureOkText, 40, kMsgFlagsResult);
        if (c.code == 80 && CountStandingEnemies() == 0) {
            gAutoAttack = 0;
            fMenu = 99;
        }
    } else {
        Sound(kSoundFail);
        Say(kCaptureFailText, 40, kMsgFlagsResult);
        e->CheckMonTrigger(15, 0);
    }
    gCaptureOk = 0;
    gCaptureSure = 0;
    return Finish(c);
}

int RowDefeat(Ctx& c) {
    if (c.t == nullptr) return Finish(c);
    if (!gPerformers.defeat(c.m, c.t, 0)) return 0;
    c.m->command = 0;
    c.m->subCommand = 0;
    RemoveFromAttackOrder(c.t->Id());
    return Finish(c);
}

int RowAppear(Ctx& c) {
    const bool appear = c.code == 11;
    if (!(appear ? gPerformers.appear : gPerformers.vanish)(c.m, c.t, 0)) return 0;
    c.m->SetRoleTargetFlag(appear ? 0 : 1);
    c.m->SetRoleActNumberSlot(8);
    RebuildOrder();
    return FinishUm(c);
}

int RowRefine(Ctx& c) {
    CameraDark();
    if (!gPerformers.refine(c.m, c.t, c.code)) return 0;
    if (c.code == 14) {
        fMenu = 98;
        return Finish(c);
    }
    if (c.t != nullptr) c.t->ApplyAilment(&c.m->action);
    const uint32_t member = c.m->spriteSet >= 1 && c.m->spriteSet <= 4 ? c.m->spriteSet - 1u : 4u;
    if (member < 4) {
        for (uint16_t& mark : gAction.refineMarks[member])
            if (mark == 0) {
                mark = uint16_t(c.target + 1);
                break;
            }
    }
    return Finish(c);
}

// A new guard's slot becomes a party slot: the party roles and the guard
// count rise together, so the command menus' guard places
// (GuardPlaceSlot) move on with them.
int TakeNewGuardSlot(int slot) {
    ++gBattleManCount;
    ++gBattleStart.guardCount;
    return slot;
}

// A downed guard's slot taken over: one guard fewer is gone.
int TakeDownedGuardSlot(int slot) {
    if (gTurn.guardsGone > 0) --gTurn.guardsGone;
    return slot;
}

// The party slot a guard the menus did not place takes: a downed guard's
// slot, else the next free slot; -1 when two guards stand or no slot is free.
int GuardSlot() {
    const int count = int(std::min<uint32_t>(gBattleManCount, kMaxManRoles));
    int standing = 0, replaced = -1;
    for (int s = 0; s < count; ++s) {
        const ManRole& g = gManRoles[s];
        if (!g.IsGuardRole()) continue;
        if (!g.IsOut())
            ++standing;
        else if (replaced < 0)
            replaced = s;
    }
    if (standing >= 2) return -1;
    if (replaced >= 0) return TakeDownedGuardSlot(replaced);
    if (count >= kMaxManRoles) return -1;
    return TakeNewGuardSlot(count);
}

// The slot a summon sets its guard up in: the one the member chose in the
// menus (GuardPlaceSlot of the place it chose; its battle slot record holds
// that place), while it is still a guard's slot or the next free one; else
// the rule's own, which a guard just sent back (option bit) leaves without
// a slot.
int SummonSlot(ManRole& m) {
    const int chosen = m.guardSlot;
    m.guardSlot = -1;
    const int count = int(std::min<uint32_t>(gBattleManCount, kMaxManRoles));
    if (chosen >= 0 && chosen < kMaxManRoles && (chosen < count ? gManRoles[chosen].IsGuardRole() == 1 : chosen == count)) {
        if (chosen == count) return TakeNewGuardSlot(chosen);
        return gManRoles[chosen].IsOut() ? TakeDownedGuardSlot(chosen) : chosen;
    }
    if (gBattleOptions & kOptionGuardReturned) return -1;
    return GuardSlot();
}

int RowSummon(Ctx& c) {
    if (c.first) {
        gAction.summonSlot = -1;
        const int s = SummonSlot(*c.m);
        if (s >= 0) {
            ManRole& g = gManRoles[s];
            // The guard is set up from its battle slot record, where the
            // command menu put its place; its sprite set is the item: the
            // selection, or the summon item word once the menu consumed the
            // selection, or the record's own.
            BattleSlot record = gBattleStart.partySlots[s];
            if (c.m->GetSelectedItemId() != 0) record.spriteSet = c.m->GetSelectedItemId();
            else if (c.m->itemAct != 0) record.spriteSet = c.m->itemAct;
            record.side = 1;
            g.ResetRoleForBattle();
            g.SetGuardFlag(1);
            g.SetupGuardRole(&record);
            g.SetGuardFlag(1);
            if (gBattleMirrored != 1) g.SetRoleFacing(0);
            gAction.summonSlot = s;
        }
        if (gAction.summonSlot < 0) return Finish(c);
        return 0;
    }
    CameraDark();
    if (gAction.summonSlot < 0) return Finish(c);
    ManRole& g = gManRoles[gAction.summonSlot];
    if (!gPerformers.summon(&g, nullptr, 0)) return 0;
    RemoveFromAttackOrder(kFirstManId + gAction.summonSlot);
    gBattleOptions &= ~uint32_t(kOptionGuardReturned);
    gAllyQueued[gAction.summonSlot] = 0;
    c.m->DropSelection();
    RebuildOrder();
    gAction.summonSlot = -1;
    return Finish(c);
}

uint16_t HighestEnemyLevel() {
    uint16_t level = 0;
    for (uint32_t i = 0; i < std::min<uint32_t>(gBattleMonCount, kMaxMonRoles); ++i) {
        const MonRole& e = gMonRoles[i];
        if (!e.IsOut() && e.objRecord != nullptr) level = std::max<uint16_t>(level, e.objRecord->word88);
    }
    return level;
}

int RowFlee(Ctx& c) {
    if (!gAction.fleeRunning) {
        if (!gPerformers.retreat(c.m, nullptr, 0)) return 0;
        if (!c.m->RollLevelChance(HighestEnemyLevel())) {
            Say(kRetreatFailedText, 30, kMsgFlagsStrip);
            Sound(kSoundRefused);
            return Finish(c);
        }
        gAction.fleeRunning = 1;
        return 0;
    }
    if (!gPerformers.retreat(c.m, nullptr, 1)) return 0;
    if (c.m->IsGuardRole()) {
        c.m->SetOut(1);
        c.m->SetDefeatEffect(6);
    } else {
        c.m->SetGaugeHold(1);
        c.m->SetRoleStatusBits(kStatusOut);
        c.m->SetRoleTargetFlag(1);
        if (c.slot == 0) {
            for (uint32_t s = 0; s < std::min<uint32_t>(gBattleManCount, kMaxManRoles); ++s) {
                ManRole& sp = gManRoles[s];
                if (!sp.IsSpiritRole()) continue;
                sp.SetRoleStatusBits(0x5008);
                RemoveFromAttackOrder(kFirstManId + int(s));
            }
        }
        ++gDownedMen;
        int fighting = 0;
        for (uint32_t s = 0; s < std::min<uint32_t>(gBattleManCount, kMaxManRoles); ++s)
            if (gManRoles[s].IsPartyMemberRole() && !gManRoles[s].IsOut()) ++fighting;
        if (fighting == 0) fMenu = 104;
    }
    Say(kFleeOkText, 30, kMsgFlagsStrip);
    return Finish(c);
}

int RowGroup(Ctx& c) {
    DuckMusic();
    if (c.first) {
        for (uint32_t i = 0; i < std::min<uint32_t>(gBattleMonCount, kMaxMonRoles); ++i)
            if (!gMonRoles[i].IsOut()) gMonRoles[i].SetRoleStateBit19(1);
        UM = int16_t(c.m->Id());
        CameraDark();
        // The group technique has no timed prompt of its own: the stage
        // moves on at once.
        gAction.groupStage = 2;
        return 0;
    }
    // The strike itself sets the stage to 2 again when it lands, so the
    // action is handed over once, while it is not running yet, and its end
    // is read from the over bit alone.
    if (!(gActionFlags & kActionOver)) {
        if (gAction.groupStage == 2 && !(gActionFlags & kActionRunning))
            gActionFlags |= kActionRunning | kActionStrikeAll;
        return 0;
    }
    RestoreMusic();
    ClearActionWord();
    for (uint32_t i = 0; i < std::min<uint32_t>(gBattleMonCount, kMaxMonRoles); ++i) gMonRoles[i].SetRoleStateBit19(0);
    return FinishUm(c);
}

int RowSteal(Ctx& c) {
    if (c.t == nullptr) return Finish(c);
    if (!gPerformers.steal(c.m, c.t, 0)) return 0;
    const uint32_t id = c.m->TryStealItem(c.t);
    if (id == 0 || id >= kStealNothing) {
        Sound(kSoundFail);
        Say(id == 0 ? kStealFailText : kStealNothingText, 30, kMsgFlagsResult);
    } else {
        ObjRecord rec{};
        char text[96];
        const bool read = ReadObjRecord(&rec, id) == 1;
        std::snprintf(text, sizeof text, kStealOkText, read ? rec.name : "");
        FreeRecordText(&rec);
        Say(text, 50, kMsgFlagsResult);
        Sound(kSoundGain);
        AddLootItem(id, 1);
    }
    return WalkBackNext(c);
}

// Every standing enemy takes the resolved damage of the actor's action.
void StrikeEveryEnemy(Ctx& c) {
    for (uint32_t i = 0; i < std::min<uint32_t>(gBattleMonCount, kMaxMonRoles); ++i) {
        MonRole& e = gMonRoles[i];
        if (e.IsOut()) continue;
        uint16_t s = 0, t = 0;
        int32_t dmg = c.m->ResolveManRoleAction(&e, &s, &t);
        if (dmg == -1) dmg = 0;
        dmg = std::clamp(dmg, -kShownAmountCap, kShownAmountCap);
        e.SetDamageDigits(int16_t(dmg));
        e.CommitShownNumber(1);
        gActionLife = dmg;
        BookHit(nullptr, &e, false);
    }
}

int RowSkill24(Ctx& c) {
    const int r = gPerformers.skill24(c.m, c.t, 0);
    if (r & 0x8000) StrikeEveryEnemy(c);
    const int low = r & 0xFF;
    if (low == 2 || low == 1) return Finish(c);
    return 0;
}

int RowControl(Ctx& c) {
    MonRole* e = EnemyTarget(c);
    if (gControlledEnemy < 0) {
        if (e == nullptr) return FinishUm(c);
        if (!c.m->RollControlChance(e)) {
            Say(kControlFailText, 50, kMsgFlagsResult);
            return FinishUm(c);
        }
        Say(kControlOkText, 50, kMsgFlagsResult);
        e->SetRoleFacing(e->facing ? 0 : 1);
        gControlledEnemy = int16_t(c.target);
        gController = int16_t(c.slot);
        e->EndRoleTurn();
        RemoveFromAttackOrder(c.target);
        return FinishUm(c);
    }
    // The member's choice goes to the controlled enemy, which is queued.
    if (gControlledEnemy >= int16_t(gBattleMonCount)) {
        gControlledEnemy = gController = -1;
        return FinishUm(c);
    }
    MonRole& ce = gMonRoles[gControlledEnemy];
    MS = c.target + 1;
    uint16_t word = 0x8000;
    if (c.m->subCommand == 2 || c.m->GetActionKind() & 0x2) {
        uint16_t out = 0;
        ce.PrepareMonMagic(c.m->magicId, &out);
        word = 0x4000;
    } else {
        uint16_t out = 0;
        ce.PrepareMonAttack(1, &out);
    }
    gMonCommandWord[gControlledEnemy] = uint16_t(word | uint16_t(c.target & 0xFF));
    MarkEnemyOnEnemy(gControlledEnemy);
    if (!IsInAttackOrder(gControlledEnemy)) AddToAttackOrder(2, gControlledEnemy);
    return FinishUm(c);
}

int RowChain(Ctx& c) {
    uint32_t& striking = gAction.chainStriking;
    if (c.first) {
        striking = 0;
        c.m->SetRoleStatusBits(kChainBit);
        StartTimingBar();
        OpenHitWindow();
    }
    if (!striking) {
        // The timing bar is the prompt: a press while its cursor stands on
        // a mark not taken yet strikes again; the prompt ends when the
        // cursor has run out.
        const int ended = DrawTimingBar(kChainPromptX, kChainPromptY);
        if (gHud.timingHit > 0 && gHud.timingHit <= 3 && TakeHitSignal()) {
            gHud.timingTaken[gHud.timingHit - 1] = 1;
            gHud.timingHit = 0;
            Sound(44);
            striking = 1;
        } else if (ended) {
            c.m->ClearRoleStatusBits(kChainBit);
            return WalkBackNext(c);
        }
    }
    if (striking) {
        if (!gPerformers.attack(c.m, c.t, 0)) return 0;
        striking = 0;
        if (BookHit(c.m, c.t, false)) {
            c.m->ClearRoleStatusBits(kChainBit);
            return WalkBackNext(c);
        }
    }
    return 0;
}

int RowThrow(Ctx& c) {
    if (!PerformerDone(gPerformers.skill, c.m, c.t, c.code)) return 0;
    c.m->ConsumeSelectedItem(4, 0);
    BookHit(c.m, c.t, false);
    return Finish(c);
}

int RowAssistSkill(Ctx& c) {
    if (!PerformerDone(gPerformers.skill, c.m, c.t, c.code)) return 0;
    switch (c.code) {
    case 28: GiveAssist(c, 0x10000000u, 28); break;
    case 29: GiveAssist(c, 0x8000000u, 29); break;
    case 32: GiveAssist(c, 0x2000000u, 32); break;
    default: break;
    }
    return Finish(c);
}

int RowDrainSkill(Ctx& c) {
    if (c.t == nullptr) return Finish(c);
    if (!PerformerDone(gPerformers.skill, c.m, c.t, c.code)) return 0;
    uint16_t s = 0, t = 0;
    int32_t life = c.m->ResolveManRoleAction(c.t, &s, &t);
    if (life == -1) life = 0;
    life = std::clamp(life, -kShownAmountCap, kShownAmountCap);
    if (!gInvincible) {
        if (c.code == 34 && life > 0) {
            gActionLife = life;
            BookHit(c.m, c.t, false);
        } else if (c.code == 35 && s != 0) {
            c.t->DamageRole(0, Sat(-int32_t(s)), 0);
        } else if (c.code == 36 && t != 0) {
            c.t->DamageRole(0, 0, Sat(-int32_t(t)));
        }
    }
    gActionLife = 0;
    gActionSpirit = gActionStamina = 0;
    return Finish(c);
}

int RowSkill(Ctx& c) {
    if (!PerformerDone(gPerformers.skill, c.m, c.t, c.code)) return 0;
    if (c.code == 40 && c.t != nullptr) {
        uint16_t s = 0, t = 0;
        int32_t dmg = c.m->ResolveManRoleAction(c.t, &s, &t);
        if (dmg == -1) dmg = 0;
        gActionLife = std::clamp(dmg, -kShownAmountCap, kShownAmountCap);
        BookHit(c.m, c.t, false);
        ResetBattleCounters();
    }
    return Finish(c);
}

int RowTimedSkill(Ctx& c) {
    fMenu = 0;
    if (c.first) {
        ClearFlag(kTimedSkillFlag);
        StartStoryTimer(0, 5, 0, 1);
        gAction.timedSkillRunning = 1;
        OpenHitWindow();
        return 0;
    }
    if (IsFlag(kTimedSkillFlag)) {
        ClearFlag(kTimedSkillFlag);
        return Finish(c);
    }
    if (c.t != nullptr && TakeHitSignal()) {
        Sound(46);
        uint16_t s = 0, t = 0;
        int32_t dmg = c.m->ResolveManRoleAction(c.t, &s, &t);
        if (dmg == -1) dmg = 0;
        gActionLife = std::clamp(dmg, -kShownAmountCap, kShownAmountCap);
        c.t->SetDamageDigits(int16_t(gActionLife));
        c.t->CommitShownNumber(1);
        if (BookHit(nullptr, c.t, false)) {
            // The downing hit ends the countdown's wait too.
            ClearFlag(kTimedSkillDownFlag);
            SetFlag(kTimedSkillFlag);
        }
    }
    return 0;
}

int RowSuddenDeath(Ctx& c) {
    MonRole* e = EnemyTarget(c);
    if (!PerformerDone(gPerformers.skill, c.m, c.t, c.code)) return 0;
    if (e != nullptr && !e->IsOut() && !(e->objRecord != nullptr && (e->objRecord->typeBits & kTypeUnique)) &&
        c.m->RollSkillChance(c.m->SelectRoleWeaponSkill(33))) {
        e->SetDefeatEffect(7);
        e->SetOut(1);
        NoteDown(e);
    }
    return Finish(c);
}

// The treasure strike's counter: the roulette, set up by the treasure's
// level, rolls at (360, 100) for its frames and then locks all its digits.
void DrawTreasureCounter(bool lock) {
    int32_t result = 0;
    if (!lock) {
        DrawRewardRoulette(kTreasureCounterX, kTreasureCounterY, &result, 0);
        return;
    }
    // Each stopping call fixes one more digit; four digits at most.
    for (int digit = 0; digit < 4; ++digit)
        if (DrawRewardRoulette(kTreasureCounterX, kTreasureCounterY, &result, 1) == 1) break;
}

int RowTreasureStrike(Ctx& c) {
    fMenu = 0;
    if (c.first) gStaggerTick = 0;
    if (gStaggerTick == 0) {
        if (!gPerformers.skill(c.m, c.t, c.code)) return 0;
        ResetDigitCounter(c.m->GetTreasureLevel(&gFameList3));
        RollCounterDigits();
        gStaggerTick = 1;
        return 0;
    }
    if (gStaggerTick <= kRollFrames) {
        // The counter rolls for its frames, then locks.
        ++gStaggerTick;
        if (gStaggerTick <= kRollFrames) {
            DrawTreasureCounter(false);
            return 0;
        }
        DrawTreasureCounter(true);
        Sound(186);
        gStaggerTick = kRollFrames + 1;
    }
    if (c.t != nullptr) {
        c.t->PushShownNumber(kDigitsDamage);
        BookHit(c.m, c.t, false);
    }
    const int reward = int(std::min<uint32_t>(gRewardTreasure, 0xFFFF)) + 5;
    if (c.m->GrowTreasureLevel(&gFameList3, 37, uint16_t(std::min(reward, 0xFFFF))) == 1)
        Say(kTreasureLevelUpText, 40, kMsgFlagsStrip);
    return Finish(c);
}

int RowFusion(Ctx& c) {
    ManRole* guard = c.onParty && c.t != nullptr ? static_cast<ManRole*>(c.t) : nullptr;
    if (!gPerformers.fusion(c.m, guard, 0)) return 0;
    c.m->SetFusedFlag();
    if (guard != nullptr) c.m->AddRecordStats(guard->slot.spriteSet);
    return Finish(c);
}

int RowRelease(Ctx& c) {
    if (gControlledEnemy >= 0 && gControlledEnemy < int16_t(kMaxMonRoles)) {
        MonRole& e = gMonRoles[gControlledEnemy];
        e.SetAilmentHold(0);
        e.SetRoleFacing(e.facing ? 0 : 1);
        RemoveFromAttackOrder(gControlledEnemy);
    }
    gControlledEnemy = -1;
    gController = -1;
    c.m->subCommand = 0;
    return FinishUm(c);
}

using Row = int (*)(Ctx&);

// The rows of codes 1..100 (null: no row).
Row RowOf(uint16_t code) {
    switch (code) {
    case 1: return RowAttack;
    case 2: case 3: return RowCast;
    case 4: return RowTechnique;
    case 5: case 100: return RowNone;
    case 6: case 80: return RowCapture;
    case 9: return RowDefeat;
    case 11: case 12: return RowAppear;
    case 13: case 14: return RowRefine;
    case 15: return RowSummon;
    case 17: return RowFlee;
    case 22: return RowGroup;
    case 23: return RowSteal;
    case 24: return RowSkill24;
    case 25: return RowControl;
    case 26: return RowChain;
    case 27: return RowThrow;
    case 28: case 29: case 32: return RowAssistSkill;
    case 31: return RowTimedSkill;
    case 33: return RowSuddenDeath;
    case 34: case 35: case 36: return RowDrainSkill;
    case 37: return RowTreasureStrike;
    case 38: case 39: case 40: return RowSkill;
    case 41: return RowFusion;
    case 99: return RowRelease;
    default: return nullptr;
    }
}

// The special techniques 400..409 and 500; 404 freezes the others first.
int RowSpecial(Ctx& c) {
    uint16_t (&added)[kHitTargets] = gAction.frozenAdded;
    if (c.code == 404 && c.first) {
        for (int id = 0; id < kCombatantIds; ++id) {
            added[id] = 0;
            Role* r = RoleById(id);
            if (r == nullptr || r == c.m) continue;
            if (id < kFirstManId ? id >= int(gBattleMonCount) : id - kFirstManId >= int(gBattleManCount)) continue;
            if (r->side == 1 && r->IsRoleTargeted()) continue;
            // Only the bits this technique adds are taken back: an ailment's own hold stays.
            added[id] = uint16_t(kFrozenBits & ~r->status);
            r->SetRoleStatusBits(added[id]);
        }
    }
    DuckMusic();
    if (!PerformerDone(gPerformers.technique, c.m, c.t, c.code)) return 0;
    BookHit(c.m, c.t, true);
    RestoreMusic();
    if (c.code == 409 && c.m->battleRecord != nullptr) c.m->battleRecord->charge = 0;
    if (c.code == 404) {
        for (int id = 0; id < kCombatantIds; ++id) {
            Role* r = RoleById(id);
            if (r != nullptr && added[id] != 0) r->ClearRoleStatusBits(added[id]);
            added[id] = 0;
        }
    }
    return WalkBackNext(c);
}

// Codes that aim at no target of their own (the walks, the side-wide
// technique, the summon, the flee, the release, the talisman refining).
bool NeedsTarget(uint16_t code) {
    switch (code) {
    case 0: case 5: case 14: case 15: case 17: case 22: case 99: case 100: case 200: case 300:
        return false;
    default:
        return true;
    }
}

bool IsSpecialTechnique(uint16_t code) {
    return code == 400 || code == 402 || code == 404 || code == 405 || code == 406 || code == 409 || code == 500;
}

}  // namespace

int ApplyBattleCommand(int slot, int target) {
    if (slot < 0 || slot >= kMaxManRoles) return 1;
    ManRole& m = gManRoles[slot];
    const int id = kFirstManId + slot;
    const bool newCommand = gAction.commandActor != id;
    if (CommandFramesOut(id)) {
        m.command = 0;
        m.subCommand = 0;
        ClearActionWord();
        EndCommand();
        return 1;
    }
    Ctx c{&m, slot, nullptr, target, gCurRole.manCommandSet != 0, m.GetCommand(), false};
    if (m.IsOut()) {
        EndCommand();
        return 1;
    }
    const int sideCount = c.onParty ? int(gBattleManCount) : int(gBattleMonCount);
    if (target >= 0 && target < sideCount && target < (c.onParty ? kMaxManRoles : kMaxMonRoles))
        c.t = c.onParty ? static_cast<Role*>(&gManRoles[target]) : static_cast<Role*>(&gMonRoles[target]);
    if (c.t == nullptr && gCurRole.wholeSide == 0 && NeedsTarget(c.code == 0 ? m.GetSubCommand() : c.code)) {
        // A one-target action without a valid target ends at once.
        m.command = 0;
        m.subCommand = 0;
        EndCommand();
        return 1;
    }
    if (c.code == 0) {
        // A parked second command runs its own row.
        if (m.GetSubCommand() == 0) {
            EndCommand();
            return 1;
        }
        c.code = m.GetSubCommand();
    }
    const uint16_t firstKey = c.code;
    c.first = newCommand || !gAction.firstFrameDone || gAction.firstFrameDone != firstKey;
    gAction.firstFrameDone = firstKey;
    if (c.code == 200) {
        // The first member's arrival act keeps the command until it ends.
        if (gPerformers.approach(&m, c.t, 0) && m.command == 200 && !(m.state & kStateArrived)) {
            m.command = m.subCommand;
            m.subCommand = 0;
        }
        return 0;
    }
    if (c.code == 300) {
        if (!gPerformers.walkBack(&m, c.t, 0)) return 0;
        m.command = 0;
        m.subCommand = 0;
        return FinishUm(c);
    }
    if (IsSpecialTechnique(c.code)) return RowSpecial(c);
    Row row = c.code >= 1 && c.code <= 100 ? RowOf(c.code) : nullptr;
    if (row == nullptr) {
        TraceHook("command: party command %u has no row; the turn ends", unsigned(c.code));
        m.command = 0;
        m.subCommand = 0;
        EndCommand();
        return 1;
    }
    return row(c);
}

void MarkAllyOnAlly(int slot) {
    if (slot < 0 || slot >= kMaxManRoles) {
        TraceHook("command: party slot %d cannot be marked to act on the party", slot);
        return;
    }
    gManCommands[slot].commandSet = 1;
}
