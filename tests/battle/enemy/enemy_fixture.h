// Enemies in a clean battle: a small object table in memory, monster records
// written with the monster writer, and act packs generated for the test in a
// temporary install (sprite set n of the character pack is entry n).
#pragma once
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "base/settings.h"
#include "battle/role/mon_battle.h"
#include "battle/screen/battle_messages.h"
#include "draw/act_pack.h"
#include "platform/headless/headless.h"
#include "tests/battle/role/role_fixture.h"
#include "tests/support/temp_folder.h"
#include "tools/act_writer.h"
#include "tools/file_writer.h"
#include "tools/mon_writer.h"
#include "tools/obj_db_writer.h"
#include "world/org/obj_tables.h"

class EnemyTest : public RoleTest {
protected:
    void SetUp() override {
        RoleTest::SetUp();
        CloseObjFiles();
        ResetMonBattle();
        ResetActPacks();
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install_.Path().c_str());
    }
    void TearDown() override {
        ResetActPacks();
        CloseObjFiles();
        ClearBattleMessages();
        ResetMonBattle();
        RoleTest::TearDown();
    }

    // The object table: records by id, actions by id.
    void Table(const std::map<uint32_t, std::vector<uint8_t>>& objects,
               const std::map<uint32_t, std::vector<uint8_t>>& actions = {}) {
        gObjFiles.mon = BuildMonDat(objects, actions);
        gObjFiles.monOpen = true;
    }

    // Enemy `index` set up from monster `id` of the table.
    MonRole& SetUpEnemy(int index, uint16_t id, uint16_t slotSprite = 0) {
        BattleSlot s{};
        s.spriteSet = slotSprite != 0 ? slotSprite : id;
        s.homeX = 200;
        s.homeY = 200;
        MonRole& r = gMonRoles[index];
        r.ResetRoleForBattle();
        r.SetupMonRole(&s, id);
        if (gBattleMonCount < uint32_t(index + 1)) gBattleMonCount = uint32_t(index + 1);
        return r;
    }

    // An act entry with the given streams (by stream index).
    static std::vector<uint8_t> Entry(const std::map<int, const char*>& streams) {
        std::vector<ActStreamData> slots(size_t(streams.rbegin()->first + 1), ActStreamData{false, {}});
        for (const auto& [qq, text] : streams) slots[size_t(qq)] = ActStreamData{true, ActWords(text)};
        return BuildActData(slots);
    }
    // Writes an animation pack of the install ("all_char.act" for sprite
    // sets below 3000, "all_magic.act" for 6000..8999).
    void Pack(const char* file, const std::vector<PackEntryData>& entries) {
        ASSERT_TRUE(WriteBytesToFile((install_ / file).c_str(), BuildActPack(entries)));
        ResetActPacks();
    }

    // An action record: value, kind word (its low byte the target byte),
    // follow-up act, second word, mask.
    static std::vector<uint8_t> Action(uint32_t value, uint16_t kind = 0, uint16_t followUp = 0, uint16_t second = 0,
                                       uint32_t mask = 0) {
        TagStream s;
        s.Tag(0).U32(value).U16(0).U16(followUp);
        if (kind != 0) s.Word(8, kind);
        if (second != 0) s.Word(4, second);
        if (mask != 0) s.Tag(12).U32(mask);
        return s.End();
    }
    // An object whose action is `action` (w13), with type bits and id word.
    static std::vector<uint8_t> Object(const std::string& name, uint16_t action, uint32_t type = 0,
                                       uint16_t idWord = 0) {
        return ObjectRecordBytes(name, type, {{13, action}, {20, idWord}});
    }

    static size_t Boxes() { return HeadlessMessageBoxes().size(); }
    static size_t Traces() { return HeadlessTraces().size(); }

    // The values that Random(n) for each n in turn will give after seeding
    // with `seed`; the generator is seeded with it again afterwards, so the
    // code under test draws the same values.
    static std::vector<int> Draws(uint32_t seed, const std::vector<int>& ns) {
        InitRandom(seed);
        std::vector<int> v;
        for (int n : ns) v.push_back(Random(n));
        InitRandom(seed);
        return v;
    }

    TempFolder install_{"enemy"};
};
