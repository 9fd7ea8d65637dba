// Fuzz target: an action record parsed from bytes and applied as an ailment
// and as an assist to a party member and to an enemy, then ticked and ended.
//
// Input: a 16-byte head, then the action record's tag stream.
//   0: ailment threshold (low nibble party, high nibble enemy)
//   1..5: the member's element percentages; 6..10: the enemy's
//   11: ticks to run; 12: option bits (1 whole side, 2 quiet, 4 unique
//   enemy, 8 the member is out, 16 gauge-full 14 instead of 100);
//   13: stage of a caught spreading effect; 14, 15: spare
// What is checked: the member's own record changes only in life, spirit,
// stamina and the down mark; the battle copy's elements and the four stats
// the weakening lowers are back where they were once every effect ended;
// no node is left after the reset.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/random.h"
#include "battle/battle_services.h"
#include "battle/battle_state.h"
#include "battle/role/mon_record.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "fuzz/support/fuzz_support.h"
#include "tools/obj_db_writer.h"
#include "world/party/member_stats.h"

namespace {

constexpr size_t kHead = 16;

// A broken promise traps, naming the check that failed.
void CheckAt(bool ok, int line) {
    if (ok) return;
    std::fprintf(stderr, "battle_effects: check at line %d failed\n", line);
    __builtin_trap();
}
#define Check(ok) CheckAt((ok), __LINE__)

// The member record without what the battle may change.
MemberStats Lasting(const MemberStats& m) {
    MemberStats s = m;
    s.gauge[0] = s.gauge[1] = s.gauge[2] = 0;
    s.status = 0;
    return s;
}

bool SameLasting(const MemberStats& a, const MemberStats& b) {
    const MemberStats x = Lasting(a), y = Lasting(b);
    return std::memcmp(&x, &y, sizeof x) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHead) return 0;
    ActionRecord action{};
    if (!ParseActionRecord(data + kHead, std::min<size_t>(size - kHead, 1024), &action)) return 0;

    FuzzResetPlatform();
    ResetBattleServices();
    ClearBattleMessages();
    ResetMemberStats();
    ResetRandom();
    InitRandom(77);
    const uint8_t options = data[12];
    gGaugeFull = (options & 16) ? 14 : 100;
    gWholeSide = (options & 1) ? 1 : 0;

    MemberStats& m = gMemberStats[0];
    m.gauge[0] = m.gaugeMax[0] = 400;
    m.gauge[1] = m.gaugeMax[1] = 100;
    m.gauge[2] = m.gaugeMax[2] = 60;
    m.stat[2] = 30;
    m.stat[3] = 40;
    m.stat[5] = data[0] & 15;
    m.bonus[0] = 120;
    m.bonus[1] = 70;
    for (int e = 0; e < 5; ++e) m.element[e] = static_cast<int8_t>(data[1 + e]);
    const MemberStats before = m;

    ManRole& hero = gManRoles[0];
    hero.side = 1;
    hero.member = 1;
    hero.statsCopy = m;
    hero.stats = &hero.statsCopy;
    hero.baseStats = &m;
    hero.battleRecord = &gMemberBattle[0];
    hero.SetRoleName("Ann");
    hero.quietFlag = (options & 2) ? 1 : 0;
    if (options & 8) hero.SetOut(1);
    gBattleManCount = 1;
    const MemberStats copyBefore = hero.statsCopy;

    MonRole& foe = gMonRoles[0];
    foe.side = 0;
    SetMonLifeOf(foe.objRecord, 500);
    foe.SetMonLifeMax(500);
    SetObjWordAt(foe.objRecord, mon::kAilmentThreshold, static_cast<uint16_t>(data[0] >> 4));
    for (int e = 0; e < 5; ++e) SetMonElementOf(foe.objRecord, e, static_cast<int8_t>(data[6 + e]));
    if (options & 4) foe.objRecord->typeBits = 0x20;
    foe.SetRoleName("Imp");
    gBattleMonCount = 1;

    Role* roles[2] = {&hero, &foe};
    for (Role* r : roles) {
        r->CheckEffectConflict(&action);
        r->ApplyAilment(&action);
        r->ApplyAssistEffect(&action);
        r->CatchSpreadingEffect(static_cast<int16_t>(action.value), data[13]);
        r->StepSpreadCounter();
        r->IsSpreadDue();
        r->HasElementAttackUp(action.element);
        r->GetEffectProgress(action.ailment);
        ClearBattleMessages();
    }
    for (int t = 0; t < data[11]; ++t) {
        for (Role* r : roles) {
            r->TickRoleEffects();
            r->ApplyPendingDamage();
        }
        ClearBattleMessages();
    }
    for (Role* r : roles) {
        r->RemoveRoleEffect(action.ailment);
        r->RemoveRoleEffect(action.mask);
        r->ExpireRoleEffects(1);
        Check(r->effects == nullptr);
    }
    ClearBattleMessages();

    Check(SameLasting(m, before));
    for (int e = 0; e < 5; ++e) Check(hero.statsCopy.element[e] == copyBefore.element[e]);
    Check(hero.statsCopy.bonus[0] == copyBefore.bonus[0] && hero.statsCopy.bonus[1] == copyBefore.bonus[1]);
    Check(hero.statsCopy.stat[2] == copyBefore.stat[2] && hero.statsCopy.stat[3] == copyBefore.stat[3]);
    for (int e = 0; e < 5; ++e) Check(foe.ElementPercent(e) == static_cast<int8_t>(data[6 + e]));

    // Effects again, ended by the reset and the release this time.
    hero.ApplyAilment(&action);
    hero.ApplyAssistEffect(&action);
    foe.ApplyAilment(&action);
    foe.ApplyAssistEffect(&action);
    hero.ResetRoleForBattle();
    Check(hero.effects == nullptr);
    ClearBattleMessages();
    FreeBattleRoles();
    ResetBattleServices();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    auto head = [](uint8_t threshold, int8_t metal, uint8_t ticks, uint8_t options) {
        std::vector<uint8_t> h(kHead, 0);
        h[0] = threshold;
        h[1] = static_cast<uint8_t>(metal);
        h[6] = static_cast<uint8_t>(metal);
        h[11] = ticks;
        h[12] = options;
        h[13] = 2;
        return h;
    };
    auto record = [](uint32_t value, uint16_t element, uint16_t ailment, uint32_t mask, uint8_t duration,
                     bool resist) {
        TagStream s;
        s.Tag(0).U32(value).U16(element).U16(0);
        if (ailment != 0) s.Word(7, ailment);
        if (mask != 0) s.Tag(12).U32(mask);
        s.Word(2, duration);
        if (resist) s.Word(14, 0);
        return s.End();
    };
    WriteFuzzSeed(dir, "poison", FuzzJoin(head(0xAA, 0, 8, 16), record(100, 0, 0x40, 0, 5, false)));
    WriteFuzzSeed(dir, "weaken", FuzzJoin(head(0xAA, 0, 12, 16), record(10, 0, 0x200, 0, 4, false)));
    WriteFuzzSeed(dir, "carrier", FuzzJoin(head(0xAA, 0, 40, 16 | 4), record(60000, 0, 0x2000, 0, 9, false)));
    WriteFuzzSeed(dir, "doom", FuzzJoin(head(0xAA, 0, 6, 16), record(0, 0, 0x400, 0, 3, false)));
    WriteFuzzSeed(dir, "attack-up", FuzzJoin(head(0xAA, 0, 6, 16 | 1), record(0, 0, 0, 0x80000000u, 4, false)));
    WriteFuzzSeed(dir, "metal-resist", FuzzJoin(head(0xAA, 80, 6, 16), record(0, 1, 0, 0, 3, true)));
    WriteFuzzSeed(dir, "dispel", FuzzJoin(head(0xAA, 0, 2, 16), record(0, 0, 0, 0x10000, 0, false)));
    WriteFuzzSeed(dir, "revive", FuzzJoin(head(0xAA, 0, 1, 8), record(0, 0, 0x8000, 0, 0, false)));
}
