// The program's start: one copy only, the installer's call, the window, the
// launcher and the start of a game, then the message loop.
#pragma once
#include <cstdint>

// What the player chose in the launcher.
enum : int {
    kLauncherContinue = 1,
    kLauncherNewGame = 2,
    kLauncherQuit = 6,
};

// The window's and the boxes' title.
extern const char kGameTitle[];

// Runs the program with the installer's command line (empty to play);
// returns the exit code.
int WinMain(const char* commandLine);
// The command line of argv (arguments joined by blanks).
int GameMain(int argc, char** argv);

// WM_USER+4: the start sound, settings, the launcher (shell/launcher.h) and
// the start of the game (shell/game_start.h).
void OnStartUpMessage();

// The message loop; returns the code of the quit message.
int MessageLoop();
// One pass of the loop when no message waits: a frame, a video step or the
// pause banner, then a sleep until there is work again.
void IdlePass();

// Puts the shell's state back to before WinMain (tests).
void ResetShell();
