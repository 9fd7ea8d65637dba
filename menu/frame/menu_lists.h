// The menus' list cursor, the item-name look-up and the two map tables of
// the maps.dat image that the menus use for travel (exit groups, travel
// entries). Every walk is bounded by the list or the image it walks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// ItemName, ItemNameOfId, MapsImageText and ReadQText live with the world
// (the battle names items too).
#include "world/item_names.h"

struct ItemRecord;

// A list shown in a window of rows: total count, the first shown row, the
// cursor's row within the window and how many rows are shown.
struct ListState {
    int total;
    int top;
    int cursor;
    int shown;
};

void ListCursorDown(ListState* s);
void ListCursorClamp(ListState* s);
void ListCursorUp(ListState* s);
void ListPageDown(ListState* s, int page);
void ListPageUp(ListState* s, int page);
// Rows from node to the end of its list, at most max.
int ListCountShown(const ItemRecord* node, int max);
// Counts the list (an empty list gets the placeholder "無"), holds top and
// cursor inside it, sets shown (at most max) and returns the node at the
// top; gItemNameBuf gets the name of the node under the cursor.
ItemRecord* ListRefresh(ListState* s, int max, ItemRecord** list);

template <typename Node>
int ListCount(const Node* node) {
    int n = 0;
    for (; node; node = node->next) ++n;
    return n;
}
// The n-th node (0 first), or null past the end.
template <typename Node>
Node* ListNthNode(Node* node, int n) {
    for (; node && n > 0; --n) node = node->next;
    return n == 0 ? node : nullptr;
}
ItemRecord* ListNth(ItemRecord* list, int n);

// Record text `record` of the menu-text table (table 17).
bool MenuText(uint16_t record, std::string* text);

// Exit groups (table 22): the head map and its point.
struct ExitGroup {
    uint16_t map, x, y;
};
// The first group whose list holds the map; false when none does.
bool FindExitGroup(uint32_t map, ExitGroup* out);

// Travel entries (table 23) the player may use.
struct TravelEntry {
    uint16_t map, x, y;
    std::string name;
};
constexpr size_t kTravelMax = 512;
extern std::vector<TravelEntry> gTravelList;
// Rebuilds gTravelList: every entry with a map m in its list whose story
// flag 5000 + m is set, at most kTravelMax of them.
void BuildTravelList();
// Sends the party to the map's point: the screen goes black, the map loads
// with the player's act, the screen shake stops.
void TravelTo(uint16_t map, uint16_t x, uint16_t y);

void ResetMenuLists();
