// The command menus. Until they are built no menu is drawn.
#include "battle/input/command_menu.h"

void DrawCommandMenu() {}
