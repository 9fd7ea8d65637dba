// Small tests and actions of the party side that the party step and the
// command menus use: life and gauge tests, the level-gap chance, the element
// change of weapon skill 38, the revert of special 58, the guard level check
// and an enemy's theft from the bag.
#include <algorithm>
#include <cstring>

#include "base/errorbox.h"
#include "base/random.h"
#include "base/settings.h"
#include "battle/battle_state.h"
#include "battle/manrole/man_battle.h"
#include "battle/role/mon_battle.h"
#include "battle/role/mon_record.h"
#include "battle/role/roles.h"
#include "draw/act_pack.h"
#include "media/sound_bank.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"

namespace {

constexpr int32_t kRevertSprite = 6079;
constexpr int kRevertSoundPan = 48;
constexpr uint16_t kLifeDigits = 9085;
constexpr uint32_t kRevertSpecial = 0x80;   // status dword: special 58 is worn
constexpr uint16_t kStealKindFirst = 11, kStealKindLast = 14;

int32_t Life(const Role& r) { return r.baseStats != nullptr ? r.baseStats->gauge[0] : 0; }
int32_t LifeMax(const Role& r) { return r.baseStats != nullptr ? r.baseStats->gaugeMax[0] : 0; }

}  // namespace

// ---- Tests ----

uint32_t ManRole::IsLifeBelow(int kind) const {
    if (kind == 0) return Life(*this) < LifeMax(*this) / 2 ? 1 : 0;
    if (kind == 1) return Life(*this) < LifeMax(*this) / 3 ? 1 : 0;
    return 0;
}

uint32_t ManRole::IsLifeAtMostPart(int n) const {
    if (n <= 0) return 0;  // no part of the maximum to compare with
    return Life(*this) <= LifeMax(*this) / n ? 1 : 0;
}

uint32_t ManRole::IsSpiritLow() const {
    if (baseStats == nullptr) return 0;
    return baseStats->gauge[1] < baseStats->gaugeMax[1] / 4 ? 1 : 0;
}

uint32_t ManRole::IsStaminaLow() const {
    if (baseStats == nullptr) return 0;
    return baseStats->gauge[2] < baseStats->gaugeMax[2] / 4 ? 1 : 0;
}

uint32_t ManRole::RollLevelGapChance(uint16_t level) {
    std::memset(actionName, 0, sizeof actionName);
    const int own = stats != nullptr ? stats->level : 0;
    const int d = int(level) - own;
    if (d >= 20) return Random(100) < 85 ? 1 : 0;
    bool carriesNothing = true;
    if (objRecord != nullptr)
        for (int s = mon::kCarriedSlot; s < mon::kSpecialSlot; ++s)
            if (MonSlotId(*objRecord, s) != 0) carriesNothing = false;
    if (d >= 15 && carriesNothing) return Random(100) < 50 ? 1 : 0;
    if (IsLifeBelow(1) && d >= 10) return Random(100) < 40 ? 1 : 0;
    const uint16_t e = uint16_t(d);
    if (e >= 1 && e <= 8) return 0;
    if (e >= 9 && e <= 15) return Random(100) < 10 ? 1 : 0;
    if (e >= 16 && e <= 19) return Random(100) < 20 ? 1 : 0;
    return 0;
}

// ---- Element change (weapon skill 38) ----

void ManRole::SetRoleElement(uint16_t element) {
    // The change is the battle's: the battle copy changes, never the
    // member's own record. An element outside 1..5 changes nothing.
    if (element < 1 || element > 5 || stats == nullptr) return;
    SelectRoleWeaponSkill(38);
    MemberStats& s = *stats;
    const int e = element - 1;
    int pct = s.ownElement;
    if (e != s.firstElement) pct = int(skillValue) * s.ownElement / 100;
    if (s.elementIndex < 5) s.element[s.elementIndex] = 0;
    s.element[e] = int8_t(std::clamp(pct, 0, 100));
    s.elementIndex = uint8_t(e);
}

// ---- Revert (special 58) ----

uint32_t ManRole::StartRevertAct() {
    if (!(statusDword & kRevertSpecial)) return 0;
    ActBlock& b = acts[kActTrigger];
    b.Clear();
    b.rec.act = kRevertSprite;
    b.rec.qq = 0;
    gRevertRunning = 1;
    revertAct = 1;
    revertFrames = 0;
    return 1;
}

uint32_t ManRole::RunRevertAct() {
    if (gRevertRunning == 0 || revertAct == 0) return 0;
    ActBlock& b = acts[kActTrigger];
    bool ended = false;
    if (b.Empty() || TakeActData(&b.rec) == 0) {
        // A revert that cannot play still revives: the special was spent.
        TraceHook("manrole: the revert act %d cannot play", int(kRevertSprite));
        ended = true;
    } else {
        ActRecord& a = b.rec;
        if (a.soundId != 0) {
            PlaySfx(a.soundId, int(gSfxVolume));
            SetSfxPan(a.soundId, kRevertSoundPan);
            a.soundId = 0;
        }
        int16_t x, y;
        GetRolePos(&x, &y);
        DrawPictureFrame(a.picNumber, a.picFrame, x - int(a.hotX), y - int(a.hotY), a.drawFlags, a.alpha);
        ended = a.done != 0;
        if (!ended && ++revertFrames >= kTriggerActFrameCap) {
            TraceHook("manrole: the revert act did not end within %d frames", kTriggerActFrameCap);
            ended = true;
        }
    }
    if (!ended) return 0;
    gRevertRunning = 0;
    revertAct = 0;
    revertFrames = 0;
    EndRoleTurn();
    ExpireRoleEffects(1);
    statusDword &= ~kRevertSpecial;
    if (out == 1 && gDownedMen > 0) --gDownedMen;
    out = 0;
    defeated = 0;
    SelectRoleWeaponSkill(58);
    if (baseStats != nullptr) {
        // The revived life never passes the maximum, whatever the skill.
        const int64_t max = std::max<int16_t>(baseStats->gaugeMax[0], 0);
        const int64_t life = max * 40 / 100 + (max * 90 / 100) * skillValue / 100;
        baseStats->gauge[0] = int16_t(std::min(life, max));
        baseStats->status &= uint16_t(~kStatusDown);
        PushShownNumber(kLifeDigits);
        SetDamageDigits(baseStats->gauge[0]);
        CommitShownNumber(1);
    }
    b.Clear();
    return 1;
}

// ---- Guard fusion ----

uint32_t ManRole::CheckGuardLevel(uint16_t id, uint16_t skill) {
    FreeRecordText(&scratchObj);
    if (ReadObjRecord(&scratchObj, id) != 1) {
        FreeRecordText(&scratchObj);
        scratchObj = ObjRecord{};
        return 0;
    }
    FreeRecordText(&scratchObj);
    const int L = stats != nullptr ? stats->level : 0;
    const int G = ObjLevel(scratchObj);
    const int up = G - L, down = L - G;
    if (skill > 100 || up == 0) return 0;
    if (skill < 21) return ((up >= 1 && up <= 5) || down == 5) ? 1 : 0;
    const int within = skill <= 40 ? 10 : skill <= 60 ? 20 : skill <= 80 ? 35 : 50;
    return ((up >= 1 && up <= within) || (down >= 1 && down <= within)) ? 1 : 0;
}

// ---- An enemy's theft ----

uint16_t ManRole::StealPartyItem() {
    ItemRecord** bag = Bag();
    auto stealable = [](const ItemRecord& n) {
        // Only units no queued action has been promised can go.
        return n.obj.kind >= kStealKindFirst && n.obj.kind <= kStealKindLast && ItemAvailable(n) > 0;
    };
    int count = 0;
    for (const ItemRecord* n = *bag; n != nullptr; n = n->next) ++count;
    bool any = false;
    for (const ItemRecord* n = *bag; n != nullptr && !any; n = n->next) any = stealable(*n);
    if (!any) return 0;
    // From a random start, the first stealable entry, going round the bag
    // once: one draw, and the walk always ends.
    const int start = Random(count);
    ItemRecord* found = nullptr;
    for (int k = 0; k < count && found == nullptr; ++k) {
        ItemRecord* n = GetItemByIndex(*bag, (start + k) % count);
        if (n != nullptr && stealable(*n)) found = n;
    }
    if (found == nullptr) return 0;
    const uint16_t id = found->id;
    if (found->count > 0)
        --found->count;
    else
        --found->newCount;
    if (found->count <= 0 && found->newCount <= 0) {
        // Roles keep their choices by id: no role holds this node.
        ItemRecord* gone = UnlinkItemById(bag, id);
        if (gone != nullptr) FreeItemNode(gone);
    }
    return id;
}
