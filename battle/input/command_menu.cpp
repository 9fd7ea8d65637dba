// The command menus. DrawCommandMenu lives with the panels
// (battle/input/command_panels.cpp).
#include "battle/input/command_menu.h"
