#include "menu/magic/magic_page.h"

#include <algorithm>

#include "base/settings.h"
#include "media/sound_bank.h"
#include "menu/frame/menu_frame.h"
#include "menu/menu_services.h"
#include "world/map/map.h"
#include "world/org/obj_tables.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

MagicPage gMagic;
void (*gMagicTravelTo)(uint16_t map, uint16_t x, uint16_t y) = TravelTo;

namespace {

constexpr int kSfxMember = 263;
constexpr int kSfxCast = 139;
constexpr int kFlagPartyFirst = 30;
constexpr int kFlagTravelBanner = 77;
constexpr int kFlagExitBanner = 78;
constexpr int kKeyDescription = 19;
constexpr int kActionAllTargets = 0x1;  // action flags bit 0: the whole party
constexpr int32_t kDepthTarget = 3;
constexpr int kFlashFrames = 4;

// The map loader reads no travel bit from the map record: every map lets
// the party travel unless the story's travel banner is up.
bool EveryMapAllowsTravel() { return true; }


int MemberRows() { return std::min(PartyCount(), kMenuRowsShown); }

bool InParty(int32_t member) { return member >= 0 && member < kPartyMembers && IsFlag(kFlagPartyFirst + member); }

bool IsPlaceholder(const ItemRecord* n) { return !n || n->id == kPlaceholderItem; }

bool Listed(const ItemRecord& n) { return n.obj.kind == kMagicTypeOne || n.obj.kind == kMagicTypeAll; }

bool IsHeader(const ItemRecord& n) { return (n.obj.typeBits & ~uint32_t(kObjNewMark)) >= kMagicHeaderBits; }

int Count() { return int(gMagic.rows.size()); }
int Lines() { return (Count() + 1) / 2; }

ItemRecord* OwnedNode(ItemRecord* n) {
    if (n) gMagic.owned.push_back(n);
    return n;
}

ItemRecord* NewFiller() {
    ItemRecord* n = NewPlaceholderItem();
    if (!n) return nullptr;
    n->id = kFillerId;
    n->obj.name[0] = 0;
    return OwnedNode(n);
}

void AddRow(ItemRecord* node, uint8_t kind) { gMagic.rows.push_back({node, kind}); }

int RowKind(int row) { return row >= 0 && row < Count() ? gMagic.rows[size_t(row)].kind : 0; }

void Pay(MemberStats* m, uint16_t costWord) {
    const MagicCost c = CostOf(costWord);
    m->gauge[1] = int16_t(m->gauge[1] - c.spirit);
    m->gauge[2] = int16_t(m->gauge[2] - c.stamina);
}

void FixShown() { gMagic.shown = std::min(kMagicWindowRows, std::max(0, Count() - gMagic.top)); }

// Puts the cursor on line `line` of the window, in the right column when
// that was the last chosen and its row is castable.
void PlaceOnLine(int line) {
    const int right = gMagic.top + 2 * line + 1;
    gMagic.cursor = 2 * line + ((gMagic.rightColumn && RowKind(right) == kRowCastable) ? 1 : 0);
}

// One line down (or up); false when the list has no line there.
bool StepLine(int delta) {
    const int line = gMagic.cursor / 2;
    const int topLine = gMagic.top / 2;
    const int windowLines = std::min(kMagicWindowLines, Lines());
    if (delta > 0) {
        if (line + 1 < windowLines && topLine + line + 1 < Lines()) return PlaceOnLine(line + 1), true;
        if (topLine + kMagicWindowLines < Lines()) return gMagic.top += 2, FixShown(), PlaceOnLine(line), true;
        return false;
    }
    if (line > 0) return PlaceOnLine(line - 1), true;
    if (topLine > 0) return gMagic.top -= 2, FixShown(), PlaceOnLine(line), true;
    return false;
}

void ListMoved() {
    if (const MagicRow* row = MagicCursorRow()) ItemName(row->node);
    MenuSfx(kMenuSfxMove);
    gMagic.arrowFlash = kFlashFrames;
}

// The first castable row in view: the window follows it down.
void CursorToFirstCastable() {
    for (int r = 0; r < Count(); r += 2) {
        if (RowKind(r) != kRowCastable) continue;
        gMagic.top = std::max(0, r - (kMagicWindowRows - 2));
        gMagic.cursor = r - gMagic.top;
        FixShown();
        return;
    }
}

// The magic reaches the member: in the party, and up unless it revives.
bool Reaches(int32_t member) {
    if (!InParty(member)) return false;
    return !(gMemberStats[member].status & kStatusDown) || (gMagic.action.ailment & kAilmentRevive);
}

bool ReachesAnyone() {
    for (int m = 0; m < kPartyMembers; ++m)
        if (Reaches(m)) return true;
    return false;
}

void CloseAfterTravel() {
    MagicLeave();
    gMenuRequest = 0;
}

void ConfirmInList() {
    const MagicRow* row = MagicCursorRow();
    const int32_t caster = MagicCaster();
    if (!row || row->kind != kRowCastable || IsPlaceholder(row->node) || caster < 0) return;
    ItemRecord* magic = row->node;
    MemberStats& stats = gMemberStats[caster];
    const uint16_t cost = MagicCostWord(magic->obj);
    if ((stats.status & kStatusDown) || MagicUseMode(magic->obj) < 2 || !(cost & (kCostSpirit | kCostStamina)) ||
        !CanPayCost(stats, cost)) {
        MenuSfx(kMenuSfxRefused);
        return;
    }
    if (magic->id == kMagicExit) {
        ExitGroup group{};
        if (!IsFlag(kFlagExitBanner) && FindExitGroup(gCurrentMap, &group)) {
            Pay(&stats, cost);
            gMagicTravelTo(group.map, group.x, group.y);
            CloseAfterTravel();
        } else {
            gMagic.state = kMagicExitRefused;
            MenuSfx(kMenuSfxRefused);
        }
        return;
    }
    if (magic->id == kMagicTravel) {
        if (!IsFlag(kFlagTravelBanner) && gMagicMapAllowsTravel()) {
            BuildTravelList();
            gMagic.casting = magic;
            const int entries = int(gTravelList.size());
            gMagic.travel = ListState{entries, 0, 0, std::min(kTravelWindow, entries)};
            gMagic.state = kMagicTravelList;
        } else {
            gMagic.state = kMagicTravelRefused;
            MenuSfx(kMenuSfxRefused);
        }
        return;
    }
    gMagic.action = ActionRecord{};
    if (ReadActionRecord(&gMagic.action, magic->obj.w[kObjActionId]) <= 0) return;
    if (!(gMagic.action.flags & kActionAllTargets)) {
        gMagic.casting = magic;
        gMagic.target = 0;
        gMagic.state = kMagicTarget;
        gMenu.depth = kDepthTarget;
        return;
    }
    if (!ReachesAnyone()) {
        MenuSfx(kMenuSfxRefused);
        return;
    }
    Pay(&stats, cost);
    MenuSfx(kSfxCast);
    for (int m = 0; m < kPartyMembers; ++m)
        if (Reaches(m)) ApplyItemEffect(&gMemberStats[m], magic->obj);
}

void ConfirmTarget() {
    const int32_t caster = MagicCaster();
    const int32_t member = PartyMember(gMagic.target);
    ItemRecord* magic = gMagic.casting;
    if (caster < 0 || !magic || !Reaches(member)) {
        MenuSfx(kMenuSfxRefused);
        return;
    }
    MemberStats& stats = gMemberStats[caster];
    const uint16_t cost = MagicCostWord(magic->obj);
    if (!CanPayCost(stats, cost)) {
        MenuSfx(kMenuSfxRefused);
        return;
    }
    Pay(&stats, cost);
    ApplyItemEffect(&gMemberStats[member], magic->obj);
    MenuSfx(kSfxCast);
}

void ConfirmTravel() {
    const int32_t caster = MagicCaster();
    const size_t at = size_t(gMagic.travel.top + gMagic.travel.cursor);
    if (caster < 0 || !gMagic.casting || at >= gTravelList.size()) return;
    MemberStats& stats = gMemberStats[caster];
    const uint16_t cost = MagicCostWord(gMagic.casting->obj);
    if (!CanPayCost(stats, cost)) {
        MenuSfx(kMenuSfxRefused);
        return;
    }
    const TravelEntry entry = gTravelList[at];
    Pay(&stats, cost);
    gMagicTravelTo(entry.map, entry.x, entry.y);
    gTravelList.clear();
    CloseAfterTravel();
}

void EndTravelList() {
    gTravelList.clear();
    gMagic.travel = ListState{};
    gMagic.casting = nullptr;
    gMagic.state = kMagicList;
}

bool Inside(int x, int y, int left, int top, int width, int height) {
    return x >= left && x < left + width && y >= top && y < top + height;
}

void ShowDescription() {
    const MagicRow* row = MagicCursorRow();
    if (!row || row->kind != kRowCastable || IsPlaceholder(row->node)) return;
    gMagic.state = kMagicDescription;
}

void ClickInList(int x, int y) {
    for (int r = 0; r < gMagic.shown; ++r) {
        const int line = r / 2, column = r & 1;
        if (!Inside(x, y, 236 + 198 * column, 110 + 25 * line, 197, 24)) continue;
        if (r == gMagic.cursor) return MagicConfirm();
        if (column == 1 && RowKind(gMagic.top + r) != kRowCastable) return;
        gMagic.cursor = r;
        gMagic.rightColumn = column;
        ListMoved();
        return;
    }
}

void ClickInBox(int x, int y, int left, int top, int width, int entries, int* cursor) {
    for (int r = 0; r < entries; ++r) {
        if (!Inside(x, y, left, top + 25 * r, width, 25)) continue;
        if (r == *cursor) return MagicConfirm();
        *cursor = r;
        MenuSfx(kMenuSfxMove);
        return;
    }
}

} // namespace

bool (*gMagicMapAllowsTravel)() = EveryMapAllowsTravel;

MagicCost CostOf(uint16_t w) {
    const ObjCost c = DecodeCostWord(w);
    return {c.spirit, c.stamina};
}

bool CanPayCost(const MemberStats& m, uint16_t w) {
    const MagicCost c = CostOf(w);
    return c.spirit <= m.gauge[1] && c.stamina <= m.gauge[2];
}

int32_t MagicCaster() {
    const int32_t row = gMenu.member;
    if (row < 0 || row >= MemberRows()) return -1;
    return PartyMember(row);
}

const MagicRow* MagicCursorRow() {
    const int row = gMagic.top + gMagic.cursor;
    if (gMagic.cursor < 0 || row < 0 || row >= Count()) return nullptr;
    return &gMagic.rows[size_t(row)];
}

void ReturnMagicList() {
    for (ItemRecord* n : gMagic.owned) FreeItemNode(n);
    gMagic.owned.clear();
    gMagic.rows.clear();
    gMagic.anyCastable = false;
}

void BuildMagicList() {
    ReturnMagicList();
    std::vector<ItemRecord*> listed;
    const int32_t caster = MagicCaster();
    if (caster >= 0) {
        for (ItemRecord* n = gMagicLists[caster]; n; n = n->next)
            if (Listed(*n)) listed.push_back(n);
    }
    std::stable_sort(listed.begin(), listed.end(), [](const ItemRecord* a, const ItemRecord* b) { return a->id < b->id; });
    if (listed.empty()) {
        if (ItemRecord* p = OwnedNode(NewPlaceholderItem())) AddRow(p, kRowCastable);
    }
    for (ItemRecord* n : listed) {
        if (IsHeader(*n)) {
            // A header starts a line of its own and fills it.
            if (Count() % 2 == 1) AddRow(NewFiller(), kRowFiller);
            AddRow(n, kRowHeader);
            AddRow(NewFiller(), kRowFiller);
        } else {
            AddRow(n, kRowCastable);
            gMagic.anyCastable = true;
        }
    }
    // A filler that could not be made leaves a row without a node: drop it.
    std::erase_if(gMagic.rows, [](const MagicRow& r) { return r.node == nullptr; });
    gMagic.top = 0;
    gMagic.cursor = 0;
    FixShown();
    if (gMagic.anyCastable) CursorToFirstCastable();
    if (const MagicRow* row = MagicCursorRow()) ItemName(row->node);
}

void MagicEnter() {
    ReturnMagicList();
    gMagic = MagicPage{};
    if (gMenu.member < 0 || gMenu.member >= kMenuRowsShown) gMenu.member = 0;
    gMenu.pageId = kMagicFirstPageId;
    gMagic.state = kMagicList;
    BuildMagicList();
}

void MagicLeave() {
    ReturnMagicList();
    if (gMagic.state == kMagicTravelList) gTravelList.clear();
    gMagic.state = kMagicClosed;
    gMagic.casting = nullptr;
}

void MagicConfirm() {
    switch (gMagic.state) {
    case kMagicList: ConfirmInList(); break;
    case kMagicTarget: ConfirmTarget(); break;
    case kMagicDescription: gMagic.state = kMagicList; break;
    case kMagicTravelList: ConfirmTravel(); break;
    case kMagicTravelRefused:
    case kMagicExitRefused: gMagic.state = kMagicList; break;
    default: break;
    }
}

void MagicCancel() {
    switch (gMagic.state) {
    case kMagicList:
        --gMenu.depth;
        if (gMenu.depth < kDepthRoot) gMenuRequest = 0;
        SetMenuHandlers(gMenu.depth);
        MagicLeave();
        break;
    case kMagicTarget:
        gMagic.state = kMagicList;
        gMagic.target = 0;
        gMagic.casting = nullptr;
        --gMenu.depth;
        break;
    case kMagicTravelList: EndTravelList(); break;
    case kMagicDescription:
    case kMagicTravelRefused:
    case kMagicExitRefused: gMagic.state = kMagicList; break;
    default: break;
    }
}

void MagicNextMember() {
    if (gMagic.state != kMagicList) return;
    const int rows = MemberRows();
    if (rows < 1) return;
    const int32_t row = gMenu.member >= 0 && gMenu.member < rows ? gMenu.member : 0;
    gMenu.member = (row + 1) % rows;
    BuildMagicList();
    MenuSfx(kSfxMember);
}

void MagicRefresh() {
    if (gMagic.state != kMagicList) return;
    BuildMagicList();
    MenuSfx(kMenuSfxMove);
}

void MagicDown() {
    if (gMagic.state == kMagicTarget) {
        gMagic.target = std::min(gMagic.target + 1, std::max(0, MemberRows() - 1));
        return MenuSfx(kMenuSfxMove);
    }
    if (gMagic.state == kMagicTravelList) {
        if (gMagic.travel.total > 0) ListCursorDown(&gMagic.travel), MenuSfx(kMenuSfxMove);
        return;
    }
    if (gMagic.state == kMagicList && StepLine(1)) ListMoved();
}

void MagicUp() {
    if (gMagic.state == kMagicTarget) {
        gMagic.target = std::max(gMagic.target - 1, 0);
        return MenuSfx(kMenuSfxMove);
    }
    if (gMagic.state == kMagicTravelList) {
        if (gMagic.travel.total > 0) ListCursorUp(&gMagic.travel), MenuSfx(kMenuSfxMove);
        return;
    }
    if (gMagic.state == kMagicList && StepLine(-1)) ListMoved();
}

void MagicPageDown() {
    if (gMagic.state == kMagicTravelList) {
        if (gMagic.travel.total > 0) ListPageDown(&gMagic.travel, kTravelWindow), MenuSfx(kMenuSfxMove);
        return;
    }
    if (gMagic.state != kMagicList) return MagicDown();
    bool moved = false;
    for (int i = 0; i < kMagicWindowLines; ++i) moved |= StepLine(1);
    if (moved) ListMoved();
}

void MagicPageUp() {
    if (gMagic.state == kMagicTravelList) {
        if (gMagic.travel.total > 0) ListPageUp(&gMagic.travel, kTravelWindow), MenuSfx(kMenuSfxMove);
        return;
    }
    if (gMagic.state != kMagicList) return MagicUp();
    bool moved = false;
    for (int i = 0; i < kMagicWindowLines; ++i) moved |= StepLine(-1);
    if (moved) ListMoved();
}

// Left and Right move to the other column of the line; a row there that is
// not castable (or none) keeps the cursor in the left column.
void MagicLeft() {
    if (gMagic.state != kMagicList) return gMagic.state == kMagicTravelList ? MagicUp() : void();
    const int line = gMagic.cursor / 2;
    const int other = (gMagic.cursor & 1) ? 2 * line : 2 * line + 1;
    gMagic.cursor = RowKind(gMagic.top + other) == kRowCastable ? other : 2 * line;
    gMagic.rightColumn = gMagic.cursor & 1;
    ListMoved();
}

void MagicRight() {
    if (gMagic.state != kMagicList) return gMagic.state == kMagicTravelList ? MagicDown() : void();
    MagicLeft();
}

void MagicFrame() {
    if (gMagic.arrowFlash > 0) --gMagic.arrowFlash;
    const uint32_t buttons = gMenu.mouseButtons;
    const int x = gKeyInput.mouseX, y = gKeyInput.mouseY;
    if (buttons & kMouseRightClick) return MagicCancel();
    if (gMagic.state == kMagicList && gKeyState[kKeyDescription].framesHeld == 1) return ShowDescription();
    if (!(buttons & kMouseLeftClick)) return;
    if (x >= 535 && x <= 607 && y >= 465 && y <= 479) {
        gKeyState[kKeyDescription].framesHeld = 1;
        if (gMagic.state == kMagicList) ShowDescription();
        return;
    }
    switch (gMagic.state) {
    case kMagicList: ClickInList(x, y); break;
    case kMagicTarget: ClickInBox(x, y, 340, 208, 116, MemberRows(), &gMagic.target); break;
    case kMagicTravelList: ClickInBox(x, y, 400, 196, 200, gMagic.travel.shown, &gMagic.travel.cursor); break;
    default: MagicConfirm(); break;
    }
}

void RegisterMagicPage() {
    MenuPage page{};
    page.firstId = kMagicFirstPageId;
    page.lastId = kMagicLastPageId;
    page.enter = MagicEnter;
    page.leave = MagicLeave;
    page.draw = DrawMagicPage;
    page.slots.frame = MagicFrame;
    page.slots.cancel = MagicCancel;
    page.slots.key2 = MagicNextMember;
    page.slots.key10 = MagicRefresh;
    page.slots.down = MagicDown;
    page.slots.up = MagicUp;
    page.slots.pageDown = MagicPageDown;
    page.slots.pageUp = MagicPageUp;
    page.slots.left = MagicLeft;
    page.slots.right = MagicRight;
    page.slots.confirm = MagicConfirm;
    page.slots.draw = DrawMagicPage;
    RegisterMenuPage(kPageMagic, page);
}

void ResetMagicPage() {
    ReturnMagicList();
    gMagic = MagicPage{};
    gMagicTravelTo = TravelTo;
    gMagicMapAllowsTravel = EveryMapAllowsTravel;
}
