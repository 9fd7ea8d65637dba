// The talisman spirit's decisions in battle: its orders, the decision at a
// full gauge, the events through which a decision reaches the party step,
// and the action it prepares.
//
// The spirit's four objects are its record's d70..d72 and, fourth, its
// healing object d73; the spirit choice is the index (0..3) of the one it
// uses. Its costs are paid from its spirit: the spirit and stamina amounts
// of an object's cost word both count as spirit.
#include <algorithm>
#include <cstring>

#include "base/random.h"
#include "base/text_convert.h"
#include "battle/role/roles.h"
#include "world/org/cost_word.h"
#include "world/org/obj_tables.h"
#include "world/spirit/spirit.h"

namespace {

constexpr int kFirstObjectField = 70;  // d70..d73
constexpr int kHealingObject = 3;
constexpr uint16_t kSpiritDigits = 9086;
constexpr uint8_t kRunUpBits = 0x8 | 0x10;

enum : uint16_t {
    kEvDawdled = 0x1,
    kEvObeyTest = 0x2,
    kEvHelpWeak = 0x4,
    kEvOnEnemy = 0x8,
    kEvOnAlly = 0x10,
    kEvTend = 0x20,
    kEvSpent = 0x40,
    kEvRest = 0x80,
};

uint16_t CostOf(const ObjRecord& o) {
    const ObjCost c = DecodeCostWord(o.w[kObjCostWord]);
    return uint16_t(std::min<uint32_t>(uint32_t(c.spirit) + c.stamina, 0x7FFF));
}

// Events by an object's type bits.
uint16_t EventsOf(const ObjRecord& o) {
    uint16_t ev = 0;
    if (o.typeBits & 0x8) ev |= kEvOnEnemy;
    if (o.typeBits & 0x4) ev |= kEvOnAlly;
    if (o.typeBits & 0x1000) ev |= kEvHelpWeak;
    return ev;
}

}  // namespace

uint16_t ManRole::GhostObject(int index) const {
    if (spiritRecord == nullptr || index < 0 || index > kHealingObject) return 0;
    const int32_t id = spiritRecord->Field(kFirstObjectField + index);
    return id > 0 && id <= 0xFFFF ? uint16_t(id) : 0;
}

namespace {

// Reads the spirit's object into its scratch record (no text kept); false
// when the object cannot be read.
bool ReadGhostObject(ManRole* r, uint16_t id) {
    FreeRecordText(&r->scratchObj);
    const bool ok = id != 0 && ReadObjRecord(&r->scratchObj, id) == 1;
    FreeRecordText(&r->scratchObj);
    if (!ok) r->scratchObj = ObjRecord{};
    return ok;
}

int SpiritNow(const ManRole& r) { return r.baseStats != nullptr ? r.baseStats->gauge[1] : 0; }

void ReadObjectAction(ManRole* r) {
    std::memset(&r->action, 0, sizeof r->action);
    ReadActionRecord(&r->action, r->scratchObj.w[kObjActionId]);
}

}  // namespace

void ManRole::SetGhostOrder(uint16_t order) {
    if (order < 1 || order > 8) return;
    spiritEvents &= uint16_t(~kEvObeyTest);
    spiritOrder = order;
    if (order == 4) spiritEvents |= kEvObeyTest;
}

uint32_t ManRole::RollHalf() { return Random(100) >= 50 ? 1 : 0; }

void ManRole::DecideGhostAction() {
    switch (spiritOrder) {
    case 1:
        spiritSelfAction = RollHalf();
        if (spiritSelfAction) PrepareGhostObjectUse();
        break;
    case 2:
        spiritEvents |= kEvRest;
        spiritSelfAction = 0;
        GhostRestoreSpirit();
        break;
    case 3:
        spiritSelfAction = 1;
        PrepareGhostAction(3);
        break;
    case 4: spiritEvents |= kEvObeyTest; break;
    case 5:
    case 6:
    case 8:
        spiritSelfAction = RollHalf();
        if (spiritSelfAction) PrepareGhostAction(3);
        break;
    case 7: spiritEvents |= kEvTend; break;
    default: break;
    }
}

uint32_t ManRole::PrepareGhostObjectUse() {
    if (spiritSelfAction != 1) return 0;
    const int k = Random(3);
    spiritChoice = uint16_t(k);
    const uint16_t id = GhostObject(k);
    if (id == 0 || !ReadGhostObject(this, id)) {
        spiritSelfAction = 0;
        return 0;
    }
    pendingCost[0] = CostOf(scratchObj);
    if (SpiritNow(*this) >= pendingCost[0]) {
        ReadObjectAction(this);
        spiritEvents |= EventsOf(scratchObj);
    }
    return 1;
}

uint32_t ManRole::PrepareGhostAction(int kind) {
    auto refuse = [this]() {
        pendingCost[0] = 0;
        std::memset(&action, 0, sizeof action);
        return 0u;
    };
    int index = -1;
    uint16_t event = 0;
    if (kind == 1) {
        index = kHealingObject;
        event = kEvHelpWeak;
    } else if (kind == 2 || kind == 3) {
        const uint32_t bits = kind == 2 ? 0x4u : 0x18u;
        event = kind == 2 ? kEvOnAlly : kEvOnEnemy;
        bool fits[2] = {};
        ObjRecord probe{};
        for (int i = 0; i < 2; ++i) {
            const uint16_t id = GhostObject(i);
            if (id == 0 || ReadObjRecord(&probe, id) != 1) {
                FreeRecordText(&probe);
                continue;
            }
            FreeRecordText(&probe);
            fits[i] = (probe.typeBits & bits) != 0;
        }
        if (fits[0] && fits[1])
            index = Random(2);
        else if (fits[0] || fits[1])
            index = fits[0] ? 0 : 1;
    }
    if (index < 0) return refuse();
    const uint16_t id = GhostObject(index);
    if (id == 0 || !ReadGhostObject(this, id)) return refuse();
    pendingCost[0] = CostOf(scratchObj);
    if (SpiritNow(*this) < pendingCost[0]) return refuse();
    ReadObjectAction(this);
    spiritEvents |= event;
    spiritChoice = uint16_t(index);
    return 1;
}

uint32_t ManRole::GhostRestoreSpirit() {
    if (!(spiritEvents & kEvRest) || baseStats == nullptr) return 0;
    const int amount = (Random(10) + 5) * int(baseStats->gaugeMax[1]) / 100;
    PushShownNumber(kSpiritDigits);
    SetDamageDigits(int16_t(amount));
    CommitShownNumber(1);
    DamageRole(0, int16_t(amount), 0);
    return 1;
}

uint32_t ManRole::TakeGhostEvent4() {
    if (!(spiritEvents & kEvHelpWeak)) return 0;
    spiritEvents &= uint16_t(~kEvHelpWeak);
    return battleAffinity >= 51 ? 1 : 0;
}

uint32_t ManRole::TakeGhostEvent8() {
    if (!(spiritEvents & kEvOnEnemy)) return 0;
    spiritEvents &= uint16_t(~kEvOnEnemy);
    return (spiritOrder == 1 || spiritOrder == 3) && battleAffinity >= 81 ? 1 : 0;
}

uint32_t ManRole::TakeGhostEvent16() {
    if (!(spiritEvents & kEvOnAlly)) return 0;
    spiritEvents &= uint16_t(~kEvOnAlly);
    return battleAffinity >= 81 ? 1 : 0;
}

uint32_t ManRole::TakeGhostEvent32() {
    if (!(spiritEvents & kEvTend)) return 0;
    spiritEvents &= uint16_t(~kEvTend);
    return 1;
}

uint32_t ManRole::RollGhostObedience() {
    if (!(spiritEvents & kEvObeyTest)) return 0;
    if (Random(100) + 1 <= int(battleAffinity)) return 1;
    spiritEvents |= kEvDawdled;
    return 0;
}

uint32_t ManRole::TargetHasActionEffect(const Role* role) const {
    if (role == nullptr) return 0;
    return (role->HasRoleEffect(action.ailment) || role->HasRoleEffect(action.mask)) ? 1 : 0;
}

uint32_t ManRole::TakeGhostAction(uint16_t* act, uint32_t* flag) {
    std::memset(actionName, 0, sizeof actionName);
    if (spiritEvents & kEvSpent) {
        spiritEvents &= uint16_t(~kEvSpent);
        return 0;
    }
    const uint16_t id = GhostObject(spiritChoice & 0x7FFF);
    if (spiritSelfAction == 1 && id != 0 && ReadGhostObject(this, id)) {
        const uint16_t cost = CostOf(scratchObj);
        if (SpiritNow(*this) >= cost) {
            pendingCost[0] = cost;
            ReadObjectAction(this);
            if (act != nullptr) *act = scratchObj.w[kObjAltWord];
            CopyBig5Bounded(actionName, sizeof actionName, scratchObj.name);
            skillAmount = uint16_t(std::min<uint32_t>(uint32_t(skillAmount) + ActionSecondWord(action), 0xFFFF));
            SetCommand(2);
            actionFlags |= 0x80;
            if (flag != nullptr) *flag = (scratchObj.typeBits & (0x1000 | 0x4)) ? 1 : 0;
            TakeRegenOf(scratchObj);
            return 1;
        }
    }
    SetGhostAttack();
    return 0;
}

void ManRole::SetGhostAttack() {
    std::memset(actionName, 0, sizeof actionName);
    std::memset(&action, 0, sizeof action);
    pendingCost[0] = 0;
    ReadActionRecord(&action, weapon.w[kObjActionId]);
    SetCommand(1);
    spiritEvents &= uint16_t(~kEvDawdled);
    if (stats != nullptr) skillAmount = uint16_t(std::min<uint32_t>(uint32_t(skillAmount) + stats->bonus[0], 0xFFFF));
    if (ActionTargetByte(action) & kRunUpBits) {
        command = 200;
        subCommand = 1;
    }
}

uint32_t ManRole::SpendSpiritForHeal(int32_t have, int32_t max, int32_t percent) {
    // Worked out wide: a life already at or above the share asks for no
    // heal, and nothing is spent for it.
    const int64_t want = int64_t(percent) * max / 100 - have;
    if (want <= 0 || baseStats == nullptr) {
        regenAmount[0] = 0;
        return 0;
    }
    int64_t amount = std::min<int64_t>(want, INT16_MAX);
    const int64_t spiritNow = std::max<int64_t>(baseStats->gauge[1], 0);
    if (spiritNow < amount) {
        if (spiritNow * 100 < amount * 40) {
            regenAmount[0] = 0;
            return 0;
        }
        amount = spiritNow;
    }
    regenAmount[0] = int16_t(amount);
    baseStats->gauge[1] = int16_t(baseStats->gauge[1] - amount);
    SetCommand(2);
    actionFlags |= 0x80;
    spiritEvents = uint16_t((spiritEvents & ~kEvDawdled) | kEvSpent);
    return 1;
}
