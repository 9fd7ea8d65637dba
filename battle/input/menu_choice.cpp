// What a confirmed choice of the command menus does, state by state.
#include "battle/input/menu_choice.h"

#include "battle/results/battle_results.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/input.h"
#include "base/random.h"
#include "battle/battle_frame.h"
#include "battle/battle_start.h"
#include "battle/battle_state.h"
#include "battle/input/battle_input.h"
#include "battle/input/input_common.h"
#include "battle/input/input_state.h"
#include "battle/input/input_texts.h"
#include "battle/manrole/man_battle.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "battle/action/action_perform.h"
#include "battle/action/action_state.h"
#include "battle/turn/attack_order.h"
#include "battle/turn/bookkeeping.h"
#include "battle/turn/targeting.h"
#include "media/music.h"
#include "world/party/item_list.h"
#include "world/story_flags.h"

namespace {

constexpr int kTreasureKindWord = 17;  // a treasure's skill kind
constexpr uint32_t kRefuseFlags = kMsgStrip | kMsgCentred;
constexpr uint16_t kRefuseLife = 20;
constexpr uint32_t kSummonAction = 0x10;  // the prepared item summons a guard
constexpr uint32_t kRefineAction = 0x20;  // the refining makes the stronger talisman
constexpr uint16_t kRefineLeftover = 768;
constexpr int kStoryFlagSpirit = 90;
constexpr int16_t kGuardPlaceX[2] = {375, 400};
constexpr int16_t kGuardPlaceY[2] = {200, 350};

void Refuse(const char* text) {
    AddBattleMessage(280, 10, kRefuseLife, text, kRefuseFlags);
    MenuSound(kSfxMenuRefused);
}

bool MouseChose() { return mMove == 1; }

void PlaceMouseOnList() { gInput.SetMousePos(240, 198); }

ManRole* SpiritRole() {
    for (uint32_t s = 0; s < gBattleManCount && s < uint32_t(kMaxManRoles); ++s)
        if (gManRoles[s].IsSpiritRole()) return &gManRoles[s];
    return nullptr;
}

int GuardCount() { return int(gBattleStart.guardCount); }

bool GuardStands() {
    for (uint32_t s = 0; s < gBattleManCount && s < uint32_t(kMaxManRoles); ++s)
        if (gManRoles[s].IsGuardRole() && !gManRoles[s].IsOut()) return true;
    return false;
}

void ClearAllHighlights() {
    ClearSideHighlights(0);
    ClearSideHighlights(1);
}

// The cursor on the first enemy standing along the target order from
// gEnemyPick on; false when none stands.
bool TargetFirstStanding() {
    const int n = int(std::min<uint32_t>(gBattleMonCount, kMaxMonRoles));
    int pick = std::clamp(gEnemyPick, 1, std::max(1, n));
    for (int tries = 0; tries < n; ++tries) {
        const int e = EnemyAtPick(pick);
        if (EnemyStanding(e)) {
            gEnemyPick = pick;
            MarkEnemyTarget(e);
            return true;
        }
        pick = pick % n + 1;
    }
    return false;
}

// ---- State 1: the icon menu ----

// The entry's code acts (step 5 of the icon choice).
void ActOnCode(ManRole& role, int code) {
    switch (code) {
    case 1: {
        fMenu = kMenuTarget;
        const int e = EnemyAtPick(gEnemyPick);
        gTargetEnemy = e >= 0 ? e : 0;
        return;
    }
    case 2:
        fMenu = kMenuMagic;
        gMagicTop = 0;
        PlaceMouseOnList();
        return;
    case 3:
        fMenu = kMenuItems;
        gListCursor = 1;
        gListTop = 0;
        PlaceMouseOnList();
        return;
    case 4:
        fMenu = kMenuSkills;
        gSkillCursor = 1;
        PlaceMouseOnList();
        return;
    case 5: case 28: case 32: case 34: case 35: case 36:
        IssueCommandNow(code);
        return;
    case 6:
        if (gCaptureMenuOpen == 128) {
            // A capture way was chosen: the target follows.
            fMenu = kMenuTarget;
            gCaptureChoice = 1;
        } else {
            gCaptureMenuOpen = 1;
            gCaptureChoice = 1;
        }
        return;
    case 7:
        gOrderMenuOpen = 1;
        if (const ManRole* spirit = SpiritRole()) gOrderCursor = std::clamp<int>(spirit->GetGhostOrder(), 1, 8);
        return;
    case 21: case 23: case 29: case 31: case 33: case 37:
        fMenu = kMenuTarget;
        return;
    case 22: case 24:
        fMenu = kMenuTarget;
        gWholeSide = 1;
        Seld = 1;
        return;
    case 25:
        fMenu = kMenuTarget;
        gControlWord |= 0x10;
        return;
    case 26:
        fMenu = kMenuTarget;
        gAimWord = 0;
        return;
    case 27: case 41:
        fMenu = code == 27 ? kMenuThrow : kMenuFusionList;
        gListCursor = 1;
        gListTop = 0;
        PlaceMouseOnList();
        return;
    case 30:
        fMenu = kMenuRefine;
        gListCursor = 1;
        PlaceMouseOnList();
        return;
    case 38:
        gElementMenuOpen = 1;
        gElementChoice = 1;
        return;
    case 39: {
        const int id = SEL;
        IssueCommandNow(39);
        gChargingAlly = id;
        return;
    }
    case 40:
        if (gReleaseAlly != -1) {
            fMenu = kMenuTarget;
            ClearExtraEntries();
        } else {
            gReleaseAlly = SEL;
            IssueCommandNow(40);
        }
        return;
    default:
        (void)role;
        MenuSound(kSfxMenuRefused);
        return;
    }
}

void ChooseIcon() {
    if (Seld != 1 || gPanelOpenStep != 6) return;
    ManRole* role = CommandingRole();
    if (role == nullptr) return;
    if (gOrderMenuOpen) {
        ManRole* spirit = SpiritRole();
        if (gOrderCursor >= 1 && gOrderCursor <= 7) {
            if (spirit) spirit->SetGhostOrder(uint16_t(gOrderCursor));
        } else if (gOrderCursor == 8) {
            fMenu = kMenuSpiritTarget;
            TargetFirstStanding();
        }
        gOrderMenuOpen = 0;
        si = 7;
        return;
    }
    if (gCaptureMenuOpen == 1) {
        if (gCaptureChoice == 2) {
            fMenu = kMenuCaptureItems;
            gCaptureMenuOpen = 128;
            gListCursor = 1;
            gListTop = 0;
            return;
        }
        gCaptureMenuOpen = 128;
        si = 6;
    }
    if (gElementMenuOpen) {
        role->SetRoleElement(uint16_t(gElementChoice));
        gElementMenuOpen = 0;
        IssueCommandNow(38);
        return;
    }
    const bool charging = gChargingAlly != -1 && SEL == gChargingAlly;
    if (si < 1 || si > kIconEntries) si = 1;
    if (charging ? (si == 1 && !gIconEnabled[1]) : (!IconEntryExists(si) || !gIconEnabled[si])) {
        MenuSound(kSfxMenuRefused);
        return;
    }
    Seld = 0;
    gWholeSide = 0;
    gSavedEntry = si;
    int code = IconEntryCode(si);
    if (charging) {
        if (si == 1) {
            if (role->CanRaiseStackCount())
                IssueCommandNow(39);
            else
                Refuse(kChargeTooLowText);
            return;
        }
        code = 1;
    }
    si = code;
    const bool mouse = MouseChose();
    ActOnCode(*role, code);
    if (mouse || fMenu != kMenuTarget) ResetBattleKeyBindings();
    if (!mouse && fMenu == kMenuTarget && !gWholeSide) NextEnemyTarget();
    if (si != 6 && si != 7 && !gElementMenuOpen) gPanelOpenStep = 0;
}

// ---- Lists: the action is prepared and the target chosen ----

// The act a spell or item chosen from the magic or item list plays on its
// target (the action performance's hit act of the slot): the object's id
// word, as the battle script's use instruction takes it. Any other list
// leaves it as it is. Without this the hit act of an earlier action (or
// none) played, and a spell showed nothing on its target.
void SetListHitAct(ManRole& role, int slot, int entry) {
    if (slot < 0 || slot >= int(std::size(gManHitAct))) return;
    const ItemRecord* e = nullptr;
    if (fMenu == kMenuMagic) e = role.FindNthMagic(uint32_t(gMagicTab), 0, entry);
    else if (fMenu == kMenuItems) e = role.FindNthItem(uint32_t(gItemTab), entry);
    else return;
    gManHitAct[slot] = e != nullptr ? e->obj.w[kObjIdWord] : 0;
}

void ChooseFromList() {
    ManRole* role = CommandingRole();
    const int slot = CommandingSlot();
    if ((fMenu == kMenuMagic || fMenu == kMenuItems) && gBattleInput.pendingTab >= 0) {
        const int tab = gBattleInput.pendingTab;
        gBattleInput.pendingTab = -1;
        if (fMenu == kMenuMagic) {
            gMagicTab = std::clamp(tab, 0, 2);
            gMagicCursor = 1;
            gMagicTop = 0;
        } else {
            gItemTab = std::clamp(tab, 0, 3);
            gListCursor = 1;
            gListTop = 0;
        }
        MenuSound(kSfxMenuStep);
        return;
    }
    if (Seld != 1 || gScrollStep != 0 || gScrollZone != 0 || role == nullptr) return;
    Seld = 0;
    int entry = 0, count = 0;
    switch (fMenu) {
    case kMenuMagic: entry = ListEntry(gMagicTop, gMagicCursor); count = gMagicCount; break;
    case kMenuItems: entry = ListEntry(gListTop, gListCursor); count = gListCount; break;
    case kMenuSkills: entry = gSkillCursor; count = gSkillCount; break;
    default: entry = gListCursor; count = gListCount; break;
    }
    if (entry < 1 || entry > count) {
        MenuSound(kSfxMenuRefused);
        return;
    }
    int r = 0;
    switch (fMenu) {
    case kMenuMagic:
        if (!role->CheckActionCost(uint32_t(gMagicTab), entry)) return;
        r = role->SelectMagic(uint32_t(gMagicTab), 0, entry, nullptr);
        if (r == 65535) return;
        break;
    case kMenuItems: {
        uint16_t act = 65535;
        int flag = 0;
        if (!role->SelectItem(uint32_t(gItemTab), entry, &act, &flag)) {
            if (gItemTab == 1)
                MenuSound(kSfxMenuRefused);
            else if (act != 65535)
                Refuse(kNoStaminaPointsText);
            return;
        }
        r = flag;
        if (role->actionFlags & kSummonAction) {
            if (GuardCount() >= 1) {
                fMenu = kMenuGuardPlace;
                gPlaceChoice = GuardCount() >= 2 ? 1 : 2;
                gPanelOpenStep = 0;
                ResetBattleKeyBindings();
            } else {
                SummonGuard(1, true);
            }
            return;
        }
        break;
    }
    case kMenuSkills:
        r = role->SelectMagic(0, 1, entry, nullptr);
        if (r == 65535) return;
        break;
    default: {
        uint16_t act = 65535;
        int flag = 0;
        if (!role->SelectItem(5, entry, &act, &flag)) {
            MenuSound(kSfxMenuRefused);
            return;
        }
        r = flag;
        break;
    }
    }
    SetListHitAct(*role, slot, entry);
    StoredCommand& c = gManCommands[slot];
    c.extra = role->GetActionPresetWord();
    c.sideFlag = role->TestActionFlags(0x2) ? 1 : 0;
    gBattleInput.lurePending = (fMenu == kMenuMagic && role->IsActionFlag17()) ? 1 : 0;
    const bool keyboard = !MouseChose();
    const int tab = fMenu == kMenuMagic ? gMagicTab : fMenu == kMenuItems ? gItemTab : -1;
    const bool list = fMenu == kMenuMagic || fMenu == kMenuItems;
    if (role->TestActionFlags(0x1)) {
        gWholeSide = 1;
        Seld = 1;
        MS = int(gBattleMonCount);
        c.commandSet = (list && (tab == 2 || r == 0)) ? 1 : 0;
    } else {
        const bool party = r == 0 && ((fMenu == kMenuMagic && (tab == 1 || tab == 2) && !gBattleInput.lurePending) ||
                                      (fMenu == kMenuItems && tab >= 1 && tab <= 3));
        c.commandSet = party ? 1 : 0;
        if (party) {
            if (MembersPresent() < 4) {
                MarkPartyTarget(slot);
                if (keyboard) Seld = 1;
            } else {
                TargetCommandingMember();
            }
        } else if (keyboard) {
            NextEnemyTarget();
        }
    }
    fMenu = kMenuTarget;
    gPanelOpenStep = 0;
    ResetBattleKeyBindings();
}

// ---- Throw (27) and capture items (80) ----

void ChooseThrowOrCapture() {
    ManRole* role = CommandingRole();
    if (Seld != 1 || gScrollStep != 0 || gScrollZone != 0 || role == nullptr) return;
    if (fMenu == kMenuCaptureItems && gListCount == 0) return;
    Seld = 0;
    const int entry = ListEntry(gListTop, gListCursor);
    uint16_t act = 65535;
    int flag = 0;
    if (entry > gListCount || !role->SelectItem(fMenu == kMenuThrow ? 4 : 6, entry, &act, &flag)) {
        MenuSound(kSfxMenuRefused);
        return;
    }
    if (fMenu == kMenuCaptureItems) si = 80;
    fMenu = kMenuTarget;
    if (MouseChose())
        ResetBattleKeyBindings();
    else
        NextEnemyTarget();
}

// ---- Guard fusion ----

void ChooseFusionList() {
    ManRole* role = CommandingRole();
    const int slot = CommandingSlot();
    if (Seld != 1 || gScrollStep != 0 || gScrollZone != 0 || role == nullptr) return;
    Seld = 0;
    if (!GuardStands()) {
        Refuse(kNoGuardText);
        return;
    }
    const int entry = ListEntry(gListTop, gListCursor);
    uint16_t act = 65535;
    int flag = 0;
    if (entry > gListCount || !role->SelectItem(3, entry, &act, &flag)) {
        MenuSound(kSfxMenuRefused);
        return;
    }
    for (uint32_t s = 0; s < gBattleManCount && s < uint32_t(kMaxManRoles); ++s) {
        if (gManRoles[s].IsGuardRole() && !gManRoles[s].IsOut()) {
            MS = int(s) + 1;
            break;
        }
    }
    gManCommands[slot].commandSet = 1;
    si = 41;
    fMenu = kMenuFusion;
    gPlaceChoice = 1;
    gPanelOpenStep = 0;
    ResetBattleKeyBindings();
}

void ChooseFusion() {
    ManRole* role = CommandingRole();
    if (role == nullptr) return;
    const int g = GuardPlaceSlot(gPlaceChoice);
    if (g < 0 || uint32_t(g) >= gBattleManCount || !gManRoles[g].IsGuardRole()) {
        Refuse(kNoGuardText);
        return;
    }
    ManRole& guard = gManRoles[g];
    if (guard.IsFused()) {
        Refuse(kFusedText);
        return;
    }
    const uint16_t item = role->GetSelectedItemId();
    if (!guard.CheckGuardLevel(item, role->SelectRoleWeaponSkill(41))) {
        Refuse(kFusionTooLowText);
        return;
    }
    role->itemAct = role->ConsumeSelectedItem(3, 0);
    IssueCommandNow(41);
    MS = g + 1;
}

// ---- Target ----

void ConfirmTarget() {
    if (MS == -1 || (SEL == 0 && gAutoAttack == 0)) return;
    if (Seld == 0) {
        Seld = 1;
        return;
    }
    ManRole* role = CommandingRole();
    const int slot = CommandingSlot();
    if ((si == 6 || si == 80) && !gBattleInput.targetCapturable) {
        MenuSound(kSfxMenuRefused);
        return;
    }
    if (role == nullptr) return;
    StoredCommand& c = gManCommands[slot];
    if (gBattleInput.lurePending) {
        c.commandSet = 1;
        role->SetLureMark(uint16_t(MS - 1));
        MS = slot + 1;
        gBattleInput.lurePending = 0;
    }
    gLastCommand = si;
    gChosenCommand[slot] = si;
    gLastSel = SEL;
    SEL = 0;
    if (gChargingAlly == gLastSel) gChargingAlly = -1;
    if (gReleaseAlly == gLastSel && si == 40) gReleaseAlly = -1;
    role->SetCommandChosen(1);
    gCommandIssued = 1;
    fMenu = kMenuNone;
    mMove = 0;
    Seld = 0;
    if (gWholeSide) {
        c.wholeSide = 1;
        c.targetCount = 0;
        gChosenCommand[slot] = gLastCommand;
    }
    if (c.commandSet == 0) c.targetCount += gWholeSide ? StandingEnemyCount() : 1;
    if (si == 30) {
        gChosenCommand[slot] = 3;
        role->ConsumeSelectedItem(5, 0);
        if (role->actionFlags & kRefineAction) {
            gChosenCommand[slot] = 13;
            ++gRefineCounter;
        } else {
            AddLootItem(kRefineLeftover, 0);
        }
    } else if (si == 4) {
        role->UseStoredCommand();
    }
    if (si == 27 || si == 80) {
        gListCursor = 1;
        gListTop = 0;
    }
    gCaptureMenuOpen = 0;
    ClearAllHighlights();
    gListCursor = 1;
    if (si == 2) {
        Stop = mStop = 0;
        role->StartActionTimer();
    }
    ResetBattleKeyBindings();
    si = 1;
    ClearExtraEntries();
    if (gAutoAttack) Stop = mStop = 0;
}

// ---- State 7: the controlled enemy ----

void ChooseControlRow() {
    ManRole* role = CommandingRole();
    const int slot = CommandingSlot();
    if (role == nullptr) return;
    if (gControlCursor >= gControlRows) {
        gLastCommand = 99;
        role->SetCommandChosen(1);
        MS = slot + 1;
        gLastSel = SEL;
        SEL = 0;
        fMenu = kMenuNone;
        Seld = 0;
        gCommandIssued = 1;
        ClearExtraEntries();
        return;
    }
    // What the row stands for: attack, a carried object, or an attack object.
    int choice = 1;
    if (gControlCursor > 1 && gControlledEnemy >= 0 && uint32_t(gControlledEnemy) < gBattleMonCount) {
        MonRole& e = gMonRoles[gControlledEnemy];
        int row = 1;
        char name[32];
        for (int k = 0; k < 3 && choice == 1; ++k) {
            uint16_t id = 0;
            if (!e.GetCarriedObject(k, name, sizeof name, &id)) continue;
            if (++row == gControlCursor) choice = id;
        }
        for (int k = 0; k < 2 && choice == 1; ++k) {
            if (!e.GetMonSkillName(k, name, sizeof name)) continue;
            if (++row == gControlCursor) choice = 0x8000 | (k + 1);
        }
    }
    gBattleInput.controlChoice = choice;
    si = 25;
    fMenu = kMenuTarget;
    if (!TargetFirstStanding()) fMenu = kMenuIcons;
}

// ---- State 9: the spirit's target ----

void ConfirmSpiritTarget() {
    if (ManRole* spirit = SpiritRole()) {
        spirit->SetGhostOrder(uint16_t(gOrderCursor));
        spirit->target = int16_t(std::max(0, MS - 1));
    }
    fMenu = kMenuIcons;
    si = 7;
    ClearSideHighlights(0);
}

// ---- The result pages ----


void ResetMenus() {
    gLastCommand = 0;
    si = 1;
    SEL = 0;
    gLastSel = 0;
    fMenu = kMenuNone;
    mMove = Seld = 0;
    ClearAllHighlights();
    gPanelOpenStep = 0;
    Stop = mStop = 0;
    gBattleEnding = 0;
    ResetBattleKeyBindings();
    ClearExtraEntries();
}

}  // namespace

// ---- Guard summon (states 4 and 5) ----

void SummonGuard(int place, bool fromItems) {
    ManRole* role = CommandingRole();
    if (role == nullptr || place < 1 || place > 2) return;
    // From the list no guard stands: place 1 is the next free slot.
    const int slot = GuardPlaceSlot(place);
    if (slot < 0 || slot >= kMaxManRoles) {
        MenuSound(kSfxMenuRefused);
        return;
    }
    const uint16_t item = role->GetSelectedItemId();
    role->ConsumeSelectedItem(3, 0);
    CountItemUse(item);
    BattleSlot& b = gBattleStart.partySlots[slot];
    if (!fromItems && b.spriteSet != 0 && uint32_t(slot) < gBattleManCount && gManRoles[slot].IsGuardRole()) {
        AddLootItem(b.spriteSet, 0);
        gBattleOptions |= kOptionGuardReturned;
    }
    b.spriteSet = item;
    const int16_t x = kGuardPlaceX[place - 1];
    b.homeX = gBattleMirrored ? int16_t(640 - x) : x;
    b.homeY = kGuardPlaceY[place - 1];
    b.side = 1;
    // The member remembers the slot: its summon sets the guard up there.
    role->guardSlot = slot;
    IssueCommandNow(15);
    // The guard item word of the place holds the item the guard came from:
    // the battle's end gives it back to the bag.
    SetAllyWaitMark(place, item);
    CollectActorPositions();
}

bool IconEntryExists(int entry) {
    if (entry >= 1 && entry <= 5) return true;
    return entry >= 6 && entry <= kIconEntries && entry - 5 <= gExtraCount;
}

int IconEntryCode(int entry) {
    if (entry >= 6 && entry <= kIconEntries) return gExtraCodes[entry - 6];
    return entry;
}

void IssueCommandNow(int code) {
    ManRole* role = CommandingRole();
    const int slot = CommandingSlot();
    if (role == nullptr) return;
    gLastCommand = code;
    gChosenCommand[slot] = code;
    role->SetCommandChosen(1);
    if (code == 5) role->SetRoleTurnOver();
    MS = SEL - 19;
    gManCommands[slot].commandSet = 1;
    gLastSel = SEL;
    SEL = 0;
    fMenu = kMenuNone;
    Seld = 0;
    gCommandIssued = 1;
    ClearExtraEntries();
}

void OpenIconMenu() {
    gHoverAlly = kNoHover;
    ManRole* role = CommandingRole();
    if (role == nullptr || role->IsRoleHeldByAilment()) return;
    MenuSound(kSfxMenuOpen);
    Seld = 1;
    const int slot = CommandingSlot();
    if (gController == slot && gControlledEnemy >= 0 && uint32_t(gControlledEnemy) < gBattleMonCount) {
        MonRole& e = gMonRoles[gControlledEnemy];
        char name[32];
        int rows = 2;
        for (int k = 0; k < 3; ++k) {
            uint16_t id = 0;
            rows += e.GetCarriedObject(k, name, sizeof name, &id) ? 1 : 0;
        }
        for (int k = 0; k < 2; ++k) rows += e.GetMonSkillName(k, name, sizeof name) ? 1 : 0;
        gControlRows = rows;
        fMenu = kMenuControl;
        return;
    }
    fMenu = kMenuIcons;
    si = 1;
    ResetCommandFlags();
}

void ResetCommandFlags() {
    for (int e = 1; e <= kIconEntries; ++e) gIconEnabled[e] = e <= 5 ? 1 : 0;
    ClearExtraEntries();
    ManRole* role = CommandingRole();
    if (role == nullptr) return;
    auto addExtra = [](int code, const char* name, bool enabled) {
        if (gExtraCount >= kExtraEntries) return;
        const int k = gExtraCount++;
        gExtraCodes[k] = code;
        if (name) std::snprintf(gExtraNames[k], kExtraNameBytes, "%s", name);
        gIconEnabled[6 + k] = enabled ? 1 : 0;
    };
    if (SEL == kFirstManId && gCaptureAllowed) {
        addExtra(6, kCaptureLabel, true);
        if (IsFlag(kStoryFlagSpirit)) addExtra(7, kSpiritLabel, true);
    }
    for (int i = 0; i < 2; ++i) {
        if (role->treasureId[i] == 0) continue;
        const int code = role->treasure[i].w[kTreasureKindWord];
        if (code < 21 || code > 49) continue;
        const int n = code - kFirstSkillCode;
        const char* name = n < int(std::size(kSkillNames)) ? kSkillNames[n] : "";
        if (code == 40 && gReleaseAlly != -1) name = kReleaseLabel;
        bool enabled = true;
        if (code == 41 && !GuardStands()) enabled = false;
        if (code == 39 && role->SelectRoleWeaponSkill(39) < 10) enabled = false;
        if (!role->CanUseWeaponSkill(uint16_t(code))) enabled = false;
        addExtra(code, name, enabled);
    }
    if (gReleaseAlly != -1 && SEL == gReleaseAlly && role->SelectRoleWeaponSkill(40) != 100) gIconEnabled[2] = 0;
    if (!role->IsRoleStatus100Clear()) gIconEnabled[2] = 0;
    if (!role->IsChargeGaugeFull()) gIconEnabled[4] = 0;
    if (role->IsRoleStatusBit4())
        for (int e = 1; e <= kIconEntries; ++e) gIconEnabled[e] = (e == 1 || e == 5) ? gIconEnabled[e] : 0;
}

void ChooseConfusedCommand(int id) {
    const int slot = id - kFirstManId;
    if (slot < 0 || slot >= kMaxManRoles || uint32_t(slot) >= gBattleManCount) return;
    SEL = id;
    ManRole& role = gManRoles[slot];
    const int r = Random((gBattleOptions & kOptionBit200) ? 2 : 3);
    if (r == 0) {
        // The confused member's menu counts as shown: its choice is taken.
        gBattleEnding = 1;
        si = 5;
        gPanelOpenStep = 6;
        fMenu = kMenuIcons;
        Seld = 1;
        ResetCommandFlags();
        DoMenuChoice();
        return;
    }
    if (r == 2) {
        IssueCommandNow(17);
        Stop = mStop = 1;
        return;
    }
    IssueCommandNow(1);
    Stop = mStop = 1;
    if (StandingEnemyCount() == 0) return;
    int able = 0;
    for (uint32_t s = 0; s < gBattleManCount && s < uint32_t(kMaxManRoles); ++s) {
        const ManRole& m = gManRoles[s];
        able += (m.IsPartyMemberRole() && !m.IsOut() && !m.IsRoleHeldByAilment()) ? 1 : 0;
    }
    const int party = int(gBattleManCount);
    if (able > 1 && Random(2) == 1) {
        // The draw is bounded: with no other member to strike the attack
        // stays on the enemies.
        for (int tries = 0; tries < 64; ++tries) {
            const int t = Random(party);
            const ManRole& m = gManRoles[t];
            if (m.IsOut() || m.IsSpiritRole() || t == slot) continue;
            gManCommands[slot].commandSet = 1;
            role.SetRoleStateBit28();
            MS = t + 1;
            return;
        }
    }
    gManCommands[slot].commandSet = 0;
    const int n = int(std::min<uint32_t>(gBattleMonCount, kMaxMonRoles));
    int e = Random(n);
    for (int tries = 0; tries < n && gMonRoles[e].IsOut(); ++tries) e = (e + 1) % n;
    MS = e + 1;
}

void DoMenuChoice() {
    if (gBattleEnding != 1) return;
    switch (fMenu) {
    case kMenuIcons: ChooseIcon(); return;
    case kMenuMagic: case kMenuItems: case kMenuSkills: case kMenuRefine: ChooseFromList(); return;
    case kMenuThrow: case kMenuCaptureItems: ChooseThrowOrCapture(); return;
    case kMenuFusionList: ChooseFusionList(); return;
    case kMenuFusion: ChooseFusion(); return;
    case kMenuGuardPlace: SummonGuard(gPlaceChoice, false); return;
    case kMenuTarget: ConfirmTarget(); return;
    case kMenuControl: ChooseControlRow(); return;
    case kMenuSpiritTarget: ConfirmSpiritTarget(); return;
    case kMenuReset: ResetMenus(); return;
    default:
        if (fMenu >= kMenuResultFirst && fMenu <= kMenuResultLast) ConfirmResultPage();
        return;
    }
}
