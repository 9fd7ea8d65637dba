// The launcher: the picture the player sees before the game starts, with
// five mouse hot zones (continue, new game, the maker's web page, the
// readme, quit). It is a small state machine fed mouse messages
// (LauncherDlgProc) and a loop that draws it in its own window and turns the
// platform's mouse into those messages (RunLauncher).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The dialog's messages, as the window procedure numbers them.
enum : uint32_t {
    kWmInitDialog = 0x0110,
    kWmMouseMove = 0x0200,
    kWmLButtonDown = 0x0201,
};
// wParam bits of the mouse messages: buttons and keys held.
enum : uint32_t {
    kMkLButton = 0x01,
    kMkRButton = 0x02,
    kMkShift = 0x04,
    kMkControl = 0x08,
};

enum LauncherZone : int {
    kZoneContinue = 0,
    kZoneNewGame = 1,
    kZoneWebPage = 2,
    kZoneReadme = 3,
    kZoneQuit = 4,
    kZoneCount = 5,
};
// State byte of a zone under the pointer (its lit picture shows).
constexpr uint8_t kZoneShown = 5;

struct ZonePlace {
    int left, top;  // 112 x 40 from here
    int control;    // the control that shows the lit picture
};
extern const ZonePlace kZonePlaces[kZoneCount];

// The maker's web page.
extern const char kMakerWebPage[];

struct LauncherState {
    uint8_t state[kZoneCount];     // this mouse message
    uint8_t previous[kZoneCount];  // the one before
    int result;                    // 0 while open, then 1, 2 or 6
    std::vector<int> soundsPlayed; // sound resources, in order
    int voice;                     // the voice of the launcher's sounds, -1 none
    bool openedAudio;              // the launcher opened the audio device
};
extern LauncherState gLauncher;

// The dialog procedure: kWmInitDialog, kWmClose, kWmMouseMove and
// kWmLButtonDown (x in the low 16 bits of lParam, y in the high ones).
// Returns 1 for a handled message, 0 otherwise.
int LauncherDlgProc(uint32_t message, uint32_t wParam, uint32_t lParam);
// True when zone z's rectangle holds (x, y).
bool InZone(int z, int x, int y);

// Plays one of the launcher's two sounds, stopping the one before.
void PlayLauncherSound(int resource);
// Lets the launcher's voice go and closes the audio device when the launcher
// opened it.
void CloseLauncherSound();

// The maker's web page and the readme, with the desktop's programs.
bool OpenUrl(const char* address);
bool OpenReadme(const std::string& path);

// Shows the launcher until the player chooses; returns 1 (continue), 2 (new
// game) or 6 (quit). The window stays open for the game's display unless
// the player quit. When its window cannot open, the game starts as for a
// new game, and the display's own failure box tells why.
int RunLauncher();

// Back to the state before start-up (tests).
void ResetLauncher();
