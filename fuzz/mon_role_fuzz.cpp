// Fuzz target: a monster record parsed from bytes and set up as an enemy,
// then its choices, escape, rewards, queries, triggers, trigger act and
// attack exercised; the same record read as a summoned guard's choice.
//
// Input: an 8-byte head, then the record's tag stream (what "mon.dat" holds
// for monster 301).
//   0: events to raise (each from the head's bytes 1..3 in turn)
//   1..3: event codes; 4: an element for the element triggers
//   5: damage per hit (x 16); 6: the party level for the escape
//   7: option bits (1 confused, 2 unique hunt state, 4 pending item 2,
//      8 choice mode from bits 4..5)
// The object table also holds a spell (401), a special (402, magic kind) and
// an item (403), so slots that name them are read.
// What is checked: names stay terminated within their buffers; the price
// bytes are never written; counts never wrap; time is given back after the
// trigger act (there are no act packs: it cannot play) and every performer
// ends within its cap.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/random.h"
#include "battle/battle_services.h"
#include "battle/battle_state.h"
#include "battle/role/mon_battle.h"
#include "battle/role/mon_record.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "fuzz/support/fuzz_support.h"
#include "tools/mon_writer.h"
#include "tools/obj_db_writer.h"
#include "world/org/obj_tables.h"

namespace {

constexpr size_t kHead = 8;
constexpr uint16_t kMonster = 301;

void CheckAt(bool ok, int line) {
    if (ok) return;
    std::fprintf(stderr, "mon_role: check at line %d failed\n", line);
    __builtin_trap();
}
#define Check(ok) CheckAt((ok), __LINE__)

bool Terminated(const char* text, size_t size) { return std::memchr(text, 0, size) != nullptr; }

std::vector<uint8_t> ActionBytes(uint32_t value, uint16_t kind) {
    TagStream s;
    s.Tag(0).U32(value).U16(0).U16(0).Word(8, kind).Word(4, 3);
    return s.End();
}

std::vector<uint8_t> Table(const uint8_t* record, size_t size) {
    std::map<uint32_t, std::vector<uint8_t>> objects = {
        {kMonster, std::vector<uint8_t>(record, record + size)},
        {401, ObjectRecordBytes("Spark", 0, {{13, 11}})},
        {402, ObjectRecordBytes("Gust", 0x1000, {{13, 12}})},
        {403, ObjectRecordBytes("Salve", 0, {{13, 13}})},
    };
    std::map<uint32_t, std::vector<uint8_t>> actions = {
        {10, ActionBytes(20, 0x10)}, {11, ActionBytes(30, 0)}, {12, ActionBytes(25, 0x2)}, {13, ActionBytes(60, 0x8)}};
    return BuildMonDat(objects, actions);
}

void CheckRecord(const ObjRecord& r, uint16_t price) {
    Check(ObjPrice(r) == price);
    Check(Terminated(r.name, sizeof r.name));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHead) return 0;
    const size_t recordSize = std::min<size_t>(size - kHead, kRecordBlockBytes);
    FuzzResetPlatform();
    ResetBattleServices();
    ClearBattleMessages();
    ResetRandom();
    InitRandom(uint32_t(size));
    gObjFiles.mon = Table(data + kHead, recordSize);
    gObjFiles.monOpen = true;

    const uint8_t options = data[7];
    BattleSlot slot{};
    slot.spriteSet = kMonster;
    slot.homeX = 300;
    slot.homeY = 200;
    MonRole& e = gMonRoles[0];
    e.ResetRoleForBattle();
    e.SetupMonRole(&slot, kMonster);
    gBattleMonCount = 1;
    const uint16_t price = ObjPrice(e.monRecord);
    CheckRecord(e.monRecord, price);
    Check(e.monChoice <= 2);

    if (options & 1) e.effectBits |= kEffectConfuse;
    if (options & 2) e.state |= kStateHunting;
    if (options & 4) e.choiceMode[kModePendingItem] = 2;
    if (options & 8) e.choiceMode[kModeByte] = uint8_t((options >> 4) & 3);

    // Events, hits and the trigger.
    for (int i = 0; i < data[0] && i < 64; ++i) {
        const uint16_t event = data[1 + i % 3];
        e.CountMonTriggerEvent(event & 3);
        e.CheckMonTrigger(event, data[4]);
        e.DamageRole(int32_t(data[5]) * 16, 0, 0);
        Check(e.GetMonTriggerPhase() <= 6);
    }
    for (int f = 0; f <= kTriggerActFrameCap + 1; ++f) e.PlayMonTriggerAct();
    if (e.state & kStateTriggerFired) Check(gMonBattle.triggerHold == 0 && Stop == 0);

    // The choices of a few turns: counts only go down (a reaction's special
    // gets 10000 uses).
    uint16_t before[mon::kSlotCount];
    for (int s = 0; s < mon::kSlotCount; ++s) before[s] = MonSlotCount(e.monRecord, s);
    for (int turn = 0; turn < 6; ++turn) {
        uint32_t id = 0;
        e.HasMonSpecial();
        e.IsMonLifeLow();
        e.ChooseMonSpecial();
        e.ChooseMonAction(&id);
        Check(Terminated(e.actionName, sizeof e.actionName));
        uint16_t out = 0;
        e.PrepareMonAttack(uint16_t(1 + turn % 2), &out);
        e.PrepareMonDefault();
        e.MonTryEscape(data[6]);
        e.EndRoleTurn();
        ClearBattleMessages();
    }
    for (int s = 0; s < mon::kSlotCount; ++s)
        Check(MonSlotCount(e.monRecord, s) <= std::max<uint16_t>(before[s], 10000));

    // Queries.
    char name[16];
    uint16_t id = 0;
    for (int s = -1; s <= 3; ++s) {
        if (e.GetCarriedObject(s, name, sizeof name, &id)) Check(Terminated(name, sizeof name));
        if (e.GetMonSkillName(s, name, sizeof name)) Check(Terminated(name, sizeof name));
    }
    uint32_t exp = 0, silver = 0;
    e.GetMonRewards(&exp, &silver);
    Check(exp <= 65535u + 65535u * 30 / 100 && silver <= 0xFFFF);
    e.RollMonDrop();
    e.IsCapturable();
    e.GetMonElement();
    e.IsMonEmptyHanded();

    // The attack ends within its cap (no act packs: a missing act ends it).
    ManRole& target = gManRoles[0];
    target.side = 1;
    target.stats = target.baseStats = &target.statsCopy;
    gBattleManCount = 1;
    int calls = 0;
    while (e.MonRoleAttack(&target) != 1) Check(++calls <= kMonPerformFrameCap + 1);
    calls = 0;
    e.specialAct = data[1];
    while (e.MonSpecialAct(&target) != 1) Check(++calls <= kMonPerformFrameCap + 1);
    calls = 0;
    while (e.MonLeaveAct() != 1) Check(++calls <= 16);
    CheckRecord(e.monRecord, price);

    // The same record as a summoned guard chooses its turn.
    ManRole& guard = gManRoles[1];
    slot.side = 1;
    guard.SetupGuardRole(&slot);
    guard.guard = 1;
    uint32_t gid = 0;
    guard.ChooseMonAction(&gid);
    Check(Terminated(guard.actionName, sizeof guard.actionName));

    ClearBattleMessages();
    ResetBattleServices();
    CloseObjFiles();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    auto seed = [&](const char* name, std::vector<uint8_t> head, const MonsterSpec& m) {
        WriteFuzzSeed(dir, name, FuzzJoin(std::move(head), MonsterRecordBytes("Ogre", m)));
    };
    MonsterSpec m;
    m.level = 8;
    m.attack = 90;
    m.defence = 30;
    m.agility = 40;
    m.wisdom = 70;
    m.life = 600;
    m.attackAction = 10;
    m.experience = 50;
    m.silver = 20;
    m.slotId[0] = 401;
    m.slotCount[0] = 3;
    m.slotId[3] = 402;
    m.slotCount[3] = 2;
    m.slotId[5] = 403;
    m.slotCount[5] = 1;
    m.spellChance = 6;
    m.specialChance = 6;
    m.specialSwitch = 1;
    m.escapeChance = 5;
    m.trigger = 1;
    m.reaction = 1012;
    seed("life_trigger", {6, 0, 0, 0, 0, 8, 20, 0}, m);
    m.trigger = 12;
    m.reaction = 402;
    seed("element_trigger", {2, 0, 0, 0, 3, 1, 3, 4}, m);
    m.trigger = 4;
    m.reaction = 6001;
    m.typeBits = 0x820;
    seed("counted_unique", {40, 0, 0, 0, 0, 1, 99, 8 | 0x20}, m);
}
