// What the player's control hands over when it acts: the talk a role or a
// map event starts (the running-talk context), the root menu, the random
// fight and the move requests. These are the defaults of KeyColeHooks;
// tests put recorders in their place.
//
// A named point of the map (a map event) keeps its talk number in its first
// value (bit 15 ignored) and the story flag that blocks its cell in its
// second (0: never blocked).
#pragma once
#include <cstdint>

bool TalkRunsNow();
bool TalkDialogsWaiting();
bool MenuRequestPending();
void RequestRootMenu();
bool MapEventBlocked(int event);
// An unknown event number starts nothing.
void StartMapEventTalk(int event, int32_t x, int32_t y);
// A random fight starts at once: the music's mode is kept, effects stop, the
// act and picture caches and the map view are let go, the move requests are
// cleared, the battle scene is loaded and every role but 0 loses 0x1000000.
void StartRandomFight(uint32_t number);
// Clears the battle mark of every role but the player's (a fight starts).
void ClearRoleFightMarks();

// The defaults above as a KeyColeHooks.
struct KeyColeHooks DefaultKeyColeHooks();
