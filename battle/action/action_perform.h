// The performance of the running action and the battle's inventory helpers.
#pragma once

// One frame of the running action; 1 when it has ended.
int RunCurrentAction();
// The automatic attack of every member while gAutoAttack is on.
void RunAutoAttack();
void SortInventoryById();
void SortMagicListsById();
