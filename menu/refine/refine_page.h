// The refining page, root page 14 (page ids 48..52): two items of the bag
// go into two fields, the page shows what they would make and its numbers,
// plays the merging of the three pictures and gives the result; both inputs
// are used up and gFameList2 counts the result once more.
//
// The list is a view of the bag (pointers to its own nodes, sorted by id):
// the bag's nodes are never unlinked, copied back or made again, so every
// way out of the page leaves the bag as the actions made it. A node's spare
// word holds its available number while the page is open (count plus new
// count, less what sits in a field).
#pragma once
#include <cstdint>
#include <vector>

#include "menu/frame/menu_lists.h"
#include "menu/refine/refine_table.h"
#include "world/party/item_list.h"

enum RefineStateId : int32_t {
    kRefineChoosing = 1,
    kRefinePreview = 2,
    kRefineAnimating = 3,
    kRefineShown = 4,
    kRefineMessage = 5,
};
constexpr int kRefineFlag = 73;            // the page works only while this story flag is set
constexpr int kRefineRows = 16;            // the list's window
constexpr int kRefineTabs = 3;
constexpr int kRefineLevelMargin = 6;      // a result this far above member 0 is refused
constexpr int kRefinePicWidth = 220, kRefinePicHeight = 120;
constexpr int kRefinePicturePack = 59;     // the items' pictures: frame = the object's picture word
constexpr int32_t kRefineAnimStart = -40, kRefineAnimEnd = 141, kRefineAnimCut = 200;

// One decoded picture of the animation, cut to 220 x 120.
struct RefinePicture {
    std::vector<uint16_t> pixels;  // kRefinePicWidth x kRefinePicHeight, 0 transparent; empty when missing
};

struct RefinePage {
    int32_t tab;
    int32_t state;
    int32_t field;                      // the active field 0..1
    int32_t counter;                    // the animation's step
    std::vector<ItemRecord*> list;      // bag nodes of the tab, by id
    ListState cursor;
    ItemRecord fields[2];               // copies; id kPlaceholderItem when empty
    ItemRecord result;                  // id kPlaceholderItem when there is none
    uint16_t contract[2];
    bool refused;
    bool open;
    RefineTable table;
    RefineObjTables objs;
    RefinePicture pictures[3];          // 0 the result, 1 and 2 the fields
    int16_t rowOffset[4][kRefinePicHeight];
    int16_t colOffset[4][kRefinePicWidth];
};
extern RefinePage gRefine;

void RegisterRefinePage();

void RefineEnter();
void RefineLeave();
void RefineFrame();
void RefineCancel();
void RefineNextField();
void RefineDown();
void RefineUp();
void RefinePageDown();
void RefinePageUp();
void RefineLeft();
void RefineRight();
void RefineConfirm();
void DrawRefinePage();

// The item is listed on the tab: type 0..14 or 21 and the tab's kind bits.
bool RefineListed(const ItemRecord& item, int tab);
// Rebuilds the view of the bag for the current tab.
void LoadRefineList();
// The bag node under the cursor, or null.
ItemRecord* RefineCursorItem();
// The item under the cursor into the active field, then the result again.
void PutCursorItemInField();
// Field `f` gets the node's item (null empties it); the old item's available
// number comes back.
void SetFieldItem(int f, ItemRecord* node);
// Fills gRefine.result (id kPlaceholderItem when the fields make nothing).
void FindRefineResult();
bool HasRefineResult();
// The contract values of an object of level `level`.
void ComputeContractValues(const ObjRecord& obj, uint16_t out[2]);
void EndRefineAnimation();
void LoadOriginals();
// A picture frame (raw 16-bit, raw 8-bit with its palette, or run-length)
// cut, never stretched, into the 220 x 120 buffer; false when its pixels
// cannot be had.
struct PicFrame;
bool CutRefinePicture(const PicFrame* frame, RefinePicture* out);
// One animation step (the drawing calls it once a frame in state 3).
void StepRefineAnimation();

void ResetRefinePage();
