#include "draw/particles.h"

#include <algorithm>
#include <cmath>

#include "base/errorbox.h"
#include "base/memory.h"
#include "base/random.h"

namespace {

// "particle_put(..) cannot allocate nPtc", caption "error" (Big5).
constexpr char kNoParticleText[] = "particle_put(..) \xB5\x4C\xAA\x6B\xB0\x74\xA8\xEE nPtc";
constexpr char kErrorCaption[] = "\xBF\xF9\xBB\x7E";

// Pixels of the picture, or 0 for a picture too large to index.
int32_t PixelCount(const ParticleEmitter* e) {
    const int64_t n = static_cast<int64_t>(e->width) * e->height;
    return n > INT32_MAX ? 0 : static_cast<int32_t>(n);
}

int32_t CountOpaque(const ParticleEmitter* e) {
    int32_t n = 0;
    for (int32_t i = 0; i < e->pixelCount; ++i) n += IsEffectKeyed(e->pixels[i]) ? 0 : 1;
    return n;
}

// A speed range of 0 would take a random number modulo 0 and, on the slow
// pass, give particles that never move and never die: it counts as 1.
int32_t SpeedRange(const ParticleEmitter* e) { return std::max<int32_t>(1, e->speedRange); }

// Random point of a target span; an empty span gives its start.
int32_t RandomIn(int32_t start, int32_t size) { return size > 0 ? start + CRand() % size : start; }

bool InTarget(const ParticleEmitter* e, int32_t x, int32_t y) {
    return x >= e->targetLeft && static_cast<int64_t>(x) < static_cast<int64_t>(e->targetLeft) + e->targetWidth &&
           y >= e->targetTop && static_cast<int64_t>(y) < static_cast<int64_t>(e->targetTop) + e->targetHeight;
}

// The pool holds every particle the picture can still give: each one turns
// at least one opaque pixel into the key colour.
bool EnsurePool(ParticleEmitter* e) {
    if (e->particles) return true;
    const int32_t capacity = CountOpaque(e);
    if (capacity == 0) return false;  // nothing can spawn
    const int64_t bytes = static_cast<int64_t>(capacity) * static_cast<int64_t>(sizeof(Particle));
    if (bytes <= INT32_MAX - 16) e->particles = static_cast<Particle*>(AllocZero(static_cast<int>(bytes)));
    if (!e->particles) {
        ErrorBox(kErrorCaption, "%s", kNoParticleText);
        // The box is shown once: the effect spawns no more and ends.
        e->batchesLeft = 0;
        e->window = 0;
        return false;
    }
    e->capacity = capacity;
    e->live = 0;
    return true;
}

// Copies a picture pixel of the block into the particle and takes it from
// the picture; a neighbour past the picture's edge is a key pixel.
uint16_t TakePixel(ParticleEmitter* e, int32_t col, int32_t row) {
    if (col >= e->width || row >= e->height) return kEffectKey;
    uint16_t& p = e->pixels[static_cast<int64_t>(row) * e->width + col];
    const uint16_t v = p;
    p = kEffectKey;
    return v;
}

// The opaque pixels of a picture row onto the screen, pixel k of s at
// d + kDir x k; eight at a time, key and shadow pixels leaving the screen as
// it is, then one by one.
template <int kDir>
void PutPictureRow(uint16_t* d, const uint16_t* s, int64_t n, const EffectPut& put) {
    const Wide key = SplatWide(kEffectKey), shadow = SplatWide(kEffectShadow);
    const PackedFields fields = LoadPackedFields();
    int64_t i = 0;
    for (; i + kWideCount <= n; i += kWideCount) {
        uint16_t* block = kDir > 0 ? d + i : d - i - (kWideCount - 1);
        const Wide sv = LoadWide(s + i);
        const Wide dv = kDir > 0 ? LoadWide(block) : ReverseWide(LoadWide(block));
        const Wide keyed = reinterpret_cast<Wide>((sv == key) | (sv == shadow));
        const Wide lit = put.additive ? AddSaturateWide(sv, dv, fields) : sv;
        const Wide out = (dv & keyed) | (lit & ~keyed);
        StoreWide(block, kDir > 0 ? out : ReverseWide(out));
    }
    for (; i < n; ++i)
        if (!IsEffectKeyed(s[i])) PutEffectPixel(d + kDir * i, s[i], put);
}

void DrawPictureLeft(const cLineTool& tool, uint16_t* pixels, const ParticleEmitter* e, const EffectPut& put) {
    const bool mirror = e->flags & kEffectMirror;
    const int64_t w = e->width;
    // The columns whose screen column lies in the view.
    int64_t first, last;
    if (mirror) {
        first = std::max<int64_t>(0, static_cast<int64_t>(e->x) + w - tool.viewWidth());
        last = std::min<int64_t>(w - 1, static_cast<int64_t>(e->x) + w - 1);
    } else {
        first = std::max<int64_t>(0, -static_cast<int64_t>(e->x));
        last = std::min<int64_t>(w - 1, static_cast<int64_t>(tool.viewWidth()) - 1 - e->x);
    }
    // The last row is not drawn while the picture dissolves.
    for (int32_t row = 0; row + 1 < e->height; ++row) {
        const int64_t sy = static_cast<int64_t>(e->y) + row;
        if (sy < 0 || sy >= tool.viewHeight()) continue;
        const uint16_t* src = e->pixels + row * w;
        uint16_t* dst = pixels + tool.viewRowTable()[sy];
        if (first > last) continue;
        if (mirror) PutPictureRow<-1>(dst + (e->x + w - 1 - first), src + first, last - first + 1, put);
        else PutPictureRow<1>(dst + (e->x + first), src + first, last - first + 1, put);
    }
}

void DrawParticle(const cLineTool& tool, uint16_t* pixels, const Particle& p, const EffectPut& put) {
    const int32_t x = p.walk.x, y = p.walk.y;
    if (x >= 0 && y >= 0 && x + 1 < tool.viewWidth() && y + 1 < tool.viewHeight() && tool.viewRowTable()) {
        // The whole block inside the view.
        uint16_t* top = pixels + tool.viewRowTable()[y] + x;
        uint16_t* bottom = pixels + tool.viewRowTable()[y + 1] + x;
        uint16_t* const at[4] = {top, top + 1, bottom, bottom + 1};
        for (int k = 0; k < 4; ++k)
            if (!IsEffectKeyed(p.block[k])) PutEffectPixel(at[k], p.block[k], put);
        return;
    }
    for (int k = 0; k < 4; ++k) {
        // Each pixel is checked by itself: a particle at x = -1 still shows
        // its right column and writes nothing before the row.
        if (IsEffectKeyed(p.block[k])) continue;
        if (uint16_t* d = tool.ViewPixel(pixels, p.walk.x + (k & 1), p.walk.y + (k >> 1))) PutEffectPixel(d, p.block[k], put);
    }
}

}  // namespace

void FreeParticles(ParticleEmitter* e) {
    if (!e) return;
    FreeMem(e->particles);
    e->particles = nullptr;
    e->capacity = 0;
    e->live = 0;
}

void particle_put(ParticleEmitter* e, int count) {
    if (!e || !e->pixels || e->batchesLeft == 0) return;
    e->pixelCount = PixelCount(e);
    if (e->pixelCount > 0 && EnsurePool(e)) {
        // Each emitter has its own window; a shared one let one emitter's
        // window index past a smaller emitter's picture.
        int32_t limit = e->pixelCount;
        if (e->flags & kParticleGrowingTop) limit = std::min(e->window, e->pixelCount);
        else if (e->flags & kParticleFirstShare) limit = e->pixelCount / e->batchesLeft;
        const bool mirror = e->flags & kEffectMirror;
        for (int a = 0; a < count && limit > 0 && e->live < e->capacity; ++a) {
            // (random mod 28) x random, taken in that order; with 15-bit
            // numbers the product stays below 2^20.
            const int64_t first = CRand() % 28;
            const int64_t index = first * CRand() % limit;
            const int32_t row = static_cast<int32_t>(index / e->width), col = static_cast<int32_t>(index % e->width);
            if (IsEffectKeyed(e->pixels[index])) continue;
            Particle& p = e->particles[e->live++];
            p = Particle{};
            // Every particle starts where its pixel is shown, mirrored or not.
            p.walk.startX = mirror ? e->x + e->width - 1 - col : e->x + col;
            p.walk.startY = e->y + row;
            p.walk.x = p.walk.startX;
            p.walk.y = p.walk.startY;
            p.walk.endX = RandomIn(e->targetLeft, e->targetWidth);
            p.walk.endY = RandomIn(e->targetTop, e->targetHeight);
            const double dx = static_cast<double>(p.walk.endX) - p.walk.startX;
            const double dy = static_cast<double>(p.walk.endY) - p.walk.startY;
            const double d2 = dx * dx + dy * dy;
            const int32_t distance = static_cast<int32_t>(std::min(std::sqrt(d2 == 0 ? 1.0 : d2), 2.0e9));
            p.life = CRand() % std::max(1, distance) + e->baseLife;
            p.speed = CRand() % SpeedRange(e) + 1;
            p.block[0] = TakePixel(e, col, row);
            p.block[1] = TakePixel(e, col + 1, row);
            p.block[2] = TakePixel(e, col, row + 1);
            p.block[3] = TakePixel(e, col + 1, row + 1);
        }
    }
    --e->batchesLeft;
    e->window += e->batchSize;
    if (e->batchesLeft == 0) e->window = 0;
}

int cLineTool::UpdateParticles(uint16_t* pixels, ParticleEmitter* e) const {
    if (!e) return 1;
    if (!e->pixels || PixelCount(e) == 0) {
        // Nothing to dissolve: the effect is over at once.
        FreeParticles(e);
        e->batchesLeft = 0;
        return 1;
    }
    if (!e->started) {
        e->pixelCount = PixelCount(e);
        e->opaqueLeft = CountOpaque(e);
        e->lowWater = e->opaqueLeft / 20;
        e->batchSize = e->batchesLeft ? e->pixelCount / e->batchesLeft : 0;
        e->window = e->batchSize;
        e->live = 0;
        e->started = 1;
    }
    // With no live particle a batch is always spawned: a picture with fewer
    // opaque pixels than the divisor (or none) would otherwise never use up
    // its batches and the effect would never end.
    if (e->batchesLeft && (e->live == 0 || e->live < e->opaqueLeft / std::max<int32_t>(1, e->spawnDivisor)))
        particle_put(e, e->pixelCount / e->batchesLeft);
    if (e->live == 0 && e->batchesLeft == 0) {
        FreeParticles(e);
        return 1;
    }
    const EffectPut put = MakeEffectPut(e->flags);
    if (pixels && e->batchesLeft && viewRowTable_) DrawPictureLeft(*this, pixels, e, put);
    int32_t remaining = e->live, kept = 0;
    for (int32_t i = 0; i < e->live; ++i) {
        Particle p = e->particles[i];
        if (remaining <= e->lowWater) p.speed = CRand() % SpeedRange(e) + SpeedRange(e);
        StepLines(&p.walk, p.speed);
        p.life -= p.speed;
        if (p.life > 0 && !InTarget(e, p.walk.x, p.walk.y)) {
            if (pixels) DrawParticle(*this, pixels, p, put);
            e->particles[kept++] = p;
        } else {
            --remaining;
            --e->opaqueLeft;
        }
    }
    e->live = kept;
    return 0;
}
