// The feeding page, root page 15 (page ids 54..58): creatures the party
// carries are fed to the talisman spirit (gSpirit). Feeding fills its
// fullness, moves its numbers by the creature's type and may teach it one of
// the creature's skills in one of its first skill slots. Without a spirit
// (gSpiritSlot 0) the page shows nothing and only its cancel acts.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "menu/frame/menu_lists.h"

enum FeedStateId : int32_t {
    kFeedChoosing = 0,
    kFeedChoice = 1,
    kFeedSlot = 2,
    kFeedTooFull = 10,
    kFeedWrongElement = 11,
};
constexpr int kFeedCategories = 11;          // categories 0..10
constexpr int kFeedEntriesMax = 64;
constexpr int kFeedChoices = 5;
constexpr int kFeedRows = 8;                 // the list's window
constexpr int kFeedSkillSlots = 5;
constexpr int32_t kFeedDirect = -1;          // the direct-feeding choice
constexpr int kFeedUnboundElement = 6;       // a skill of this element always goes to slot 2
constexpr int kFeedFullnessMax = 200;

// The creature type each category lists.
constexpr int kFeedCategoryType[kFeedCategories] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 18};

struct FeedSkill {
    int32_t id = 0;        // kFeedDirect, 0 for an empty choice, else the skill's object id
    int32_t element = -1;  // 0..6, -1 none
    std::string name, itemName, description;
};

struct FeedEntry {
    uint16_t id = 0;
    int type = 0, level = 0, count = 0;
    std::string name, itemName, description;
    FeedSkill choice[kFeedChoices];
};

struct FeedPage {
    int32_t state;
    int32_t category;
    int32_t choice;           // 0..4
    int32_t skillSlot;        // 0, 1 or 2
    int32_t refusedFrom;      // the state a refusal (state 10) came from
    std::vector<FeedEntry> list;
    ListState cursor;
    FeedSkill spiritSkill[kFeedSkillSlots];
    int32_t preview[4];       // the four type numbers' changes of the selected creature
    bool open;
};
extern FeedPage gFeed;

void RegisterFeedPage();

void FeedEnter();
void FeedLeave();
void FeedFrame();
void FeedCancel();
void FeedKey2();
void FeedDown();
void FeedUp();
void FeedPageDown();
void FeedPageUp();
void FeedLeft();
void FeedRight();
void FeedConfirm();
void DrawFeedPage();

// True while there is a spirit to feed (gSpiritSlot nonzero).
bool HaveSpirit();
void BuildFeedList(int category);
void FreeFeedList();
// 1 fed, 0 no such entry, -1 too full (nothing changes). A skill above 0 is
// written into the chosen skill slot.
int FeedSpirit(uint16_t itemId, int32_t skill);
// The creature's effect on gSpirit; false (nothing changed) when too full.
bool ApplyFeedGrowth(int level, int type);
void AddSpiritTriple(int a, int b, int c);
void LoadSpiritSkills();
void FreeSpiritSkills();
void SetFeedPreview();
// The skill slot a skill of the element goes to first: 2 for element 6, else 0.
int PresetSkillSlot(int element);
// The element the spirit of the current slot refuses, or -1.
int ForbiddenFeedElement();
// The fullness the spirit takes at most now (100, or 200 in its middle stage).
int FeedFullnessLimit();
// The selected entry, or null.
FeedEntry* FeedCursorEntry();

void ResetFeedPage();
