// The cheat dialog's model: ten tabs over the party's bag, each member's
// magic and attributes and the talk variables, the rows of the current tab,
// the selection, the three digit fields and the five buttons. The dialog
// window (world/debug/cheat_dialog.h) draws this state and feeds it the
// player's clicks and keys; everything the buttons change happens here.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum CheatTab : int {
    kCheatTabItems = 0,
    kCheatTabMagic = 1,   // 1..4: member 0..3's magic list
    kCheatTabStats = 5,   // 5..8: member 0..3's attributes
    kCheatTabVars = 9,    // the talk variables
    kCheatTabs = 10,
};

enum CheatButton : int {
    kCheatFill = 0,    // "full": the selected item's count to the most
    kCheatDelete = 1,
    kCheatAdd = 2,
    kCheatModify = 3,
    kCheatClose = 4,
    kCheatButtons = 5,
};

enum CheatField : int {
    kCheatFieldNumber = 0,  // at most 4 digits
    kCheatFieldCount = 1,   // at most 8 digits
    kCheatFieldExtra = 2,   // at most 4 digits
    kCheatFields = 3,
};
extern const int kCheatFieldDigits[kCheatFields];

constexpr int kCheatColumns = 4;
constexpr int kCheatNoRow = -1;

// Rows of an attribute tab, in order.
enum CheatStatRow : int {
    kStatRowLevel = 0,
    kStatRowLife, kStatRowSpirit, kStatRowStamina,
    kStatRowWord0,                       // the eight stat words follow
    kStatRowExperience = kStatRowWord0 + 8,
    kStatRowBonus0, kStatRowBonus1,      // "Cmpy1", "Cmpy2"
    kStatRowTalisman,                    // the spirit carried (talk variable 2)
    kStatRows,
};

struct CheatRow {
    std::string cell[kCheatColumns];
};

struct CheatModel {
    int tab = kCheatTabItems;
    int selected = kCheatNoRow;   // the selected row, or none
    int top = 0;                  // the first row shown
    std::vector<CheatRow> rows;
    std::string heading[kCheatColumns];
    std::string field[kCheatFields];
    int result = 0;               // 0 while open; 1 closed with the close button or Esc
};
extern CheatModel gCheat;

// The dialog opens on the bag with empty fields.
void CheatInitDialog();
// Another tab: its columns and rows; the selection is cleared.
void CheatSelectTab(int tab);
// The tab's label ("%s" tabs take the member's name from the name table).
std::string CheatTabLabel(int tab);
// The fill, delete and add buttons and the extra field act on the bag and
// magic tabs only; modify and close act everywhere.
bool CheatButtonEnabled(int button);
bool CheatFieldEnabled(int field);
void CheatPressButton(int button);
// A row index outside the rows selects nothing.
void CheatSelectRow(int row);
// Keeps the selection in view for a list of `visible` rows.
void CheatScrollTo(int row, int visible);
void CheatScroll(int delta, int visible);
// Digits only, up to the field's length.
void CheatTypeDigit(int field, char digit);
void CheatErase(int field);

// The columns and rows of the current tab.
void FillItemColumns();
void FillCheatList();
// "%d/%d" of a current value and its maximum.
std::string ShowValuePair(int current, int maximum);

// Writes a member's stat by the stat numbering of GetMemberStat: 0..13 the
// record's sixteen-bit words (the gauges, their maxima, the eight stat
// words), 14 the next-level experience, 15 the experience, 16 the level
// (0..99; the next-level experience then comes from the level table when it
// has the row). Values are kept to the field's range. 1 when written.
int ApplyCheatEdits(int stat, int32_t value, int member);

// Closed and emptied (tests, and each opening).
void ResetCheatModel();
