// Life cycle of the battle roles: construction, release, the role arrays.
#include <cstring>

#include "battle/role/roles.h"
#include "world/spirit/spirit.h"

MonRole gMonRoles[kMaxMonRoles];
ManRole gManRoles[kMaxManRoles];
uint32_t gBattleMonCount;
uint32_t gBattleManCount;

void ActBlock::Clear() { std::memset(static_cast<void*>(this), 0, sizeof(*this)); }

// ---- Role ----

void Role::RoleCtor() {
    // Every field starts at 0 but for the few the design gives a value.
    for (int32_t& s : hitSlots) s = -1;
    target = -1;
    fadeCounter = 15;
    fadeInLevel = 1;
    appearCounter = 1;
    actNumberSlot = 4;
    pulse[0] = 0;
    pulse[1] = 2;
    pulse[2] = 24;
    command = 0;
    defeatEffect = 0;
    colourPair = 0x062B062Bu;
    effects = nullptr;
    std::memset(actionName, 0, sizeof(actionName));
    std::memset(static_cast<void*>(&actionObj), 0, sizeof(actionObj));
}

void Role::RoleDtor() {
    FreeRecordText(&actionObj);
    FreeRecordText(&weapon);
    FreeRecordText(&treasure[0]);
    FreeRecordText(&treasure[1]);
}

MemberStats* Role::GetStatsRecord(int which) const { return which == 1 ? stats : baseStats; }

int Role::Id() const {
    const Role* self = this;
    for (int i = 0; i < kMaxMonRoles; ++i)
        if (self == &gMonRoles[i]) return i;
    for (int i = 0; i < kMaxManRoles; ++i)
        if (self == &gManRoles[i]) return kFirstManId + i;
    return -1;
}

// ---- MonRole ----

void MonRole::MonRoleCtor() {
    RoleCtor();
    // The monster record is the role's own: it lives as long as the role.
    objRecord = &monRecord;
    std::memset(static_cast<void*>(&monRecord), 0, sizeof(monRecord));
}

void MonRole::FreeMonRecord() {
    FreeRecordText(&monRecord);
    std::memset(static_cast<void*>(&monRecord), 0, sizeof(monRecord));
    objRecord = &monRecord;
}

void MonRole::MonRoleDtor() {
    FreeMonRecord();
    RoleDtor();
}

// ---- ManRole ----

void ManRole::ManRoleCtor() {
    RoleCtor();
    captureCounter = 0;
    storedCommand = 0;
    std::memset(&statsCopy, 0, sizeof(statsCopy));
    stats = &statsCopy;
}

void ManRole::FreeManRoleData() {
    FreeCaptureEffect();
    // The stats copy and the guard's record are the role's own storage: freeing
    // them empties them, so a later battle finds the role ready to set up.
    FreeRecordText(&scratchObj);
    FreeRecordText(&guardRecord);
    std::memset(&statsCopy, 0, sizeof(statsCopy));
    stats = &statsCopy;
    if (objRecord == &guardRecord) objRecord = nullptr;
}

void ManRole::ManRoleDtor() {
    FreeManRoleData();
    RoleDtor();
}

void ManRole::ClearManRole() {
    for (uint16_t& p : regenPercent3) p = 0;
    stackCount = 0;
    actToggle = 0;
    pendingCost[0] = pendingCost[1] = 0;
    itemAct = 0;
    magicId = 0;
    storedCommand = 0;
    weaponId = 0;
    spareWord = 0;
    actCounter = 0;
    member = 0;
    // A choice left from another battle holds nothing: the reserved uses
    // are cleared with the battle's tables.
    selectedItemId = 0;
    selectionReserved = 0;
    extraStrike = 0;
    runPrepared = 0;
    healAll = 0;
    guardSlot = -1;
    strongAttack = 0;
    attackFrames = 0;
    attackStarted = attackHitPhase = attackAppeared = 0;
    for (ActBlock& b : captureActs) b.Clear();
    acts[kActBegin].Clear();
    acts[kActBeginPartner].Clear();
    FreeRecordText(&scratchObj);
    std::memset(static_cast<void*>(&scratchObj), 0, sizeof(scratchObj));
}

// ---- The arrays ----

Role* RoleById(int id) {
    if (id >= 0 && id < kMaxMonRoles) return &gMonRoles[id];
    if (id >= kFirstManId && id < kFirstManId + kMaxManRoles) return &gManRoles[id - kFirstManId];
    return nullptr;
}

void InitBattleRoles() {
    for (ManRole& r : gManRoles) {
        std::memset(static_cast<void*>(&r), 0, sizeof(r));
        r.ManRoleCtor();
    }
    for (MonRole& r : gMonRoles) {
        std::memset(static_cast<void*>(&r), 0, sizeof(r));
        r.MonRoleCtor();
    }
    gBattleMonCount = 0;
    gBattleManCount = 0;
}

void FreeBattleRoles() {
    // Effect nodes and a transfer's ripple first: they are the only blocks
    // the roles allocate.
    for (ManRole& r : gManRoles) {
        r.quietFlag = 1;
        FreeActorEffects(&r.afterImages);
        r.FreeRoleEffects();
        r.FreeTransferRipple();
        r.FreeRoleParticles();
        r.FreeActEffectList();
        r.ManRoleDtor();
    }
    for (MonRole& r : gMonRoles) {
        r.quietFlag = 1;
        FreeActorEffects(&r.afterImages);
        r.FreeRoleEffects();
        r.FreeTransferRipple();
        r.FreeRoleParticles();
        r.FreeActEffectList();
        r.MonRoleDtor();
    }
    InitBattleRoles();
}
