// The defeat display: how a defeated enemy or guard leaves the battle. The
// battle calls RunDefeatEffect once a frame for the role until it returns 1;
// each defeat-effect state is one way of leaving (rising, shattering,
// splitting, fading, zooming, turning, flying off) and the unique enemy's
// trembling burst with the camera and the music.
//
// Every state ends: states the display has no rule for (from an action's
// byte, say) end at once as state 0 does, every counter moves towards its
// end each frame it is not held, and a state whose counter is held by the
// role's hold flag ends after kDefeatFrameCap frames all the same.
#include <algorithm>

#include "base/errorbox.h"
#include "base/settings.h"
#include "battle/battle_frame.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_tint.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/line_tool.h"
#include "draw/rle.h"
#include "base/memory.h"
#include "draw/tsw_pack.h"
#include "draw/zoom_render.h"
#include "media/music.h"
#include "media/sound_bank.h"
#include "world/party/member_stats.h"

namespace {

constexpr uint16_t kSoundDefeat = 49;
constexpr uint16_t kSoundTremble = 235;
constexpr uint16_t kSoundBurst = 553;
constexpr uint16_t kSoundShake = 563;
constexpr int kDefeatFrameCap = 2000;
constexpr int kUniqueState = 100;
constexpr int kUniqueLast = 101;
constexpr int kUniqueEnd = 1000;
constexpr int kSwings = 5;
constexpr uint32_t kStartedBit = 0x1;
constexpr uint32_t kMusicLoweredBit = 0x2;
constexpr uint32_t kSwingFallingBit = 0x4;
constexpr uint32_t kUnpackReportedBit = 0x8;
constexpr uint32_t kTremblingBit = 0x10;
constexpr uint32_t kModeTint = 16;
// 圖形還原失敗
constexpr char kUnpackFailed[] = "\xB9\xCF\xA7\xCE\xC1\xD9\xAD\xEC\xA5\xA2\xB1\xD1";
constexpr char kModule[] = "role";

// Where the frame in use lies this call.
struct DefeatFrame {
    const PicFrame* pic;
    int32_t x, y;        // the frame's corner
    int32_t hotX, hotY;  // the role's point inside the frame
    uint32_t flip;
    int32_t w, h;
};

void Tint(int32_t v) { gTintRed = gTintGreen = gTintBlue = v; }
void NoTint() { gTintRed = gTintGreen = gTintBlue = 0; }

void Draw(const DefeatFrame& f, int32_t dx, int32_t dy, uint32_t mode, int32_t tint = 0) {
    Tint(tint);
    DrawFrame(f.pic, f.x + dx, f.y + dy, mode | f.flip, 0);
    NoTint();
}

// The part (px, py, pw, ph) of the frame, moved by (dx, dy): drawn through a
// clip around the moved part, the clip then put back.
void DrawPart(const DefeatFrame& f, int32_t px, int32_t py, int32_t pw, int32_t ph, int32_t dx, int32_t dy,
              uint32_t mode, int32_t tint) {
    if (pw <= 0 || ph <= 0) return;
    const ClipRect saved = gClip;
    const int32_t left = std::max(saved.left, f.x + px + dx), top = std::max(saved.top, f.y + py + dy);
    const int32_t right = std::min(saved.left + saved.width, f.x + px + dx + pw);
    const int32_t bottom = std::min(saved.top + saved.height, f.y + py + dy + ph);
    if (left < right && top < bottom && SetClip(left, top, right, bottom)) Draw(f, dx, dy, mode, tint);
    gClip = saved;
}

bool IsUniqueEnemy(const Role& r) {
    return r.side == 0 && r.member == 0 && r.guard == 0 && r.objRecord != nullptr &&
           (r.objRecord->typeBits & kObjUnique) != 0;
}

// The states the display has a rule for; any other ends at once.
bool KnownState(int s) { return (s >= 1 && s <= 16) || s == 50 || s == 51 || s == kUniqueState || s == kUniqueLast; }

int MusicVolumeFromSettings() { return int(gMusicVolume) * 127 / 11; }

// The line tool draws into the back buffer through its own view of the
// 640 x 480 screen (its rows as they lie), never the desktop's size.
void FitLineTool() {
    const int32_t width = gScreenPitch / 2, height = gScreenHeight;
    if (gLineTool.viewWidth() != width || gLineTool.viewHeight() != height) gLineTool.ResizeLineTool(width, height);
}

}  // namespace

void Role::FreeRoleParticles() {
    if (defeatStarted & kMusicLoweredBit) {
        // A display cut short (the battle ended first) gives the music back.
        gMusic.SetMusicVolume(MusicVolumeFromSettings());
        defeatStarted &= ~kMusicLoweredBit;
    }
    FreeParticles(&defeatParticles);
    FreeMem(defeatParticles.pixels);
    defeatParticles = ParticleEmitter{};
    defeatParticlesOn = 0;
    for (ParticleEmitter& e : screenParticles) {
        FreeParticles(&e);
        FreeMem(e.pixels);
        e = ParticleEmitter{};
    }
    particleFlag = 0;
}

namespace {

// The frame unpacked into the role's particle record; false (reported once
// for the role, the display going on without particles) when it cannot be.
bool Unpack(Role& r, const DefeatFrame& f, unsigned line) {
    if (r.defeatParticles.pixels != nullptr) return true;
    int w = 0, h = 0, depth = 0;
    uint8_t* pixels = nullptr;
    if (f.pic != nullptr && f.pic->palette == nullptr && f.pic->data != nullptr)
        pixels = DecodeRle(f.pic->data, int(f.pic->size), &w, &h, &depth);
    if (pixels == nullptr || depth != 16 || w <= 0 || h <= 0 || w > 0xFFFF || h > 0xFFFF) {
        FreeMem(pixels);
        if (!(r.defeatStarted & kUnpackReportedBit)) {
            r.defeatStarted |= kUnpackReportedBit;
            MaintenanceErrorBox(kUnpackFailed, 0, kModule, line);
        }
        return false;
    }
    r.defeatParticles = ParticleEmitter{};
    r.defeatParticles.pixels = reinterpret_cast<uint16_t*>(pixels);
    r.defeatParticles.width = uint16_t(w);
    r.defeatParticles.height = uint16_t(h);
    return true;
}

// The particle record of a shatter: the picture at the frame's corner, the
// particles flying to a small target round (cx, cy) with the spreads; the
// first speed sets the batches (speed / 25), the second the speed range
// (speed / 10), the step the spawn divisor.
void AimParticles(ParticleEmitter& e, const DefeatFrame& f, int32_t cx, int32_t spreadX, int32_t cy, int32_t spreadY,
                  int32_t speedA, int32_t speedB, int32_t step, int32_t life, bool mirrored) {
    e.x = f.x;
    e.y = f.y;
    e.targetLeft = cx - spreadX;
    e.targetWidth = 2 * spreadX + 1;
    e.targetTop = cy - spreadY;
    e.targetHeight = 2 * spreadY + 1;
    e.baseLife = uint16_t(std::max(1, life));
    e.speedRange = uint16_t(std::max(1, speedB / 10));
    e.batchesLeft = uint16_t(std::max(1, speedA / 25));
    e.spawnDivisor = uint16_t(std::max(1, step));
    e.flags = uint16_t(0x16 | (mirrored ? kEffectMirror : 0));
    e.started = 0;
}

}  // namespace

uint32_t Role::RunDefeatEffect() {
    // A role that is not defeated has nothing to show: its waiting performer
    // goes on (it used to wait on a 0 for ever). The spirit has no display.
    if (defeated != 1 || spirit == 1) return 1;
    acting = 1;
    out = 1;
    const bool startCall = !(defeatStarted & kStartedBit);
    if (startCall) {
        deathAct.Clear();
        deathAct.rec.act = spriteSet;
        deathAct.rec.qq = (state & kStateSelfDestruct) ? 40 : 36;
        defeatCounter = defeatCounter2 = 0;
        defeatCycles = 0;
        defeatParticlesOn = 0;
    }

    const auto finish = [this] {
        defeatCounter = defeatCounter2 = 0;
        defeatCycles = 0;
        gauge = 0;
        deathAct.Clear();
        defeatLine = LineWalker{};
        FreeRoleParticles();
        defeatStarted = 0;
        EndRoleTurn();
        acting = 0;
        out = 1;
        defeated = 0;
        return 1u;
    };

    if ((member == 1 || gaugeHold == 1) && guard == 0 && spareFlag == 0) {
        // No display: the role is out at once.
        defeatCounter = 0;
        defeatEffect = 0;
        if (member == 1 && baseStats != nullptr) baseStats->status |= 0x8000;
        player.running = 0;
        player.runCount = player.runFrames = 0;
        deathAct.Clear();
        defeatStarted = 0;
        EndRoleTurn();
        acting = 0;
        defeated = 0;
        out = 1;
        state = 0;
        stackCount = 0;
        ExpireRoleEffects(1);
        return 1;
    }

    deathAct.rec.hold = holdFlag != 0 ? 1 : 0;
    if (TakeActData(&deathAct.rec) == 0) return finish();
    DefeatFrame f{};
    f.pic = deathAct.rec.picNumber != 0 ? GetTswPicture(deathAct.rec.picNumber, 0) : nullptr;
    if (f.pic == nullptr || f.pic->data == nullptr) return finish();
    f.w = f.pic->width;
    f.h = f.pic->height;
    const bool mirrored = DrawsMirrored();
    f.hotX = static_cast<int16_t>(deathAct.rec.hotX);
    f.hotY = static_cast<int16_t>(deathAct.rec.hotY);
    if (mirrored) f.hotX = f.w - f.hotX;
    f.flip = mirrored ? kFlagMirror : 0;
    int16_t rx, ry;
    GetRolePos(&rx, &ry);
    f.x = rx - f.hotX;
    f.y = ry - f.hotY;
    picture = f.pic;
    drawFlags &= (kFlagMirror | 0x80000000u);

    int s = defeatEffect;
    if (IsUniqueEnemy(*this)) s = kUniqueState;
    if (defeatOverride != 0) s = defeatOverride;
    if (!KnownState(s)) return finish();
    if (startCall) {
        defeatStarted |= kStartedBit;
        defeatEffect = uint8_t(s);
        PlaySfx(kSoundDefeat, int(gSfxVolume));
    }
    // The state the display is in now (10 turns into 2, 100 into 101).
    s = defeatEffect;
    const bool held = holdFlag != 0;
    const int32_t c = defeatCounter;
    bool done = false;
    if (++defeatCycles > kDefeatFrameCap) return finish();

    switch (s) {
    case 1: {
        const int32_t blend = -(c / 31) * 2;
        gScaleHeight = f.h + c;
        Draw(f, 0, -c + 4 * blend, 0x20, blend);
        gScaleHeight = 0;
        if (!held) defeatCounter = int16_t(c + 31);
        done = defeatCounter >= 481;
        break;
    }
    case 2:
    case 8:
    case kUniqueState: {
        if (s == kUniqueState && (defeatStarted & kTremblingBit)) {
            // The tremble: the second counter swings up to 24 and back to -7.
            Draw(f, 0, 0, kModeTint, defeatCounter2);
            if (!held) {
                if (!(defeatStarted & kSwingFallingBit)) {
                    defeatCounter2 = int16_t(std::min(24, defeatCounter2 + 4));
                    if (defeatCounter2 >= 24) {
                        defeatStarted |= kSwingFallingBit;
                        PlaySfx(kSoundTremble, int(gSfxVolume));
                    }
                } else if (--defeatCounter2 <= -7) {
                    defeatStarted &= ~kSwingFallingBit;
                    defeatCounter2 = 1;
                    if (++defeatCounter >= kSwings) {
                        PlaySfx(kSoundDefeat, int(gSfxVolume));
                        defeatEffect = kUniqueLast;
                        defeatStarted &= ~kTremblingBit;
                        defeatCounter = defeatCounter2 = 0;
                    }
                }
            }
            break;
        }
        if (c == 100) {
            // The particles are spent.
            if (s == kUniqueState) {
                defeatStarted |= kTremblingBit;
                defeatCounter = 0;
                defeatCounter2 = 1;
                break;
            }
            done = true;
            break;
        }
        if (!defeatParticlesOn) {
            defeatParticlesOn = 1;
            if (Unpack(*this, f, __LINE__)) {
                if (s == 8)
                    AimParticles(defeatParticles, f, facing == 1 ? 670 : -30, 1, f.y - 10 + (f.h + 10) / 2,
                                 (f.h + 10) / 2, 100, 100, 1, 10, mirrored);
                else
                    AimParticles(defeatParticles, f, f.x + f.w / 3, 2, f.y + f.h / 2, 2, 250, 50, 1, 10, mirrored);
                FitLineTool();
            }
        }
        if (defeatParticles.pixels == nullptr ||
            gLineTool.UpdateParticles(gBackPixels, &defeatParticles) == 1) {
            FreeParticles(&defeatParticles);
            FreeMem(defeatParticles.pixels);
            defeatParticles = ParticleEmitter{};
            defeatCounter = 100;
        }
        break;
    }
    case 3:
        DrawPart(f, 0, 0, f.w / 2, f.h, 0, -2 * c, kModeTint, -c);
        DrawPart(f, f.w / 2, 0, f.w - f.w / 2, f.h, 0, 2 * c, kModeTint, -c);
        if (!held) defeatCounter = int16_t(c + 2);
        done = defeatCounter >= 33;
        break;
    case 4:
        DrawPart(f, 0, 0, f.w, f.h / 2, -2 * c, 0, kModeTint, -c);
        DrawPart(f, 0, f.h / 2, f.w, f.h - f.h / 2, 2 * c, 0, kModeTint, -c);
        if (!held) defeatCounter = int16_t(c + 2);
        done = defeatCounter >= 33;
        break;
    case 5:
    case 10:
        Draw(f, 0, 0, 0);
        DrawPart(f, 0, 0, f.w, std::min(c, f.h), 0, 0, kModeTint, -24);
        if (!held) defeatCounter = int16_t(c + (s == 5 ? 14 : 6));
        if (defeatCounter >= f.h) {
            if (s == 10) {
                defeatEffect = 2;
                defeatCounter = 0;
            } else {
                done = true;
            }
        }
        break;
    case 6:
        Draw(f, 0, 0, 0x4, c);
        if (!held) defeatCounter = int16_t(c - 1);
        done = defeatCounter <= -32;
        break;
    case 7: {
        const int32_t hw = f.w / 2, hh = f.h / 2;
        DrawPart(f, 0, 0, hw, hh, -c, -c, 0, 0);
        DrawPart(f, hw, 0, f.w - hw, hh, c, -c, 0, 0);
        DrawPart(f, 0, hh, hw, f.h - hh, -c, c, 0, 0);
        DrawPart(f, hw, hh, f.w - hw, f.h - hh, c, c, 0, 0);
        if (!held) defeatCounter = int16_t(c + 1);
        done = defeatCounter >= 32;
        break;
    }
    case 9:
        // The wave table has 15 windows: the parameter stops at the last.
        gWaveIndex = std::clamp(c / 3 + 1, 1, kWaveWindows);
        Draw(f, 0, 0, 0);
        gWaveIndex = 0;
        if (!held) defeatCounter = int16_t(c + 1);
        done = defeatCounter >= 45;
        break;
    case 11:
        Draw(f, 10 * c, 0, kModeTint, c);
        if (c < -15) {
            DrawFrame(f.pic, f.x, f.y, 20 | f.flip, std::clamp(c + 31, 0, 16));
        }
        if (!held) defeatCounter = int16_t(c - 1);
        done = defeatCounter <= -32;
        break;
    case 12:
        SetZoomSource(f.hotX, f.hotY, c * 96 + 1024, std::max(1, (16 - c) * 64));
        DrawFrame(f.pic, f.x, f.y, 128 | f.flip, 0);
        if (!held) defeatCounter = int16_t(c + 1);
        done = defeatCounter > 15;
        break;
    case 13: {
        const int32_t band = std::max(1, f.h / 4);
        for (int k = 0; k < 4; ++k) {
            const int32_t top = k * band, height = k == 3 ? f.h - 3 * band : band;
            DrawPart(f, 0, top, f.w, height, (k % 2 == 0 ? -2 : 2) * c, 0, kModeTint, -c);
        }
        if (!held) defeatCounter = int16_t(c + 2);
        done = defeatCounter >= 33;
        break;
    }
    case 14:
        DrawPart(f, 0, 0, f.w, f.h / 2, -2 * c, 0, kModeTint, -c);
        DrawPart(f, 0, f.h / 2, f.w, f.h - f.h / 2, 2 * c, 0, kModeTint, -c);
        if (!held) {
            if (c < 8) {
                defeatCounter = int16_t(std::min(8, c + 4));
            } else if (defeatCounter2 < 8) {
                // The hold at 8 lasts until the second counter reaches 8; it
                // advances here (it never did, and the display never ended).
                ++defeatCounter2;
            } else {
                defeatCounter = int16_t(c + 1);
            }
        }
        done = defeatCounter > 32;
        break;
    case 15:
        Draw(f, 2 * c, 0, kModeTint, c);
        if (c > -16) DrawFrame(f.pic, f.x, f.y, 20 | f.flip, std::clamp(c + 15, 0, 16));
        if (!held) defeatCounter = int16_t(c - 1);
        done = defeatCounter <= -32;
        break;
    case 16: {
        if (c == 0 && defeatLine.endX == 0 && defeatLine.endY == 0) {
            const int32_t endX = side == 0 ? -160 : 800;
            defeatLine = LineWalker{rx, ry, endX, -160, rx, ry, 0, 0};
        }
        const int64_t dx = int64_t(defeatLine.x) - defeatLine.startX, dy = int64_t(defeatLine.y) - defeatLine.startY;
        const int32_t progress = int32_t(std::min<int64_t>(std::max(std::llabs(dx), std::llabs(dy)), 1 << 20));
        // The scale shrinks with the flight and never goes below 1.
        const int32_t scale = std::max(1, (512 - progress) * 2);
        SetZoomFactor(f.hotX, f.hotY, scale, scale, 0);
        DrawFrame(f.pic, defeatLine.x - f.hotX, defeatLine.y - f.hotY, 128 | f.flip, 0);
        bool arrived = defeatLine.x == defeatLine.endX && defeatLine.y == defeatLine.endY;
        if (!held) {
            defeatCounter = int16_t(std::min(c + 2, 4096));
            for (int i = 0; i < defeatCounter && !arrived; ++i) arrived = StepLine(&defeatLine) == 1;
        }
        if (arrived) {
            defeatLine = LineWalker{};
            done = true;
        }
        break;
    }
    case 50:
        if (c == 0) {
            PlaySfx(deathAct.rec.soundId, int(gSfxVolume));
            deathAct.rec.soundId = 0;
        }
        Draw(f, 0, 0, 0);
        if (!held) defeatCounter = int16_t(c + 1);
        done = defeatCounter >= 15;
        break;
    case 51: {
        if (c == 0 && deathAct.rec.soundId != 0) {
            PlaySfx(deathAct.rec.soundId, int(gSfxVolume));
            deathAct.rec.soundId = 0;
        }
        if (!defeatParticlesOn) {
            defeatParticlesOn = 1;
            Unpack(*this, f, __LINE__);
            FitLineTool();
        }
        if (defeatParticles.pixels != nullptr && gBackPixels != nullptr) {
            const int32_t turn[4] = {0, 0, 0, c};
            const RotatedImage im{defeatParticles.pixels, defeatParticles.width, defeatParticles.height, f.x, f.y - 1,
                                  1024, 1024, uint16_t(mirrored ? kEffectMirror : 0), turn};
            gLineTool.DrawRotated(gBackPixels, &im);
        }
        if (!held) defeatCounter = int16_t(c + 2);
        done = defeatCounter >= 100;
        break;
    }
    case kUniqueLast: {
        if (!(defeatStarted & kMusicLoweredBit)) defeatStarted |= kMusicLoweredBit;
        gMusic.SetMusicVolume(MusicVolumeFromSettings() * std::max(0, kUniqueEnd - c) / kUniqueEnd);
        {
            const ClipRect saved = gClip;
            if (SetClip(std::max(0, f.x - 4), std::max(0, f.y), std::min(gScreenWidth, f.x + f.w + 4),
                        std::min(gScreenHeight, f.y + f.h)))
                Draw(f, c % 3, 0, 0);
            gClip = saved;
        }
        if (c % 30 == 0) PlaySfx(kSoundBurst, int(gSfxVolume));
        if (c % 35 == 0 || c % 45 == 0) {
            StartBattleTint(0, 0, 0, 25.0f, 5.0f, 5.0f, c % 35 == 0 ? 3 : 2);
            PlaySfx(kSoundShake, int(gSfxVolume));
            gFrame.shake = 1;
        }
        if (!held) defeatCounter = int16_t(c + 1);
        if (defeatCounter >= kUniqueEnd) {
            gMusic.SetMusicVolume(MusicVolumeFromSettings());
            defeatStarted &= ~kMusicLoweredBit;
            done = true;
        }
        break;
    }
    default:
        done = true;
        break;
    }
    return done ? finish() : 0;
}
