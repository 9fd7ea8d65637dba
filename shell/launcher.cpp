#include "shell/launcher.h"

#include "base/game_state.h"
#include "base/settings.h"
#include "platform/plat_audio.h"
#include "platform/plat_display.h"
#include "platform/plat_input.h"
#include "platform/plat_system.h"
#include "shell/launcher_art.h"
#include "shell/messages.h"
#include "shell/winmain.h"
#include "world/story_flags.h"

#include <algorithm>
#include <cstring>

const ZonePlace kZonePlaces[kZoneCount] = {
    {184, 320, 1038}, // continue
    {184, 360, 1039}, // new game
    {352, 320, 1040}, // web page
    {352, 360, 1041}, // readme
    {272, 416, 1042}, // quit
};

const char kMakerWebPage[] = "https://example.com/";

LauncherState gLauncher = {{}, {}, 0, {}, kPlatNoVoice, false};

namespace {

// How long one pass of the launcher's loop waits for events: the pointer is
// drawn about 30 times a second.
constexpr uint32_t kLauncherPassMs = 33;
// The launcher's sounds are heard at the effects' first output format, so a
// game that starts next finds the device as it would open it.
constexpr int kSoundRate = 44100;
constexpr int kSoundBits = 16;

constexpr uint8_t kScanLeftShift = 0x2A, kScanRightShift = 0x36;
constexpr uint8_t kScanLeftCtrl = 0x1D, kScanRightCtrl = 0x9D;

void EndLauncher(int result) { gLauncher.result = result; }

void ActOnZone(int z) {
    switch (z) {
    case kZoneContinue: EndLauncher(kLauncherContinue); break;
    case kZoneNewGame: EndLauncher(kLauncherNewGame); break;
    case kZoneWebPage: OpenUrl(kMakerWebPage); break;
    case kZoneReadme: OpenReadme(std::string(gInstallPath) + "Readme.txt"); break;
    case kZoneQuit: EndLauncher(kLauncherQuit); break;
    default: break;
    }
}

void MouseMessage(uint32_t message, uint32_t wParam, uint32_t lParam) {
    std::memcpy(gLauncher.previous, gLauncher.state, sizeof gLauncher.state);
    std::memset(gLauncher.state, 0, sizeof gLauncher.state);
    int x = int(lParam & 0xFFFF);
    int y = int(lParam >> 16);
    // A click is the press of the left button alone. A move with the button
    // held only lights the zones: acting on it would start one browser for
    // every move of a held button over the web page.
    bool click = message == kWmLButtonDown && wParam == kMkLButton;
    bool entered = false;
    for (int z = 0; z < kZoneCount; ++z) {
        if (!InZone(z, x, y)) continue;
        // Continue is offered only when a saved game exists.
        if (z == kZoneContinue && !IsFlag(kFlagTimedTalkRunning)) continue;
        gLauncher.state[z] = kZoneShown;
        if (gLauncher.previous[z] == 0) entered = true;
        if (click) ActOnZone(z);
    }
    if (entered) PlayLauncherSound(kLauncherSoundZone);
}

// The pointer the launcher draws: the system pointer is hidden while the
// window holds the mouse, so the launcher moves its own by the mouse's counts.
struct Pointer {
    int x = kLauncherWidth / 2;
    int y = kLauncherHeight / 2;
    int32_t rawX = 0, rawY = 0;
    bool left = false;
};

uint32_t HeldBits(const PlatMouseState& m) {
    uint8_t keys[256];
    PlatReadKeyboard(keys);
    uint32_t bits = 0;
    if (m.button[0] & 0x80) bits |= kMkLButton;
    if (m.button[1] & 0x80) bits |= kMkRButton;
    if ((keys[kScanLeftShift] | keys[kScanRightShift]) & 0x80) bits |= kMkShift;
    if ((keys[kScanLeftCtrl] | keys[kScanRightCtrl]) & 0x80) bits |= kMkControl;
    return bits;
}

// Reads the mouse and sends the dialog what changed: a move, then a press.
void FeedPointer(Pointer* p) {
    PlatMouseState m{};
    PlatReadMouse(&m);
    int x = std::clamp(p->x + (m.x - p->rawX), 0, kLauncherWidth - 1);
    int y = std::clamp(p->y + (m.y - p->rawY), 0, kLauncherHeight - 1);
    p->rawX = m.x;
    p->rawY = m.y;
    uint32_t held = HeldBits(m);
    bool left = (held & kMkLButton) != 0;
    uint32_t lParam = uint32_t(x) | (uint32_t(y) << 16);
    if (x != p->x || y != p->y) {
        p->x = x;
        p->y = y;
        // The move comes before a press of the same pass, as on a desktop.
        uint32_t before = p->left ? held : (held & ~kMkLButton);
        LauncherDlgProc(kWmMouseMove, before, lParam);
    }
    if (left && !p->left) LauncherDlgProc(kWmLButtonDown, held, lParam);
    p->left = left;
}

void Blit(std::vector<uint16_t>& frame, const LauncherPicture& pic, int x, int y, bool keyed) {
    for (int row = 0; row < pic.height; ++row) {
        int fy = y + row;
        if (fy < 0 || fy >= kLauncherHeight) continue;
        for (int col = 0; col < pic.width; ++col) {
            int fx = x + col;
            if (fx < 0 || fx >= kLauncherWidth) continue;
            uint16_t px = pic.pixels[size_t(row) * pic.width + col];
            if (keyed && px == kPointerClear) continue;
            frame[size_t(fy) * kLauncherWidth + fx] = px;
        }
    }
}

void DrawLauncher(const LauncherArt& art, const Pointer& p, std::vector<uint16_t>& frame) {
    frame = art.background.pixels;
    for (int z = 0; z < kZoneCount; ++z) {
        if (gLauncher.state[z] == kZoneShown) Blit(frame, art.lit[z], kZonePlaces[z].left, kZonePlaces[z].top, false);
    }
    Blit(frame, art.pointer, p.x, p.y, true);
}

} // namespace

bool InZone(int z, int x, int y) {
    if (z < 0 || z >= kZoneCount) return false;
    const ZonePlace& r = kZonePlaces[z];
    return x >= r.left && x < r.left + kZoneWidth && y >= r.top && y < r.top + kZoneHeight;
}

int LauncherDlgProc(uint32_t message, uint32_t wParam, uint32_t lParam) {
    switch (message) {
    case kWmInitDialog:
        std::memset(gLauncher.state, 0, sizeof gLauncher.state);
        std::memset(gLauncher.previous, 0, sizeof gLauncher.previous);
        gLauncher.result = 0;
        return 1;
    case kWmClose: EndLauncher(kLauncherQuit); return 1;
    case kWmMouseMove:
    case kWmLButtonDown: MouseMessage(message, wParam, lParam); return 1;
    default: return 0;
    }
}

void PlayLauncherSound(int resource) {
    gLauncher.soundsPlayed.push_back(resource);
    if (!PlatAudioIsOpen()) {
        if (!PlatAudioOpen(kSoundRate, kSoundBits, 2)) return; // silent without a device
        gLauncher.openedAudio = true;
    }
    if (gLauncher.voice == kPlatNoVoice) gLauncher.voice = PlatVoiceAllocate();
    if (gLauncher.voice == kPlatNoVoice) return;
    // A new sound replaces the one still playing.
    PlatVoiceInit(gLauncher.voice);
    std::vector<uint8_t> wave = MakeLauncherSound(resource);
    if (PlatVoiceLoad(gLauncher.voice, wave.data(), wave.size(), nullptr)) PlatVoiceStart(gLauncher.voice);
}

void CloseLauncherSound() {
    if (gLauncher.voice != kPlatNoVoice) PlatVoiceRelease(gLauncher.voice);
    gLauncher.voice = kPlatNoVoice;
    if (gLauncher.openedAudio) PlatAudioClose();
    gLauncher.openedAudio = false;
}

bool OpenUrl(const char* address) { return address != nullptr && PlatOpenUrl(address); }

bool OpenReadme(const std::string& path) { return PlatOpenDocument(path.c_str()); }

int RunLauncher() {
    if (!PlatDisplayOpen(kGameTitle, kLauncherWidth, kLauncherHeight, false)) {
        CloseLauncherSound();
        return kLauncherNewGame;
    }
    PlatShowCursor(false);
    LauncherArt art;
    MakeLauncherArt(PlatDisplayLayout(), &art);
    std::vector<uint16_t> frame;
    LauncherDlgProc(kWmInitDialog, 0, 0);

    Pointer pointer;
    PlatMouseState m{};
    PlatReadMouse(&m);
    pointer.rawX = m.x;
    pointer.rawY = m.y;
    pointer.left = (m.button[0] & 0x80) != 0; // a button already held is no click

    while (gLauncher.result == 0) {
        PlatEvent e;
        while (gLauncher.result == 0 && PlatPollEvent(&e)) {
            if (e.kind == kPlatEventQuit) LauncherDlgProc(kWmClose, 0, 0);
        }
        if (gLauncher.result != 0) break;
        FeedPointer(&pointer);
        if (gLauncher.result != 0) break;
        DrawLauncher(art, pointer, frame);
        PlatDisplayPresent(frame.data(), kLauncherWidth * 2, kLauncherWidth, kLauncherHeight);
        PlatWaitEvent(kLauncherPassMs);
    }
    CloseLauncherSound();
    // A game that starts takes the window over for its display; only quit
    // closes it here.
    if (gLauncher.result == kLauncherQuit) {
        PlatShowCursor(true);
        PlatDisplayClose();
    }
    return gLauncher.result;
}

void ResetLauncher() {
    CloseLauncherSound();
    gLauncher = LauncherState{{}, {}, 0, {}, kPlatNoVoice, false};
}
