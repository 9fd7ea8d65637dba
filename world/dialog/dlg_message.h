// The story message dialog: every open DialogNode of gDialogList is drawn
// and advanced once per frame by DlgMessage (the map renderer and the battle
// frame call it). A box grows over four frames, then types its text page by
// page into one shared canvas, with the text codes of docs/dialogs.md, the
// speaker's name box, option lines and the next-page and end buttons.
#pragma once
#include <cstdint>

#include "draw/act_pack.h"
#include "draw/dialog_node.h"

// The dialog's fixed picture and act numbers (docs/dialogs.md).
constexpr int32_t kDialogButtonAct = 9001;    // the system act sheet
constexpr int32_t kDialogNextPageQq = 20;     // its stream of the next-page button
constexpr int32_t kDialogEndQq = 21;          // its stream of the end button
constexpr int32_t kDialogFrameActs[4] = {9030, 9031, 9032, 9033};
constexpr int32_t kDialogCaptionActs[4] = {9040, 9041, 9042, 9043};
constexpr uint16_t kDialogDefaultWindow = 9034; // window of a node without a frame act
constexpr uint16_t kDialogCaptionWindow = 9039; // window of a node without a caption act
constexpr int kDialogSoundCode = 192;         // "%A" plays it once

// The one canvas all boxes type into: 40 x 11 units of 11 pixels, 440 x 121.
constexpr int kDialogCharPixels = 11; // a single-byte cell (gDialogUnit)
constexpr int kDialogRowPixels = 22;
constexpr int kDialogCanvasWidth = 440;
constexpr int kDialogCanvasHeight = 121;

// The frame animations and the matching caption animations SetupDialog picks
// by act number (kDialogFrameActs, kDialogCaptionActs), and the two buttons.
extern ActRecord gDialogFrames[4];
extern ActRecord gDialogCaptions[4];
extern ActRecord gDialogNextButton;
extern ActRecord gDialogEndButton;

// The page-turn request the walking code sets each frame: 1 for a fresh
// click, one more for the first frame of the confirm key. DlgMessage clears it.
extern uint32_t gPageTurnRequest;

// Map pixels to screen pixels for the point a box grows from (a speaker's
// position or a node's anchor). The world sets it to its camera; the
// stand-in DialogAnchorIdentity leaves the point as it is.
using DialogToScreenFn = void (*)(int32_t* x, int32_t* y);
extern DialogToScreenFn gDialogToScreen;
void DialogAnchorIdentity(int32_t* x, int32_t* y);

void DlgMessage();

// Sets the act numbers of the frame, caption and button records.
void InitDialogActs();
// Records, request, hook and once-only reports back to their start (tests).
void ResetDlgMessage();
