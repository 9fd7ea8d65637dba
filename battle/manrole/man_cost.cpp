// Choices of a party role and their costs: the magic or item chosen in the
// command menus, what it costs, what it reserves in the bag and how it is
// paid when the turn opens.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "base/errorbox.h"
#include "base/settings.h"
#include "base/text_convert.h"
#include "battle/manrole/man_battle.h"
#include "battle/manrole/man_lists.h"
#include "battle/manrole/man_texts.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "media/sound_bank.h"
#include "world/org/cost_word.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"

namespace {

constexpr int kSfxRefused = 140;
constexpr uint32_t kGuardCategory = 3;
constexpr uint32_t kThrowCategory = 4;
constexpr uint32_t kCaptureCategory = 6;
constexpr uint32_t kKeptBit = 0x80;        // an item that is never used up...
constexpr uint32_t kTalismanBit = 0x8000000;  // ...unless it is a talisman
constexpr uint32_t kSummonBit = 0x800;

// The commands of the all-target magic acts (their objects' cost words).
constexpr uint16_t kAllTargetCommands[] = {400, 402, 404, 405, 406, 409, 500};

bool KeptWhenUsed(const ObjRecord& o) { return (o.typeBits & kKeptBit) && !(o.typeBits & kTalismanBit); }

// A refusal: one message at a time, with the refusal sound.
void Refuse(const char* text) {
    if (gBattleMsgs != nullptr) return;
    AddBattleMessage(280, 10, 20, text, kMsgStrip | kMsgCentred);
    PlaySfx(kSfxRefused, int(gSfxVolume));
}

void CopyActionName(char (&to)[kActionNameBytes], const ObjRecord& o) { CopyBig5Bounded(to, sizeof to, o.name); }

}  // namespace

void ManRole::SelectBagEntry(uint16_t id, bool reserve) {
    DropSelection();
    selectedItemId = id;
    if (reserve && id != 0) {
        ReserveItemUse(id);
        selectionReserved = 1;
    }
}

void ManRole::DropSelection() {
    if (selectionReserved) ReleaseItemUse(selectedItemId);
    selectionReserved = 0;
    selectedItemId = 0;
}

// Regeneration amounts of a chosen object: its three percentages when its
// switch is 0 or heals all three.
void ManRole::TakeRegenOf(const ObjRecord& o) {
    const uint16_t sw = o.w[kObjEffectMode];
    healAll = (sw & kRegenHealAll) ? 1 : 0;
    for (int g = 0; g < 3; ++g)
        regenAmount[g] = (sw == 0 || healAll) ? int16_t(std::min<uint16_t>(o.w[kObjRegenWord + g], INT16_MAX)) : 0;
}

int ManRole::CheckActionCost(uint32_t category, int n) {
    const ItemRecord* e = FindNthMagic(category, 0, n);
    if (e == nullptr) return 0;
    const ObjCost c = DecodeCostWord(e->obj.w[kObjCostWord]);
    pendingCost[0] = c.spirit;
    pendingCost[1] = c.stamina;
    // The role's own last choice is let go first: asked again, the check
    // must not find the bag short by the use it kept itself.
    DropSelection();
    if (c.itemId != 0) {
        // The magic uses up one item of the bag: that item is chosen (and one
        // of it reserved) when the bag has one to spare.
        const ItemRecord* item = FindBagItem(c.itemId);
        if (item != nullptr && ItemAvailable(*item) > 0) {
            SelectBagEntry(c.itemId, true);
            return 1;
        }
        Refuse(kNoItemText);
        return 0;
    }
    const MemberStats* m = baseStats;
    if (c.spirit == 0 && c.stamina == 0) return 1;  // a free magic
    if (m == nullptr) return 0;
    if (c.spirit != 0) {
        if (m->gauge[1] >= c.spirit) return 1;
        Refuse(kNoSpiritText);
    }
    if (c.stamina != 0) {
        if (m->gauge[2] >= c.stamina) return 1;
        Refuse(kNoStaminaText);
    }
    return 0;
}

uint16_t ManRole::SelectMagic(uint32_t category, int kind, int n, uint16_t* id) {
    if (kind != 0 && kind != 1) return 65535;
    actionFlags |= kind == 0 ? 0x80 : 0x2;
    std::memset(&action, 0, sizeof action);
    const ItemRecord* e = FindNthMagic(category, kind, n);
    if (e == nullptr) return 65535;
    if (id != nullptr) *id = e->id;
    ReadActionRecord(&action, e->obj.w[kObjActionId]);
    const int wisdom = baseStats != nullptr ? baseStats->stat[2] : 0;
    if (wisdom >= 50)
        action.word24 = uint16_t(std::min<int64_t>(int64_t(action.word24) * (100 + wisdom - 50) / 100, 0xFFFF));
    CopyActionName(actionName, e->obj);
    if (actionFlags & 0x2) {
        actParam = e->obj.w[kObjAltWord];
        magicId = e->id;
        // The cost word of an all-target magic names its act's command; a
        // word that names none leaves the magic to play as a plain act.
        const uint16_t code = e->obj.w[kObjCostWord];
        storedCommand = 0;
        if (std::find(std::begin(kAllTargetCommands), std::end(kAllTargetCommands), code) !=
            std::end(kAllTargetCommands))
            storedCommand = code;
        else
            TraceHook("manrole: magic %u names no all-target act (command %u)", unsigned(e->id), unsigned(code));
    }
    TakeRegenOf(e->obj);
    const uint32_t mask = CategoryMask(category);
    return ((mask & 0x10) || ((mask & 0x8) && (e->obj.typeBits & 0x8))) ? 1 : 0;
}

int ManRole::SelectItem(uint32_t category, int n, uint16_t* act, int* targetFlag) {
    std::memset(&action, 0, sizeof action);
    std::memset(actionName, 0, sizeof actionName);
    itemAct = 0;
    if (act != nullptr) *act = 65535;
    const ItemRecord* e = FindNthItem(category, n);
    if (e == nullptr) return 0;
    if (act != nullptr) *act = 0;
    actionFlags |= 0x40;
    SelectBagEntry(e->id, false);
    if (targetFlag != nullptr) *targetFlag = 0;
    const ObjRecord& o = e->obj;
    const ObjCost c = DecodeCostWord(o.w[kObjCostWord]);
    pendingCost[0] = pendingCost[1] = 0;
    if (category == kThrowCategory && c.throwable) {
        ReadActionRecord(&action, o.w[kObjActionId]);
        skillAmount = o.w[kObjStatBonus0];
    } else {
        const uint16_t second = o.w[kObjAltWord];
        const bool ownAction = second == 0 || category == kCaptureCategory;
        ReadActionRecord(&action, ownAction ? o.w[kObjActionId] : second);
        // The price checked is the price shown (GetNthItem): from the third
        // use of the item in this battle its stamina cost + a third.
        const int stamina = ownAction ? ItemStaminaCost(e->id, c.stamina) : c.stamina;
        const MemberStats* m = baseStats;
        if (m == nullptr || m->gauge[1] < c.spirit || m->gauge[2] < stamina) {
            DropSelection();
            return 0;
        }
        pendingCost[0] = c.spirit;
        pendingCost[1] = uint16_t(stamina);
        TakeRegenOf(o);
        if (act != nullptr) *act = action.followUp;
        if (o.typeBits & kSummonBit) {
            actionFlags |= 0x10;
            itemAct = e->id;
        }
        const uint32_t mask = CategoryMask(category);
        if (targetFlag != nullptr) *targetFlag = ((mask & 0x10) || ((mask & 0x8) && (o.typeBits & 0x8))) ? 1 : 0;
    }
    if (!KeptWhenUsed(o) && category != kGuardCategory) SelectBagEntry(e->id, true);
    return 1;
}

void ManRole::SetActionFromObject(uint16_t id, uint16_t* value) {
    FreeRecordText(&actionObj);
    if (ReadObjRecord(&actionObj, id) != 1) actionObj = ObjRecord{};
    FreeRecordText(&actionObj);
    std::memset(&action, 0, sizeof action);
    ReadActionRecord(&action, actionObj.w[kObjActionId]);
    if (value != nullptr) *value = actionObj.w[kObjIdWord];
    if (action.element == 0) action.word22 = actionObj.w[kObjRegenWord];
    actionFlags |= 0x80;
}

void ManRole::PayActionCost() {
    if ((actionFlags & 0x80) && selectedItemId != 0) {
        ConsumeSelectedItem(0, 0);
        pendingCost[0] = 0;
    } else if (baseStats != nullptr) {
        baseStats->gauge[1] = int16_t(std::max(0, baseStats->gauge[1] - int(pendingCost[0])));
    }
    pendingCost[0] = 0;
    PayStaminaCost();
}

void ManRole::PayStaminaCost() {
    if (baseStats != nullptr) baseStats->gauge[2] = int16_t(std::max(0, baseStats->gauge[2] - int(pendingCost[1])));
    pendingCost[1] = 0;
}

uint16_t ManRole::ConsumeSelectedItem(uint32_t category, int) {
    if (selectedItemId == 0) return 0;
    ItemRecord** bag = Bag();
    ItemRecord* node = nullptr;
    int position = 0;
    for (ItemRecord* e = *bag; e != nullptr; e = e->next, ++position) {
        if (e->id != selectedItemId) continue;
        node = e;
        itemCursor = position;
        break;
    }
    // The entry may be gone since it was chosen (used up or taken by an
    // enemy): nothing is used and the choice is dropped.
    if (node == nullptr) {
        DropSelection();
        return 0;
    }
    const uint16_t id = node->id;
    ObjRecord& o = node->obj;
    const bool throwable = DecodeCostWord(o.w[kObjCostWord]).throwable;
    if ((o.w[kObjEffectMode] & kRegenMultiUse) && (o.w[kObjEffectMode] & 0xFF) > 0) {
        --o.w[kObjEffectMode];
        DropSelection();
        return id;
    }
    if (category == kCaptureCategory) {
        actionFlags |= 0x8;
        captureClass = o.w[kObjCaptureClass];
        captureChance = o.w[kObjCaptureChance];
    }
    if (!KeptWhenUsed(o)) {
        if (node->count > 0)
            --node->count;
        else if (node->newCount > 0)
            --node->newCount;
    }
    DropSelection();
    if (node->count <= 0 && node->newCount <= 0) FreeItemNode(UnlinkItemById(bag, id));
    return throwable ? 0 : id;
}

void ManRole::ClearManAction() {
    actionFlags = 0;
    std::memset(&action, 0, sizeof action);
    std::memset(actionName, 0, sizeof actionName);
    pendingCost[0] = pendingCost[1] = 0;
    itemAct = 0;
    magicId = 0;
    storedCommand = 0;
    actParam = 0;
    skillAmount = 0;
    healAll = 0;
    for (int16_t& a : regenAmount) a = 0;
    DropSelection();
}

int ManRole::UseStoredCommand() {
    actionFlags |= 0x2;
    runPrepared = 1;
    if (storedCommand != 0) command = storedCommand;
    acts[kActBegin].Clear();
    acts[kActBeginPartner].Clear();
    return 0;
}
