// The calls the shell makes into the battle, the menus and modules of the
// world, the media and the fonts that are built after it. The battle and
// menu entries start as those services' functions; the others are null
// until the module that owns the work sets them (or replaces the call with a
// direct one), and a null entry is skipped. Tests set entries to record the
// frame's order of calls.
#pragma once
#include <cstdint>

struct ShellHooks {
    // Start-up and shutdown.
    uint32_t (*resetMapCache)(int mode);      // returns the cache's bytes
    void (*setCacheDirtyFlag)();
    void (*openPicturePacks)();               // after the settings are read
    void (*setTswCacheLimit)(uint32_t bytes);
    // The start of a game, in its order. A step that returns int reports
    // 1 for success; its own failure box is shown by the step.
    int (*initInput)();                       // null: gInput.InitDInput (tests make it fail)
    int (*initDrawKernel)();                  // null: InitDrawKernel on gBackBuffer
    int (*openDataBases)();                   // "maps.dat", "path.dat", "talk1.dat"
    void (*aStarInit)();                      // the path finder's node pool
    void (*miscInit)();                       // story and party state of a new game
    void (*initMenu)();
    void (*resetGameData)();                  // map, roles, talk context, path slots
    void (*releaseGame)();                    // the whole release at WM_DESTROY
    // The battle and the menus (set to their services by ResetShellHooks).
    void (*loadBattleScene)(uint32_t number);
    int (*runFightScript)();                  // 1 goes on, 0 ended, 2 lost
    void (*menuFrame)();
    void (*shopFrame)();
    void (*saveLoadScreen)();
    // The frame.
    void (*keyUpdate)();
    int (*miniGameFrame)();                   // 1 when the mini-game ended
    bool (*talkIdle)();                       // no talk runs (null: idle)
    void (*startTimedTalk)();                 // frees the map's transient lists, starts the talk
    void (*closeMapView)();                   // music saved, sounds stopped, caches and map view released
    void (*reopenMapView)();                  // fonts made again, map view mapped again
    void (*clearRoleFightMarks)();            // after the scene is loaded
    void (*resumeMusic)();
    void (*startLostFightTalk)();             // talk entry 99 of the map script
    void (*mapFrameHook)();
    void (*setTextHeights)();                 // 22, 18, 16
    void (*spiritTick)();                     // every 900 frames with a spirit
    void (*mouseActiveStory)();
    void (*keyColeRun)();
    void (*runTalk)();
    void (*pathRun)();
    void (*render)();                         // draws and presents the map frame
    void (*serviceSound)();
    // Video and activation.
    void (*serviceVideo)();
    void (*stopVideo)();
    void (*stopAllSfx)();
    void (*makeFonts)();                      // the three fonts on the display (20, 16, 12)
};

extern ShellHooks gShellHooks;

// Calls a hook when it is set; a null entry is skipped.
template <typename Fn, typename... Args>
void CallHook(Fn* hook, Args... args) {
    if (hook) hook(args...);
}

// The start-up defaults: the battle and menu services, the modules that
// exist (picture packs, fonts, sounds, music, video), the shell's own stand-ins where it
// has one (render presents the back buffer, releaseGame releases what the
// start made, openDataBases checks that the three databases open), null
// elsewhere.
void ResetShellHooks();
// The shell's own stand-ins, for hooks that wrap them.
void PresentBackBuffer();
// The engine's part of leaving the map for a story fight: the music's mode
// kept in gSavedMusic, effects stopped, the act and picture caches emptied.
// The world's hook adds the map view's release to it.
void LeaveMapForBattle();
// The music of before the fight again (mode gSavedMusic, from its first track).
void ResumeSavedMusic();
// The audio's share of a frame: music, then effects, then streams. The
// world replaces it with its own once the map has sounds of its own.
void ServiceAudio();
// Releases what the start of a game made (gStartMade), nothing else.
void ReleaseShellResources();
