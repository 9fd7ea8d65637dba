// A recorded run of the whole program: the inputs of the headless back-end,
// frame by frame, over one or more launches of the program, with named
// check points. The file is text, one item a line (';' starts a comment):
//
//   launch                      the program starts (again)
//   <frame> key <code> down|up  a key (PC scan code) goes down or up
//   <frame> mouse <x> <y> <left> <right>
//                               the mouse's raw counts and buttons (0 or 1)
//   <frame> text "<utf-8>"      typed text ("\xHH" escapes)
//   <frame> close               the window is closed
//   <frame> check <name>        a check point: the run's state is looked at
//
// <frame> is the headless present count at which the item takes effect
// (counted over the whole run, launches included); frames never go back.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/plat_input.h"

enum class ReplayKind { kKey, kMouse, kText, kClose, kCheck };

struct ReplayItem {
    uint32_t frame = 0;
    ReplayKind kind = ReplayKind::kKey;
    uint8_t code = 0;      // kKey
    bool down = false;     // kKey
    PlatMouseState mouse{}; // kMouse
    std::string text;      // kText: UTF-8; kCheck: the name
    bool operator==(const ReplayItem& o) const {
        return frame == o.frame && kind == o.kind && code == o.code && down == o.down && mouse.x == o.mouse.x &&
               mouse.y == o.mouse.y && mouse.button[0] == o.mouse.button[0] &&
               mouse.button[1] == o.mouse.button[1] && text == o.text;
    }
};

struct ReplayLaunch {
    std::vector<ReplayItem> items;
};

struct ReplayScript {
    std::vector<ReplayLaunch> launches;
    // Every check point's name, in order.
    std::vector<std::string> CheckNames() const;
    // The last frame any item names (0 for none).
    uint32_t LastFrame() const;
};

// False with "line N: why" in *error (nothing before the first launch, frames
// that go back, an unknown item, a bad number, a check name that is not one
// word of letters, digits and '-').
bool ParseReplay(const std::string& text, ReplayScript* out, std::string* error);
// The text ParseReplay reads back to the same script, with the header
// comment lines given (each written after "; ").
std::string FormatReplay(const ReplayScript& script, const std::vector<std::string>& header);

// Queues one launch's inputs with the headless back-end at their frames: a
// key as its state and its window event, as the desktop back-end gives
// both; the checks are not inputs and are left out.
void QueueReplayInputs(const ReplayLaunch& launch);
// One input queued for its frame (kCheck does nothing).
void QueueReplayItem(const ReplayItem& item);
