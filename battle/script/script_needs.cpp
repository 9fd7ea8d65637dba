// Stand-ins for what the battle script needs of the commands, the turns and
// the results until those modules are built.
#include "battle/script/script_needs.h"

void RefreshShownGauges(int) {}
void RequestRetarget() {}
void MarkEnemyOnEnemy(int) {}
void MarkAllyOnAlly(int) {}
void NoteDownedMember(int) {}
