// The particle effect with a scripted CRand on tiny pictures: exact spawns,
// flights and pixels, the end of the effect, and the faults of the spawner
// (blocks past the picture, divisions by zero, a window shared between
// emitters, particles off the view's left edge).
#include <gtest/gtest.h>

#include <vector>

#include "base/random.h"
#include "draw/particles.h"
#include "draw/pixel_format.h"
#include "platform/headless/headless.h"

namespace {

// CRand answers from a script, then 0.
std::vector<int> gScript;
size_t gScriptPos = 0;
int Scripted() { return gScriptPos < gScript.size() ? gScript[gScriptPos++] : 0; }

class Particles : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRandom();
        ResetPixelFormat();
        HeadlessReset();
        gScript.clear();
        gScriptPos = 0;
        tool.ResizeLineTool(kW, kH);
        screen.assign(static_cast<size_t>(kW) * (kH + 2 * kGuard), 0x7777);
    }
    void TearDown() override { ResetRandom(); }

    void Script(std::vector<int> values) {
        gScript = std::move(values);
        gScriptPos = 0;
        SetCRandSource(Scripted);
    }
    uint16_t* view() { return screen.data() + kGuard * kW; }
    uint16_t& At(std::vector<uint16_t>& buf, int x, int y) { return buf[(y + kGuard) * kW + x]; }

    // Runs the emitter until it ends; the number of frames, or -1.
    int RunToEnd(ParticleEmitter* e, int limit = 5000) {
        for (int f = 1; f <= limit; ++f)
            if (tool.UpdateParticles(view(), e)) return f;
        return -1;
    }

    static constexpr int kW = 24, kH = 16, kGuard = 2;
    cLineTool tool;
    std::vector<uint16_t> screen;
};

ParticleEmitter Emitter(std::vector<uint16_t>& px, int w, int h, int x, int y) {
    ParticleEmitter e{};
    e.pixels = px.data();
    e.width = static_cast<uint16_t>(w);
    e.height = static_cast<uint16_t>(h);
    e.x = x;
    e.y = y;
    e.baseLife = 10;
    e.speedRange = 4;
    e.batchesLeft = 1;
    e.spawnDivisor = 1;
    return e;
}

TEST_F(Particles, ScriptedParticleFliesToItsTargetAndDies) {
    // A 4 x 3 picture, all opaque, at (10, 5); its particle flies straight up
    // to the target point (11, 0).
    std::vector<uint16_t> px(12);
    for (int i = 0; i < 12; ++i) px[i] = static_cast<uint16_t>(0x0400 * (i + 1) + i);
    const std::vector<uint16_t> original = px;
    ParticleEmitter e = Emitter(px, 4, 3, 10, 5);
    e.targetLeft = 11;
    e.targetWidth = 1;
    e.targetTop = 0;
    e.targetHeight = 1;
    e.batchesLeft = 12;     // one attempt per spawn
    e.spawnDivisor = 12;    // 12 opaque / 12: one live particle at a time
    // index (1 mod 28) x 5 = 5: column 1, row 1; end x, end y; life 3 mod 6 + 10;
    // speed 1 mod 4 + 1.
    Script({1, 5, 0, 0, 3, 1});
    ASSERT_EQ(tool.UpdateParticles(view(), &e), 0);
    EXPECT_EQ(gScriptPos, 6u);
    ASSERT_EQ(e.live, 1);
    const Particle& p = e.particles[0];
    EXPECT_EQ(p.block[0], original[5]);
    EXPECT_EQ(p.block[1], original[6]);
    EXPECT_EQ(p.block[2], original[9]);
    EXPECT_EQ(p.block[3], original[10]);
    EXPECT_EQ(p.speed, 2);
    EXPECT_EQ(p.life, 13 - 2);
    EXPECT_EQ(std::make_pair(p.walk.x, p.walk.y), std::make_pair(11, 4));
    for (int i : {5, 6, 9, 10}) EXPECT_EQ(px[i], kEffectKey);

    // The picture's rows 0..1 without the taken pixels, then the particle.
    std::vector<uint16_t> want(screen.size(), 0x7777);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 4; ++col)
            if (px[row * 4 + col] != kEffectKey) At(want, 10 + col, 5 + row) = px[row * 4 + col];
    At(want, 11, 4) = original[5];
    At(want, 12, 4) = original[6];
    At(want, 11, 5) = original[9];
    At(want, 12, 5) = original[10];
    EXPECT_EQ(screen, want);

    // Frame 2: no spawn (one live particle), two more steps up.
    screen.assign(screen.size(), 0x7777);
    ASSERT_EQ(tool.UpdateParticles(view(), &e), 0);
    EXPECT_EQ(gScriptPos, 6u);
    EXPECT_EQ(e.particles[0].walk.y, 2);
    // Frame 3: it reaches the target and is gone.
    ASSERT_EQ(tool.UpdateParticles(view(), &e), 0);
    EXPECT_EQ(e.live, 0);
    EXPECT_EQ(e.opaqueLeft, 11);
    FreeParticles(&e);
}

uint16_t AddLight(uint16_t s, uint16_t d) {
    auto field = [&](int shift) { return std::min(31, ((s >> shift) & 31) + ((d >> shift) & 31)) << shift; };
    return static_cast<uint16_t>(field(10) | field(5) | field(0));
}

// What is left of the picture and the live particle, mirrored and added as
// light as the flags say, cut at the view's edges; pictures narrower and
// wider than the eight pixels the picture's rows are drawn by.
TEST_F(Particles, PictureAndParticlesFollowMirrorAndLightAtTheViewEdges) {
    const struct {
        uint16_t flags;
        int x, y;
    } cases[] = {{0, 3, 2}, {kEffectMirror, -2, 3}, {0x02, kW - 3, 1}, {0x10 | kEffectMirror, kW - 4, kH - 3}, {0x04, -3, -1},
                 {0x02 | kEffectMirror, 1, 0}};
    for (const int pw : {5, 19})
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "width " << pw << " flags " << c.flags << " at " << c.x << "," << c.y);
        std::vector<uint16_t> px(size_t(pw) * 4);
        for (int i = 0; i < pw * 4; ++i) px[i] = static_cast<uint16_t>((i * 2117 + 99) & 0x7FFF);
        px[7] = kEffectKey;
        px[12] = kEffectShadow;
        if (pw > 5) px[25] = px[30] = kEffectKey;
        ParticleEmitter e = Emitter(px, pw, 4, c.x, c.y);
        e.flags = c.flags;
        e.targetLeft = 100;
        e.targetWidth = 1;
        e.targetTop = 100;
        e.targetHeight = 1;
        e.batchesLeft = 20;
        e.spawnDivisor = 18;
        e.baseLife = 200;
        for (size_t i = 0; i < screen.size(); ++i) screen[i] = static_cast<uint16_t>(i * 31 % 0x7FFF);
        const std::vector<uint16_t> background = screen;
        Script({0, 0});  // index 0, then zeros
        ASSERT_EQ(tool.UpdateParticles(view(), &e), 0);
        ASSERT_EQ(e.live, 1);
        std::vector<uint16_t> want = background;
        auto put = [&](int x, int y, uint16_t p) {
            if (p == kEffectKey || p == kEffectShadow || x < 0 || x >= kW || y < 0 || y >= kH) return;
            At(want, x, y) = (c.flags & 0x16) ? AddLight(p, At(want, x, y)) : p;
        };
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < pw; ++col)
                put((c.flags & kEffectMirror) ? c.x + pw - 1 - col : c.x + col, c.y + row, px[row * pw + col]);
        const Particle& p = e.particles[0];
        for (int k = 0; k < 4; ++k) put(p.walk.x + (k & 1), p.walk.y + (k >> 1), p.block[k]);
        EXPECT_EQ(screen, want);
        FreeParticles(&e);
    }
}

TEST_F(Particles, MirroredParticleStartsAtItsMirroredColumn) {
    std::vector<uint16_t> px(12, 0x1234);
    ParticleEmitter e = Emitter(px, 4, 3, 10, 5);
    e.flags = kEffectMirror;
    e.targetLeft = 0;
    e.targetWidth = 1;
    e.targetTop = 0;
    e.targetHeight = 1;
    e.batchesLeft = 12;
    e.spawnDivisor = 12;
    Script({1, 5, 0, 0, 3, 1});
    tool.UpdateParticles(nullptr, &e);
    ASSERT_EQ(e.live, 1);
    EXPECT_EQ(e.particles[0].walk.startX, 10 + 4 - 1 - 1);
    EXPECT_EQ(e.particles[0].walk.startY, 6);
    FreeParticles(&e);
}

TEST_F(Particles, PictureOfOnlySpecialColoursEndsWhenItsBatchesAreUsedUp) {
    std::vector<uint16_t> px = {kEffectKey, kEffectShadow, kEffectShadow, kEffectKey, kEffectKey, kEffectKey};
    ParticleEmitter e = Emitter(px, 3, 2, 4, 4);
    e.targetWidth = e.targetHeight = 4;
    e.batchesLeft = 3;
    SetCRandSeed(7);
    EXPECT_EQ(RunToEnd(&e), 3);
    EXPECT_EQ(e.particles, nullptr);
    EXPECT_EQ(screen, std::vector<uint16_t>(screen.size(), 0x7777));
}

TEST_F(Particles, WholePictureDissolvesAndTheEffectEnds) {
    std::vector<uint16_t> px(96 * 16);
    for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint16_t>(i * 37 % 0x7FFF);
    ParticleEmitter e = Emitter(px, 96, 16, -40, 3);
    e.targetLeft = 20;
    e.targetWidth = 3;
    e.targetTop = 1;
    e.targetHeight = 2;
    e.batchesLeft = 6;
    e.spawnDivisor = 4;
    e.flags = 0x02;
    SetCRandSeed(99);
    EXPECT_GT(RunToEnd(&e), 6);
    EXPECT_EQ(e.live, 0);
    EXPECT_EQ(e.particles, nullptr);
}

// A block on the picture's last column or row overwrote pixels past the
// picture; its missing neighbours are key pixels now.
TEST_F(Particles, BlockAtThePictureEdgeStaysInsideThePicture) {
    std::vector<uint16_t> px = {1, 2, 3, 4, 5, 6};  // 3 x 2, exactly sized
    ParticleEmitter e = Emitter(px, 3, 2, 0, 0);
    e.targetWidth = e.targetHeight = 1;
    e.batchesLeft = 6;
    Script({1, 5, 0, 0, 0, 0});  // index 5: the last pixel
    tool.UpdateParticles(nullptr, &e);
    ASSERT_EQ(e.live, 1);
    const Particle& p = e.particles[0];
    EXPECT_EQ(p.block[0], 6);
    EXPECT_EQ(p.block[1], kEffectKey);
    EXPECT_EQ(p.block[2], kEffectKey);
    EXPECT_EQ(p.block[3], kEffectKey);
    EXPECT_EQ(px, (std::vector<uint16_t>{1, 2, 3, 4, 5, kEffectKey}));
    FreeParticles(&e);
}

// With 15-bit numbers (random mod 28) x random peaks at 27 x 32767.
TEST_F(Particles, LargestPixelIndexIsTakenModuloThePicture) {
    std::vector<uint16_t> px(1000, 0x0101);
    ParticleEmitter e = Emitter(px, 40, 25, 0, 0);
    e.targetWidth = e.targetHeight = 1;
    e.batchesLeft = 1000;
    Script({27, 32767, 0, 0, 0, 0});
    tool.UpdateParticles(nullptr, &e);
    ASSERT_EQ(e.live, 1);
    const int index = 27 * 32767 % 1000;
    EXPECT_EQ(e.particles[0].walk.startX, index % 40);
    EXPECT_EQ(e.particles[0].walk.startY, index / 40);
    FreeParticles(&e);
}

// Each of these divided by zero or never ended.
TEST_F(Particles, DegenerateEmittersEndWithoutDividingByZero) {
    struct Case {
        const char* name;
        int w, h, batches, divisor, speedRange, targetW, targetH;
        uint16_t flags;
    };
    const Case cases[] = {
        {"empty window", 4, 3, 40, 1, 4, 2, 2, kParticleGrowingTop},
        {"more batches than pixels", 4, 3, 40, 1, 4, 2, 2, kParticleFirstShare},
        {"zero-size target", 4, 3, 2, 1, 4, 0, 0, 0},
        {"negative target", 4, 3, 2, 1, 4, -5, -1, 0},
        {"speed range 0", 4, 3, 2, 1, 0, 1, 1, 0},
        {"spawn divisor 0", 4, 3, 2, 0, 4, 1, 1, 0},
        {"no batches", 4, 3, 0, 1, 4, 1, 1, 0},
        {"no width", 0, 3, 2, 1, 4, 1, 1, 0},
        {"fewer opaque pixels than the divisor", 4, 3, 2, 50, 4, 1, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint16_t> px(static_cast<size_t>(std::max(1, c.w * c.h)), 0x2345);
        ParticleEmitter e = Emitter(px, c.w, c.h, 3, 3);
        e.batchesLeft = static_cast<uint16_t>(c.batches);
        e.spawnDivisor = static_cast<uint16_t>(c.divisor);
        e.speedRange = static_cast<uint16_t>(c.speedRange);
        e.targetLeft = 30;
        e.targetTop = 2;
        e.targetWidth = c.targetW;
        e.targetHeight = c.targetH;
        e.flags = c.flags;
        SetCRandSeed(5);
        EXPECT_GT(RunToEnd(&e), 0);
        EXPECT_EQ(e.particles, nullptr);
    }
}

// The window of the growing top part was one for all emitters: a large
// emitter's window indexed past a small emitter's picture.
TEST_F(Particles, EachEmitterHasItsOwnWindow) {
    std::vector<uint16_t> big(64 * 64, 0x0F0F), small(4, 0x0A0A);
    ParticleEmitter a = Emitter(big, 64, 64, 0, 0);
    ParticleEmitter b = Emitter(small, 2, 2, 0, 0);
    for (ParticleEmitter* e : {&a, &b}) {
        e->flags = kParticleGrowingTop;
        e->targetWidth = e->targetHeight = 1;
        e->spawnDivisor = 1;
    }
    a.batchesLeft = 2;
    b.batchesLeft = 1;
    SetCRandSeed(3);
    tool.UpdateParticles(nullptr, &a);
    EXPECT_EQ(a.window, 4096);
    // b's window is its batch size, 4: index (10 x 2701) mod 4 = 2; the
    // other attempts take index 0.
    b.targetLeft = b.targetTop = 20;
    Script({10, 2701});
    tool.UpdateParticles(nullptr, &b);
    ASSERT_EQ(b.live, 2);
    EXPECT_EQ(b.particles[0].walk.startX, 0);
    EXPECT_EQ(b.particles[0].walk.startY, 1);
    FreeParticles(&a);
    FreeParticles(&b);
}

// A particle at x = -1 wrote its left column before the row.
TEST_F(Particles, ParticleOffTheLeftEdgeShowsOnlyItsVisiblePixels) {
    std::vector<uint16_t> px = {0x1001, 0x2002, 0x3003, 0x4004};
    ParticleEmitter e = Emitter(px, 2, 2, 0, 0);
    e.targetLeft = -5;
    e.targetWidth = 1;
    e.targetTop = 0;
    e.targetHeight = 1;
    e.speedRange = 1;
    e.batchesLeft = 4;
    e.spawnDivisor = 1;
    Script({0, 0, 0, 0, 0, 0});  // index 0, end (-5, 0), life 10, speed 1
    ASSERT_EQ(tool.UpdateParticles(view(), &e), 0);
    ASSERT_EQ(e.live, 1);
    EXPECT_EQ(e.particles[0].walk.x, -1);
    std::vector<uint16_t> want(screen.size(), 0x7777);
    At(want, 0, 0) = 0x2002;
    At(want, 0, 1) = 0x4004;
    EXPECT_EQ(screen, want);
    FreeParticles(&e);
}

}  // namespace
