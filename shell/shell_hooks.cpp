#include "shell/shell_hooks.h"

#include "battle/battle_services.h"
#include "menu/menu_services.h"
#include "base/game_state.h"
#include "draw/act_pack.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/game_fonts.h"
#include "draw/tsw_pack.h"
#include "media/music.h"
#include "media/sound_bank.h"
#include "media/video.h"
#include "shell/game_start.h"
#include "world/game_db.h"
#include "world/new_game.h"

ShellHooks gShellHooks;

void PresentBackBuffer() { gDisplay.Blt(gBackBuffer); }

void LeaveMapForBattle() {
    gSavedMusic = gMusic.currentMode;
    CallHook(gShellHooks.stopAllSfx);
    // The battle brings its own pictures and animations: the map's go.
    ReleaseActCache();
    ClearTswCache();
}

void ResumeSavedMusic() { gMusic.PlayMusic(gSavedMusic, 1, 1); }

void ServiceAudio() {
    // The music picks its next track first, so a track that ended this frame
    // is followed at once; then finished effects give their voices back; the
    // streams last step their fades and close what ended.
    gMusic.UpdateMusic();
    gSoundBank.UpdateSounds();
    gStreamPlayer.UpdateStreams();
}

void ResetShellHooks() {
    gShellHooks = ShellHooks{};
    gShellHooks.loadBattleScene = LoadBattleScene;
    gShellHooks.runFightScript = RunFightScript;
    gShellHooks.menuFrame = MenuFrame;
    gShellHooks.shopFrame = ShopFrame;
    gShellHooks.saveLoadScreen = SaveLoadScreen;
    gShellHooks.render = PresentBackBuffer;
    gShellHooks.releaseGame = ReleaseGameAndShell;
    gShellHooks.openDataBases = OpenDataBases;
    gShellHooks.miscInit = MiscInit;
    gShellHooks.resetGameData = ResetGameData;
    gShellHooks.initMenu = InitMenu;
    gShellHooks.makeFonts = MakeGameFonts;
    gShellHooks.openPicturePacks = OpenInstallPicturePacks;
    gShellHooks.setTswCacheLimit = SetTswCacheLimit;
    gShellHooks.stopAllSfx = StopAllSfx;
    gShellHooks.serviceSound = ServiceAudio;
    gShellHooks.closeMapView = LeaveMapForBattle;
    gShellHooks.reopenMapView = MakeGameFonts;
    gShellHooks.resumeMusic = ResumeSavedMusic;
    gShellHooks.serviceVideo = ServiceVideo;
    gShellHooks.stopVideo = StopVideo;
}
