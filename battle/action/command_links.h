// The hit key of the timed prompts (the chained attack's timing bar, the
// timed skill's countdown): while a prompt is open the command input's wait
// flag is raised, and the input marks each fresh confirm press in the word
// that flag waits on; the command application takes one press at a time.
#pragma once

// The prompt opens: the input's wait flag on, no press pending.
void OpenHitWindow();
// The prompt is over: the wait flag off (the menus take their keys again).
void CloseHitWindow();
// 1 when a press came since the last take (the press is used up), else 0.
int TakeHitSignal();
