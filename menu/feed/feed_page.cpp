#include "menu/feed/feed_page.h"

#include <algorithm>

#include "base/random.h"
#include "base/settings.h"
#include "media/sound_bank.h"
#include "menu/frame/menu_frame.h"
#include "menu/menu_services.h"
#include "menu/refine/page_common.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/spirit/spirit.h"
#include "world/talk_state.h"
#include "world/walk/key_state.h"

FeedPage gFeed;

namespace {

constexpr int kFeedAreaLeft = 200, kFeedAreaTop = 50;  // a click left of this is the status panel's
constexpr int kSpiritSlots = 5;
constexpr int kForbiddenElement[kSpiritSlots] = {3, 0, 4, 2, 1};

// Fields of the spirit record (field k at byte 4k).
enum : int {
    kStageFirstEnd = 47,   // byte 188
    kStageSecondEnd = 48,  // byte 192
    kStagePosition = 50,   // byte 200
    kDerived = 60,         // byte 240
    kTypeNumber0 = 61,     // bytes 244, 248, 252, 256
    kFullness = 68,        // byte 272
    kChart0 = 74,          // bytes 296, 300, 304
};

struct TypeGain {
    int type, fullness;
};
constexpr TypeGain kFullnessGain[] = {{0, 18}, {1, 15}, {2, 12}, {3, 10}, {4, 8},  {5, 5},
                                      {6, 4},  {7, 3},  {8, 2},  {10, 1}, {18, 0}};

struct TripleRow {
    int type, change[3];
};
constexpr TripleRow kChartChange[] = {
    {1, {-2, 5, 3}}, {4, {0, 7, -2}}, {5, {-2, 2, 5}}, {6, {2, -3, 6}}, {10, {5, -2, -3}},
};

struct TypeRow {
    int type, change[4];
};
constexpr TypeRow kTypeChange[] = {
    {0, {3, 2, 5, -1}}, {2, {1, 5, 2, -2}}, {3, {7, 1, -1, -3}}, {7, {-2, 1, -3, 5}}, {8, {3, -1, 2, 1}},
};
constexpr int kTypeNumberMax[4] = {500, 100, 100, 100};


int32_t& SpiritField(int k) { return gSpirit.Field(k); }

const TypeRow* TypeChangeOf(int type) {
    for (const TypeRow& r : kTypeChange)
        if (r.type == type) return &r;
    return nullptr;
}

// A skill's element from its action record: codes 1..7 are elements 0..6.
int SkillElement(uint32_t skill) {
    ActionRecord a{};
    if (!ReadActionRecord(&a, skill)) return -1;
    return a.element >= 1 && a.element <= 7 ? a.element - 1 : -1;
}

FeedSkill SkillOf(int32_t id) {
    FeedSkill s;
    s.id = id;
    if (id <= 0) return s;
    ObjRecord r{};
    if (ReadObjRecord(&r, uint32_t(id))) {
        s.name = r.name;
        if (r.description) s.description = r.description;
    }
    FreeRecordText(&r);
    s.itemName = ItemNameOfId(uint16_t(id));
    s.element = SkillElement(uint32_t(id));
    return s;
}

// The creature's skills (words 108, 112, 116 without repeats, then 128 and
// 132 without a repeat of 128), then the direct feeding while a choice is
// left.
void FillChoices(const ObjRecord& obj, FeedEntry* e) {
    std::vector<int32_t> ids;
    const uint16_t first[3] = {ObjWordAt(obj, 108), ObjWordAt(obj, 112), ObjWordAt(obj, 116)};
    for (int i = 0; i < 3; ++i)
        if (first[i] != 0 && std::find(first, first + i, first[i]) == first + i) ids.push_back(first[i]);
    const uint16_t a = ObjWordAt(obj, 128), b = ObjWordAt(obj, 132);
    if (a != 0) ids.push_back(a);
    if (b != 0 && b != a) ids.push_back(b);
    if (ids.size() < size_t(kFeedChoices)) ids.push_back(kFeedDirect);
    for (size_t k = 0; k < ids.size() && k < size_t(kFeedChoices); ++k) e->choice[k] = SkillOf(ids[k]);
}

int LastChoice(const FeedEntry& e) {
    int last = 0;
    for (int k = 0; k < kFeedChoices; ++k)
        if (e.choice[k].id != 0) last = k;
    return last;
}

const FeedSkill* CurrentChoice() {
    const FeedEntry* e = FeedCursorEntry();
    return e && gFeed.choice >= 0 && gFeed.choice < kFeedChoices ? &e->choice[gFeed.choice] : nullptr;
}

void PresetShownSlot() {
    const FeedSkill* s = CurrentChoice();
    gFeed.skillSlot = PresetSkillSlot(s ? s->element : -1);
}

void ResetListCursor() {
    gFeed.cursor = ListState{};
    FitListWindow(&gFeed.cursor, int(gFeed.list.size()), kFeedRows);
}

void ClampListCursor() { FitListWindow(&gFeed.cursor, int(gFeed.list.size()), kFeedRows); }

// After a feeding: the list again (the cursor kept where it can be) and the
// spirit's skills as they are now.
void RefreshAfterFeeding() {
    const ListState kept = gFeed.cursor;
    BuildFeedList(gFeed.category);
    gFeed.cursor = kept;
    ClampListCursor();
    gFeed.choice = 0;
    LoadSpiritSkills();
    SetFeedPreview();
    PresetShownSlot();
    gFeed.state = kFeedChoosing;
}

void Feed(int32_t skill) {
    const FeedEntry* e = FeedCursorEntry();
    const int32_t from = gFeed.state;
    const int result = e ? FeedSpirit(e->id, skill) : 0;
    if (result == 1) {
        RefreshAfterFeeding();
        return;
    }
    gFeed.refusedFrom = from;
    gFeed.state = kFeedTooFull;
}

void ChangeCategory(int to) {
    to = std::clamp(to, 0, kFeedCategories - 1);
    if (to == gFeed.category) return;
    gFeed.category = to;
    BuildFeedList(to);
    MenuSfx(kMenuSfxMove);
}

void MoveInList(void (*move)(ListState*)) {
    move(&gFeed.cursor);
    gFeed.choice = 0;
    SetFeedPreview();
    PresetShownSlot();
}

void MoveChoice(int to) {
    const FeedEntry* e = FeedCursorEntry();
    if (!e) return;
    gFeed.choice = std::clamp(to, 0, LastChoice(*e));
    PresetShownSlot();
}

// The vertical and horizontal keys: direction +1 down/right, -1 up/left.
void Key(int direction, bool page, bool sideways) {
    if (!HaveSpirit()) return;
    switch (gFeed.state) {
    case kFeedChoosing:
        if (sideways) ChangeCategory(gFeed.category + direction);
        else if (page)
            MoveInList(direction > 0 ? [](ListState* s) { ListPageDown(s, kFeedRows); }
                                     : [](ListState* s) { ListPageUp(s, kFeedRows); });
        else MoveInList(direction > 0 ? ListCursorDown : ListCursorUp);
        break;
    case kFeedChoice:
        if (page) MoveChoice(direction > 0 ? kFeedChoices : 0);
        else MoveChoice(gFeed.choice + direction);
        break;
    case kFeedSlot: {
        const FeedSkill* s = CurrentChoice();
        const bool unbound = s && s->element == kFeedUnboundElement;
        gFeed.skillSlot = unbound ? 2 : (direction > 0 ? 1 : 0);
        break;
    }
    default: break;
    }
}

} // namespace

bool HaveSpirit() { return gSpiritSlot != 0; }

int PresetSkillSlot(int element) { return element == kFeedUnboundElement ? 2 : 0; }

int ForbiddenFeedElement() {
    return gSpiritSlot >= 1 && gSpiritSlot <= uint32_t(kSpiritSlots) ? kForbiddenElement[gSpiritSlot - 1] : -1;
}

FeedEntry* FeedCursorEntry() {
    const size_t at = size_t(gFeed.cursor.top + gFeed.cursor.cursor);
    return gFeed.cursor.shown > 0 && at < gFeed.list.size() ? &gFeed.list[at] : nullptr;
}

void BuildFeedList(int category) {
    FreeFeedList();
    const int type = kFeedCategoryType[std::clamp(category, 0, kFeedCategories - 1)];
    for (const ItemRecord* n = gInventory; n && gFeed.list.size() < size_t(kFeedEntriesMax); n = n->next) {
        if (n->id == kPlaceholderItem || n->obj.kind != type) continue;
        FeedEntry e;
        e.id = n->id;
        e.type = n->obj.kind;
        e.level = n->obj.word88;
        e.count = std::max(0, n->count + n->newCount);
        e.name = n->obj.name;
        e.itemName = ItemName(n);
        if (n->obj.description) e.description = n->obj.description;
        FillChoices(n->obj, &e);
        gFeed.list.push_back(std::move(e));
    }
    ResetListCursor();
    gFeed.choice = 0;
    SetFeedPreview();
    PresetShownSlot();
}

void FreeFeedList() {
    gFeed.list.clear();
    ResetListCursor();
}

bool ApplyFeedGrowth(int level, int type) {
    int32_t& fullness = SpiritField(kFullness);
    if (fullness >= FeedFullnessLimit()) return false;
    int gain = 0;
    for (const TypeGain& g : kFullnessGain)
        if (g.type == type) gain = g.fullness;
    fullness = std::min<int64_t>(kFeedFullnessMax, int64_t(fullness) + gain + 2 * int64_t(std::max(0, level)));
    for (const TripleRow& r : kChartChange)
        if (r.type == type) AddSpiritTriple(r.change[0], r.change[1], r.change[2]);
    // Wide sums: a record from the file may hold any value until it is clamped.
    const TypeRow* r = TypeChangeOf(type);
    for (int i = 0; i < 4; ++i) {
        const int64_t sum = int64_t(SpiritField(kTypeNumber0 + i)) + (r ? r->change[i] : 0);
        SpiritField(kTypeNumber0 + i) = int32_t(std::clamp<int64_t>(sum, 0, kTypeNumberMax[i]));
    }
    SpiritField(kDerived) = int32_t(std::min<int64_t>(9999, Random(5) + 5 * int64_t(SpiritField(kTypeNumber0 + 1))));
    return true;
}

void AddSpiritTriple(int a, int b, int c) {
    const int change[3] = {a, b, c};
    for (int i = 0; i < 3; ++i)
        SpiritField(kChart0 + i) = int32_t(std::clamp<int64_t>(int64_t(SpiritField(kChart0 + i)) + change[i], 0, 100));
}

int FeedFullnessLimit() {
    const int32_t at = SpiritField(kStagePosition);
    return at >= SpiritField(kStageFirstEnd) && int64_t(at) <= int64_t(SpiritField(kStageSecondEnd)) - 1 ? 200 : 100;
}

int FeedSpirit(uint16_t itemId, int32_t skill) {
    auto it = std::find_if(gFeed.list.begin(), gFeed.list.end(), [&](const FeedEntry& e) { return e.id == itemId; });
    if (it == gFeed.list.end()) return 0;
    if (!ApplyFeedGrowth(it->level, it->type)) return -1;
    if (skill > 0) SetSpiritWord(&gSpirit, std::clamp(gFeed.skillSlot, 0, 2), skill);
    if (!AddItem(&gInventory, itemId, -1, kAddNew)) gFeed.list.erase(it);
    else it->count = std::max(0, it->count - 1);
    ClampListCursor();
    return 1;
}

void LoadSpiritSkills() {
    for (int i = 0; i < kFeedSkillSlots; ++i) gFeed.spiritSkill[i] = SkillOf(GetSpiritWord(gSpirit, i));
}

void FreeSpiritSkills() {
    for (FeedSkill& s : gFeed.spiritSkill) s = FeedSkill{};
}

void SetFeedPreview() {
    std::fill(std::begin(gFeed.preview), std::end(gFeed.preview), 0);
    const FeedEntry* e = FeedCursorEntry();
    if (const TypeRow* r = e ? TypeChangeOf(e->type) : nullptr) std::copy(r->change, r->change + 4, gFeed.preview);
}

void FeedEnter() {
    ResetFeedPage();
    if (!HaveSpirit()) return;
    gFeed.open = true;
    LoadSpiritSkills();
    BuildFeedList(0);
}

void FeedLeave() { ResetFeedPage(); }

void FeedCancel() {
    // Without a spirit the cancel still leaves: the page must never hold a
    // keyboard player.
    switch (HaveSpirit() ? gFeed.state : kFeedChoosing) {
    case kFeedChoosing:
        --gMenu.depth;
        FeedLeave();
        if (gMenu.depth < kDepthRoot) gMenuRequest = 0;
        SetMenuHandlers(gMenu.depth);
        break;
    case kFeedTooFull: gFeed.state = gFeed.refusedFrom == kFeedSlot ? kFeedSlot : kFeedChoice; break;
    case kFeedWrongElement: gFeed.state = kFeedChoosing; break;
    default: --gFeed.state; break;
    }
}

void FeedConfirm() {
    if (!HaveSpirit()) return;
    switch (gFeed.state) {
    case kFeedChoosing:
        if (!FeedCursorEntry()) return;
        gFeed.state = kFeedChoice;
        gFeed.choice = 0;
        PresetShownSlot();
        break;
    case kFeedChoice: {
        const FeedSkill* s = CurrentChoice();
        if (!s || s->id == 0) return;
        if (s->id == kFeedDirect) {
            Feed(0);
        } else if (s->element >= 0 && s->element == ForbiddenFeedElement()) {
            gFeed.state = kFeedWrongElement;
        } else {
            gFeed.state = kFeedSlot;
            gFeed.skillSlot = PresetSkillSlot(s->element);
        }
        break;
    }
    case kFeedSlot: {
        const FeedSkill* s = CurrentChoice();
        Feed(s && s->id > 0 ? s->id : 0);
        break;
    }
    case kFeedTooFull:
    case kFeedWrongElement: gFeed.state = kFeedChoosing; break;
    default: break;
    }
}

// Key 2 has nothing to do on this page.
void FeedKey2() {}
void FeedDown() { Key(+1, false, false); }
void FeedUp() { Key(-1, false, false); }
void FeedPageDown() { Key(+1, true, false); }
void FeedPageUp() { Key(-1, true, false); }
void FeedLeft() {
    if (gFeed.state == kFeedChoice || gFeed.state == kFeedSlot) Key(-1, false, false);
    else Key(-1, false, true);
}
void FeedRight() {
    if (gFeed.state == kFeedChoice || gFeed.state == kFeedSlot) Key(+1, false, false);
    else Key(+1, false, true);
}

void FeedFrame() {
    const uint32_t buttons = gMenu.mouseButtons;
    if (buttons & kMouseRightClick) FeedCancel();
    else if ((buttons & kMouseLeftClick) && gKeyInput.mouseX >= kFeedAreaLeft && gKeyInput.mouseY >= kFeedAreaTop)
        FeedConfirm();
}

void RegisterFeedPage() {
    MenuPage page{};
    page.firstId = 54;
    page.lastId = 58;
    page.enter = FeedEnter;
    page.leave = FeedLeave;
    page.draw = DrawFeedPage;
    page.slots.frame = FeedFrame;
    page.slots.cancel = FeedCancel;
    page.slots.key2 = FeedKey2;
    page.slots.down = FeedDown;
    page.slots.up = FeedUp;
    page.slots.pageDown = FeedPageDown;
    page.slots.pageUp = FeedPageUp;
    page.slots.left = FeedLeft;
    page.slots.right = FeedRight;
    page.slots.confirm = FeedConfirm;
    page.slots.draw = DrawFeedPage;
    RegisterMenuPage(kPageFeed, page);
}

void ResetFeedPage() {
    gFeed = FeedPage{};
    gFeed.state = kFeedChoosing;
}
