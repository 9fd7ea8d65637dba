#include "world/dialog/story_timer.h"

#include "base/game_state.h"
#include "draw/act_pack.h"
#include "draw/tsw_pack.h"
#include "world/story_flags.h"

#include <algorithm>

namespace {
constexpr int kMaxPictures = 8;
constexpr int64_t kMaxFrames = INT32_MAX;
// One record per place, so each digit keeps its own animation.
ActRecord gTimerDigits[kMaxPictures];
} // namespace

void StartStoryTimer(uint32_t minutes, uint32_t seconds, uint32_t talk, uint32_t kind) {
    const int64_t frames = std::min<int64_t>((int64_t(minutes) * 60 + seconds) * kTimerFramesPerSecond, kMaxFrames);
    if (kind == 0) {
        gTalkCountdown = int32_t(frames);
        gCountdownTalk = talk;
        SetFlag(kFlagTimedTalkArmed);
        SetFlag(kFlagTimedTalkRunning);
    } else if (kind == 1) {
        gFlagCountdown = int32_t(frames);
        SetFlag(kFlagCountdownArmed);
    }
}

int StoryTimerDigits(int32_t seconds, uint8_t out[8]) {
    const int32_t t = std::max(seconds, 0);
    int32_t minutes = t / 60;
    uint8_t reversed[kMaxPictures];
    int n = 0;
    do {
        reversed[n++] = uint8_t(minutes % 10);
        minutes /= 10;
    } while (minutes > 0 && n < 5);
    int count = 0;
    while (n > 0) out[count++] = reversed[--n];
    out[count++] = kTimerSeparator;
    out[count++] = uint8_t((t % 60) / 10);
    out[count++] = uint8_t(t % 10);
    return count;
}

int DrawStoryTimer(int32_t x, int32_t y, uint32_t kind) {
    if (IsFlag(kStoryTimerHidden)) return 0;
    int32_t frames = 0;
    if (kind == 0 && IsFlag(kFlagTimedTalkArmed))
        frames = gTalkCountdown;
    else if (kind == 1 && IsFlag(kFlagCountdownArmed))
        frames = gFlagCountdown;
    else
        return 0;
    uint8_t digits[kMaxPictures];
    const int count = StoryTimerDigits(frames / kTimerFramesPerSecond, digits);
    for (int i = 0; i < count; ++i) {
        ActRecord& r = gTimerDigits[i];
        if (r.act != kTimerDigitAct) {
            ResetActRecord(&r);
            r.act = kTimerDigitAct;
        }
        r.qq = digits[i];
        if (!DrawActData(&r, x, y)) continue;
        const PicFrame* pic = GetTswPicture(r.picNumber, r.picFrame);
        if (pic) x += pic->width;
    }
    return count;
}

void ResetStoryTimer() {
    for (ActRecord& r : gTimerDigits) r = ActRecord{};
}
