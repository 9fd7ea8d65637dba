// A clean battle for each test: roles in their start state, a seeded Random,
// empty member records, and small helpers that place a party role or an
// enemy by hand (the set-up of a whole battle is not needed to test a role).
#pragma once
#include <gtest/gtest.h>

#include <cstring>

#include "base/random.h"
#include "battle/battle_services.h"
#include "battle/battle_state.h"
#include "battle/role/mon_record.h"
#include "battle/role/roles.h"
#include "platform/headless/headless.h"
#include "world/org/count_list.h"
#include "world/party/member_stats.h"
#include "world/talk_state.h"

class RoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetBattleServices();
        ResetMemberStats();
        FreeFameLists();
        ResetRandom();
        InitRandom(1234);
        gTalkVar[0] = 0;
    }
    void TearDown() override {
        ResetBattleServices();
        FreeFameLists();
        ResetMemberStats();
    }

    // Party slot `slot` as member `member` with life/spirit/stamina maxima
    // (current values full) and agility; the battle copy follows the record.
    ManRole& Member(int slot, int member, int16_t life = 500, int16_t spirit = 100, int16_t stamina = 100,
                    uint16_t agility = 40) {
        MemberStats& m = gMemberStats[member];
        m.gauge[0] = m.gaugeMax[0] = life;
        m.gauge[1] = m.gaugeMax[1] = spirit;
        m.gauge[2] = m.gaugeMax[2] = stamina;
        m.stat[3] = agility;
        ManRole& r = gManRoles[slot];
        r.side = 1;
        r.member = 1;
        r.statsCopy = m;
        r.stats = &r.statsCopy;
        r.baseStats = &m;
        r.battleRecord = &gMemberBattle[member];
        r.spriteSet = static_cast<uint16_t>(member + 1);
        if (gBattleManCount < static_cast<uint32_t>(slot + 1)) gBattleManCount = slot + 1;
        return r;
    }

    MonRole& Enemy(int index, uint32_t life = 300, uint16_t defence = 20, uint16_t agility = 40) {
        MonRole& r = gMonRoles[index];
        r.side = 0;
        SetMonLifeOf(r.objRecord, life);
        r.SetMonLifeMax(life);
        SetObjWordAt(r.objRecord, mon::kDefence, defence);
        SetObjWordAt(r.objRecord, mon::kAgility, agility);
        r.spriteSet = 1000;
        if (gBattleMonCount < static_cast<uint32_t>(index + 1)) gBattleMonCount = index + 1;
        return r;
    }
};
