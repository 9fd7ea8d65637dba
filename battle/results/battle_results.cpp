// The result pages. BattleResults runs every frame while fMenu is 96..113;
// the rewards are booked once (ShowVictory), level-ups come one member and
// one level per page, then new techniques, treasure growth and the spoils.
// docs/battle.md ("The result pages") has the decisions.
#include "battle/results/battle_results.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/errorbox.h"
#include "base/memory.h"
#include "base/settings.h"
#include "base/text_convert.h"
#include "battle/battle_services.h"
#include "battle/hud/battle_hud.h"
#include "battle/hud/hud_state.h"
#include "battle/action/action_perform.h"
#include "battle/manrole/manrole.h"
#include "battle/turn/turn_state.h"
#include "battle/results/results_texts.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "draw/dialog_node.h"
#include "draw/draw_kernel.h"
#include "draw/frame_window.h"
#include "draw/text_font.h"
#include "draw/widgets.h"
#include "media/music.h"
#include "media/sound_bank.h"
#include "world/org/count_list.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/talk_state.h"

ResultState gResults;

namespace {

constexpr int kWindowAct = 9110;
constexpr uint32_t kWindowFlags = 0x80000008u;
constexpr uint16_t kTextColour = 0xFFC0;
constexpr uint16_t kWhite = 0xFFFF;
constexpr uint16_t kNewColour = 0xF000;
constexpr uint16_t kKindTechnique = 20;
constexpr int kSfxStatStep = 293, kSfxLevelUp = 299, kSfxVictory = 300, kSfxNew = 352, kSfxNext = 44;
constexpr int kRollStart = 29;
// The stat page turns itself at the latest after this many frames, however
// large the rolls (one step a frame).
constexpr int kStatPageCap = 600;
// Frames the pages wait for queued battle messages at the most.
constexpr int kMessageWaitCap = 600;

ActRecord gWindowFrame;
bool gWindowTold = false;

// ---- Members ------------------------------------------------------------------

bool IsMemberProper(const ManRole& r) {
    return r.member == 1 && r.guard == 0 && r.spirit == 0 && r.spareFlag == 0;
}

// The member (0..3) whose record the role stands for, or -1.
int MemberOf(const ManRole& r) {
    for (int m = 0; m < kPartyMembers; ++m)
        if (r.baseStats == &gMemberStats[m]) return m;
    return -1;
}

// Party slots in use (the party side's count, at most 10).
int PartySlots() { return std::min<int>(int(gBattleManCount), kMaxManRoles); }

uint32_t SaturatingAdd(uint32_t a, uint64_t b) {
    const uint64_t s = uint64_t(a) + b;
    return s > UINT32_MAX ? UINT32_MAX : uint32_t(s);
}

int16_t AddI16(int16_t a, int d) { return int16_t(std::clamp(int(a) + d, 0, 32767)); }
uint16_t AddU16(uint16_t a, int d) { return uint16_t(std::clamp(int(a) + d, 0, 65535)); }

void TraceLevelFailure(int member, int level) {
    const uint32_t bit = 1u << member;
    if (gResults.levelTraced & bit) return;
    gResults.levelTraced |= bit;
    TraceHook("results: the level table has no record for member %d at level %d; no level-up", member + 1, level);
}

// The two level records of levels L and L + 1 (member 1..4) applied to
// scratch records; their differences raise `s` one level. False (nothing
// changed) when either record is missing.
bool RaiseOneLevel(MemberStats* s, int member, int level, uint32_t* experienceGained) {
    uint32_t e0 = 0, e1 = 0;
    if (!ExperienceToReach(member, level + 1, &e0) || !ExperienceToReach(member, level + 2, &e1)) return false;
    MemberStats a{}, b{};
    // Only the magic of the level reached is new (level L's own is known).
    int learned = 0;
    if (!ApplyLevelUp(&a, member, level, nullptr) || !ApplyLevelUp(&b, member, level + 1, &learned)) return false;
    if (learned) gNewThing = 1;
    for (int g = 0; g < 3; ++g) {
        s->gaugeMax[g] = AddI16(s->gaugeMax[g], b.gaugeMax[g] - a.gaugeMax[g]);
        s->gauge[g] = s->gaugeMax[g];
    }
    for (int k = 0; k < 8; ++k) s->stat[k] = AddU16(s->stat[k], b.stat[k] - a.stat[k]);
    s->level = uint8_t(level + 1);
    s->nextExperience = e1;
    if (experienceGained != nullptr) *experienceGained = e1 >= e0 ? e1 - e0 : 0;
    return true;
}

void CopyName(char* out, const char* name) { CopyBig5Bounded(out, kObjNameBytes, name != nullptr ? name : ""); }

// The name of object `id` from the object table ("" when it has none).
void ObjectName(uint16_t id, char* out) {
    ObjRecord r{};
    out[0] = 0;
    if (ReadObjRecord(&r, id)) CopyName(out, r.name);
    FreeRecordText(&r);
}

// ---- Drawing ------------------------------------------------------------------

void Text(int x, int y, uint16_t colour, const char* text) {
    if (gBackPixels == nullptr) return;
    gFontMedium.DrawTextStr(gBackPixels, x, y, text, colour, kTextBoldOutlined);
}

void Window(int left, int top, int right, int bottom) {
    if (gBackPixels == nullptr || bottom <= top) return;
    FillMenuRect(left, top, right - left, bottom - top, -8, -8, 10, kFillAdd);
    gWindowFrame.act = kWindowAct;
    if (TakeActData(&gWindowFrame)) {
        DrawFrameWindow(gWindowFrame.picNumber, left, top, right, bottom, 0, kWindowFlags);
    } else if (!gWindowTold) {
        gWindowTold = true;
        TraceHook("results: the window act %d cannot be played", kWindowAct);
    }
}

// The lower box grows from `top` towards `bottom` by 1/divisor of what is
// left; true once it is open (the text may be drawn).
bool GrowBox(int top, int bottom, int divisor) {
    const int target = bottom - top;
    const int step = (target - gResultHeight) / divisor;
    gResultHeight += step;
    if (step == 0) gResultHeight = target;
    gResults.busy = gResultHeight < target ? 1 : 0;
    return gResults.busy == 0;
}

// A page: the title box (title at its point, when given) and the growing
// lower box; true when the text may be drawn.
bool Page(int left, int right, const char* title, int titleX, int titleY, int lowerTop, int lowerBottom,
          int divisor) {
    if (title != nullptr) {
        Window(left, titleY - 8, right, titleY + 24);
        Text(titleX, titleY, kTextColour, title);
    }
    const bool open = GrowBox(lowerTop, lowerBottom, divisor);
    Window(left, lowerTop, right, lowerTop + gResultHeight);
    if (open) gResults.ready = 1;
    return open;
}

// ---- Page steps ---------------------------------------------------------------

void Pose(int slot, uint16_t state) {
    if (slot < 0 || slot >= kMaxManRoles) return;
    ManRole& r = gManRoles[slot];
    if (!r.IsOut()) r.SetRoleWaitState(state, 1);
}

void NextPage(int state) {
    fMenu = state;
    gResultTimer = 0;
    gResultHeight = 0;
    gResults.busy = 0;
    gResults.ready = 0;
}

// The common tail: the page counts its frames and confirms itself at 150.
void CommonTail() {
    if (++gResultTimer >= kResultAutoConfirm) ConfirmResultPage();
}

void State99() {
    gAutoAttack = 0;
    gResults.resultMark = 1;
    if (gForceEnd != 1 && !gResults.booked) {
        bool allOut = true;
        for (uint32_t i = 0; i < gBattleMonCount && i < uint32_t(kMaxMonRoles); ++i) {
            gMonRoles[i].highlight = 0;
            if (!gMonRoles[i].IsOut() && !gMonRoles[i].IsRoleDefeated()) allOut = false;
        }
        if (!allOut) {
            // Not decided (the talisman page, or an enemy came back): the
            // fight goes on, with time running again.
            Stop = mStop = 0;
            fMenu = 0;
            return;
        }
    }
    for (int s = 0; s < PartySlots(); ++s) {
        gManRoles[s].highlight = 0;
        gManRoles[s].ExpireRoleEffects(1);
    }
    NextPage(100);
}

void State100() {
    if (gResults.quickEnd) {
        if (++gResultTimer >= 20) gLeaveBattle = 1;
        return;
    }
    ShowVictory();
    gManActing = 0;
    Stop = mStop = GetCom = 1;
    SEL = 0;
    CommonTail();
}

void State101() {
    if (gResultPick == kNoPick) {
        ApplyLevelUps();
        if (gResultPick == kNoPick) {
            NextPage(112);
            return;
        }
        gResults.posed = 0;
    }
    if (!gResults.posed) {
        gResults.posed = 1;
        Pose(gResultPick, 2);
    }
    ShowLevelUp();
    CommonTail();
}

void State112() {
    if (gResultPick == kNoPick) {
        CollectNewSkills();
        if (gResultPick == kNoPick) {
            NextPage(113);
            return;
        }
        PlaySfx(kSfxNew, int(gSfxVolume));
        Pose(gResultPick, 4);
    }
    ShowNewSkills();
    ++gResultTimer;
    if (gResultTimer >= kResultAutoConfirm) ConfirmResultPage();
}

void State113() {
    if (gResultPick == kNoPick) {
        CollectTreasureGrowth();
        if (gResultPick == kNoPick) {
            NextPage(102);
            if (gSpoilCount > 0) PlaySfx(kSfxNew, int(gSfxVolume));
            return;
        }
        PlaySfx(kSfxNew, int(gSfxVolume));
        Pose(gResultPick, 4);
    }
    ShowTreasureGrowth();
    ++gResultTimer;
    if (gResultTimer >= kResultAutoConfirm) ConfirmResultPage();
}

// Whether the stat page's rolls are all done.
bool RollsDone() {
    for (uint16_t r : gStatRoll)
        if (r != 0) return false;
    return true;
}

}  // namespace

// ---- Level table ----------------------------------------------------------------

bool ExperienceToReach(int member, int level, uint32_t* experience) {
    if (member < 1 || member > kPartyMembers || level < 1 || level - 1 > kMaxLevel) return false;
    if (!ReadLevelStats(member, level - 1, nullptr)) return false;
    LevelRecord r;
    if (!LevelRecordInFile(gObjFiles.level, member, level - 1, &r) || !r.hasStats) return false;
    *experience = r.nextExperience;
    return true;
}

// ---- State ------------------------------------------------------------------

void ResetBattleResults() {
    gResults = ResultState{};
    gResults.pick = kNoPick;
    gResults.levelCap = kLevelCap;
    gWindowFrame = ActRecord{};
    gWindowTold = false;
}

void BattleResults() {
    if (fMenu < 96 || fMenu > 113) return;
    if (gDialogList != nullptr) return;
    if (gBattleMsgs != nullptr && gResults.messageWait < kMessageWaitCap) {
        // Messages age only while the battle draws; the pages wait for them,
        // but not for ever.
        ++gResults.messageWait;
        return;
    }
    if (gBattleMsgs == nullptr) gResults.messageWait = 0;
    switch (fMenu) {
    case 96:
        mStop = 0;
        fMenu = 0;
        return;
    case 97: {
        const int slot = PartySlots();
        ManRole* guard = slot < kMaxManRoles ? &gManRoles[slot] : nullptr;
        int16_t x = 0, y = 0;
        if (guard != nullptr) guard->GetRolePos(&x, &y);
        if (guard == nullptr || guard->RunSummonAct(x, y) == 1) gResultPick = 1;
        return;
    }
    case 98:
        Stop = 1;
        ShowTalismanResult();
        CommonTail();
        return;
    case 99:
        State99();
        return;
    case 100:
        State100();
        return;
    case 101:
        State101();
        return;
    case 102:
        if (gSpoilCount == 0) {
            gLeaveBattle = 1;
            return;
        }
        ShowSpoils();
        CommonTail();
        return;
    case 103:
        Stop = 1;
        if (gBattleOptions & kOptionDefeatEnds) {
            if (++gResultTimer >= 30) gLeaveBattle = 1;
            return;
        }
        ShowDefeat();
        CommonTail();
        return;
    case 104:
        Stop = 1;
        if (++gResultTimer >= 21) ConfirmResultPage();
        return;
    case 110:
        ShowStatGains();
        return;
    case 111:
        ShowNewArts();
        ++gResultTimer;
        if (gResultTimer >= 21) ConfirmResultPage();
        return;
    case 112:
        State112();
        return;
    case 113:
        State113();
        return;
    default:
        // 105..109 have no page: the battle is left rather than held.
        gLeaveBattle = 1;
        return;
    }
}

void ConfirmResultPage() {
    switch (fMenu) {
    case 98:
        NextPage(99);
        gResultPick = kNoPick;
        return;
    case 100:
        if (gResultTimer >= 20 && !gResults.busy) NextPage(101);
        return;
    case 101:
        if (!gResults.ready || gResultTimer < 30) return;
        if (gResultPick != kNoPick) {
            PlaySfx(kSfxNext, int(gSfxVolume));
            const uint8_t pick = gResultPick;
            NextPage(110);
            gResultPick = pick;
        } else {
            if (gSpoilCount != 0) PlaySfx(kSfxNew, int(gSfxVolume));
            gBattleEnding = 0;
            NextPage(102);
        }
        return;
    case 110: {
        const uint8_t pick = gResultPick;
        if (gNewThing) {
            PlaySfx(kSfxNew, int(gSfxVolume));
            Pose(pick, 4);
            NextPage(111);
            gResultPick = pick;
        } else {
            NextPage(101);
            gResultPick = kNoPick;
        }
        return;
    }
    case 111:
        if (gResultTimer < 21) return;
        gNewThing = 0;
        NextPage(101);
        gResultPick = kNoPick;
        return;
    case 112:
    case 113:
        if (gResultTimer < 21) return;
        gNewThing = 0;
        NextPage(fMenu);
        gResultPick = kNoPick;
        return;
    case 102:
        if (gResultTimer < 20) return;
        gLeaveBattle = 1;
        fMenu = 0;
        return;
    case 103:
        if (gResultTimer < 20) return;
        gMusic.PlayMusic(4, 1, 0);
        gLeaveBattle = 1;
        fMenu = 0;
        return;
    case 104:
        gMusic.PlayMusic(4, 1, 0);
        gLeaveBattle = 1;
        return;
    default:
        return;
    }
}

// ---- Booking ------------------------------------------------------------------

void ShowVictory() {
    if (!gResults.booked) {
        gResults.booked = 1;
        ResetBattleCounters();
        gMusic.PlayMusic(4, 1, 0);
        // A defeat display may have left the music quiet: the jingle is heard.
        gMusic.SetMusicVolume(int(gMusicVolume) * 127 / 11);
        StopAllSfx();
        PlaySfx(kSfxVictory, int(gSfxVolume));
        if (!gResults.spoilsOff) {
            for (uint32_t i = 0; i < gBattleMonCount && i < uint32_t(kMaxMonRoles); ++i) {
                MonRole& e = gMonRoles[i];
                // Only an enemy that was beaten drops: a captured or fled
                // one still has its life. A beaten enemy whose defeat has
                // been shown is out with its defeat mark cleared.
                if (!e.IsRoleDefeated() || e.MonLife() != 0) continue;
                const uint16_t id = e.RollMonDrop();
                if (id == 0) continue;
                const ObjRecord* rec = AddLootItem(id, 1);
                uint32_t k = 0;
                while (k < gSpoilCount && gSpoilIds[k] != id) ++k;
                if (k < gSpoilCount) {
                    gSpoilCounts[k] = uint16_t(std::min(gSpoilCounts[k] + 1, 99));
                } else if (gSpoilCount < uint32_t(kMaxSpoils)) {
                    // Further kinds beyond ten are in the bag without a line.
                    gSpoilIds[k] = id;
                    gSpoilCounts[k] = 1;
                    if (rec != nullptr) CopyName(gResults.spoilNames[k], rec->name);
                    else ObjectName(id, gResults.spoilNames[k]);
                    ++gSpoilCount;
                }
            }
        }
        if (gExpBonus != 0) gRewardExp = SaturatingAdd(gRewardExp, uint64_t(gRewardExp) * gExpBonus / 100);
        // The roulette's treasure experience grows the treasures with the sum.
        if (gHud.treasureBonus != 0) gRewardTreasure = SaturatingAdd(gRewardTreasure, gHud.treasureBonus);
        if (gSilverFactor != 0) gRewardSilver = uint32_t(std::min<uint64_t>(uint64_t(gRewardSilver) * gSilverFactor, UINT32_MAX));
        const bool manyEnemies = gBattleMonCount >= 3;
        for (int s = 0; s < PartySlots(); ++s) {
            ManRole& r = gManRoles[s];
            if (!IsMemberProper(r) || r.IsOut() || r.baseStats == nullptr) continue;
            MemberStats* st = r.baseStats;
            if (st->level < gLevelCap && !r.HasRoleEffect(kEffectStone))
                st->experience = SaturatingAdd(st->experience, gRewardExp);
            if (!gResults.spoilsOff) {
                if (gRewardTreasure != 0) r.AddTreasureGrowth(&gFameList3, uint16_t(std::min<uint32_t>(gRewardTreasure, 65535)));
                MemberBattleRecord* b = r.battleRecord;
                if (b != nullptr && b->nextTechnique != kNoTechnique && (b->nextTechnique & ~kTechniqueLearned) != 0)
                    b->techniquePoints = SaturatingAdd(b->techniquePoints, manyEnemies ? 2 : 1);
            }
            r.SetRoleWaitState(1, 1);
            r.ExpireRoleEffects(1);
        }
        gResultTimer = 0;
        gTalkVar[0] = SaturatingAdd(gTalkVar[0], gRewardSilver);
        gExpBonus = 0;
        gSilverFactor = 0;
        gHud.treasureBonus = 0;
    }
    const bool open = Page(200, 376, kVictoryTitle, 248, 180, 212, 284, 2);
    if (!open) return;
    char line[64];
    std::snprintf(line, sizeof line, kVictoryExpText, int(std::min<uint32_t>(gRewardExp, INT32_MAX)));
    Text(208, 220, kTextColour, line);
    std::snprintf(line, sizeof line, kVictorySilverText, int(std::min<uint32_t>(gRewardSilver, INT32_MAX)));
    Text(208, 240, kTextColour, line);
    std::snprintf(line, sizeof line, kVictoryTreasureText, int(std::min<uint32_t>(gRewardTreasure, INT32_MAX)));
    Text(208, 260, kTextColour, line);
}

// ---- Level-ups ----------------------------------------------------------------

void ApplyLevelUps() {
    gResultPick = kNoPick;
    for (int s = 0; s < PartySlots(); ++s) {
        ManRole& r = gManRoles[s];
        const int m = MemberOf(r);
        if (!IsMemberProper(r) || m < 0) continue;
        MemberStats* st = r.baseStats;
        const int level = st->level;
        if (level >= gLevelCap) continue;
        uint32_t needed = 0;
        if (!ExperienceToReach(m + 1, level + 1, &needed)) {
            TraceLevelFailure(m, level + 1);
            continue;
        }
        if (st->experience < needed) continue;
        const MemberStats before = *st;
        if (!RaiseOneLevel(st, m + 1, level, nullptr)) {
            TraceLevelFailure(m, level + 1);
            continue;
        }
        gOldStats = before;
        const int16_t* oldG = before.gaugeMax;
        for (int k = 0; k < 3; ++k) gStatRoll[k] = uint16_t(std::max(0, st->gaugeMax[k] - oldG[k]));
        for (int k = 0; k < 4; ++k) gStatRoll[3 + k] = uint16_t(std::max(0, int(st->stat[k]) - int(before.stat[k])));
        gStatRoll[7] = gStatRoll[8] = 0;
        StopSfx(kSfxVictory);
        PlaySfx(kSfxLevelUp, int(gSfxVolume));
        gResultPick = uint8_t(s);
        gResults.levelUpMark = 1;
        return;
    }
}

void ApplyLevelUpsTo(int slot, int level) {
    if (slot < 0 || slot >= kMaxManRoles) {
        TraceHook("results: level-up for party slot %d, which does not exist", slot);
        return;
    }
    ManRole& r = gManRoles[slot];
    const int m = MemberOf(r);
    if (m < 0) {
        TraceHook("results: level-up for party slot %d, which holds no member", slot);
        return;
    }
    MemberStats* st = r.baseStats;
    const int top = std::min<int>(level, gLevelCap);
    while (st->level < top) {
        uint32_t gained = 0;
        if (!RaiseOneLevel(st, m + 1, st->level, &gained)) {
            TraceLevelFailure(m, st->level + 1);
            return;
        }
        st->experience = SaturatingAdd(st->experience, gained);
    }
}

void ShowLevelUp() {
    if (gResultPick == kNoPick && !gNewThing) return;
    const bool open = Page(200, 376, kLevelUpTitle, 264, 180, 212, 244, 3);
    if (!open || gResultPick == kNoPick) return;
    const ManRole& r = gManRoles[gResultPick];
    char line[96];
    std::snprintf(line, sizeof line, kLevelUpText, r.name != nullptr ? r.name : "",
                  r.baseStats != nullptr ? int(r.baseStats->level) : 0);
    Text(208, 220, kTextColour, line);
}

void ShowStatGains() {
    ++gResultTimer;
    if (gResultPick == kNoPick || gManRoles[gResultPick].baseStats == nullptr) {
        ConfirmResultPage();
        return;
    }
    const ManRole& r = gManRoles[gResultPick];
    const MemberStats& now = *r.baseStats;
    Window(200, 72, 400, 104);
    Text(280, 80, kTextColour, r.name != nullptr ? r.name : "");
    Window(200, 112, 400, 256);
    const int oldValues[7] = {gOldStats.gaugeMax[0], gOldStats.gaugeMax[1], gOldStats.gaugeMax[2], gOldStats.stat[0],
                              gOldStats.stat[1],     gOldStats.stat[2],     gOldStats.stat[3]};
    const int newValues[7] = {now.gaugeMax[0], now.gaugeMax[1], now.gaugeMax[2], now.stat[0],
                              now.stat[1],     now.stat[2],     now.stat[3]};
    // One roll step a frame after the first 29, stat after stat.
    int rolling = -1;
    if (gResultTimer > kRollStart) {
        for (int k = 0; k < 7; ++k)
            if (gStatRoll[k] != 0) {
                rolling = k;
                break;
            }
        if (rolling >= 0) {
            --gStatRoll[rolling];
            PlaySfx(kSfxStatStep, int(gSfxVolume));
        }
    }
    char line[32];
    for (int k = 0; k < 7; ++k) {
        std::snprintf(line, sizeof line, kStatTexts[k], oldValues[k]);
        Text(216, 120 + 20 * k, kWhite, line);
        if (newValues[k] <= oldValues[k] || gResultTimer <= kRollStart) continue;
        Text(310, 120 + 20 * k, kWhite, kStatArrow);
        std::snprintf(line, sizeof line, "%4d", newValues[k] - int(gStatRoll[k]));
        Text(344, 120 + 20 * k, kNewColour, line);
    }
    // The page turns itself once every roll is done and it has been read.
    if ((RollsDone() && gResultTimer >= kResultAutoConfirm) || gResultTimer >= kStatPageCap) ConfirmResultPage();
}

void ShowNewArts() {
    if (gResultPick == kNoPick) return;
    const ManRole& r = gManRoles[gResultPick];
    char title[96];
    std::snprintf(title, sizeof title, kNewArtTitle, r.name != nullptr ? r.name : "");
    if (!Page(200, 440, title, 260, 188, 204, 232, 3)) return;
    char line[64];
    std::snprintf(line, sizeof line, kBracketText, gLearnedName);
    Text(260, 210, kNewColour, line);
}

// ---- New techniques -------------------------------------------------------------

void CollectNewSkills() {
    gResultPick = kNoPick;
    for (int s = 0; s < PartySlots(); ++s) {
        ManRole& r = gManRoles[s];
        const int m = MemberOf(r);
        MemberBattleRecord* b = r.battleRecord;
        if (!IsMemberProper(r) || r.IsOut() || m < 0 || b == nullptr) continue;
        if (b->nextTechnique == kNoTechnique) continue;
        if (!(b->nextTechnique & kTechniqueLearned)) {
            // The member record follows the techniques the member knows: the
            // last one's follow-up is the next to learn.
            for (ItemRecord* n = gMagicLists[m]; n != nullptr; n = n->next) {
                if (n->obj.kind != kKindTechnique) continue;
                const uint16_t follow = n->obj.w[kObjGrowthMax];
                b->nextTechnique = follow != 0 ? follow : kNoTechnique;
                b->pointsNeeded = n->obj.w[kObjGrowthScale];
            }
            if (b->nextTechnique == kNoTechnique) continue;
            b->nextTechnique |= kTechniqueLearned;
        }
        const uint16_t id = uint16_t(b->nextTechnique & 0xFFFF);
        if (id == 0) continue;
        // A technique costs at least one point: 0 would teach one every call.
        if (b->techniquePoints < std::max<uint32_t>(b->pointsNeeded, 1)) continue;
        ObjRecord rec{};
        if (!ReadObjRecord(&rec, id)) {
            FreeRecordText(&rec);
            TraceHook("results: technique %u cannot be read; not learned", unsigned(id));
            b->nextTechnique = kNoTechnique;
            continue;
        }
        const uint16_t follow = rec.w[kObjGrowthMax];
        b->techniquePoints = 0;
        b->pointsNeeded = rec.w[kObjGrowthScale];
        b->nextTechnique = (follow != 0 && follow != id) ? (follow | kTechniqueLearned) : kNoTechnique;
        CopyName(gResults.learnedName, rec.name);
        FreeRecordText(&rec);
        if (FindItem(gMagicLists[m], id) != nullptr && gMagicLists[m] != nullptr) {
            // Known already (the list and the record disagreed): no page.
            continue;
        }
        ItemRecord* node = NewItemNode(id);
        if (node == nullptr) continue;
        AppendItemNode(&gMagicLists[m], node);
        gNewThing = 1;
        gResultPick = uint8_t(s);
        return;
    }
}

void ShowNewSkills() {
    if (gResultPick == kNoPick) return;
    const ManRole& r = gManRoles[gResultPick];
    char title[96];
    std::snprintf(title, sizeof title, kNewSkillTitle, r.name != nullptr ? r.name : "");
    if (!Page(200, 440, title, 260, 188, 204, 232, 3)) return;
    char line[64];
    std::snprintf(line, sizeof line, kBracketText, gResults.learnedName);
    Text(260, 210, kNewColour, line);
}

// ---- Treasure growth ------------------------------------------------------------

void CollectTreasureGrowth() {
    gResultPick = kNoPick;
    for (int s = 0; s < PartySlots(); ++s) {
        ManRole& r = gManRoles[s];
        const int m = MemberOf(r);
        if (!IsMemberProper(r) || r.IsOut() || m < 0) continue;
        const uint16_t id = r.MarkTreasureComplete(&gFameList3);
        if (id == 0) continue;
        const int t = r.treasureId[0] == id ? 0 : 1;
        CopyName(gResults.learnedName, r.treasure[t].name);
        gResults.secondName[0] = 0;
        const uint16_t successor = r.treasure[t].word150;
        if (successor != 0 && successor != id) {
            // The worn treasure gives way to its successor: its slot gets a
            // whole new placeholder node (never a half-cleared live one), and
            // the successor goes to the bag.
            for (int slot = 7; slot <= 8; ++slot) {
                ItemRecord*& worn = gMemberEquip[m][slot];
                if (worn == nullptr || worn->id != id) continue;
                ItemRecord* blank = NewPlaceholderItem();
                if (blank == nullptr) break;
                FreeItemNode(worn);
                worn = blank;
                break;
            }
            r.treasureId[t] = 0;
            const ObjRecord* got = AddLootItem(successor, 1);
            if (got != nullptr) CopyName(gResults.secondName, got->name);
            else ObjectName(successor, gResults.secondName);
        }
        gNewThing = 1;
        gResultPick = uint8_t(s);
        return;
    }
}

void ShowTreasureGrowth() {
    if (gResultPick == kNoPick) return;
    if (!Page(200, 440, nullptr, 0, 0, 200, 240, 3)) return;
    if (gResults.secondName[0] != 0) {
        int x = 212;
        Text(x, 212, kTextColour, kTreasureWord);
        x += 36;
        Text(x, 212, kNewColour, gResults.learnedName);
        x += 9 * int(std::strlen(gResults.learnedName));
        Text(x, 212, kTextColour, kTurnedIntoWord);
        x += 54;
        Text(x, 212, kNewColour, gResults.secondName);
    } else {
        char line[96];
        std::snprintf(line, sizeof line, kTreasureGrownText, gResults.learnedName);
        Text(212, 212, kTextColour, line);
    }
}

// ---- Spoils, defeat, talisman -----------------------------------------------------

void ShowSpoils() {
    const int lines = int(std::min<uint32_t>(gSpoilCount, kMaxSpoils));
    if (!Page(200, 440, kSpoilsTitle, 264, 180, 204, 212 + 20 * lines, 3)) return;
    char line[64];
    for (int k = 0; k < lines; ++k) {
        std::snprintf(line, sizeof line, kSpoilLine, gResults.spoilNames[k], int(gSpoilCounts[k]));
        Text(210, 212 + 20 * k, kTextColour, line);
    }
}

void ShowDefeat() {
    if (!Page(200, 440, kDefeatTitle, 260, 180, 208, 244, 3)) return;
    Text(254, 216, kTextColour, kDefeatText);
}

void ShowTalismanResult() {
    const bool made = gTalismanMade == 1;
    if (!Page(200, 440, made ? kTalismanMadeTitle : kTalismanFailTitle, 256, 180, 212, 244, 3)) return;
    if (made) {
        char line[64];
        std::snprintf(line, sizeof line, kTalismanMadeText, gResults.talismanName);
        Text(208, 222, kTextColour, line);
    } else {
        Text(208, 222, kTextColour, kTalismanFailText);
    }
}
