// The dialog half of the flow family (talk_flow_dialog.cpp): dialogs, their
// one-shot settings and captions, the dialog waits and the talk history.
#pragma once
#include "world/script/talk_machine.h"

void RegisterTalkDialogOps(TalkHandler* table);
