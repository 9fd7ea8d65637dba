// The hit key of the timed prompts (see command_links.h).
#include "battle/action/command_links.h"

#include "battle/battle_state.h"

void OpenHitWindow() {
    gActionWait = 1;
    gActionWaitWord &= ~1u;
}

void CloseHitWindow() {
    gActionWait = 0;
    gActionWaitWord &= ~1u;
}

int TakeHitSignal() {
    if (gActionWait != 1 || !(gActionWaitWord & 1u)) return 0;
    gActionWaitWord &= ~1u;
    return 1;
}
