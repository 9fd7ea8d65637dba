// KeyColeRun: the player's control on the map, once per map frame after
// KeyUpdate and before the talk machine. Everything that starts a story or
// moves the camera is handed over through KeyColeHooks: the talk context,
// the open dialogs, the map's named points, the renderer's move requests,
// the menus and the fights belong to other modules. ResetKeyCole sets each
// hook to its real default (world/walk/map_events.h); tests replace them to
// record the calls. An unset hook does nothing (and a question it answers
// reads as "no").
//
// An open talk choice takes the keys (world/walk/choice_keys.h).
// The debug keys (story flag 82) run first (world/debug/debug_keys.h).
#pragma once
#include <cstdint>

struct KeyColeHooks {
    bool (*talkRunning)();                            // a talk runs
    bool (*dialogsOpen)();                            // talk dialogs wait for the player
    bool (*movesPending)();                           // camera scroll requests not yet carried out
    bool (*menuPending)();
    void (*requestRootMenu)();
    void (*startRoleTalk)(uint32_t role);             // fills the running-talk context from the role
    bool (*eventBlocked)(int event);                  // the named point's blocking flag is set
    void (*startEventTalk)(int event, int32_t x, int32_t y);
    void (*requestMove)(int dx, int dy);              // one-cell move requests to the renderer
    uint32_t (*chooseRandomFight)(uint32_t steps, int force);
    void (*startFight)(uint32_t number);
};
extern KeyColeHooks gKeyColeHooks;

struct KeyColeState {
    uint32_t talkConfirm = 0;   // the message dialog pages on it
    uint32_t fadeTick = 0;
};
extern KeyColeState gKeyCole;

void KeyColeRun();
// Turns the role to face the player and both step their animation (talk
// key or touch); then the role's talk starts. The captions name the cause.
void StartTalkWith(uint32_t role, const char* caption1, const char* caption2);
void ResetKeyCole();
