// Fuzz target of the party roles over object and action records made of the
// input: the first bytes are one object record's type bits, words w0..w20,
// element bytes, level and kind, then an action record's fields; every byte
// after them is one step on the roles (set-ups, equipment, lists, choices,
// costs, use, recovery, weapon skills, treasure growth). The bag's counts
// must stay within 0..99, the gauges within 0..9999 and no reservation may
// pass what the bag holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "battle/battle_services.h"
#include "battle/manrole/man_battle.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "fuzz/support/fuzz_support.h"
#include "tools/obj_db_writer.h"
#include "world/org/count_list.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"

namespace {

constexpr uint16_t kId = 50, kSecondId = 51;
constexpr size_t kHeadBytes = 4 + 42 + 5 + 4 + 24;

struct Reader {
    const uint8_t* p;
    size_t left;
    uint8_t u8() {
        if (left == 0) return 0;
        --left;
        return *p++;
    }
    uint16_t u16() { return uint16_t(u8() | u8() << 8); }
    uint32_t u32() { return uint32_t(u16()) | uint32_t(u16()) << 16; }
};

void UseTable(Reader& in) {
    const uint32_t type = in.u32();
    std::map<int, uint16_t> words;
    for (int w = 0; w < 21; ++w) words[w] = in.u16();
    ObjFixedFields fixed;
    for (int8_t& e : fixed.element) e = int8_t(in.u8());
    fixed.level = in.u16();
    fixed.kind = in.u16();
    ActionSpec a;
    a.value = in.u32();
    a.element = in.u16();
    a.followUp = in.u16();
    a.flags = in.u32();
    a.kind = in.u16();
    a.second = in.u16();
    a.rate = in.u16();
    a.ailment = in.u16();
    a.effectId = in.u16();
    a.duration = in.u8();
    a.defeatEffect = in.u8();
    gObjFiles.mon = BuildMonDat({{kId, ObjectRecordBytes("Thing", type, words, fixed)},
                                 {kSecondId, ObjectRecordBytes("Other", type ^ 0x8000004, words, fixed)}},
                                {{words[13], ActionRecordBytes(a)}, {words[17], ActionRecordBytes(a)}});
    gObjFiles.monOpen = true;
}

void SetUpParty(Reader& in) {
    for (int m = 0; m < 2; ++m) {
        MemberStats& s = gMemberStats[m];
        for (int g = 0; g < 3; ++g) s.gauge[g] = s.gaugeMax[g] = int16_t(in.u16());
        s.stat[2] = in.u16();
        s.elementIndex = in.u8();
        BattleSlot slot{};
        slot.spriteSet = uint16_t(m + 1);
        slot.side = 1;
        gManRoles[m].SetupManRole(&s, &gMemberBattle[m], &slot);
        gManRoles[m].SetManItemList(&gInventory);
        gManRoles[m].SetManMagicList(&gMagicLists[m]);
        AddMagic(m, kId);
        for (ItemRecord*& e : gMemberEquip[m]) e = NewItemNode(kId);
        gManRoles[m].ApplyEquipment(gMemberEquip[m]);
    }
    AddItem(&gInventory, kId, in.u8() % 100, kAddCount);
    AddItem(&gInventory, kSecondId, in.u8() % 100, kAddNew);
    gBattleManCount = 3;
}

void Step(uint8_t op, uint8_t arg) {
    ManRole& r = gManRoles[arg & 1];
    const int n = arg >> 5;
    const uint32_t category = (arg >> 1) & 7;
    char name[16];
    uint16_t word = 0;
    int value = 0;
    switch (op % 16) {
    case 0: r.GetNthMagic(category, n & 1, n, name, sizeof name, &word); break;
    case 1: r.CountUsableMagic(category, n & 1, &value); break;
    case 2: r.GetNthItem(category, n, name, sizeof name, &word, &value); break;
    case 3: r.SelectItem(category, n, &word, &value); break;
    case 4: r.SelectMagic(category, n & 1, n, &word); break;
    case 5: r.CheckActionCost(category, n); break;
    case 6: r.ConsumeSelectedItem(category, n); break;
    case 7: r.PayActionCost(); break;
    case 8: r.ClearManAction(); break;
    case 9: r.StartWeaponSkill(uint16_t(arg)); break;
    case 10: r.ApplyEquipRegen(); break;
    case 11: r.AddTreasureGrowth(&gFameList3, uint16_t(arg * 7)); break;
    case 12: r.GrowTreasureLevel(&gFameList3, 37, uint16_t(arg * 3)); break;
    case 13: CountItemUse(kId); break;
    case 14: r.GetNthRefineItem(n & 1, n, name, sizeof name, &value); break;
    default: {
        ManRole& g = gManRoles[2];
        BattleSlot slot{};
        slot.spriteSet = (arg & 1) ? kId : kSecondId;
        g.guard = 1;
        g.SetupGuardRole(&slot);
        r.AddRecordStats(slot.spriteSet);
        r.PrepareManCommand();
        break;
    }
    }
    ClearBattleMessages();
}

void Check() {
    for (const ItemRecord* e = gInventory; e != nullptr; e = e->next) {
        if (e->count < 0 || e->newCount < 0 || e->count + e->newCount > 2 * kItemCountMax) std::abort();
        if (ItemReserved(e->id) > e->count + e->newCount + 2) std::abort();
    }
    for (const MemberStats& s : gMemberStats)
        for (int g = 0; g < 3; ++g)
            if (s.gauge[g] > 9999 || s.gaugeMax[g] > 9999) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzResetPlatform();
    ResetBattleServices();
    FreeItemLists();
    FreeFameLists();
    ResetMemberStats();
    Reader in{data, size};
    UseTable(in);
    SetUpParty(in);
    for (int steps = 0; in.left >= 2 && steps < 300; ++steps) {
        const uint8_t op = in.u8();
        Step(op, in.u8());
        Check();
    }
    ResetBattleServices();
    FreeItemLists();
    FreeFameLists();
    gObjFiles = ObjFiles{};
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    constexpr size_t kPartyBytes = 2 * 9 + 2;
    std::vector<uint8_t> head(kHeadBytes + kPartyBytes, 0);
    head[0] = 0x14;               // type bits: categories 0 and 1
    head[4 + 2 * 11] = 0x10;      // w11: usable in battle
    head[4 + 2 * 13] = 1;         // w13: action 1
    head[4 + 2 * 14] = 12;        // w14: a stamina cost of 12
    head[4 + 2 * 14 + 1] = 0x40;
    head[4 + 2 * 16] = 100;       // w16: growth maximum
    head[4 + 2 * 17] = 37;        // w17: a level treasure
    head[4 + 42 + 5 + 2] = 17;    // kind 17: one target
    head[4 + 42 + 9] = 40;        // the action's value
    for (int m = 0; m < 2; ++m) {
        const size_t at = kHeadBytes + 9 * size_t(m);
        for (int g = 0; g < 3; ++g) head[at + 2 * size_t(g)] = 100;
        head[at + 6] = 60;        // wisdom
        head[at + 8] = 3;         // element index
    }
    head[kHeadBytes + 18] = 5;    // in the bag
    head[kHeadBytes + 19] = 3;
    WriteFuzzSeed(dir, "choose", FuzzJoin(head, std::vector<uint8_t>{3, 0x22, 6, 0x22, 4, 0x20, 5, 0x21, 7, 0, 8, 1,
                                                                       13, 0, 13, 0, 2, 0x22, 3, 0x23, 6, 0x23}));
    WriteFuzzSeed(dir, "grow", FuzzJoin(head, std::vector<uint8_t>{11, 40, 12, 90, 12, 255, 10, 0, 9, 21, 9, 34,
                                                                     15, 1, 14, 0x21, 15, 0}));
}
