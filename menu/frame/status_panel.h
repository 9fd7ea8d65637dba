// The party status panel at the left of the menus: the member tabs, the
// gauges, the party list (mode 1), one member's stats (mode 2) and the
// talisman spirit (mode 3); and the icon bar's cursor above the pages.
#pragma once
#include <cstdint>

// What the equipment and feeding pages show beside the panel's values
// while they preview a choice.
struct PanelPreview {
    bool equip;        // the four stat changes of the compared item
    int32_t equipDelta[4];
    bool feed;         // the four spirit changes of the previewed food
    int32_t feedDelta[4];
};
extern PanelPreview gPanelPreview;

void DrawMemberTab();
// Every x is reduced by slide.
void DrawStatusPanel(int32_t slide, int mode);
// The mouse cursor of the kind at the pointer.
void DrawMenuCursor(int kind);

// The level table's experience for the member's next level less the
// member's experience; 0 at the top of the table, when the table cannot be
// read, and when the member already has that much.
uint32_t ExperienceStillNeeded(int member);
// The level table's experience for the member's next level, 0 when none.
uint32_t NextLevelExperience(int member);
// The two bytes of element `index` (0 metal .. 4 earth) of "金木水火土"
// into out (3 bytes with the terminator); an index outside 0..4 gives an
// empty text.
void ElementChar(int index, char out[3]);
