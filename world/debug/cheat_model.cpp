#include "world/debug/cheat_model.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/errorbox.h"
#include "base/nick_names.h"
#include "base/str_to_num.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/role/role_def.h"
#include "world/role/role_record.h"
#include "world/talk_state.h"

CheatModel gCheat;
const int kCheatFieldDigits[kCheatFields] = {4, 8, 4};

namespace {

// Texts of the dialog, Big5.
constexpr char kTabItems[] = "\xAA\xAB\xAB\x7E";               // "items"
constexpr char kTabMagic[] = "%s\xAA\x6B\xB3\x4E";             // "%s magic"
constexpr char kTabStats[] = "%s\xC4\xDD\xA9\xCA";             // "%s attributes"
constexpr char kTabVars[] = "\xC5\xDC\xBC\xC6";                // "variables"
constexpr char kHeadNumber[] = "\xB8\xB9\xBD\x58";             // "number"
constexpr char kHeadItem[] = "\xAA\xAB\xAB\x7E";               // "item"
constexpr char kHeadCount[] = "\xBC\xC6\xB6\x71";              // "count"
constexpr char kHeadExtra[] = "\xAA\xFE\xA5\x5B\xAD\xC8";      // "extra value"
constexpr char kHeadEntry[] = "\xB6\xB5\xA5\xD8";              // "entry"
constexpr char kHeadValue[] = "\xBC\xC6\xAD\xC8";              // "value"
constexpr char kCaption[] = "CheatDialog";
constexpr char kAddFailed[] = "\xAA\xAB\xAB\x7E\xB4\xA1\xA4\x4A\xB5\x6F\xA5\xCD\xBF\xF9\xBB\x7E";     // "adding the item failed"
constexpr char kDeleteFailed[] = "\xAA\xAB\xAB\x7E\xA7\x52\xB0\xA3\xB5\x6F\xA5\xCD\xBF\xF9\xBB\x7E";  // "deleting the item failed"

// Labels of the attribute rows.
const char* const kStatRowLabel[kStatRows] = {
    "\xB5\xA5\xAF\xC5",  // level
    "\xA5\xCD\xA9\x52",  // life
    "\xBA\xEB\xAF\xAB",  // spirit
    "\xC5\xE9\xA4\x4F",  // stamina
    "\xA4\x4F\xB6\x71",  // strength
    "\xAD\x40\xA4\x4F",  // endurance
    "\xB4\xBC\xBC\x7A",  // wisdom
    "\xB1\xD3\xB1\xB6",  // agility
    "\xB8\xCB\xB3\xC6",  // equipment
    "\xC4\xDD\xA9\xCA" "6", "\xC4\xDD\xA9\xCA" "7", "\xC4\xDD\xA9\xCA" "8",  // attributes 6..8
    "\xB8\x67\xC5\xE7",  // experience
    "Cmpy1", "Cmpy2",
    "\xB2\xC5\xB0\xAD",  // talisman spirit
};

// Stat numbers (GetMemberStat) of the gauge rows: the current value and its maximum.
constexpr int kGaugeStat[3][2] = {{0, 3}, {1, 4}, {2, 5}};
constexpr int kStatLevel = 16, kStatExperience = 15, kStatNext = 14, kStatWord0 = 6;
constexpr int kSpiritSlots = 5;
constexpr int kTalkVarSpirit = 2;

bool IsListTab(int tab) { return tab >= kCheatTabItems && tab < kCheatTabStats; }
int MemberOf(int tab) { return tab >= kCheatTabStats ? tab - kCheatTabStats : tab - kCheatTabMagic; }

ItemRecord** ListOf(int tab) {
    if (tab == kCheatTabItems) return &gInventory;
    if (tab >= kCheatTabMagic && tab < kCheatTabStats) return &gMagicLists[MemberOf(tab)];
    return nullptr;
}

std::string Number(long long v) { return std::to_string(v); }

// The member's name: the family part, then the given part of the name table.
std::string MemberName(int member) {
    std::string name = NickName(member, 0);
    name += NickName(member, 1);
    return name;
}

int32_t FieldValue(int field) {
    int32_t v = 0;
    return StrToNum(gCheat.field[field].c_str(), &v) ? v : 0;
}

ItemRecord* SelectedNode() {
    ItemRecord** list = ListOf(gCheat.tab);
    if (!list || gCheat.selected < 0) return nullptr;
    return GetItemByIndex(*list, gCheat.selected);
}

// The companion in party-line slot n, as its GUID; empty when none.
std::string CompanionCell(int slot) {
    const uint32_t role = gPartyLine[slot];
    if (role == kPartyLineEmpty || role >= kMaxRoles) return std::string();
    return Number(gRole[role].guid);
}

void FillItemRows(ItemRecord* list) {
    for (ItemRecord* n = list; n; n = n->next) {
        CheatRow row;
        row.cell[0] = Number(n->id);
        row.cell[1] = std::string(n->obj.name, strnlen(n->obj.name, sizeof n->obj.name));
        row.cell[2] = n->newCount ? ShowValuePair(n->count, n->newCount) : Number(n->count);
        row.cell[3] = Number(n->spare);
        gCheat.rows.push_back(row);
    }
}

std::string StatRowValue(int member, int r) {
    if (r == kStatRowLevel) return Number(GetMemberStat(kStatLevel, member));
    if (r >= kStatRowLife && r <= kStatRowStamina) {
        const int* s = kGaugeStat[r - kStatRowLife];
        return ShowValuePair(GetMemberStat(s[0], member), GetMemberStat(s[1], member));
    }
    if (r >= kStatRowWord0 && r < kStatRowExperience) return Number(GetMemberStat(kStatWord0 + r - kStatRowWord0, member));
    if (r == kStatRowExperience)
        return ShowValuePair(GetMemberStat(kStatExperience, member), GetMemberStat(kStatNext, member));
    if (r == kStatRowBonus0 || r == kStatRowBonus1) return CompanionCell(r - kStatRowBonus0 + 1);
    return Number(gTalkVar[kTalkVarSpirit]);
}

void FillStatRows(int member) {
    for (int r = 0; r < kStatRows; ++r) {
        CheatRow row;
        row.cell[0] = Number(r);
        row.cell[1] = kStatRowLabel[r];
        row.cell[2] = StatRowValue(member, r);
        gCheat.rows.push_back(row);
    }
}

void FillVarRows() {
    for (int v = 0; v < kTalkVarCount; ++v) {
        CheatRow row;
        row.cell[0] = Number(v);
        row.cell[2] = Number(gTalkVar[v]);
        gCheat.rows.push_back(row);
    }
}

void Refill() {
    const int selected = gCheat.selected;
    FillCheatList();
    gCheat.selected = selected < int(gCheat.rows.size()) ? selected : kCheatNoRow;
}

void AddEntry() {
    const int32_t id = FieldValue(kCheatFieldNumber), count = FieldValue(kCheatFieldCount);
    const int32_t extra = FieldValue(kCheatFieldExtra);
    ItemRecord* node = nullptr;
    if (gCheat.tab == kCheatTabItems) {
        if (id > 0 && id <= 0xFFFF) node = AddItem(&gInventory, uint16_t(id), count, kAddCount);
    } else {
        // A magic list keeps its order: the new magic goes to the end, the
        // first magic stays first.
        const int member = MemberOf(gCheat.tab);
        if (id > 0 && id != kMagicNone && AddMagic(member, uint32_t(id))) {
            for (node = gMagicLists[member]; node && node->next;) node = node->next;
            if (node) node->count = int16_t(std::clamp(count, 0, int32_t(kItemCountMax)));
        }
    }
    if (!node) {
        ErrorBox(kCaption, "%s", kAddFailed);
        return;
    }
    node->spare = uint16_t(std::clamp(extra, 0, 0xFFFF));
    Refill();
}

void DeleteEntry() {
    ItemRecord* node = SelectedNode();
    ItemRecord* gone = node ? UnlinkItemById(ListOf(gCheat.tab), node->id) : nullptr;
    if (!gone) {
        ErrorBox(kCaption, "%s", kDeleteFailed);
        return;
    }
    FreeItemNode(gone);
    Refill();
}

void FillEntry() {
    ItemRecord* node = SelectedNode();
    if (!node) return;
    node->count = kItemCountMax;
    node->newCount = 0;
    Refill();
}

void ModifyStatRow(int member, int32_t value) {
    const int r = gCheat.selected;
    if (r == kStatRowLevel) {
        ApplyCheatEdits(kStatLevel, value, member);
    } else if (r >= kStatRowLife && r <= kStatRowStamina) {
        // The typed value is the current one; a maximum below it is raised.
        const int* s = kGaugeStat[r - kStatRowLife];
        if (value > GetMemberStat(s[1], member)) ApplyCheatEdits(s[1], value, member);
        ApplyCheatEdits(s[0], value, member);
    } else if (r >= kStatRowWord0 && r < kStatRowExperience) {
        ApplyCheatEdits(kStatWord0 + r - kStatRowWord0, value, member);
    } else if (r == kStatRowExperience) {
        ApplyCheatEdits(kStatExperience, value, member);
    } else if (r == kStatRowTalisman) {
        if (value >= 0 && value <= kSpiritSlots) gTalkVar[kTalkVarSpirit] = uint32_t(value);
    }
    // The companion rows show the party line; they are not typed into.
}

void ModifyEntry() {
    if (gCheat.selected < 0 || gCheat.selected >= int(gCheat.rows.size())) return;
    const int32_t count = FieldValue(kCheatFieldCount);
    if (IsListTab(gCheat.tab)) {
        ItemRecord* node = SelectedNode();
        if (!node) return;
        node->count = int16_t(std::clamp(count, 0, int32_t(kItemCountMax)));
        node->spare = uint16_t(std::clamp(FieldValue(kCheatFieldExtra), 0, 0xFFFF));
    } else if (gCheat.tab == kCheatTabVars) {
        gTalkVar[gCheat.selected] = uint32_t(count);
    } else {
        ModifyStatRow(MemberOf(gCheat.tab), count);
    }
    Refill();
}

} // namespace

std::string ShowValuePair(int current, int maximum) { return Number(current) + "/" + Number(maximum); }

std::string CheatTabLabel(int tab) {
    char text[64];
    if (tab == kCheatTabItems) return kTabItems;
    if (tab == kCheatTabVars) return kTabVars;
    if (tab < 0 || tab >= kCheatTabs) return std::string();
    std::snprintf(text, sizeof text, tab < kCheatTabStats ? kTabMagic : kTabStats, MemberName(MemberOf(tab)).c_str());
    return text;
}

void FillItemColumns() {
    if (IsListTab(gCheat.tab)) {
        const char* heads[kCheatColumns] = {kHeadNumber, kHeadItem, kHeadCount, kHeadExtra};
        for (int c = 0; c < kCheatColumns; ++c) gCheat.heading[c] = heads[c];
    } else {
        const char* heads[kCheatColumns] = {kHeadNumber, kHeadEntry, kHeadValue, ""};
        for (int c = 0; c < kCheatColumns; ++c) gCheat.heading[c] = heads[c];
    }
}

void FillCheatList() {
    gCheat.rows.clear();
    gCheat.selected = kCheatNoRow;
    if (ItemRecord** list = ListOf(gCheat.tab)) {
        FillItemRows(*list);
    } else if (gCheat.tab == kCheatTabVars) {
        FillVarRows();
    } else {
        FillStatRows(MemberOf(gCheat.tab));
    }
    gCheat.top = std::clamp(gCheat.top, 0, std::max(0, int(gCheat.rows.size()) - 1));
}

void CheatInitDialog() {
    ResetCheatModel();
    CheatSelectTab(kCheatTabItems);
}

void CheatSelectTab(int tab) {
    if (tab < 0 || tab >= kCheatTabs) return;
    gCheat.tab = tab;
    gCheat.top = 0;
    FillItemColumns();
    FillCheatList();
}

bool CheatButtonEnabled(int button) {
    if (button == kCheatModify || button == kCheatClose) return true;
    return button >= 0 && button < kCheatButtons && IsListTab(gCheat.tab);
}

bool CheatFieldEnabled(int field) {
    if (field == kCheatFieldExtra) return IsListTab(gCheat.tab);
    return field >= 0 && field < kCheatFields;
}

void CheatPressButton(int button) {
    if (!CheatButtonEnabled(button)) return;
    switch (button) {
    case kCheatFill:
        if (gCheat.tab == kCheatTabItems) FillEntry();
        break;
    case kCheatDelete: DeleteEntry(); break;
    case kCheatAdd: AddEntry(); break;
    case kCheatModify: ModifyEntry(); break;
    case kCheatClose: gCheat.result = 1; break;
    default: break;
    }
}

void CheatSelectRow(int row) { gCheat.selected = row >= 0 && row < int(gCheat.rows.size()) ? row : kCheatNoRow; }

void CheatScrollTo(int row, int visible) {
    if (row < 0 || visible < 1) return;
    if (row < gCheat.top) gCheat.top = row;
    if (row >= gCheat.top + visible) gCheat.top = row - visible + 1;
}

void CheatScroll(int delta, int visible) {
    const int last = std::max(0, int(gCheat.rows.size()) - std::max(visible, 1));
    gCheat.top = std::clamp(gCheat.top + delta, 0, last);
}

void CheatTypeDigit(int field, char digit) {
    if (!CheatFieldEnabled(field) || digit < '0' || digit > '9') return;
    std::string& f = gCheat.field[field];
    if (int(f.size()) < kCheatFieldDigits[field]) f += digit;
}

void CheatErase(int field) {
    if (field >= 0 && field < kCheatFields && !gCheat.field[field].empty()) gCheat.field[field].pop_back();
}

int ApplyCheatEdits(int stat, int32_t value, int member) {
    if (member < 0 || member >= kPartyMembers || stat < 0 || stat > kStatLevel) return 0;
    MemberStats& m = gMemberStats[member];
    if (stat < 3) {
        m.gauge[stat] = int16_t(std::clamp(value, 0, int32_t(m.gaugeMax[stat])));
    } else if (stat < 6) {
        m.gaugeMax[stat - 3] = int16_t(std::clamp(value, 0, 32767));
    } else if (stat < 14) {
        m.stat[stat - 6] = uint16_t(std::clamp(value, 0, 65535));
    } else if (stat == kStatNext) {
        m.nextExperience = uint32_t(std::max(value, 0));
    } else if (stat == kStatExperience) {
        m.experience = uint32_t(std::max(value, 0));
    } else {
        // The level table has rows 0..99 for each member: a higher level
        // would read the next member's rows.
        m.level = uint8_t(std::clamp(value, 0, kMaxLevel));
        uint32_t next = 0;
        if (m.level < kMaxLevel && ReadLevelStats(member + 1, m.level + 1, &next)) m.nextExperience = next;
    }
    return 1;
}

void ResetCheatModel() { gCheat = CheatModel{}; }
