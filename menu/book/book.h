// The book: a compendium of the creatures among objects 1..500, listed by
// creature type, with a card for the one under the cursor whose numbers are
// the more exact the better the party knows the creature (its count in
// gFameList2, shown as count x 5 %).
//
// The book is root page 17 (page ids 66..71) but the icon bar never opens
// it: the item menu does, through the book's registration, when item 3091
// is used; gMenu.depth is then 500 and every handler of the item menu hands
// over to the book's handler of the same slot.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/text_convert.h"
#include "draw/act_pack.h"
#include "menu/frame/menu_lists.h"
#include "world/party/item_list.h"

constexpr int kBookCategories = 11;
constexpr int kBookFirstId = 1, kBookLastId = 500;
constexpr int kBookRowsMax = 64;   // ids a category lists
constexpr int kBookWindow = 15;    // rows shown
constexpr size_t kBookNameBytes = 16;
constexpr size_t kBookLineBytes = 32;
constexpr int kBookCardLines = 12;  // type, level, name, six numbers, three skills
constexpr uint8_t kBookNoType = 0xFF;

// The creature type of each category.
constexpr uint8_t kBookCategoryType[kBookCategories] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 18};

struct BookRow {
    uint16_t id;
    char name[kBookNameBytes];  // empty while unknown
    uint8_t knowledge;
};

struct Book {
    bool open = false;
    int32_t category = 0;
    uint8_t type[kBookLastId + 1] = {};       // by id; kBookNoType without a record
    uint8_t knowledge[kBookLastId + 1] = {};  // GetCount(gFameList2, id), by id
    BookRow rows[kBookRowsMax] = {};
    int rowCount = 0;
    ListState win{};
    ItemRecord card{};                        // work copy of the creature under the cursor
    uint16_t contract[2] = {};                // spirit and stamina values
    char lines[kBookCardLines][kBookLineBytes] = {};
    uint32_t arrowFlash[2] = {};
    ActRecord pictureAct{};
};
extern Book gBook;

void RegisterBookPage();

void BookEnter();
void BookLeave();
void BookFrame();
void BookDown();
void BookUp();
void BookPageDown();
void BookPageUp();
void BookLeft();
void BookRight();
void BookKey2();
void BookCancel();
void DrawBookPage();

// The category's rows (ids of its type in ascending order, at most 64),
// the names and knowledge of the known ones; top and cursor 0.
void BuildBookCategory();
int CountBookRows();
// The row under the cursor, or null.
const BookRow* BookTopPointer();
// The card of the row under the cursor.
void ReadBookItems();
// Drawing pieces: the category pictures and one list row.
void DrawBookTabs();
void DrawBookRow(int row, const BookRow& entry, bool cursor);
// The card's text lines for knowledge k.
void DrawMonsterCard(int knowledge);
// One number of the card: exact when k reaches the threshold t, an estimate
// drawn with Random one or two steps below it, "???" further below.
void FormatEstimate(char* text, size_t size, const char* label, int knowledge, int threshold, int value, int maximum);
// The two contract values of an object: (spirit, stamina); same rule as
// ComputeContractValues of the refining page (menu/refine).
void BookContractValues(const ObjRecord& object, uint16_t out[2]);

void ResetBook();
