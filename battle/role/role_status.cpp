// The small status accessors of a role and its per-battle reset.
#include <climits>
#include <cstring>

#include "battle/battle_state.h"
#include "battle/role/mon_record.h"
#include "battle/role/roles.h"
#include "world/party/member_stats.h"

namespace {

// The party side keeps life, spirit and stamina in the member record.
MemberStats* LifeRecord(const Role& r) { return r.side == 1 ? r.baseStats : nullptr; }

bool HasStatsCopy(const Role& r) { return r.side == 1 || r.member || r.spirit || r.guard; }

// The member's ailment threshold is the stats word at byte 26.
uint16_t MemberAilmentThreshold(const MemberStats& m) { return m.stat[5]; }

}  // namespace

void Role::ResetRoleForBattle() {
    // Effects first, silently: an expiry between two battles must neither
    // queue messages nor raise triggers.
    quietFlag = 1;
    ExpireRoleEffects(1);
    FreeTransferRipple();
    FreeRoleParticles();
    transferFrames = 0;
    ailmentAct = ActRecord{};
    for (int i = kActWait; i <= kActMultiFirst; ++i) acts[i].Clear();
    acts[kActTrigger].Clear();
    acts[kActWork1].Clear();
    acts[kActWork2].Clear();
    acts[kActWaitDraw].Clear();
    ClearActPlayerAreas();
    std::memset(&slot, 0, sizeof(slot));
    std::memset(&action, 0, sizeof(action));
    std::memset(shown, 0, sizeof(shown));
    shownCursor = shownDone = 0;
    numberPending = numberCancelled = numberRepeat = 0;
    numberWindow = 0;
    std::memset(actionName, 0, sizeof(actionName));
    if (side == 1 || member || guard || spirit) {
        ManRole* self = static_cast<ManRole*>(this);
        // A choice and an attack cut short by the battle's end hold nothing
        // into the next one (the reserved uses are cleared with the battle).
        self->selectedItemId = 0;
        self->selectionReserved = 0;
        self->attackFrames = 0;
        self->attackStarted = self->attackHitPhase = self->attackAppeared = 0;
        self->extraStrike = 0;
        self->strongAttack = 0;
        if (objRecord == &self->guardRecord) {
            FreeRecordText(&self->guardRecord);
            std::memset(static_cast<void*>(&self->guardRecord), 0, sizeof(self->guardRecord));
            objRecord = nullptr;
        }
    }
    gBattle.monBlockCounter = 0;
    for (int32_t& s : hitSlots) s = -1;
    target = -1;
    fadeCounter = 15;
    fadeInLevel = 1;
    pulse[1] = 2;
    pulse[2] = 24;
    status = 0;
    effectBits = 0;
    state = 0;
    quietFlag = 0;
    fadeLevel = 0;
    scriptAct = 0;
    actionPower = 0;
    spriteSet = 0;
    gauge = gauge2 = 0;
    command = subCommand = commandSpare = 0;
    repeatCount = altCount = 0;
    std::memset(choiceCounter, 0, sizeof(choiceCounter));
    std::memset(choiceMode, 0, sizeof(choiceMode));
    pendingDamage = 0;
    statusDword = 0;
    skillBits = 0;
    actionTimer = 0;
    actionTimerRunning = 0;
    std::memset(triggerCounter, 0, sizeof(triggerCounter));
    triggerPhase = 0;
    spreadCounter = spreadValue = spreadStage = 0;
    bankValue = 0;
    bankedTotal = 0;
    side = member = guard = spareFlag = spirit = 0;
    acting = acted = out = defeated = 0;
    holdFlag = secondHold = 0;
    turnOver = targetFlag = 0;
    gaugeHold = 0;
    spiritEvents = 0;
    facing = facingLock = 0;
    silverShield = 0;
    weakened = 0;
    ready = turnStarted = redraw = commandChosen = highlight = 0;
    defeatEffect = defeatOverride = 0;
    attackAmount = defenceAmount = speedAmount = 0;
    resistAllHits = 0;
    stackCount = 0;
    extraLife = 0;
    extraLifeMax = 0;
    wipe = 0;
    transferFlag = 0;
    chargeCarry = 0;
    specialMark = 0;
    cancelWord = 0;
    hurtCounter = 0;
    appearCounter = 1;
    idleStep = 0;
    bannerAge = 0;
    for (int16_t& c : bannerPop) c = 0;
    actionTimerDone = 0;
    reportedWaitQq = 0;
    deathAct.Clear();
    defeatCounter = defeatCounter2 = 0;
    defeatCycles = 0;
    defeatLine = LineWalker{};
    blendLevel = 0;
    for (uint32_t& f : flyStarted) f = 0;
}

uint32_t Role::SetHighlight(uint32_t flag) {
    highlight = flag;
    return flag;
}

void Role::SetActionTimerFlag() {
    if (!(actionFlags & 0x2)) actionTimerRunning = 1;
}

void Role::SetRoleTurnOver() {
    turnOver = 1;
    gauge = 0;
    gauge2 = 0;
}

uint32_t Role::IsRoleTurnOver() const {
    if (status & (kStatusHeld | kStatusHeld2)) return 0;
    return turnOver;
}

void Role::SetRoleStatusBits(uint16_t mask) {
    status |= mask;
    if (mask & kStatusFadingIn) fadeInLevel = -32;
}

void Role::ClearRoleStatusBits(uint16_t mask) {
    status = static_cast<uint16_t>(status & ~mask);
    if (mask & kStatusTargeted) targetFlag = 0;
}

uint16_t Role::GetActionPresetWord() const {
    return (action.word32 & 0x8000) ? static_cast<uint16_t>(action.word32 & 0x7FFF) : 0;
}

uint16_t Role::SetScriptAct(uint16_t n) {
    scriptAct = n;
    if (actionTimerRunning == 0) {
        acts[kActWait].Clear();
        return 0;
    }
    return n;
}

void Role::SetRoleGauges(int16_t life, int16_t spiritValue, int16_t stamina) {
    if (side == 1) {
        MemberStats* m = LifeRecord(*this);
        if (m == nullptr) return;
        const int16_t values[3] = {life, spiritValue, stamina};
        for (int i = 0; i < 3; ++i) {
            if (values[i] > 0) {
                m->gauge[i] = values[i];
                m->gaugeMax[i] = values[i];
            } else if (values[i] == -1) {
                m->gauge[i] = m->gaugeMax[i];
            }
        }
        return;
    }
    if (objRecord == nullptr) return;
    // A negative script value would read as a huge unsigned life: none left.
    uint32_t v = life < 0 ? 0 : static_cast<uint32_t>(life);
    SetMonLifeMax(v);
    SetMonLife(v);
}

void Role::SetRoleBattleStats(int16_t attack, int16_t defence, int16_t speed) {
    if (side == 1) {
        if (stats == nullptr) return;
        if (attack > 0) stats->bonus[0] = static_cast<uint16_t>(attack);
        if (defence > 0) stats->bonus[1] = static_cast<uint16_t>(defence);
        if (speed > 0) stats->stat[3] = static_cast<uint16_t>(speed);
        return;
    }
    if (objRecord == nullptr) return;
    if (attack > 0) SetObjWordAt(objRecord, mon::kAttack, static_cast<uint16_t>(attack));
    if (defence > 0) SetObjWordAt(objRecord, mon::kDefence, static_cast<uint16_t>(defence));
    if (speed > 0) SetObjWordAt(objRecord, mon::kAgility, static_cast<uint16_t>(speed));
}

void Role::SetMonLevel(uint16_t level) {
    if (side == 0 && objRecord != nullptr) objRecord->word88 = level;
}

uint32_t Role::SetRoleFacing(uint32_t f) {
    facing = f;
    return f;
}

void Role::SetRoleWaitState(uint16_t quiet, uint32_t force) {
    if (quiet == 1) {
        resistAllHits = 0;
        effectBits &= ~kEffectResistAll;
    }
    if (acts[kActWait].rec.done == 0 && force != 1) return;
    acts[kActWait].Clear();
    quietFlag = quiet;
    acts[kActFollowUp].rec.done = 1;
}

void Role::SetRoleHoldTimer(uint16_t a, uint16_t b) {
    if (b == 1) {
        holdTimerDone = 1;
        holdTimer[0] = holdTimer[1] = 0;
        return;
    }
    holdTimer[0] = a;
    holdTimer[1] = b;
}

uint16_t Role::GetActionTargetKind() const {
    if (action.flags & 0x100) return (statusDword & 0x20) ? 8 : 1;
    if (action.flags & 0x200) return 2;
    if (action.flags & 0x400) return 4;
    return 0;
}

uint32_t Role::IsScriptActAtFrame(uint16_t n) const {
    if (scriptAct == 0) return 0;
    if (n == 65535) return acts[kActWait].rec.done ? 1 : 0;
    return acts[kActWait].rec.picFrame == static_cast<uint16_t>(n - 1) ? 1 : 0;
}

uint32_t Role::GetActionTargetPoint(int16_t* x, int16_t* y) const {
    if (!(action.word20 & 0x1)) return 0;
    *x = static_cast<int16_t>(action.word38);
    *y = static_cast<int16_t>(action.word40);
    return 1;
}

void Role::GetRoleStamina(int16_t* max, int16_t* cur) const {
    const MemberStats* m = LifeRecord(*this);
    if (m == nullptr) return;
    *max = m->gaugeMax[2];
    *cur = m->gauge[2];
}

void Role::GetRoleSpirit(int16_t* max, int16_t* cur) const {
    const MemberStats* m = LifeRecord(*this);
    if (m == nullptr) return;
    *max = m->gaugeMax[1];
    *cur = m->gauge[1];
}

uint16_t Role::GetRoleAgility() const {
    const MemberStats* m = LifeRecord(*this);
    return m != nullptr ? m->stat[3] : 0;
}

uint16_t Role::GetRoleAttack() const {
    const MemberStats* m = LifeRecord(*this);
    return m != nullptr ? m->bonus[0] : 0;
}

void Role::SetRoleFacingLock(uint32_t f) {
    if (side == 1 && IsOut()) return;
    facingLock = f;
    facing = f;
}

void Role::GetRoleLife(int32_t* life, int32_t* max) const {
    if (side == 1) {
        const MemberStats* m = LifeRecord(*this);
        if (m == nullptr) {
            *life = *max = 0;
            return;
        }
        *life = m->gauge[0];
        *max = m->gaugeMax[0];
        return;
    }
    if (objRecord == nullptr) {
        *life = *max = 0;
        return;
    }
    uint32_t l = extraLife != 0 ? static_cast<uint32_t>(extraLife) : MonLife();
    uint32_t m = MonLifeMax();
    *life = l > INT32_MAX ? INT32_MAX : static_cast<int32_t>(l);
    *max = m > INT32_MAX ? INT32_MAX : static_cast<int32_t>(m);
}

int32_t Role::GetRoleLifeBar(int32_t width) const {
    int32_t life = 0, max = 0;
    GetRoleLife(&life, &max);
    if (max <= 0 || life <= 0) return 0;
    return static_cast<int32_t>(static_cast<int64_t>(life) * width / max);
}

void Role::SetRoleStateBit19(uint32_t on) {
    if (on == 1)
        state |= kStateBit19;
    else
        state &= ~kStateBit19;
}

uint32_t Role::IsActionSupportive() const {
    const uint32_t supportive = 0x10000000u | 0x80000000u | 0x40000000u | 0x20000000u | 0x2000000u;
    if (action.mask & supportive) return 1;
    if (action.flags & 0x1000) return 1;
    return (action.word20 & 0x4) ? 1 : 0;
}

// ---- Stats wherever they live ----

uint16_t Role::BattleAgility() const {
    if (HasStatsCopy(*this)) return stats != nullptr ? stats->stat[3] : 0;
    return objRecord != nullptr ? ObjWordAt(*objRecord, mon::kAgility) : 0;
}

uint16_t Role::BattleAttack() const {
    if (HasStatsCopy(*this)) return stats != nullptr ? stats->bonus[0] : 0;
    return objRecord != nullptr ? ObjWordAt(*objRecord, mon::kAttack) : 0;
}

uint16_t Role::BattleDefence() const {
    if (HasStatsCopy(*this)) return stats != nullptr ? stats->bonus[1] : 0;
    return objRecord != nullptr ? ObjWordAt(*objRecord, mon::kDefence) : 0;
}

uint16_t Role::BattleWisdom() const {
    if (HasStatsCopy(*this)) return stats != nullptr ? stats->stat[2] : 0;
    return objRecord != nullptr ? MonWisdomOf(*objRecord) : 0;
}

uint16_t Role::AilmentThreshold() const {
    if (HasStatsCopy(*this)) return stats != nullptr ? MemberAilmentThreshold(*stats) : 0;
    return objRecord != nullptr ? MonAilmentThresholdOf(*objRecord) : 0;
}

int8_t Role::ElementPercent(int e) const {
    if (e < 0 || e > 4) return 0;
    if (HasStatsCopy(*this)) return stats != nullptr ? stats->element[e] : 0;
    return objRecord != nullptr ? MonElementOf(*objRecord, e) : 0;
}

void Role::SetElementPercent(int e, int8_t value) {
    if (e < 0 || e > 4) return;
    if (HasStatsCopy(*this)) {
        if (stats != nullptr) stats->element[e] = value;
        return;
    }
    if (objRecord != nullptr) SetMonElementOf(objRecord, e, value);
}

uint32_t Role::MonLife() const { return objRecord != nullptr ? MonLifeOf(*objRecord) : 0; }

void Role::SetMonLife(uint32_t v) {
    if (objRecord != nullptr) SetMonLifeOf(objRecord, v);
}
