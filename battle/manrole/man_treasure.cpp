// Growth of the two treasures a party role wears, kept in the treasure
// growth list (gFameList3) by the treasure's item id.
#include <algorithm>

#include "battle/manrole/man_texts.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "world/org/count_list.h"
#include "world/party/item_list.h"

namespace {

constexpr uint16_t kTypeLevelTreasure = 37;
constexpr uint16_t kTypeElementTreasure = 51;
constexpr uint16_t kElementGrowth = 12;
constexpr int kFirstLevelStep = 50;

uint16_t TreasureType(const ObjRecord& t) { return t.w[kObjAltWord]; }
int GrowthMax(const ObjRecord& t) { return t.w[kObjGrowthMax]; }

uint16_t PercentOf(int growth, int max) {
    return uint16_t(std::clamp(int(double(growth) / double(max) * 100.0), 0, 0xFFFF));
}

// Points a level count asks for before the next level.
int LevelStep(int levelCount) {
    if (levelCount < 4) return kFirstLevelStep;
    if (levelCount < 8) return 120;
    if (levelCount < 16) return 300;
    return 513;
}

// The growth entry of a treasure: a new one takes the amount, an existing
// one that is not complete adds it; growth never passes the maximum, and a
// treasure without a maximum is complete at once (percent 100). Null when
// the entry is complete or cannot be made.
CountNode* Grow(CountList* list, uint16_t id, int max, int amount, bool* isNew) {
    CountNode* n = FindCount(list, id);
    *isNew = n == nullptr;
    if (n == nullptr) {
        n = AppendCount(list, id);
        if (n == nullptr) return nullptr;
        if (max <= 0) {
            n->count = 0;
            n->percent = 100;
            n->complete = 1;
            return nullptr;
        }
        n->count = uint16_t(std::min(amount, max));
    } else {
        if (n->complete) return nullptr;
        if (max <= 0) {
            n->percent = 100;
            n->complete = 1;
            return nullptr;
        }
        n->count = uint16_t(std::min(int(n->count) + amount, max));
    }
    n->percent = PercentOf(n->count, max);
    return n;
}

}  // namespace

uint32_t ManRole::AddTreasureGrowth(CountList* list, uint16_t amount) {
    uint32_t took = 0;
    bool levelled = false;
    for (int t = 0; t < 2; ++t) {
        const uint16_t id = treasureId[t];
        if (id == 0) continue;
        took = 1;
        // One item worn in both places grows once.
        if (t == 1 && treasureId[0] == id) continue;
        if (TreasureType(treasure[t]) == kTypeLevelTreasure) {
            // The level treasure grows once a call, however many are worn.
            if (levelled) continue;
            levelled = true;
            if (GrowTreasureLevel(list, kTypeLevelTreasure, amount) == 1)
                AddBattleMessage(280, 10, 40, kTreasureLevelUpText, kMsgStrip | kMsgCentred);
            continue;
        }
        bool isNew = false;
        Grow(list, id, GrowthMax(treasure[t]), amount, &isNew);
    }
    return took;
}

uint32_t ManRole::GrowElementTreasure(CountList* list, const ActionRecord* a) {
    if (a == nullptr || a->element < 1 || a->element > 5) return 0;
    const int e = a->element - 1;
    uint32_t grew = 0;
    for (int t = 0; t < 2; ++t) {
        const uint16_t id = treasureId[t];
        if (id == 0 || TreasureType(treasure[t]) != kTypeElementTreasure || ObjElement(treasure[t], e) == 0) continue;
        grew = 1;
        if (t == 1 && treasureId[0] == id) continue;
        bool isNew = false;
        Grow(list, id, GrowthMax(treasure[t]), kElementGrowth, &isNew);
    }
    return grew;
}

uint32_t ManRole::GrowTreasureLevel(CountList* list, uint16_t type, uint16_t amount) {
    // The first treasure of the type is the one whose level counts
    // (GetTreasureLevel): it alone grows, by each point once.
    for (int t = 0; t < 2; ++t) {
        const uint16_t id = treasureId[t];
        if (id == 0 || TreasureType(treasure[t]) != type) continue;
        bool isNew = false;
        CountNode* n = Grow(list, id, GrowthMax(treasure[t]), amount, &isNew);
        if (n == nullptr) return 0;
        int points = isNew ? kFirstLevelStep : n->pointsToNext;
        int level = n->level;
        int left = amount;
        uint32_t levelUp = 0;
        // Every level the amount pays for is taken, and the points it spent
        // on one level are not counted again on the next.
        while (left > 0) {
            if (points > left) {
                points -= left;
                left = 0;
                break;
            }
            left -= points;
            if (level < 0xFFFF) ++level;
            points = LevelStep(level);
            levelUp = 1;
        }
        n->pointsToNext = uint16_t(points);
        n->level = uint16_t(level);
        return levelUp;
    }
    return 0;
}

uint16_t ManRole::GetTreasureLevel(CountList* list) const {
    for (int t = 0; t < 2; ++t) {
        if (treasureId[t] == 0 || TreasureType(treasure[t]) != kTypeLevelTreasure) continue;
        const CountNode* n = FindCount(list, treasureId[t]);
        return n != nullptr ? n->level : 0;
    }
    return 0;
}

uint16_t ManRole::MarkTreasureComplete(CountList* list) {
    for (int t = 0; t < 2; ++t) {
        const uint16_t id = treasureId[t];
        if (id == 0) continue;
        CountNode* n = FindCount(list, id);
        const int max = GrowthMax(treasure[t]);
        if (n == nullptr || n->complete || n->count < max) continue;
        n->count = uint16_t(max);
        n->complete = 1;
        return id;
    }
    return 0;
}
