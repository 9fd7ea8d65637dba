// What a confirmed choice of the command menus does: the command issued for
// the commanding member, the target it records, the list it opens, the
// refusals.
#pragma once
#include <cstdint>

// The menu states held in fMenu.
enum MenuState : int32_t {
    kMenuNone = 0,
    kMenuIcons = 1,
    kMenuMagic = 2,
    kMenuTarget = 3,
    kMenuItems = 4,
    kMenuGuardPlace = 5,
    kMenuControl = 7,
    kMenuSkills = 8,
    kMenuSpiritTarget = 9,
    kMenuFusion = 10,
    kMenuThrow = 27,
    kMenuRefine = 30,
    kMenuFusionList = 41,
    kMenuCaptureItems = 80,
    kMenuResultFirst = 96,
    kMenuResultLast = 113,
    kMenuReset = 200,
};

// Sounds of the menus.
constexpr int kSfxMenuStep = 46;
constexpr int kSfxMenuOpen = 45;
constexpr int kSfxMenuRefused = 140;

// Takes the choice of the current state; nothing unless gBattleEnding is 1.
void DoMenuChoice();
// Rebuilds gIconEnabled, the extra entries and gExtraCount for SEL.
void ResetCommandFlags();
// The automatic choice of a confused commanding member.
void ChooseConfusedCommand(int id);
// The common issue step: `code` is issued for the commanding member at once,
// with the member itself as its target.
void IssueCommandNow(int code);
// The selected guard item of the commanding member is summoned into guard
// place 1 or 2 (from the item list: into the next free party slot).
void SummonGuard(int place, bool fromItems);
// The icon menu of the commanding member opens (the confirm on state 0).
void OpenIconMenu();
// 1 when the entry 1..9 of the icon menu exists (an extra entry needs its slot).
bool IconEntryExists(int entry);
// The code an entry stands for: 1..5 itself, an extra entry its code.
int IconEntryCode(int entry);
