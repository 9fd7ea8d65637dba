#include "menu/frame/menu_lists.h"

#include <algorithm>
#include <cstring>

#include "base/bytes.h"
#include "world/game_buffers.h"
#include "world/maps_image.h"
#include "world/party/item_list.h"
#include "world/story_flags.h"

std::vector<TravelEntry> gTravelList;

namespace {
constexpr uint16_t kListEnd = 0xFFFF;
constexpr int kVisitedFlag = 5000;

// A list of u16 map numbers ended by 0xFFFF; false when the end is missing.
bool ReadMapList(ByteReader& r, std::vector<uint16_t>* maps) {
    maps->clear();
    for (;;) {
        const uint16_t m = r.u16();
        if (!r.ok()) return false;
        if (m == kListEnd) return true;
        maps->push_back(m);
    }
}

void Clamp(ListState* s) {
    s->top = std::clamp(s->top, 0, std::max(0, s->total - 1));
    s->cursor = std::clamp(s->cursor, 0, std::max(0, s->shown - 1));
}
} // namespace

void ListCursorClamp(ListState* s) {
    if (s->cursor >= s->shown) {
        s->cursor = std::max(0, s->shown - 1);
        if (s->top + s->shown < s->total) ++s->top;
    }
}

void ListCursorDown(ListState* s) {
    ++s->cursor;
    ListCursorClamp(s);
}

void ListCursorUp(ListState* s) {
    if (--s->cursor < 0) {
        s->cursor = 0;
        if (s->top > 0) --s->top;
    }
}

void ListPageDown(ListState* s, int page) {
    if (s->cursor != s->shown - 1) {
        s->cursor = std::max(0, s->shown - 1);
        return;
    }
    s->top = std::max(0, std::min(s->top + page, s->total - page));
    s->shown = std::max(0, std::min(page, s->total - s->top));
    s->cursor = std::max(0, s->shown - 1);
}

void ListPageUp(ListState* s, int page) {
    if (s->cursor != 0) {
        s->cursor = 0;
        return;
    }
    s->top = std::max(0, s->top - page);
}

ItemRecord* ListNth(ItemRecord* list, int n) { return ListNthNode(list, n); }

int ListCountShown(const ItemRecord* node, int max) {
    int n = 0;
    for (; node && n < max; node = node->next) ++n;
    return n;
}

ItemRecord* ListRefresh(ListState* s, int max, ItemRecord** list) {
    s->total = ListCount(*list);
    if (s->total == 0) {
        AddItem(list, kPlaceholderItem, 1, kAddCount);
        s->total = ListCount(*list);
    }
    s->top = std::clamp(s->top, 0, std::max(0, s->total - 1));
    ItemRecord* top = ListNthNode(*list, s->top);
    s->shown = ListCountShown(top, max);
    Clamp(s);
    ItemName(ListNthNode(top, s->cursor));
    return top;
}

bool MenuText(uint16_t record, std::string* text) {
    ByteReader table = MapsTable(kTableMenuTexts);
    if (!table.skip(size_t(record) * 4)) return false;
    const uint32_t offset = table.u32();
    return table.ok() && MapsImageText(offset, text);
}

bool FindExitGroup(uint32_t map, ExitGroup* out) {
    ByteReader r = MapsTable(kTableExitGroups);
    std::vector<uint16_t> maps;
    for (;;) {
        ExitGroup g{r.u16(), 0, 0};
        if (!r.ok() || g.map == kListEnd) return false;
        g.x = r.u16();
        g.y = r.u16();
        if (!ReadMapList(r, &maps)) return false;
        if (std::find(maps.begin(), maps.end(), map) != maps.end()) {
            if (out) *out = g;
            return true;
        }
    }
}

void BuildTravelList() {
    gTravelList.clear();
    ByteReader r = MapsTable(kTableTravel);
    std::vector<uint16_t> maps;
    while (gTravelList.size() < kTravelMax) {
        if (!r.has(2) || (r.data()[r.tell()] == 0xFF && r.data()[r.tell() + 1] == 0xFF)) return;
        TravelEntry e;
        if (!ReadQText(r, &e.name)) return;
        e.map = r.u16();
        e.x = r.u16();
        e.y = r.u16();
        if (!ReadMapList(r, &maps)) return;
        for (uint16_t m : maps)
            if (IsFlag(kVisitedFlag + m)) {
                gTravelList.push_back(std::move(e));
                break;
            }
    }
}

void ResetMenuLists() {
    gItemNameBuf[0] = 0;
    gTravelList.clear();
}
