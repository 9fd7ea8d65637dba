// The magic page, root page 13 (page ids 42..46): the magic the selected
// member has learned and may cast outside battle, in two columns, and its
// casting: on the whole party, on one member, or one of the two map magics
// (the exit magic and the travel magic).
//
// The rows are a view of the member's learned-magic list: pointers to its
// own nodes in the order of their ids, with the page's own filler rows
// beside the group headers (a header fills a whole line). The member's list
// is never unlinked, reordered or rebuilt. The member and the target are
// rows of the status panel (PartyMember(row)), never past the members it
// maps.
//
// A magic's cost word (ObjRecord word 64): bit 15 a cost from the caster's
// current spirit, bit 14 a cost from its current stamina, the amount in the
// low 14 bits (docs/world-records.md). A cast is refused, with nothing paid,
// unless every flagged cost can be paid and the target is in the party.
#pragma once
#include <cstdint>
#include <vector>

#include "menu/frame/menu_lists.h"
#include "menu/frame/menu_pages.h"
#include "world/org/cost_word.h"
#include "world/org/obj_record.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"

enum MagicStateId : int32_t {
    kMagicClosed = 0,
    kMagicList = 1,
    kMagicTarget = 2,
    kMagicDescription = 5,
    kMagicTravelList = 15,
    kMagicTravelRefused = 17,
    kMagicExitRefused = 18,
};

enum MagicRowKind : uint8_t {
    kRowCastable = 1,
    kRowHeader = 2,
    kRowFiller = 3,
};

constexpr int kMagicFirstPageId = 42, kMagicLastPageId = 46;
constexpr int kMagicWindowLines = 12;  // two rows a line
constexpr int kMagicWindowRows = 2 * kMagicWindowLines;
constexpr int kTravelWindow = 8;
constexpr uint16_t kMagicTravel = 6068;
constexpr uint16_t kMagicExit = 6069;
constexpr uint16_t kMagicTypeOne = 17, kMagicTypeAll = 20;  // the magic types listed here
constexpr uint32_t kMagicHeaderBits = 0x80;                 // kind bits of a group header and above
constexpr uint16_t kFillerId = 65529;

// The cost word, read by the one decoder the battle shares.
struct MagicCost {
    int spirit, stamina;
};
MagicCost CostOf(uint16_t costWord);
// Every flagged cost within the member's current spirit and stamina.
bool CanPayCost(const MemberStats& member, uint16_t costWord);
// A magic's use mode: the low four bits of word 58 (2 or more: cast here).
inline int MagicUseMode(const ObjRecord& o) { return o.w[11] & 0xF; }
inline uint16_t MagicCostWord(const ObjRecord& o) { return o.w[14]; }

struct MagicRow {
    ItemRecord* node;  // a node of the member's list, or the page's own filler or placeholder
    uint8_t kind;
};

struct MagicPage {
    int32_t state;
    std::vector<MagicRow> rows;
    std::vector<ItemRecord*> owned;  // the fillers and the placeholder the page made
    bool anyCastable;
    int32_t top;          // first shown row, always even
    int32_t cursor;       // row within the window
    int32_t rightColumn;  // the column last chosen with Left or Right
    int32_t shown;
    int32_t target;       // member row in state 2
    ItemRecord* casting;  // the magic being cast (states 2 and 15)
    ActionRecord action;
    ListState travel;
    int32_t arrowFlash;
};
extern MagicPage gMagic;

// Where the map magics send the party (TravelTo; tests put a recorder here).
extern void (*gMagicTravelTo)(uint16_t map, uint16_t x, uint16_t y);
// Whether the current map lets the party travel.
extern bool (*gMagicMapAllowsTravel)();

void RegisterMagicPage();

int32_t MagicCaster();  // the member of the selected row, or -1
void MagicEnter();
void MagicLeave();
void MagicFrame();
void MagicCancel();
void MagicNextMember();
void MagicRefresh();
void MagicDown();
void MagicUp();
void MagicPageDown();
void MagicPageUp();
void MagicLeft();
void MagicRight();
void MagicConfirm();
void DrawMagicPage();

void BuildMagicList();
void ReturnMagicList();
// The row under the cursor, or null.
const MagicRow* MagicCursorRow();

void ResetMagicPage();
