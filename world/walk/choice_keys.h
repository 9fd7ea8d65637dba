// The keys of an open talk choice (the option lines of a dialog, listed as
// event rectangles): while one is open the keys answer it instead of walking.
#pragma once

// A first frame of a press, or every eighth frame the key is held (7, 15,
// 23, ...): when a held direction key moves the choice again.
bool ChoiceKeyDue(unsigned framesHeld);
// One pass of the choice's keys; the walking pass ends after it. A confirm
// or menu press takes the highlighted option once the dialog lets the keys
// close its choice (kChoiceKeysClose); otherwise left and up move the choice
// back, right and down on, wrapping over the options.
void RunChoiceKeys();
