#include "shell/shell_hooks.h"

#include "battle/battle_services.h"
#include "menu/menu_services.h"
#include "base/game_state.h"
#include "draw/act_pack.h"
#include "draw/display.h"
#include "draw/tsw_pack.h"
#include "media/music.h"
#include "media/sound_bank.h"
#include "shell/game_start.h"
#include "world/minigame/mini_game.h"
#include "world/script/path_run.h"
#include "world/walk/astar.h"
#include "world/walk/key_cole.h"
#include "world/walk/key_state.h"

ShellHooks gShellHooks;

void PresentBackBuffer() { gDisplay.Blt(gBackBuffer); }

void LeaveMapForBattle() {
    gSavedMusic = gMusic.currentMode;
    StopAllSfx();
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

uint32_t MapCacheStandIn(int) { return 0; }
bool TalkIdleStandIn() { return true; }
uint32_t SpiritSlotStandIn() { return 0; }
int EditFieldStandIn(uint32_t, uint32_t, uint32_t) { return 1; }
void WorldStepStandIn() {}

void ResetShellHooks() {
    gShellHooks = ShellHooks{};
    gShellHooks.resetMapCache = MapCacheStandIn;
    gShellHooks.setCacheDirtyFlag = WorldStepStandIn;
    gShellHooks.initInput = StartInputDevice;
    gShellHooks.initDrawKernel = StartDrawKernelOnBackBuffer;
    gShellHooks.openDataBases = OpenDataBasesStandIn;
    gShellHooks.aStarInit = AStarInit;
    gShellHooks.miscInit = WorldStepStandIn;
    gShellHooks.initMenu = InitMenu;
    gShellHooks.resetGameData = WorldStepStandIn;
    gShellHooks.releaseGame = ReleaseShellResources;
    gShellHooks.loadBattleScene = LoadBattleScene;
    gShellHooks.runFightScript = RunFightScript;
    gShellHooks.menuFrame = MenuFrame;
    gShellHooks.shopFrame = ShopFrame;
    gShellHooks.saveLoadScreen = SaveLoadScreen;
    gShellHooks.keyUpdate = KeyUpdate;
    gShellHooks.miniGameFrame = [] { return MiniGameFrame() ? 1 : 0; };
    gShellHooks.talkIdle = TalkIdleStandIn;
    gShellHooks.startTimedTalk = WorldStepStandIn;
    gShellHooks.closeMapView = WorldStepStandIn;
    gShellHooks.reopenMapView = WorldStepStandIn;
    gShellHooks.clearRoleFightMarks = WorldStepStandIn;
    gShellHooks.startLostFightTalk = WorldStepStandIn;
    gShellHooks.mapFrameHook = WorldStepStandIn;
    gShellHooks.spiritSlot = SpiritSlotStandIn;
    gShellHooks.spiritSlowStep = WorldStepStandIn;
    gShellHooks.mouseActiveStory = WorldStepStandIn;
    gShellHooks.keyColeRun = KeyColeRun;
    gShellHooks.runTalk = WorldStepStandIn;
    gShellHooks.pathRun = PathRun;
    gShellHooks.render = PresentBackBuffer;
    gShellHooks.serviceSound = ServiceAudio;
    gShellHooks.editFieldMessage = EditFieldStandIn;
}
