// What the command application reads of the command input that the input
// does not keep yet: a named stand-in with the simplest body, which goes
// when the input keeps it.
#pragma once

// The input's hit signal (the key of a timed prompt: the chained attack's
// timing bar, the timed skill's countdown); 1 once per press. Stand-in: no
// press ever comes, so those prompts run out without extra hits.
int TakeHitSignal();
