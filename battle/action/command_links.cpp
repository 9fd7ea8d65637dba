// The hit key of the timed prompts (see command_links.h).
#include "battle/action/command_links.h"

#include "battle/input/input_links.h"

void OpenHitWindow() {
    gInputLinks.actionWait = 1;
    gInputLinks.actionWaitWord &= ~1u;
}

void CloseHitWindow() {
    gInputLinks.actionWait = 0;
    gInputLinks.actionWaitWord &= ~1u;
}

int TakeHitSignal() {
    if (gInputLinks.actionWait != 1 || !(gInputLinks.actionWaitWord & 1u)) return 0;
    gInputLinks.actionWaitWord &= ~1u;
    return 1;
}
