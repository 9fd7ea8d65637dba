// The debug keys of the player's control on the map. The settings' debug
// switch (gDebugAllowed, from the settings file) lets a chord of four keys
// held together (left Ctrl, left Shift, D and G) switch debug mode on (story
// flag 82, saved with the flags); while it is on these keys act, each on its
// press (a key edge: no wait, no repeat while held), and the one that acts
// ends the control pass:
//   F12          the save screen's story-flag page (no talk, no dialog)
//   Ctrl+F       a random fight where the player stands (story flag 12)
//   Ctrl+F9      fast mode on or off
//   Ctrl+Q       quit
//   Ctrl+S/L     the save screen to save / to load (no talk, no dialog)
//   Ctrl+F1/F2   the renderer's two debug overlays on or off
//   Ctrl+F3      walking through walls (story flag 20) on or off
//   Ctrl+Tab with number-pad + or -: the per-map speed value up or down (1..64)
//   F4           the cheat dialog (world/debug/cheat_dialog.h)
//   F7           the action mini-game's test scene
//   F6           10 of every item, weapon and armour of ids 101..1199 into the bag
#pragma once
#include <cstdint>

struct DebugKeys {
    uint8_t before[256] = {};   // the keyboard at the last control pass
    uint32_t overlay[2] = {};   // the renderer's two debug overlays
    uint32_t mapSpeed = 1;      // the renderer's per-map speed value, 1..64
};
extern DebugKeys gDebugKeys;

constexpr uint32_t kMapSpeedMax = 64;

// Once per control pass, first; true when a debug key acted.
bool RunDebugKeys();
// The bag's debug fill of F6.
void AddDebugItems();
void ResetDebugKeys();
