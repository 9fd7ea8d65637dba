// The enemy's turn choice: a spell, a special, an item or the plain attack,
// from the slots, counts and chances of its record. A summoned guard chooses
// the same way from its own record.
#include <algorithm>
#include <cstring>

#include "base/random.h"
#include "base/text_convert.h"
#include "battle/role/mon_battle.h"
#include "battle/role/mon_record.h"
#include "battle/role/roles.h"
#include "battle/turn/bookkeeping.h"
#include "world/org/obj_tables.h"

namespace {

enum class Mode { Attack, Spells, Specials, Item };

constexpr uint32_t kMaskDispel = 0x10000;
constexpr uint32_t kMaskDebuffs = 0x8180000;
constexpr uint32_t kMaskInvisible = 0x10000000;
constexpr uint32_t kFlagSummon = 0x1000;
constexpr uint8_t kMagicKindBit = 0x2;
constexpr uint8_t kApproachBit = 0x10;
constexpr uint16_t kSelfDestructKind = 0x8;

uint8_t AddU8(uint8_t a, int b) { return uint8_t(std::clamp(int(a) + b, 0, 0xFF)); }
uint16_t AddU16(uint16_t a, uint32_t b) { return uint16_t(std::min<uint32_t>(uint32_t(a) + b, 0xFFFF)); }

bool Usable(const ObjRecord& r, int s) { return MonSlotId(r, s) != 0 && MonSlotCount(r, s) != 0; }

void UseOne(ObjRecord* r, int s) {
    const uint16_t c = MonSlotCount(*r, s);
    if (c > 0) SetMonSlotCount(r, s, uint16_t(c - 1));
}

}  // namespace

namespace {

// Reads object `id` and its action into the role; false when the role
// refuses it (the action is then cleared).
bool LoadChoice(Role* self, uint16_t id) {
    FreeRecordText(&self->actionObj);
    const bool read = ReadObjRecord(&self->actionObj, id) == 1;
    FreeRecordText(&self->actionObj);
    std::memset(&self->action, 0, sizeof self->action);
    if (!read) {
        self->actionObj = ObjRecord{};
        return false;
    }
    ReadActionRecord(&self->action, self->actionObj.w[kObjActionId]);
    const ActionRecord& a = self->action;
    bool refused = false;
    const bool unique = self->objRecord != nullptr && (self->objRecord->typeBits & kObjUnique);
    if (unique) {
        if ((a.mask & kMaskDispel) && FindAllyWithoutStatus() == 0) refused = true;
        if ((a.mask & kMaskDebuffs) && FindAllyWithStatus(a.mask & kMaskDebuffs) == 1) refused = true;
        if (a.mask != 0 && self->HasRoleEffect(a.mask)) refused = true;
        if (a.ailment != 0 && self->HasRoleEffect(a.ailment)) refused = true;
        if (a.mask != 0 && (self->state & kStateHunting)) refused = true;
    }
    if (self->guard == 1 && ((a.mask & kMaskInvisible) || self->IsActionSupportive())) refused = true;
    if ((a.flags & kFlagSummon) && gMonBattle.summonBlock != 0) refused = true;
    if (refused) std::memset(&self->action, 0, sizeof self->action);
    return !refused;
}

}  // namespace

uint32_t Role::ChooseMonAction(uint32_t* objectId) {
    if (actionFlags & 0x80) return 1;
    std::memset(&action, 0, sizeof action);
    std::memset(actionName, 0, sizeof actionName);
    if (objRecord == nullptr) return 0;
    ObjRecord& rec = *objRecord;
    uint32_t idOut = 0;

    // The mode.
    const bool fired = (state & kStateTriggerFired) != 0;
    const uint16_t reaction = MonReactionCode();
    Mode mode;
    if (choiceMode[kModePendingItem] != 0) {
        mode = Mode::Item;
    } else if (fired) {
        if (reaction < 1001)
            mode = Mode::Specials;
        else if (reaction > 6000)
            mode = Mode::Spells;
        else
            mode = Random(2) == 1 ? Mode::Specials : Mode::Spells;
    } else if (choiceMode[kModeByte] == 2) {
        mode = Mode::Spells;
    } else if (choiceMode[kModeByte] == 1) {
        mode = Mode::Specials;
    } else {
        choiceCounter[kChoiceToggle] ^= 1;
        mode = choiceCounter[kChoiceToggle] ? Mode::Spells : Mode::Specials;
    }
    if (effectBits & kEffectConfuse) mode = Mode::Attack;
    if (mode != Mode::Item && mode != Mode::Attack && !fired && choiceCounter[kChoiceSinceLast] == 0 &&
        (choiceCounter[kChoiceSpells] != 0 || choiceCounter[kChoiceSpecials] != 0))
        mode = Mode::Specials;

    const bool unique = (rec.typeBits & kObjUnique) != 0;
    const int bonus = unique && MonLife() <= MonLifeMax() / 2 ? 3 : 0;
    const int since = choiceCounter[kChoiceSinceLast];

    if (mode == Mode::Spells && ObjByteAt(rec, mon::kSpellChance) != 0 && !(status & kStatusSlowed)) {
        const int r = Random(10);
        int s = mon::kCarriedSlot + (r <= 4 ? 0 : r <= 7 ? 1 : 2);
        uint16_t id = 0;
        bool fromReaction = false;
        if (fired && reaction >= 6001 && Random(10) < 2) {
            id = reaction;
            fromReaction = true;
        }
        if (!fromReaction) {
            if (choiceCounter[kChoiceSpells] >= 7 && Usable(rec, mon::kCarriedSlot + 2)) {
                s = mon::kCarriedSlot + 2;
                choiceCounter[kChoiceSpells] = 0;
            }
            if (Usable(rec, s)) id = MonSlotId(rec, s);
        }
        if (id != 0 && Random(10) < since + ObjByteAt(rec, mon::kSpellChance) + bonus && LoadChoice(this, id)) {
            idOut = id;
            if (!fromReaction) UseOne(&rec, s);
            CopyBig5Bounded(actionName, sizeof actionName, actionObj.name);
            skillAmount = AddU16(skillAmount, ActionValue(action));
            actionFlags |= 0x80;
            const uint16_t wisdom = ObjWordAt(rec, mon::kWisdom);
            if (wisdom >= 50)
                action.word24 = AddU16(action.word24, uint32_t(action.word24) * (wisdom - 50u) / 100u);
            SetCommand((action.flags & kFlagSummon) ? 15 : 2);
            const int nth = fromReaction ? 0 : s - mon::kCarriedSlot;
            actParam = nth == 0 ? 44 : nth == 1 ? 46 : 47;
            choiceCounter[kChoiceSinceLast] = 0;
            choiceCounter[kChoiceSpells] = AddU8(choiceCounter[kChoiceSpells], 1);
            choiceCounter[kChoiceSpecials] = AddU8(choiceCounter[kChoiceSpecials], 1);
            choiceMode[kModeSpellUsed] = 1;
            if (objectId != nullptr) *objectId = idOut;
            return 1;
        }
    } else if (mode == Mode::Specials && ObjByteAt(rec, mon::kSpecialChance) != 0) {
        int nth = Random(10) <= 6 ? 0 : 1;
        if (choiceCounter[kChoiceSpecials] >= 5 && Usable(rec, mon::kAttackSlot + 1)) {
            nth = 1;
            choiceCounter[kChoiceSpecials] = 0;
        }
        if (fired && reaction != 0 && reaction < 1001) nth = 0;
        const int s = mon::kAttackSlot + nth;
        if (Usable(rec, s) && Random(10) < since + ObjByteAt(rec, mon::kSpecialChance) + bonus &&
            LoadChoice(this, MonSlotId(rec, s))) {
            idOut = MonSlotId(rec, s);
            skillAmount = ActionValue(action);
            UseOne(&rec, s);
            if (action.flags & kFlagSummon) {
                SetCommand(15);
                if (objectId != nullptr) *objectId = idOut;
                return 1;
            }
            if (ActionTargetByte(action) & kMagicKindBit) {
                if (objectId != nullptr) *objectId = ActionEffectId(action);
                actionFlags |= 0x80;
                SetCommand(2);
                actParam = nth == 0 ? 48 : 49;
                return 1;
            }
            specialMark = uint16_t(nth + 1);
            SetCommand(1);
            if (ActionTargetByte(action) & kApproachBit) {
                command = 200;
                subCommand = 1;
            }
            return 0;
        }
    } else if (mode == Mode::Item) {
        const int s = mon::kSpecialSlot + (choiceMode[kModePendingItem] == 2 ? 1 : 0);
        choiceMode[kModePendingItem] = 0;
        if (!(status & kStatusSlowed) && Usable(rec, s) && LoadChoice(this, MonSlotId(rec, s))) {
            idOut = MonSlotId(rec, s);
            regenAmount[0] = int16_t(std::min<uint32_t>(ActionValue(action), INT16_MAX));
            UseOne(&rec, s);
            actionFlags |= 0x80;
            SetCommand(2);
            if (triggerCounter[kTrigItems] < kTrigMarked - 1) ++triggerCounter[kTrigItems];
            if (objectId != nullptr) *objectId = idOut;
            return 1;
        }
    }

    // The plain attack.
    std::memset(&action, 0, sizeof action);
    std::memset(actionName, 0, sizeof actionName);
    ReadActionRecord(&action, MonAttackActionOf(rec));
    SetCommand(1);
    for (int c = kChoiceSinceLast; c <= kChoiceSpecials; ++c) choiceCounter[c] = AddU8(choiceCounter[c], 1);
    if (triggerCounter[kTrigAttacks] < kTrigMarked - 1) ++triggerCounter[kTrigAttacks];
    skillAmount = AddU16(skillAmount, ObjWordAt(rec, mon::kAttack));
    if (ActionTargetByte(action) & kApproachBit) {
        command = 200;
        subCommand = 1;
    }
    if (state & kStateSelfDestruct) action.word20 = kSelfDestructKind;
    return 0;
}
