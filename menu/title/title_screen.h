// The title screen: the menu framework's page at depth 60000. Four entries
// (new game, load, options, quit), the new game's name entry with three
// text fields and a typing character, the options box, and two transition
// pages that lead back to the title (a picture that rises from dark and
// sinks back, and the last game picture slowly darkening).
#pragma once
#include <cstdint>
#include <vector>

#include "draw/act_pack.h"
#include "world/dialog/text_record.h"

enum TitleStateId : int32_t {
    kTitleFadingIn = 0,
    kTitleChoosing = 1,
    kTitleActing = 2,  // the name entry, or the fade-out
    kTitleOptions = 5,
    kTitleTransition = 100,
};
enum TitleEntry : int32_t {
    kEntryNewGame = 0,
    kEntryLoad = 1,
    kEntryOptions = 2,
    kEntryQuit = 3,
};
constexpr int kTitleNameFields = 3;
constexpr int kNameBufferBytes = 32;
constexpr int32_t kTitleFadeOut = 100;  // the fade from which the chosen entry acts
constexpr int32_t kTitleNameFade = 98;  // the fade while the name entry is open

struct TitleScreen {
    int32_t state;
    int32_t entry;
    int32_t fade;          // in the options box: the row 0..4
    std::vector<uint16_t> screenCopy;
    int32_t mouseResult;   // 1 OK clicked, 2 cancelled by the right button
    cTextRecord fields[kTitleNameFields];
    bool fieldMade[kTitleNameFields];
    int focus;
    uint8_t name[kNameBufferBytes];
    ActRecord typist;
    int32_t typistCountdown;
    bool shiftAlone;       // game key 2 held with no other key so far
};
extern TitleScreen gTitle;

void RegisterTitleScreen();

void TitleScreenEnter();
void TitleScreenUpdate();
void TitleScreenConfirm();
void TitleScreenCancel();
void DrawTitleScreen();
void TitleKeyDown();
void TitleKeyUp();
void TitleKeyPageDown();
void TitleKeyPageUp();
void TitleKeyLeft();
void TitleKeyRight();
void TitleKeyNextField();
void TitleKeyNext();

// One frame of the title's state without drawing: the fades, the end of the
// name entry and the chosen entry's action (DrawTitleScreen runs it first).
void StepTitleScreen();
// True while the three name fields are open.
bool TitleNameEntryOpen();

void ResetTitleScreen();
