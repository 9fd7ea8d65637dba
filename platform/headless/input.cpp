// Headless events, keyboard and mouse: queues that tests fill, each item
// waiting for the frame (present count) it was queued for.
#include "platform/headless/headless.h"
#include "platform/plat_display.h"
#include "platform/plat_input.h"
#include "platform/posix/posix.h"

#include <algorithm>
#include <cstring>
#include <deque>

namespace {

enum class ItemKind { Event, Key, Keyboard, Mouse };

struct ScriptItem {
    uint32_t frame;
    ItemKind kind;
    PlatEvent event;
    uint8_t code;
    bool down;
    uint8_t keyboard[256];
    PlatMouseState mouse;
};

struct HeadlessInput {
    std::deque<ScriptItem> script; // ordered by frame, then by queueing
    std::deque<PlatEvent> events;  // events whose frame has come
    uint8_t keys[256] = {};
    PlatMouseState mouse = {};
    // Buttons that went down since the last read, as the real mouse keeps a
    // click made between two reads.
    uint8_t latched[2] = {};
    HeadlessWaitHook waitHook = nullptr;
};
HeadlessInput gHeadlessInput;

void Apply(const ScriptItem& item) {
    HeadlessInput& in = gHeadlessInput;
    switch (item.kind) {
    case ItemKind::Event: in.events.push_back(item.event); break;
    case ItemKind::Key: in.keys[item.code] = item.down ? 0x80 : 0x00; break;
    case ItemKind::Keyboard: std::memcpy(in.keys, item.keyboard, sizeof in.keys); break;
    case ItemKind::Mouse:
        in.mouse = item.mouse;
        for (int b = 0; b < 2; ++b) in.latched[b] |= item.mouse.button[b] & 0x80;
        break;
    }
}

// Moves every item whose frame has come into the live state.
void CatchUp() {
    HeadlessInput& in = gHeadlessInput;
    uint32_t frame = HeadlessPresentCount();
    while (!in.script.empty() && in.script.front().frame <= frame) {
        Apply(in.script.front());
        in.script.pop_front();
    }
}

void Queue(const ScriptItem& item) {
    if (item.frame == kHeadlessNow) {
        CatchUp(); // earlier items keep their place before this one
        Apply(item);
        return;
    }
    auto& script = gHeadlessInput.script;
    auto at = std::upper_bound(script.begin(), script.end(), item.frame,
                               [](uint32_t frame, const ScriptItem& other) { return frame < other.frame; });
    script.insert(at, item);
}

ScriptItem MakeItem(ItemKind kind, uint32_t atFrame) {
    ScriptItem item{};
    item.kind = kind;
    item.frame = atFrame;
    return item;
}

} // namespace

bool PlatPollEvent(PlatEvent* event) {
    CatchUp();
    auto& events = gHeadlessInput.events;
    if (events.empty()) return false;
    if (event != nullptr) *event = events.front();
    events.pop_front();
    return true;
}

void PlatWaitEvent(uint32_t ms) {
    CatchUp();
    if (gHeadlessInput.events.empty() && gHeadlessInput.waitHook) {
        gHeadlessInput.waitHook(ms);
        CatchUp();
    }
    // Nothing else can arrive while the game waits, so the wait is all time.
    if (gHeadlessInput.events.empty()) PlatSleep(ms);
}

void HeadlessSetWaitHook(HeadlessWaitHook hook) { gHeadlessInput.waitHook = hook; }

void PlatReadKeyboard(uint8_t state[256]) {
    CatchUp();
    std::memcpy(state, gHeadlessInput.keys, sizeof gHeadlessInput.keys);
}

void PlatReadMouse(PlatMouseState* state) {
    CatchUp();
    HeadlessInput& in = gHeadlessInput;
    if (state != nullptr) {
        *state = in.mouse;
        for (int b = 0; b < 2; ++b) state->button[b] |= in.latched[b];
    }
    in.latched[0] = in.latched[1] = 0;
}

void PlatClearKeyboard() { std::memset(gHeadlessInput.keys, 0, sizeof gHeadlessInput.keys); }

void HeadlessQueueEvent(const PlatEvent& event, uint32_t atFrame) {
    ScriptItem item = MakeItem(ItemKind::Event, atFrame);
    item.event = event;
    Queue(item);
}

void HeadlessQueueKey(uint8_t code, bool down, uint32_t atFrame) {
    ScriptItem item = MakeItem(ItemKind::Key, atFrame);
    item.code = code;
    item.down = down;
    Queue(item);
}

void HeadlessQueueKeyboard(const uint8_t state[256], uint32_t atFrame) {
    ScriptItem item = MakeItem(ItemKind::Keyboard, atFrame);
    std::memcpy(item.keyboard, state, sizeof item.keyboard);
    Queue(item);
}

void HeadlessQueueMouse(const PlatMouseState& state, uint32_t atFrame) {
    ScriptItem item = MakeItem(ItemKind::Mouse, atFrame);
    item.mouse = state;
    Queue(item);
}

void HeadlessQueueText(const char* utf8, uint32_t atFrame) {
    for (int code : PosixTypedCharacters(utf8, PlatTypingCodeSetOf())) {
        ScriptItem item = MakeItem(ItemKind::Event, atFrame);
        item.event = {kPlatEventText, code, 0};
        Queue(item);
    }
}

void HeadlessResetInput() {
    gHeadlessInput = HeadlessInput{};
    PlatSetTypingCodeSet(kPlatTypingBig5);
}
