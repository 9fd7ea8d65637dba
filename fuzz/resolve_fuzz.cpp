// Fuzz target: an action record parsed from bytes and resolved by both
// resolvers against a target made from the head, then flown as effect
// sprites (the act effect list) and hit with the party's hit.
//
// Input: a 24-byte head, then the action record's tag stream (what the
// object tables hold for an action).
//   0: actor (bit 0 party side, bit 1 guard, bit 2 spirit, bit 3 special mark)
//   1: target (bit 0 party side, bit 1 defends, bit 2 invisible, bit 3 unique)
//   2..3: action power; 4: command; 5: the actor's action flags byte
//   6..7: target defence; 8..9: target life (x 4); 10..14: element percentages
//   15: ailment threshold; 16: block chance; 17: skill value (x 2)
//   18: strength; 19..20: regeneration life (i16); 21: stack count
//   22: effect sprites (0..7) and the forced-hit flag (bit 7)
//   23: their multiplier (i8) and delay (the same byte's low bits)
// What is checked: every amount lies within -9999..9999 (no wrap into a
// heal), the party's silver never grows from a theft, no two chance-0 blocks
// come in a row, and the effect list ends within its cap.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/random.h"
#include "battle/battle_services.h"
#include "battle/battle_state.h"
#include "battle/role/act_effect.h"
#include "battle/role/mon_record.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "fuzz/support/fuzz_support.h"
#include "tools/obj_db_writer.h"
#include "world/talk_state.h"

namespace {

constexpr size_t kHead = 24;

void CheckAt(bool ok, int line) {
    if (ok) return;
    std::fprintf(stderr, "resolve: check at line %d failed\n", line);
    __builtin_trap();
}
#define Check(ok) CheckAt((ok), __LINE__)

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

void MakeRole(Role& r, bool party, uint16_t defence, uint32_t life) {
    r.side = party ? 1 : 0;
    if (party) {
        auto& m = static_cast<ManRole&>(r);
        m.stats = m.baseStats = &m.statsCopy;
        m.statsCopy.gauge[0] = m.statsCopy.gaugeMax[0] = int16_t(std::min<uint32_t>(life, 30000));
        m.statsCopy.gaugeMax[1] = m.statsCopy.gaugeMax[2] = 100;
        m.statsCopy.bonus[1] = defence;
        m.member = 1;
    } else {
        SetMonLifeOf(r.objRecord, life);
        r.SetMonLifeMax(life);
        SetObjWordAt(r.objRecord, mon::kDefence, defence);
    }
}

void CheckAmount(int amount) { Check(amount >= -9999 && amount <= 9999); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHead) return 0;
    FuzzResetPlatform();
    ResetBattleServices();
    ResetRandom();
    InitRandom(uint32_t(size));
    ActionRecord action{};
    if (!ParseActionRecord(data + kHead, std::min<size_t>(size - kHead, 1024), &action)) {
        ResetBattleServices();
        return 0;
    }
    const uint8_t actorBits = data[0], targetBits = data[1];
    const bool actorParty = actorBits & 1, targetParty = targetBits & 1;
    Role* actor = actorParty ? static_cast<Role*>(&gManRoles[0]) : static_cast<Role*>(&gMonRoles[0]);
    Role* target = targetParty ? static_cast<Role*>(&gManRoles[1]) : static_cast<Role*>(&gMonRoles[1]);
    gBattleManCount = 2;
    gBattleMonCount = 2;
    MakeRole(*actor, actorParty, 10, 500);
    MakeRole(*target, targetParty, U16(data + 6), uint32_t(U16(data + 8)) * 4);
    actor->name = "A";
    actor->action = action;
    actor->skillAmount = U16(data + 2);
    actor->command = data[4];
    actor->actionFlags = data[5];
    actor->guard = (actorBits & 2) ? 1 : 0;
    actor->spirit = (actorBits & 4) ? 1 : 0;
    actor->specialMark = (actorBits & 8) ? 1 : 0;
    actor->skillValue = uint16_t(data[17] * 2);
    if (actor->stats != nullptr) actor->stats->stat[0] = data[18];
    actor->regenAmount[0] = int16_t(U16(data + 19));
    actor->stackCount = int16_t(data[21] % 8);
    target->turnOver = (targetBits & 2) ? 1 : 0;
    if (targetBits & 4) target->effectBits |= kEffectInvisible;
    if (!targetParty && (targetBits & 8)) target->objRecord->typeBits |= kObjUnique;
    for (int e = 0; e < 5; ++e) target->SetElementPercent(e, int8_t(data[10 + e]));
    if (targetParty)
        target->stats->stat[5] = data[15];
    else
        SetObjWordAt(target->objRecord, mon::kAilmentThreshold, data[15]);
    target->blockChance = uint8_t(data[16] % 11);
    gForceEnd = (data[22] & 0x80) ? 1 : 0;
    gTalkVar[0] = 300;

    // Both resolvers on the target.
    const uint32_t silver = gTalkVar[0];
    if (actorParty) {
        uint16_t sp = 0, st = 0;
        CheckAmount(static_cast<ManRole*>(actor)->ResolveManRoleAction(target, &sp, &st));
    } else {
        CheckAmount(actor->ResolveMonRoleAction(target));
    }
    Check(gTalkVar[0] <= silver);
    Check(ObjWordAt(*gMonRoles[0].objRecord, mon::kSilver) <= 0xFFFF);

    // Chance-0 blocks by the counters never come twice in a row (an
    // invisible target evades 9 times in 10, whatever came before).
    target->effectBits &= ~kEffectInvisible;
    bool last = false;
    for (int i = 0; i < 40; ++i) {
        const bool b = target->TryBlockHit(0) == 1;
        Check(!(b && last));
        last = b;
        target->state &= ~kStateBlocking;
    }

    // The effect list ends within its cap and lands amounts within the cap.
    const int nodes = data[22] & 7;
    const int8_t multiplier = int8_t(data[23]);
    for (int i = 0; i < nodes; ++i)
        actor->AddActEffectNode(1, 0, int16_t(U16(data + 6)) * 3, int16_t(U16(data + 8)), -int16_t(data[10]) * 50,
                                data[11], multiplier, uint16_t(data[23] & 0x3F), 0, uint8_t(data[12] & 4));
    actor->EndActEffectList(data[13], data[14], 0);
    int calls = 0;
    while (actor->PlayActEffectList(target, 0) != 1) Check(++calls <= kActEffectFrameCap + 2);
    CheckAmount(target->shown[0].Amount());

    // The party's hit.
    if (actorParty) static_cast<ManRole*>(actor)->ApplyHit(target, 1);

    ClearBattleMessages();
    ResetBattleServices();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    auto seed = [&](const char* name, std::vector<uint8_t> head, const ActionSpec& a) {
        WriteFuzzSeed(dir, name, FuzzJoin(std::move(head), ActionRecordBytes(a)));
    };
    ActionSpec a;
    a.kind = 0x10;
    // A party attack of 60000 on a defending enemy.
    seed("big_attack", {1, 2, 0x60, 0xEA, 1, 0, 20, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 5, 50, 30, 0, 0, 2, 3, 0}, a);
    // An enemy's magic on an invisible party member, with flying sprites.
    seed("enemy_magic", {0, 5, 200, 0, 2, 0, 5, 0, 100, 0, 50, 0, 0, 20, 0, 3, 4, 0, 0, 0, 0, 0, 0x85, 0xF0}, a);
    // A throw of a high skill value.
    seed("throw", {1, 0, 100, 0, 27, 0, 0, 0, 200, 0, 0, 0, 0, 0, 0, 0, 0, 200, 30, 0, 0, 0, 1, 10}, a);
    ActionSpec theft;
    theft.flags = 0x80000;
    theft.value = 500;
    seed("silver_theft", {0, 1, 50, 0, 1, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, theft);
    ActionSpec kill;
    kill.ailment = 0x8000;
    kill.value = 1;
    seed("instant_kill", {1, 0, 10, 0, 2, 0, 0, 0, 0x50, 0xC3, 0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0}, kill);
}
