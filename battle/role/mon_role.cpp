// Enemy roles: set-up from the monster table, the choices the enemy step
// makes for them, the queries of the command menus and the results, and the
// battle script's setters. The monster block's offsets are in mon_record.h.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/random.h"
#include "base/text_convert.h"
#include "battle/role/mon_record.h"
#include "battle/role/mon_texts.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "draw/act_pack.h"
#include "world/org/obj_tables.h"

namespace {

constexpr uint8_t kMagicKindBit = 0x2;   // the action's target byte: cast as magic
constexpr uint16_t kCapturableClasses = 11;

bool AllZero(const ObjRecord& r, int first, int count) {
    for (int i = first; i < first + count; ++i)
        if (MonSlotCount(r, i) != 0) return false;
    return true;
}

// Reads object `id` into `to` (its text released: the role keeps no text);
// false and a zeroed record when the table has no such object.
bool ReadObjectOnly(ObjRecord* to, uint16_t id) {
    FreeRecordText(to);
    const bool ok = id != 0 && ReadObjRecord(to, id) == 1;
    FreeRecordText(to);
    if (!ok) *to = ObjRecord{};
    return ok;
}

// The action record of an object's action id, read over a cleared record.
void ReadActionOf(ActionRecord* a, const ObjRecord& o) {
    std::memset(a, 0, sizeof *a);
    ReadActionRecord(a, o.w[kObjActionId]);
}

}  // namespace

// ---- Set-up ----

namespace {

// What SetupMonRole and ReloadMonRecord share: the record, the maximum life,
// the block chance, the sprite set, the plain attack and the act-38 test.
void LoadMonData(MonRole* r, uint16_t id, uint16_t fallbackSprite) {
    ReadObjectOnly(&r->monRecord, id);
    r->objRecord = &r->monRecord;
    r->SetMonLifeMax(MonLifeOf(r->monRecord));
    r->blockChance = MonBlockChanceOf(r->monRecord);
    r->spriteSet = r->monRecord.w[kObjIdWord] != 0 ? r->monRecord.w[kObjIdWord] : fallbackSprite;
    r->actState = 0;
    std::memset(&r->action, 0, sizeof r->action);
    ReadActionRecord(&r->action, MonAttackActionOf(r->monRecord));

    // Whether the sprite set has an act 38: one step of a scratch block.
    ActBlock& probe = r->acts[kActSecond];
    probe.Clear();
    probe.rec.act = r->spriteSet;
    probe.rec.qq = 38;
    r->noAct38 = TakeActData(&probe.rec) == 0 ? 1 : 0;
    probe.Clear();

    // What the enemy carries decides its choice; empty attack objects win.
    r->monChoice = 0;
    if (AllZero(r->monRecord, mon::kCarriedSlot, 3)) r->monChoice = 1;
    if (AllZero(r->monRecord, mon::kAttackSlot, 2)) r->monChoice = 2;

    // Nothing of the slot's previous enemy carries over.
    r->stealCheck[0] = r->stealCheck[1] = 0;
    r->attackKind = 0;
    r->skillAmount = 0;
    r->EndMonPerform();
    r->performFrames = 0;
    r->triggerFrames = 0;
}

}  // namespace

void MonRole::SetupMonRole(const BattleSlot* slotRecord, uint16_t id) {
    slot = savedSlot = *slotRecord;
    extraLife = 0;
    extraLifeMax = 0;
    side = slotRecord->side;
    LoadMonData(this, id, slotRecord->spriteSet);
    SetRoleName(monRecord.name);
}

void MonRole::ReloadMonRecord(uint16_t id) {
    extraLife = 0;
    extraLifeMax = 0;
    LoadMonData(this, id, id);
}

// ---- Choices ----

uint32_t MonRole::HasMonSpecial() const {
    if (state & kStateTriggerFired) return 0;
    return (MonSlotId(monRecord, mon::kSpecialSlot) != 0 || MonSlotId(monRecord, mon::kSpecialSlot + 1) != 0) ? 1 : 0;
}

uint32_t MonRole::IsMonLifeLow() const {
    if (state & kStateTriggerFired) return 0;
    const uint32_t life = extraLife != 0 ? uint32_t(std::max(extraLife, 0)) : MonLifeOf(monRecord);
    return life < MonLifeMax() / 3 ? 1 : 0;
}

uint32_t MonRole::ChooseMonSpecial() {
    if ((status & kStatusSlowed) || ObjByteAt(monRecord, mon::kSpecialSwitch) == 0) return 0;
    const int pick = Random(10) < 5 ? 0 : 1;
    if (MonSlotId(monRecord, mon::kSpecialSlot + pick) == 0) return 0;
    choiceMode[kModePendingItem] = uint8_t(pick + 1);
    return 1;
}

void MonRole::PrepareMonMagic(uint16_t id, uint16_t* out) {
    ReadObjectOnly(&actionObj, id);
    if (out != nullptr) *out = actionObj.w[kObjIdWord];
    CopyBig5Bounded(actionName, sizeof actionName, actionObj.name);
    ReadActionOf(&action, actionObj);
    skillAmount = uint16_t(std::min<uint32_t>(uint32_t(skillAmount) + ActionSecondWord(action), 0xFFFF));
    SetCommand(2);
    actionFlags |= 0x80;
}

uint16_t MonRole::PrepareMonDefault() {
    if (attackKind == 0) {
        std::memset(&action, 0, sizeof action);
        ReadActionRecord(&action, MonAttackActionOf(monRecord));
        skillAmount = ObjAttack(monRecord);
        SetCommand(1);
        return 0;
    }
    if (ActionTargetByte(action) & kMagicKindBit) {
        actionFlags |= 0x80;
        SetCommand(2);
        return action.followUp;
    }
    return 0;
}

uint32_t MonRole::PrepareMonAttack(uint16_t kind, uint16_t* out) {
    const int s = kind == 1 ? mon::kAttackSlot : mon::kAttackSlot + 1;
    ObjRecord object{};
    ReadObjectOnly(&object, MonSlotId(monRecord, s));
    ReadActionOf(&action, object);
    skillAmount = ActionSecondWord(action);
    if (!(ActionTargetByte(action) & kMagicKindBit)) {
        attackKind = kind;
        SetCommand(1);
        return 1;
    }
    if (out != nullptr) *out = action.followUp;
    actionFlags |= 0x80;
    SetCommand(2);
    return 0;
}

int MonRole::MonTryEscape(uint16_t level) {
    const uint8_t chance = ObjByteAt(monRecord, mon::kEscapeChance);
    if ((status & kStatusNoRetreat) || chance == 0) return -1;
    Random(12);  // drawn and not used: the sequence of draws is the design's
    if (effectBits & kEffectConfuse) {
        if (Random(2) == 0) return -1;
        if (Random(10) < 3) return 1;
        char who[kObjNameBytes];
        CopyBig5Bounded(who, sizeof who, name != nullptr ? name : "");
        std::snprintf(messageText, sizeof messageText, "%s%s", who, kEscapeFailedText);
        AddBattleMessage(280, 10, 40, messageText, kMsgStrip | kMsgCentred);
        return 0;
    }
    if (state & kStateFleeOnce) {
        if (Random(10) >= 8) return -1;
        state &= ~kStateFleeOnce;
        return 1;
    }
    const int d = int(level & 0xFF) - int(ObjLevel(monRecord));
    bool escaped = false;
    if (d >= 11)
        escaped = Random(100) < 80;
    else if (d >= 6)
        escaped = Random(100) < 50;
    else if (d == 5)
        escaped = Random(10) < chance;
    else
        return -1;
    if (escaped) return 1;
    CheckMonTrigger(19, 0);
    return -1;
}

uint32_t MonRole::IsMonEmptyHanded() const {
    if (stealCheck[0] == 1 && AllZero(monRecord, mon::kCarriedSlot, 3)) return 1;
    if (stealCheck[1] == 1 && AllZero(monRecord, mon::kAttackSlot, 2)) return 1;
    return 0;
}

uint32_t MonRole::GetMonAttackPlusLife() const { return uint32_t(ObjAttack(monRecord)) + MonLifeOf(monRecord); }

void MonRole::GetActionValues(uint16_t* value, uint8_t* duration) const {
    if (value != nullptr) *value = ActionValue(action);
    if (duration != nullptr) *duration = action.duration;
}

void MonRole::ClearMonTurn() {
    action.word24 = 0;
    actionTimer = 0;
    specialAct = 0;
    acted = 0;
    commandChosen = 0;
    std::memset(actionName, 0, sizeof actionName);
}

// ---- Queries ----

uint32_t MonRole::IsCapturable() const {
    return (monRecord.typeBits & kObjCapturable) && !(monRecord.typeBits & kObjUnique) &&
                   ObjWordAt(monRecord, mon::kClass) < kCapturableClasses
               ? 1
               : 0;
}

uint32_t MonRole::IsMonUnique() const { return (monRecord.typeBits & kObjUnique) ? 1 : 0; }

uint8_t MonRole::GetMonClass() const { return ObjByteAt(monRecord, mon::kTint); }

uint16_t MonRole::GetMonElement() const {
    for (int e = 0; e < 5; ++e)
        if (MonElementOf(monRecord, e) != 0) return uint16_t(e + 1);
    return 0;
}

uint32_t MonRole::GetCarriedObject(int slotIndex, char* nameOut, size_t nameSize, uint16_t* id) {
    if (slotIndex < 0 || slotIndex > 2) return 0;
    const uint16_t object = MonSlotId(monRecord, mon::kCarriedSlot + slotIndex);
    if (object == 0) return 0;
    ReadObjectOnly(&actionObj, object);
    if (nameOut != nullptr) CopyBig5Bounded(nameOut, nameSize, actionObj.name);
    if (id != nullptr) *id = object;
    return 1;
}

uint32_t MonRole::GetMonSkillName(int slotIndex, char* nameOut, size_t nameSize) {
    if (slotIndex < 0 || slotIndex > 1) return 0;
    const uint16_t object = MonSlotId(monRecord, mon::kAttackSlot + slotIndex);
    if (object == 0) return 0;
    ReadObjectOnly(&actionObj, object);
    if (nameOut != nullptr) CopyBig5Bounded(nameOut, nameSize, actionObj.name);
    return 1;
}

void MonRole::GetMonRewards(uint32_t* experience, uint32_t* silver) const {
    uint32_t e = ObjWordAt(monRecord, mon::kExperience);
    if (state & kStateTriggerFired) e += e * 30 / 100;
    if (experience != nullptr) *experience = e;
    if (silver != nullptr) *silver = ObjWordAt(monRecord, mon::kSilver);
}

uint16_t MonRole::RollMonDrop() {
    const uint16_t drop = ObjWordAt(monRecord, mon::kDropObject);
    if (drop == 0) return 0;
    return Random(20) < ObjByteAt(monRecord, mon::kDropChance) ? drop : 0;
}

// ---- The battle script's setters ----

void MonRole::SetMonElements(const uint16_t values[5]) {
    for (int e = 0; e < 5; ++e) SetMonElementOf(&monRecord, e, int8_t(uint8_t(values[e])));
}

void MonRole::SetMonCarried(uint16_t a, uint16_t b, uint16_t c, uint16_t d, uint16_t e, uint16_t f) {
    const uint16_t ids[3] = {a, c, e}, counts[3] = {b, d, f};
    for (int i = 0; i < 3; ++i) {
        if (ids[i] != 0) SetMonSlotId(&monRecord, mon::kCarriedSlot + i, ids[i]);
        if (counts[i] != 0) SetMonSlotCount(&monRecord, mon::kCarriedSlot + i, counts[i]);
    }
}

void MonRole::SetMonAttackItems(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
    if (a != 0) SetMonSlotId(&monRecord, mon::kAttackSlot, a);
    if (b != 0) SetMonSlotCount(&monRecord, mon::kAttackSlot, b);
    if (c != 0) SetMonSlotId(&monRecord, mon::kAttackSlot + 1, c);
    if (d != 0) SetMonSlotCount(&monRecord, mon::kAttackSlot + 1, d);
}
