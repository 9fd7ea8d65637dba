// The command panels: what DrawCommandMenu draws for each menu state of the
// commanding member (fMenu, SEL), with the places, colours and list rows of
// every panel. Lists are recounted on every draw; the row under the cursor
// arms the choice (Seld) and remembers its entry (gPanelEntry).
#pragma once
#include <cstdint>

// The icon grid of entries 1..9 and its open sub-menus.
void DrawCommandIcons(int32_t x, int32_t y, int selected);
// The magic list's three tabs (the item list draws four, wider).
void DrawListTabs(int32_t x, int32_t y);
void DrawMagicPanel(int32_t x, int32_t y, int row, int top);
void DrawItemPanel(int32_t x, int32_t y, int row, int top);
void DrawThrowPanel(int32_t x, int32_t y, int row, int top);
void DrawItemColumnsPanel(int32_t x, int32_t y, int row, int top, uint32_t category, const char* title);
void DrawTalismanPanel(int32_t x, int32_t y, int cell, int top);
void DrawSkillPanel(int32_t x, int32_t y, int row);
void DrawGuardianPlacePanel(int32_t x, int32_t y);
void DrawGuardianFusePanel(int32_t x, int32_t y);
void DrawTargetLifePanel(int32_t x, int32_t y);
void DrawGuardianCommandPanel(int32_t x, int32_t y, int row);

// The panels' own act record and the command-input stand-ins back to their
// start (the battle reset).
void ResetCommandPanels();
