// The capture effect of commands 6 and 80: the target's wait frame dissolves
// into particles that fly toward the capturing role while the five capture
// sprites fly in from the dissolving picture. The particles and the line
// tool are sized from the 640 x 480 screen.
#include <algorithm>
#include <cstring>
#include <new>

#include "base/errorbox.h"
#include "base/memory.h"
#include "base/settings.h"
#include "battle/manrole/perform_steps.h"
#include "battle/role/role_act.h"
#include "draw/draw_kernel.h"
#include "draw/line_tool.h"
#include "draw/particles.h"
#include "draw/rle.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"

using namespace perform;

struct CaptureState {
    ParticleEmitter emitter;
    cLineTool tool;
    LineWalker walk[kCaptureBlocks];
    int32_t originX, originY;
    int32_t frameWidth, frameHeight;
    int32_t rise;
};

namespace {

constexpr int32_t kScreenWidth = 640, kScreenHeight = 480;
constexpr int kCaptureFrameCap = 600;
constexpr uint16_t kCaptureFlags = 86;
constexpr uint32_t kCaptureArrived = 0xFFFFFFFFu;

struct CaptureSprite {
    uint16_t from;   // capture counter at which it flies
    uint16_t set;
    int32_t dy;
    int32_t speed;
};
constexpr CaptureSprite kCaptureSprites[kCaptureBlocks] = {
    {0, 7211, -5, 14}, {10, 7212, -10, 10}, {20, 7213, -15, 12}, {30, 7211, 0, 8}, {40, 7212, 5, 16},
};

// The wait frame as 16-bit pixels in a new AllocZero block, or null (an
// 8-bit frame, a frame that does not decode, a raw frame shorter than its
// size): a picture that cannot be read gives no particles.
uint16_t* DecodeWaitFrame(const PicFrame* f, int* width, int* height) {
    if (f == nullptr || f->data == nullptr) return nullptr;
    if (IsRleFrame(f->data, f->size)) {
        int depth = 0;
        uint8_t* pixels = DecodeRle(f->data, int(f->size), width, height, &depth);
        if (pixels != nullptr && depth == 16) return reinterpret_cast<uint16_t*>(pixels);
        FreeMem(pixels);
        return nullptr;
    }
    const size_t bytes = size_t(f->width) * f->height * 2;
    if (f->palette != nullptr || bytes == 0 || f->size < bytes) return nullptr;
    auto* pixels = static_cast<uint16_t*>(AllocZero(int(bytes)));
    if (pixels == nullptr) return nullptr;
    std::memcpy(pixels, f->data, bytes);
    *width = f->width;
    *height = f->height;
    return pixels;
}

}  // namespace

void ManRole::FreeCaptureEffect() {
    if (capture == nullptr) return;
    FreeParticles(&capture->emitter);
    FreeMem(capture->emitter.pixels);
    capture->~CaptureState();
    FreeMem(capture);
    capture = nullptr;
}

uint32_t ManRole::BeginCaptureEffect(Role* t) {
    FreeCaptureEffect();
    player.run = LineWalker{};
    acts[kActSecond].Clear();
    for (ActBlock& b : captureActs) b.Clear();
    for (uint32_t& f : captureFlight) f = 0;
    captureCounter = 0;
    actionFlags |= 0x8;
    if (t == nullptr) return 0;
    int width = 0, height = 0;
    uint16_t* pixels = t->PrepareWaitAct() == 1 ? DecodeWaitFrame(t->picture, &width, &height) : nullptr;
    if (pixels == nullptr) {
        TraceHook("role: the capture target's wait frame cannot be read; no particles");
        return 0;
    }
    void* block = AllocZero(int(sizeof(CaptureState)));
    if (block == nullptr) {
        FreeMem(pixels);
        return 0;
    }
    capture = new (block) CaptureState{};
    capture->tool.ResizeLineTool(kScreenWidth, kScreenHeight);
    int16_t ox = 0, oy = 0, hx = 0, hy = 0;
    t->GetDrawOrigin(&ox, &oy);
    GetHomePos(&hx, &hy);
    ParticleEmitter& e = capture->emitter;
    e.pixels = pixels;
    e.width = uint16_t(width);
    e.height = uint16_t(height);
    e.x = ox - 1;
    e.y = oy;
    const int32_t waitY = int16_t(t->acts[kActWaitDraw].rec.hotY);
    e.targetLeft = int32_t(actGeometry[0]) + hx - 50;
    e.targetTop = hy + 40 - waitY;
    e.targetWidth = 20;
    e.targetHeight = 30;
    capture->rise = height < 100 ? std::max(height - 10, 1) : height / 2;
    e.batchesLeft = uint16_t(capture->rise);
    e.baseLife = 40;
    e.speedRange = 5;
    e.spawnDivisor = 5;
    e.flags = uint16_t(kCaptureFlags + (t->spareFlag == 1 ? 1 : 0));
    for (int32_t& c : e.tint) c = 5;
    capture->originX = e.x;
    capture->originY = e.y;
    capture->frameWidth = width;
    capture->frameHeight = height;
    return 1;
}

int ManRole::PlaceCaptureSprite(uint16_t set, int32_t act, int slotIndex, int32_t x, int32_t y, int32_t speed) {
    if (capture == nullptr || slotIndex < 0 || slotIndex >= kCaptureBlocks) return 1;
    if (captureFlight[slotIndex] == kCaptureArrived) return 1;
    ActBlock& b = captureActs[slotIndex];
    LineWalker& w = capture->walk[slotIndex];
    if (b.Empty()) {
        if (!StartBlockAct(&b, set, act)) {
            // A sprite that cannot be played has nothing to fly.
            captureFlight[slotIndex] = kCaptureArrived;
            return 1;
        }
        b.freeze = holdFlag;
        captureFlight[slotIndex] = 0;
    }
    b.rec.hold = holdFlag != 0 || b.freeze != 0;
    TakeActData(&b.rec);
    if (captureFlight[slotIndex] == 0) {
        int16_t hx = 0, hy = 0;
        GetHitPoint(&hx, &hy);
        if (hx == 0 && hy == 0) GetRolePos(&hx, &hy);
        const int32_t sx = x - int16_t(b.rec.hotX), sy = y - int16_t(b.rec.hotY);
        w = LineWalker{sx, sy, hx, hy, sx, sy, 0, 0};
    }
    if (b.rec.soundId != 0) {
        PlaySfx(b.rec.soundId, int(gSfxVolume));
        b.rec.soundId = 0;
    }
    ++captureFlight[slotIndex];
    const int32_t steps = std::max<int32_t>(speed, 1) * int32_t(captureFlight[slotIndex]);
    bool arrived = w.x == w.endX && w.y == w.endY;
    for (int32_t i = 0; i < steps && !arrived; ++i) arrived = StepLine(&w) == 1;
    // The sprite is drawn where it flew by the role's wait draw
    // (DrawCaptureSprites), in its place among the role's layers.
    if (!arrived) return 0;
    captureFlight[slotIndex] = kCaptureArrived;
    b.Clear();
    return 1;
}

int ManRole::StepCaptureEffect() {
    const auto finish = [this] {
        FreeCaptureEffect();
        for (ActBlock& b : captureActs) b.Clear();
        for (uint32_t& f : captureFlight) f = 0;
        captureCounter = 0;
        return 1;
    };
    if (capture == nullptr) return finish();
    if (captureCounter < 0xFFFF) ++captureCounter;
    if (captureCounter > kCaptureFrameCap) {
        TraceHook("role: the capture effect did not end within %d frames", kCaptureFrameCap);
        return finish();
    }
    ParticleEmitter& e = capture->emitter;
    for (int32_t& c : e.tint) c = 5;
    const int ended = capture->tool.UpdateParticles(gBackPixels, &e);
    capture->rise = e.batchesLeft;
    if (capture->rise != 0 && !ended) {
        for (int s = 0; s < kCaptureBlocks; ++s) {
            const CaptureSprite& c = kCaptureSprites[s];
            if (captureCounter <= c.from) continue;
            PlaceCaptureSprite(c.set, 0, s, capture->frameWidth / 4 + capture->originX,
                               capture->frameHeight - capture->rise + capture->originY + c.dy, c.speed);
        }
    }
    if (!ended) return 0;
    return finish();
}

void ManRole::DrawCaptureSprites() const {
    if (capture == nullptr || gBackPixels == nullptr) return;
    for (int s = 0; s < kCaptureBlocks; ++s) {
        const ActBlock& b = captureActs[s];
        if (b.Empty() || b.rec.picNumber == 0 || captureFlight[s] == 0 || captureFlight[s] == kCaptureArrived) continue;
        const PicFrame* f = GetTswPicture(b.rec.picNumber, b.rec.picFrame);
        if (f != nullptr) DrawFrame(f, capture->walk[s].x, capture->walk[s].y, 0, 0);
    }
}
