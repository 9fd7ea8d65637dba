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
#include "world/map/map_cache.h"
#include "world/map/map_render.h"

ShellHooks gShellHooks;

void PresentBackBuffer() { gDisplay.Blt(gBackBuffer); }

void LeaveMapForBattle() {
    gSavedMusic = gMusic.currentMode;
    CallHook(gShellHooks.stopAllSfx);
    // The battle brings its own pictures and animations: the map's go.
    ReleaseActCache();
    ClearTswCache();
}

void CloseMapViewForBattle() {
    LeaveMapForBattle();
    CloseMapView();
}

void ReopenMapViewAfterBattle() {
    MakeGameFonts();
    ReopenMapView();
}

void MapFrameStep() { MapFrameHook(); }

void ResumeSavedMusic() { gMusic.PlayMusic(gSavedMusic, 1, 1); }

void ServiceAudio() {
    // One order for the whole game, kept by the world's ServiceSound: music,
    // then effects, then streams.
    ServiceSound();
}

void ResetShellHooks() {
    gShellHooks = ShellHooks{};
    gShellHooks.loadBattleScene = LoadBattleScene;
    gShellHooks.runFightScript = RunFightScript;
    gShellHooks.menuFrame = MenuFrame;
    gShellHooks.shopFrame = ShopFrame;
    gShellHooks.saveLoadScreen = SaveLoadScreen;
    gShellHooks.render = Render;
    gShellHooks.releaseGame = ReleaseShellResources;
    gShellHooks.openDataBases = OpenDataBasesStandIn;
    gShellHooks.initMenu = InitMenu;
    gShellHooks.makeFonts = MakeGameFonts;
    gShellHooks.openPicturePacks = OpenInstallPicturePacks;
    gShellHooks.setTswCacheLimit = SetTswCacheLimit;
    gShellHooks.stopAllSfx = StopAllSfx;
    gShellHooks.serviceSound = ServiceAudio;
    gShellHooks.mapFrameHook = MapFrameStep;
    gShellHooks.closeMapView = CloseMapViewForBattle;
    gShellHooks.reopenMapView = ReopenMapViewAfterBattle;
    gShellHooks.resetMapCache = ResetMapCache;
    gShellHooks.setCacheDirtyFlag = SetCacheDirtyFlag;
    gShellHooks.resumeMusic = ResumeSavedMusic;
    gShellHooks.serviceVideo = ServiceVideo;
    gShellHooks.stopVideo = StopVideo;
}
