// The after-images of a battle role: fading copies of its frames, one list
// per role (Role::afterImages), drawn and aged once a frame while the role is
// drawn. Plain data: the role's reset code zeroes it only after
// FreeActorEffects.
#pragma once
#include <cstdint>

// Strongest fading level; the alpha table of the fading draw has 17 steps.
constexpr int16_t kAfterImageLevelMax = 16;

// One after-image: where and what to draw, how strongly and how fast it fades.
struct ActorEffectNode {
    ActorEffectNode* next;
    uint32_t callerWords[4];  // the caller's own words, copied along unread
    int32_t x, y;             // the frame's corner on screen
    uint32_t drawFlags;       // OR-ed with the blend mode at drawing
    uint16_t picture, frame, key;
    uint8_t options;          // bit 0: skip when it repeats the last one added
    int16_t tint[3];          // red, green, blue of the tinted second draw
    int16_t level;            // fading strength, 0..16
    int16_t fade;             // taken from the level each frame
};

struct ActorEffectList {
    ActorEffectNode* first;   // null: empty
    uint16_t count;
    uint16_t lastPicture, lastFrame, lastKey;
};

// Appends a copy of `record` (its link ignored). With option bit 0 a record
// repeating the last one (same picture and frame, or the same key) adds
// nothing. The level is kept within 0..16 and a fade below 1 counts as 1, so
// every after-image ends. 1 when a node was added.
int AddActorEffect(ActorEffectList* list, const ActorEffectNode* record);
// One frame of the list: each node fades by its fade, is drawn at its new
// level (and again tinted while the level is above 0); a node at level 0 is
// drawn once more and removed. Returns 1.
int UpdateActorEffects(ActorEffectList* list);
int IsEffectListEmpty(const ActorEffectList* list);
// Frees every node; the list is left empty.
void FreeActorEffects(ActorEffectList* list);
