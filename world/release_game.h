// The world's share of the end of a game: every run-time list and buffer of
// the world is freed and the databases are closed. The shell's release
// (display, input, audio, the talk script and the maps image it made) runs
// after it, so nothing is freed twice.
#pragma once

// Returns 1. Safe to call twice, and with nothing made.
int ReleaseGame();
