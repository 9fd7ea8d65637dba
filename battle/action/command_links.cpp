// Stand-in for the command input's hit signal (see command_links.h).
#include "battle/action/command_links.h"

int TakeHitSignal() { return 0; }
