#include "menu/frame/menu_options.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/game_state.h"
#include "base/settings.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/text_font.h"
#include "media/music.h"
#include "platform/plat_file.h"
#include "media/sound_bank.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_texts.h"
#include "world/story_flags.h"

namespace {

constexpr uint32_t kSettingsDword20 = 100;
constexpr int kIconLit = 35, kIconDark = 34;
constexpr uint16_t kMenuPack = 9002;

struct SpeedSample {
    int shown;     // bytes of the sample shown
    int countdown; // frames to the next character
};
SpeedSample gSample;

void SetMusic(uint32_t volume) {
    gMusicVolume = volume;
    gMusic.SetMusicVolume(int(volume * 127 / kVolumeMax));
}

void SetEffectsOff(bool off) {
    gMapEffectsOff = off ? 1 : 0;
    ApplyMapEffectsSetting();
}

void Icon(int x, int y, bool lit) {
    ActRecord icon{};
    ResetActRecord(&icon);
    icon.act = kMenuPack;
    icon.qq = lit ? kIconLit : kIconDark;
    DrawActData(&icon, x, y);
}

void Text(int x, int y, const char* text) {
    if (gBackPixels)
        gFontLarge.DrawTextStr(gBackPixels, x, y, text, uint16_t(MakeColour(21, 15, 8)), kTextShadowed);
}
} // namespace

void StepOption(int row, int direction) {
    const bool right = direction > 0;
    switch (row) {
    case kOptionSound:
        gSfxVolume = right ? std::min(gSfxVolume + 1, kVolumeMax) : (gSfxVolume > 0 ? gSfxVolume - 1 : 0);
        MenuSfx(kSfxSample);
        break;
    case kOptionMusic:
        SetMusic(right ? std::min(gMusicVolume + 1, kVolumeMax) : (gMusicVolume > 0 ? gMusicVolume - 1 : 0));
        break;
    case kOptionCache:
        gMapCacheMB = right ? std::min(gMapCacheMB + kCacheStep, kCacheMax)
                            : std::max(gMapCacheMB, kCacheMin + kCacheStep) - kCacheStep;
        break;
    case kOptionEffects: SetEffectsOff(!right); break;
    case kOptionSpeed:
        gTextSpeed = right ? (gTextSpeed > 0 ? gTextSpeed - 1 : 0) : std::min(gTextSpeed + 1, kSpeedSlowest);
        break;
    default: break;
    }
}

void SetOptionByPointer(int row, int v) {
    if (v < 0) return;
    const uint32_t u = uint32_t(v);
    switch (row) {
    case kOptionSound:
        gSfxVolume = std::min(u, kVolumeMax);
        MenuSfx(kSfxSample);
        break;
    case kOptionMusic: SetMusic(std::min(u, kVolumeMax)); break;
    case kOptionCache: gMapCacheMB = kCacheMin + kCacheStep * std::min(u, 2u); break;
    case kOptionEffects: SetEffectsOff(u == 0); break;
    case kOptionSpeed: gTextSpeed = kSpeedSlowest - std::min(u, kSpeedSlowest); break;
    default: break;
    }
}

void WriteMenuSettings() {
    // An install without a settings file gets one, so that the change lasts.
    WriteDefaultEnv(gInstallPath, gCdPath, gSfxVolume, gMusicVolume, gMapCacheMB, kSettingsDword20,
             uint32_t(IsFlag(kFlagMapEffects)), gTextSpeed, gBattleWait);
}

void InstallFolderName(char* out, int size) {
    if (size <= 0) return;
    // An empty install path (or ".") is the folder the game started in.
    const std::string current = gInstallPath[0] == 0 || std::strcmp(gInstallPath, ".") == 0 ||
                                        std::strcmp(gInstallPath, "./") == 0
                                    ? PlatCurrentFolder()
                                    : std::string();
    std::string_view path = current.empty() ? std::string_view(gInstallPath) : std::string_view(current);
    while (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.remove_suffix(1);
    const size_t slash = path.find_last_of("/\\");
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    if (path.empty()) path = ".";
    std::snprintf(out, size_t(size), "%.*s", int(path.size()), path.data());
}

void DrawOptionValues(int iconX, int rowY) {
    for (int row = 0; row < 2; ++row) {
        const uint32_t value = row == 0 ? gSfxVolume : gMusicVolume;
        for (uint32_t i = 0; i <= kVolumeMax; ++i) Icon(iconX + 16 * int(i), rowY + 32 * row, i <= value && value > 0);
    }
    const int cacheY = rowY + 32 * kOptionCache;
    for (int i = 0; i < 3; ++i) Icon(iconX + 16 * i, cacheY, gMapCacheMB == kCacheMin + kCacheStep * uint32_t(i));
    char folder[64], line[128];
    InstallFolderName(folder, sizeof folder);
    // Where a drive letter stood, a long folder name is cut (marked "~") so
    // that the line ends inside the screen.
    const int x = iconX + 104;
    const int tail = std::snprintf(nullptr, 0, kTextCacheLine, "", int(gMapCacheMB));
    const int room = (gScreenWidth - x) / std::max(1, gFontLarge.TextHeight() / 2) - tail;
    if (room > 1 && int(std::strlen(folder)) > room) {
        int keep = 0;
        while (keep < room - 1) {
            const int step = (uint8_t(folder[keep]) & 0x80) && folder[keep + 1] ? 2 : 1;
            if (keep + step > room - 1) break;
            keep += step;
        }
        folder[keep] = '~';
        folder[keep + 1] = 0;
    }
    std::snprintf(line, sizeof line, kTextCacheLine, folder, int(gMapCacheMB));
    Text(x, cacheY + 6, line);
    const int effectsY = rowY + 32 * kOptionEffects;
    const bool off = IsFlag(kFlagMapEffects);
    Icon(iconX, effectsY, off);
    Icon(iconX + 16, effectsY, !off);
    std::snprintf(line, sizeof line, kTextEffectsLine, off ? kTextOff : kTextOn);
    Text(iconX + 104, effectsY + 6, line);
    const int speedY = rowY + 32 * kOptionSpeed;
    for (uint32_t s = 0; s <= kSpeedSlowest; ++s) Icon(iconX + 64 - 16 * int(s), speedY, s == gTextSpeed);
    static const char* const kNames[5] = {kTextSpeed0, kTextSpeed1, kTextSpeed2, kTextSpeed3, kTextSpeed4};
    Text(iconX + 104, speedY + 6, kNames[std::min(gTextSpeed, kSpeedSlowest)]);
    if (gBackPixels)
        gFontLarge.DrawTextStr(gBackPixels, iconX + 158, speedY + 6, kTextSpeedSample, uint16_t(MakeColour(8, 6, 3)),
                               kTextPlain);
    char typed[sizeof kTextSpeedSample] = {};
    std::memcpy(typed, kTextSpeedSample, size_t(std::clamp(gSample.shown, 0, int(sizeof typed) - 1)));
    Text(iconX + 158, speedY + 6, typed);
}

void StepSpeedSample() {
    if (--gSample.countdown > 0) return;
    gSample.countdown = 2 * int(std::min(gTextSpeed, kSpeedSlowest)) + 1;
    gSample.shown += 2;
    if (gSample.shown > int(sizeof kTextSpeedSample) - 1) gSample.shown = 0;
}

void RestartSpeedSample() { gSample = SpeedSample{}; }
