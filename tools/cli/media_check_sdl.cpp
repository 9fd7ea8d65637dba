// Plays a generated sound effect, a generated music track and a generated
// video through the real window and audio device, and says how it went.
// Run it under a display (Xvfb will do); without a sound device the game's
// rule holds: everything plays on silent.
//
//   media_check_sdl [folder]     (the folder receives the generated files)
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/edition.h"
#include "base/game_state.h"
#include "base/input.h"
#include "base/settings.h"
#include "draw/display.h"
#include "draw/surface.h"
#include "media/music.h"
#include "media/sound_bank.h"
#include "media/video.h"
#include "platform/plat_audio.h"
#include "platform/plat_clock.h"
#include "platform/plat_display.h"
#include "shell/shell_hooks.h"
#include "tools/file_writer.h"
#include "tools/media_writer.h"
#include "tools/snd_writer.h"

EditionFacts gEdition = {
    kEditionTraditional, false, 136, "\xB2\xD3\xA9\xFA\xC5\xE9", 0x0700, "media check", "",
};

namespace {

bool WriteFixtures(const std::string& folder) {
    std::filesystem::create_directories(folder + "Video");
    std::filesystem::create_directories(folder + "music");
    std::vector<uint8_t> wave = BuildWaveFile(ToneSamples(660, 400, 22050, 2, 10000), 22050, 2);
    std::vector<uint8_t> pack = BuildSoundPack({{1, HeaderlessWave(wave), kSoundKindHeaderless}});
    if (!WriteBytesToFile((folder + "all.snd").c_str(), pack)) return false;
    std::vector<uint8_t> track = BuildWaveFile(ToneSamples(330, 1000, 22050, 2, 6000), 22050, 2);
    if (!WriteBytesToFile((folder + "music/m01.wav").c_str(), track)) return false;
    VideoClipSpec spec;
    spec.width = 320;
    spec.height = 240;
    spec.frames = 30;
    spec.fps = 15;
    spec.withSound = true;
    std::string error;
    if (!WriteVideoFile(folder + "Video/check.avi", spec, &error)) {
        std::fprintf(stderr, "media_check: %s\n", error.c_str());
        return false;
    }
    return true;
}

// Keeps the window answering while time passes.
void PumpEvents() {
    PlatEvent e;
    while (PlatPollEvent(&e)) {
    }
}

// The frame's audio service for ms milliseconds of 35 ms frames.
void RunAudioFrames(uint32_t ms) {
    for (uint32_t t = 0; t < ms; t += 35) {
        PumpEvents();
        ServiceAudio();
        PlatSleep(35);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : (std::filesystem::temp_directory_path() / "kyv_media_check").string();
    if (folder.back() != '/') folder += '/';
    if (!WriteFixtures(folder)) {
        std::fprintf(stderr, "media_check: cannot write the generated files to %s\n", folder.c_str());
        return 1;
    }
    if (gDisplay.InitDDraw("media check", kModeWindowed, 640, 480, 16) != 1) {
        std::fprintf(stderr, "media_check: no display\n");
        return 1;
    }
    gBackBuffer = gDisplay.CreateOffSurface(640, 480);
    gInput.InitDInput();
    SetupVideoSound(nullptr, 0, 0);

    StartMiles(folder.c_str());
    bool sound = gSoundBank.OpenSound(folder.c_str());
    std::printf("audio: %s\n", sound ? gSoundBank.Description() : gSoundBank.LastError());
    gStreamPlayer.InitStreamPlayer(gSoundBank.GetDriver());
    gMusic.SetMusicVolume(100);

    PlaySfx(1, 11);
    int effectVoices = gSoundBank.BusyCount();
    RunAudioFrames(600);
    std::printf("effect: started %d, still playing after 600 ms %d\n", effectVoices, gSoundBank.BusyCount());

    std::string track = folder + "music/m01.wav";
    gMusic.QueueTrack(track.c_str(), 1, 0, 1);
    gMusic.PlayMusic(1, 2, 1);
    RunAudioFrames(105);
    bool musicStarted = !gMusic.IsMusicTrackDone();
    RunAudioFrames(1400);
    std::printf("music: started %s, ended %s\n", musicStarted ? "yes" : "no", gMusic.IsMusicTrackDone() ? "yes" : "no");

    gInstallKind = kInstallKindHardDisk;
    std::snprintf(gInstallPath, sizeof gInstallPath, "%s", folder.c_str());
    const char name[] = "check.avi";
    uint8_t script[2 + sizeof name + 1] = {0x30, 0x00};
    std::memcpy(script + 2, name, sizeof name - 1);
    script[2 + sizeof name - 1] = 0x25;
    script[2 + sizeof name] = 0x51;
    uint32_t position = 0, length = 0;
    PlayVideoCommand(script, sizeof script, &position, &length);
    bool opened = gVideo && gVideo->IsOpen();
    int lastFrame = 0;
    uint32_t start = PlatTicks();
    while ((gGameMode & kModeVideo) && PlatTicks() - start < 10000) {
        PumpEvents();
        lastFrame = GetVideoFrame() > 0 ? GetVideoFrame() : lastFrame;
        ServiceVideo();
        PlatSleep(1);
    }
    uint32_t took = PlatTicks() - start;
    std::printf("video: opened %s, frames shown %d, %u ms\n", opened ? "yes" : "no", lastFrame + 1, took);

    StopAllSfx();
    gStreamPlayer.ShutdownStreamPlayer();
    gSoundBank.CloseSound();
    gDisplay.ReleaseDDraw();
    bool ok = opened && lastFrame + 1 == 30 && (!sound || (effectVoices == 1 && musicStarted));
    std::printf("%s\n", ok ? "media check passed" : "media check FAILED");
    return ok ? 0 : 1;
}
