// What the turn steps hand to other parts of the battle that are still
// being built: the command application and its performers, the command
// menus, the role's drawing, its defeat display and action timer, and the
// party's retreat and opening acts.
//
// Each is a named stand-in with the simplest body that keeps turns flowing;
// the real module replaces it (and this file shrinks) when it lands.
#pragma once
#include <cstdint>

class Role;
class ManRole;

// Clears the member's mark on the status panel. Stand-in: nothing.
void ClearStatusPanelMark(int slot);
