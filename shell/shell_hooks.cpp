#include "shell/shell_hooks.h"

#include "battle/battle_services.h"
#include "menu/frame/menu_frame.h"
#include "menu/menu_services.h"
#include "base/game_state.h"
#include "draw/act_pack.h"
#include "draw/display.h"
#include "draw/tsw_pack.h"
#include "media/music.h"
#include "media/sound_bank.h"
#include "shell/game_start.h"
#include "world/game_db.h"
#include "world/map/map_cache.h"
#include "world/map/map_render.h"
#include "world/minigame/mini_game.h"
#include "world/script/path_run.h"
#include "world/script/talk_machine.h"
#include "world/spirit/spirit.h"
#include "world/walk/astar.h"
#include "world/walk/key_cole.h"
#include "world/walk/key_state.h"
#include "world/walk/map_events.h"
#include "world/new_game.h"

ShellHooks gShellHooks;

void PresentBackBuffer() { gDisplay.Blt(gBackBuffer); }

void LeaveMapForBattle() {
    gSavedMusic = gMusic.currentMode;
    StopAllSfx();
    // The battle brings its own pictures and animations: the map's go.
    ReleaseActCache();
    ClearTswCache();
}

void MapFrameStep() { MapFrameHook(); }

void ResumeSavedMusic() { gMusic.PlayMusic(gSavedMusic, 1, 1); }

void ServiceAudio() {
    // One order for the whole game, kept by the world's ServiceSound: music,
    // then effects, then streams.
    ServiceSound();
}

void InitMenus() {
    RegisterMenuPages();
    InitMenu();
}

void RunTalkStep() { RunTalk(gTalkContext); }
uint32_t SpiritSlot() { return gTalkVar[kTalkVarSpirit]; }

void ResetShellHooks() {
    gShellHooks = ShellHooks{};
    gShellHooks.resetMapCache = ResetMapCache;
    gShellHooks.setCacheDirtyFlag = SetCacheDirtyFlag;
    gShellHooks.initInput = StartInputDevice;
    gShellHooks.initDrawKernel = StartDrawKernelOnBackBuffer;
    gShellHooks.openDataBases = OpenDataBases;
    gShellHooks.aStarInit = AStarInit;
    gShellHooks.miscInit = MiscInit;
    gShellHooks.initMenu = InitMenus;
    gShellHooks.resetGameData = ResetGameData;
    gShellHooks.releaseGame = ReleaseGameAndShell;
    gShellHooks.loadBattleScene = LoadBattleScene;
    gShellHooks.runFightScript = RunFightScript;
    gShellHooks.menuFrame = MenuFrame;
    gShellHooks.shopFrame = ShopFrame;
    gShellHooks.saveLoadScreen = SaveLoadScreen;
    gShellHooks.keyUpdate = KeyUpdate;
    gShellHooks.miniGameFrame = [] { return MiniGameFrame() ? 1 : 0; };
    gShellHooks.talkIdle = TalkIdle;
    gShellHooks.startTimedTalk = StartTimedTalk;
    gShellHooks.closeMapView = CloseMapView;
    gShellHooks.reopenMapView = ReopenMapView;
    gShellHooks.clearRoleFightMarks = ClearRoleFightMarks;
    gShellHooks.startLostFightTalk = StartLostFightTalk;
    gShellHooks.mapFrameHook = MapFrameStep;
    gShellHooks.spiritSlot = SpiritSlot;
    gShellHooks.spiritSlowStep = SpiritSlowStep;
    gShellHooks.mouseActiveStory = MouseActiveStory;
    gShellHooks.keyColeRun = KeyColeRun;
    gShellHooks.runTalk = RunTalkStep;
    gShellHooks.pathRun = PathRun;
    gShellHooks.render = Render;
    gShellHooks.serviceSound = ServiceAudio;
    BindTalkSeams();
}
