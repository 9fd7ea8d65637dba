#include "world/story_flags.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/memory.h"
#include "base/settings.h"
#include "draw/act_pack.h"

uint8_t gStoryFlag[kStoryFlagBytes];
EventRectList gEventRects;
uint32_t gFrameInterval = 0;
int gWalkStep = 0;

namespace {

// Bad flag numbers already reported: a script that runs every frame must not
// raise a box every frame. Past the cap further bad numbers are refused quietly.
std::vector<int> gReportedBadFlags;
constexpr size_t kMaxReportedBadFlags = 64;

bool FlagInRange(int n) {
    if (n >= 0 && n < kStoryFlagCount) return true;
    if (gReportedBadFlags.size() < kMaxReportedBadFlags &&
        std::find(gReportedBadFlags.begin(), gReportedBadFlags.end(), n) == gReportedBadFlags.end()) {
        gReportedBadFlags.push_back(n);
        ErrorBox("Act Err(Flag:Range)", "Flag(%d) is outside 0..%d", n, kStoryFlagCount - 1);
    }
    return false;
}

} // namespace

int IsFlag(int n) {
    if (!FlagInRange(n)) return 0;
    return (gStoryFlag[n >> 3] >> (n & 7)) & 1;
}

void SetFlag(int n) {
    if (FlagInRange(n)) gStoryFlag[n >> 3] |= uint8_t(1u << (n & 7));
}

void ClearFlag(int n) {
    if (FlagInRange(n)) gStoryFlag[n >> 3] &= uint8_t(~(1u << (n & 7)));
}

void SetFlagTo(int n, int value) {
    if (value == 1)
        SetFlag(n);
    else
        ClearFlag(n);
}

EventRectNode* AddEventRect(uint32_t word, uint16_t left, uint16_t top, uint16_t right, uint16_t bottom) {
    auto* node = static_cast<EventRectNode*>(AllocZero(sizeof(EventRectNode)));
    if (!node) return nullptr;
    node->word = word;
    node->left = left;
    node->top = top;
    node->right = right;
    node->bottom = bottom;
    EventRectNode** link = &gEventRects.head;
    while (*link) link = &(*link)->next;
    *link = node;
    return node;
}

int CountEventRects() {
    int count = 0;
    for (const EventRectNode* node = gEventRects.head; node; node = node->next) ++count;
    return count;
}

int FindEventRect(int x, int y, EventRectNode** node) {
    int position = 0;
    for (EventRectNode* at = gEventRects.head; at; at = at->next, ++position) {
        // The edges belong to no rectangle, so neighbouring buttons never overlap.
        if (at->left < x && x < at->right && at->top < y && y < at->bottom) {
            if (node) *node = at;
            return position;
        }
    }
    if (node) *node = nullptr;
    return position;
}

void FreeEventRects() {
    EventRectNode* node = gEventRects.head;
    while (node) {
        EventRectNode* next = node->next;
        FreeMem(node);
        node = next;
    }
    gEventRects = EventRectList{};
}

int SetFrameInterval(uint32_t milliseconds) {
    gFrameInterval = milliseconds;
    return 1;
}

int ClearFrameInterval(uint32_t ignored) {
    gFrameInterval = 0;
    return 1;
}

void SetWalkStep(int factor) { gWalkStep = factor; }

void ResetActRecord(ActRecord* record) {
    if (!record) return;
    record->savedAct = -1;
    record->savedQq = -1;
    record->savedDir = -1;
    record->cursor = 0;
    record->wait = 0;
    record->speed = 0;
    record->waitOverride = 0;
    record->hold = 0;
}

void ResetStoryFlags() {
    std::memset(gStoryFlag, 0, sizeof gStoryFlag);
    FreeEventRects();
    gFrameInterval = 0;
    gWalkStep = 0;
    gReportedBadFlags.clear();
}

void ApplyMapEffectsSetting() { SetFlagTo(kFlagMapEffects, gMapEffectsOff != 0 ? 1 : 0); }
