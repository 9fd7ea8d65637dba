// The cursor steps of the command menus: entries, pages, columns and tabs,
// targets, the back operation and the member switching.
//
// Every search here is bounded by the number of places it may visit: a list
// or ring with nothing to offer leaves the cursor where it stands.
#include <algorithm>

#include "base/input.h"
#include "battle/battle_frame.h"
#include "battle/battle_start.h"
#include "battle/battle_state.h"
#include "battle/input/battle_input.h"
#include "battle/input/input_common.h"
#include "battle/input/input_state.h"
#include "battle/input/menu_choice.h"
#include "battle/role/roles.h"
#include "battle/action/action_state.h"
#include "battle/turn/attack_order.h"
#include "world/walk/key_state.h"

namespace {

// The party's screen order of the target cursor.
constexpr int kPartyScreenOrder[4] = {2, 1, 0, 3};
// The ring of the member-cycling keys.
constexpr int kMemberRing[4] = {10, 9, 8, 11};

void Moved() {
    MenuSound(kSfxMenuStep);
    Seld = 1;
}

int Wrap(int v, int lo, int hi) {
    if (v < lo) return hi;
    if (v > hi) return lo;
    return v;
}

// The highest first row of a list: 0 when it has no more than 7 entries.
int MaxTop(int count) { return std::max(0, count - kListRows); }

// One row up or down: the cursor within 1..7, the list scrolling by one past
// the ends.
void StepListRow(int32_t& cursor, int32_t& top, int count, int d) {
    cursor += d;
    if (cursor < 1) {
        cursor = 1;
        --top;
    } else if (cursor > kListRows) {
        cursor = kListRows;
        ++top;
    }
    top = std::clamp(top, 0, MaxTop(count));
}

void RememberItemTab() {
    if (gItemTab < 0 || gItemTab > 3) return;
    gItemTabCursor[gItemTab] = gListCursor;
    gItemTabTop[gItemTab] = gListTop;
}

// The icon grid, one row up (d -1) or down (d 1), skipping empty extras.
void StepIconRow(int d) {
    int e = si;
    if (d < 0) {
        e = e - 3;
        if (e < 1) e += 9;
    } else {
        e = e + 3;
        if (e > 9) e -= 9;
    }
    // At most two more rows: entries 1..5 always exist, so a third step
    // would land back where the walk began.
    for (int tries = 0; tries < 2 && !IconEntryExists(e); ++tries) {
        e += 3 * d;
        if (e < 1) e += 9;
        if (e > 9) e -= 9;
    }
    if (IconEntryExists(e) && e != si) {
        si = e;
        Moved();
    }
}

void StepIconColumn(int d) {
    if (gChargingAlly != -1 && SEL == gChargingAlly) {
        si = si == 1 ? 2 : 1;
        Moved();
        return;
    }
    if (si < 1 || si > 9) si = 1;
    const int row = (si - 1) / 3;
    int col = (si - 1) % 3;
    for (int tries = 0; tries < 2; ++tries) {
        col = (col + d + 3) % 3;
        const int e = row * 3 + col + 1;
        if (IconEntryExists(e)) {
            si = e;
            Moved();
            return;
        }
    }
}

bool PartyTargetUnfit(int slot) {
    if (slot < 0 || uint32_t(slot) >= gBattleManCount) return true;
    const ManRole& r = gManRoles[slot];
    return r.IsGuardRole() || r.IsSpiritRole() || r.GetRoleFlagE() || r.IsRoleTargeted();
}

void StepPartyTarget(int d) {
    const int n = int(gBattleManCount);
    if (n <= 0) return;
    if (si == 41) {
        for (int s = n - 2; s >= 0; --s) {
            if (gManRoles[s].IsGuardRole() && !gManRoles[s].IsOut()) {
                MarkPartyTarget(s);
                Moved();
                return;
            }
        }
        return;
    }
    const int members = MembersPresent();
    if (members < 3) {
        int slot = MS - 1;
        for (int tries = 0; tries < n; ++tries) {
            slot += d;
            if (slot < 0) slot = n - 1;
            if (slot >= n) slot = 0;
            if (!PartyTargetUnfit(slot)) {
                MarkPartyTarget(slot);
                Moved();
                return;
            }
        }
        return;
    }
    // The screen order holds only the members present: a position past them
    // would name a slot that is empty or another kind of role.
    const int places = std::min(members, 4);
    int pick = std::clamp(gEnemyPick, 1, places);
    for (int tries = 0; tries < places; ++tries) {
        pick = Wrap(pick + d, 1, places);
        const int slot = kPartyScreenOrder[pick - 1];
        if (!PartyTargetUnfit(slot)) {
            gEnemyPick = pick;
            MarkPartyTarget(slot);
            Moved();
            return;
        }
    }
}

void StepEnemyTarget(int d) {
    const int n = int(std::min<uint32_t>(gBattleMonCount, kMaxMonRoles));
    if (n <= 0) return;
    int pick = std::clamp(gEnemyPick, 1, n);
    for (int tries = 0; tries < n; ++tries) {
        pick = Wrap(pick + d, 1, n);
        const int index = EnemyAtPick(pick);
        if (EnemyStanding(index)) {
            gEnemyPick = pick;
            MarkEnemyTarget(index);
            Moved();
            // The spirit's target: the pointer follows to the enemy's centre.
            int32_t rect[4];
            if (fMenu == kMenuSpiritTarget && gMonRoles[index].LoadWaitFrame(rect))
                gInput.SetMousePos(rect[0] + rect[2] / 2, rect[1] + rect[3] / 2);
            return;
        }
    }
}

void StepTarget(int d) {
    if (gWholeSide != 0) return;
    const int slot = CommandingSlot();
    if (fMenu == kMenuTarget && slot >= 0 && gManCommands[slot].commandSet == 1)
        StepPartyTarget(d);
    else
        StepEnemyTarget(d);
}

void StepEntry(int d) {
    switch (fMenu) {
    case kMenuIcons:
        if (gOrderMenuOpen) {
            gOrderCursor = Wrap(gOrderCursor + d, 1, 8);
            Moved();
        } else if (gCaptureMenuOpen == 1) {
            gCaptureChoice = Wrap(gCaptureChoice + d, 1, 2);
            Moved();
        } else if (gElementMenuOpen || (gChargingAlly != -1 && SEL == gChargingAlly)) {
            // The element row and the charge's two entries step sideways only.
        } else {
            StepIconRow(d);
        }
        return;
    case kMenuMagic:
        StepListRow(gMagicCursor, gMagicTop, gMagicCount, d);
        Moved();
        return;
    case kMenuTarget:
    case kMenuSpiritTarget:
        StepTarget(d);
        return;
    case kMenuItems:
    case kMenuThrow:
    case kMenuFusionList:
    case kMenuCaptureItems:
        StepListRow(gListCursor, gListTop, gListCount, d);
        if (fMenu == kMenuItems) RememberItemTab();
        Moved();
        return;
    case kMenuGuardPlace:
    case kMenuFusion:
        gPlaceChoice = Wrap(gPlaceChoice + d, 1, 2);
        Moved();
        return;
    case kMenuControl:
        gControlCursor = Wrap(gControlCursor + d, 1, std::max(1, gControlRows));
        Moved();
        return;
    case kMenuSkills:
        if (gSkillCount == 0) return;
        gSkillCursor = Wrap(gSkillCursor + d, 1, gSkillCount);
        Moved();
        return;
    case kMenuRefine:
        gListCursor = Wrap(gListCursor + d, 1, kRefineCells);
        Moved();
        return;
    default:
        return;
    }
}

// d -1 page up, 1 page down.
void StepPage(int d) {
    int32_t* cursor = &gListCursor;
    int32_t* top = &gListTop;
    int count = gListCount;
    switch (fMenu) {
    case kMenuMagic:
        if (gMagicCount < kListRows) return;
        cursor = &gMagicCursor;
        top = &gMagicTop;
        count = gMagicCount;
        break;
    case kMenuItems:
    case kMenuThrow:
    case kMenuFusionList:
    case kMenuCaptureItems:
        break;
    default:
        return;
    }
    const bool fromBar = gScrollStep == (d < 0 ? 3 : 4);
    const int edgeRow = d < 0 ? 1 : std::clamp(count, 1, kListRows);
    if (!fromBar && *cursor != edgeRow) {
        *cursor = edgeRow;
    } else {
        *top = std::clamp(*top + d * kListRows, 0, MaxTop(count));
    }
    if (fMenu == kMenuItems) RememberItemTab();
    Moved();
}

void StepSub(int d) {
    switch (fMenu) {
    case kMenuIcons:
        if (gOrderMenuOpen || gCaptureMenuOpen == 1) return;
        if (gElementMenuOpen) {
            gElementChoice = Wrap(gElementChoice + d, 1, 5);
            Moved();
            return;
        }
        StepIconColumn(d);
        return;
    case kMenuMagic:
        gMagicTab = Wrap(gMagicTab + d, 0, 2);
        gMagicCursor = 1;
        gMagicTop = 0;
        Moved();
        return;
    case kMenuItems:
        RememberItemTab();
        gItemTab = Wrap(gItemTab + d, 0, 3);
        gListCursor = std::max(1, gItemTabCursor[gItemTab]);
        gListTop = std::max(0, gItemTabTop[gItemTab]);
        Moved();
        return;
    case kMenuRefine:
        gListCursor = gListCursor > 5 ? gListCursor - 5 : gListCursor + 5;
        gListCursor = std::clamp(gListCursor, 1, kRefineCells);
        Moved();
        return;
    default:
        return;
    }
}

void ClearStoredTarget(int slot) {
    if (slot < 0 || slot >= kMaxManRoles) return;
    StoredCommand& c = gManCommands[slot];
    c.commandSet = 0;
    c.wholeSide = 0;
    c.targetCount = 0;
}

// The member commanding has taken control of an enemy.
bool ControlsEnemy() {
    const int slot = CommandingSlot();
    return slot >= 0 && gController == slot && gControlledEnemy >= 0;
}

}  // namespace

void BattlePrevEntry() { StepEntry(-1); }
void BattleNextEntry() { StepEntry(1); }
void BattlePageUp() { StepPage(-1); }
void BattlePageDown() { StepPage(1); }
void PrevSubEntry() { StepSub(-1); }
void NextSubEntry() { StepSub(1); }

void NextEnemyTarget() {
    const int n = int(std::min<uint32_t>(gBattleMonCount, kMaxMonRoles));
    if (gTargetEnemy < 0 || gTargetEnemy >= n) gTargetEnemy = 0;
    int index = gTargetEnemy;
    if (!EnemyStanding(index)) {
        index = -1;
        int pick = std::clamp(gEnemyPick, 1, std::max(1, n));
        for (int tries = 0; tries < n; ++tries) {
            pick = Wrap(pick + 1, 1, n);
            const int e = EnemyAtPick(pick);
            if (EnemyStanding(e)) {
                gEnemyPick = pick;
                index = e;
                break;
            }
        }
    }
    if (index < 0) {
        fMenu = kMenuIcons;
        return;
    }
    MarkEnemyTarget(index);
    Seld = 1;
}

void TargetCommandingMember() {
    const int slot = CommandingSlot();
    if (slot < 0) return;
    const int places = std::clamp(MembersPresent(), 1, 4);
    int pick = std::clamp(gEnemyPick, 1, places);
    for (int tries = 0; tries < places; ++tries) {
        if (kPartyScreenOrder[pick - 1] == slot) break;
        pick = Wrap(pick + 1, 1, places);
    }
    gEnemyPick = pick;
    MS = slot + 1;
    gTargetEnemy = 0;
    Seld = 1;
}

void BattleKeyBack() {
    mMove = 0;
    Seld = 1;
    if (gAutoAttack == 1) {
        gAutoAttack = 0;
        fMenu = kMenuNone;
        Stop = mStop = 0;
        gExtraCount = 0;
        ClearSideHighlights(0);
        if (SEL != 0) {
            fMenu = kMenuIcons;
            Stop = mStop = 1;
        }
        return;
    }
    const int slot = CommandingSlot();
    switch (fMenu) {
    case kMenuIcons:
        if (gOrderMenuOpen) {
            gOrderMenuOpen = 0;
            si = 7;
            const ManRole* spirit = nullptr;
            for (uint32_t s = 0; s < gBattleManCount && s < uint32_t(kMaxManRoles); ++s)
                if (gManRoles[s].IsSpiritRole()) spirit = &gManRoles[s];
            if (spirit) gOrderCursor = std::clamp<int>(spirit->GetGhostOrder(), 1, 8);
        } else if (gCaptureMenuOpen) {
            gCaptureMenuOpen = 0;
            si = 6;
        } else if (gElementMenuOpen) {
            gElementMenuOpen = 0;
            si = gSavedEntry;
            gElementChoice = 1;
        }
        break;
    case kMenuMagic:
        fMenu = kMenuIcons;
        gMagicCursor = 1;
        break;
    case kMenuTarget: {
        if (ManRole* r = CommandingRole()) r->ClearManAction();
        ClearSideHighlights(0);
        ClearSideHighlights(1);
        switch (si) {
        case 2: fMenu = kMenuMagic; break;
        case 3: fMenu = kMenuItems; break;
        case 4: fMenu = kMenuSkills; break;
        case 27: fMenu = kMenuThrow; break;
        case 30: fMenu = kMenuRefine; break;
        case 80: fMenu = kMenuCaptureItems; break;
        default:
            if (ControlsEnemy()) {
                fMenu = kMenuControl;
            } else {
                fMenu = kMenuIcons;
                si = gSavedEntry;
                if (gCaptureMenuOpen) gCaptureMenuOpen = 1;
            }
            break;
        }
        gWholeSide = 0;
        gControlWord &= ~0x10u;
        ClearStoredTarget(slot);
        break;
    }
    case kMenuItems:
        fMenu = kMenuIcons;
        gListCursor = 1;
        gListTop = 0;
        break;
    case kMenuGuardPlace:
        fMenu = kMenuItems;
        break;
    case kMenuControl:
        fMenu = kMenuNone;
        gControlCursor = 1;
        si = 1;
        gControlRows = 2;
        break;
    case kMenuSkills:
        fMenu = kMenuIcons;
        break;
    case kMenuSpiritTarget:
        fMenu = kMenuIcons;
        gOrderMenuOpen = 1;
        ClearSideHighlights(0);
        break;
    case kMenuFusion:
        fMenu = kMenuFusionList;
        break;
    case kMenuThrow:
    case kMenuRefine:
    case kMenuFusionList:
        if (fMenu == kMenuFusionList) {
            if (ManRole* r = CommandingRole()) r->ClearManAction();
            if (slot >= 0) gManCommands[slot].commandSet = 0;
        }
        fMenu = kMenuIcons;
        si = gSavedEntry;
        break;
    case kMenuCaptureItems:
        fMenu = kMenuIcons;
        gCaptureMenuOpen = 1;
        si = 6;
        break;
    default:
        return;
    }
    if (fMenu != kMenuIcons) gPanelOpenStep = 0;
}

int IsAllyWaitingFree(int id) {
    const Role* r = RoleById(id);
    if (r == nullptr || id < kFirstManId || r->IsRoleHeldByAilment()) return 0;
    for (int i = 0; i < kMaxManRoles; ++i)
        if (gWaitOrder[i] == id) return 1;
    return 0;
}

void SwapCommandingAlly(int id) {
    if (fMenu != kMenuNone && gHoverAlly == kNoHover) return;
    ClearExtraEntries();
    const int party = BattlePartyCount();
    if (party <= 1 || id == SEL) return;
    const Role* r = RoleById(id);
    if (r == nullptr || r->IsRoleHeldByAilment()) return;
    for (int i = 0; i < party - 1 && i < kMaxManRoles; ++i) {
        if (gWaitOrder[i] != id) continue;
        gWaitOrder[i] = SEL;
        SEL = id;
        return;
    }
}

int NextRingMember(int id) {
    int p = 0;
    while (p < 4 && kMemberRing[p] != id) ++p;
    for (int k = 1; k <= 4; ++k) {
        const int candidate = kMemberRing[(p + k) % 4];
        if (IsAllyWaitingFree(candidate)) return candidate;
    }
    return 0;
}

int PrevRingMember(int id) {
    int p = 0;
    while (p < 4 && kMemberRing[p] != id) ++p;
    for (int k = 1; k <= 4; ++k) {
        const int candidate = kMemberRing[(p + 4 - k) % 4];
        if (IsAllyWaitingFree(candidate)) return candidate;
    }
    return 0;
}

void SelectNextMember() {
    if (SEL < 8 || SEL > 11) return;
    if (const int id = NextRingMember(SEL)) SwapCommandingAlly(id);
}

void SelectPrevMember() {
    if (SEL < 8 || SEL > 11) return;
    if (const int id = PrevRingMember(SEL)) SwapCommandingAlly(id);
}

void ResetBattleKeyBindings() {
    gKeyState[kKeyConfirm].framesHeld = 2;
    gKeyState[kKeyMouseLeft].framesHeld = 2;
    gKeyState[kKeyMenu].framesHeld = 1;
}
