// The keyboard and the mouse of the battle: once per frame the mouse is hit
// against the shown menu (BattleMouseHitTest), then the keys are read in a
// fixed order (BattleKeyInput) and turned into the menus' steps and choices.
#include "battle/input/battle_input.h"

#include <algorithm>

#include "base/input.h"
#include "battle/battle_start.h"
#include "battle/battle_state.h"
#include "battle/input/input_common.h"
#include "battle/input/input_state.h"
#include "battle/input/input_texts.h"
#include "battle/input/menu_choice.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "battle/results/battle_results.h"
#include "battle/turn/attack_order.h"
#include "battle/turn/turn_state.h"
#include "draw/dialog_node.h"
#include "draw/rle.h"
#include "platform/plat_clock.h"
#include "world/dialog/dlg_message.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

namespace {

// Game-key records the battle reads beside those key_state.h names.
enum : int {
    kKeyBack = 0,
    kKeyRestart = 2,
    kKeyPageUp = 7,
    kKeyPageDown = 8,
    kKeyBack2 = 9,
    kKeyAuto = 17,
    kKeyRetreat = 18,
};

// Scan codes of the digits 1..9: the main row, then the pad laid out as the
// icon grid (pad 7 8 9 are entries 1 2 3, pad 1 2 3 entries 7 8 9).
constexpr uint8_t kRowDigit[10] = {0, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A};
constexpr uint8_t kPadDigit[10] = {0, 0x47, 0x48, 0x49, 0x4B, 0x4C, 0x4D, 0x4F, 0x50, 0x51};

// The party strip's boxes by slot.
constexpr int kStripX[4] = {239, 79, 399, 399};

// The scroll bar's track between its arrows (y), for the list of states 4,
// 27, 41 and 80.
constexpr int kTrackTop = 174;
constexpr int kTrackBottom = 303;

bool DialogOpen() { return gDialogList != nullptr; }

bool SubMenuOpen() { return gOrderMenuOpen != 0 || gCaptureMenuOpen == 1 || gElementMenuOpen != 0; }

uint32_t DigitsDown() {
    uint32_t down = 0;
    for (int k = 1; k <= 9; ++k)
        if (gInput.IsKeyDown(kRowDigit[k]) || gInput.IsKeyDown(kPadDigit[k])) down |= 1u << k;
    return down;
}

// Copies one record's press into another (down, frames held).
void CopyKey(int from, int to) {
    gKeyState[to].state = gKeyState[from].state;
    gKeyState[to].framesHeld = gKeyState[from].framesHeld;
}

void ActOnDigit(int k) {
    if (fMenu == kMenuNone) fMenu = kMenuIcons;
    ResetCommandFlags();
    if (k == 5) {
        if (si != 5) {
            gPanelOpenStep = 6;
            Seld = 1;
            mMove = 0;
            si = 5;
            ConfirmCommand();
        }
        fMenu = kMenuNone;
        Seld = 0;
        si = 1;
        return;
    }
    if (!IconEntryExists(k) || !gIconEnabled[k]) return;
    gPanelOpenStep = 6;
    Seld = 1;
    mMove = 0;
    si = k;
    ConfirmCommand();
}

// 1 when the retreat key ended the frame's input.
bool RetreatKey() {
    ManRole* role = CommandingRole();
    if (gRetreatState != 0 || gActionStage[0] || gActionStage[1] ||
        (role != nullptr && role->IsRoleHeldByAilment()) || (StandingEnemyCount() == 1 && gLastDowned != -1))
        return true;
    if (role != nullptr && !role->IsOut() && role->CanRetreat() && !(gBattleOptions & kOptionBit200)) {
        PlatSleep(50);
        gLastSel = SEL;
        MS = SEL - 19;
        gRetreatState |= 0x4000;
        fMenu = kMenuNone;
        SEL = 0;
        Seld = 0;
        Stop = mStop = 1;
        gPanelOpenStep = 0;
        return false;
    }
    PlatSleep(20);
    AddBattleMessage(280, 10, 5, kNoRetreatText, kMsgStrip | kMsgCentred);
    MenuSound(kSfxMenuRefused);
    return true;
}

// The target of the running action's shown numbers.
Role* CurrentActionTarget() {
    Role* actor = RoleById(gCurRole.id);
    if (actor == nullptr) return nullptr;
    const int t = actor->GetActionTarget();
    if (t < 0) return nullptr;
    const bool actorParty = gCurRole.id >= kFirstManId;
    const bool onParty = actorParty ? gCurRole.sideFlag == 1 : gCurRole.sideFlag == 0;
    return RoleById(onParty ? kFirstManId + t : t);
}

void StepEventRect(int d) {
    const int n = CountEventRects();
    if (n <= 0) return;
    int i = gBattleInput.eventRect + d;
    if (i < 0) i = n - 1;
    if (i >= n) i = 0;
    gBattleInput.eventRect = i;
}

// ---- Mouse zones ----

// Row r (1-based) of `rows` rows of `height` pixels from `top`: y strictly
// between the row's edges; 0 for none.
int RowAt(int y, int top, int height, int rows) {
    if (y <= top) return 0;
    const int r = (y - top) / height;
    if (r >= rows || y == top + height * (r + 1) || y == top + height * r) return 0;
    return r + 1;
}

// A row that moves a cursor: the sound when it changes, and the selection.
void HitRow(int32_t& cursor, int row) {
    if (cursor != row) MenuSound(kSfxMenuStep);
    cursor = row;
    Seld = 1;
    mMove = 1;
}

void LeaveRows() {
    if (gKeyState[kKeyMouseLeft].framesHeld != 0) return;
    gScrollZone = 0;
    gBattleInput.dragY = -1;
    Seld = 0;
}

int StripHover(int x, int y, int below, int above, int left, int right) {
    if (y < below || y >= above) return -1;
    const int members = std::min(BattlePartyCount(), 4);
    for (int s = 0; s < members && uint32_t(s) < gBattleManCount; ++s) {
        if (!gManRoles[s].IsPartyMemberRole()) continue;
        if (x > kStripX[s] + left && x < kStripX[s] + right) return s;
    }
    return -1;
}

int HoverStrip(int x, int y) {
    const int s = StripHover(x, y, 387, 480, -24, 116);
    gHoverAlly = s >= 0 ? uint16_t(kFirstManId + s) : kNoHover;
    return s >= 0 ? 1 : 0;
}

// The scroll bar of a list with at least 8 entries: its zone under (x, y).
int ScrollZoneAt(int x, int y, int left, int right, int downTop, int downBottom, bool downOpen) {
    if (gListCount < 8 || x < left || x >= right) return 0;
    if (y >= 159 && y < kTrackTop) return 1;
    if ((downOpen ? y > downTop : y >= downTop) && y < downBottom) return 2;
    const int track = kTrackBottom - kTrackTop;
    const int thumb = std::max(1, track * kListRows / gListCount);
    const int span = std::max(1, gListCount - kListRows);
    const int thumbTop = kTrackTop + gListTop * (track - thumb) / span;
    if (y >= kTrackTop && y < thumbTop) return 3;
    if (y >= thumbTop + thumb && y < kTrackBottom) return 4;
    return 0;
}

// 1 when the 8 x 8 square at (x, y) touches an opaque pixel of the role's
// wait frame as it is now: the frame is taken again for the test, never a
// picture kept from an earlier frame.
bool RoleUnderMouse(Role& r, int x, int y) {
    int32_t rect[4];
    if (!r.LoadWaitFrame(rect) || r.picture == nullptr) return false;
    for (int dy = 0; dy < 8; ++dy) {
        for (int dx = 0; dx < 8; ++dx) {
            const int px = x + dx, py = y + dy;
            if (px < rect[0] || px >= rect[0] + rect[2] || py < rect[1] || py >= rect[1] + rect[3]) continue;
            const int tx = r.facing == 1 ? rect[0] + rect[2] - 1 - (px - rect[0]) : px;
            if (HitTestRleImage(r.picture, tx, py, rect[0], rect[1])) return true;
        }
    }
    return false;
}

int HitTargets(int x, int y) {
    if (gWholeSide != 0 || gScreenHold == 1 || gEnemyHold != 0) return 0;
    const int slot = CommandingSlot();
    if (fMenu == kMenuTarget && slot >= 0 && gManCommands[slot].commandSet == 1) {
        ClearSideHighlights(1);
        const int n = int(std::min<uint32_t>(gBattleManCount, kMaxManRoles));
        int hit = -1;
        for (int s = n - 1; s >= 0 && hit < 0; --s) {
            if (s == slot && si != 2 && si != 3) continue;
            if (RoleUnderMouse(gManRoles[s], x, y)) hit = s;
        }
        if (hit < 0) hit = StripHover(x, y, 384, 481, -11, 151);
        if (hit < 0 || (hit == slot && si != 2 && si != 3)) return 0;
        MarkPartyTarget(hit);
        Seld = 1;
        mMove = 1;
        return 1;
    }
    const int n = int(std::min<uint32_t>(gBattleMonCount, kMaxMonRoles));
    for (int i = n - 1; i >= 0; --i) {
        if (!EnemyStanding(i) || !RoleUnderMouse(gMonRoles[i], x, y)) continue;
        MarkEnemyTarget(i);
        Seld = 1;
        mMove = 1;
        return 1;
    }
    return 0;
}

int HitIconMenu(int x, int y) {
    const int ox = gMenuPosX, oy = gMenuPosY;
    // A member stays hovered only while the pointer is on its strip.
    gHoverAlly = kNoHover;
    if (gOrderMenuOpen) {
        const int r = x >= 345 && x < 432 ? RowAt(y, 114, 24, 8) : 0;
        if (r == 0) return 0;
        HitRow(gOrderCursor, r);
        return 1;
    }
    if (gCaptureMenuOpen == 1) {
        const int r = x >= 385 && x < 428 ? RowAt(y, 204, 24, 2) : 0;
        if (r == 0) return 0;
        HitRow(gCaptureChoice, r);
        return 1;
    }
    if (gElementMenuOpen) {
        const int c = y >= 275 && y < 300 ? RowAt(x, 260, 24, 5) : 0;
        if (c == 0) return 0;
        HitRow(gElementChoice, c);
        return 1;
    }
    if (gChargingAlly != -1 && SEL == gChargingAlly) {
        if (y <= oy + 44 || y >= oy + 70) return 0;
        if (x > ox + 58 && x < ox + 106) HitRow(si, 1);
        else if (x > ox + 106 && x < ox + 154) HitRow(si, 2);
        else return 0;
        return 1;
    }
    if (x > ox + 10 && x < ox + 172 && y > oy + 40 && y < oy + 112) {
        const int col = std::min((x - ox - 10) / 54, 2);
        const int row = std::min((y - oy - 40) / 24, 2);
        const int entry = 3 * row + col + 1;
        if (entry < 6 + gExtraCount && gIconEnabled[entry]) {
            HitRow(si, entry);
            return 1;
        }
        return 0;
    }
    return HoverStrip(x, y);
}

int HitListRows(int x, int y, int left, int right, int top, int height, int32_t& cursor, int listTop, int count) {
    const int r = x >= left && x < right ? RowAt(y, top, height, kListRows) : 0;
    if (r == 0 || listTop + r > count) {
        LeaveRows();
        return 0;
    }
    HitRow(cursor, r);
    return 1;
}

}  // namespace

bool BattleKeyFires(int record) {
    const uint32_t n = gKeyState[record].framesHeld;
    return n == 1 || (n >= 15 && n % 3 == 1);
}

bool BattlePageKeyFires(int record) { return gKeyState[record].framesHeld % 3 == 1; }

bool BattleConfirmFires() {
    const uint32_t n = gKeyState[kKeyConfirm].framesHeld;
    return n == 1 || (n >= 15 && n % 6 == 1);
}

int BattleMouseHitTest() {
    BattleInputState& s = gBattleInput;
    const int x = gKeyInput.mouseX, y = gKeyInput.mouseY;
    const bool moved = x != s.lastMouseX || y != s.lastMouseY;
    s.lastMouseX = x;
    s.lastMouseY = y;
    if (moved) {
        mMove = 1;
        s.keyboardWord = 0;
    } else if (mMove == 0) {
        return 0;
    }
    if (CountEventRects() > 0) {
        EventRectNode* node = nullptr;
        s.eventRect = FindEventRect(x, y, &node);
    }
    switch (fMenu) {
    case kMenuNone:
        return HoverStrip(x, y);
    case kMenuIcons:
        return HitIconMenu(x, y);
    case kMenuMagic:
        if (y >= 131 && y < 160 && x > 224 && x < 350) {
            s.pendingTab = RowAt(x, 224, 42, 3) - 1;
            return s.pendingTab >= 0 ? 1 : 0;
        }
        s.pendingTab = -1;
        return HitListRows(x, y, 225, 384, 170, 20, gMagicCursor, gMagicTop, gMagicCount);
    case kMenuItems: {
        if (y >= 131 && y < 160 && x > 224 && x < 392) {
            const int t = RowAt(x, 224, 42, 4) - 1;
            s.pendingTab = t != gItemTab ? t : -1;
            return s.pendingTab >= 0 ? 1 : 0;
        }
        s.pendingTab = -1;
        const int zone = ScrollZoneAt(x, y, 415, 432, 303, 318, false);
        if (zone != 0) {
            gScrollZone = zone;
            return 1;
        }
        gScrollZone = 0;
        return HitListRows(x, y, 225, 412, 170, 20, gListCursor, gListTop, gListCount);
    }
    case kMenuGuardPlace:
    case kMenuFusion: {
        const int r = x >= 197 && x < 376 ? RowAt(y, 214, 22, 2) : 0;
        if (r == 0) return 0;
        HitRow(gPlaceChoice, r);
        return 1;
    }
    case kMenuSkills:
        return HitListRows(x, y, 225, 409, 162, 24, gSkillCursor, 0, gSkillCount);
    case kMenuThrow:
    case kMenuFusionList:
    case kMenuCaptureItems: {
        const int zone = fMenu == kMenuThrow ? ScrollZoneAt(x, y, 403, 420, 302, 320, true)
                                             : ScrollZoneAt(x, y, 403, 420, 303, 320, false);
        if (zone != 0) {
            gScrollZone = zone;
            return 1;
        }
        gScrollZone = 0;
        return HitListRows(x, y, 225, 404, 170, 20, gListCursor, gListTop, gListCount);
    }
    case kMenuRefine: {
        int col = -1;
        if (x >= 235 && x < 346) col = 0;
        else if (x >= 235 && x < 458) col = 1;
        const int r = col >= 0 ? RowAt(y, 166, 20, 5) : 0;
        const int cell = col * 5 + r;
        if (r == 0 || cell > kRefineCells) {
            LeaveRows();
            return 0;
        }
        HitRow(gListCursor, cell);
        return 1;
    }
    case kMenuTarget:
    case kMenuSpiritTarget:
        return HitTargets(x, y);
    default:
        return 0;
    }
}

void ConfirmCommand() {
    if (gRetreatState != 0 || gActionWait == 1 || gLeaveBattle != 0 || (gActionPause & 0x80000000u))
        return;
    if (gScreenHold == 0 && StandingEnemyCount() <= 1 && gLastDowned != -1) {
        if (fMenu != 99) fMenu = kMenuNone;
        return;
    }
    if (fMenu == 110) {
        int32_t& t = gResultTimer;
        if (t < 30) t = 29;
        else if (t == 30) t = 100;
    }
    if (DialogOpen()) {
        gPageTurnRequest = 1;
        return;
    }
    if (gBattleEnding == 1 && SEL != 0) {
        if (fMenu != kMenuNone && gHoverAlly == kNoHover)
            DoMenuChoice();
        else
            OpenIconMenu();
        return;
    }
    DoMenuChoice();
}

void BattleKeyInput() {
    BattleInputState& s = gBattleInput;
    // 1.
    gScrollStep = 0;
    // 2. Digits act on the frame they go down: a held digit does not choose
    // again in the next state.
    const uint32_t down = DigitsDown();
    const uint32_t fresh = down & ~s.digitsDown;
    s.digitsDown = down;
    const bool menuKeys = (fMenu == kMenuNone || fMenu == kMenuIcons) && SEL != 0 && !DialogOpen() && !SubMenuOpen() &&
                          SEL != gChargingAlly;
    if (menuKeys && fresh != 0) {
        for (int k = 1; k <= 9; ++k) {
            if (!(fresh & (1u << k))) continue;
            ActOnDigit(k);
            return;
        }
    }
    // 3.
    if (menuKeys && down == 0 && BattleKeyFires(kKeyRetreat) && RetreatKey()) return;
    // 4.
    if (gActionWait == 1 && gKeyState[kKeyConfirm].framesHeld == 1) gActionWaitWord |= 1;
    // 5.
    if (gKeyState[kKeyBack2].framesHeld != 0) CopyKey(kKeyBack2, kKeyBack);
    // 6.
    if (BattleKeyFires(kKeyRestart) && (fMenu == kMenuNone || fMenu == kMenuIcons)) {
        gHoverAlly = 0;
        si = 1;
        SelectNextMember();
        if (fMenu == kMenuIcons) ConfirmCommand();
        gHoverAlly = kNoHover;
        return;
    }
    // 7.
    const int slot = CommandingSlot();
    if (BattleKeyFires(kKeyAuto) && fMenu == kMenuIcons && !DialogOpen() && (gOpeningSlot & 0x80) && slot >= 0) {
        mMove = 0;
        gAutoAttack = 1;
        gLastCommand = 1;
        gChosenCommand[slot] = 1;
        Seld = 1;
        si = 1;
        fMenu = kMenuTarget;
        return;
    }
    // 8.
    if (gKeyState[kKeyMouseRight].framesHeld != 0) {
        mMove = 1;
        CopyKey(kKeyMouseRight, kKeyBack);
    }
    // 9.
    if (BattleKeyFires(kKeyMouseLeft)) {
        mMove = 1;
        if (gHoverAlly != kNoHover) {
            SwapCommandingAlly(gHoverAlly);
            if (fMenu == kMenuIcons) ConfirmCommand();
            gHoverAlly = kNoHover;
            return;
        }
        gScrollStep = gScrollZone;
        switch (gScrollZone) {
        case 1: BattlePrevEntry(); break;
        case 2: BattleNextEntry(); break;
        case 3: BattlePageUp(); break;
        case 4: BattlePageDown(); break;
        default: gScrollStep = 0; break;
        }
        if (gKeyState[kKeyMouseLeft].framesHeld == 1 && gScrollZone == 0 && s.dragY < 0 && gListCount >= 8) {
            // A press between the arrows on no track part lies on the thumb.
            const int x = gKeyInput.mouseX, y = gKeyInput.mouseY;
            if (x >= 403 && x < 432 && y >= kTrackTop && y < kTrackBottom) s.dragY = y;
        }
        CopyKey(kKeyMouseLeft, kKeyConfirm);
    }
    // 10.
    if (gKeyState[kKeyMenu].framesHeld % 3 == 1) CopyKey(kKeyMenu, kKeyConfirm);
    // 11.
    if (BattleConfirmFires()) {
        if (gActionPause & 0xC0000000u) gActionPause |= 1;
        if (gCurRole.id != -1)
            if (Role* t = CurrentActionTarget()) t->CancelLastShownNumber();
        if (CountEventRects() > 0 && (mMove == 0 || s.eventRect >= 0)) FreeEventRects();
        if (gKeyState[kKeyMouseLeft].framesHeld == 0) {
            if (si == 6 || si == 80) {
                if (mMove == 0) {
                    Seld = 1;
                    s.keyboardWord = 300;
                }
                mMove = 0;
            } else {
                Seld = 1;
                mMove = 0;
            }
        }
        gScrollZone = 0;
        gBattleOptions &= ~0x20u;
        ConfirmCommand();
    }
    // 12. A keyboard step hands the cursor back to the keyboard: the mouse
    // resting on a row does not take it back until it moves.
    if (BattleKeyFires(kKeyUp) || BattleKeyFires(kKeyDown) || BattleKeyFires(kKeyLeft) ||
        BattleKeyFires(kKeyRight) || BattlePageKeyFires(kKeyPageUp) || BattlePageKeyFires(kKeyPageDown))
        mMove = 0;
    if (BattleKeyFires(kKeyUp) && !DialogOpen()) {
        BattlePrevEntry();
        SelectNextMember();
        gScrollStep = 1;
    }
    if (BattleKeyFires(kKeyDown) && !DialogOpen()) {
        BattleNextEntry();
        SelectPrevMember();
        gScrollStep = 2;
    }
    // 13.
    if (BattleKeyFires(kKeyLeft)) {
        StepEventRect(-1);
        if (!DialogOpen()) {
            if (fMenu == kMenuTarget) BattlePrevEntry();
            SelectPrevMember();
            PrevSubEntry();
        }
    }
    if (BattleKeyFires(kKeyRight)) {
        StepEventRect(1);
        if (!DialogOpen()) {
            if (fMenu == kMenuTarget) BattleNextEntry();
            NextSubEntry();
            SelectNextMember();
        }
    }
    // 14.
    if (BattlePageKeyFires(kKeyPageUp)) BattlePageUp();
    if (BattlePageKeyFires(kKeyPageDown)) BattlePageDown();
    // 15.
    if (BattleKeyFires(kKeyBack)) {
        BattleKeyBack();
        s.dragY = -1;
    }
}
