// What the turn steps hand to a part of the battle that does not keep it yet:
// the status panel's mark of a member. A named stand-in with the simplest
// body; it goes when the HUD keeps the mark.
#pragma once

// Clears the member's mark on the status panel. Stand-in: nothing.
void ClearStatusPanelMark(int slot);
