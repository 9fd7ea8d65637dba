#include "battle/hud/battle_hud.h"

#include <cstring>

#include "base/memory.h"
#include "battle/hud/accumulator.h"
#include "draw/frame_scroll.h"
#include "draw/tsw_pack.h"

namespace {

// Steps a looping act can take while its frames are collected: enough for
// every frame of a long act, short of a hang on one that never ends.
constexpr int kSceneSpriteSteps = 512;

int FindFrame(const SceneSprite& s, uint16_t pic, uint16_t index) {
    for (int i = 0; i < s.frameCount; ++i)
        if (s.framePic[i] == pic && s.frameIndex[i] == index) return i;
    return -1;
}

}  // namespace

void LoadSceneSprite(SceneSprite* s, int32_t x, int32_t y, uint16_t act, int divisor) {
    FreeSceneSprite(s);
    s->x = x;
    s->y = y;
    s->number = act;
    if (act == 0) return;
    ActRecord probe{};
    probe.act = act;
    for (int step = 0; step < kSceneSpriteSteps && probe.done == 0; ++step) {
        if (TakeActData(&probe) == 0) break;
        if (probe.picNumber == 0 || FindFrame(*s, probe.picNumber, probe.picFrame) >= 0) continue;
        if (s->frameCount == kSceneSpriteFrames) continue;  // a seventh frame has no slot
        PicFrame& f = s->frames[s->frameCount];
        if (GetTswPictureDirect(&f, probe.picNumber, probe.picFrame) == nullptr) continue;
        if (divisor > 0) ConvertRlePic(f.data, f.size, kScrollRight, 640 / divisor);
        s->framePic[s->frameCount] = probe.picNumber;
        s->frameIndex[s->frameCount] = probe.picFrame;
        ++s->frameCount;
    }
    if (s->frameCount == 0) {
        s->number = 0;
        return;
    }
    s->act = ActRecord{};
    s->act.act = act;
}

int DrawSceneSprite(SceneSprite* s) {
    if (s->number == 0) return 1;
    if (TakeActData(&s->act) == 0) return 1;
    int i = FindFrame(*s, s->act.picNumber, s->act.picFrame);
    if (i >= 0)
        DrawFrame(&s->frames[i], s->x - static_cast<int16_t>(s->act.hotX), s->y - static_cast<int16_t>(s->act.hotY),
                  s->act.drawFlags, s->blend);
    return s->act.done ? 1 : 0;
}

void ShadeSceneSprite(SceneSprite* s, int amount) {
    if (s->number == 0 || amount == 0) return;
    // Frames that cannot be shifted (key or shadow runs) stay as they are.
    for (int i = 0; i < s->frameCount; ++i)
        ConvertRlePic(s->frames[i].data, s->frames[i].size, amount > 0 ? kScrollRight : kScrollLeft,
                      amount > 0 ? amount : -amount);
    DrawSceneSprite(s);
}

void FreeSceneSprite(SceneSprite* s) {
    for (int i = 0; i < s->frameCount; ++i) FreeMem(s->frames[i].data);
    std::memset(static_cast<void*>(s), 0, sizeof *s);
}

