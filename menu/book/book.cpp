// The book's model: the tables made on entry, the category lists, the card
// and its estimates, the keys and the mouse. The drawing is book_draw.cpp.
#include "menu/book/book.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/errorbox.h"
#include "base/random.h"
#include "base/settings.h"
#include "media/sound_bank.h"
#include "menu/book/book_texts.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_pages.h"
#include "world/org/count_list.h"
#include "world/org/obj_tables.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

Book gBook;

namespace {

constexpr int kBookPanelQq = 50;
constexpr uint32_t kArrowFlashFrames = 4;
constexpr char kUnknownLine[] = "????";
constexpr char kUnknownSkills[] = "????????????";


uint8_t TypeByte(uint16_t type) { return type < kBookNoType ? uint8_t(type) : kBookNoType; }

BookRow* RowOf(uint16_t id) {
    for (int i = 0; i < gBook.rowCount; ++i)
        if (gBook.rows[i].id == id) return &gBook.rows[i];
    return nullptr;
}

void Line(int n, const char* text) { std::snprintf(gBook.lines[n], kBookLineBytes, "%s", text); }

// The names of the creature's three skills, each once.
void SkillLines() {
    static constexpr size_t kSkillWords[3] = {108, 112, 116};
    int line = 9;
    for (size_t at : kSkillWords) {
        const uint16_t id = ObjWordAt(gBook.card.obj, at);
        if (id == 0) continue;
        ObjRecord skill{};
        const bool read = ReadObjRecord(&skill, id) != 0;
        FreeRecordText(&skill);
        if (!read) continue;
        char name[kBookLineBytes];
        CopyBig5Bounded(name, sizeof name, skill.name);
        bool seen = false;
        for (int l = 9; l < line; ++l) seen = seen || std::strcmp(gBook.lines[l], name) == 0;
        if (!seen) Line(line++, name);
    }
}

void MoveCursor(void (*move)(ListState*), int flash) {
    move(&gBook.win);
    gBook.arrowFlash[flash] = kArrowFlashFrames;
    ReadBookItems();
    MenuSfx(kMenuSfxMove);
}

void ChangeCategory(int32_t to) {
    gBook.category = std::clamp(to, 0, kBookCategories - 1);
    BuildBookCategory();
    ReadBookItems();
    MenuSfx(kMenuSfxMove);
}

void PageDown(ListState* s) { ListPageDown(s, kBookWindow); }
void PageUp(ListState* s) { ListPageUp(s, kBookWindow); }

bool In(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }
} // namespace

void BookContractValues(const ObjRecord& object, uint16_t out[2]) {
    static constexpr struct {
        size_t at;
        int weight, value;
    } kWeights[] = {{108, 2, 0}, {112, 3, 0}, {116, 5, 0}, {128, 2, 0}, {132, 4, 0}, {120, 3, 1}, {124, 5, 1}};
    int sum[2] = {};
    for (const auto& w : kWeights)
        if (ObjDwordAt(object, w.at) != 0) sum[w.value] += w.weight;
    for (int v = 0; v < 2; ++v) out[v] = uint16_t(std::min(int(ObjLevel(object)) * sum[v], 0xFFFF));
}

void FormatEstimate(char* text, size_t size, const char* label, int knowledge, int threshold, int value, int maximum) {
    const int d = threshold - knowledge;
    if (d < 1) {
        std::snprintf(text, size, kTextEstimateExact, label, value);
    } else if (d <= 2) {
        const int spread = (value <= 100 ? 10 : value <= 1000 ? 100 : 1000) / (3 - d);
        const int shown = std::clamp(value + Random(spread) - spread / 2, 0, maximum);
        std::snprintf(text, size, d == 1 ? kTextEstimateNear : kTextEstimateVague, label, shown);
    } else {
        std::snprintf(text, size, "%4s   ???", label);
    }
}

void BuildBookCategory() {
    const uint8_t type = kBookCategoryType[std::clamp(gBook.category, 0, kBookCategories - 1)];
    gBook.rowCount = 0;
    for (int id = kBookFirstId; id <= kBookLastId && gBook.rowCount < kBookRowsMax; ++id)
        if (gBook.type[id] == type) gBook.rows[gBook.rowCount++] = BookRow{uint16_t(id), {}, 0};
    // One box of each kind at most: a missing table must not raise one box
    // for every creature the party knows.
    bool unreadableShown = false, wrongShown = false;
    for (int id = kBookFirstId; id <= kBookLastId; ++id) {
        if (gBook.knowledge[id] == 0 || (gBook.type[id] != type && gBook.type[id] != kBookNoType)) continue;
        ObjRecord object{};
        const bool read = gBook.type[id] != kBookNoType && ReadObjRecord(&object, uint32_t(id)) != 0;
        if (!read) {
            FreeRecordText(&object);
            if (!unreadableShown) ErrorBox(kTextBookCaption, kTextBookUnreadable, id);
            unreadableShown = true;
            continue;
        }
        BookRow* row = RowOf(uint16_t(id));
        if (!row) {
            // A known creature past the category's 64 rows.
            if (!wrongShown) ErrorBox(kTextBookCaption, kTextBookWrongData, id);
            wrongShown = true;
        } else {
            CopyBig5Bounded(row->name, sizeof row->name, object.name);
            row->knowledge = gBook.knowledge[id];
        }
        FreeRecordText(&object);
    }
    gBook.win = ListState{gBook.rowCount, 0, 0, 0};
    CountBookRows();
}

int CountBookRows() {
    gBook.win.shown = std::clamp(gBook.rowCount - gBook.win.top, 0, kBookWindow);
    return gBook.win.shown;
}

const BookRow* BookTopPointer() {
    const int index = gBook.win.top + gBook.win.cursor;
    return index >= 0 && index < gBook.rowCount ? &gBook.rows[index] : nullptr;
}

void ReadBookItems() {
    FreeRecordText(&gBook.card.obj);
    gBook.card = ItemRecord{};
    gBook.contract[0] = gBook.contract[1] = 0;
    const BookRow* row = BookTopPointer();
    if (!row) {
        for (auto& line : gBook.lines) line[0] = 0;
        return;
    }
    gBook.card.id = row->id;
    gBook.card.count = 1;
    if (!ReadObjRecord(&gBook.card.obj, row->id)) ErrorBox(kTextBookCardCaption, kTextBookNoObject, int(row->id));
    BookContractValues(gBook.card.obj, gBook.contract);
    DrawMonsterCard(row->knowledge);
}

void DrawMonsterCard(int k) {
    const ObjRecord& o = gBook.card.obj;
    char text[kBookLineBytes];
    const uint16_t type = o.kind;
    Line(0, k >= 1 && type < std::size(kBookTypeNames) ? kBookTypeNames[type] : kUnknownLine);
    std::snprintf(text, sizeof text, kTextBookLevel, int(ObjLevel(o)));
    Line(1, k >= 2 ? text : kTextBookLevelUnknown);
    char name[kBookNameBytes];
    CopyBig5Bounded(name, sizeof name, o.name);
    std::snprintf(text, sizeof text, "%-12s", name);
    Line(2, k >= 3 ? text : kUnknownLine);
    const struct {
        const char* label;
        int threshold;
        int value;
        int maximum;
    } numbers[6] = {
        {kTextLife, 5, int(std::min<uint32_t>(ObjLife(o), 9999)), 9999},
        {kTextSpirit, 8, std::min(int(gBook.contract[0]), 9999), 9999},
        {kTextStamina, 10, std::min(int(gBook.contract[1]), 9999), 9999},
        {kTextAttackLabel, 13, std::min(int(ObjAttack(o)), 999), 999},
        {kTextDefenceLabel, 16, std::min(int(ObjDefence(o)), 999), 999},
        {kTextAgilityLabel, 18, std::min(int(ObjAgility(o)), 999), 999},
    };
    for (int i = 0; i < 6; ++i)
        FormatEstimate(gBook.lines[3 + i], kBookLineBytes, numbers[i].label, k, numbers[i].threshold, numbers[i].value,
                       numbers[i].maximum);
    for (int l = 9; l < kBookCardLines; ++l) gBook.lines[l][0] = 0;
    if (k >= 19) SkillLines();
    else Line(9, kUnknownSkills);
}

void BookEnter() {
    ResetBook();
    gBook.open = true;
    for (int id = kBookFirstId; id <= kBookLastId; ++id) {
        ObjRecord object{};
        // Only creatures (type bit 0x800) are listed: an item's type word
        // is not a creature type.
        const bool creature = ReadObjRecord(&object, uint32_t(id)) && (object.typeBits & kObjCapturable);
        gBook.type[id] = creature ? TypeByte(object.kind) : kBookNoType;
        FreeRecordText(&object);
        gBook.knowledge[id] = uint8_t(std::clamp(GetCount(&gFameList2, uint16_t(id)), 0, 255));
    }
    gBook.type[0] = kBookNoType;
    ResetActRecord(&gBook.pictureAct);
    BuildBookCategory();
    gMenu.acts.background.qq = kBookPanelQq;
    ReadBookItems();
}

void BookLeave() {
    if (!gBook.open) return;
    ResetBook();
    // The page under the book shows its own background again.
    gMenu.acts.background.qq = gMenu.pageIndex + 41;
}

void BookCancel() {
    if (gMenu.depth < kDepthBookOverItems) return;
    gMenu.depth = kDepthPage;
    BookLeave();
}

void BookDown() { MoveCursor(ListCursorDown, 1); }
void BookUp() { MoveCursor(ListCursorUp, 0); }
void BookPageDown() { MoveCursor(PageDown, 1); }
void BookPageUp() { MoveCursor(PageUp, 0); }
void BookLeft() { ChangeCategory(gBook.category - 1); }
void BookRight() { ChangeCategory(gBook.category + 1); }
void BookKey2() {
    BookRight();
    MenuSfx(kMenuSfxMove);
}

void BookFrame() {
    for (uint32_t& f : gBook.arrowFlash)
        if (f > 0) --f;
    const uint32_t buttons = gMenu.mouseButtons;
    if (buttons & kMouseRightClick) {
        BookCancel();
        return;
    }
    if (!(buttons & kMouseLeftClick)) return;
    const int32_t x = gKeyInput.mouseX, y = gKeyInput.mouseY;
    if (In(x, 19, 202) && In(y, 95, 453)) {
        const int row = (y - 94) / 24;
        if (row >= gBook.win.shown) return;
        gBook.win.cursor = row;
        ReadBookItems();
        MenuSfx(kMenuSfxMove);
    } else if (In(x, 11, 205) && In(y, 61, 77)) {
        // The current category's picture stands at 86..125; the others
        // 40 px apart on each side of it.
        if (x < 86) BookLeft();
        else if (x >= 126) BookRight();
    } else if (In(x, 204, 220) && gBook.rowCount > kBookWindow) {
        if (In(y, 80, 96)) BookPageUp();
        else if (In(y, 448, 466)) BookPageDown();
    }
}

void ResetBook() {
    FreeRecordText(&gBook.card.obj);
    gBook = Book{};
}

void RegisterBookPage() {
    MenuPage page{};
    page.firstId = 66;
    page.lastId = 71;
    page.enter = BookEnter;
    page.leave = BookLeave;
    page.draw = DrawBookPage;
    page.slots.frame = BookFrame;
    page.slots.cancel = BookCancel;
    page.slots.key2 = BookKey2;
    page.slots.key10 = BookKey2;
    page.slots.down = BookDown;
    page.slots.up = BookUp;
    page.slots.pageDown = BookPageDown;
    page.slots.pageUp = BookPageUp;
    page.slots.left = BookLeft;
    page.slots.right = BookRight;
    page.slots.draw = DrawBookPage;
    RegisterMenuPage(kPageBook, page);
}
