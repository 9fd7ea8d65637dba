// Talk instructions: the party's items, magic, equipment, gauges and stats,
// and the shop.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/errorbox.h"
#include "base/memory.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/requests.h"
#include "world/script/talk_machine.h"
#include "world/script/talk_media.h"
#include "world/story_flags.h"

namespace {

// "Talk system(Mag_Learn)", "Member number above four(%d)", "Member(%d)\nshould not learn this magic%s"
constexpr char kCapMagLearn[] = "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE(Mag_Learn)";
constexpr char kTextMemberOver4[] = "\xA8\xA4\xA6\xE2\xA7\xC7\xB8\xB9\xB6W\xB9L\xA5|(%d)";
constexpr char kTextCannotLearn[] =
    "\xA8\xA4\xA6\xE2(%d)\n\xA4\xA3\xC0\xB3\xB8\xD3\xBE\xC7\xA8\xEC\xB3o\xBA\xD8\xAAk\xB3N%s";
// "Member number or body part outside the valid range\nrs(%d) bp(%d)"
constexpr char kTextEquipRange[] =
    "\xA8\xA4\xA6\xE2\xA7\xC7\xB8\xB9\xA9\xCE\xB3\xA1\xA6\xEC\xB6W\xB9L\xA6\xB3\xAE\xC4\xBD" "d\xB3\xF2\nrs(%d) bp(%d)";
// "Talk system(Equip)", "The party has no item(%d)"
constexpr char kCapEquip[] = "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE(Equip)";
constexpr char kTextNoItem[] = "\xB6\xA4\xA5\xEE\xA8S\xA6\xB3\xAA\xAB\xAB~(%d)";
// "Talk system(Healing)", "Member number[%d] outside the valid range 4."
constexpr char kCapHealing[] = "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE(Healing)";
constexpr char kTextHealRange[] = "\xA8\xA4\xA6\xE2\xA7\xC7\xB8\xB9[%d]\xB6W\xB9L\xA6\xB3\xAE\xC4\xBD" "d\xB3\xF2 4.";
// "Talk system(attb)", "Invalid attribute number(%d)\n"
constexpr char kCapAttb[] = "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE(attb)";
constexpr char kTextBadStat[] = "\xC4\xDD\xA9\xCA\xA5N\xB8\xB9\xA4\xA3\xA6X\xAAk(%d)\n";

constexpr int kEquipParts = 12;
constexpr int kPartyFlag = 30;         // story flags 30..33: member i is in the party
constexpr int kLastStat = 16;
// The stat instructions read and write the party record number 1, as the
// stored scripts were written against (docs/talk-scripts.md).
constexpr int kStatMember = 1;
constexpr size_t kShopListBytes = 2 * size_t(kShopStockWords);
constexpr size_t kShopIdsMax = kShopListBytes / 2 - 1;  // and the 0 that ends them
constexpr uint32_t kShopRequest = kMenuPending | kMenuShop;

enum StatField : int { kFieldGauge = 0, kFieldMax = 3, kFieldStat = 6, kFieldNext = 14, kFieldExp = 15, kFieldLevel = 16 };

// A jump that continues or, for the stat tests, ends the frame.
TalkStep Jump(uint32_t target, TalkStep step) {
    return TalkGoto(gTalkContext, target) ? step : TalkStep::kFail;
}

// ---- Items -----------------------------------------------------------------------------------------

ItemRecord* InBag(uint16_t id) { return FindItem(gInventory, id); }

ItemRecord* EquippedByMember(uint16_t id) {
    for (auto& member : gMemberEquip)
        for (ItemRecord* slot : member)
            if (slot && slot->id == id) return slot;
    return nullptr;
}

TalkStep OpAddItem(TalkInstr& in) {
    ByteReader r = in.Operands();
    const uint16_t item = r.u16();
    const int16_t n = r.i16();
    // The placeholder of empty equipment slots is no item of the bag.
    if (item == 0 || item == kPlaceholderItem) {
        TraceHook("talk %d: item %u is not given", TalkNumberForText(), unsigned(item));
        return TalkStep::kYield;
    }
    AddItem(&gInventory, item, n, kAddNew);
    return TalkStep::kYield;
}

// The jumps on having an item: kind 0 in the bag or equipped, 1 equipped.
TalkStep ItemJump(TalkInstr& in, bool equippedOnly, bool jumpIfHas) {
    ByteReader r = in.Operands();
    const uint16_t item = r.u16();
    const uint32_t target = r.u32();
    const bool has = EquippedByMember(item) != nullptr || (!equippedOnly && InBag(item) != nullptr);
    return has == jumpIfHas ? Jump(target, TalkStep::kJump) : TalkStep::kContinue;
}
TalkStep OpIfItem(TalkInstr& in) { return ItemJump(in, false, true); }
TalkStep OpIfNoItem(TalkInstr& in) { return ItemJump(in, false, false); }
TalkStep OpIfEquipped(TalkInstr& in) { return ItemJump(in, true, true); }
TalkStep OpIfNotEquipped(TalkInstr& in) { return ItemJump(in, true, false); }

int ItemTotal(uint16_t item) {
    int total = 0;
    if (const ItemRecord* b = InBag(item)) total += b->count + b->newCount;
    if (const ItemRecord* e = EquippedByMember(item)) total += e->count + e->newCount;
    return total;
}

TalkStep OpIfItemCount(TalkInstr& in) {
    ByteReader r = in.Operands();
    const uint16_t item = r.u16();
    const int n = r.i16();
    const uint32_t target = r.u32();
    const int total = ItemTotal(item);
    return total > 0 && total >= n ? Jump(target, TalkStep::kJump) : TalkStep::kContinue;
}

TalkStep OpIfItemFew(TalkInstr& in) {
    ByteReader r = in.Operands();
    const uint16_t item = r.u16();
    const int n = r.i16();
    const uint32_t target = r.u32();
    const int total = ItemTotal(item);
    return total == 0 || total <= n ? Jump(target, TalkStep::kJump) : TalkStep::kContinue;
}

// ---- Magic and equipment ---------------------------------------------------------------------------

ItemRecord* FindExactItem(ItemRecord* list, uint16_t id) {
    for (ItemRecord* n = list; n; n = n->next)
        if (n->id == id) return n;
    return nullptr;
}

// The record's member mask is the high half of its type word: member m may
// learn it when bit 0x8000 >> m of that half is set.
bool MemberMayLearn(const ObjRecord& record, int member) {
    return ((record.typeBits >> 16) & (0x8000u >> member)) != 0;
}

TalkStep OpLearnMagic(TalkInstr& in) {
    ByteReader r = in.Operands();
    const uint16_t member = r.u16(), magic = r.u16();
    if (member >= kPartyMembers) {
        ErrorBox(kCapMagLearn, kTextMemberOver4, int(member));
        return TalkStep::kContinue;
    }
    if (magic == 0 || magic == kMagicNone || FindExactItem(gMagicLists[member], magic)) return TalkStep::kContinue;
    // AddMagic appends: the list's first magic stays first. A magic without
    // a record adds no node, and there is nothing to mark.
    if (!AddMagic(member, magic)) return TalkStep::kContinue;
    ItemRecord* node = FindExactItem(gMagicLists[member], magic);
    if (!node) return TalkStep::kContinue;
    node->obj.typeBits &= ~uint32_t(kObjNewMark);
    if (!MemberMayLearn(node->obj, member)) {
        ErrorBox(kCapMagLearn, kTextCannotLearn, int(member), node->obj.name);
        FreeItemNode(UnlinkItemById(&gMagicLists[member], magic));
    }
    return TalkStep::kContinue;
}

TalkStep OpEquip(TalkInstr& in) {
    ByteReader r = in.Operands();
    const uint16_t member = r.u16(), part = r.u16(), item = r.u16();
    if (member >= kPartyMembers || part >= kEquipParts) {
        ErrorBox(kCapMagLearn, kTextEquipRange, int(member), int(part));
        return TalkStep::kContinue;
    }
    const ItemRecord* bag = FindExactItem(gInventory, item);
    if (!bag || item == kPlaceholderItem) {
        ErrorBox(kCapEquip, kTextNoItem, int(item));
        return TalkStep::kContinue;
    }
    ItemRecord* worn = static_cast<ItemRecord*>(std::calloc(1, sizeof(ItemRecord)));
    if (!worn) return TalkStep::kContinue;
    *worn = *bag;
    CopyObjRecord(&worn->obj, bag->obj);
    worn->next = nullptr;
    worn->spare = 0;
    worn->count = 1;
    worn->newCount = 0;
    ItemRecord* old = gMemberEquip[member][part];
    gMemberEquip[member][part] = worn;
    AddItem(&gInventory, item, -1, kAddNew);  // from the new count first, then the count
    // The placeholder of an empty slot goes nowhere: it is no item of the bag.
    if (old && old->id != kPlaceholderItem) AddItem(&gInventory, old->id, 1, kAddCount);
    FreeItemNode(old);
    return TalkStep::kContinue;
}

// ---- Gauges -----------------------------------------------------------------------------------------

bool AnyMemberStanding() {
    for (int i = 0; i < kPartyMembers; ++i)
        if (IsFlag(kPartyFlag + i) && gMemberStats[i].gauge[0] > 0) return true;
    return false;
}

TalkStep OpHeal(TalkInstr& in) {
    ByteReader r = in.Operands();
    const uint16_t member = r.u16();
    const int d[3] = {r.i16(), r.i16(), r.i16()};
    if (member < 1 || member > kPartyMembers) {
        ErrorBox(kCapHealing, kTextHealRange, int(member));
        return TalkStep::kContinue;
    }
    MemberStats& m = gMemberStats[member - 1];
    for (int g = 0; g < 3; ++g)
        m.gauge[g] = int16_t(std::clamp(int(m.gauge[g]) + d[g], 0, std::max(0, int(m.gaugeMax[g]))));
    m.status = 0;
    if (m.gauge[0] <= 0) {
        m.gauge[0] = 0;
        m.status |= kStatusDown;
    }
    if (AnyMemberStanding()) return TalkStep::kContinue;
    // The party is down: the game-over page, as the menu instruction asks
    // for it (the script's next instruction is left as it is).
    TalkMenuRequest(0);
    return TalkStep::kYield;
}

// ---- Stats ------------------------------------------------------------------------------------------

int64_t MemberField(int field, int member) {
    const int32_t v = GetMemberStat(field, member);
    return field == kFieldNext || field == kFieldExp ? int64_t(uint32_t(v)) : int64_t(v);
}

bool BadStat(uint16_t stat) {
    if (stat <= kLastStat) return false;
    ErrorBox(kCapAttb, kTextBadStat, int(stat));
    return true;
}

TalkStep StatJump(TalkInstr& in, bool below) {
    ByteReader r = in.Operands();
    const uint16_t stat = r.u16(), value = r.u16();
    const uint32_t target = r.u32();
    if (BadStat(stat)) return TalkStep::kFail;
    const int64_t v = MemberField(stat, kStatMember);
    const bool goOn = below ? v < value : v > value;
    return goOn ? TalkStep::kContinue : Jump(target, TalkStep::kJumpYield);
}
TalkStep OpIfStatBelow(TalkInstr& in) { return StatJump(in, true); }
TalkStep OpIfStatAbove(TalkInstr& in) { return StatJump(in, false); }

TalkStep StatChange(TalkInstr& in, int sign) {
    ByteReader r = in.Operands();
    const uint16_t stat = r.u16();
    const int16_t value = r.i16();
    if (BadStat(stat)) return TalkStep::kFail;
    const int64_t base = sign == 0 ? 0 : MemberField(stat, kStatMember);
    SetMemberStat(stat, kStatMember, base + (sign < 0 ? -int64_t(value) : int64_t(value)));
    return TalkStep::kContinue;
}
TalkStep OpSetStat(TalkInstr& in) { return StatChange(in, 0); }
TalkStep OpAddStat(TalkInstr& in) { return StatChange(in, 1); }
TalkStep OpSubStat(TalkInstr& in) { return StatChange(in, -1); }

// ---- Shop -------------------------------------------------------------------------------------------

TalkStep OpShop(TalkInstr& in) {
    ByteReader r = in.Operands();
    FreeMem(gShopStockIds);
    gShopStockIds = static_cast<uint16_t*>(AllocZero(int(kShopListBytes)));
    size_t n = 0;
    for (uint16_t id = r.u16(); r.ok() && id != 0; id = r.u16()) {
        if (n < kShopIdsMax && gShopStockIds) gShopStockIds[n] = id;
        ++n;
    }
    if (n > kShopIdsMax) TraceHook("talk %d: the shop keeps %u of %u items", TalkNumberForText(), unsigned(kShopIdsMax), unsigned(n));
    gMenuRequest = kShopRequest;
    return TalkStep::kYield;
}

} // namespace

bool SetMemberStat(int field, int member, int64_t value) {
    if (member < 0 || member >= kPartyMembers) return false;
    MemberStats& m = gMemberStats[member];
    if (field >= kFieldGauge && field < kFieldMax) {
        const int g = field - kFieldGauge;
        m.gauge[g] = int16_t(std::clamp<int64_t>(value, 0, std::max<int64_t>(0, m.gaugeMax[g])));
    } else if (field >= kFieldMax && field < kFieldStat) {
        m.gaugeMax[field - kFieldMax] = int16_t(std::clamp<int64_t>(value, 0, 32767));
    } else if (field >= kFieldStat && field < kFieldNext) {
        m.stat[field - kFieldStat] = uint16_t(std::clamp<int64_t>(value, 0, 65535));
    } else if (field == kFieldNext) {
        m.nextExperience = uint32_t(std::clamp<int64_t>(value, 0, 0xFFFFFFFFll));
    } else if (field == kFieldExp) {
        m.experience = uint32_t(std::clamp<int64_t>(value, 0, 0xFFFFFFFFll));
    } else if (field == kFieldLevel) {
        m.level = uint8_t(std::clamp<int64_t>(value, 0, kMaxLevel));
        uint32_t next = m.nextExperience;
        if (m.level < kMaxLevel && ReadLevelStats(member + 1, m.level + 1, &next)) m.nextExperience = next;
    } else {
        return false;
    }
    return true;
}

void RegisterTalkPartyOps(TalkHandler* t) {
    t[0x80] = OpAddItem;
    t[0x81] = OpIfItem;
    t[0x82] = OpIfNoItem;
    t[0xA7] = OpIfEquipped;
    t[0xA8] = OpIfNotEquipped;
    t[0xA5] = OpIfItemCount;
    t[0xA6] = OpIfItemFew;
    t[0x83] = OpLearnMagic;
    t[0x84] = OpEquip;
    t[0x85] = OpShop;
    t[0x86] = OpHeal;
    t[0xBA] = OpIfStatBelow;
    t[0xBB] = OpIfStatAbove;
    t[0xBC] = OpSetStat;
    t[0xBD] = OpAddStat;
    t[0xBE] = OpSubStat;
}
