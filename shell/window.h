// The window procedure: activation, the keys the window acts on (pause,
// video skip, screenshot), the pause banner and the end of the program.
#pragma once
#include <cstdint>

uint32_t WndProc(uint32_t message, uint32_t wParam, uint32_t lParam);
uint32_t DefWindowProc(uint32_t message, uint32_t wParam, uint32_t lParam);

// 0 releases the screen-bound resources and stops the frames; 1 restores
// them. Always returns 0; calling it twice with the same argument is harmless.
int ActivateApp(int on);

// The pause box drawn into the back buffer and shown.
void DrawPauseBanner();
// The pause text: Big5 bytes, two blanks in the middle.
extern const char kPauseText[];

// Writes the back buffer to the first free "%sScrnShot\\%05d.bmp"; nothing
// at 64 MB free or less. Returns the number written, or -1.
int TakeScreenShot();

// True once WM_DESTROY ran: the window is gone and later closes do nothing.
extern bool gWindowDestroyed;
// True while the pause banner on screen is current (cleared when it must
// be drawn again).
extern bool gPauseBannerShown;

void ResetWindow();
