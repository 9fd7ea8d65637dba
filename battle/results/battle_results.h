// The result pages of a decided battle (fMenu 96..113): the rewards booked
// once, the level-ups one member and one level at a time, new techniques,
// treasure growth, the spoils; the defeat and talisman pages.
#pragma once
#include <cstdint>

#include "battle/battle_state.h"
#include "world/org/obj_record.h"
#include "world/party/member_stats.h"

constexpr uint8_t kNoPick = 255;
constexpr uint16_t kLevelCap = 60;
constexpr uint32_t kNoTechnique = 0xFFFFFFFFu;  // the member record's "no next technique"
constexpr uint32_t kTechniqueLearned = 0x80000000u;
constexpr int kResultAutoConfirm = 150;  // frames after which a page confirms itself

struct ResultState {
    int32_t timer;                 // gResultTimer: frames the page has been shown
    uint8_t pick;                  // gResultPick: the party slot the page is about; 255 none
    int32_t height;                // gResultHeight: the lower box's grown height
    uint16_t levelCap;             // gLevelCap
    uint16_t expBonus;             // gExpBonus: per cent, 0 none
    uint16_t silverFactor;         // gSilverFactor: 0 none
    int32_t newThing;              // gNewThing
    char spoilNames[kMaxSpoils][kObjNameBytes];
    MemberStats oldStats;          // gOldStats
    uint16_t statRoll[9];          // gStatRoll: steps still to roll, per shown stat
    uint8_t talismanMade;          // gTalismanMade
    char talismanName[kObjNameBytes];
    uint32_t booked;               // the rewards are booked (once a battle)
    uint32_t quickEnd;             // leave the victory after 20 frames, no pages
    uint32_t spoilsOff;            // an instant win: no spoils, no growth, no technique points
    uint32_t resultMark;           // the battle reached its result pages
    uint32_t levelUpMark;          // some member rose a level in this battle
    uint32_t posed;                // the picked member took its page's pose
    uint32_t busy;                 // the page's lower box is still growing
    uint32_t ready;                // the page's text has been drawn
    uint32_t levelTraced;          // bit per member: a level-table failure was traced
    int32_t messageWait;           // frames waited for queued battle messages
    char learnedName[kObjNameBytes];  // the new technique or the grown treasure
    char secondName[kObjNameBytes];   // the treasure it turned into ("" none)
};
extern ResultState gResults;

inline int32_t& gResultTimer = gResults.timer;
inline uint8_t& gResultPick = gResults.pick;
inline int32_t& gResultHeight = gResults.height;
inline uint16_t& gLevelCap = gResults.levelCap;
inline uint16_t& gExpBonus = gResults.expBonus;
inline uint16_t& gSilverFactor = gResults.silverFactor;
inline int32_t& gNewThing = gResults.newThing;
inline MemberStats& gOldStats = gResults.oldStats;
inline uint16_t (&gStatRoll)[9] = gResults.statRoll;
inline uint8_t& gTalismanMade = gResults.talismanMade;
inline uint16_t (&gSpoilCounts)[kMaxSpoils] = gBattle.spoilCounts;

// Back to the start of a battle (no pick, cap 60, nothing booked).
void ResetBattleResults();

// Per frame: the page state machine.
void BattleResults();
// A confirm on a result page (the key, or the page itself after its frames).
void ConfirmResultPage();

void ShowVictory();
// Raises the next member (slot order) whose experience reaches its next
// level by one level; gResultPick = its slot, 255 when none.
void ApplyLevelUps();
// Raises party slot `slot` level by level up to `level` (not past the cap).
void ApplyLevelUpsTo(int slot, int level);
void ShowLevelUp();
void ShowStatGains();
void ShowNewArts();
void CollectNewSkills();
void ShowNewSkills();
void CollectTreasureGrowth();
void ShowTreasureGrowth();
void ShowSpoils();
void ShowDefeat();
void ShowTalismanResult();

// Record L of the level table holds the experience a member needs to reach
// level L + 1. Member 1..4; false when the table has no such record with
// stats (a missing file, a level past the table).
bool ExperienceToReach(int member, int level, uint32_t* experience);
