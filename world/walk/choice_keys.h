// The keys of an open talk choice (the option lines of a dialog, listed as
// event rectangles): while one is open the keys answer it instead of walking.
#pragma once

// One pass of the choice's keys; the walking pass ends after it. A confirm
// or menu press takes the highlighted option once the dialog lets the keys
// close its choice (kChoiceKeysClose); otherwise left and up move the choice
// back, right and down on, wrapping over the options, on the first frame of
// a press and every eighth frame it is held (frames 1, 7, 15, 23, ...).
void RunChoiceKeys();
