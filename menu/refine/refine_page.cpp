#include "menu/refine/refine_page.h"

#include <algorithm>
#include <cstring>

#include "base/errorbox.h"
#include "base/memory.h"
#include "base/random.h"
#include "base/settings.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"
#include "menu/frame/menu_frame.h"
#include "menu/menu_services.h"
#include "menu/refine/page_common.h"
#include "world/org/count_list.h"
#include "world/org/obj_tables.h"
#include "world/party/member_stats.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

RefinePage gRefine;

namespace {

constexpr int kSfxField = 263;
constexpr int kSfxStart = 701;
constexpr int kSfxEnter = 703;
constexpr int kPagePlain = 59, kPagePreview = 57, kPageMerging = 70;
constexpr int kMaxListedType = 14;

void SetPagePicture(int qq) { gMenu.acts.background.qq = qq; }

bool In(int v, int low, int high) { return v >= low && v <= high; }

ItemRecord* BagNode(uint16_t id) {
    for (ItemRecord* n = gInventory; n; n = n->next)
        if (n->id == id) return n;
    return nullptr;
}

int Owned(const ItemRecord& n) { return std::max(0, n.count + n.newCount); }

void ResetAvailable() {
    for (ItemRecord* n = gInventory; n; n = n->next) n->spare = uint16_t(Owned(*n));
}

void EmptyRecord(ItemRecord* r) {
    FreeRecordText(&r->obj);
    *r = ItemRecord{};
    r->id = kPlaceholderItem;
}

bool IsEmpty(const ItemRecord& r) { return r.id == kPlaceholderItem; }

void ResetCursor() {
    gRefine.cursor = ListState{};
    FitListWindow(&gRefine.cursor, int(gRefine.list.size()), kRefineRows);
}

// Holds the window inside the list after the list changed size.
void ClampCursor() { FitListWindow(&gRefine.cursor, int(gRefine.list.size()), kRefineRows); }

void FreePictures() {
    for (RefinePicture& p : gRefine.pictures) p.pixels = {};
}

} // namespace

bool CutRefinePicture(const PicFrame* frame, RefinePicture* out) {
    if (!frame || !frame->data) return false;
    out->pixels.assign(size_t(kRefinePicWidth) * kRefinePicHeight, 0);
    int w = frame->width, h = frame->height, depth = 16;
    const uint16_t* wide = nullptr;
    const uint8_t* narrow = nullptr;
    uint8_t* decoded = nullptr;
    if (IsRleFrame(frame->data, frame->size)) {
        decoded = DecodeRle(frame->data, int(std::min<uint32_t>(frame->size, 0x7FFFFFFF)), &w, &h, &depth);
        if (!decoded || depth != 16) {
            FreeMem(decoded);
            out->pixels.clear();
            return false;
        }
        wide = reinterpret_cast<const uint16_t*>(decoded);
    } else if (frame->palette) {
        if (size_t(w) * size_t(h) > frame->size) return out->pixels.clear(), false;
        narrow = frame->data;
    } else {
        if (size_t(w) * size_t(h) * 2 > frame->size) return out->pixels.clear(), false;
        wide = reinterpret_cast<const uint16_t*>(frame->data);
    }
    const int rows = std::min(h, kRefinePicHeight), cols = std::min(w, kRefinePicWidth);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < cols; ++x) {
            const size_t at = size_t(y) * size_t(w) + size_t(x);
            uint16_t v = 0;
            if (wide) std::memcpy(&v, wide + at, 2);
            else v = frame->palette[narrow[at]];
            out->pixels[size_t(y) * kRefinePicWidth + size_t(x)] = v;
        }
    FreeMem(decoded);
    return true;
}

namespace {

void LoadOriginal(int i, const ObjRecord& obj) {
    static const char* const kCaptions[3] = {"Act Err(Botl::GetOriginal2)", "Act Err(Botl::GetOriginal3)",
                                             "Act Err(Botl::GetOriginal4)"};
    gRefine.pictures[i].pixels.clear();
    if (!CutRefinePicture(GetTswPicture(kRefinePicturePack, obj.word84), &gRefine.pictures[i]))
        ErrorBox(kCaptions[i], "[%d,%d]", kRefinePicturePack, int(obj.word84));
}

// Both inputs are still in the bag (twice the one item when both fields
// hold it) and the result can be made: then the inputs go and the result
// comes. False changes nothing.
bool GiveRefineResult() {
    const uint16_t a = gRefine.fields[0].id, b = gRefine.fields[1].id;
    ItemRecord* na = BagNode(a);
    ItemRecord* nb = BagNode(b);
    if (!na || !nb || Owned(*na) < (a == b ? 2 : 1) || Owned(*nb) < 1) return false;
    const uint16_t made = gRefine.result.id;
    if (!AddItem(&gInventory, made, +1, kAddNewOnly)) return false;
    AddItem(&gInventory, a, -1, kAddNew);
    AddItem(&gInventory, b, -1, kAddNew);
    AddCount(&gFameList2, made, 1);
    return true;
}

void FinishRefine() {
    if (!GiveRefineResult()) MenuSfx(kMenuSfxRefused);
    EmptyRecord(&gRefine.fields[0]);
    EmptyRecord(&gRefine.fields[1]);
    EmptyRecord(&gRefine.result);
    ResetAvailable();
    LoadRefineList();
    ClampCursor();
    gRefine.counter = 0;
    gRefine.state = kRefineChoosing;
    SetPagePicture(kPagePlain);
}

void ChangeTab(int tab) {
    gRefine.tab = (tab % kRefineTabs + kRefineTabs) % kRefineTabs;
    LoadRefineList();
    ResetCursor();
    PutCursorItemInField();
    MenuSfx(kMenuSfxMove);
}

// The list keys: in state 1 they move the cursor and fill the active field;
// during the animation they cut it short.
bool ListKey(void (*move)(ListState*)) {
    if (gRefine.state == kRefineAnimating) {
        gRefine.counter = kRefineAnimCut;
        return false;
    }
    if (gRefine.state != kRefineChoosing || !IsFlag(kRefineFlag)) return false;
    move(&gRefine.cursor);
    PutCursorItemInField();
    MenuSfx(kMenuSfxMove);
    return true;
}

void ShakeOffsets(int picture, int width, int sign) {
    for (int16_t& o : gRefine.rowOffset[picture])
        o = int16_t(std::clamp(o + sign * (Random(width) - width / 2), -kRefinePicWidth, kRefinePicWidth));
    for (int16_t& o : gRefine.colOffset[picture])
        o = int16_t(std::clamp(o + sign * (Random(width) - width / 2), -kRefinePicWidth, kRefinePicWidth));
}

void SettleOffsets(int picture) {
    for (int16_t& o : gRefine.rowOffset[picture]) o = int16_t(o * 9 / 10);
    for (int16_t& o : gRefine.colOffset[picture]) o = int16_t(o * 9 / 10);
}

void BlendOriginals(int counter) {
    const std::vector<uint16_t>& made = gRefine.pictures[0].pixels;
    if (counter >= 0 && counter < 120) {
        const int width = counter < 40 ? 3 : counter < 80 ? 5 : 7;
        ShakeOffsets(1, width, +1);
        ShakeOffsets(2, width, -1);
    }
    if (counter >= 50 && counter < 110 && !made.empty()) {
        const int count = 8 * counter - 400;
        for (int p = 1; p <= 2; ++p) {
            std::vector<uint16_t>& px = gRefine.pictures[p].pixels;
            if (px.empty()) continue;
            for (int i = 0; i < count; ++i) {
                const size_t at = size_t(Random(kRefinePicWidth * kRefinePicHeight));
                px[at] = made[at];
            }
        }
    }
    if (counter == 110) {
        MenuSfx(520);
        gRefine.pictures[1].pixels = made;
        gRefine.pictures[2].pixels = made;
    }
    if (counter >= 120 && counter <= 140) {
        SettleOffsets(1);
        SettleOffsets(2);
    }
}

} // namespace

bool RefineListed(const ItemRecord& item, int tab) {
    const int type = item.obj.kind;
    if (item.id == kPlaceholderItem || (type > kMaxListedType && type != kRefineOddType)) return false;
    const uint32_t kind = item.obj.typeBits;
    switch (tab) {
    case 0: return (kind & 0x101F) != 0;
    case 1: return (kind & 0x700) != 0;
    case 2: return (kind & 0x800) != 0;
    default: return false;
    }
}

void LoadRefineList() {
    gRefine.list.clear();
    for (ItemRecord* n = gInventory; n; n = n->next)
        if (RefineListed(*n, gRefine.tab)) gRefine.list.push_back(n);
    std::stable_sort(gRefine.list.begin(), gRefine.list.end(),
                     [](const ItemRecord* a, const ItemRecord* b) { return a->id < b->id; });
    gRefine.cursor.total = int(gRefine.list.size());
}

ItemRecord* RefineCursorItem() {
    const size_t at = size_t(gRefine.cursor.top + gRefine.cursor.cursor);
    return gRefine.cursor.shown > 0 && at < gRefine.list.size() ? gRefine.list[at] : nullptr;
}

void SetFieldItem(int f, ItemRecord* node) {
    ItemRecord& field = gRefine.fields[f & 1];
    if (!IsEmpty(field))
        if (ItemRecord* old = BagNode(field.id)) ++old->spare;
    EmptyRecord(&field);
    // An item with none left to give (one Herb already in the other field)
    // leaves the field empty: one item never makes a result on its own.
    if (!node || node->spare == 0) return;
    field = *node;
    field.next = nullptr;
    field.count = field.newCount = 0;
    field.spare = 1;
    CopyObjRecord(&field.obj, node->obj);
    --node->spare;
}

void PutCursorItemInField() {
    SetFieldItem(gRefine.field, RefineCursorItem());
    FindRefineResult();
}

bool HasRefineResult() { return !IsEmpty(gRefine.result); }

void FindRefineResult() {
    EmptyRecord(&gRefine.result);
    const ItemRecord& one = gRefine.fields[0];
    const ItemRecord& two = gRefine.fields[1];
    if (IsEmpty(one) || IsEmpty(two) || one.spare == 0 || two.spare == 0) return;
    const uint16_t id = FindRefineResultId(gRefine.table, gRefine.objs, {one.id, one.obj.kind, one.obj.word88},
                                           {two.id, two.obj.kind, two.obj.word88});
    ItemRecord& r = gRefine.result;
    if (!ReadObjRecord(&r.obj, id)) {
        EmptyRecord(&r);
        return;
    }
    r.id = id;
    r.count = 1;
    r.spare = 1;
}

void ComputeContractValues(const ObjRecord& obj, uint16_t out[2]) {
    auto has = [&](size_t at, int weight) { return ObjWordAt(obj, at) != 0 ? weight : 0; };
    const int level = obj.word88;
    const int first = level * (has(108, 2) + has(112, 3) + has(116, 5) + has(128, 2) + has(132, 4));
    const int second = level * (has(120, 3) + has(124, 5));
    out[0] = uint16_t(std::min(first, 0xFFFF));
    out[1] = uint16_t(std::min(second, 0xFFFF));
}

void LoadOriginals() {
    LoadOriginal(0, gRefine.result.obj);
    LoadOriginal(1, gRefine.fields[0].obj);
    LoadOriginal(2, gRefine.fields[1].obj);
    std::memset(gRefine.rowOffset, 0, sizeof gRefine.rowOffset);
    std::memset(gRefine.colOffset, 0, sizeof gRefine.colOffset);
}

void EndRefineAnimation() {
    gRefine.state = kRefineShown;
    gMenu.fade = 0;
    FreePictures();
}

void StepRefineAnimation() {
    if (gRefine.state != kRefineAnimating) return;
    int32_t& c = gRefine.counter;
    if (c >= kRefineAnimEnd) {
        c = kRefineAnimCut;
        EndRefineAnimation();
        return;
    }
    if (c <= -35) {
        gMenu.fade = (kRefineAnimStart - c) * 6;
        if (c == -35) SetPagePicture(kPageMerging);
    } else {
        gMenu.fade = c < -29 ? (3 * c + 90) * 2 : 0;
        BlendOriginals(c);
    }
    ++c;
}

void RefineEnter() {
    ResetRefinePage();
    gRefine.open = true;
    BuildRefineObjTables(&gRefine.objs);
    LoadRefineTable(&gRefine.table);
    ResetAvailable();
    gRefine.tab = 0;
    gRefine.state = kRefineChoosing;
    gRefine.field = 0;
    LoadRefineList();
    ResetCursor();
    MenuSfx(kSfxEnter);
    gMenu.depth = kDepthPage;
}

void RefineLeave() {
    if (gRefine.open) {
        for (ItemRecord* n = gInventory; n; n = n->next) n->spare = 0;
    }
    ResetRefinePage();
    gMenu.fade = 0;
    gMenu.depth = kDepthRoot;
}

void RefineCancel() {
    switch (gRefine.state) {
    case kRefineChoosing:
        --gMenu.depth;
        {
            const int32_t depth = gMenu.depth;
            RefineLeave();
            gMenu.depth = depth;
        }
        if (gMenu.depth < kDepthRoot) gMenuRequest = 0;
        SetMenuHandlers(gMenu.depth);
        break;
    case kRefinePreview:
        gRefine.state = kRefineChoosing;
        SetPagePicture(kPagePlain);
        break;
    case kRefineAnimating:
    case kRefineShown: RefineConfirm(); break;
    default: gRefine.state = kRefineChoosing; break;
    }
}

void RefineConfirm() {
    switch (gRefine.state) {
    case kRefineChoosing:
        if (!IsFlag(kRefineFlag)) {
            RefineCancel();
            return;
        }
        if (!HasRefineResult()) {
            gRefine.state = kRefineMessage;
            return;
        }
        ComputeContractValues(gRefine.result.obj, gRefine.contract);
        gRefine.state = kRefinePreview;
        SetPagePicture(kPagePreview);
        gRefine.refused = int(gRefine.result.obj.word88) > int(gMemberStats[0].level) + kRefineLevelMargin;
        MenuSfx(kMenuSfxMove);
        break;
    case kRefinePreview:
        if (gRefine.refused) {
            MenuSfx(kMenuSfxRefused);
            return;
        }
        gRefine.state = kRefineAnimating;
        gRefine.counter = kRefineAnimStart;
        LoadOriginals();
        MenuSfx(kSfxStart);
        break;
    case kRefineAnimating: {
        const int32_t was = gRefine.counter;
        EndRefineAnimation();
        if (was < -35) {
            gRefine.counter = 35;
            SetPagePicture(kPageMerging);
        }
        MenuSfx(kMenuSfxMove);
        break;
    }
    case kRefineShown: FinishRefine(); break;
    case kRefineMessage: gRefine.state = kRefineChoosing; break;
    default: break;
    }
}

void RefineNextField() {
    if (gRefine.state == kRefineAnimating) {
        gRefine.counter = kRefineAnimCut;
        return;
    }
    if (gRefine.state != kRefineChoosing) return;
    gRefine.field ^= 1;
    MenuSfx(kSfxField);
}

void RefineDown() { ListKey(ListCursorDown); }
void RefineUp() { ListKey(ListCursorUp); }
void RefinePageDown() {
    ListKey([](ListState* s) { ListPageDown(s, kRefineRows); });
}
void RefinePageUp() {
    ListKey([](ListState* s) { ListPageUp(s, kRefineRows); });
}

void RefineLeft() {
    if (gRefine.state == kRefineAnimating) gRefine.counter = kRefineAnimCut;
    else if (gRefine.state == kRefineChoosing && IsFlag(kRefineFlag)) ChangeTab(gRefine.tab - 1);
}

void RefineRight() {
    if (gRefine.state == kRefineAnimating) gRefine.counter = kRefineAnimCut;
    else if (gRefine.state == kRefineChoosing && IsFlag(kRefineFlag)) ChangeTab(gRefine.tab + 1);
}

void RefineFrame() {
    if (!gRefine.open) return;
    const uint32_t buttons = gMenu.mouseButtons;
    const int x = gKeyInput.mouseX, y = gKeyInput.mouseY;
    if (buttons & kMouseRightClick) {
        RefineCancel();
        return;
    }
    if (!(buttons & kMouseLeftClick)) return;
    if (gRefine.state != kRefineChoosing) {
        RefineConfirm();
        return;
    }
    if (!IsFlag(kRefineFlag)) return;
    if (In(y, 51, 72) && In(x, 9, 115)) {
        const int tab = std::min(kRefineTabs - 1, (x - 9) / 36);
        if (tab != gRefine.tab) ChangeTab(tab);
    } else if (In(x, 3, 187) && In(y, 81, 463)) {
        const int row = (y - 81) / 24;
        if (row < gRefine.cursor.shown) {
            gRefine.cursor.cursor = row;
            PutCursorItemInField();
        }
    } else if (In(x, 255, 392) && In(y, 71, 336)) {
        gRefine.field = 0;
    } else if (In(x, 466, 602) && In(y, 71, 336)) {
        gRefine.field = 1;
    } else if (In(x, 413, 451) && In(y, 338, 357)) {
        RefineConfirm();
    }
}

void RegisterRefinePage() {
    MenuPage page{};
    page.firstId = 48;
    page.lastId = 52;
    page.enter = RefineEnter;
    page.leave = RefineLeave;
    page.draw = DrawRefinePage;
    page.slots.frame = RefineFrame;
    page.slots.cancel = RefineCancel;
    page.slots.key2 = RefineNextField;
    page.slots.down = RefineDown;
    page.slots.up = RefineUp;
    page.slots.pageDown = RefinePageDown;
    page.slots.pageUp = RefinePageUp;
    page.slots.left = RefineLeft;
    page.slots.right = RefineRight;
    page.slots.confirm = RefineConfirm;
    page.slots.draw = DrawRefinePage;
    RegisterMenuPage(kPageRefine, page);
}

void ResetRefinePage() {
    for (ItemRecord* r : {&gRefine.fields[0], &gRefine.fields[1], &gRefine.result}) FreeRecordText(&r->obj);
    gRefine = RefinePage{};
    EmptyRecord(&gRefine.fields[0]);
    EmptyRecord(&gRefine.fields[1]);
    EmptyRecord(&gRefine.result);
    gRefine.state = kRefineChoosing;
}
