// The calls the shell makes into modules that are not built yet (the map,
// the roles, the scripts, the map cache, the path finder, the mini-game and
// the spirit), into the battle and the menus, and the seams tests replace
// (input and kernel start, the databases, the release). Modules that exist
// are called directly.
//
// Every entry has a default set by ResetShellHooks: the real work where the
// shell or a service does it, else a named stand-in (…StandIn) that does the
// least its caller relies on. A later module sets its entry at start-up, or
// replaces the call with a direct one. Tests set entries to record the
// frame's order of calls.
#pragma once
#include <cstdint>

struct ShellHooks {
    // Start-up and shutdown.
    uint32_t (*resetMapCache)(int mode);      // returns the cache's bytes
    void (*setCacheDirtyFlag)();
    // The start of a game, in its order. A step that returns int reports
    // 1 for success; its own failure box is shown by the step.
    int (*initInput)();                       // gInput.InitDInput (tests make it fail)
    int (*initDrawKernel)();                  // InitDrawKernel on gBackBuffer
    int (*openDataBases)();                   // "maps.dat", "path.dat", "talk1.dat"
    void (*aStarInit)();                      // the path finder's node pool
    void (*miscInit)();                       // story and party state of a new game
    void (*initMenu)();
    void (*resetGameData)();                  // map, roles, talk context, path slots
    void (*releaseGame)();                    // the whole release at WM_DESTROY
    // The battle and the menus.
    void (*loadBattleScene)(uint32_t number);
    int (*runFightScript)();                  // 1 goes on, 0 ended, 2 lost
    void (*menuFrame)();
    void (*shopFrame)();
    void (*saveLoadScreen)();
    // The frame.
    void (*keyUpdate)();
    int (*miniGameFrame)();                   // 1 when the mini-game ended
    bool (*talkIdle)();                       // no talk runs
    void (*startTimedTalk)();                 // frees the map's transient lists, starts the talk
    void (*closeMapView)();                   // the map-cache slot's view let go (after the engine's part)
    void (*reopenMapView)();                  // the slot mapped again (after the fonts)
    void (*clearRoleFightMarks)();            // after the scene is loaded
    void (*startLostFightTalk)();             // talk entry 99 of the map script
    void (*mapFrameHook)();
    uint32_t (*spiritSlot)();                 // talk variable 2: the spirit carried, 0 none
    void (*spiritSlowStep)();                 // every 900 frames with a spirit
    void (*mouseActiveStory)();
    void (*keyColeRun)();
    void (*runTalk)();
    void (*pathRun)();
    void (*render)();                         // draws and presents the map frame
    void (*serviceSound)();
};

extern ShellHooks gShellHooks;

// Calls a hook; an entry a test cleared is skipped.
template <typename Fn, typename... Args>
void CallHook(Fn* hook, Args... args) {
    if (hook) hook(args...);
}

// Every entry back to its default.
void ResetShellHooks();

// The shell's own defaults, for hooks that wrap them.
void PresentBackBuffer();
// The engine's part of leaving the map for a story fight: the music's mode
// kept in gSavedMusic, effects stopped, the act and picture caches emptied.
// The frame then calls closeMapView for the map view.
void LeaveMapForBattle();
// The music of before the fight again (mode gSavedMusic, from its first track).
void ResumeSavedMusic();
// The audio's share of a frame: music, then effects, then streams. The
// world replaces it with its own once the map has sounds of its own.
void ServiceAudio();
// The menu pages registered with the framework, then its start (InitMenu).
void InitMenus();
// Releases what the start of a game made (gStartMade), nothing else.
void ReleaseShellResources();
// The map frame's talk: RunTalk on the one context (a talk file that cannot
// be read has set the quit bit, which the frame tests next).
void RunTalkStep();
// Talk variable 2: the spirit carried, 0 none.
uint32_t SpiritSlot();

// Stand-ins for modules not built yet: each does nothing but what its
// caller needs to go on.
