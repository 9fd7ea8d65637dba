// The cheat dialog's window: a modal panel drawn over the game's picture in
// the game window, with its own loop (as the launcher has): the tab strip,
// the four-column list with its scroll bar, the three digit fields and the
// five buttons of the model (world/debug/cheat_model.h). The game is paused
// while it is open and the audio is serviced on every pass. Esc or the close
// button ends it and the game runs again; closing the window ends it and
// asks the shell to close the game.
//
// Keys: Left and Right change the tab; Up, Down, Page Up, Page Down, Home
// and End move the selection; Tab moves the focus over the fields and the
// buttons that act; digits and Backspace edit the focused field; Enter or
// Space presses the focused button. The mouse clicks tabs, rows, the scroll
// bar's arrows and track, fields and buttons.
#pragma once
#include <cstdint>
#include <vector>

// What lies under a point of the screen.
enum CheatControlKind : int {
    kCheatAtNothing = 0,
    kCheatAtTab,
    kCheatAtRow,         // index: the row shown at that line (top + line)
    kCheatAtScrollUp,
    kCheatAtScrollDown,
    kCheatAtTrackUp,     // the track above the thumb: a page up
    kCheatAtTrackDown,
    kCheatAtField,
    kCheatAtButton,
};
struct CheatControl {
    CheatControlKind kind = kCheatAtNothing;
    int index = 0;
};
CheatControl CheatControlAt(int x, int y);

constexpr int kCheatVisibleRows = 12;
// The focus: the three fields, then the five buttons.
constexpr int kCheatFocusButton0 = 3;
constexpr int kCheatFocusCount = 8;

// Where the dialog stands: the focused control, the pointer and the keys
// of the last passes, the picture under the panel.
struct CheatView {
    int focus = 0;
    int pointerX = 320, pointerY = 240;
    bool pointerDown = false;
    uint32_t heldPasses[256] = {};
    bool windowClosed = false;
    int passes = 0;
    // The picture under the panel, taken when the dialog opens; every pass
    // starts from it, so the panel's tinted box is not darkened again.
    std::vector<uint16_t> under;
};
extern CheatView gCheatView;

// Runs the dialog until it ends. The game is paused while it runs and runs
// again afterwards; 1 when it was closed by the player, 0 when the window
// was closed (the shell is asked to close the game).
int RunCheatDialog();

// One pass of the loop's input: the keyboard state and the pointer with its
// buttons (bit 1 the left button). Tests drive the dialog through it.
void CheatDialogInput(const uint8_t keys[256], int pointerX, int pointerY, int buttons);
// Draws the panel on the locked back buffer (gBackPixels).
void DrawCheatDialog();

void ResetCheatDialog();
